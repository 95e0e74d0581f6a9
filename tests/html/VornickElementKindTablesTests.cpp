// The kind tables of every document type against the content models of the
// DTDs and of the HTML 5 standard: the containers that matter when editing,
// asked through the specification, and the rows the writer reads.
#include "html/VornickElementKindTables.h"
#include "html/VornickHTMLSpec.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brevanton {
namespace {

constexpr VornickHTMLDocumentType everyDocumentType[] = {
    VornickHTMLDocumentType::HTML401Transitional, VornickHTMLDocumentType::HTML401Strict, VornickHTMLDocumentType::HTML401Frameset,
    VornickHTMLDocumentType::XHTML10Transitional, VornickHTMLDocumentType::XHTML10Strict, VornickHTMLDocumentType::XHTML10Frameset,
    VornickHTMLDocumentType::XHTML11, VornickHTMLDocumentType::HTML5,
};

class ElementKindTables : public testing::TestWithParam<VornickHTMLDocumentType> {
protected:
    void SetUp() override
    {
        m_spec = VornickHTMLSpec::htmlSpecForDocumentType(GetParam());
        ASSERT_TRUE(m_spec);
    }

    // Every pair "parent>child" whose answer differs from `expected`.
    std::vector<std::string> differing(std::initializer_list<const char16_t*> parents, std::initializer_list<const char16_t*> children,
                                       bool expected) const
    {
        std::vector<std::string> wrong;
        for (auto parent : parents) {
            for (auto child : children) {
                if (m_spec->elementKindMayContainElementKind(parent, child, nullptr) != expected)
                    wrong.push_back(toUTF8(parent) + ">" + toUTF8(child));
            }
        }
        return wrong;
    }

    std::shared_ptr<VornickHTMLSpec> m_spec;
};

TEST_P(ElementKindTables, ParagraphsAndHeadingsTakeInlineContentOnly)
{
    auto textBlocks = { u"p", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"pre" };
    EXPECT_EQ(differing(textBlocks, { u"a", u"em", u"strong", u"span", u"code", u"b", u"i", u"sub", u"br", u"q", u"label" }, true),
              std::vector<std::string> {});
    EXPECT_EQ(differing(textBlocks, { u"p", u"div", u"ul", u"ol", u"dl", u"table", u"blockquote", u"h1", u"li", u"td", u"body" }, false),
              std::vector<std::string> {});
    // The writer keeps their content on the tag's line.
    for (auto tag : { u"p", u"h1", u"h6", u"pre", u"span", u"em", u"a", u"dt" })
        EXPECT_TRUE(m_spec->elementContentIsUsuallyInline(tag)) << toUTF8(tag);
    for (auto tag : { u"ul", u"ol", u"table", u"tr" })
        EXPECT_FALSE(m_spec->elementContentIsUsuallyInline(tag)) << toUTF8(tag);
}

TEST_P(ElementKindTables, FlowContainersTakeBlocksAndInlines)
{
    EXPECT_EQ(differing({ u"li", u"dd", u"td", u"th", u"div" },
                        { u"p", u"div", u"ul", u"table", u"h1", u"h3", u"blockquote", u"a", u"em", u"span", u"img" }, true),
              std::vector<std::string> {});
    // Headings are block content: they go wherever paragraphs go, even where
    // only blocks are allowed.
    EXPECT_EQ(differing({ u"body", u"blockquote", u"form" }, { u"p", u"h1", u"h2", u"h6", u"div", u"ul", u"table" }, true),
              std::vector<std::string> {});
    EXPECT_EQ(differing({ u"li", u"td", u"div" }, { u"li", u"tr", u"td", u"body", u"head" }, false), std::vector<std::string> {});
}

TEST_P(ElementKindTables, ListsAndTablesTakeTheirOwnPartsOnly)
{
    EXPECT_EQ(differing({ u"ul", u"ol" }, { u"li" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"ul", u"ol" }, { u"p", u"div", u"em", u"dt", u"ul", u"td" }, false), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"dl" }, { u"dt", u"dd" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"dl" }, { u"p", u"li", u"em" }, false), std::vector<std::string> {});

    EXPECT_EQ(differing({ u"table" }, { u"caption", u"colgroup", u"thead", u"tbody", u"tfoot", u"tr" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"table" }, { u"td", u"th", u"p", u"div", u"li" }, false), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"thead", u"tbody", u"tfoot" }, { u"tr" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"thead", u"tbody", u"tfoot" }, { u"td", u"p", u"tbody" }, false), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"tr" }, { u"td", u"th" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"tr" }, { u"tr", u"p", u"div", u"span" }, false), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"colgroup" }, { u"col" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"select" }, { u"option", u"optgroup" }, true), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"select" }, { u"p", u"span" }, false), std::vector<std::string> {});
    EXPECT_EQ(differing({ u"br", u"img", u"hr", u"input", u"col" }, { u"span", u"em" }, false), std::vector<std::string> {});
}

TEST_P(ElementKindTables, InlineElementsDoNotTakeBlocks)
{
    EXPECT_EQ(differing({ u"span", u"em", u"strong", u"b", u"code", u"label" }, { u"em", u"span", u"a", u"img", u"br" }, true),
              std::vector<std::string> {});
    EXPECT_EQ(differing({ u"span", u"em", u"strong", u"b", u"code", u"label" }, { u"p", u"div", u"ul", u"table", u"h1" }, false),
              std::vector<std::string> {});
    for (auto tag : { u"span", u"em", u"a", u"img", u"br", u"input" })
        EXPECT_TRUE(m_spec->isUsuallyInlineElement(tag)) << toUTF8(tag);
    for (auto tag : { u"p", u"div", u"h1", u"ul", u"li", u"table", u"tr", u"td" })
        EXPECT_FALSE(m_spec->isUsuallyInlineElement(tag)) << toUTF8(tag);
}

TEST_P(ElementKindTables, RowsAreSortedAndEveryRowHasASpecification)
{
    auto table = VornickElementKindTableForDocumentType(GetParam());
    ASSERT_FALSE(table.empty());
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(), [](auto& a, auto& b) { return compareIgnoringCase(a.tagName, b.tagName) < 0; }));
    for (auto& row : table) {
        EXPECT_TRUE(m_spec->elementSpecForTagName(row.tagName)) << toUTF8(row.tagName);
        EXPECT_EQ(VornickElementKindRecordForTagName(asciiUppercase(row.tagName), GetParam()), &row) << toUTF8(row.tagName);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDocumentType, ElementKindTables, testing::ValuesIn(everyDocumentType),
                         [](const testing::TestParamInfo<VornickHTMLDocumentType>& info) {
                             std::string name = toUTF8(VornickHTMLDocumentTypeToPersistableString(info.param));
                             std::replace_if(name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

TEST(ElementKindTablesXHTML, StrictBodiesTakeBlocksButNotInlines)
{
    for (auto type : { VornickHTMLDocumentType::HTML401Strict, VornickHTMLDocumentType::XHTML10Strict, VornickHTMLDocumentType::XHTML11 }) {
        auto spec = VornickHTMLSpec::htmlSpecForDocumentType(type);
        ASSERT_TRUE(spec);
        EXPECT_TRUE(spec->elementKindMayContainElementKind(u"body", u"h2", nullptr));
        EXPECT_FALSE(spec->elementKindMayContainElementKind(u"body", u"span", nullptr));
        EXPECT_FALSE(spec->elementKindMayContainElementKind(u"blockquote", u"em", nullptr));
        EXPECT_TRUE(spec->elementKindMayContainElementKind(u"map", u"h3", nullptr));
        EXPECT_TRUE(spec->elementKindMayContainElementKind(u"map", u"area", nullptr));
    }
    // XHTML's map takes scripts beside its blocks; HTML 4's does not.
    EXPECT_TRUE(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML10Strict)
                    ->elementKindMayContainElementKind(u"map", u"script", nullptr));
    EXPECT_TRUE(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML10Transitional)
                    ->elementKindMayContainElementKind(u"map", u"script", nullptr));
    EXPECT_FALSE(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict)
                     ->elementKindMayContainElementKind(u"map", u"script", nullptr));
}

} // namespace
} // namespace brevanton
