#include "blog/VornickBlogServiceSyncSession.h"

#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncSessionIntegrator.h"
#include "toolkit/VornickLog.h"

#include <algorithm>
#include <array>

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
    // Looked up for every listing page: a name of the usual length is
    // written in place, not into a string of its own.
    constexpr std::u16string_view prefix = u"syncBlog.";
    const std::u16string& blogIdentifier = identifier->second.string();
    std::array<char16_t, 64> inPlace;
    if (prefix.size() + blogIdentifier.size() > inPlace.size())
        return stepWithName<VornickBlogSyncStep>(std::u16string(prefix) + blogIdentifier);
    auto end = std::copy(blogIdentifier.begin(), blogIdentifier.end(), std::copy(prefix.begin(), prefix.end(), inPlace.begin()));
    return stepWithName<VornickBlogSyncStep>(std::u16string_view(inPlace.data(), static_cast<size_t>(end - inPlace.begin())));
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
