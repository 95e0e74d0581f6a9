#include "wordpress/VornickWordPressTermDescription.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// REST gives a top category the parent 0, XML-RPC an empty parent: both are
// a category without one; identifiers come as numbers or their text.
TEST(VornickWordPressTermDescriptionTests, BothMappingsGiveTheSameTypedTerms)
{
    std::vector<Dictionary> given {
        { { u"identifierUsedByBlogService", Value(12) }, { u"title", Value(u"News") }, { u"description", Value(u"All of it") },
          { u"parentCategoryIdentifier", Value(u"0") } },
        { { u"identifierUsedByBlogService", Value(u"13") }, { u"title", Value(u"Local") }, { u"parentCategoryIdentifier", Value(u"12") } },
        { { u"identifierUsedByBlogService", Value(u"14") }, { u"title", Value(u"Top") }, { u"parentCategoryIdentifier", Value(u"") } },
        { { u"identifierUsedByBlogService", Value(u"x") }, { u"title", Value(u"No id") } },
        { { u"title", Value(u"None at all") } },
    };
    std::vector<VornickWordPressTermDescription> expected {
        { 12, u"News", u"All of it", std::nullopt },
        { 13, u"Local", u"", 12 },
        { 14, u"Top", u"", std::nullopt },
    };
    auto terms = vornickWordPressTermDescriptions(given);
    EXPECT_EQ(terms, expected);
    EXPECT_EQ(terms[1].identifierText(), u"13");
    EXPECT_EQ(terms[1].parentIdentifierText(), u"12");
}

} // namespace
} // namespace brevanton
