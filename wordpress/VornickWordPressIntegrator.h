// VornickWordPressIntegrator: the integrator of WordPress projects. Beside
// the generic keys it reads what WordPress blog, post and media item files
// hold: the site's settings, post formats and statuses, categories and tags
// (a list read replaces the blog's, so terms gone from the file go from the
// index too), a post's type, categories, tags, format, status and featured
// image.
//
// In a sync it picks the agent by the account's protocol, adds the WordPress
// steps to each blog step, takes the agent's WordPress answers (terms, post
// formats and statuses, blog options, the media library, media uploads),
// schedules the uploads of a post's new media before the post, points a
// post's images at their uploaded media before it is sent, and hands the
// templates step the answers about its proxy draft, which is never imported.
//
// Its operations live in files by concern: VornickWordPressIntegrator.cpp
// (agent, import from files and the service, lookups),
// VornickWordPressIntegratorSteps.cpp (the steps of a blog step and the
// answers about posts), VornickWordPressIntegratorTerms.cpp (categories,
// tags, formats, statuses, blog options), VornickWordPressIntegratorMedia.cpp
// (the media library and its uploads) and VornickWordPressIntegratorRewiring.cpp
// (a post's references before it is sent). Main thread only.
#pragma once

#include "blog/VornickBlogServiceIntegrator.h"
#include "platform/foundation/NotificationCenter.h"
#include "wordpress/VornickWordPressAgentDelegate.h"

#include <set>
#include <utility>

namespace brevanton {

class ManagedObject;
class VornickBlogCategory;
class VornickUploadWordPressMediaItemsStep;
class VornickWordPressAgent;
class VornickWordPressBlog;
class VornickWordPressMediaItem;
class VornickWordPressPostFormat;
class VornickWordPressPostStatus;
class VornickWordPressRequestStep;

class VornickWordPressIntegrator : public VornickBlogServiceIntegrator, public VornickWordPressAgentDelegate {
public:
    // Reads the default "FetchWordPressTemplatesByCreatingDrafts" once.
    VornickWordPressIntegrator();
    // Clears the agent's reference to the integrator and stops watching the caches.
    ~VornickWordPressIntegrator() override;

    // Watches the blogs' web resource caches while a provider is set.
    void setManagedObjectContextProvider(VornickBlogServiceIntegratorManagedObjectContextProvider*) override;

    // Whether the templates step takes templates from the previews of a proxy
    // draft instead of published sample posts.
    bool fetchTemplatesByCreatingDrafts() const { return m_fetchTemplatesByCreatingDrafts; }

    // --- Agent, import, lookups (VornickWordPressIntegrator.cpp)

    // The agent given, else a new one for the hosting WordPress account's
    // protocol (XML-RPC or REST); null, with a line in the sync log, without one.
    std::shared_ptr<VornickBlogServiceAgent> agent() override;
    // The agent when it is a WordPress agent, as agent() makes it; null for
    // none or another kind set through setAgent.
    std::shared_ptr<VornickWordPressAgent> wordPressAgent();
    int64_t wordPressDotComSiteCount();

    std::shared_ptr<VornickPublishedBlog> importBlogDescription(const Dictionary& description, std::shared_ptr<VornickPublishedBlog> blog,
                                                                const std::optional<URL>& sourceFile) override;
    // Beside the generic keys: type, format, status, categories and tags
    // (exactly those the description names), the featured image, and for a
    // post without a file name one made from its permalink's path ("about"
    // for ".../about/"), unique within the blog; a post without such a path
    // ("?p=12") is named by the generic rule.
    std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
                                                                    std::shared_ptr<VornickPublishedBlogPost> post,
                                                                    const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                    const std::optional<URL>& sourceFile,
                                                                    bool intoNewEmptyDatabase) override;
    // The file name stem a permalink gives ("2021_05_hello" for
    // "/2021/05/hello.html", "_landing_page" for the site's root), made safe
    // as a file name; empty when the permalink has no usable path (a plain
    // permalink "?p=12", no URL).
    static std::u16string postFileStemForPermalink(std::u16string_view permalinkURLString);
    void patchMissingPropertiesFromPostDescription(const Dictionary* postDescription, VornickPublishedBlogPost&) override;

    void importCategoryDescriptions(const std::vector<Dictionary>&, VornickWordPressBlog&);
    void importTagDescriptions(const std::vector<Dictionary>&, VornickWordPressBlog&);
    void importPostFormatDescriptions(const Dictionary& titlesByIdentifier, VornickWordPressBlog&);
    void importPostStatusDescriptions(const Dictionary& titlesByIdentifier, VornickWordPressBlog&);

    std::shared_ptr<VornickBlogCategory> categoryWithTitle(std::u16string_view title, const VornickPublishedBlog&);
    std::shared_ptr<VornickBlogCategory> existingCategoryWithIdentifier(std::u16string_view identifier, const VornickPublishedBlog&);
    std::shared_ptr<VornickBlogTag> tagWithTitle(std::u16string_view title, const VornickPublishedBlog&) override;
    std::shared_ptr<VornickBlogTag> existingTagWithIdentifier(std::u16string_view identifier, const VornickPublishedBlog&);
    std::shared_ptr<ManagedObject> existingOrNewPostFormatWithIdentifier(const std::u16string& identifier, VornickWordPressBlog&);
    std::shared_ptr<ManagedObject> existingOrNewPostStatusWithIdentifier(const std::u16string& identifier, VornickWordPressBlog&);

    // --- Steps and answers about posts (VornickWordPressIntegratorSteps.cpp)

    // After the generic steps, by session type: blog options, formats and
    // statuses (type 3, each when the agent wants it); tags (when wanted),
    // categories, the media library before the posts and pages after them
    // (all but type 5); media uploads before post uploads (all but type 5);
    // the templates last (types 3 and 5).
    void addSubstepsToBlogSyncStep(VornickBlogSyncStep&) override;
    // The blog step's "uploadMediaItems" step, added before "uploadPosts" (else
    // last) when there is none yet.
    std::shared_ptr<VornickUploadWordPressMediaItemsStep> addUploadMediaItemsStepToBlogSyncStep(VornickBlogSyncStep&);
    // The blog step's step of that name while the session is Active, else null.
    std::shared_ptr<VornickSyncStepContainer> activeStepNamed(std::u16string_view name, const Dictionary& blogDescription) const;
    // The same when it is a T, else null.
    template<typename T> std::shared_ptr<T> activeStepNamed(std::u16string_view name, const Dictionary& blogDescription) const
    {
        return std::dynamic_pointer_cast<T>(activeStepNamed(name, blogDescription));
    }

    // Answers about the templates' proxy draft go to the "getTemplates" step;
    // the rest to the generic handling.
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, const Dictionary& newPostDescription, bool awaitUpdatedProperties) override;
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges, const Dictionary& blogDescription) override;
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& updatedProperties,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription) override;
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) override;
    // A page of posts goes to the generic listing; the templates' proxy
    // draft is left out: it is no post of the user's.
    void wordPressAgentReceivedPostDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressPostDescription>& posts,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) override;
    // Whether a description, queue entry or native identifier is the proxy draft's.
    static bool isTemplateProxyDraft(const Dictionary& postDescription);
    static bool isTemplateProxyDraft(const VornickWordPressPostDescription&);
    static bool isTemplateProxyDraftIdentifier(const Value& nativePostIdentifier);

    // --- Terms, formats, statuses, blog options (VornickWordPressIntegratorTerms.cpp)

    // A page of categories: the local ones it holds are updated, new ones
    // made; after the last page (a type-3 session only) the local categories
    // with a service identifier no page held are deleted, and parent links
    // are set from every page's pairs.
    void wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& categories,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) override;
    void wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription, const Error&) override;
    void wordPressAgentReceivedTagDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& tags, const Dictionary& blogDescription,
        int64_t startOffset, bool couldBeMore) override;
    void wordPressAgentFailedToReceiveTagDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription, const Error&) override;
    void wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& formats, const Dictionary& blogDescription) override;
    void wordPressAgentFailedToReceivePostFormatDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription, const Error&) override;
    void wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& statuses, const Dictionary& blogDescription) override;
    void wordPressAgentFailedToReceivePostStatusDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription, const Error&) override;
    void wordPressAgentReceivedBlogOptions(VornickWordPressAgent&, const VornickWordPressSiteSettings&, const Dictionary& blogDescription) override;
    void wordPressAgentFailedToReceiveBlogOptions(VornickWordPressAgent&, const Dictionary& blogDescription, const Error&) override;

    void syncCategoriesWithReceivedDescriptions(const std::vector<VornickWordPressTermDescription>&, int64_t startOffset, bool couldBeMore,
        const Dictionary& blogDescription);
    void syncTagsWithReceivedDescriptions(const std::vector<VornickWordPressTermDescription>&, int64_t startOffset, bool couldBeMore,
        const Dictionary& blogDescription);
    // The description of `descriptions` that stands for the local term: by
    // identifier when the term has one, else by title; end() when none.
    static std::vector<VornickWordPressTermDescription>::iterator findCategoryDescriptionMatchingCategory(const ManagedObject& category,
        std::vector<VornickWordPressTermDescription>& descriptions);
    static std::vector<VornickWordPressTermDescription>::iterator findTagDescriptionMatchingTag(const ManagedObject& tag,
        std::vector<VornickWordPressTermDescription>& descriptions);
    void queueParentChildCategoryIdentifierPairsFromCategoryDescriptions(const std::vector<VornickWordPressTermDescription>&);
    void stitchParentChildCategoryPairsForBlog(VornickWordPressBlog&);
    static void updateCategory(ManagedObject& category, const VornickWordPressTermDescription& description);
    static void updateTag(ManagedObject& tag, const VornickWordPressTermDescription& description);

    const std::set<std::u16string>& allReceivedCategoryIdentifiers() const { return m_allReceivedCategoryIdentifiers; }
    const std::set<std::u16string>& allReceivedTagIdentifiers() const { return m_allReceivedTagIdentifiers; }

    // --- The media library (VornickWordPressIntegratorMedia.cpp)

    // The blog's media item with the description's service identifier, else
    // its local URL string, remote URL string or unique identifier, else
    // (with a file) the file's name.
    std::shared_ptr<VornickWordPressMediaItem> existingMediaItemForDescription(const Dictionary& description,
                                                                               const std::optional<URL>& sourceFile,
                                                                               const VornickWordPressBlog& blog);
    // Creates or updates an item. A new item from the service gets a file
    // "<identifier>.brevantonwordpressmediaitem" in the media folder, made
    // safe and unique, and is written there. Its description comes from
    // "description" or "htmlDescription".
    std::shared_ptr<VornickWordPressMediaItem> importMediaItemDescription(const Dictionary& description,
                                                                          std::shared_ptr<VornickWordPressMediaItem> item,
                                                                          const std::shared_ptr<VornickWordPressBlog>& blog,
                                                                          const std::optional<URL>& sourceFile);
    void importVariantDescriptions(const Dictionary& variants, VornickWordPressMediaItem&);
    // The items of a listing page, each found as above or made.
    void importMediaItemDescriptions(const std::vector<VornickWordPressMediaItemDescription>&, const std::shared_ptr<VornickWordPressBlog>&);
    // Saves the index and posts VornickWordPressBlogAddedMediaItemsNotification (object: the blog).
    void commitMediaItemChangesAndNotifyForBlog(VornickWordPressBlog&);
    static constexpr const char* AddedMediaItemsNotification = "VornickWordPressBlogAddedMediaItemsNotification";

    // Schedules the upload of each media item the post uses (its images, its
    // featured image) that the site does not have yet, before the post's upload.
    void injectUploadOfMediaForPost(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier,
        VornickUploadBlogPostsStep& uploadPostsStep) override;
    // Hands the item (found by its description) to the agent.
    void uploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription) override;
    bool postReferencesMediaItem(const Value& nativePostIdentifier, const Dictionary& mediaItemDescription) override;

    void wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressMediaItemDescription>& items,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) override;
    void wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent&, const Dictionary& blogDescription, int64_t startOffset,
        const Error&) override;
    void wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent&, const VornickWordPressMediaItemDescription& stored,
        const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& blogDescription) override;
    void wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent&, const std::shared_ptr<VornickWordPressMediaItem>&,
        const Dictionary& blogDescription, const Error&) override;

    // --- The blogs' web resource caches (VornickWordPressIntegratorMedia.cpp)

    bool watchingWebCache() const { return m_watchingWebCache; }
    // Observes VornickWebResourceCacheDidAddFileNotification of every cache (on the main thread).
    void startWatchingWebCache();
    void stopWatchingWebCache();
    // A file a blog's cache added for the address of one of its media items
    // becomes the item's local file (relative to the item's file), and the
    // item's file is rewritten. An item whose own local file is still there
    // keeps it: the cache only holds a copy, and may be emptied.
    void someWebResourceCacheAddedAFile(const Notification&);

    // --- Rewiring before a send (VornickWordPressIntegratorRewiring.cpp)

    // Points the post's images at their media items (the resource reference
    // patcher), then its references to cached copies back at their web
    // addresses (the resource reference replacer). A text that still refers
    // to a local file (a "file:" URL, or a relative reference to a file of
    // the blog's folder) is not sent: none, with an error naming it.
    [[nodiscard]] std::optional<Dictionary> rewireResourceReferencesInPost(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, Error* outError) override;
    // The first reference of the text to a local file, resolved against
    // `baseURL`, or nothing; `blogFolder` bounds what a relative reference may name.
    static std::optional<std::u16string> firstLocalFileReference(const std::u16string& htmlString, const std::optional<URL>& baseURL,
        const std::optional<URL>& blogFolder);

private:
    std::shared_ptr<VornickWordPressBlog> wordPressBlogForDescription(const Dictionary& blogDescription);
    std::shared_ptr<VornickWordPressRequestStep> requestStepNamed(std::u16string_view name, const Dictionary& blogDescription) const;
    void saveContext(std::u16string_view what);
    // The blog's file, rewritten when it does not hold what the blog holds.
    void writeBlogFile(VornickWordPressBlog&);
    void writeMediaItemFile(VornickWordPressMediaItem&);
    // The item of a description handed to the upload step (its unique identifier, else its local URL string).
    std::shared_ptr<VornickWordPressMediaItem> mediaItemForUploadDescription(const Dictionary& mediaItemDescription,
        const Dictionary& blogDescription);

    std::set<std::u16string> m_allReceivedCategoryIdentifiers;
    // [parent identifier (a string, or null), child identifier], waiting for the last page.
    std::vector<std::pair<Value, std::u16string>> m_parentChildCategoryIdentifierPairs;
    std::set<std::u16string> m_allReceivedTagIdentifiers;
    // The media items' identifiers the current listing of the library gave.
    std::set<std::u16string> m_allReceivedMediaItemIdentifiers;
    bool m_fetchTemplatesByCreatingDrafts { false };
    bool m_watchingWebCache { false };
    ObserverToken m_webCacheObservation;
};

} // namespace brevanton
