#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickWordPressBlog.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressRequestStep.h"

#include <algorithm>

namespace brevanton {

namespace {

std::u16string countText(size_t count)
{
    return toUTF16(std::to_string(count));
}

using TermDescriptions = std::vector<VornickWordPressTermDescription>;

// The description a local term stands for: by identifier when the term has
// one, else by title.
TermDescriptions::iterator matchingDescription(const ManagedObject& term, TermDescriptions& remaining)
{
    std::u16string identifier = term.valueForKey(u"identifierUsedByBlogService").stringValue();
    if (!identifier.empty())
        return std::find_if(remaining.begin(), remaining.end(), [&](auto& description) { return description.identifierText() == identifier; });
    std::u16string title = term.valueForKey(u"title").stringValue();
    if (title.empty())
        return remaining.end();
    return std::find_if(remaining.begin(), remaining.end(), [&](auto& description) { return description.title == title; });
}

void updateTerm(ManagedObject& term, const VornickWordPressTermDescription& description)
{
    term.setValueForKey(Value(description.identifierText()), u"identifierUsedByBlogService");
    if (!description.title.empty())
        term.setValueForKey(Value(description.title), u"title");
    if (!description.explanation.empty())
        term.setValueForKey(Value(description.explanation), u"explanation");
    term.setValueForKey(Value(false), u"publishAtNextSync");
}

} // namespace

TermDescriptions::iterator VornickWordPressIntegrator::findCategoryDescriptionMatchingCategory(const ManagedObject& category,
                                                                                             TermDescriptions& descriptions)
{
    return matchingDescription(category, descriptions);
}

TermDescriptions::iterator VornickWordPressIntegrator::findTagDescriptionMatchingTag(const ManagedObject& tag, TermDescriptions& descriptions)
{
    return matchingDescription(tag, descriptions);
}

void VornickWordPressIntegrator::updateCategory(ManagedObject& category, const VornickWordPressTermDescription& description)
{
    updateTerm(category, description);
}

void VornickWordPressIntegrator::updateTag(ManagedObject& tag, const VornickWordPressTermDescription& description)
{
    updateTerm(tag, description);
}

// --- Categories

void VornickWordPressIntegrator::wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const TermDescriptions& categories,
    const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    auto step = requestStepNamed(u"syncCategories", blogDescription);
    if (!step || !step->takeAnswer(startOffset))
        return;
    vornick_setStepStatusMessage(*step, u"Received " + countText(categories.size() + static_cast<size_t>(startOffset)) + u" category descriptions");
    if (startOffset == 0) {
        m_allReceivedCategoryIdentifiers.clear();
        m_parentChildCategoryIdentifierPairs.clear();
    }
    size_t receivedBefore = m_allReceivedCategoryIdentifiers.size();
    queueParentChildCategoryIdentifierPairsFromCategoryDescriptions(categories);
    if (!categories.empty() && m_allReceivedCategoryIdentifiers.size() == receivedBefore) {
        // Nothing new: the listing ends, not known whole, so nothing is deleted.
        logListingEndsWithoutNewEntries(u"category", blogDescription, startOffset);
        if (auto blog = wordPressBlogForDescription(blogDescription)) {
            stitchParentChildCategoryPairsForBlog(*blog);
            saveContext(u"the categories");
        }
        step->finish(u"Done", VornickSyncStepState::Completed);
        return;
    }
    syncCategoriesWithReceivedDescriptions(categories, startOffset, couldBeMore, blogDescription);
    if (couldBeMore && !categories.empty())
        step->requestPageAtOffset(startOffset + static_cast<int64_t>(categories.size()));
    else
        step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto step = requestStepNamed(u"syncCategories", blogDescription); step && step->isAwaitingAnswer()) {
        step->setError(error);
        step->finish(u"Failed", VornickSyncStepState::Failed);
    }
}

void VornickWordPressIntegrator::queueParentChildCategoryIdentifierPairsFromCategoryDescriptions(const TermDescriptions& descriptions)
{
    for (const auto& description : descriptions) {
        std::u16string identifier = description.identifierText();
        m_allReceivedCategoryIdentifiers.insert(identifier);
        auto parent = description.parentIdentifierText();
        m_parentChildCategoryIdentifierPairs.emplace_back(parent ? Value(*parent) : Value(), identifier);
    }
}

void VornickWordPressIntegrator::syncCategoriesWithReceivedDescriptions(const TermDescriptions& descriptions, int64_t /*startOffset*/,
    bool couldBeMore, const Dictionary& blogDescription)
{
    auto blog = wordPressBlogForDescription(blogDescription);
    auto* context = this->context();
    if (!blog || !context)
        return;
    logToSyncLog(u"Syncing " + countText(descriptions.size()) + u" category descriptions");
    bool exhaustive = syncSession() && syncSession()->type() == VornickSyncSessionType::ExhaustiveManual;
    TermDescriptions remaining = descriptions;
    for (auto& category : blog->objectsForKey(u"categories")) {
        auto match = findCategoryDescriptionMatchingCategory(*category, remaining);
        if (match != remaining.end()) {
            updateCategory(*category, *match);
            remaining.erase(match);
            continue;
        }
        // Only a category the site once had can be gone from it; one made
        // here and not sent yet has no identifier and stays.
        std::u16string identifier = category->valueForKey(u"identifierUsedByBlogService").stringValue();
        if (!couldBeMore && exhaustive && !identifier.empty() && !m_allReceivedCategoryIdentifiers.contains(identifier)) {
            logToSyncLog(u"Category \"" + category->valueForKey(u"title").stringValue() + u"\" (" + identifier + u") was deleted on the server");
            context->deleteObject(category);
        }
    }
    for (const auto& description : remaining) {
        auto category = context->insertNewObject(u"BlogCategory");
        category->setObjectForKey(blog, u"blog");
        updateCategory(*category, description);
    }
    // Parents are set once every page is in: a child's parent may come on a later page.
    if (!couldBeMore)
        stitchParentChildCategoryPairsForBlog(*blog);
    // The blog file holds the terms the index holds.
    writeBlogFile(*blog);
    saveContext(u"the categories");
}

void VornickWordPressIntegrator::stitchParentChildCategoryPairsForBlog(VornickWordPressBlog& blog)
{
    for (const auto& [parent, child] : m_parentChildCategoryIdentifierPairs) {
        auto category = existingCategoryWithIdentifier(child, blog);
        if (!category)
            continue;
        if (parent.isString())
            category->setObjectForKey(existingCategoryWithIdentifier(parent.string(), blog), u"parentCategory");
        else if (parent.isNull())
            category->setObjectForKey(nullptr, u"parentCategory");
    }
    m_parentChildCategoryIdentifierPairs.clear();
}

// --- Tags

void VornickWordPressIntegrator::wordPressAgentReceivedTagDescriptions(VornickWordPressAgent&, const TermDescriptions& tags,
    const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    auto step = requestStepNamed(u"syncTags", blogDescription);
    if (!step || !step->takeAnswer(startOffset))
        return;
    vornick_setStepStatusMessage(*step, u"Received " + countText(tags.size() + static_cast<size_t>(startOffset)) + u" tag descriptions");
    if (startOffset == 0)
        m_allReceivedTagIdentifiers.clear();
    size_t receivedBefore = m_allReceivedTagIdentifiers.size();
    for (const auto& description : tags)
        m_allReceivedTagIdentifiers.insert(description.identifierText());
    if (!tags.empty() && m_allReceivedTagIdentifiers.size() == receivedBefore) {
        logListingEndsWithoutNewEntries(u"tag", blogDescription, startOffset);
        step->finish(u"Done", VornickSyncStepState::Completed);
        return;
    }
    syncTagsWithReceivedDescriptions(tags, startOffset, couldBeMore, blogDescription);
    if (couldBeMore && !tags.empty())
        step->requestPageAtOffset(startOffset + static_cast<int64_t>(tags.size()));
    else
        step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceiveTagDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto step = requestStepNamed(u"syncTags", blogDescription); step && step->isAwaitingAnswer()) {
        step->setError(error);
        step->finish(u"Failed", VornickSyncStepState::Failed);
    }
}

void VornickWordPressIntegrator::syncTagsWithReceivedDescriptions(const TermDescriptions& descriptions, int64_t /*startOffset*/,
    bool couldBeMore, const Dictionary& blogDescription)
{
    auto blog = wordPressBlogForDescription(blogDescription);
    auto* context = this->context();
    if (!blog || !context)
        return;
    logToSyncLog(u"Syncing " + countText(descriptions.size()) + u" tag descriptions");
    bool exhaustive = syncSession() && syncSession()->type() == VornickSyncSessionType::ExhaustiveManual;
    TermDescriptions remaining = descriptions;
    for (auto& tag : blog->objectsForKey(u"tags")) {
        auto match = findTagDescriptionMatchingTag(*tag, remaining);
        if (match != remaining.end()) {
            updateTag(*tag, *match);
            remaining.erase(match);
            continue;
        }
        std::u16string identifier = tag->valueForKey(u"identifierUsedByBlogService").stringValue();
        if (!couldBeMore && exhaustive && !identifier.empty() && !m_allReceivedTagIdentifiers.contains(identifier)) {
            logToSyncLog(u"Tag \"" + tag->valueForKey(u"title").stringValue() + u"\" (" + identifier + u") was deleted on the server");
            context->deleteObject(tag);
        }
    }
    for (const auto& description : remaining) {
        auto tag = context->insertNewObject(u"BlogTag");
        tag->setObjectForKey(blog, u"blog");
        updateTag(*tag, description);
    }
    // The blog file holds the terms the index holds.
    writeBlogFile(*blog);
    saveContext(u"the tags");
}

// --- Post formats and statuses

void VornickWordPressIntegrator::wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& formats,
    const Dictionary& blogDescription)
{
    auto step = requestStepNamed(u"getPostFormats", blogDescription);
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!step || !blog || !step->takeAnswer(0))
        return;
    for (const auto& [identifier, title] : formats) {
        if (!title.isString())
            continue;
        if (auto format = existingOrNewPostFormatWithIdentifier(identifier, *blog))
            format->setValueForKey(title, u"title");
    }
    // The blog file holds the terms the index holds.
    writeBlogFile(*blog);
    saveContext(u"the post formats");
    step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceivePostFormatDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto step = requestStepNamed(u"getPostFormats", blogDescription); step && step->isAwaitingAnswer()) {
        step->setError(error);
        step->finish(u"Failed", VornickSyncStepState::Failed);
    }
}

void VornickWordPressIntegrator::wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& statuses,
    const Dictionary& blogDescription)
{
    auto step = requestStepNamed(u"getPostStatuses", blogDescription);
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!step || !blog || !step->takeAnswer(0))
        return;
    for (const auto& [identifier, title] : statuses) {
        if (!title.isString())
            continue;
        if (auto status = existingOrNewPostStatusWithIdentifier(identifier, *blog))
            status->setValueForKey(title, u"title");
    }
    // The blog file holds the terms the index holds.
    writeBlogFile(*blog);
    saveContext(u"the post statuses");
    step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceivePostStatusDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto step = requestStepNamed(u"getPostStatuses", blogDescription); step && step->isAwaitingAnswer()) {
        step->setError(error);
        step->finish(u"Failed", VornickSyncStepState::Failed);
    }
}

// --- Blog options

void VornickWordPressIntegrator::wordPressAgentReceivedBlogOptions(VornickWordPressAgent&, const VornickWordPressSiteSettings& settings,
    const Dictionary& blogDescription)
{
    auto step = requestStepNamed(u"getBlogOptions", blogDescription);
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!step || !blog || !step->takeAnswer(0))
        return;
    // What the site did not give stays as it was.
    auto set = [&](const auto& field, std::u16string_view key) {
        if (field)
            blog->ManagedObject::setValueForKey(Value(*field), key);
    };
    set(settings.allowComments, u"allowComments");
    set(settings.allowPings, u"allowPings");
    set(settings.themeIdentifier, u"themeIdentifier");
    set(settings.dateFormat, u"wordPressDateFormat");
    set(settings.timeFormat, u"wordPressTimeFormat");
    set(settings.timeZoneHours, u"wordPressTimeZone");
    writeBlogFile(*blog);
    saveContext(u"the blog options");
    step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceiveBlogOptions(VornickWordPressAgent&, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto step = requestStepNamed(u"getBlogOptions", blogDescription); step && step->isAwaitingAnswer()) {
        logToSyncLog(u"Failed to get the blog options: " + error.localizedDescription());
        step->setError(error);
        step->finish(u"Failed", VornickSyncStepState::Failed);
    }
}

} // namespace brevanton
