// Test support for the WordPress REST agent: an agent whose REST requests
// are recorded instead of sent (the test answers each as the server would),
// a delegate recording every answer, and the recorded WordPress 6.1 replies
// under tests/data/wordpress-rest.
#pragma once

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressRESTAgent.h"
#include "wordpress/VornickWordPressRESTPayload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevanton {

inline Value recordedRESTReply(const std::string& name)
{
    auto text = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-rest/" + name);
    EXPECT_TRUE(text) << name;
    Error error;
    auto json = readJSON(text.value_or("null"), &error, { .fragmentsAllowed = true });
    EXPECT_TRUE(json) << error;
    return json.value_or(Value());
}

class RecordingRESTAgent final : public VornickWordPressRESTAgent {
public:
    struct Request {
        std::u16string path;
        int versionOverride { 0 };
        std::u16string method;
        Value blogID;
        QueryParameters query;
        std::shared_ptr<const VornickWordPressRESTPayload> payload;
        VornickReplyKind kind;
        RESTCompletion completion;

        Value queryValue(std::u16string_view name) const
        {
            for (const auto& [key, value] : query) {
                if (key == name)
                    return value;
            }
            return Value();
        }
        const Dictionary& jsonBody() const
        {
            static const Dictionary none;
            auto json = std::dynamic_pointer_cast<const VornickWordPressJSONPayload>(payload);
            return json ? json->dictionary() : none;
        }
    };

    std::vector<Request> requests;

    void postRESTRequestWithEndpointPath(std::u16string_view path, int versionOverride, std::u16string_view httpMethod, const Value& blogID,
        const QueryParameters& queryParameters, std::shared_ptr<const VornickWordPressRESTPayload> payload, VornickReplyKind kind,
        RESTCompletion completion) override
    {
        requests.push_back({ std::u16string(path), versionOverride, std::u16string(httpMethod), blogID, queryParameters, std::move(payload),
            kind, std::move(completion) });
    }

    static URLRequest urlRequestFor(const Request& request)
    {
        return URLRequest(*URL::create(u"http://127.0.0.1:8080/wp-json/wp/v2/" + request.path));
    }

    // The server answers the last request (or the given one) with a JSON value.
    void answer(const std::optional<Value>& json, size_t index = SIZE_MAX)
    {
        const Request& request = requests.at(index == SIZE_MAX ? requests.size() - 1 : index);
        auto response = std::make_shared<HTTPURLResponse>(urlRequestFor(request).url(), 200, HTTPHeaderFields());
        request.completion(RESTReply { urlRequestFor(request), response, json, Error() });
    }

    // The server answers with an HTTP error status and a WordPress error
    // reply, as the base's reply check reports it.
    void answerError(int status, const Value& json, size_t index = SIZE_MAX)
    {
        const Request& request = requests.at(index == SIZE_MAX ? requests.size() - 1 : index);
        std::u16string message = u"HTTP Error " + toUTF16(std::to_string(status)) + u": code=" + json[u"code"].stringValue() + u": \""
            + json[u"message"].stringValue() + u"\"";
        Error error(VornickHTTPErrorDomain, status, Dictionary { { Error::LocalizedDescriptionKey, Value(message) }, { u"json", json } });
        request.completion(RESTReply { urlRequestFor(request), nullptr, std::nullopt, error });
    }
};

struct RecordedAnswer {
    std::string name;
    Dictionary blogDescription;
    std::vector<Dictionary> descriptions;
    std::vector<VornickWordPressTermDescription> terms;
    Dictionary dictionary;
    int64_t startOffset { -1 };
    bool flag { false };
    std::u16string postIdentifier;
    Value nativePostIdentifier;
    Error error;
};

class RecordingWordPressDelegate final : public VornickWordPressAgentDelegate {
public:
    std::vector<RecordedAnswer> answers;

    RecordedAnswer& add(std::string name)
    {
        answers.emplace_back();
        answers.back().name = std::move(name);
        return answers.back();
    }

    const RecordedAnswer& only() const
    {
        EXPECT_EQ(answers.size(), 1u);
        static const RecordedAnswer none;
        return answers.empty() ? none : answers.back();
    }

    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) override { }
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& blogs) override
    {
        RecordedAnswer& answer = add("receivedBlogs"); answer.descriptions = blogs;
    }
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error& error) override
    {
        RecordedAnswer& answer = add("failedBlogs"); answer.error = error;
    }
    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& posts, const Dictionary& blog,
        int64_t startOffset, bool couldBeMore) override
    {
        RecordedAnswer& answer = add("receivedPosts"); answer.blogDescription = blog; answer.descriptions = posts; answer.startOffset = startOffset; answer.flag = couldBeMore;
    }
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("failedPosts"); answer.blogDescription = blog; answer.error = error;
    }
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& pages, const Dictionary& blog,
        int64_t startOffset, bool couldBeMore) override
    {
        RecordedAnswer& answer = add("receivedPages"); answer.blogDescription = blog; answer.descriptions = pages; answer.startOffset = startOffset; answer.flag = couldBeMore;
    }
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("failedPages"); answer.blogDescription = blog; answer.error = error;
    }
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary& changes, const Dictionary& blog,
        const Value& native, const Dictionary& newDescription, bool await) override
    {
        RecordedAnswer& answer = add("sent"); answer.blogDescription = blog; answer.descriptions = { changes }; answer.dictionary = newDescription; answer.flag = await; answer.nativePostIdentifier = native;
    }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& changes, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("failedToSend"); answer.blogDescription = blog; answer.descriptions = { changes };
    }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&,
        const Value&) override
    {
        add("receivedUpdatedProperties");
    }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string&,
        const Dictionary&, const Value&) override
    {
        add("failedUpdatedProperties");
    }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value& native,
        const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("trashed"); answer.blogDescription = blog; answer.postIdentifier = post; answer.nativePostIdentifier = native;
    }
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value& native,
        const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedToTrash"); answer.blogDescription = blog; answer.postIdentifier = post; answer.nativePostIdentifier = native; answer.error = error;
    }
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post,
        const Value& native, const Dictionary& blog, bool inTrash) override
    {
        RecordedAnswer& answer = add("confirmedDeletion"); answer.blogDescription = blog; answer.flag = inTrash; answer.postIdentifier = post; answer.nativePostIdentifier = native;
    }
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post,
        const Value& native, const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedToConfirmDeletion"); answer.blogDescription = blog; answer.postIdentifier = post; answer.nativePostIdentifier = native; answer.error = error;
    }

    void blogServiceAgentReceivedPostDescription(VornickBlogServiceAgent&, const Dictionary& post, const Dictionary& blog,
        const Value& native) override
    {
        RecordedAnswer& answer = add("receivedPost"); answer.blogDescription = blog; answer.dictionary = post; answer.nativePostIdentifier = native;
    }
    void blogServiceAgentFailedToGetPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value& native,
        const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedToGetPost"); answer.blogDescription = blog; answer.postIdentifier = post; answer.nativePostIdentifier = native; answer.error = error;
    }
    void wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& formats, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("receivedFormats"); answer.blogDescription = blog; answer.dictionary = formats;
    }
    void wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& statuses, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("receivedStatuses"); answer.blogDescription = blog; answer.dictionary = statuses;
    }
    void wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& terms, const Dictionary& blog,
        int64_t startOffset, bool couldBeMore) override
    {
        RecordedAnswer& answer = add("receivedCategories"); answer.blogDescription = blog; answer.terms = terms; answer.startOffset = startOffset; answer.flag = couldBeMore;
    }
    void wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedCategories"); answer.blogDescription = blog; answer.error = error;
    }
    void wordPressAgentReceivedTagDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& terms, const Dictionary& blog,
        int64_t startOffset, bool couldBeMore) override
    {
        RecordedAnswer& answer = add("receivedTags"); answer.blogDescription = blog; answer.terms = terms; answer.startOffset = startOffset; answer.flag = couldBeMore;
    }
    void wordPressAgentFailedToReceiveTagDescriptions(VornickWordPressAgent&, const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedTags"); answer.blogDescription = blog; answer.error = error;
    }
    void wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressMediaItemDescription>& items, const Dictionary& blog,
        int64_t startOffset, bool couldBeMore) override
    {
        RecordedAnswer& answer = add("receivedMedia"); answer.blogDescription = blog; answer.startOffset = startOffset; answer.flag = couldBeMore;
        for (const auto& item : items)
            answer.descriptions.push_back(item.dictionary());
    }
    void wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent&, const Dictionary& blog, int64_t startOffset,
        const Error& error) override
    {
        RecordedAnswer& answer = add("failedMedia"); answer.blogDescription = blog; answer.startOffset = startOffset; answer.error = error;
    }
    void wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent&, const VornickWordPressMediaItemDescription& stored,
        const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& blog) override
    {
        RecordedAnswer& answer = add("uploaded"); answer.blogDescription = blog; answer.dictionary = stored.dictionary();
    }
    void wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent&, const std::shared_ptr<VornickWordPressMediaItem>&,
        const Dictionary& blog, const Error& error) override
    {
        RecordedAnswer& answer = add("failedToUpload"); answer.blogDescription = blog; answer.error = error;
    }
};

// A WordPress project whose account an agent records requests for.
class WordPressRESTAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("wordpress-rest").value();
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        m_account = m_project->wordPressAccount();
        m_account->setRootURLString(u"http://127.0.0.1:8080/");
        m_account->ManagedObject::setValueForKey(Value(u"author"), u"loginID");
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        m_agent = std::make_shared<RecordingRESTAgent>();
        m_agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
        m_agent->setLog(m_log);
        m_agent->setDelegate(&m_delegate);
    }

    void TearDown() override
    {
        m_agent.reset();
        m_project.reset();
        m_log.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    // A hosted account on the service's v1.1 interface (version 1) or "wp/v2".
    void useHostedAccount(int version)
    {
        m_account->setRootURLString(u"https://notes.wordpress.com");
        m_account->setRestAPIVersion(version);
    }

    std::string logText() const { return toUTF8(m_log->text()); }
    RecordingRESTAgent::Request& lastRequest() { return m_agent->requests.back(); }

    std::string m_folder;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<RecordingRESTAgent> m_agent;
    RecordingWordPressDelegate m_delegate;
    Dictionary m_blog { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Notes & Sketches") } };
};

} // namespace brevanton
