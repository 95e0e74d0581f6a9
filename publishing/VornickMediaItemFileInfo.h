// What is known of a media item's local file (its pixel size), through the
// application's media file info cache when there is one; null when the file
// is missing or no image.
#pragma once

#include <memory>

namespace brevanton {

class VornickMediaFileInfo;
class VornickWordPressMediaItem;

std::shared_ptr<const VornickMediaFileInfo> vornick_mediaFileInfo(const VornickWordPressMediaItem&);

} // namespace brevanton
