#include "wordpress/VornickWordPressRESTMapping.h"

#include "tests/wordpress/WordPressRESTTestSupport.h"
#include "toolkit/VornickDateFormatterExtensions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Value utc(std::u16string_view text)
{
    return Value(*vornick_dateFromISO8601String(text));
}

Dictionary mapped(const Value& reply, int version = 2)
{
    return vornickPostDescriptionFromWordPressPostDescription(reply.dictionary(), version);
}

TEST(VornickWordPressRESTMappingTests, RecordedPostsPageMapsEachPost)
{
    Value page = recordedRESTReply("posts-page.json");
    ASSERT_EQ(page.count(), 50u);

    Dictionary first = mapped(page.array()[0]);
    EXPECT_EQ(first[u"identifierUsedByBlogService"], Value(u"1"));
    EXPECT_EQ(first[u"title"], Value(u"Post 1 \u2014 caf\u00e9 & harbour"));
    EXPECT_TRUE(first[u"sourceContentString"].string().starts_with(u"<!-- wp:paragraph -->\n<p>Caf\u00e9 cr\u00e8me"));
    EXPECT_EQ(first[u"sourceContentType"], Value(u"html"));
    EXPECT_EQ(first[u"categoryIdentifiers"], Value(Array { Value(u"3"), Value(u"7") }));
    EXPECT_EQ(first[u"tagIdentifiers"], Value(Array { Value(u"5"), Value(u"9") }));
    EXPECT_FALSE(first.contains(u"categories"));
    EXPECT_EQ(first[u"permalinkURLString"], Value(u"http://127.0.0.1:8080/2022/11/04/post-1/"));
    EXPECT_EQ(first[u"inTrash"], Value(false));
    // "*_gmt" dates carry no zone: they are UTC, never dropped.
    EXPECT_EQ(first[u"dateFirstPublished"], utc(u"2022-11-04T02:15:00Z"));
    EXPECT_EQ(first[u"dateLastPublished"], utc(u"2022-11-04T05:15:00Z"));
    EXPECT_EQ(first[u"status"], Value(u"publish"));
    EXPECT_EQ(first[u"type"], Value(u"post"));
    EXPECT_EQ(first[u"format"], Value(u"standard"));
    EXPECT_EQ(first[u"featuredImageIdentifier"], Value(u"31"));

    Dictionary second = mapped(page.array()[1]);
    EXPECT_EQ(second[u"format"], Value(u"aside"));
    EXPECT_FALSE(second.contains(u"featuredImageIdentifier")); // featured_media 0
    EXPECT_FALSE(second.contains(u"tagIdentifiers"));         // an empty list sets nothing

    // A draft whose date WordPress moves to each save has no first
    // publication date (sending one back would pin it); its link is no permalink.
    Dictionary floatingDraft = mapped(page.array()[2]);
    EXPECT_EQ(floatingDraft[u"status"], Value(u"draft"));
    EXPECT_FALSE(floatingDraft.contains(u"dateFirstPublished"));
    EXPECT_TRUE(floatingDraft[u"dateLastPublished"].isDate());
    EXPECT_FALSE(floatingDraft.contains(u"permalinkURLString"));
    Dictionary datedDraft = mapped(page.array()[3]);
    EXPECT_TRUE(datedDraft[u"dateFirstPublished"].isDate());
    EXPECT_FALSE(datedDraft.contains(u"permalinkURLString"));
    EXPECT_EQ(mapped(page.array()[4])[u"inTrash"], Value(true));
    EXPECT_TRUE(mapped(page.array()[5])[u"dateFirstPublished"].isDate()); // future
    EXPECT_FALSE(mapped(page.array()[6]).contains(u"dateFirstPublished")); // pending, floating
    EXPECT_TRUE(mapped(page.array()[6]).contains(u"permalinkURLString"));

    for (const auto& post : page.array())
        EXPECT_TRUE(mapped(post)[u"dateLastPublished"].isDate()) << post[u"id"];

    Value pages = recordedRESTReply("pages-page.json");
    ASSERT_EQ(pages.count(), 50u);
    Dictionary aPage = mapped(pages.array()[0]);
    EXPECT_EQ(aPage[u"identifierUsedByBlogService"], Value(u"201"));
    EXPECT_EQ(aPage[u"type"], Value(u"page"));
    EXPECT_EQ(aPage[u"permalinkURLString"], Value(u"http://127.0.0.1:8080/page-201/"));
    EXPECT_FALSE(aPage.contains(u"categoryIdentifiers"));
    EXPECT_FALSE(aPage.contains(u"format"));
}

TEST(VornickWordPressRESTMappingTests, OtherShapesOfPosts)
{
    // Version 1: "ID", "URL", terms keyed by name, dates with an offset.
    Value v1(Dictionary { { u"ID", Value(77) }, { u"title", Value(u"Old") }, { u"content", Value(u"<p>x</p>") },
        { u"URL", Value(u"https://notes.example/old/") }, { u"link", Value(u"https://wrong.example/") },
        { u"categories", Value(Dictionary { { u"Travel", Value(Dictionary()) }, { u"Sea & Sky", Value(Dictionary()) } }) },
        { u"tags", Value(Dictionary()) }, { u"status", Value(u"publish") }, { u"date_gmt", Value(u"2022-11-04T10:15:00+02:00") },
        { u"modified_gmt", Value(u"not a date") }, { u"featured_media", Value(u"31") } });
    Dictionary post = mapped(v1, 1);
    EXPECT_EQ(post[u"identifierUsedByBlogService"], Value(u"77"));
    EXPECT_EQ(post[u"permalinkURLString"], Value(u"https://notes.example/old/"));
    EXPECT_EQ(post[u"categories"], Value(Array { Value(u"Sea & Sky"), Value(u"Travel") }));
    EXPECT_FALSE(post.contains(u"categoryIdentifiers"));
    EXPECT_FALSE(post.contains(u"tags"));
    EXPECT_EQ(post[u"dateFirstPublished"], utc(u"2022-11-04T08:15:00Z"));
    EXPECT_FALSE(post.contains(u"dateLastPublished"));
    EXPECT_FALSE(post.contains(u"featuredImageIdentifier")); // only a number names one

    // Identifiers as reals or strings, terms that are not numbers skipped,
    // a boolean is no identifier, Date values pass as they are.
    Value odd(Dictionary { { u"id", Value(true) }, { u"ID", Value(5) }, { u"categories", Value(Array { Value(4.0), Value(u"9"), Value(true) }) },
        { u"date_gmt", Value(Date(1667553300)) }, { u"status", Value(u"trash") } });
    Dictionary oddPost = mapped(odd);
    EXPECT_FALSE(oddPost.contains(u"identifierUsedByBlogService"));
    EXPECT_EQ(oddPost[u"categoryIdentifiers"], Value(Array { Value(u"4") }));
    EXPECT_EQ(oddPost[u"dateFirstPublished"], Value(Date(1667553300)));
    EXPECT_EQ(oddPost[u"inTrash"], Value(true));
    EXPECT_EQ(mapped(Value(Dictionary { { u"id", Value(12.5) } }))[u"identifierUsedByBlogService"], Value(u"12.5"));

    EXPECT_EQ(vornickWordPressIntegerValue(Value(u"  -42abc")), -42);
    EXPECT_EQ(vornickWordPressIntegerValue(Value(u"abc")), 0);
    EXPECT_EQ(vornickWordPressIntegerValue(Value(u"99999999999999999999")), INT64_MAX);
}

TEST(VornickWordPressRESTMappingTests, RecordedMediaReadRawTextsAndSizes)
{
    Value media = recordedRESTReply("media.json");
    auto items = vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(media.array());
    ASSERT_EQ(items.size(), 2u);
    const Dictionary& image = items[0];
    EXPECT_EQ(image.at(u"identifierUsedByBlogService"), Value(u"31"));
    EXPECT_EQ(image.at(u"remoteURLString"), Value(u"http://127.0.0.1:8080/wp-content/uploads/2022/11/harbour.jpg"));
    EXPECT_EQ(image.at(u"uniqueIdentifier"), Value(u"http://127.0.0.1:8080/wp-content/uploads/2022/11/harbour.jpg"));
    // {raw, rendered} objects give their raw text.
    EXPECT_EQ(image.at(u"title"), Value(u"Harbour at dawn"));
    EXPECT_EQ(image.at(u"caption"), Value(u"Grey water, still boats"));
    EXPECT_EQ(image.at(u"description"), Value(u"Boats & water"));
    EXPECT_EQ(image.at(u"pixelsWide"), Value(1600));
    EXPECT_EQ(image.at(u"pixelsHigh"), Value(1067));
    EXPECT_EQ(image.at(u"dateCreated"), utc(u"2022-11-04T09:15:00Z"));
    const Value& variants = image.at(u"variants");
    EXPECT_EQ(variants.count(), 4u);
    EXPECT_EQ(variants[u"medium"], Value(Dictionary { { u"variantName", Value(u"medium") }, { u"filename", Value(u"harbour-300x200.jpg") },
                                       { u"mimeType", Value(u"image/jpeg") }, { u"pixelsWide", Value(300) }, { u"pixelsHigh", Value(200) } }));

    const Dictionary& file = items[1];
    EXPECT_EQ(file.at(u"caption"), Value(u""));
    EXPECT_FALSE(file.contains(u"pixelsWide")); // media_details without a width
    EXPECT_EQ(file.at(u"variants"), Value(Dictionary()));

    // Version 1: plain texts, sizes of the element, thumbnails with w and h in their query.
    Value v1(Array { Value(Dictionary { { u"ID", Value(8) }, { u"URL", Value(u"https://notes.files.example/photo.jpg") },
                         { u"guid", Value(u"https://notes.files.example/photo.jpg") }, { u"width", Value(u"640") }, { u"height", Value(480) },
                         { u"title", Value(u"Photo") }, { u"caption", Value(42) }, { u"mime_type", Value(u"image/jpeg") },
                         { u"date", Value(u"2022-11-04T10:15:00+02:00") },
                         { u"thumbnails", Value(Dictionary { { u"thumbnail", Value(u"https://notes.files.example/photo.jpg?W=150&h=120") },
                                              { u"medium", Value(u"https://notes.files.example/photo.jpg?h=300&w=0&w=5") },
                                              { u"bad", Value(7) } }) } }),
        Value(u"not an item") });
    auto v1Items = vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(v1.array());
    ASSERT_EQ(v1Items.size(), 1u);
    const Dictionary& photo = v1Items[0];
    EXPECT_EQ(photo.at(u"identifierUsedByBlogService"), Value(u"8"));
    EXPECT_EQ(photo.at(u"pixelsWide"), Value(640));
    EXPECT_EQ(photo.at(u"caption"), Value(u"42"));
    EXPECT_EQ(photo.at(u"dateCreated"), utc(u"2022-11-04T08:15:00Z"));
    const Value& thumbnails = photo.at(u"variants");
    EXPECT_EQ(thumbnails.count(), 2u);
    EXPECT_EQ(thumbnails[u"thumbnail"], Value(Dictionary { { u"variantName", Value(u"thumbnail") }, { u"mimeType", Value(u"image/jpeg") },
                                            { u"filename", Value(u"photo.jpg") }, { u"pixelsWide", Value(150) }, { u"pixelsHigh", Value(120) } }));
    // A w of 0 gives no width, and the scan ends once both were seen.
    EXPECT_FALSE(thumbnails[u"medium"].contains(u"pixelsWide"));
    EXPECT_EQ(thumbnails[u"medium"][u"pixelsHigh"], Value(300));
}

TEST(VornickWordPressRESTMappingTests, RecordedTermsKeepParentsAndDescriptions)
{
    Value first = recordedRESTReply("categories-page-1.json");
    Value second = recordedRESTReply("categories-page-2.json");
    auto categories = vornickTermDescriptionsFromWordPressTermDescriptions(first.array(), VornickWordPressTermKind::Category);
    auto more = vornickTermDescriptionsFromWordPressTermDescriptions(second.array(), VornickWordPressTermKind::Category);
    ASSERT_EQ(categories.size(), 100u);
    ASSERT_EQ(more.size(), 23u);
    EXPECT_EQ(categories[0], (Dictionary { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Uncategorized") },
                                 { u"parentCategoryIdentifier", Value(u"0") } }));
    EXPECT_EQ(categories[2][u"description"], Value(u"About category 3"));
    EXPECT_EQ(categories[6][u"title"], Value(u"Sea & Sky"));
    EXPECT_EQ(categories[19][u"parentCategoryIdentifier"], Value(u"1"));
    EXPECT_EQ(more[15][u"identifierUsedByBlogService"], Value(u"116"));
    EXPECT_EQ(more[15][u"parentCategoryIdentifier"], Value(u"3"));

    Value tags = recordedRESTReply("tags.json");
    auto tagDescriptions = vornickTermDescriptionsFromWordPressTermDescriptions(tags.array(), VornickWordPressTermKind::Tag);
    ASSERT_EQ(tagDescriptions.size(), 4u);
    EXPECT_EQ(tagDescriptions[0], (Dictionary { { u"identifierUsedByBlogService", Value(u"5") }, { u"title", Value(u"harbour") },
                                      { u"description", Value(u"Harbour life") } }));
    EXPECT_EQ(tagDescriptions[1][u"title"], Value(u"caf\u00e9 & bar"));
}

} // namespace
} // namespace brevanton
