// VornickBlogServiceIntegrator: joins the sync engine to one blog project. It
// builds the sync sessions the synchronizer runs, owns the blog service agent
// for the running session and is its delegate, compares what the agent
// reports with the project index, and writes the changes into the index and
// the blog, post and media files. It also brings blog and post descriptions
// (from the service or from the project's files) into the index. It reaches
// the index's context through its provider (the blog project), which it does
// not own. Main thread only.
//
// Its operations live in files by concern: this header's first group in
// VornickBlogServiceIntegrator.cpp (store services and import),
// VornickBlogServiceIntegratorSessions.cpp (sessions, the site list, the
// connection), VornickBlogServiceIntegratorPostSync.cpp (the two-way post and
// page sync) and VornickBlogServiceIntegratorQueueSteps.cpp (uploads, trash
// moves and deletion checks).
#pragma once

#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickBlogServiceAgentDelegate.h"
#include "blog/VornickListingIdentifierIndex.h"
#include "blog/VornickPostResourceReferences.h"
#include "blog/VornickSyncSessionIntegrator.h"
#include "blog/VornickSyncStepState.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickLog.h"

#include <map>
#include <unordered_map>
#include <unordered_set>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class ManagedObjectContext;
class VornickBlogEditorOperations;
class VornickBlogHostingAccount;
class VornickBlogPost;
class VornickBlogPostEditorOperations;
class VornickBlogServiceIntegratorDelegate;
class VornickBlogServiceSyncSession;
class VornickBlogSyncStep;
class VornickBlogTag;
class VornickConfirmDeletionOfBlogPostsStep;
class VornickFileSnapshot;
class VornickMoveBlogPostsToTrashStep;
class VornickPublishedBlogPost;
class VornickSyncStep;
class VornickSyncStepContainer;
class VornickUploadBlogPostsStep;

class VornickBlogServiceIntegratorManagedObjectContextProvider {
public:
    virtual ~VornickBlogServiceIntegratorManagedObjectContextProvider() = default;
    virtual ManagedObjectContext* managedObjectContext() const = 0;
};

// The agent delegate base is virtual: a service's integrator may also take
// its agents' own answers through a delegate interface built on it.
class VornickBlogServiceIntegrator : public VornickSyncSessionIntegrator, public virtual VornickBlogServiceAgentDelegate {
public:
    VornickBlogServiceIntegrator();
    // Clears the session's and the agent's references to the integrator.
    ~VornickBlogServiceIntegrator() override;

    VornickBlogServiceIntegratorManagedObjectContextProvider* managedObjectContextProvider() const { return m_provider; }
    // A service's integrator may start or stop watching what follows the context.
    virtual void setManagedObjectContextProvider(VornickBlogServiceIntegratorManagedObjectContextProvider* provider) { m_provider = provider; }
    // The provider's context; null when there is none.
    ManagedObjectContext* context() const { return m_provider ? m_provider->managedObjectContext() : nullptr; }
    std::shared_ptr<VornickLog> syncLog() const override { return m_syncLog; }
    // Also the agent's log.
    void setSyncLog(std::shared_ptr<VornickLog> log);
    // Not owned.
    VornickBlogServiceIntegratorDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickBlogServiceIntegratorDelegate* delegate) { m_delegate = delegate; }

    // --- Sessions (VornickBlogServiceIntegratorSessions.cpp)

    // Offline, online or unknown (the first value; also while no host is watched).
    VornickHostConnectionStatus connectionStatus() const { return m_connectionStatus; }
    // A switch to online while the agent's host is not reachable is stored as
    // offline, with a log line. A change of the stored value posts
    // ConnectionStatusDidChangeNotification.
    void setConnectionStatus(VornickHostConnectionStatus);
    // Object: the integrator; no user info.
    static constexpr const char* ConnectionStatusDidChangeNotification = "VornickBlogServiceIntegratorConnectionStatusDidChangeNotification";
    // The agent of the running session. The base keeps the one it was given;
    // a service's integrator makes its own on first use. Null when none.
    virtual std::shared_ptr<VornickBlogServiceAgent> agent();
    // Gives the integrator an agent (becoming its delegate, with the sync log).
    void setAgent(std::shared_ptr<VornickBlogServiceAgent>);

    // A new, Waiting session of the type with its first steps.
    std::shared_ptr<VornickBlogServiceSyncSession> createSyncSessionOfType(VornickSyncSessionType);
    void addStepsForKnownBlogsToSyncSession(VornickBlogServiceSyncSession&);
    virtual void addSubstepsToBlogSyncStep(VornickBlogSyncStep&);
    const std::shared_ptr<VornickBlogServiceSyncSession>& syncSession() const { return m_syncSession; }
    // A different session drops the agent and takes the new session's back
    // reference. The delegate hears blogServiceIntegratorSyncSessionDidChangeState
    // once for it, after it reached a final state (its status notification).
    void setSyncSession(std::shared_ptr<VornickBlogServiceSyncSession>);

    // The agent's account, found in the store (and given to the agent) when it has none.
    std::shared_ptr<VornickBlogHostingAccount> account();
    bool hasEnoughInfoToAttemptLogin();
    bool talkingToHost();
    std::u16string statusHeadingString();
    void enqueueHostRequestWithBlock(VornickRateLimitedQueue::Block, VornickRateLimitedQueue::DeferralHandler);
    // Loads through the agent while the session is Active; otherwise the
    // handler is told of a cancellation at once.
    // Within the limits of `kind` (a referenced resource unless said).
    void requestDataForURL(const URL&, VornickBlogServiceAgent::CompletionHandler);
    void requestDataForURL(const URL&, VornickReplyKind, VornickBlogServiceAgent::CompletionHandler);
    // The same, the body written to a new file in `folderPath` (see the agent's downloadURL).
    void downloadURL(const URL&, VornickReplyKind, std::string folderPath, VornickBlogServiceAgent::DownloadHandler);

    // The open post editor of the post, or null.
    std::shared_ptr<VornickBlogPostEditorOperations> editorForPost(const VornickPublishedBlogPost&) const;
    // The open blog window of the blog, or null.
    std::shared_ptr<VornickBlogEditorOperations> editorForBlog(const VornickPublishedBlog&) const;

    // The agent's answers count only while the session is Active and their
    // step waits for them: a late or repeated answer changes nothing. An
    // answer from another thread is taken on the main thread. The site list
    // writes a blog's file only when the blog changed (or was never written);
    // a description without "identifierUsedByBlogService" is skipped.
    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) override;
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& blogDescriptions) override;
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error&) override;

private:
    // Tells the delegate once when the current session has reached a final state.
    void syncSessionStatusDidChange();
    // Writes the blog's file when the blog changed or has unsaved edits.
    void writeBlogFileIfChanged(VornickPublishedBlog&);
    ObserverToken m_syncSessionObserver;
    bool m_delegateToldOfFinalSessionState { false };

public:
    // --- Two-way post and page sync (VornickBlogServiceIntegratorPostSync.cpp)
    //
    // A listing is taken page by page, each page only at the offset the last
    // one asked for. A page decides the local posts it holds; the posts no
    // page held are decided once, after the last page, which is the page
    // that says no more may follow or the first empty one. The last page is
    // compared before its step completes, then the posts the listing never
    // gave are checked with the server. Descriptions without a string
    // identifier, or with one the listing already gave, are skipped.

    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& postDescriptions,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) override;
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& blogDescription) override;
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& pageDescriptions,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) override;
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& blogDescription) override;
    // Compares one page of a listing with the local posts (or pages) of
    // `blog`, the blog the description names (looked up once a page, by the
    // page's check); `identifiers` holds each description's identifier (read
    // once, by the page's check).
    void syncPostsOrPages(bool pages, const std::vector<Dictionary>& receivedDescriptions, const std::vector<std::u16string_view>& identifiers,
        int64_t startOffset, bool couldBeMore, const std::shared_ptr<VornickPublishedBlog>& blog, const Dictionary& blogDescription);
    // The description whose "identifierUsedByBlogService" is the post's (not empty).
    static const Dictionary* findPostDescriptionMatchingPost(const VornickPublishedBlogPost&, const std::vector<Dictionary>& postDescriptions);
    // Applies a server description to the post (made when there is none), or
    // holds it as the post's pending version on a conflict.
    void processPostDescriptionFromHostingService(const Dictionary* description, std::shared_ptr<VornickPublishedBlogPost> post,
        const std::shared_ptr<VornickPublishedBlog>& blog, bool conflictsWithLocalChanges);
    void importPostOrPageDescriptions(const std::vector<Dictionary>& descriptions, const Dictionary& blogDescription);
    // What the comparison does with a local post.
    enum class PostSyncDecision { Nothing, MoveToServerTrash, Upload, HoldServerVersionAsConflict, TakeServerVersion, RestoreFromLocalTrash,
                                  PatchMissingProperties };
    // The decision for a local post given its server description on the
    // page (or none) and the two flags below.
    static PostSyncDecision postSyncDecision(const VornickPublishedBlogPost&, const Dictionary* match, bool editedLocally, bool editedOnServer);
    // Edited here since the post was last in step with the server (local
    // times, with a second's grace).
    static bool postWasEditedLocally(const VornickPublishedBlogPost&);
    // The server's modified date is over a second past the one it gave when
    // the post was last in step; a date that is not a date never counts.
    bool postWasEditedOnServer(const VornickPublishedBlogPost&, const Dictionary* match);
    // Whether an upload may go over the server's current copy of the post:
    // yes unless that copy was edited since the post was last in step (an
    // edit whose conflict the user already resolved excepted). Otherwise the
    // server's copy is held as the post's conflict, the index saved, and the
    // answer is no: the post stays queued.
    bool serverVersionPermitsSending(const Dictionary& serverPostDescription, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    // The identifiers the last listings of posts (or pages) gave, of every blog.
    std::unordered_set<std::u16string> allReceivedPostIdentifiers() const { return allReceivedIdentifiers(false); }
    std::unordered_set<std::u16string> allReceivedPageIdentifiers() const { return allReceivedIdentifiers(true); }
    // The resources the posts' HTML refers to, kept from one session's scan to the next.
    VornickPostResourceReferences& postResourceReferences() { return m_postResourceReferences; }

private:
    // One page of a listing of posts or pages, on the main thread.
    void receivedListingPage(bool pages, const std::vector<Dictionary>& descriptions, const Dictionary& blogDescription,
        int64_t startOffset, bool couldBeMore);
    void failedToGetListing(bool pages, const Error&, const Dictionary& blogDescription);
    // The blog the description names (existingBlogForDescription), found
    // again only when some object changed since it was last found: a
    // listing looks it up once a page.
    std::shared_ptr<VornickPublishedBlog> listingBlog(const Dictionary& blogDescription);
    // The blog step's "syncPosts" or "syncPages" step of the current session.
    std::shared_ptr<VornickSyncStep> listingStep(bool pages, const Dictionary& blogDescription) const;
    // Decides what to do with a local post, given its server description on
    // this page (or none) and what the comparison reads of it.
    void decidePost(const std::shared_ptr<VornickPublishedBlogPost>&, const VornickPostSyncFields&, const Dictionary* match,
        const std::shared_ptr<VornickPublishedBlog>&, const Dictionary& blogDescription);
    // Decides for the index's item when its post is known unchanged and the
    // decision needs no more of it than its fields; false when it was not.
    bool decidedUnchangedPost(const VornickListingIdentifierIndex&, size_t item, const Dictionary* match);
    static bool wasEditedLocally(const VornickPostSyncFields&);
    bool wasEditedOnServer(const std::optional<Date>& dateLastPublished, const Dictionary* match);
    static PostSyncDecision postSyncDecision(const VornickPublishedBlogPost&, const VornickPostSyncFields&, const Dictionary* match,
        bool editedLocally, bool editedOnServer);
    // The offset of the page each running listing waits for: a page at
    // another offset (a repeated or stray answer) is dropped.
    std::map<const VornickSyncStepContainer*, int64_t> m_nextListingOffsets;
    // Per blog and kind, the listing's local posts (or pages) by identifier,
    // in the store's order, as of its first page (a page finds the posts it
    // holds without going through all of them), and the identifiers it
    // gave. Kept from one listing to the next, taken again only when the
    // blog's posts changed; the posts are referred to weakly.
    std::map<std::pair<const void*, bool>, VornickListingIdentifierIndex> m_listingIndexes;
    // A local item a listing page holds: its store order, its number in the
    // index, its description on the page.
    struct ListingMatch {
        size_t order;
        size_t item;
        const Dictionary* description;
    };
    // A page's identifiers and matches, kept emptied from one page to the
    // next so that their storage is reused (a page comparing a nested
    // listing page finds them taken and makes its own).
    std::vector<std::u16string_view> m_listingPageIdentifiers;
    std::vector<ListingMatch> m_listingPageMatches;
    // The blog listingBlog found last: for which identifier, in which
    // context, and the next change stamp of any object when it was found.
    struct ListingBlog {
        std::u16string identifier;
        std::weak_ptr<VornickPublishedBlog> blog;
        const ManagedObjectContext* context { nullptr };
        uint64_t foundAsOf { 0 };
    };
    ListingBlog m_listingBlog;
    std::unordered_set<std::u16string> allReceivedIdentifiers(bool pages) const;

public:
    // --- Uploads, trash moves and deletion checks (VornickBlogServiceIntegratorQueueSteps.cpp)

    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    // Whether the agent can fetch one post (the check before an update is sent).
    bool canCheckServerVersionOfPosts();
    // Fetches the server's copy of the post for the blog's "uploadPosts" step.
    void requestServerVersionOfPost(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    // Asks the delegate to queue the upload in an upload session.
    void scheduleSendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void scheduleMoveToTrashOfPost(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void scheduleConfirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    std::shared_ptr<VornickUploadBlogPostsStep> existingUploadPostsStepForBlogWithDescription(const Dictionary& blogDescription) const;
    std::shared_ptr<VornickMoveBlogPostsToTrashStep> existingMovePostsToTrashStepForBlogWithDescription(const Dictionary& blogDescription) const;
    std::shared_ptr<VornickConfirmDeletionOfBlogPostsStep> existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(
        const Dictionary& blogDescription) const;
    // Service hooks; the base does nothing / answers the description as it is.
    virtual void injectUploadOfMediaForPost(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, VornickUploadBlogPostsStep& uploadPostsStep);
    // The description to send; none (with the error saying why) when the post
    // must not be sent as it is: its entry fails and the post stays queued.
    [[nodiscard]] virtual std::optional<Dictionary> rewireResourceReferencesInPost(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, Error* outError);
    virtual void patchMissingPropertiesFromPostDescription(const Dictionary* postDescription, VornickPublishedBlogPost&);
    // Uploads a media item; the base cannot and reports the failure to the
    // blog's "uploadMediaItems" step on a later turn.
    virtual void uploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription);
    // Whether the post's source refers to the media item (by its
    // "uniqueIdentifier"); never in the base, whose blogs have no media library.
    virtual bool postReferencesMediaItem(const Value& nativePostIdentifier, const Dictionary& mediaItemDescription);
    // Opens the just-published post's "permalinkURLString" (http or https
    // only) in the browser when the user default
    // "OpenBlogPostInBrowserOnPublish" is on and the new "status" is neither
    // "draft" nor "trash".
    void ifPreferencesRequestItOpenJustPublishedPost(const Dictionary& newPostDescription, const Value& nativePostIdentifier);
    // Sets the post's "publishAtNextSync", saves the index and writes the
    // post's file, so that an upload that is refused (offline) or fails is
    // tried again by a later session; only a successful send clears it.
    // Answers false when there is no such post. Whoever queues an upload calls it.
    bool markPostForUploadAtNextSync(const Value& nativePostIdentifier);

    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, const Dictionary& newPostDescription, bool awaitUpdatedProperties) override;
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges, const Dictionary& blogDescription) override;
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& updatedProperties,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription) override;
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) override;
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, bool inTrashOnServer) override;
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) override;
    // The server's copy of a post about to be sent; taken only while the session is Active.
    void blogServiceAgentReceivedPostDescription(VornickBlogServiceAgent&, const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier) override;
    void blogServiceAgentFailedToGetPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) override;

    // --- Store services and import (VornickBlogServiceIntegrator.cpp)

    // The native identifier of a stored post: its object URI as a string.
    static Value nativeIdentifierForPost(const VornickPublishedBlogPost&);
    // The stored post of a native identifier, or null.
    std::shared_ptr<VornickPublishedBlogPost> postForNativeIdentifier(const Value& nativePostIdentifier) const;

    // The hosting account of the context: with several, the first (the
    // project's root) with a warning in the sync log; none (with a warning)
    // when there is no context or no account.
    std::shared_ptr<VornickBlogHostingAccount> findHostingAccount();
    std::shared_ptr<VornickPublishedBlog> existingBlogForDescription(const Dictionary& blogDescription) override;
    // The blog's tag of that title (exact).
    virtual std::shared_ptr<VornickBlogTag> tagWithTitle(std::u16string_view title, const VornickPublishedBlog& blog);
    // Saves the context; false (with the error) when the save fails or throws.
    [[nodiscard]] bool commitAndSaveChangesInManagedObjectContext(ManagedObjectContext&, Error* outError = nullptr);

    // Creates or updates a blog from a description; with a file, the names
    // come from the file's place. A blog from the server gets a folder name
    // made from its title (markup stripped, then made safe as a file name)
    // and its site's host.
    virtual std::shared_ptr<VornickPublishedBlog> importBlogDescription(const Dictionary& description,
                                                                        std::shared_ptr<VornickPublishedBlog> blog,
                                                                        const std::optional<URL>& sourceFile);
    // The blog's post with the description's service identifier, else (with
    // a file) the one of the file's name. Inside an import batch of the blog
    // one probe of the batch's index, else a pass over the blog's posts.
    std::shared_ptr<VornickPublishedBlogPost> existingPostForDescription(const Dictionary& description,
                                                                         const std::optional<URL>& sourceFile,
                                                                         const VornickPublishedBlog& blog);
    // Creates or updates a post from a description (into a new, empty store
    // without looking for an existing post).
    virtual std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
                                                                            std::shared_ptr<VornickPublishedBlogPost> post,
                                                                            const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                            const std::optional<URL>& sourceFile,
                                                                            bool intoNewEmptyDatabase);

    // A post from the server that its service's integrator left without a
    // file name gets one here, so that it is written to a file of its own:
    // its file-safe title and its identifier ("Untitled" without a title),
    // with " 2", " 3"... while another post of the blog has that name, and the
    // post class's extension. A post with a name keeps it. A service's
    // integrator may offer a stem of its own (made safe here), which then
    // stands for title and identifier.
    void nameImportedPostIfUnnamed(VornickPublishedBlogPost&, std::u16string_view preferredStem = {});

    // Writes a line to the sync log, when there is one.
    void logToSyncLog(std::u16string_view line) const;
    // The same, formatted as VornickLog::log formats.
    template<typename... Args>
    void logToSyncLog(fmt::format_string<VornickLogArgumentType<Args>...> format, Args&&... args) const
    {
        if (m_syncLog)
            m_syncLog->log(format, std::forward<Args>(args)...);
        else
            VornickGeneralLog(format, std::forward<Args>(args)...);
    }

    // A page of a listing that brought no identifier the listing had not
    // given (a server or cache that answers every offset alike) ends it:
    // the one line that says so. `kind` names an entry ("post", "category").
    void logListingEndsWithoutNewEntries(std::u16string_view kind, const Dictionary& blogDescription, int64_t startOffset) const;

    // A blog's folder and file names, made from its title and host, unique
    // among the project's blogs (also for a blog the user's window writes).
    void deriveBlogFileNames(VornickPublishedBlog&);

    // While it lives, importing a description from the snapshot's file takes
    // the file's modification date from the snapshot (its status when it was
    // read) rather than asking the file system again.
    class SourceFileRead {
    public:
        SourceFileRead(VornickBlogServiceIntegrator&, std::shared_ptr<const VornickFileSnapshot>);
        ~SourceFileRead();
        SourceFileRead(const SourceFileRead&) = delete;
        SourceFileRead& operator=(const SourceFileRead&) = delete;

    private:
        VornickBlogServiceIntegrator& m_integrator;
        std::shared_ptr<const VornickFileSnapshot> m_previous;
    };

    // While it lives, the blog's posts are indexed by service identifier and
    // file name for existingPostForDescription, its tags by title for
    // tagWithTitle, and the posts and tags the batch imports are added as
    // they are made: importing many descriptions (or post files) costs one
    // pass over the blog, not one a description. Nothing else may change the
    // blog's identifiers, file names or tag titles meanwhile (the batch runs
    // in one turn of the main loop).
    class ImportBatch {
    public:
        ImportBatch(VornickBlogServiceIntegrator&, const VornickPublishedBlog&);
        ~ImportBatch();
        ImportBatch(const ImportBatch&) = delete;
        ImportBatch& operator=(const ImportBatch&) = delete;

    private:
        VornickBlogServiceIntegrator& m_integrator;
        bool m_outermost;
    };

private:
    VornickBlogServiceIntegratorManagedObjectContextProvider* m_provider { nullptr };
    std::shared_ptr<VornickLog> m_syncLog;
    VornickBlogServiceIntegratorDelegate* m_delegate { nullptr };
    VornickHostConnectionStatus m_connectionStatus { VornickHostConnectionStatus::Unknown };
    std::shared_ptr<VornickBlogServiceAgent> m_agent;
    std::shared_ptr<VornickBlogServiceSyncSession> m_syncSession;
    VornickPostResourceReferences m_postResourceReferences;

    // The running import batch's index (the first post of each key, in the blog's order).
    struct PostLookup {
        const VornickPublishedBlog* blog { nullptr };
        std::unordered_map<std::u16string, std::shared_ptr<VornickPublishedBlogPost>> byIdentifier;
        std::unordered_map<std::u16string, std::shared_ptr<VornickPublishedBlogPost>> byFileName;
        // Made at the first tag lookup.
        std::optional<std::unordered_map<std::u16string, std::shared_ptr<VornickBlogTag>>> tagsByTitle;
    };
    std::optional<PostLookup> m_importLookup;
    void addToImportLookup(const std::shared_ptr<VornickPublishedBlogPost>&);

    // The file being imported, as SourceFileRead noted it.
    std::shared_ptr<const VornickFileSnapshot> m_sourceFileRead;
    std::optional<Date> sourceFileModificationDate(const URL&) const;
};

// A date of a description: a date, seconds since 1 January 2001, or ISO 8601 text.
std::optional<Date> vornick_descriptionDate(const Value*);

} // namespace brevanton
