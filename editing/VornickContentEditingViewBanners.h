// The two banners the editing view shows above its panes when a blog
// template could not be used as it is. Built in code; their buttons send
// their actions to the editing view ("dismissAttachmentPointFailureBanner:",
// "showAttachmentPointFailureResolutionUI:").
#pragma once

#include <memory>

namespace brevanton {

class Responder;
class View;

// The post is shown in a plain page because the site's template could not be loaded.
std::shared_ptr<View> VornickMakeTemplateFallbackBanner(const std::shared_ptr<Responder>& target);
// Some of the post's fields have no place in the site's template.
std::shared_ptr<View> VornickMakeAttachmentPointFailureBanner(const std::shared_ptr<Responder>& target);

} // namespace brevanton
