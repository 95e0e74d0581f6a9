#include "wordpress/VornickWordPressXMLRPCDescriptions.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressMediaItemDescription.h"
#include "wordpress/XMLRPCResponse.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Value recordedObject(const std::string& name)
{
    auto contents = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/xmlrpc/" + name);
    EXPECT_TRUE(contents) << name;
    XMLRPCResponse response(contents.value_or(std::string()));
    EXPECT_TRUE(response.hasObject()) << name << ": " << response.parserError();
    return response.object();
}

TEST(VornickWordPressXMLRPCDescriptionsTests, PostsMapFromRecordedReplies)
{
    Value posts = recordedObject("wp-getPosts.xml");
    ASSERT_EQ(posts.count(), 3u);
    Dictionary published = vornickPostDescriptionFromWordPressPostDescription(posts.array()[0].dictionary());
    EXPECT_EQ(published.at(u"identifierUsedByBlogService"), Value(u"12"));
    EXPECT_EQ(published.at(u"title"), Value(u"Harbour at dawn"));
    EXPECT_EQ(published.at(u"sourceContentType"), Value(u"html"));
    EXPECT_EQ(published.at(u"inTrash"), Value(false));
    EXPECT_EQ(published.at(u"permalinkURLString"), Value(u"http://127.0.0.1:8080/?p=12"));
    // The "*_gmt" members, in UTC, whatever the zone of the site or the client.
    EXPECT_EQ(published.at(u"dateFirstPublished"), Value(Date(1667553300)));
    EXPECT_EQ(published.at(u"dateLastPublished"), Value(Date(1667628000)));
    EXPECT_EQ(published.at(u"categories"), Value(Array { Value(u"Travel") }));
    EXPECT_EQ(published.at(u"tags"), Value(Array { Value(u"Sea & Sky") }));
    EXPECT_EQ(published.at(u"featuredImageIdentifier"), Value(u"31"));
    EXPECT_EQ(published.at(u"format"), Value(u"standard"));
    EXPECT_EQ(published.at(u"status"), Value(u"publish"));
    EXPECT_EQ(published.at(u"type"), Value(u"post"));

    Dictionary spaced = vornickPostDescriptionFromWordPressPostDescription(posts.array()[1].dictionary());
    EXPECT_EQ(spaced.at(u"title"), Value(u"  Spaces kept  "));
    EXPECT_EQ(spaced.at(u"sourceContentString"), Value(u"\n  Indented first line <b>bold</b>\n\n"));
    EXPECT_FALSE(spaced.contains(u"featuredImageIdentifier"));

    // A draft: no permalink, and its floating date is no publication date.
    Dictionary draft = vornickPostDescriptionFromWordPressPostDescription(posts.array()[2].dictionary());
    EXPECT_EQ(draft.at(u"status"), Value(u"draft"));
    EXPECT_FALSE(draft.contains(u"permalinkURLString"));
    EXPECT_FALSE(draft.contains(u"dateFirstPublished"));
    EXPECT_EQ(draft.at(u"categories"), Value(Array()));
    EXPECT_EQ(draft.at(u"tags"), Value(Array()));

    // A page after a PHP notice, its block content keeping its edge white space.
    Value pages = recordedObject("wp-getPosts-page-after-notice.xml");
    ASSERT_EQ(pages.count(), 1u);
    Dictionary page = vornickPostDescriptionFromWordPressPostDescription(pages.array()[0].dictionary());
    EXPECT_EQ(page.at(u"title"), Value(u" About "));
    EXPECT_EQ(page.at(u"sourceContentString"),
        Value(u"\n\n<!-- wp:paragraph -->\n<p>  Two spaces lead this paragraph.</p>\n<!-- /wp:paragraph -->\n\n\t"));
    EXPECT_EQ(page.at(u"dateFirstPublished"), Value(Date(1668083400)));
    EXPECT_EQ(page.at(u"type"), Value(u"page"));

    // Without terms, neither list is set; a post without its status keeps its link.
    Dictionary bare = vornickPostDescriptionFromWordPressPostDescription(
        { { u"post_id", Value(9) }, { u"link", Value(u"http://127.0.0.1/?p=9") }, { u"post_date_gmt", Value(u"2022-11-04 09:15:00") } });
    EXPECT_EQ(bare.at(u"identifierUsedByBlogService"), Value(u"9"));
    EXPECT_EQ(bare.at(u"permalinkURLString"), Value(u"http://127.0.0.1/?p=9"));
    EXPECT_FALSE(bare.contains(u"categories"));
    EXPECT_TRUE(vornickPostDescriptionFromWordPressPostDescription({}).empty());
}

TEST(VornickWordPressXMLRPCDescriptionsTests, TermsAndMediaMapFromRecordedReplies)
{
    Value terms = recordedObject("wp-getTerms-category.xml");
    ASSERT_EQ(terms.count(), 2u);
    Dictionary uncategorized = vornickCategoryDescriptionFromWordPressTermDescription(terms.array()[0].dictionary());
    EXPECT_EQ(uncategorized, (Dictionary { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Uncategorized") } }));
    Dictionary child = vornickCategoryDescriptionFromWordPressTermDescription(terms.array()[1].dictionary());
    EXPECT_EQ(child.at(u"title"), Value(u"Harbours & Piers"));
    EXPECT_EQ(child.at(u"description"), Value(u"Boats, mostly."));
    EXPECT_EQ(child.at(u"parentCategoryIdentifier"), Value(u"3"));

    Value media = recordedObject("wp-getMediaLibrary.xml");
    ASSERT_EQ(media.count(), 2u);
    Dictionary image = vornickMediaItemDescriptionFromWordPressMediaDescription(media.array()[0].dictionary());
    EXPECT_EQ(image.at(u"identifierUsedByBlogService"), Value(u"31"));
    EXPECT_EQ(image.at(u"dateCreated"), Value(Date(1667553300)));
    EXPECT_EQ(image.at(u"remoteURLString"), Value(u"http://127.0.0.1:8080/wp-content/uploads/2022/11/harbour.jpg"));
    EXPECT_EQ(image.at(u"caption"), Value(u"Dawn, low tide"));
    EXPECT_EQ(image.at(u"title"), Value(u"harbour"));
    EXPECT_EQ(image.at(u"pixelsWide"), Value(1600));
    EXPECT_EQ(image.at(u"pixelsHigh"), Value(1067));
    Dictionary document = vornickMediaItemDescriptionFromWordPressMediaDescription(media.array()[1].dictionary());
    EXPECT_EQ(document.at(u"description"), Value(u"Meeting notes"));
    EXPECT_FALSE(document.contains(u"pixelsWide"));
    EXPECT_FALSE(document.contains(u"variants"));
}

TEST(VornickWordPressXMLRPCDescriptionsTests, ContentStructsSendUniversalDatesAndEmptiedTerms)
{
    Date published(1667553300);
    Dictionary post {
        { u"identifierUsedByBlogService", Value(u"12") },
        { u"title", Value(u" Harbour ") },
        { u"sourceContentString", Value(u"\n<p>x</p>\n") },
        { u"status", Value(u"publish") },
        { u"type", Value(u"post") },
        { u"format", Value(u"aside") },
        { u"dateFirstPublished", Value(published) },
        { u"dateLastEditedLocally", Value(Date(1700000000)) },
        { u"featuredImageIdentifier", Value(u"31") },
        { u"categories", Value(Array { Value(u"Travel") }) },
    };
    Dictionary edited = vornickWordPressContentStructFromPostDescription(post, false);
    EXPECT_FALSE(edited.contains(u"post_type"));
    EXPECT_FALSE(edited.contains(u"post_date"));
    EXPECT_EQ(edited.at(u"post_date_gmt"), Value(published));
    EXPECT_EQ(edited.at(u"post_title"), Value(u" Harbour "));
    EXPECT_EQ(edited.at(u"post_content"), Value(u"\n<p>x</p>\n"));
    EXPECT_EQ(edited.at(u"post_format"), Value(u"aside"));
    EXPECT_EQ(edited.at(u"post_thumbnail"), Value(31));
    EXPECT_EQ(edited.at(u"terms_names"), Value(Dictionary { { u"category", Value(Array { Value(u"Travel") }) } }));
    // The last tag was removed: the site is told, not left to keep it.
    EXPECT_EQ(edited.at(u"terms"), Value(Dictionary { { u"post_tag", Value(Array()) } }));

    Dictionary created = vornickWordPressContentStructFromPostDescription(post, true);
    EXPECT_EQ(created.at(u"post_type"), Value(u"post"));
    EXPECT_EQ(created.at(u"post_date_gmt"), Value(Date(1700000000)));
    EXPECT_FALSE(created.contains(u"terms"));

    // A draft's date floats; a page has no terms; no featured image sends 0.
    post[u"status"] = Value(u"Draft");
    post[u"type"] = Value(u"page");
    post.erase(u"featuredImageIdentifier");
    Dictionary draftPage = vornickWordPressContentStructFromPostDescription(post, false);
    EXPECT_FALSE(draftPage.contains(u"post_date_gmt"));
    EXPECT_FALSE(draftPage.contains(u"terms_names"));
    EXPECT_FALSE(draftPage.contains(u"terms"));
    EXPECT_EQ(draftPage.at(u"post_thumbnail"), Value(0));
}

TEST(VornickWordPressXMLRPCDescriptionsTests, IdentifiersArePositiveDecimals)
{
    EXPECT_EQ(vornickWordPressPositiveIdentifier(Value(u"12")), 12);
    EXPECT_EQ(vornickWordPressPositiveIdentifier(Value(7)), 7);
    for (const Value& bad : { Value(u"0"), Value(u""), Value(u"12a"), Value(u"-3"), Value(u" 5"), Value(0), Value(), Value(true),
             Value(u"99999999999999999999"), Value(1.5), Value(-7), Value(u"1.5"), Value(u"../../x") })
        EXPECT_EQ(vornickWordPressPositiveIdentifier(bad), std::nullopt) << bad.description();
    EXPECT_EQ(vornickWordPressIdentifierString(Value(31)), u"31");
    EXPECT_EQ(vornickWordPressIdentifierString(Value(u"")), std::nullopt);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

// wp.uploadFile names the stored item by "id" (text or a number) and its
// "url"; newer sites add the metadata and its sizes. No usable id, no item.
TEST(VornickWordPressXMLRPCDescriptionsTests, AnUploadAnswerBecomesTheStoredItem)
{
    Dictionary sizes { { u"thumbnail", Value(Dictionary { { u"file", Value(u"harbour-150x150.png") }, { u"mime-type", Value(u"image/png") },
                                                          { u"width", Value(150) }, { u"height", Value(u"150") } }) } };
    struct Case {
        Dictionary reply;
        std::optional<int64_t> identifier;
        size_t variants;
    };
    const Case cases[] {
        { { { u"id", Value(u"88") }, { u"url", Value(u"https://site.example/harbour.png") } }, 88, 0 },
        { { { u"id", Value(89) }, { u"url", Value(u"https://site.example/harbour.png") },
            { u"metadata", Value(Dictionary { { u"sizes", Value(sizes) } }) } }, 89, 1 },
        { { { u"id", Value(u"1.5") }, { u"url", Value(u"https://site.example/harbour.png") } }, std::nullopt, 0 },
        { { { u"url", Value(u"https://site.example/harbour.png") } }, std::nullopt, 0 },
    };
    for (const auto& test : cases) {
        auto stored = vornickWordPressMediaItemDescriptions({ vornickMediaItemDescriptionFromWordPressUploadReply(test.reply) });
        ASSERT_EQ(stored.size(), test.identifier ? 1u : 0u) << toUTF8(test.reply.begin()->second.stringValue());
        if (stored.empty())
            continue;
        EXPECT_EQ(stored[0].identifier, *test.identifier);
        EXPECT_EQ(stored[0].remoteURLString, u"https://site.example/harbour.png");
        ASSERT_EQ(stored[0].variants.size(), test.variants);
        if (test.variants) {
            EXPECT_EQ(stored[0].variants[0], (VornickWordPressMediaItemDescription::Variant { u"thumbnail", u"harbour-150x150.png", u"image/png", 150, 150 }));
        }
    }
}

} // namespace
} // namespace brevanton
