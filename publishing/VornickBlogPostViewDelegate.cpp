#include "publishing/VornickBlogPostViewDelegate.h"

#include "blog/VornickBlog.h"
#include "editing/VornickAttachmentPoint.h"
#include "publishing/VornickBlogPostView.h"

namespace brevanton {

std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
VornickBlogPostViewDelegate::vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView& view,
                                                                                                 const std::u16string& identifier)
{
    auto* postView = dynamic_cast<VornickBlogPostView*>(&view);
    auto blog = postView ? postView->blog() : nullptr;
    if (!blog)
        return std::nullopt;
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> locators;
    auto heuristics = blog->attachmentPointSelectorHeuristicsByIdentifier();
    if (auto found = heuristics.find(identifier); found != heuristics.end()) {
        for (const auto& selector : found->second)
            locators.push_back(std::make_shared<VornickAttachmentPointLocator>(identifier, selector));
    }
    return locators;
}

} // namespace brevanton
