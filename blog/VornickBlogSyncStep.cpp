#include "blog/VornickBlogSyncStep.h"

#include "blog/VornickBlogServiceSyncSession.h"

namespace brevanton {

std::shared_ptr<VornickBlogSyncStep> VornickBlogSyncStep::create(Dictionary blogDescription)
{
    auto name = VornickBlogServiceSyncSession::stepNameForBlogWithDescription(blogDescription);
    auto title = blogDescription.find(std::u16string_view(u"title"));
    if (!name || title == blogDescription.end() || !title->second.isString())
        return nullptr;
    std::u16string stepTitle = u"Sync \"" + title->second.string() + u"\"";
    return std::make_shared<VornickBlogSyncStep>(Passkey {}, std::move(*name), std::move(stepTitle), std::move(blogDescription));
}

VornickBlogSyncStep::VornickBlogSyncStep(Passkey, std::u16string name, std::u16string title, Dictionary blogDescription)
    : VornickSyncStep(std::move(name), std::move(title))
    , m_blogDescription(std::move(blogDescription))
{
}

} // namespace brevanton
