// The XML-RPC agent against the real site: the site list, the listings a sync
// reads, and media uploads.
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "documents/VornickProjectIndex.h"
#include "tests/wordpress/site/XMLRPCAgentSiteTestSupport.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressXMLRPCDescriptions.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <map>
#include <set>
#include <unistd.h>

namespace brevanton {
namespace {

using testing::XMLRPCAgentOnSite;

std::u16string stringAt(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found != dictionary.end() && found->second.isString() ? found->second.string() : std::u16string();
}

const Dictionary* withTitle(const std::vector<Dictionary>& list, std::u16string_view title)
{
    for (auto& element : list) {
        if (stringAt(element, u"title") == title)
            return &element;
    }
    return nullptr;
}

TEST(XMLRPCAgentSite, SiteListForEveryUserAndAWrongPasswordStopsThere)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    const Dictionary theBlog {
        { u"identifierUsedByBlogService", Value(u"1") },
        { u"title", Value(u"Brevanton Test Site") },
        { u"browseURLString", Value(site.url + u"/") },
    };

    XMLRPCAgentOnSite administrator(site, site.administrator);
    administrator.agent().requestBlogDescriptions();
    ASSERT_TRUE(administrator.waitForAnswers(1));
    ASSERT_EQ(administrator.answer(0).name, "receivedBlogs") << administrator.answer(0).error;
    ASSERT_EQ(administrator.answer(0).list.size(), 1u);
    EXPECT_EQ(administrator.answer(0).list[0], theBlog);
    EXPECT_TRUE(administrator.logHas(u"WordPress reported 1 blog(s):"));

    // WordPress lists the blog for an Author too: no substitute blog needed.
    XMLRPCAgentOnSite author(site, site.author);
    author.agent().requestBlogDescriptions();
    ASSERT_TRUE(author.waitForAnswers(1));
    ASSERT_EQ(author.answer(0).name, "receivedBlogs") << author.answer(0).error;
    ASSERT_EQ(author.answer(0).list.size(), 1u);
    EXPECT_EQ(author.answer(0).list[0], theBlog);
    EXPECT_FALSE(author.logHas(u"Attempting workaround"));

    testing::WordPressSiteUser wrong = site.author;
    wrong.applicationPassword = u"abcd efgh ijkl mnop qrst uvwx";
    XMLRPCAgentOnSite refused(site, wrong);
    refused.agent().requestBlogDescriptions();
    ASSERT_TRUE(refused.waitForAnswers(1));
    EXPECT_EQ(refused.answer(0).name, "failedBlogs");
    EXPECT_TRUE(refused.answer(0).error.is(VornickErrorDomain, 49)) << refused.answer(0).error;
    EXPECT_TRUE(refused.logHas(u"INVALID_PASSWORD: WordPress rejected the provided password."));
    EXPECT_FALSE(refused.logHas(u"Attempting workaround"));
    EXPECT_FALSE(refused.agent().talkingToHost());
}

TEST(XMLRPCAgentSite, ListsEveryPostAndPageOverPagesOfFifty)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    XMLRPCAgentOnSite on(site, site.administrator);

    std::vector<Dictionary> posts;
    for (int64_t offset = 0;; offset += 50) {
        on.agent().requestWordPressPostsOfType(u"post", on.blog(), offset);
        ASSERT_TRUE(on.waitForAnswers(posts.size() / 50 + 1));
        const auto& answer = on.answer(on.recorder().answers.size() - 1);
        ASSERT_EQ(answer.name, "receivedPosts") << answer.error;
        EXPECT_EQ(answer.startOffset, offset);
        posts.insert(posts.end(), answer.list.begin(), answer.list.end());
        EXPECT_EQ(answer.flag, answer.list.size() == 50) << "at offset " << offset;
        if (!answer.flag)
            break;
        ASSERT_LT(offset, 500);
    }
    // Published (the first post and 120 seeded), 6 drafts, 3 pending, 4 future
    // and 3 private ones, each once. WordPress's XML-RPC calls future posts
    // "publish", their dates ahead.
    ASSERT_EQ(posts.size(), 137u);
    EXPECT_EQ(on.recorder().answers.size(), 3u);
    std::set<std::u16string> identifiers;
    std::map<std::string, int> statuses;
    int ahead = 0;
    for (auto& post : posts) {
        identifiers.insert(stringAt(post, u"identifierUsedByBlogService"));
        ++statuses[toUTF8(stringAt(post, u"status"))];
        EXPECT_EQ(stringAt(post, u"type"), u"post");
        ASSERT_TRUE(post.contains(u"dateFirstPublished")) << toUTF8(stringAt(post, u"title"));
        if (post.at(u"dateFirstPublished").date() > Date::now())
            ++ahead;
    }
    EXPECT_EQ(identifiers.size(), 137u);
    EXPECT_EQ(statuses, (std::map<std::string, int> { { "publish", 125 }, { "draft", 6 }, { "pending", 3 }, { "private", 3 } }));
    EXPECT_EQ(ahead, 4);
    EXPECT_TRUE(on.logHas(u"Requesting posts 100-149 for \"Brevanton Test Site\""));
    EXPECT_TRUE(on.logHas(u"Received 137 posts for \"Brevanton Test Site\""));

    // Dates in UTC whatever the site's zone (Berlin) and ours: half past
    // midnight in winter and in summer time.
    const Dictionary* winter = withTitle(posts, u"Post 9");
    ASSERT_TRUE(winter);
    EXPECT_EQ(winter->at(u"dateFirstPublished"), Value(Date(1645054200)));
    const Dictionary* summer = withTitle(posts, u"Post 90: Ümlauts & “quotes”");
    ASSERT_TRUE(summer);
    EXPECT_EQ(summer->at(u"dateFirstPublished"), Value(Date(1680042600)));
    EXPECT_TRUE(stringAt(*summer, u"permalinkURLString").starts_with(site.url + u"/2023/03/post-90/"));
    EXPECT_FALSE(summer->at(u"categories").array().empty());

    // Pages: the 12 seeded ones and WordPress's own two, in one listing.
    on.agent().requestWordPressPostsOfType(u"page", on.blog(), 0);
    ASSERT_TRUE(on.waitForAnswers(4));
    const auto& pages = on.answer(3);
    ASSERT_EQ(pages.name, "receivedPages") << pages.error;
    EXPECT_EQ(pages.list.size(), 14u);
    EXPECT_FALSE(pages.flag);
    for (auto& page : pages.list)
        EXPECT_EQ(stringAt(page, u"type"), u"page");
}

TEST(XMLRPCAgentSite, CategoriesFormatsStatusesOptionsAndMedia)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    XMLRPCAgentOnSite on(site, site.administrator);

    on.agent().requestCategoriesForBlogWithDescription(on.blog(), 0);
    ASSERT_TRUE(on.waitForAnswers(1));
    ASSERT_EQ(on.answer(0).name, "categories") << on.answer(0).error;
    EXPECT_EQ(on.answer(0).terms.size(), 100u);
    EXPECT_TRUE(on.answer(0).flag);
    on.agent().requestCategoriesForBlogWithDescription(on.blog(), 100);
    ASSERT_TRUE(on.waitForAnswers(2));
    ASSERT_EQ(on.answer(1).name, "categories") << on.answer(1).error;
    EXPECT_EQ(on.answer(1).startOffset, 100);
    EXPECT_EQ(on.answer(1).terms.size(), 21u);
    EXPECT_FALSE(on.answer(1).flag);

    // Every parent is listed, and some categories are three levels deep.
    std::map<int64_t, std::optional<int64_t>> parents;
    for (auto& answer : { on.answer(0), on.answer(1) }) {
        for (auto& category : answer.terms) {
            EXPECT_FALSE(category.title.empty());
            EXPECT_TRUE(parents.emplace(category.identifier, category.parentIdentifier).second) << "twice: " << category.identifier;
        }
    }
    EXPECT_EQ(parents.size(), 121u);
    int threeDeep = 0;
    for (auto& [identifier, parent] : parents) {
        if (!parent)
            continue;
        ASSERT_TRUE(parents.contains(*parent)) << identifier;
        if (parents.at(*parent))
            ++threeDeep;
    }
    EXPECT_GT(threeDeep, 0);

    on.agent().requestPostFormatsForBlogWithDescription(on.blog());
    ASSERT_TRUE(on.waitForAnswers(3));
    on.agent().requestPostStatusesForBlogWithDescription(on.blog());
    ASSERT_TRUE(on.waitForAnswers(4));
    on.agent().requestBlogOptionsForBlogWithDescription(on.blog());
    ASSERT_TRUE(on.waitForAnswers(5));
    ASSERT_EQ(on.answer(2).name, "formats") << on.answer(2).error;
    EXPECT_EQ(on.answer(2).dictionary.at(u"standard"), Value(u"Standard"));
    EXPECT_TRUE(on.answer(2).dictionary.contains(u"aside"));
    ASSERT_EQ(on.answer(3).name, "statuses") << on.answer(3).error;
    for (auto status : { u"draft", u"pending", u"private", u"publish" })
        EXPECT_TRUE(on.answer(3).dictionary.contains(status)) << toUTF8(status);
    ASSERT_EQ(on.answer(4).name, "options") << on.answer(4).error;
    const auto& settings = on.answer(4).settings;
    EXPECT_TRUE(settings.timeZoneHours == 1.0 || settings.timeZoneHours == 2.0) << "the site lies in Berlin";
    EXPECT_TRUE(settings.dateFormat && !settings.dateFormat->empty());
    EXPECT_TRUE(settings.allowComments.has_value());

    // The four seeded images, with their size variants.
    on.agent().requestMediaItemsForBlogWithDescription(on.blog(), 0);
    ASSERT_TRUE(on.waitForAnswers(6));
    const auto& media = on.answer(5);
    ASSERT_EQ(media.name, "media") << media.error;
    EXPECT_FALSE(media.flag);
    ASSERT_GE(media.list.size(), 4u);
    const Dictionary* circle = withTitle(media.list, u"Red circle");
    ASSERT_TRUE(circle);
    EXPECT_EQ(circle->at(u"pixelsWide"), Value(640));
    EXPECT_EQ(circle->at(u"pixelsHigh"), Value(480));
    EXPECT_TRUE(stringAt(*circle, u"remoteURLString").starts_with(site.url + u"/wp-content/uploads/"));
    EXPECT_FALSE(stringAt(*circle, u"caption").empty());
    // Its variants are what the agent base makes of the site's sizes.
    Array parameters = testing::siteCallParameters(site.administrator);
    parameters.push_back(Value(vornickWordPressPositiveIdentifier(circle->at(u"identifierUsedByBlogService")).value_or(0)));
    auto raw = testing::callSite(site, u"wp.getMediaItem", std::move(parameters));
    ASSERT_TRUE(raw.object);
    const Value& sizes = (*raw.object)[u"metadata"][u"sizes"];
    ASSERT_TRUE(sizes.isDictionary());
    EXPECT_TRUE(sizes.dictionary().contains(u"thumbnail"));
    Dictionary variants = VornickWordPressAgent::mediaItemVariantsDictionaryForWordPressSizesDictionary(sizes.dictionary());
    if (variants.empty())
        EXPECT_FALSE(circle->contains(u"variants"));
    else
        EXPECT_EQ(circle->at(u"variants"), Value(variants));
}

TEST(XMLRPCAgentSite, UploadsAnImageAndReportsTheSitesLimit)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    XMLRPCAgentOnSite on(site, site.administrator);
    auto& context = *on.project()->index()->managedObjectContext();

    std::string picture = on.folder() + "/harbour picture.png";
    auto bytes = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/web/picture.png");
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(writeFileAtomically(picture, *bytes));
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    ASSERT_TRUE(item);
    item->setValueForKey(Value(u"Harbour"), u"title");
    item->setValueForKey(Value(URL::fileURLWithPath(picture, false).absoluteString()), u"localURLString");
    on.agent().uploadMediaItem(item, on.blog());
    ASSERT_TRUE(on.waitForAnswers(1));
    ASSERT_EQ(on.answer(0).name, "uploaded") << on.answer(0).error;
    const Dictionary& uploaded = on.answer(0).dictionary;
    auto identifier = uploaded.find(u"identifierUsedByBlogService");
    ASSERT_NE(identifier, uploaded.end());
    EXPECT_GT(identifier->second.integerValue(), 0);
    EXPECT_TRUE(stringAt(uploaded, u"remoteURLString").starts_with(site.url + u"/wp-content/uploads/"));
    EXPECT_TRUE(on.logHas(u"Upload successful (id="));

    // Listed with the others afterwards.
    on.agent().requestMediaItemsForBlogWithDescription(on.blog(), 0);
    ASSERT_TRUE(on.waitForAnswers(2));
    bool listed = false;
    for (auto& media : on.answer(1).list)
        listed = listed || stringAt(media, u"identifierUsedByBlogService") == vornickWordPressIdentifierString(identifier->second);
    EXPECT_TRUE(listed);

    // Over the site's 64 MB for a request once encoded: a sparse file just
    // big enough.
    std::string big = on.folder() + "/big.png";
    int descriptor = ::open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, 49 * 1024 * 1024), 0);
    ::close(descriptor);
    item->setValueForKey(Value(URL::fileURLWithPath(big, false).absoluteString()), u"localURLString");
    on.agent().uploadMediaItem(item, on.blog());
    ASSERT_TRUE(on.waitForAnswers(3, 60));
    ASSERT_EQ(on.answer(2).name, "failedUpload");
    auto reasonFound = on.answer(2).error.userInfo().find(Error::LocalizedFailureReasonKey);
    std::u16string reason = reasonFound != on.answer(2).error.userInfo().end() ? reasonFound->second.stringValue() : std::u16string();
    EXPECT_NE(reason.find(u"too large"), std::u16string::npos) << on.answer(2).error;
    EXPECT_TRUE(on.logHas(u"Failed to upload media item \"Harbour\""));
}

} // namespace
} // namespace brevanton
