#include "dom/VornickDOMPosition.h"

#include "VornickDOMTestSupport.h"
#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

constexpr char16_t Substitute = u'\u23D8';

TEST(VornickDOMPosition, PreviousNodeGapGoesToTheTextStartThenClimbsPastFirstChildren)
{
    auto document = documentWithBody(u"<p>a</p><p>b</p><p id=p>hello<b>x</b></p>");
    auto p = byId(document, u"p");
    std::shared_ptr<DOMNode> node = child(p, 0);
    int32_t offset = 5;
    ASSERT_TRUE(VornickMoveDOMPositionToPreviousNodeGap(node, offset));
    EXPECT_EQ(node, child(p, 0));
    EXPECT_EQ(offset, 0);
    // From the start of the first child of the third paragraph: the gap before that paragraph.
    ASSERT_TRUE(VornickMoveDOMPositionToPreviousNodeGap(node, offset));
    EXPECT_EQ(node, document->body());
    EXPECT_EQ(offset, 2);

    // From the start of a text that is P's second child: the gap before it.
    node = child(byId(document, u"p")->lastChild(), 0);
    offset = 0;
    ASSERT_TRUE(VornickMoveDOMPositionToPreviousNodeGap(node, offset));
    EXPECT_EQ(node, p);
    EXPECT_EQ(offset, 1);

    // At the start of the document nothing moves.
    node = document;
    offset = 0;
    EXPECT_FALSE(VornickMoveDOMPositionToPreviousNodeGap(node, offset));
    EXPECT_EQ(node, document);
}

TEST(VornickDOMPosition, NextNodeGapGoesToTheTextEndThenClimbsPastLastChildren)
{
    auto document = documentWithBody(u"<p>first</p><div><p id=last>hello</p></div>");
    auto text = child(byId(document, u"last"), 0);
    std::shared_ptr<DOMNode> node = text;
    int32_t offset = 2;
    ASSERT_TRUE(VornickMoveDOMPositionToNextNodeGap(node, offset));
    EXPECT_EQ(node, text);
    EXPECT_EQ(offset, 5);
    // The text, the paragraph, the DIV, BODY and HTML are all last children: the end of the document.
    EXPECT_FALSE(VornickMoveDOMPositionToNextNodeGap(node, offset));
    EXPECT_EQ(node, text);
    EXPECT_EQ(offset, 5);

    node = child(document->body()->firstChild(), 0);
    offset = 5;
    ASSERT_TRUE(VornickMoveDOMPositionToNextNodeGap(node, offset));
    EXPECT_EQ(node, document->body());
    EXPECT_EQ(offset, 1);
}

TEST(VornickDOMPosition, NodeGapMovesRefuseCommentsInsideTheirData)
{
    auto document = documentWithBody(u"<p><!--note-->x</p>");
    std::shared_ptr<DOMNode> node = child(document->body()->firstChild(), 0);
    int32_t offset = 2;
    EXPECT_FALSE(VornickMoveDOMPositionToPreviousNodeGap(node, offset));
    EXPECT_FALSE(VornickMoveDOMPositionToNextNodeGap(node, offset));
    EXPECT_EQ(offset, 2);
}

TEST(VornickDOMPosition, WaypointWalksPassWhatTheOptionsAllow)
{
    auto document = documentWithBody(u"<div id=d> x <div>brick</div><span>s</span><!--c-->  </div>");
    auto div = byId(document, u"d");
    auto walkBack = [&](unsigned options) {
        VornickDOMPosition position { div, 5 };
        VornickPullPositionInElementBackwardWithOptions(position, options);
        return position;
    };
    EXPECT_EQ(walkBack(VornickWaypointSkipWhitespaceOnlyText).offset, 4); // stops at the comment
    EXPECT_EQ(walkBack(VornickWaypointSkipWhitespaceOnlyText | VornickWaypointSkipComments).offset, 3);
    EXPECT_EQ(walkBack(VornickWaypointSkipTextAndComments).offset, 3);              // stops at the SPAN
    EXPECT_EQ(walkBack(VornickWaypointSkipTextCommentsAndNonBrickElements).offset, 2); // stops at the brick DIV

    VornickDOMPosition start { div, 1 };
    VornickPullPositionInElementBackwardWithOptions(start, VornickWaypointSkipWhitespaceOnlyText);
    EXPECT_EQ(start.offset, 1) << "\" x \" is not whitespace only";
    VornickPullPositionInElementBackwardWithOptions(start, VornickWaypointSkipTextAndComments);
    EXPECT_EQ(start.offset, 0);
    VornickDOMPosition afterBrick { div, 2 };
    VornickPullPositionInElementBackwardWithOptions(afterBrick, VornickWaypointSkipTextCommentsAndNonBrickElements);
    EXPECT_EQ(afterBrick.offset, 2) << "a brick stops every option";

    VornickDOMPosition forward { div, 3 };
    VornickPushPositionInElementForwardWithOptions(forward, VornickWaypointSkipTextCommentsAndNonBrickElements);
    EXPECT_EQ(forward.offset, 5);
}

TEST(VornickDOMPosition, WaypointWalksPassOtherNodeTypesAlwaysAndClimbWithBit8)
{
    auto document = DOMDocument::create(DOMDocument::Kind::XML);
    auto root = document->createElementNS(u"http://www.w3.org/1999/xhtml", u"div");
    document->appendChild(root);
    root->appendChild(document->createElementNS(u"http://www.w3.org/1999/xhtml", u"p"));
    auto inner = document->createElementNS(u"http://www.w3.org/1999/xhtml", u"span");
    root->appendChild(inner);
    inner->appendChild(document->createProcessingInstruction(u"pi", u"data"));
    VornickDOMPosition position { inner, 1 };
    VornickPullPositionInElementBackwardWithOptions(position, 0);
    EXPECT_EQ(position, (VornickDOMPosition { inner, 0 }));
    VornickPullPositionInElementBackwardWithOptions(position, VornickWaypointClimbToParent);
    EXPECT_EQ(position, (VornickDOMPosition { root, 1 }));

    VornickDOMPosition inText { root, 0 };
    inText.node = document->createTextNode(u"x");
    EXPECT_THROW(VornickPullPositionInElementBackwardWithOptions(inText, 0), InternalInconsistencyException);
}

TEST(VornickDOMPosition, SteppingEntersOnlyElementsThatHoldBricks)
{
    auto document = documentWithBody(u"<div id=outer><span>a</span><div id=box><table><tr><td>x</td></tr></table></div></div>");
    auto outer = byId(document, u"outer");
    auto box = byId(document, u"box");
    VornickDOMPosition position { outer, 2 };
    VornickStepDOMPositionBackward(position, true, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { box, 1 }));

    position = { outer, 1 };
    VornickStepDOMPositionBackward(position, true, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { outer, 0 })) << "a SPAN without a brick is stepped over";
    VornickStepDOMPositionBackward(position, true, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { outer, 0 })) << "the limit is never left";

    position = { outer, 1 };
    VornickStepDOMPositionForward(position, true, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { box, 0 }));
    VornickStepDOMPositionForward(position, false, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { box, 1 }));
    VornickStepDOMPositionForward(position, false, outer.get());
    EXPECT_EQ(position, (VornickDOMPosition { outer, 2 }));
}

TEST(VornickDOMPosition, PullsAndPushesAgainstElementAndBrickBoundaries)
{
    auto document = documentWithBody(u"<div id=ap><p id=p1>one</p>text<b id=b>bold</b>tail<p id=p2>two</p></div>");
    auto ap = byId(document, u"ap");
    auto tail = child(ap, 3);

    VornickDOMPosition position { tail, 2 };
    EXPECT_EQ(VornickPullDOMPositionAgainstElementBoundary(position, ap), byId(document, u"b"));
    EXPECT_EQ(position, (VornickDOMPosition { ap, 3 }));

    position = { tail, 2 };
    EXPECT_EQ(VornickPullDOMPositionAgainstBrickBoundary(position, ap), byId(document, u"p1"));
    EXPECT_EQ(position, (VornickDOMPosition { ap, 1 }));

    position = { child(ap, 1), 1 };
    EXPECT_EQ(VornickPushDOMPositionAgainstBrickBoundary(position, ap), byId(document, u"p2"));
    EXPECT_EQ(position, (VornickDOMPosition { ap, 4 }));

    // At the start of the attachment point the attachment point itself answers and nothing moves.
    position = { ap, 0 };
    EXPECT_EQ(VornickPullDOMPositionAgainstBrickBoundary(position, ap), ap);
    EXPECT_EQ(position, (VornickDOMPosition { ap, 0 }));
    position = { ap, 5 };
    EXPECT_EQ(VornickPushDOMPositionAgainstElementBoundary(position, ap), ap);

    EXPECT_THROW(VornickPullDOMPositionAgainstBrickBoundary(position, nullptr), InternalInconsistencyException);
}

TEST(VornickDOMPosition, WhitespaceTestsCountTheSubstituteButWaypointsDoNot)
{
    auto document = documentWithBody(std::u16string(u"<div id=d><span class=\"brevanton-placeholder-element\"></span>x")
                                     + Substitute + u"  <span class=\"brevanton-placeholder-element\"></span></div>");
    auto div = byId(document, u"d");
    auto text = child(div, 1);
    VornickDOMPosition afterX { text, 1 };
    EXPECT_TRUE(VornickPositionIsAtEndOfElementIgnoringWhitespace(afterX, *div, Substitute));
    EXPECT_FALSE(VornickPositionIsAtEndOfElementIgnoringWhitespace(afterX, *div, 0));
    VornickDOMPosition beforeX { text, 0 };
    EXPECT_FALSE(VornickPositionIsAtStartOfElementIgnoringWhitespace(beforeX, *div, Substitute))
        << "a placeholder before the position is content for the start test";

    auto document2 = documentWithBody(std::u16string(u"<p id=p>") + Substitute + u"<b>x</b></p>");
    auto p = byId(document2, u"p");
    VornickDOMPosition beforeB { p, 1 };
    EXPECT_TRUE(VornickPositionIsAtStartOfElementIgnoringWhitespace(beforeB, *p, Substitute));
    VornickPullPositionInElementBackwardWithOptions(beforeB, VornickWaypointSkipWhitespaceOnlyText);
    EXPECT_EQ(beforeB.offset, 1) << "bit 1 of the waypoint walks passes plain whitespace only";
}

TEST(VornickDOMPosition, RangeHelpersMoveClonesAndLeaveTheReceiver)
{
    auto document = documentWithBody(u"<p id=p>ab</p><p>cd</p>");
    auto range = VornickDOMRangeCollapsedAtPosition({ child(byId(document, u"p"), 0), 1 });
    ASSERT_TRUE(range);
    auto next = vornick_rangeByMovingToNextNodeGap(*range);
    ASSERT_TRUE(next);
    EXPECT_EQ(vornick_startPosition(*next), (VornickDOMPosition { child(byId(document, u"p"), 0), 2 }));
    EXPECT_TRUE(next->collapsed());
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_FALSE(VornickDOMRangeCollapsedAtPosition({}));

    // Waypoint moves from a caret in text step one unit; in an element they
    // slide over text and comments first.
    auto text = child(byId(document, u"p"), 0);
    auto body = document->body();
    EXPECT_EQ(vornick_startPosition(*vornick_rangeByMovingToNextWaypointWithinContainer(*range, body.get())),
              (VornickDOMPosition { text, 2 }));
    EXPECT_EQ(vornick_startPosition(*vornick_rangeByMovingToPreviousWaypointWithinContainer(*range, body.get())),
              (VornickDOMPosition { text, 0 }));
    auto inP = VornickDOMRangeCollapsedAtPosition({ byId(document, u"p"), 0 });
    EXPECT_EQ(vornick_startPosition(*vornick_rangeByMovingToNextWaypointWithinContainer(*inP, body.get())),
              (VornickDOMPosition { body, 1 }));

    EXPECT_EQ(VornickEnclosingElementOfKindForDOMPosition({ child(byId(document, u"p"), 0), 0 }, u"BODY"),
              document->body());
    EXPECT_TRUE(VornickPositionIsDirectlyInElementOfKind({ byId(document, u"p"), 0 }, u"p"));
}

} // namespace
} // namespace brevanton
