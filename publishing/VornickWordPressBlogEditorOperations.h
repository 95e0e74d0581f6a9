// VornickWordPressBlogEditorOperations: what a WordPress post view asks of the
// open window of its blog (found as the blog's component editor): to show a
// media item in the blog's media library.
#pragma once

#include <memory>

namespace brevanton {

class VornickWordPressMediaItem;

class VornickWordPressBlogEditorOperations {
public:
    virtual ~VornickWordPressBlogEditorOperations() = default;
    // Brings the media library forward, showing the item.
    virtual void showMediaItemInMediaLibrary(const std::shared_ptr<VornickWordPressMediaItem>&) = 0;
};

} // namespace brevanton
