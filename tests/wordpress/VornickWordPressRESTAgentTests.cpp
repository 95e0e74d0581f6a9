#include "wordpress/VornickWordPressRESTAgent.h"

#include "platform/foundation/RunLoop.h"
#include "tests/wordpress/WordPressRESTTestSupport.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "wordpress/VornickWordPressRESTPayload.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using VornickWordPressRESTAgentTests = WordPressRESTAgentTest;

TEST_F(VornickWordPressRESTAgentTests, ListingRequestsByVersionAndSite)
{
    EXPECT_EQ(m_agent->protocolDescription(), u"REST (v2)");
    EXPECT_TRUE(m_agent->reportedPostsIncludePostsInTrash());
    EXPECT_FALSE(m_agent->wantsRequestBlogOptionsSyncStep());
    EXPECT_TRUE(m_agent->wantsRequestTagsStep());

    m_agent->requestPagesForBlogWithDescription(m_blog, 50);
    EXPECT_EQ(lastRequest().path, u"pages");
    EXPECT_EQ(lastRequest().method, u"GET");
    EXPECT_EQ(lastRequest().query, (VornickWordPressAgent::QueryParameters { { u"per_page", Value(50) }, { u"offset", Value(50) },
                                       { u"context", Value(u"edit") }, { u"status", Value(u"publish,future,draft,pending,private,trash") } }));
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    EXPECT_EQ(lastRequest().path, u"posts");
    m_agent->requestMediaItemsForBlogWithDescription(m_blog, 100);
    EXPECT_EQ(lastRequest().path, u"media");
    EXPECT_EQ(lastRequest().queryValue(u"per_page"), Value(50));
    EXPECT_EQ(lastRequest().queryValue(u"offset"), Value(100));
    EXPECT_EQ(lastRequest().queryValue(u"context"), Value(u"edit"));
    m_agent->requestTagsForBlogWithDescription(m_blog, 0);
    EXPECT_EQ(lastRequest().path, u"tags");
    EXPECT_EQ(lastRequest().query, (VornickWordPressAgent::QueryParameters { { u"per_page", Value(100) }, { u"page", Value(1) } }));
    EXPECT_NE(logText().find("Requesting pages 50-99 for \"Notes & Sketches\" (pages)"), std::string::npos) << logText();
    EXPECT_NE(logText().find("Requesting media items 100-149 for \"Notes & Sketches\" (media)"), std::string::npos);
    EXPECT_NE(logText().find("Requesting post tags 0-99 for \"Notes & Sketches\" (tags)"), std::string::npos);

    // Hosted accounts: every path within "sites/<site>/"; version 1 lists
    // pages among the posts by type, and media by "number".
    useHostedAccount(1);
    m_blog[u"identifierUsedByBlogService"] = Value(u"4242");
    EXPECT_EQ(m_agent->protocolDescription(), u"REST (v1.1)");
    m_agent->requestPagesForBlogWithDescription(m_blog, 0);
    EXPECT_EQ(lastRequest().path, u"sites/4242/posts");
    EXPECT_EQ(lastRequest().queryValue(u"type"), Value(u"page"));
    m_agent->requestCategoriesForBlogWithDescription(m_blog, 200);
    EXPECT_EQ(lastRequest().path, u"sites/4242/categories");
    EXPECT_EQ(lastRequest().queryValue(u"page"), Value(3));
    EXPECT_EQ(lastRequest().queryValue(u"per_page"), Value(100));
    m_agent->requestMediaItemsForBlogWithDescription(m_blog, 0);
    EXPECT_EQ(lastRequest().queryValue(u"number"), Value(50));
    EXPECT_TRUE(lastRequest().queryValue(u"per_page").isNull());
    for (const auto& request : m_agent->requests)
        EXPECT_EQ(request.versionOverride, 0);

    // Formats and statuses need no request.
    size_t sent = m_agent->requests.size();
    m_agent->requestPostFormatsForBlogWithDescription(m_blog);
    m_agent->requestPostStatusesForBlogWithDescription(m_blog);
    EXPECT_EQ(m_agent->requests.size(), sent);
    ASSERT_EQ(m_delegate.answers.size(), 2u);
    EXPECT_EQ(m_delegate.answers[0].name, "receivedFormats");
    EXPECT_EQ(m_delegate.answers[0].dictionary, VornickWordPressAgent::constantPostFormatDescriptions());
    EXPECT_EQ(m_delegate.answers[1].name, "receivedStatuses");
}

TEST_F(VornickWordPressRESTAgentTests, PostListingPagesByWhatTheServerSent)
{
    // 50 sent, one of them no post: 49 kept, and yet another page may follow.
    Value page = recordedRESTReply("posts-page.json");
    page.array()[10] = Value(u"not a post");
    m_agent->requestPostsForBlogWithDescription(m_blog, 100);
    m_agent->answer(page);
    const RecordedAnswer& answer = m_delegate.only();
    EXPECT_EQ(answer.name, "receivedPosts");
    EXPECT_EQ(answer.descriptions.size(), 49u);
    EXPECT_EQ(answer.startOffset, 100);
    EXPECT_TRUE(answer.flag);
    EXPECT_EQ(answer.blogDescription, m_blog);
    EXPECT_NE(logText().find("Received 149 posts so far for \"Notes & Sketches\""), std::string::npos) << logText();

    // A short page of pages ends the listing, through the page callback.
    m_delegate.answers.clear();
    m_agent->requestPagesForBlogWithDescription(m_blog, 0);
    Value pages = recordedRESTReply("pages-page.json");
    pages.array().resize(20);
    m_agent->answer(pages);
    EXPECT_EQ(m_delegate.only().name, "receivedPages");
    EXPECT_EQ(m_delegate.only().descriptions.size(), 20u);
    EXPECT_FALSE(m_delegate.only().flag);

    // A reply that holds no list fails rather than ending the listing empty.
    m_delegate.answers.clear();
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    m_agent->answer(Value(Dictionary { { u"unexpected", Value(true) } }));
    EXPECT_EQ(m_delegate.only().name, "failedPosts");
    EXPECT_TRUE(m_delegate.only().error.is(VornickErrorDomain, VornickReplyWithoutExpectedValueError));
    m_delegate.answers.clear();
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    m_agent->answer(std::nullopt);
    EXPECT_EQ(m_delegate.only().name, "failedPosts");

    // Version 1 wraps the list.
    m_delegate.answers.clear();
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    m_agent->answer(Value(Dictionary { { u"found", Value(1) }, { u"posts", Value(Array { Value(Dictionary { { u"ID", Value(3) } }) }) } }));
    EXPECT_EQ(m_delegate.only().descriptions.at(0).at(u"identifierUsedByBlogService"), Value(u"3"));
}

TEST_F(VornickWordPressRESTAgentTests, PostListingFailures)
{
    Value wrongPassword = recordedRESTReply("error-incorrect-password.json");
    m_agent->requestPagesForBlogWithDescription(m_blog, 0);
    m_agent->answerError(401, wrongPassword);
    EXPECT_EQ(m_delegate.only().name, "failedPages");
    EXPECT_EQ(m_delegate.only().error.code(), 401);
    EXPECT_NE(logText().find("Failed to get pages 0-49 for \"Notes & Sketches\" (pages): It's possible we don't have permission to fetch pages."),
        std::string::npos)
        << logText();

    // Going on after a failure asks for the next page instead.
    m_delegate.answers.clear();
    m_agent->setContinuesAfterFailure(true);
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    m_agent->answerError(500, Value(Dictionary { { u"code", Value(u"internal_server_error") }, { u"message", Value(u"Oops") } }));
    EXPECT_TRUE(m_delegate.answers.empty());
    EXPECT_EQ(lastRequest().queryValue(u"offset"), Value(50));
    EXPECT_NE(logText().find("Failed to get posts 0-49 for \"Notes & Sketches\" (posts) (HTTP Error 500"), std::string::npos);
    EXPECT_NE(logText().find("Continuing to fetch despite this failure"), std::string::npos);
}

TEST_F(VornickWordPressRESTAgentTests, TermAndMediaListings)
{
    m_agent->requestCategoriesForBlogWithDescription(m_blog, 0);
    m_agent->answer(recordedRESTReply("categories-page-1.json"));
    m_agent->requestCategoriesForBlogWithDescription(m_blog, 100);
    EXPECT_EQ(lastRequest().queryValue(u"page"), Value(2));
    m_agent->answer(recordedRESTReply("categories-page-2.json"));
    ASSERT_EQ(m_delegate.answers.size(), 2u);
    EXPECT_EQ(m_delegate.answers[0].name, "receivedCategories");
    EXPECT_EQ(m_delegate.answers[0].terms.size(), 100u);
    EXPECT_TRUE(m_delegate.answers[0].flag);
    EXPECT_EQ(m_delegate.answers[1].terms.size(), 23u);
    EXPECT_EQ(m_delegate.answers[1].startOffset, 100);
    EXPECT_FALSE(m_delegate.answers[1].flag);
    EXPECT_NE(logText().find("Received 23 categories for \"Notes & Sketches\""), std::string::npos);

    m_delegate.answers.clear();
    m_agent->requestTagsForBlogWithDescription(m_blog, 0);
    m_agent->answer(Value(u"<html>"));
    EXPECT_EQ(m_delegate.only().name, "failedTags");
    EXPECT_NE(logText().find("Failed to get tags for \"Notes & Sketches\""), std::string::npos);

    m_delegate.answers.clear();
    m_agent->requestMediaItemsForBlogWithDescription(m_blog, 0);
    m_agent->answer(recordedRESTReply("media.json"));
    EXPECT_EQ(m_delegate.only().name, "receivedMedia");
    EXPECT_EQ(m_delegate.only().descriptions.size(), 2u);
    EXPECT_FALSE(m_delegate.only().flag);
    EXPECT_NE(logText().find("Got media response with 2 media item descriptions"), std::string::npos);

    m_delegate.answers.clear();
    Value noList(Dictionary { { u"found", Value(0) } });
    m_agent->requestMediaItemsForBlogWithDescription(m_blog, 50);
    m_agent->answer(noList);
    const RecordedAnswer& failure = m_delegate.only();
    EXPECT_EQ(failure.name, "failedMedia");
    EXPECT_EQ(failure.startOffset, 50);
    EXPECT_TRUE(failure.error.is(VornickErrorDomain, 39));
    EXPECT_EQ(failure.error.userInfo().at(u"dictionary"), noList);
    EXPECT_EQ(failure.error.userInfo().at(u"key"), Value(u"media"));
    EXPECT_EQ(failure.error.userInfo().at(u"expectedType"), Value(u"array"));
    EXPECT_NE(logText().find("Got media response with no media"), std::string::npos);
}

TEST_F(VornickWordPressRESTAgentTests, SendingPosts)
{
    Value native(u"x-object://post/7");
    Dictionary draft { { u"title", Value(u"New & fresh") }, { u"sourceContentString", Value(u"<p>Hi</p>") }, { u"status", Value(u"draft") },
        { u"type", Value(u"Page") }, { u"categoryIdentifiers", Value(Array { Value(u"3"), Value(u"0"), Value(u"x"), Value(7) }) } };
    m_agent->sendPostChanges(draft, m_blog, native);
    const auto& request = lastRequest();
    EXPECT_EQ(request.path, u"pages");
    EXPECT_EQ(request.method, u"POST");
    EXPECT_TRUE(request.query.empty());
    // No date of its own: none is sent, so WordPress keeps the draft's date moving.
    EXPECT_EQ(request.jsonBody(), (Dictionary { { u"title", Value(u"New & fresh") }, { u"content", Value(u"<p>Hi</p>") },
                                      { u"status", Value(u"draft") }, { u"categories", Value(Array { Value(3) }) },
                                      { u"featured_media", Value(0) } }));
    EXPECT_NE(logText().find("-> Sending a new post \"New & fresh\" to WordPress (postID missing or zero)"), std::string::npos);

    Value stored = recordedRESTReply("pages-page.json").array()[0];
    m_agent->answer(stored);
    const RecordedAnswer& answer = m_delegate.only();
    EXPECT_EQ(answer.name, "sent");
    EXPECT_EQ(answer.nativePostIdentifier, native);
    EXPECT_EQ(answer.dictionary.at(u"identifierUsedByBlogService"), Value(u"201"));
    EXPECT_FALSE(answer.flag);

    // An existing post keeps its date; one in the trash is sent as trash.
    Date published = *vornick_dateFromISO8601String(u"2022-11-04T02:15:00Z");
    Dictionary update { { u"identifierUsedByBlogService", Value(u"12") }, { u"title", Value(u"Old") }, { u"inTrash", Value(true) },
        { u"status", Value(u"publish") }, { u"dateFirstPublished", Value(published) }, { u"tagIdentifiers", Value(Array()) },
        { u"categories", Value(Array { Value(u"Travel") }) }, { u"featuredImageIdentifier", Value(u"31") }, { u"format", Value(u"aside") } };
    m_agent->sendPostChanges(update, m_blog, native);
    EXPECT_EQ(lastRequest().path, u"posts/12");
    EXPECT_EQ(lastRequest().jsonBody(), (Dictionary { { u"date_gmt", Value(u"2022-11-04T02:15:00Z") }, { u"title", Value(u"Old") },
                                            { u"status", Value(u"trash") }, { u"tags", Value(Array()) },
                                            { u"categories", Value(Array { Value(u"Travel") }) }, { u"featured_media", Value(31) },
                                            { u"format", Value(u"aside") } }));
    EXPECT_NE(logText().find("-> Sending updates to WordPress for existing post \"Old\" with postID=12"), std::string::npos);
    // A draft's date (its last edit) floats: it is not sent.
    update.insert_or_assign(u"inTrash", Value(false));
    update.insert_or_assign(u"status", Value(u"Draft"));
    m_agent->sendPostChanges(update, m_blog, native);
    EXPECT_FALSE(lastRequest().jsonBody().contains(u"date_gmt"));
    EXPECT_EQ(lastRequest().jsonBody().at(u"status"), Value(u"Draft"));

    // Only a reply naming the stored post counts as sent.
    m_delegate.answers.clear();
    m_agent->answer(Value(Dictionary { { u"status", Value(u"publish") } }));
    EXPECT_EQ(m_delegate.only().name, "failedToSend");
    m_delegate.answers.clear();
    m_agent->sendPostChanges(update, m_blog, native);
    m_agent->answer(Value(Dictionary { { u"id", Value(int64_t { 0 }) } }));
    EXPECT_EQ(m_delegate.only().name, "failedToSend");
    m_delegate.answers.clear();
    m_agent->sendPostChanges(update, m_blog, native);
    m_agent->answerError(400, Value(Dictionary { { u"code", Value(u"rest_invalid_param") }, { u"message", Value(u"Invalid parameter(s): status") } }));
    EXPECT_EQ(m_delegate.only().name, "failedToSend");
    EXPECT_NE(logText().find("Send of \"Old\" failed:\nrequest URL=http://127.0.0.1:8080/wp-json/wp/v2/posts/12\nrequestParameters="),
        std::string::npos)
        << logText();

    // Version 1: "new" paths, the edit context and the author.
    useHostedAccount(1);
    m_agent->sendPostChanges(Dictionary { { u"title", Value(u"T") }, { u"identifierUsedByBlogService", Value(u"0") } }, m_blog, native);
    EXPECT_EQ(lastRequest().path, u"sites/1/posts/new");
    EXPECT_EQ(lastRequest().queryValue(u"context"), Value(u"edit"));
    EXPECT_EQ(lastRequest().jsonBody().at(u"author"), Value(u"author"));
}

TEST_F(VornickWordPressRESTAgentTests, MovingToTheTrash)
{
    Value native(17);
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"12", native, m_blog);
    EXPECT_EQ(lastRequest().path, u"posts/12");
    EXPECT_EQ(lastRequest().method, u"DELETE");
    m_agent->answer(recordedRESTReply("posts-page.json").array()[4]);
    EXPECT_EQ(m_delegate.only().name, "trashed");
    EXPECT_EQ(m_delegate.only().postIdentifier, u"12");
    EXPECT_EQ(m_delegate.only().nativePostIdentifier, native);

    // Already in the trash: done.
    m_delegate.answers.clear();
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"12", native, m_blog);
    m_agent->answerError(410, recordedRESTReply("error-already-trashed.json"));
    EXPECT_EQ(m_delegate.only().name, "trashed");

    // A page is not among the posts: it is trashed at "pages/<id>".
    m_delegate.answers.clear();
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"201", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_TRUE(m_delegate.answers.empty());
    EXPECT_EQ(lastRequest().path, u"pages/201");
    EXPECT_EQ(lastRequest().method, u"DELETE");
    m_agent->answer(recordedRESTReply("pages-page.json").array()[0]);
    EXPECT_EQ(m_delegate.only().name, "trashed");

    // Neither a post nor a page: the server's own "no such post".
    m_delegate.answers.clear();
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"999", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_EQ(m_delegate.only().name, "failedToTrash");
    EXPECT_TRUE(m_delegate.only().error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError));

    // Any other 404 (a blocked endpoint, no route) is a plain failure.
    m_delegate.answers.clear();
    size_t sent = m_agent->requests.size();
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"12", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-no-route.json"));
    EXPECT_EQ(m_agent->requests.size(), sent + 1);
    EXPECT_EQ(m_delegate.only().name, "failedToTrash");
    EXPECT_TRUE(m_delegate.only().error.is(VornickHTTPErrorDomain, 404));

    // No identifier: nothing is sent, and the request still ends.
    m_delegate.answers.clear();
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"", native, m_blog);
    EXPECT_EQ(m_agent->requests.size(), sent + 1);
    EXPECT_EQ(m_delegate.only().name, "failedToTrash");
    EXPECT_NE(logText().find("Can't move post with id=0 or nil to the Trash"), std::string::npos);

    // An id that is no positive integer names no post: no address is built from it, no edit reaches another post.
    for (const char16_t* bad : { u"../../x", u"1.5", u"-7" }) {
        m_delegate.answers.clear();
        m_agent->requestMoveToTrashOfPostWithIdentifier(bad, native, m_blog);
        m_agent->confirmServerSideDeletionOfPostWithIdentifier(bad, native, m_blog);
        m_agent->sendPostChanges({ { u"identifierUsedByBlogService", Value(bad) }, { u"title", Value(u"Edited") } }, m_blog, native);
        EXPECT_EQ(m_agent->requests.size(), sent + 1) << toUTF8(bad);
        ASSERT_EQ(m_delegate.answers.size(), 3u);
        EXPECT_EQ(m_delegate.answers[0].name, "failedToTrash");
        EXPECT_EQ(m_delegate.answers[1].name, "failedToConfirmDeletion");
        EXPECT_EQ(m_delegate.answers[2].name, "failedToSend");
    }
    EXPECT_NE(logText().find("Not sending \"Edited\": its id \"1.5\" is not a positive integer"), std::string::npos);

    useHostedAccount(1);
    m_agent->requestMoveToTrashOfPostWithIdentifier(u"12", native, m_blog);
    EXPECT_EQ(lastRequest().path, u"sites/1/posts/12/delete");
    EXPECT_EQ(lastRequest().method, u"POST");
}

TEST_F(VornickWordPressRESTAgentTests, ConfirmingDeletion)
{
    Value native(u"n");
    m_agent->confirmServerSideDeletionOfPostWithIdentifier(u"5", native, m_blog);
    EXPECT_EQ(lastRequest().path, u"posts/5");
    EXPECT_EQ(lastRequest().method, u"GET");
    Value trashed = recordedRESTReply("posts-page.json").array()[4];
    trashed.set(u"status", Value(u"Trash"));
    m_agent->answer(trashed);
    EXPECT_EQ(m_delegate.only().name, "confirmedDeletion");
    EXPECT_TRUE(m_delegate.only().flag);
    EXPECT_NE(logText().find("Post 5 found to be in Trash on server"), std::string::npos);

    m_delegate.answers.clear();
    m_agent->confirmServerSideDeletionOfPostWithIdentifier(u"1", native, m_blog);
    m_agent->answer(recordedRESTReply("posts-page.json").array()[0]);
    EXPECT_EQ(m_delegate.only().name, "failedToConfirmDeletion");
    EXPECT_TRUE(m_delegate.only().error.is(VornickErrorDomain, 28));

    // A page is looked for at "pages/<id>"; gone from both, it is gone.
    m_delegate.answers.clear();
    m_agent->confirmServerSideDeletionOfPostWithIdentifier(u"205", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_EQ(lastRequest().path, u"pages/205");
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_EQ(m_delegate.only().name, "confirmedDeletion");
    EXPECT_FALSE(m_delegate.only().flag);
    EXPECT_NE(logText().find("Server confirms post 205 doesn't exist, request URL=http://127.0.0.1:8080/wp-json/wp/v2/pages/205"),
        std::string::npos);

    // A 404 that is not the server's word on the post confirms nothing.
    m_delegate.answers.clear();
    m_agent->confirmServerSideDeletionOfPostWithIdentifier(u"5", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-no-route.json"));
    EXPECT_EQ(m_delegate.only().name, "failedToConfirmDeletion");
    EXPECT_TRUE(m_delegate.only().error.is(VornickHTTPErrorDomain, 404));
    EXPECT_NE(logText().find("Failed to confirm deletion of post 5 (HTTP Error 404: code=rest_no_route"), std::string::npos);
}

TEST_F(VornickWordPressRESTAgentTests, GettingOnePost)
{
    EXPECT_TRUE(m_agent->canRequestSinglePosts());
    Value native(u"n");
    Value listedPost = recordedRESTReply("posts-page.json").array()[2];
    m_agent->requestPostWithIdentifier(u"3", native, m_blog);
    EXPECT_EQ(lastRequest().path, u"posts/3");
    EXPECT_EQ(lastRequest().method, u"GET");
    EXPECT_EQ(lastRequest().queryValue(u"context"), Value(u"edit"));
    m_agent->answer(listedPost);
    EXPECT_EQ(m_delegate.only().name, "receivedPost");
    EXPECT_EQ(m_delegate.only().nativePostIdentifier, native);
    // The same description a listing gives.
    EXPECT_EQ(m_delegate.only().dictionary, vornickPostDescriptionFromWordPressPostDescription(listedPost.dictionary(), 2));
    EXPECT_EQ(m_delegate.only().dictionary.at(u"identifierUsedByBlogService"), Value(u"3"));

    // A page is not among the posts: it is asked for at "pages/<id>".
    m_delegate.answers.clear();
    m_agent->requestPostWithIdentifier(u"203", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_TRUE(m_delegate.answers.empty());
    EXPECT_EQ(lastRequest().path, u"pages/203");
    EXPECT_EQ(lastRequest().queryValue(u"context"), Value(u"edit"));
    m_agent->answer(recordedRESTReply("pages-page.json").array()[2]);
    EXPECT_EQ(m_delegate.only().name, "receivedPost");
    EXPECT_EQ(m_delegate.only().dictionary.at(u"identifierUsedByBlogService"), Value(u"203"));

    // Neither: the server's own "no such post"; any other 404 is a plain failure.
    m_delegate.answers.clear();
    m_agent->requestPostWithIdentifier(u"999", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    m_agent->answerError(404, recordedRESTReply("error-post-invalid-id.json"));
    EXPECT_EQ(m_delegate.only().name, "failedToGetPost");
    EXPECT_TRUE(m_delegate.only().error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError));
    m_delegate.answers.clear();
    size_t sent = m_agent->requests.size();
    m_agent->requestPostWithIdentifier(u"3", native, m_blog);
    m_agent->answerError(404, recordedRESTReply("error-no-route.json"));
    EXPECT_EQ(m_agent->requests.size(), sent + 1);
    EXPECT_EQ(m_delegate.only().name, "failedToGetPost");
    EXPECT_TRUE(m_delegate.only().error.is(VornickHTTPErrorDomain, 404));

    // Replies that are no post fail.
    m_delegate.answers.clear();
    m_agent->requestPostWithIdentifier(u"3", native, m_blog);
    m_agent->answer(recordedRESTReply("posts-page.json"));
    m_agent->requestPostWithIdentifier(u"3", native, m_blog);
    m_agent->answer(Value(Dictionary { { u"id", Value(int64_t { 0 }) } }));
    ASSERT_EQ(m_delegate.answers.size(), 2u);
    EXPECT_EQ(m_delegate.answers[0].name, "failedToGetPost");
    EXPECT_EQ(m_delegate.answers[1].name, "failedToGetPost");

    // No identifier: nothing is sent, and the request still ends, once.
    m_delegate.answers.clear();
    sent = m_agent->requests.size();
    m_agent->requestPostWithIdentifier(u"0", native, m_blog);
    RunLoop::main().runUntil([&] { return !m_delegate.answers.empty(); }, 30);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(m_agent->requests.size(), sent);
    EXPECT_EQ(m_delegate.only().name, "failedToGetPost");

    useHostedAccount(1);
    m_agent->requestPostWithIdentifier(u"12", native, m_blog);
    EXPECT_EQ(lastRequest().path, u"sites/1/posts/12");
}

TEST_F(VornickWordPressRESTAgentTests, UploadingMediaItems)
{
    auto& context = *m_project->index()->managedObjectContext();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    blog->setBlogFolderName(u"Site");
    blog->setSourceFileName(u"site.brevantonwordpressblog");
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    item->setObjectForKey(blog, u"blog");
    std::string path = m_folder + "/harbour photo.jpg";
    ASSERT_TRUE(writeFileAtomically(path, std::string("\xFF\xD8\xFF\xE0 jpeg bytes")));
    item->setValueForKey(Value(URL::fileURLWithPath(path).absoluteString()), u"localURLString");
    item->setValueForKey(Value(u"Harbour"), u"title");
    item->setValueForKey(Value(u"0"), u"identifierUsedByBlogService");

    // "wp/v2": the file itself.
    m_agent->uploadMediaItem(item, m_blog);
    EXPECT_EQ(lastRequest().path, u"media");
    EXPECT_EQ(lastRequest().method, u"POST");
    auto file = std::dynamic_pointer_cast<const VornickWordPressFileAttachmentPayload>(lastRequest().payload);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->url().lastPathComponent(), u"harbour photo.jpg");
    m_agent->answer(recordedRESTReply("media-uploaded.json"));
    EXPECT_EQ(m_delegate.only().name, "uploaded");
    EXPECT_EQ(m_delegate.only().dictionary.at(u"identifierUsedByBlogService"), Value(u"57"));
    EXPECT_NE(logText().find("Upload of harbour photo.jpg successful (id=57)"), std::string::npos) << logText();

    // Without the stored item's identifier, or over the site's limits: failures saying why.
    m_delegate.answers.clear();
    m_agent->uploadMediaItem(item, m_blog);
    Value withoutIdentifier = recordedRESTReply("media-uploaded.json");
    withoutIdentifier.dictionary().erase(u"id");
    m_agent->answer(withoutIdentifier);
    EXPECT_EQ(m_delegate.only().name, "failedToUpload");
    EXPECT_TRUE(m_delegate.only().error.is(VornickErrorDomain, 39));
    EXPECT_NE(logText().find("Unrecognized REST reply for upload of media item \"Harbour\", request URL=http://127.0.0.1:8080/wp-json/wp/v2/media"),
        std::string::npos);
    m_delegate.answers.clear();
    m_agent->uploadMediaItem(item, m_blog);
    m_agent->answerError(400, recordedRESTReply("error-upload-no-data.json"));
    EXPECT_EQ(m_delegate.only().name, "failedToUpload");
    EXPECT_EQ(m_delegate.only().error.code(), 400);
    EXPECT_NE(m_delegate.only().error.localizedDescription().find(u"The site did not accept \"harbour photo.jpg\": it is probably larger than "
                                                                  u"the site's upload limit. (HTTP Error 400: code=rest_upload_no_data: \"No data supplied.\")"),
        std::u16string::npos)
        << toUTF8(m_delegate.only().error.localizedDescription());
    // A web server in front of the site refuses the body itself.
    m_delegate.answers.clear();
    m_agent->uploadMediaItem(item, m_blog);
    m_agent->answerError(413, Value(Dictionary {}));
    EXPECT_EQ(m_delegate.only().error.code(), 413);
    EXPECT_NE(m_delegate.only().error.localizedDescription().find(u"larger than the site's upload limit"), std::u16string::npos)
        << toUTF8(m_delegate.only().error.localizedDescription());
    m_delegate.answers.clear();
    m_agent->uploadMediaItem(item, m_blog);
    m_agent->answerError(500, Value(Dictionary { { u"code", Value(u"internal_server_error") }, { u"message", Value(u"Oops") } }));
    EXPECT_EQ(m_delegate.only().error.localizedDescription(), u"HTTP Error 500: code=internal_server_error: \"Oops\"");

    // Version 1: a multipart form; an item already on the server is only touched.
    useHostedAccount(1);
    m_agent->uploadMediaItem(item, m_blog);
    EXPECT_EQ(lastRequest().path, u"sites/1/media/new");
    auto form = std::dynamic_pointer_cast<const VornickWordPressMultipartFormDataPayload>(lastRequest().payload);
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->boundaryString().empty());
    m_agent->answer(Value(Dictionary { { u"media", Value(Array { recordedRESTReply("media-uploaded.json") }) } }));
    EXPECT_EQ(m_delegate.answers.back().name, "uploaded");
    item->setValueForKey(Value(u"57"), u"identifierUsedByBlogService");
    m_agent->uploadMediaItem(item, m_blog);
    EXPECT_EQ(lastRequest().path, u"sites/1/media/57/edit");
    EXPECT_FALSE(lastRequest().payload);

    // A file that cannot be read is no upload: the request ends at once.
    m_delegate.answers.clear();
    size_t sent = m_agent->requests.size();
    item->setValueForKey(Value(u""), u"identifierUsedByBlogService");
    item->setValueForKey(Value(URL::fileURLWithPath(m_folder + "/missing.jpg").absoluteString()), u"localURLString");
    m_agent->uploadMediaItem(item, m_blog);
    EXPECT_EQ(m_agent->requests.size(), sent);
    EXPECT_EQ(m_delegate.only().name, "failedToUpload");
}

TEST(VornickWordPressRESTMultipartTests, TheFormStreamsTheFileAndItsNameCannotBreakTheForm)
{
    std::string folder = createTemporaryDirectory("wordpress-multipart").value();
    std::string path = folder + "/a \"b\";c\r\nX-Evil: 1 caf\xC3\xA9.png";
    std::string contents = "\x89PNG\r\n--Brevanton- bytes\r\n";
    ASSERT_TRUE(writeFileAtomically(path, contents));
    Error error;
    auto form = VornickWordPressRESTAgent::httpBodyDataForMultipartFormUploadOfImageFileURL(URL::fileURLWithPath(path), &error);
    ASSERT_TRUE(form) << error;
    std::vector<URLRequestBodyPart> parts = form->bodyParts();
    ASSERT_EQ(parts.size(), 3u);
    // The file is read as the request is sent, not held in memory.
    ASSERT_TRUE(parts[1].isFile());
    EXPECT_EQ(std::get<std::string>(parts[1].content), path);
    const Data& headBytes = std::get<Data>(parts[0].content);
    const Data& tailBytes = std::get<Data>(parts[2].content);
    std::string head(headBytes.begin(), headBytes.end());
    std::string boundary = toUTF8(form->boundaryString());
    EXPECT_EQ(head, "--" + boundary + "\r\nContent-Disposition: form-data; name=\"media[]\"; "
                    "filename=\"a \\\"b\\\"_cX-Evil: 1 caf\xC3\xA9.png\"; "
                    "filename*=UTF-8''a%20%22b%22%3BcX-Evil%3A%201%20caf%C3%A9.png\r\nContent-Type: image/png\r\n\r\n");
    EXPECT_EQ(std::string(tailBytes.begin(), tailBytes.end()), "\r\n--" + boundary + "--\r\n");
    EXPECT_EQ(contents.find("--" + boundary), std::string::npos);

    EXPECT_FALSE(VornickWordPressRESTAgent::httpBodyDataForMultipartFormUploadOfImageFileURL(URL::fileURLWithPath(folder + "/none.png"), &error));
    ASSERT_TRUE(writeFileAtomically(folder + "/data.unknownkind", std::string("x")));
    EXPECT_FALSE(VornickWordPressRESTAgent::httpBodyDataForMultipartFormUploadOfImageFileURL(
        URL::fileURLWithPath(folder + "/data.unknownkind"), &error));
    EXPECT_TRUE(removeItem(folder));
}

} // namespace
} // namespace brevanton
