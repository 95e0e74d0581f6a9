// A scripted blog service agent for the sync engine's tests, and the fake
// site it talks to.
//
// FakeBlogSite holds blogs with posts and pages in memory: identifiers, a
// server clock the test advances, modified dates ("dateLastPublished"),
// status, the server's trash and deletion, and offset paging with a page
// size (50 unless set). Several agents may share one site, as the agents of
// successive sessions of one account do.
//
// FakeBlogServiceAgent implements every request of the agent base, records
// each request, and answers its delegate from the site, on a later turn of
// the main run loop as real agents do. A script per request kind changes the
// next answers: a failure (an HTTP 500 error or a timeout), no answer, two
// answers, an answer held until the test releases it (a late answer after a
// cancel), an answer from another thread, an answer at once inside the
// request, and descriptions mangled before they leave (numeric or missing
// identifiers, dates that are not dates, no status, one identifier twice in
// a page).
#pragma once

#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickBlogServiceAgentDelegate.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brevanton {

struct FakeSitePost {
    std::u16string identifier;
    bool isPage { false };
    std::u16string title;
    std::u16string content;
    // "publish", "draft", "private", "trash", ...
    std::u16string status { u"publish" };
    Date dateFirstPublished;
    Date dateLastPublished;
    std::u16string permalink;
    std::vector<std::u16string> tags;
};

struct FakeSiteBlog {
    std::u16string identifier;
    std::u16string title;
    std::u16string browseURLString;
    // Posts and pages in the order the listing gives them.
    std::vector<FakeSitePost> posts;
};

class FakeBlogSite {
public:
    // The server's clock; starts at a fixed date.
    Date now() const { return m_now; }
    void setNow(Date now) { m_now = now; }
    void advanceClock(double seconds) { m_now = m_now.addingTimeInterval(seconds); }

    size_t pageSize() const { return m_pageSize; }
    void setPageSize(size_t size) { m_pageSize = size; }
    // By default a page says another may follow when it is full (so a count
    // that is a multiple of the page size ends with an empty page); with
    // this off, only when posts remain after it.
    void setCouldBeMoreWhenPageIsFull(bool flag) { m_couldBeMoreWhenPageIsFull = flag; }

    FakeSiteBlog& addBlog(std::u16string identifier, std::u16string title, std::u16string browseURLString = u"https://site.example/");
    FakeSiteBlog* blog(std::u16string_view identifier);
    std::vector<FakeSiteBlog>& blogs() { return m_blogs; }

    // A published post (or page) stamped with the clock; answers its identifier.
    std::u16string addPost(std::u16string_view blogIdentifier, std::u16string title, bool isPage = false,
        std::u16string status = u"publish");
    FakeSitePost* post(std::u16string_view postIdentifier);
    // A change made on the server: new title, modified date stamped now.
    void editPost(std::u16string_view postIdentifier, std::u16string newTitle);
    void trashPost(std::u16string_view postIdentifier);
    // Gone for good (not in the trash).
    void deletePost(std::u16string_view postIdentifier);

    static Dictionary descriptionOfBlog(const FakeSiteBlog&);
    static Dictionary descriptionOfPost(const FakeSitePost&);
    // The page at `offset` of the blog's posts (or pages), leaving out those
    // in the trash; `couldBeMore` as set above.
    std::vector<Dictionary> listing(std::u16string_view blogIdentifier, bool pages, int64_t offset, bool& couldBeMore) const;

    // Creates or updates a post from sent changes (its
    // "identifierUsedByBlogService" names an existing one); answers the new
    // description, or none when the changes name a post that is gone.
    std::optional<Dictionary> storePostChanges(std::u16string_view blogIdentifier, const Dictionary& changes);

    // How many posts the site created.
    int createdPostCount() const { return m_createdPostCount; }

private:
    Date m_now { Date(1780000000.0) };
    size_t m_pageSize { 50 };
    bool m_couldBeMoreWhenPageIsFull { true };
    std::vector<FakeSiteBlog> m_blogs;
    // (blog identifier, pages) -> the indexes of the posts a listing gives, until the next change.
    mutable std::map<std::pair<std::u16string, bool>, std::vector<size_t>> m_listings;
    int m_nextIdentifier { 100 };
    int m_createdPostCount { 0 };
};

class FakeBlogServiceAgent : public VornickBlogServiceAgent {
public:
    enum class RequestKind { BlogDescriptions, Posts, Pages, SendPostChanges, UpdatedProperties, MoveToTrash, ConfirmDeletion, SinglePost };

    struct Request {
        RequestKind kind;
        Dictionary blogDescription;
        int64_t startOffset { 0 };
        Dictionary postChanges;
        std::u16string postIdentifier;
        Value nativePostIdentifier;
    };

    enum class Behavior {
        Answer,          // the site's answer on a later turn of the main loop
        AnswerAtOnce,    // the site's answer inside the request
        FailWithHTTP500, // the failure callback with an HTTP 500 error
        FailWithTimeout, // the failure callback with a timeout error
        NoAnswer,        // nothing, ever
        AnswerTwice,     // the same answer twice, on two later turns
        Hold,            // kept until releaseHeldAnswers()
        OffMainThread,   // from another thread
    };

    // Changes the descriptions of a listing, a site list or a sent post's
    // answer before they are delivered.
    using Mangler = std::function<void(std::vector<Dictionary>&)>;

    explicit FakeBlogServiceAgent(std::shared_ptr<FakeBlogSite> site = std::make_shared<FakeBlogSite>());
    ~FakeBlogServiceAgent() override;

    FakeBlogSite& site() { return *m_site; }
    const std::shared_ptr<FakeBlogSite>& sharedSite() const { return m_site; }

    // The next requests of the kind behave as scripted, one entry a request,
    // in order; then they answer normally.
    void script(RequestKind, Behavior, Mangler = nullptr);
    void scriptMangling(RequestKind kind, Mangler mangler) { script(kind, Behavior::Answer, std::move(mangler)); }
    // Every request of the kind behaves so until changed.
    void setDefaultBehavior(RequestKind kind, Behavior behavior) { m_defaultBehaviors[kind] = behavior; }

    const std::vector<Request>& requests() const { return m_requests; }
    std::vector<Request> requestsOfKind(RequestKind) const;
    // "posts@0 posts@50 pages@0 send trash:12 confirm:13 blogs ..." of the
    // requests so far.
    std::string requestSummary() const;
    void clearRequests() { m_requests.clear(); }

    // Delivers the held answers now, in order.
    void releaseHeldAnswers();
    size_t heldAnswerCount() const { return m_heldAnswers.size(); }
    // Waits until every answer sent from another thread has been delivered.
    void joinBackgroundAnswers();

    // With interactive authentication on, the agent keeps the completion
    // until completeInteractiveAuthentication.
    void setNeedsInteractiveAuthentication(bool needs) { m_needsInteractiveAuthentication = needs; }
    bool beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary* blogDescription,
        std::function<void(Error)> completion) override;
    void completeInteractiveAuthentication(Error error);
    int authenticationRequestCount() const { return m_authenticationRequestCount; }

    // URL loads are answered from the site's scripted resources (404 for
    // others) on a later turn of the main loop; the loads are recorded.
    void setResource(std::u16string url, int statusCode, std::string body) { m_resources[std::move(url)] = { statusCode, std::move(body) }; }
    void loadRequest(URLRequest, CompletionHandler) override;
    // Answers as loadRequest does, the body in a new file of the folder.
    void downloadURL(const URL&, VornickReplyKind, std::string folderPath, DownloadHandler) override;
    const std::vector<std::u16string>& loadedURLs() const { return m_loadedURLs; }

    void setPagesSupported(bool supported) { m_pagesSupported = supported; }
    bool bloggingServiceSupportsPages() const override { return m_pagesSupported; }
    std::u16string protocolDescription() const override { return u"Fake"; }
    // Whether the agent fetches single posts (it does unless set off).
    void setSinglePostsSupported(bool supported) { m_singlePostsSupported = supported; }
    bool canRequestSinglePosts() const override { return m_singlePostsSupported; }

    void requestBlogDescriptions() override;
    void requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    void requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription) override;
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    // A post the site does not have fails with VornickServerSaysPostNotFoundError.
    void requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;

    // Errors the fake answers with.
    static Error http500Error();
    static Error timeoutError();
    // The descriptions' manglers.
    static Mangler numericIdentifiers();
    static Mangler missingIdentifiers();
    static Mangler datesThatAreNotDates();
    static Mangler noStatus();
    static Mangler firstIdentifierTwice();

private:
    using Delivery = std::function<void(VornickBlogServiceAgentDelegate&, VornickBlogServiceAgent&)>;
    struct Step {
        Behavior behavior;
        Mangler mangler;
    };
    Step nextStep(RequestKind);
    // Delivers per the step: `success` normally, `failure` for the failure behaviours.
    void deliver(const Step&, Delivery success, Delivery failure);
    void deliverNow(const Delivery&);

    std::shared_ptr<FakeBlogSite> m_site;
    std::map<RequestKind, std::deque<Step>> m_scripts;
    std::map<RequestKind, Behavior> m_defaultBehaviors;
    std::vector<Request> m_requests;
    std::vector<Delivery> m_heldAnswers;
    std::mutex m_threadsLock;
    std::vector<std::thread> m_threads;
    bool m_pagesSupported { false };
    bool m_singlePostsSupported { true };
    bool m_needsInteractiveAuthentication { false };
    int m_authenticationRequestCount { 0 };
    std::function<void(Error)> m_authenticationCompletion;
    std::map<std::u16string, std::pair<int, std::string>> m_resources;
    std::vector<std::u16string> m_loadedURLs;
};

} // namespace brevanton
