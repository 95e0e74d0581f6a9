#include "wordpress/VornickWordPressPostDescription.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Value texts(std::initializer_list<const char16_t*> list)
{
    Array array;
    for (const char16_t* text : list)
        array.emplace_back(text);
    return Value(std::move(array));
}

// REST names terms by identifier, XML-RPC by title; a draft has no
// permalink nor first date; identifiers come as the checked text of a number.
TEST(VornickWordPressPostDescriptionTests, BothMappingsGiveTypedPostsAndTheSyncReadsTheSameKeys)
{
    Date published = Date(1700000000.0);
    Date modified = Date(1700000600.0);
    std::vector<Dictionary> given {
        { { u"identifierUsedByBlogService", Value(u"12") }, { u"title", Value(u"Twelve") }, { u"sourceContentString", Value(u"<p>x</p>") },
          { u"sourceContentType", Value(u"html") }, { u"permalinkURLString", Value(u"https://site.example/twelve/") },
          { u"dateFirstPublished", Value(published) }, { u"dateLastPublished", Value(modified) }, { u"status", Value(u"publish") },
          { u"type", Value(u"post") }, { u"format", Value(u"standard") }, { u"inTrash", Value(false) },
          { u"categoryIdentifiers", texts({ u"3", u"4" }) }, { u"tagIdentifiers", texts({ u"9" }) },
          { u"featuredImageIdentifier", Value(u"77") } },
        { { u"identifierUsedByBlogService", Value(u"13") }, { u"title", Value(u"Draft") }, { u"status", Value(u"draft") },
          { u"categories", texts({ u"News" }) }, { u"tags", texts({ u"a", u"b" }) }, { u"inTrash", Value(false) } },
        { { u"identifierUsedByBlogService", Value(u"14") }, { u"status", Value(u"trash") }, { u"inTrash", Value(true) } },
        { { u"identifierUsedByBlogService", Value(u"-7") }, { u"title", Value(u"Negative") } },
        { { u"identifierUsedByBlogService", Value(u"1.5") }, { u"title", Value(u"Fraction") } },
        { { u"title", Value(u"No id") } },
    };
    VornickWordPressPostDescription twelve { 12, u"Twelve", u"<p>x</p>", u"html", u"https://site.example/twelve/", published, modified,
        u"publish", u"post", u"standard", false, { 3, 4 }, { 9 }, {}, {}, 77 };
    VornickWordPressPostDescription draft;
    draft.identifier = 13;
    draft.title = u"Draft";
    draft.status = u"draft";
    draft.categoryTitles = { u"News" };
    draft.tagTitles = { u"a", u"b" };
    VornickWordPressPostDescription trashed;
    trashed.identifier = 14;
    trashed.status = u"trash";
    trashed.inTrash = true;

    auto posts = vornickWordPressPostDescriptions(given);
    ASSERT_EQ(posts, (std::vector { twelve, draft, trashed }));
    EXPECT_EQ(posts[0].identifierText(), u"12");
    // What the post sync reads is what the mapping gave, key by key.
    for (size_t index = 0; index < posts.size(); ++index)
        EXPECT_EQ(posts[index].dictionary(), given[index]) << index;
}

} // namespace
} // namespace brevanton
