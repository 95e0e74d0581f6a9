#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogPostEditorOperations.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickCollections.h"
#include "toolkit/VornickLog.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <utility>

namespace brevanton {

namespace {

// Changes of a second or less are taken for the clock's rounding.
constexpr double EditThreshold = 1.0;

std::u16string number(size_t value)
{
    return toUTF16(std::to_string(value));
}

// A listing step's status message: "Received <count> posts" (or pages).
// Written in place (the step copies it into its own): one is set a page.
class ReceivedMessage {
public:
    ReceivedMessage(bool pages, size_t count)
    {
        append(u"Received ");
        char digits[24];
        char* end = std::to_chars(digits, digits + sizeof digits, count).ptr;
        for (const char* digit = digits; digit != end; ++digit)
            m_text[m_length++] = static_cast<char16_t>(*digit);
        append(pages ? u" pages" : u" posts");
    }
    operator std::u16string_view() const { return { m_text.data(), m_length }; }

private:
    void append(std::u16string_view part)
    {
        std::copy(part.begin(), part.end(), m_text.begin() + static_cast<ptrdiff_t>(m_length));
        m_length += part.size();
    }
    std::array<char16_t, 48> m_text {};
    size_t m_length { 0 };
};

// The description's string for the key, read in place; empty when it is missing or no string.
std::u16string_view descriptionStringView(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found != description.end() && found->second.isString() ? std::u16string_view(found->second.string()) : std::u16string_view();
}

std::optional<Date> dateOf(const ManagedObject& object, std::u16string_view key)
{
    // Read in place: a sync reads several dates of every post.
    const Value& value = object.valueReferenceForKey(key);
    return value.isDate() ? std::optional(value.date()) : std::nullopt;
}

// The description's value for the key; null when it has none.
const Value* descriptionValue(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found == description.end() ? nullptr : &found->second;
}

// The description's non-empty string identifier, without copying it; null when none.
const std::u16string* identifierOf(const Dictionary& description)
{
    const Value* found = descriptionValue(description, u"identifierUsedByBlogService");
    if (!found || !found->isString() || found->string().empty())
        return nullptr;
    return &found->string();
}

bool statusIsTrash(const std::u16string& status)
{
    return status.size() == 5 && std::equal(status.begin(), status.end(), u"trash", [](char16_t a, char16_t b) {
        return (a >= u'A' && a <= u'Z' ? a + 32 : a) == b;
    });
}

} // namespace

void VornickBlogServiceIntegrator::logListingEndsWithoutNewEntries(std::u16string_view kind, const Dictionary& blogDescription,
    int64_t startOffset) const
{
    logToSyncLog("The listing of {} for \"{}\" ends at offset {}: the server sent no {} it had not sent already",
        kind == u"category" ? std::u16string(u"categories") : std::u16string(kind) + u"s", descriptionStringView(blogDescription, u"title"),
        startOffset, kind);
}

std::shared_ptr<VornickSyncStep> VornickBlogServiceIntegrator::listingStep(bool pages, const Dictionary& blogDescription) const
{
    if (!m_syncSession)
        return nullptr;
    auto blogStep = m_syncSession->stepForBlogWithDescription(blogDescription);
    return blogStep ? blogStep->stepWithName<VornickSyncStep>(pages ? u"syncPages" : u"syncPosts") : nullptr;
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent& agent,
    const std::vector<Dictionary>& postDescriptions, const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentReceivedPostDescriptions(agent, postDescriptions, blogDescription, startOffset, couldBeMore);
        }))
        return;
    receivedListingPage(false, postDescriptions, blogDescription, startOffset, couldBeMore);
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent& agent,
    const std::vector<Dictionary>& pageDescriptions, const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentReceivedPageDescriptions(agent, pageDescriptions, blogDescription, startOffset, couldBeMore);
        }))
        return;
    receivedListingPage(true, pageDescriptions, blogDescription, startOffset, couldBeMore);
}

std::unordered_set<std::u16string> VornickBlogServiceIntegrator::allReceivedIdentifiers(bool pages) const
{
    std::unordered_set<std::u16string> identifiers;
    for (auto& [listing, index] : m_listingIndexes) {
        if (listing.second == pages)
            identifiers.merge(index.receivedIdentifiers());
    }
    return identifiers;
}

std::shared_ptr<VornickPublishedBlog> VornickBlogServiceIntegrator::listingBlog(const Dictionary& blogDescription)
{
    // Nothing changed anywhere since the blog was found for the same
    // identifier: a fetch would find it again.
    const std::u16string* identifier = identifierOf(blogDescription);
    if (identifier && m_listingBlog.context == context() && m_listingBlog.foundAsOf == ManagedObject::nextChangeStamp()
        && m_listingBlog.identifier == *identifier) {
        if (auto blog = m_listingBlog.blog.lock())
            return blog;
    }
    auto blog = existingBlogForDescription(blogDescription);
    if (identifier && blog)
        m_listingBlog = { *identifier, blog, context(), ManagedObject::nextChangeStamp() };
    else
        m_listingBlog = {};
    return blog;
}

void VornickBlogServiceIntegrator::receivedListingPage(bool pages, const std::vector<Dictionary>& descriptions,
    const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    // Pages after the session ended, or after the user cancelled the step, change nothing.
    if (!m_syncSession || !m_syncSession->active())
        return;
    auto step = listingStep(pages, blogDescription);
    if (!step || !step->active())
        return;
    auto expected = m_nextListingOffsets.find(step.get());
    if (startOffset != (expected == m_nextListingOffsets.end() ? 0 : expected->second))
        return;

    auto blog = listingBlog(blogDescription);
    auto& listing = m_listingIndexes[{ blog.get(), pages }];
    if (startOffset == 0)
        listing.forgetReceived();
    // A description without a string identifier cannot be matched, and one
    // whose identifier this listing already gave would be decided twice:
    // both are left out.
    // (A page is copied only when it has descriptions to leave out.)
    std::vector<Dictionary> kept;
    // (The vector of the page before, emptied: a listing takes no memory a page.)
    std::vector<std::u16string_view> identifiers = std::exchange(m_listingPageIdentifiers, {});
    identifiers.clear();
    identifiers.reserve(descriptions.size());
    bool skipping = false;
    size_t repeated = 0;
    const std::u16string* firstRepeated = nullptr;
    for (size_t index = 0; index < descriptions.size(); ++index) {
        const Dictionary& description = descriptions[index];
        const std::u16string* identifier = identifierOf(description);
        bool skip = false;
        if (!identifier) {
            logToSyncLog(u"Skipping a " + std::u16string(pages ? u"page" : u"post") + u" description without identifierUsedByBlogService: \""
                + vornick_descriptionString(description, u"title") + u"\"");
            skip = true;
        } else if (!listing.noteReceived(*identifier)) {
            if (!repeated++)
                firstRepeated = identifier;
            skip = true;
        }
        if (!skip)
            identifiers.emplace_back(*identifier);
        if (skip && !skipping) {
            skipping = true;
            kept.assign(descriptions.begin(), descriptions.begin() + static_cast<ptrdiff_t>(index));
        } else if (!skip && skipping) {
            kept.push_back(description);
        }
    }
    const std::vector<Dictionary>& page = skipping ? kept : descriptions;
    // A page that brings no identifier the listing had not given (a server
    // or cache that answers every offset alike) ends the listing: it is not
    // known whole, so no post is checked for deletion.
    bool stalled = !descriptions.empty() && identifiers.empty();
    const char16_t* noun = pages ? u"page" : u"post";
    if (stalled)
        logListingEndsWithoutNewEntries(noun, blogDescription, startOffset);
    else if (repeated)
        logToSyncLog(u"Skipping " + number(repeated) + u" " + noun + (repeated == 1 ? u" description" : u" descriptions")
            + u" with ids the listing already gave (the first: " + *firstRepeated + u")");

    step->setStatusMessage(ReceivedMessage(pages, static_cast<size_t>(startOffset) + descriptions.size()));
    step->queueMainThreadStatusUpdateNotification();

    // An empty page ends the listing, whatever it says of more.
    bool lastPage = !couldBeMore || descriptions.empty() || stalled;
    int64_t nextOffset = startOffset + static_cast<int64_t>(descriptions.size());
    m_nextListingOffsets[step.get()] = lastPage ? -1 : nextOffset;
    // The page is compared before the step goes on, so that the steps the
    // comparison adds (and those after this one) start after it.
    if (!stalled)
        syncPostsOrPages(pages, page, identifiers, startOffset, !lastPage, blog, blogDescription);
    identifiers.clear();
    m_listingPageIdentifiers = std::move(identifiers);
    if (lastPage) {
        step->setState(VornickSyncStepState::Completed);
        step->queueMainThreadStatusUpdateNotification();
        logToSyncLog(u"Done syncing " + std::u16string(pages ? u"pages" : u"posts") + u" for \""
            + vornick_descriptionString(blogDescription, u"title") + u"\"");
    } else if (auto agent = this->agent()) {
        if (pages)
            agent->requestPagesForBlogWithDescription(blogDescription, nextOffset);
        else
            agent->requestPostsForBlogWithDescription(blogDescription, nextOffset);
    }

    if (m_delegate) {
        if (pages)
            m_delegate->blogServiceIntegratorReceivedPageDescriptions(*this, descriptions, blogDescription, startOffset, couldBeMore);
        else
            m_delegate->blogServiceIntegratorReceivedPostDescriptions(*this, descriptions, blogDescription, startOffset, couldBeMore);
    }
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent& agent, const Error& error,
    const Dictionary& blogDescription)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentFailedToGetPostDescriptionsWithError(agent, error, blogDescription);
        }))
        return;
    failedToGetListing(false, error, blogDescription);
    if (auto agent = this->agent(); agent && agent->bloggingServiceSupportsPages())
        agent->requestPagesForBlogWithDescription(blogDescription, 0);
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent& agent, const Error& error,
    const Dictionary& blogDescription)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentFailedToGetPageDescriptionsWithError(agent, error, blogDescription);
        }))
        return;
    failedToGetListing(true, error, blogDescription);
}

void VornickBlogServiceIntegrator::failedToGetListing(bool pages, const Error& error, const Dictionary& blogDescription)
{
    if (!m_syncSession || !m_syncSession->active())
        return;
    auto step = listingStep(pages, blogDescription);
    if (!step || !step->active())
        return;
    if (!error.isEmpty()) {
        m_nextListingOffsets[step.get()] = -1;
        step->setError(error);
        step->setStatusMessage(error.localizedDescription());
        bool permitted = pages && vornick_isTypicalWordPressFetchPermissionFailure(error);
        step->setState(permitted ? VornickSyncStepState::Completed : VornickSyncStepState::Failed);
        step->queueMainThreadStatusUpdateNotification();
    }
    if (m_delegate) {
        if (pages)
            m_delegate->blogServiceIntegratorFailedToGetPageDescriptionsWithError(*this, error, blogDescription);
        else
            m_delegate->blogServiceIntegratorFailedToGetPostDescriptionsWithError(*this, error, blogDescription);
    }
}

const Dictionary* VornickBlogServiceIntegrator::findPostDescriptionMatchingPost(const VornickPublishedBlogPost& post,
    const std::vector<Dictionary>& postDescriptions)
{
    std::u16string identifier = post.identifierUsedByBlogService();
    if (identifier.empty())
        return nullptr;
    for (auto& description : postDescriptions) {
        if (vornick_descriptionString(description, u"identifierUsedByBlogService") == identifier)
            return &description;
    }
    return nullptr;
}

void VornickBlogServiceIntegrator::syncPostsOrPages(bool pages, const std::vector<Dictionary>& receivedDescriptions,
    const std::vector<std::u16string_view>& identifiers, int64_t startOffset, bool couldBeMore,
    const std::shared_ptr<VornickPublishedBlog>& blog, const Dictionary& blogDescription)
{
    logToSyncLog("Syncing {} {} descriptions for \"{}\"...", receivedDescriptions.size(), pages ? "page" : "post",
        descriptionStringView(blogDescription, u"title"));
    if (!blog) {
        logToSyncLog(u"Failed to find blog that blog posts belong to");
        return;
    }
    // The listing's local posts by identifier, as of its first page (the
    // posts a page imports have identifiers no later page gives again).
    auto& index = m_listingIndexes[{ blog.get(), pages }];
    if (startOffset == 0 || !index.hasLocalItems())
        index.takeLocalItemsOf(*blog, pages);
    std::vector<Dictionary> remaining;
    // (The vector of the page before, emptied.)
    std::vector<ListingMatch> matched = std::exchange(m_listingPageMatches, {});
    matched.clear();
    matched.reserve(receivedDescriptions.size());
    for (size_t position = 0; position < receivedDescriptions.size(); ++position) {
        const Dictionary& description = receivedDescriptions[position];
        std::u16string_view identifier = identifiers[position];
        size_t matchedBefore = matched.size();
        index.forEachLocalItem(identifier, [&](size_t order, size_t item) { matched.push_back({ order, item, &description }); });
        if (matched.size() == matchedBefore)
            remaining.push_back(description);
    }

    if (couldBeMore) {
        // The posts this page holds, in the store's order.
        auto byOrder = [](const ListingMatch& a, const ListingMatch& b) { return a.order < b.order; };
        if (!std::is_sorted(matched.begin(), matched.end(), byOrder))
            std::stable_sort(matched.begin(), matched.end(), byOrder);
        const ManagedObject* blogObject = blog.get();
        for (auto& match : matched) {
            if (decidedUnchangedPost(index, match.item, match.description))
                continue;
            auto post = index.localPost(match.item);
            // (Fields are read of the blog's posts alone.)
            if (post && (index.unchangedSinceFieldsRead(match.item, *post) || post->objectForKey(u"blog").get() == blogObject))
                decidePost(post, index.syncFields(match.item, *post), match.description, blog, blogDescription);
        }
    }
    matched.clear();
    m_listingPageMatches = std::move(matched);
    // The posts the listing never gave: checked with the server after the last page.
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> unlisted;
    if (!couldBeMore) {
        // The last page: its posts, and once the posts no page held, in the
        // store's order. They are picked out of the index, brought up to
        // date first (the listing may have imported posts, or others
        // changed, since its first page), reaching only the posts picked (a
        // blog may have thousands of posts, most of them listed on earlier
        // pages); then decided: deciding adds and removes no posts, nor
        // changes what picks them.
        index.takeLocalItemsOf(*blog, pages);
        // This page's descriptions are the last the listing gave, in order.
        const size_t pageStart = index.receivedCount() - receivedDescriptions.size();
        struct LastPagePost {
            size_t item;
            const Dictionary* match;
            bool unlisted;
        };
        std::vector<LastPagePost> toDecide;
        toDecide.reserve(receivedDescriptions.size());
        index.forEachLocalItemInOrder([&](size_t item, bool hasIdentifier, size_t receivedAs) {
            const Dictionary* match = nullptr;
            if (receivedAs != VornickListingIdentifierIndex::NotReceived) {
                // Given by an earlier page, and decided with it.
                if (receivedAs < pageStart)
                    return;
                match = &receivedDescriptions[receivedAs - pageStart];
            }
            toDecide.push_back({ item, match, hasIdentifier && receivedAs == VornickListingIdentifierIndex::NotReceived });
        });
        for (auto& [item, match, notListed] : toDecide) {
            if (!notListed && decidedUnchangedPost(index, item, match))
                continue;
            auto post = index.localPost(item);
            if (!post)
                continue;
            if (notListed)
                unlisted.push_back(post);
            decidePost(post, index.syncFields(item, *post), match, blog, blogDescription);
        }
    }

    if (!remaining.empty()) {
        logToSyncLog(u"Importing " + number(remaining.size()) + u" remaining postDescriptions that aren't yet in our data model");
        importPostOrPageDescriptions(remaining, blogDescription);
    }
    if (auto* context = this->context(); context && context->hasChanges()) {
        Error error;
        if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
            logToSyncLog(u"Failed to save the synced posts: " + error.localizedDescription());
    }

    for (auto& post : unlisted) {
        // (As the post stands now: the imports and the save come between.)
        std::u16string identifier = post->blog() == blog ? post->identifierUsedByBlogService() : std::u16string();
        if (identifier.empty() || index.wasReceived(identifier))
            continue;
        logToSyncLog(u"No matching postDescription received from server for \"" + post->title() + u"\" (id " + identifier
            + u"). Confirming apparent post deletion with server...");
        scheduleConfirmServerSideDeletionOfPostWithIdentifier(identifier, nativeIdentifierForPost(*post), blogDescription);
    }
}

bool VornickBlogServiceIntegrator::postWasEditedLocally(const VornickPublishedBlogPost& post)
{
    return wasEditedLocally(VornickPostSyncFields::of(post));
}

bool VornickBlogServiceIntegrator::wasEditedLocally(const VornickPostSyncFields& fields)
{
    // Both are local times: the edit, and the moment the post was last in
    // step with the server. A post never marked (read from an older file)
    // compares with its publication.
    const auto& edited = fields.dateLastEditedLocally;
    const auto& mark = fields.dateLastSyncedLocally ? fields.dateLastSyncedLocally : fields.dateLastPublished;
    return edited && mark && edited->timeIntervalSince(*mark) > EditThreshold;
}

bool VornickBlogServiceIntegrator::postWasEditedOnServer(const VornickPublishedBlogPost& post, const Dictionary* match)
{
    return wasEditedOnServer(dateOf(post, u"dateLastPublished"), match);
}

bool VornickBlogServiceIntegrator::wasEditedOnServer(const std::optional<Date>& dateLastPublished, const Dictionary* match)
{
    if (!match)
        return false;
    const Value* found = descriptionValue(*match, u"dateLastPublished");
    if (!found)
        return false;
    if (!found->isDate()) {
        static std::atomic<bool> logged { false };
        if (!logged.exchange(true))
            logToSyncLog(u"\"dateLastPublished\" expected to be an NSDate");
        return false;
    }
    // Both are the server's times: now, and when the post was last in step.
    return dateLastPublished && found->date().timeIntervalSince(*dateLastPublished) > EditThreshold;
}

bool VornickBlogServiceIntegrator::serverVersionPermitsSending(const Dictionary& serverPostDescription, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    auto post = postForNativeIdentifier(nativePostIdentifier);
    if (!post || !postWasEditedOnServer(*post, &serverPostDescription))
        return true;
    // The user already chose over this version of the server's copy.
    Date serverDate = serverPostDescription.find(std::u16string_view(u"dateLastPublished"))->second.date();
    if (auto resolved = dateOf(*post, u"dateConflictLastResolvedWithServer"); resolved && !(*resolved < serverDate))
        return true;
    logToSyncLog(u"** CONFLICT(1): \"" + post->title() + u"\" (" + post->identifierUsedByBlogService()
        + u") edited both locally and on the server!");
    logToSyncLog(u"Not sending \"" + post->title() + u"\": the server's copy changed since it was last synced. It stays queued.");
    auto blog = existingBlogForDescription(blogDescription);
    if (!blog)
        blog = post->objectForKey<VornickPublishedBlog>(u"blog");
    processPostDescriptionFromHostingService(&serverPostDescription, post, blog, true);
    if (auto* context = this->context(); context && context->hasChanges()) {
        Error error;
        if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
            logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
    }
    return false;
}

VornickBlogServiceIntegrator::PostSyncDecision VornickBlogServiceIntegrator::postSyncDecision(const VornickPublishedBlogPost& post,
    const Dictionary* match, bool editedLocally, bool editedOnServer)
{
    return postSyncDecision(post, VornickPostSyncFields::of(post), match, editedLocally, editedOnServer);
}

VornickBlogServiceIntegrator::PostSyncDecision VornickBlogServiceIntegrator::postSyncDecision(const VornickPublishedBlogPost& post,
    const VornickPostSyncFields& fields, const Dictionary* match, bool editedLocally, bool editedOnServer)
{
    using Decision = PostSyncDecision;
    // A post in the local trash that the server never had (or no longer
    // has) has nothing to move there, nor to send.
    bool onServer = fields.onServer;
    if (fields.inTrash && !onServer)
        return Decision::Nothing;
    if (fields.publishAtNextSync) {
        if (fields.inTrash)
            return editedOnServer ? Decision::Nothing : Decision::MoveToServerTrash;
        if (!post.currentlyPublished())
            return Decision::Upload;
        return editedOnServer ? Decision::HoldServerVersionAsConflict : Decision::Upload;
    }
    if (editedLocally) {
        if (editedOnServer)
            return Decision::HoldServerVersionAsConflict;
        return post.currentlyPublished() ? Decision::Nothing : Decision::Upload;
    }
    if (editedOnServer)
        return Decision::TakeServerVersion;
    if (!onServer)
        return Decision::Upload;
    if (fields.inTrash) {
        bool listedOutsideTrash = match && match->contains(std::u16string_view(u"status"))
            && !statusIsTrash(vornick_descriptionString(*match, u"status"));
        return listedOutsideTrash ? Decision::RestoreFromLocalTrash : Decision::Nothing;
    }
    return Decision::PatchMissingProperties;
}

bool VornickBlogServiceIntegrator::decidedUnchangedPost(const VornickListingIdentifierIndex& index, size_t item, const Dictionary* match)
{
    const VornickPostSyncFields* fields = nullptr;
    VornickPublishedBlogPost* post = index.postKnownUnchanged(item, fields);
    if (!post)
        return false;
    auto decision = postSyncDecision(*post, *fields, match, wasEditedLocally(*fields), wasEditedOnServer(fields->dateLastPublished, match));
    if (decision == PostSyncDecision::Nothing)
        return true;
    if (decision == PostSyncDecision::PatchMissingProperties) {
        patchMissingPropertiesFromPostDescription(match, *post);
        return true;
    }
    return false;
}

void VornickBlogServiceIntegrator::decidePost(const std::shared_ptr<VornickPublishedBlogPost>& post, const VornickPostSyncFields& fields,
    const Dictionary* match, const std::shared_ptr<VornickPublishedBlog>& blog, const Dictionary& blogDescription)
{
    bool serverEdited = wasEditedOnServer(fields.dateLastPublished, match);
    bool localEdited = wasEditedLocally(fields);
    auto decision = postSyncDecision(*post, fields, match, localEdited, serverEdited);
    // Most posts of a sync need nothing: their names are read only for the others.
    if (decision == PostSyncDecision::Nothing)
        return;
    if (decision == PostSyncDecision::PatchMissingProperties) {
        patchMissingPropertiesFromPostDescription(match, *post);
        return;
    }
    std::u16string title = post->title();
    std::u16string identifier = post->identifierUsedByBlogService();
    switch (decision) {
    case PostSyncDecision::Nothing:
        break;
    case PostSyncDecision::MoveToServerTrash:
        logToSyncLog(u"\"" + title + u"\" (" + identifier + u") is in the local Trash. Moving it to WordPress' Trash.");
        if (auto archive = post->archivalRepresentation())
            scheduleMoveToTrashOfPost(archive->propertyList(), blogDescription, nativeIdentifierForPost(*post));
        break;
    case PostSyncDecision::Upload:
        if (post->publishAtNextSync() && !post->currentlyPublished())
            logToSyncLog(u">> \"" + title + u"\", not yet published, has publishAtNextSync set. Pushing it to the server.");
        else if (post->publishAtNextSync())
            logToSyncLog(u">> \"" + title + u"\" (" + identifier + u"), already published, has publishAtNextSync set. Pushing it to the server.");
        else if (!localEdited)
            logToSyncLog(u">> \"" + title + u"\" is a draft not yet on the server. Uploading it.");
        if (auto archive = post->archivalRepresentation())
            scheduleSendPostChanges(archive->propertyList(), blogDescription, nativeIdentifierForPost(*post));
        break;
    case PostSyncDecision::HoldServerVersionAsConflict:
        logToSyncLog(u"** CONFLICT(" + std::u16string(post->publishAtNextSync() ? u"1" : u"2") + u"): \"" + title + u"\" (" + identifier
            + u") edited both locally and on the server!");
        processPostDescriptionFromHostingService(match, post, blog, true);
        break;
    case PostSyncDecision::TakeServerVersion:
        logToSyncLog(u"<< \"" + vornick_descriptionString(*match, u"title") + u"\" ("
            + vornick_descriptionString(*match, u"identifierUsedByBlogService") + u") edited on server but not locally.");
        processPostDescriptionFromHostingService(match, post, blog, false);
        break;
    case PostSyncDecision::RestoreFromLocalTrash:
        logToSyncLog(u"<< Restoring \"" + title + u"\" from our local Trash, since it isn't in the Trash on the server.");
        post->ManagedObject::setValueForKey(Value(false), u"inTrash");
        post->setHasEditsNotYetSavedToSourceFile(true);
        // The file first: the page's save then records it as written.
        if (auto url = post->sourceFileURL(); url && !editorForPost(*post)) {
            Error error;
            if (!post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
                logToSyncLog(u"Failed to write the post file of \"" + title + u"\": " + error.localizedDescription());
        }
        break;
    case PostSyncDecision::PatchMissingProperties:
        patchMissingPropertiesFromPostDescription(match, *post);
        break;
    }
}

void VornickBlogServiceIntegrator::processPostDescriptionFromHostingService(const Dictionary* description,
    std::shared_ptr<VornickPublishedBlogPost> post, const std::shared_ptr<VornickPublishedBlog>& blog, bool conflictsWithLocalChanges)
{
    auto editor = post ? editorForPost(*post) : nullptr;
    bool conflict = post && (conflictsWithLocalChanges || (editor && editor->isDocumentEdited()));
    if (conflict) {
        const Value* serverDate = nullptr;
        if (description) {
            if (auto found = description->find(std::u16string_view(u"dateLastPublished")); found != description->end())
                serverDate = &found->second;
        }
        auto resolved = dateOf(*post, u"dateConflictLastResolvedWithServer");
        if (serverDate && serverDate->isDate() && resolved && !(*resolved < serverDate->date())) {
            logToSyncLog(u"Conflict for \"" + vornick_descriptionString(*description, u"title") + u"\" already resolved. Nothing to do.");
            return;
        }
        if (!description)
            return;
        Error error;
        auto data = writePropertyList(Value(*description), PropertyListFormat::Binary, &error);
        if (!data) {
            logToSyncLog(u"Failed to keep the server's version of \"" + post->title() + u"\": " + error.localizedDescription());
            return;
        }
        if (editor)
            editor->postWillReceiveNewPendingDescription();
        post->ManagedObject::setValueForKey(Value(std::move(*data)), u"pendingPostDescriptionData");
        if (editor)
            editor->postDidReceiveNewPendingDescription();
        return;
    }
    if (!description || !blog)
        return;

    if (editor)
        editor->postWillReceiveReplacementFromServer();
    post = importPostDescription(*description, post, blog, std::nullopt, false);
    if (!post)
        return;
    nameImportedPostIfUnnamed(*post);
    addToImportLookup(post);
    // The post is now what the server has.
    post->setDateLastSyncedLocally(Date::now());
    post->setHasEditsNotYetSavedToSourceFile(true);
    if (!editor) {
        if (auto url = post->sourceFileURL()) {
            Error error;
            if (!post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
                logToSyncLog(u"Failed to write the post file of \"" + post->title() + u"\": " + error.localizedDescription());
        }
    }
    if (editor)
        editor->postDidReceiveReplacementFromServer();
    if (auto blogEditor = editorForBlog(*blog))
        blogEditor->updateDisplayedContentForPost(post);
}

void VornickBlogServiceIntegrator::importPostOrPageDescriptions(const std::vector<Dictionary>& descriptions, const Dictionary& blogDescription)
{
    auto blog = existingBlogForDescription(blogDescription);
    if (!blog) {
        logToSyncLog(u"Failed to find blog that blog posts belong to");
        return;
    }
    ImportBatch batch(*this, *blog);
    for (auto& description : descriptions)
        processPostDescriptionFromHostingService(&description, existingPostForDescription(description, std::nullopt, *blog), blog, false);
    if (auto* context = this->context(); context && context->hasChanges()) {
        Error error;
        if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
            logToSyncLog(u"Failed to save the imported posts: " + error.localizedDescription());
    }
}

} // namespace brevanton
