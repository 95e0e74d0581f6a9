// The XML-RPC agent changing the real site: posts and pages created,
// updated, published, trashed and confirmed gone, their content and dates
// kept as sent.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "tests/wordpress/site/XMLRPCAgentSiteTestSupport.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickWordPressXMLRPCDescriptions.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brevanton {
namespace {

using testing::XMLRPCAgentOnSite;

// Block comments, white space at both ends, text beyond ASCII, an escaped
// ampersand and a bare "<" in text.
const std::u16string firstContent = u"\n  <!-- wp:paragraph -->\n<p>Ümlauts, “quotes”, 日本語 &amp; a bare < sign</p>\n<!-- /wp:paragraph -->\n\n\t ";
const std::u16string secondContent = u"<!-- wp:heading -->\n<h2>Changed &amp;  kept</h2>\n<!-- /wp:heading -->\n\n\t<!-- wp:paragraph -->\n<p>x</p>\n<!-- /wp:paragraph -->\n  ";

// WordPress's XML-RPC server trims every string it is sent, so a post's
// content arrives there without the white space at its ends; everything
// between is kept.
std::u16string trimmedBySite(std::u16string_view text)
{
    auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == 0; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return std::u16string(text);
}

Value names(std::initializer_list<const char16_t*> list)
{
    Array array;
    for (auto name : list)
        array.push_back(Value(name));
    return Value(std::move(array));
}

bool contains(const Value& list, std::u16string_view name)
{
    if (!list.isArray())
        return false;
    return std::any_of(list.array().begin(), list.array().end(), [&](const Value& element) { return element.isString() && element.string() == name; });
}

// The post as the site's REST interface shows it to an editor.
Value restPost(const testing::WordPressSite& site, const std::u16string& type, const std::u16string& identifier)
{
    auto json = testing::requestSiteREST(site, site.administrator, u"GET", u"/wp/v2/" + type + u"/" + identifier + u"?context=edit");
    EXPECT_TRUE(json && json->isDictionary());
    return json ? *json : Value();
}

std::u16string statusOnSite(const testing::WordPressSite& site, const std::u16string& identifier)
{
    Array parameters = testing::siteCallParameters(site.administrator);
    parameters.push_back(Value(vornickWordPressPositiveIdentifier(Value(identifier)).value_or(0)));
    auto result = testing::callSite(site, u"wp.getPost", std::move(parameters));
    if (result.faultCode)
        return u"fault " + toUTF16(std::to_string(*result.faultCode));
    return result.object ? (*result.object)[u"post_status"].stringValue() : u"no reply";
}

TEST(XMLRPCAgentSite, PostCreatedUpdatedPublishedTrashedAndConfirmedGone)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    XMLRPCAgentOnSite on(site, site.administrator);
    const Value native(u"native-post");

    // A new draft, with a new category and a tag.
    Dictionary post {
        { u"title", Value(u"Site test: Ümlauts & <angles>") },
        { u"sourceContentString", Value(trimmedBySite(firstContent)) },
        { u"status", Value(u"draft") },
        { u"type", Value(u"post") },
        { u"categories", names({ u"Site Test Category" }) },
        { u"tags", names({ u"site test tag" }) },
        { u"dateLastEditedLocally", Value(Date(1678923000)) },
    };
    on.agent().sendPostChanges(post, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(2));
    ASSERT_EQ(on.answer(0).name, "sent");
    EXPECT_TRUE(on.answer(0).flag);
    std::u16string identifier = on.answer(0).dictionary.at(u"identifierUsedByBlogService").stringValue();
    ASSERT_TRUE(vornickWordPressPositiveIdentifier(Value(identifier)).value_or(0) > 0) << toUTF8(identifier);
    ASSERT_EQ(on.answer(1).name, "updatedProperties");
    Dictionary read = on.answer(1).dictionary;
    EXPECT_EQ(read.at(u"identifierUsedByBlogService"), Value(identifier));
    EXPECT_EQ(read.at(u"sourceContentString"), Value(trimmedBySite(firstContent)));
    EXPECT_EQ(read.at(u"title"), Value(u"Site test: Ümlauts & <angles>"));
    EXPECT_EQ(read.at(u"status"), Value(u"draft"));
    EXPECT_EQ(read.at(u"categories"), names({ u"Site Test Category" }));
    EXPECT_EQ(read.at(u"tags"), names({ u"site test tag" }));
    EXPECT_FALSE(read.contains(u"permalinkURLString"));
    Value onSite = restPost(site, u"posts", identifier);
    EXPECT_EQ(onSite[u"content"][u"raw"], Value(trimmedBySite(firstContent)));
    Value draftDate = onSite[u"date_gmt"];

    // Updated a second later, still a draft: its date floats, so WordPress
    // moves it to the time of the save (a fixed one would stay).
    RunLoop::main().runFor(1.1);
    post = read;
    post[u"sourceContentString"] = Value(trimmedBySite(secondContent));
    on.agent().sendPostChanges(post, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(4));
    ASSERT_EQ(on.answer(2).name, "sent");
    EXPECT_EQ(on.answer(2).dictionary.at(u"identifierUsedByBlogService"), Value(identifier));
    ASSERT_EQ(on.answer(3).name, "updatedProperties");
    EXPECT_EQ(on.answer(3).dictionary.at(u"sourceContentString"), Value(trimmedBySite(secondContent)));
    onSite = restPost(site, u"posts", identifier);
    EXPECT_EQ(onSite[u"content"][u"raw"], Value(trimmedBySite(secondContent)));
    EXPECT_NE(onSite[u"date_gmt"], draftDate);
    EXPECT_EQ(onSite[u"date_gmt"], onSite[u"modified_gmt"]);

    // Published at a given time: half past midnight in Berlin, the day before
    // in UTC and in our zone.
    post = on.answer(3).dictionary;
    post[u"status"] = Value(u"publish");
    post[u"dateFirstPublished"] = Value(Date(1678923000));
    on.agent().sendPostChanges(post, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(6));
    ASSERT_EQ(on.answer(4).name, "sent");
    ASSERT_EQ(on.answer(5).name, "updatedProperties");
    read = on.answer(5).dictionary;
    EXPECT_EQ(read.at(u"status"), Value(u"publish"));
    EXPECT_EQ(read.at(u"dateFirstPublished"), Value(Date(1678923000)));
    EXPECT_TRUE(read.at(u"permalinkURLString").stringValue().starts_with(site.url + u"/2023/03/"));
    onSite = restPost(site, u"posts", identifier);
    EXPECT_EQ(onSite[u"date_gmt"], Value(u"2023-03-15T23:30:00"));
    EXPECT_EQ(onSite[u"date"], Value(u"2023-03-16T00:30:00"));

    // The last category and the last tag removed: gone on the site too (a
    // published post falls back to the site's default category).
    post = read;
    post[u"categories"] = Value(Array());
    post[u"tags"] = Value(Array());
    on.agent().sendPostChanges(post, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(8));
    ASSERT_EQ(on.answer(6).name, "sent");
    ASSERT_EQ(on.answer(7).name, "updatedProperties");
    read = on.answer(7).dictionary;
    EXPECT_EQ(read.at(u"tags"), Value(Array()));
    EXPECT_FALSE(contains(read.at(u"categories"), u"Site Test Category"));
    EXPECT_EQ(read.at(u"dateFirstPublished"), Value(Date(1678923000)));
    EXPECT_EQ(restPost(site, u"posts", identifier)[u"tags"], Value(Array()));

    // To the trash; asked again, it stays there rather than going for good.
    on.agent().requestMoveToTrashOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(9));
    EXPECT_EQ(on.answer(8).name, "trashed") << on.answer(8).error;
    EXPECT_EQ(statusOnSite(site, identifier), u"trash");
    on.agent().requestMoveToTrashOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(10));
    EXPECT_EQ(on.answer(9).name, "trashed") << on.answer(9).error;
    EXPECT_EQ(statusOnSite(site, identifier), u"trash");
    EXPECT_TRUE(on.logHas(u"Post " + identifier + u" found to be in Trash on server"));
    on.agent().confirmServerSideDeletionOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(11));
    EXPECT_EQ(on.answer(10).name, "confirmed");
    EXPECT_TRUE(on.answer(10).flag);

    // Deleted for good by another client: confirmed gone, and a trash move
    // says the server does not have it.
    auto deleted = testing::requestSiteREST(site, site.administrator, u"DELETE", u"/wp/v2/posts/" + identifier + u"?force=true");
    ASSERT_TRUE(deleted);
    EXPECT_EQ((*deleted)[u"deleted"], Value(true)) << deleted->description();
    on.agent().confirmServerSideDeletionOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(12));
    EXPECT_EQ(on.answer(11).name, "confirmed") << on.answer(11).error;
    EXPECT_FALSE(on.answer(11).flag);
    EXPECT_TRUE(on.logHas(u"Server confirms post " + identifier + u" doesn't exist"));
    on.agent().requestMoveToTrashOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(13));
    EXPECT_EQ(on.answer(12).name, "failedToTrash");
    EXPECT_TRUE(on.answer(12).error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError)) << on.answer(12).error;
}

TEST(XMLRPCAgentSite, ReadsContentAsStoredAndKeepsADraftsDateFloating)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    XMLRPCAgentOnSite on(site, site.administrator);

    // Read byte for byte: a block post and a classic one, as REST shows them.
    on.agent().requestWordPressPostsOfType(u"post", on.blog(), 0);
    ASSERT_TRUE(on.waitForAnswers(1));
    ASSERT_EQ(on.answer(0).name, "receivedPosts");
    ASSERT_EQ(on.answer(0).list.size(), 50u);
    for (size_t i = 0; i < on.answer(0).list.size(); i += 7) {
        const Dictionary& post = on.answer(0).list[i];
        std::u16string identifier = post.at(u"identifierUsedByBlogService").stringValue();
        EXPECT_EQ(post.at(u"sourceContentString"), restPost(site, u"posts", identifier)[u"content"][u"raw"]) << toUTF8(identifier);
    }

    // A seeded draft, its date floating, edited: its date still floats, so
    // WordPress moves it to the time of the save (a fixed one would stay).
    Array parameters = testing::siteCallParameters(site.administrator);
    parameters.push_back(Value(Dictionary { { u"post_status", Value(u"draft") }, { u"number", Value(1) } }));
    auto drafts = testing::callSite(site, u"wp.getPosts", std::move(parameters));
    ASSERT_TRUE(drafts.object && drafts.object->isArray() && drafts.object->count() == 1);
    Dictionary draft = vornickPostDescriptionFromWordPressPostDescription(drafts.object->array()[0].dictionary());
    std::u16string identifier = draft.at(u"identifierUsedByBlogService").stringValue();
    Value seededDate = restPost(site, u"posts", identifier)[u"date_gmt"];
    ASSERT_TRUE(seededDate.isString());
    draft[u"sourceContentString"] = Value(secondContent);
    on.agent().sendPostChanges(draft, on.blog(), Value(u"native-draft"));
    ASSERT_TRUE(on.waitForAnswers(3));
    ASSERT_EQ(on.answer(1).name, "sent");
    ASSERT_EQ(on.answer(2).name, "updatedProperties");
    Value onSite = restPost(site, u"posts", identifier);
    EXPECT_EQ(onSite[u"content"][u"raw"], Value(trimmedBySite(secondContent)));
    EXPECT_NE(onSite[u"date_gmt"], seededDate);
    EXPECT_EQ(onSite[u"date_gmt"], onSite[u"modified_gmt"]);
    EXPECT_EQ(onSite[u"status"], Value(u"draft"));
}

TEST(XMLRPCAgentSite, PageCreatedUpdatedAndTrashed)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    XMLRPCAgentOnSite on(site, site.administrator);
    const Value native(u"native-page");

    Dictionary page {
        { u"title", Value(u"Site test page") },
        { u"sourceContentString", Value(trimmedBySite(firstContent)) },
        { u"status", Value(u"publish") },
        { u"type", Value(u"page") },
        { u"dateLastEditedLocally", Value(Date(1680042600)) },
    };
    on.agent().sendPostChanges(page, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(2));
    ASSERT_EQ(on.answer(0).name, "sent");
    std::u16string identifier = on.answer(0).dictionary.at(u"identifierUsedByBlogService").stringValue();
    ASSERT_EQ(on.answer(1).name, "updatedProperties");
    Dictionary read = on.answer(1).dictionary;
    EXPECT_EQ(read.at(u"type"), Value(u"page"));
    EXPECT_EQ(read.at(u"sourceContentString"), Value(trimmedBySite(firstContent)));
    EXPECT_EQ(read.at(u"dateFirstPublished"), Value(Date(1680042600)));
    Value onSite = restPost(site, u"pages", identifier);
    EXPECT_EQ(onSite[u"content"][u"raw"], Value(trimmedBySite(firstContent)));
    EXPECT_EQ(onSite[u"date_gmt"], Value(u"2023-03-28T22:30:00"));

    read[u"sourceContentString"] = Value(trimmedBySite(secondContent));
    on.agent().sendPostChanges(read, on.blog(), native);
    ASSERT_TRUE(on.waitForAnswers(4));
    ASSERT_EQ(on.answer(2).name, "sent");
    ASSERT_EQ(on.answer(3).name, "updatedProperties");
    EXPECT_EQ(on.answer(3).dictionary.at(u"sourceContentString"), Value(trimmedBySite(secondContent)));
    EXPECT_EQ(on.answer(3).dictionary.at(u"dateFirstPublished"), Value(Date(1680042600)));
    EXPECT_EQ(restPost(site, u"pages", identifier)[u"content"][u"raw"], Value(trimmedBySite(secondContent)));

    on.agent().requestMoveToTrashOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(5));
    EXPECT_EQ(on.answer(4).name, "trashed") << on.answer(4).error;
    EXPECT_EQ(restPost(site, u"pages", identifier)[u"status"], Value(u"trash"));
    on.agent().confirmServerSideDeletionOfPostWithIdentifier(identifier, native, on.blog());
    ASSERT_TRUE(on.waitForAnswers(6));
    EXPECT_EQ(on.answer(5).name, "confirmed");
    EXPECT_TRUE(on.answer(5).flag);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
}

} // namespace
} // namespace brevanton
