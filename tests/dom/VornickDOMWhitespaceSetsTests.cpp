// Which whitespace set each DOM operation judges by.
#include "VornickDOMTestSupport.h"
#include "dom/VornickDOMPosition.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeListExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "platform/dom/DOMCollections.h"

#include <gtest/gtest.h>

namespace brevanton::vornick_dom_whitespace_sets_tests {
namespace {

using namespace testing;

constexpr char16_t Substitute = u'\u23D8';

TEST(VornickDOMWhitespaceSets, ClassListsSplitAtTheFiveHTMLSpacesOnly)
{
    auto document = documentWithBody(u"");
    auto element = document->createElement(u"p");
    element->setAttribute(u"class", u"a\u00A0b c\td\ne\u2003f");
    EXPECT_EQ(vornick_classNamesArray(*element),
              (std::vector<std::u16string> { u"a\u00A0b", u"c", u"d", u"e\u2003f" }));
    EXPECT_FALSE(vornick_hasClass(*element, u"a"));
    EXPECT_TRUE(vornick_hasClass(*element, u"a\u00A0b"));
}

TEST(VornickDOMWhitespaceSets, HTMLWhitespaceWithoutTheSubstitute)
{
    ScopedFrameState frame;
    frame.state->substitute = Substitute;
    // [nbsp and em space, substitute, P]
    auto document = documentWithBody(std::u16string(u"<div id=d>\u00A0\u2003<!---->") + Substitute + u"<p>x</p></div>");
    auto div = byId(document, u"d");

    // Waypoint bit 1, child indices of relative paths and the node list's whitespace skipping.
    VornickDOMPosition position { div, 1 };
    VornickPullPositionInElementBackwardWithOptions(position, VornickWaypointSkipWhitespaceOnlyText);
    EXPECT_EQ(position.offset, 0);
    position = { div, 3 };
    VornickPullPositionInElementBackwardWithOptions(position, VornickWaypointSkipWhitespaceOnlyText);
    EXPECT_EQ(position.offset, 3);
    EXPECT_EQ(vornick_normalizedIndexOfChildNodeIgnoringWhitespaceOnlyNodes(*div, div->childAt(3)), 2u);
    EXPECT_EQ(vornick_nodeAtIndexSkippingWhitespaceNodes(*div->childNodes(), 1).get(), div->childAt(2));
}

TEST(VornickDOMWhitespaceSets, HTMLWhitespaceWithTheSubstitute)
{
    ScopedFrameState frame;
    frame.state->substitute = Substitute;
    auto document = documentWithBody(std::u16string(u"<div id=d><p id=p>x</p>") + Substitute + u" <!--wp:x--></div>");
    auto div = byId(document, u"d");
    auto p = byId(document, u"p");
    // Sibling skipping, marker comments and the start/end-of-element tests.
    EXPECT_EQ(vornick_nextSiblingSkippingWhitespaceOnlyNodes(*p).get(), div->childAt(2));
    EXPECT_EQ(vornick_indexOfNextCommentWithPrefix(*p, u"wp:"), 2u);
    EXPECT_TRUE(VornickPositionIsAtEndOfElementIgnoringWhitespace({ div, 1 }, *div, Substitute) == false)
        << "the comment is content";
    EXPECT_TRUE(VornickOnlyWhitespaceFollowsPositionInNode({ div->childAt(1)->shared_from_this(), 0 }, Substitute));

    // The last offset of a whitespace-skipping path counts the substitute text as blank.
    auto path = VornickRelativeDOMPath::pathToPosition({ div, 2 }, div.get(), true);
    EXPECT_EQ(path->pathComponents().back().offsetInNode(), 1);

    // Deleting an item's whole text takes the list along when only the substitute follows the item.
    auto list = documentWithBody(std::u16string(u"<ul id=u><li id=li>x</li>") + Substitute + u" </ul>");
    auto range = list->createRange();
    range->selectNodeContents(child(byId(list, u"li"), 0));
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    EXPECT_EQ(range->startContainer(), list->body());
}

} // namespace
} // namespace brevanton::vornick_dom_whitespace_sets_tests
