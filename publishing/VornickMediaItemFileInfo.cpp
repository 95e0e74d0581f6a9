#include "publishing/VornickMediaItemFileInfo.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickMediaFileInfoCache.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

std::shared_ptr<const VornickMediaFileInfo> vornick_mediaFileInfo(const VornickWordPressMediaItem& item)
{
    auto url = item.resolvedLocalURL();
    if (!url)
        return nullptr;
    if (auto delegate = VornickApplicationDelegate::shared())
        return delegate->mediaFileInfoCache().infoForURL(*url, true);
    return VornickMediaFileInfoCache().infoForURL(*url, true);
}

} // namespace brevanton
