// The XML-RPC agent of a WordPress account project (in a temporary folder)
// pointed at the test site, with a delegate that records every answer in
// order, and a plain XML-RPC call for looking at the site behind the agent's
// back.
#pragma once

#include "platform/foundation/Value.h"
#include "tests/wordpress/site/WordPressSiteTestSupport.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressXMLRPCAgent.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton::testing {

// One answer of the agent: which callback, and what came with it.
struct AgentAnswer {
    std::string name;
    std::vector<Dictionary> list;
    std::vector<VornickWordPressTermDescription> terms;
    Dictionary dictionary;
    VornickWordPressSiteSettings settings;
    Error error;
    bool flag { false };
    int64_t startOffset { 0 };
    std::u16string postIdentifier;
};

class RecordingWordPressAgentDelegate final : public VornickWordPressAgentDelegate {
public:
    std::vector<AgentAnswer> answers;

    AgentAnswer& add(std::string name)
    {
        answers.emplace_back().name = std::move(name);
        return answers.back();
    }

    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) override { }
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& blogs) override
    {
        auto& answer = add("receivedBlogs");
        answer.list = blogs;
    }
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error& error) override
    {
        auto& answer = add("failedBlogs");
        answer.error = error;
    }
    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& posts, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        auto& answer = add("receivedPosts");
        answer.list = posts;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
    }
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary&) override
    {
        auto& answer = add("failedPosts");
        answer.error = error;
    }
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& pages, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        auto& answer = add("receivedPages");
        answer.list = pages;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
    }
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary&) override
    {
        auto& answer = add("failedPages");
        answer.error = error;
    }
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&,
        const Dictionary& newPost, bool await) override
    {
        auto& answer = add("sent");
        answer.dictionary = newPost;
        answer.flag = await;
    }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&) override
    {
        add("failedToSend");
    }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& properties,
        const Dictionary&, const Value&) override
    {
        auto& answer = add("updatedProperties");
        answer.dictionary = properties;
    }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string& post,
        const Dictionary&, const Value&) override
    {
        auto& answer = add("failedUpdatedProperties");
        answer.postIdentifier = post;
    }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&) override
    {
        auto& answer = add("trashed");
        answer.postIdentifier = post;
    }
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedToTrash");
        answer.error = error;
        answer.postIdentifier = post;
    }
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&, bool inTrash) override
    {
        auto& answer = add("confirmed");
        answer.flag = inTrash;
        answer.postIdentifier = post;
    }
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post,
        const Value&, const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedToConfirm");
        answer.error = error;
        answer.postIdentifier = post;
    }

    void wordPressAgentReceivedBlogOptions(VornickWordPressAgent&, const VornickWordPressSiteSettings& settings, const Dictionary&) override
    {
        auto& answer = add("options");
        answer.settings = settings;
    }
    void wordPressAgentFailedToReceiveBlogOptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedOptions");
        answer.error = error;
    }
    void wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& categories,
        const Dictionary&, int64_t startOffset, bool couldBeMore) override
    {
        auto& answer = add("categories");
        answer.terms = categories;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
    }
    void wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedCategories");
        answer.error = error;
    }
    void wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& formats, const Dictionary&) override
    {
        auto& answer = add("formats");
        answer.dictionary = formats;
    }
    void wordPressAgentFailedToReceivePostFormatDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedFormats");
        answer.error = error;
    }
    void wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& statuses, const Dictionary&) override
    {
        auto& answer = add("statuses");
        answer.dictionary = statuses;
    }
    void wordPressAgentFailedToReceivePostStatusDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        auto& answer = add("failedStatuses");
        answer.error = error;
    }
    void wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressMediaItemDescription>& items, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        auto& answer = add("media");
        for (const auto& item : items)
            answer.list.push_back(item.dictionary());
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
    }
    void wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent&, const Dictionary&, int64_t startOffset,
        const Error& error) override
    {
        auto& answer = add("failedMedia");
        answer.error = error;
        answer.startOffset = startOffset;
    }
    void wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent&, const VornickWordPressMediaItemDescription& stored,
        const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&) override
    {
        auto& answer = add("uploaded");
        answer.dictionary = stored.dictionary();
    }
    void wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent&, const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&,
        const Error& error) override
    {
        auto& answer = add("failedUpload");
        answer.error = error;
    }
};

// A plain XML-RPC call's outcome: the reply's object, or the fault, or the error.
struct SiteCallResult {
    std::optional<Value> object;
    std::optional<int64_t> faultCode;
    Error error;
};

// Calls `method` at the site's xmlrpc.php and waits for its one answer.
SiteCallResult callSite(const WordPressSite&, std::u16string method, Array parameters);

// The leading parameters of a call on the site's blog for a user.
Array siteCallParameters(const WordPressSiteUser&);

// The JSON of a REST request to the site (`path` under "/wp-json"), sent with
// the user's application password; nullopt when no JSON came back.
// A body is sent as JSON.
std::optional<Value> requestSiteREST(const WordPressSite&, const WordPressSiteUser&, const std::u16string& method, const std::u16string& path,
    const std::string& jsonBody = {});

// An XML-RPC agent on a new WordPress account project for one of the site's
// users (the application password handed over as the keychain would).
class XMLRPCAgentOnSite {
public:
    XMLRPCAgentOnSite(const WordPressSite&, const WordPressSiteUser&);
    ~XMLRPCAgentOnSite();

    // Runs the main loop until the delegate heard `count` answers in all,
    // then a little longer so that one more would show; false on a timeout
    // or any other count.
    [[nodiscard]] bool waitForAnswers(size_t count, double timeout = 30);
    // The answer `index` (an empty one, failing the test, when there is none).
    const AgentAnswer& answer(size_t index) const;
    bool logHas(std::u16string_view) const;
    std::u16string logText() const;

    // The one blog of the site, as the site list describes it.
    const Dictionary& blog() const { return m_blog; }
    const std::string& folder() const { return m_folder; }
    std::shared_ptr<VornickWordPressBlogProject> project() const { return m_project; }
    std::shared_ptr<VornickWordPressAccount> account() const { return m_account; }
    VornickWordPressXMLRPCAgent& agent() const { return *m_agent; }
    RecordingWordPressAgentDelegate& recorder() { return m_recorder; }

private:
    std::string m_folder;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickLog> m_log;
    RecordingWordPressAgentDelegate m_recorder;
    std::shared_ptr<VornickWordPressXMLRPCAgent> m_agent;
    Dictionary m_blog;
};

} // namespace brevanton::testing
