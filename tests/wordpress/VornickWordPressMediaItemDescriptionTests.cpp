#include "wordpress/VornickWordPressMediaItemDescription.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// REST names each variant inside it too, XML-RPC only by its key; sizes come
// as numbers or their text; an id that is no positive integer leaves the item out.
TEST(VornickWordPressMediaItemDescriptionTests, BothMappingsGiveTheSameTypedItems)
{
    Date created(1620122400.0);
    std::vector<Dictionary> given {
        { { u"identifierUsedByBlogService", Value(u"7") }, { u"title", Value(u"Cat") }, { u"caption", Value(u"A cat") },
          { u"description", Value(u"<p>Cat</p>") }, { u"remoteURLString", Value(u"https://site.example/cat.jpg") },
          { u"uniqueIdentifier", Value(u"https://site.example/?attachment_id=7") }, { u"dateCreated", Value(created) },
          { u"pixelsWide", Value(640) }, { u"pixelsHigh", Value(480) },
          { u"variants", Value(Dictionary { { u"thumbnail", Value(Dictionary { { u"variantName", Value(u"thumbnail") },
              { u"filename", Value(u"cat-150x150.jpg") }, { u"mimeType", Value(u"image/jpeg") }, { u"pixelsWide", Value(150) },
              { u"pixelsHigh", Value(150) } }) } }) } },
        { { u"identifierUsedByBlogService", Value(u"8") }, { u"title", Value(u"Dog") }, { u"dateCreated", Value(u"2021-05-04T10:00:00Z") },
          { u"pixelsWide", Value(u"300") },
          { u"variants", Value(Dictionary { { u"medium", Value(Dictionary { { u"filename", Value(u"dog-300.jpg") }, { u"pixelsHigh", Value(u"200") } }) } }) } },
        { { u"identifierUsedByBlogService", Value(u"../../outside") }, { u"title", Value(u"Hostile") } },
        { { u"identifierUsedByBlogService", Value(u"0") }, { u"title", Value(u"Zero") } },
        { { u"title", Value(u"No id") } },
    };
    VornickWordPressMediaItemDescription cat { 7, u"Cat", u"A cat", u"<p>Cat</p>", u"https://site.example/cat.jpg",
        u"https://site.example/?attachment_id=7", created, 640, 480, { { u"thumbnail", u"cat-150x150.jpg", u"image/jpeg", 150, 150 } } };
    VornickWordPressMediaItemDescription dog;
    dog.identifier = 8;
    dog.title = u"Dog";
    dog.dateCreated = created;
    dog.pixelsWide = 300;
    dog.variants = { { u"medium", u"dog-300.jpg", u"", std::nullopt, 200 } };

    auto items = vornickWordPressMediaItemDescriptions(given);
    ASSERT_EQ(items, (std::vector { cat, dog }));
    EXPECT_EQ(items[1].identifierText(), u"8");
    // What the integrator imports: the same keys, the variants by name.
    Dictionary imported = items[0].dictionary();
    EXPECT_EQ(imported.at(u"identifierUsedByBlogService"), Value(u"7"));
    EXPECT_EQ(imported.at(u"description"), Value(u"<p>Cat</p>"));
    EXPECT_EQ(imported.at(u"dateCreated"), Value(created));
    EXPECT_EQ(imported.at(u"variants").dictionary().at(u"thumbnail").dictionary().at(u"pixelsWide"), Value(150));
    EXPECT_EQ(vornickWordPressMediaItemDescriptions({ imported }), std::vector { cat });
}

} // namespace
} // namespace brevanton
