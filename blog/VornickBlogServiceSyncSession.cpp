#include "blog/VornickBlogServiceSyncSession.h"

#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncSessionIntegrator.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

std::optional<std::u16string> VornickBlogServiceSyncSession::stepNameForBlogWithDescription(const Dictionary& blogDescription)
{
    auto identifier = blogDescription.find(std::u16string_view(u"identifierUsedByBlogService"));
    if (identifier == blogDescription.end() || !identifier->second.isString())
        return std::nullopt;
    return u"syncBlog." + identifier->second.string();
}

std::shared_ptr<VornickBlogSyncStep> VornickBlogServiceSyncSession::stepForBlogWithDescription(const Dictionary& blogDescription) const
{
    auto identifier = blogDescription.find(std::u16string_view(u"identifierUsedByBlogService"));
    if (identifier == blogDescription.end() || !identifier->second.isString())
        return nullptr;
    // Looked up for every listing page: the name is written into one buffer
    // per thread, which keeps its memory from one lookup to the next.
    thread_local std::u16string name;
    name.assign(u"syncBlog.").append(identifier->second.string());
    return std::dynamic_pointer_cast<VornickBlogSyncStep>(stepWithName(name));
}

std::shared_ptr<VornickBlogSyncStep> VornickBlogServiceSyncSession::addStepForBlogWithDescription(const Dictionary& blogDescription)
{
    if (auto existing = stepForBlogWithDescription(blogDescription))
        return existing;
    auto step = VornickBlogSyncStep::create(blogDescription);
    if (!step)
        return nullptr;
    std::weak_ptr<VornickBlogSyncStep> weakStep = step;
    step->setStartBlock([weakStep] {
        auto strongStep = weakStep.lock();
        if (!strongStep)
            return;
        if (auto log = strongStep->syncLog())
            log->log("Starting sync of blog \"{}\"", Value(strongStep->blogDescription())[u"title"]);
    });
    addStep(step);
    return step;
}

std::shared_ptr<VornickLog> VornickBlogServiceSyncSession::syncLog() const
{
    return m_integrator ? m_integrator->syncLog() : nullptr;
}

} // namespace brevanton
