#include "PointerTestSupport.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class HitTesting : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        writePage("inner.html", "<!DOCTYPE html><html><head><title>Inner</title></head><body><p>Inside</p></body></html>\n");
        show("<div id=outer style=\"padding:10px\"><p id=a>One</p><p id=b>Two</p><p id=c>Three</p></div>"
             "<iframe id=frame src=\"inner.html\"></iframe>");
    }
    std::shared_ptr<DOMRange> hit(Point inWebView, unsigned options, VornickHitPartKind* kind = nullptr)
    {
        return VornickContentEditingViewTestPeer::rangeForPoint(*view, inView(inWebView), options, kind);
    }
};

TEST_F(HitTesting, SectionHandleStripAndWaypointsBetweenBricks)
{
    view->setSectionHandlesShown(true);
    auto b = byId(u"b");
    Rect box = boxOf(*b);

    // The 13 rightmost points of a brick grab the brick.
    VornickHitPartKind kind = VornickHitPartKind::Content;
    auto range = hit(Point { box.maxX() - 5, box.midY() }, VornickRangeForPointHitTestSectionHandles, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::SectionHandle);
    EXPECT_EQ(vornick_exactlySelectedNode(*range), b);
    kind = VornickHitPartKind::Waypoint;
    range = hit(Point { box.maxX() - 14, box.midY() }, VornickRangeForPointHitTestSectionHandles, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::Content);

    // The gap between the second and third brick is waypoint 2; above the first, 0.
    auto outer = byId(u"outer");
    Rect c = boxOf(*byId(u"c"));
    kind = VornickHitPartKind::Content;
    range = hit(Point { box.midX(), (box.maxY() + c.minY()) / 2 }, VornickRangeForPointHitTestWaypoints, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::Waypoint);
    EXPECT_TRUE(range->collapsed());
    EXPECT_EQ(range->startContainer(), outer);
    EXPECT_EQ(range->startOffset(), 2u);
    Rect a = boxOf(*byId(u"a"));
    range = hit(Point { a.midX(), boxOf(*outer).minY() + 3 }, VornickRangeForPointHitTestWaypoints, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::Waypoint);
    EXPECT_EQ(range->startOffset(), 0u);
    // Within the first brick there is no waypoint.
    EXPECT_EQ(VornickContentEditingViewTestPeer::hitTestWaypointsInElement(*view, outer, inView(Point { a.midX(), a.midY() })), -1);

    // Hidden handles: neither is looked for.
    view->setSectionHandlesShown(false);
    box = boxOf(*b);
    kind = VornickHitPartKind::Waypoint;
    range = hit(Point { box.maxX() - 5, box.midY() }, VornickRangeForPointHitTestSectionHandles | VornickRangeForPointHitTestWaypoints, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::Content);
}

TEST_F(HitTesting, AFrameStandsForItsContentUnlessAskedToKeepIt)
{
    auto frame = byId(u"frame");
    Rect box = boxOf(*frame);
    Point middle { box.midX(), box.midY() };
    VornickHitPartKind kind = VornickHitPartKind::Waypoint;
    auto range = hit(middle, VornickRangeForPointHitTestWaypoints, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(vornick_exactlySelectedNode(*range), frame);
    EXPECT_EQ(kind, VornickHitPartKind::Content);
    // No options: the frame element's range at once, without a kind.
    kind = VornickHitPartKind::Waypoint;
    range = hit(middle, 0, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(vornick_exactlySelectedNode(*range), frame);
    EXPECT_EQ(kind, VornickHitPartKind::Waypoint);

    range = hit(middle, VornickRangeForPointHitTestWaypoints | VornickRangeForPointKeepSubframeNodes);
    ASSERT_TRUE(range);
    EXPECT_NE(range->startNode()->document(), document().get());

    // Outside the web view: nothing.
    EXPECT_FALSE(VornickContentEditingViewTestPeer::rangeForPoint(*view, Point { -50, -50 }, VornickRangeForPointHitTestWaypoints, nullptr));
}

TEST_F(HitTesting, WithinAttachmentPointsOnlyTheirContentIsHit)
{
    attachTo(u"a");
    Rect c = boxOf(*byId(u"c")->firstChild());
    Rect a = boxOf(*byId(u"a")->firstChild());
    constexpr unsigned clickOptions = 15;
    VornickHitPartKind kind = VornickHitPartKind::Waypoint;
    EXPECT_FALSE(hit(Point { c.minX() + 2, c.midY() }, VornickRangeForPointWithinAttachmentPoints, &kind));
    EXPECT_FALSE(hit(Point { c.minX() + 2, c.midY() }, clickOptions, &kind));
    EXPECT_EQ(kind, VornickHitPartKind::Waypoint) << "a miss writes no kind";
    auto range = hit(Point { a.minX() + 2, a.midY() }, clickOptions, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(kind, VornickHitPartKind::Content);
    EXPECT_EQ(range->startContainer(), byId(u"a")->firstChild());
}

TEST_F(HitTesting, TheProbeFindsTheCaretAndLeavesTheSelectionAndDocumentAlone)
{
    auto one = byId(u"a")->firstChild();
    auto three = byId(u"c")->firstChild();
    view->setTargetRange(rangeIn(one, 1, 2));
    auto before = bodyHTML();
    auto webSelection = view->embeddedWebView()->selectedDOMRange();
    ASSERT_TRUE(webSelection);

    Rect box = boxOf(*three);
    auto range = hit(Point { box.minX() + 1, box.midY() }, VornickRangeForPointProbeWithClick);
    ASSERT_TRUE(range);
    EXPECT_TRUE(range->collapsed());
    EXPECT_EQ(range->startContainer(), three);
    EXPECT_EQ(range->startOffset(), 0u);

    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).probingForDOMRange);
    EXPECT_EQ(view->targetRange()->startContainer(), one);
    EXPECT_EQ(view->targetRange()->startOffset(), 1u);
    EXPECT_EQ(view->targetRange()->endOffset(), 2u);
    ASSERT_TRUE(view->embeddedWebView()->selectedDOMRange());
    EXPECT_TRUE(vornick_isSameAsRange(*view->embeddedWebView()->selectedDOMRange(), *webSelection));
    EXPECT_EQ(bodyHTML(), before);
    EXPECT_FALSE(view->undoManager()->canUndo());
}

} // namespace

namespace {

// Blocks fenced by "wp:" comments; a figure's content may not be edited.
class FencedBlocks : public VornickBlockModeHelper {
public:
    FencedBlocks() { setOperatingInBlockMode(true); }
    std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
    std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
    bool canEditContentOfBlockOrElement(const VornickExactSelection& block) const override
    {
        return !block.element() || !equalsIgnoringASCIICase(block.element()->tagName(), u"figure");
    }
};

class UneditableHits : public PointerTest { };

TEST_F(UneditableHits, ContentThatMayNotBeEditedIsHitWhole)
{
    view->setBlockModeHelper(std::make_shared<FencedBlocks>());
    show("<!-- wp:image --><figure id=fig><img id=img src=\"picture.png\" width=\"40\" height=\"30\"></figure><!-- /wp:image -->"
         "<!-- wp:paragraph --><p id=p><b id=b>Bold</b> text</p><!-- /wp:paragraph -->");
    Rect image = boxOf(*byId(u"img"));
    VornickHitPartKind kind = VornickHitPartKind::Waypoint;
    auto range = VornickContentEditingViewTestPeer::rangeForPoint(*view, inView(Point { image.midX(), image.midY() }), VornickRangeForPointProbeWithClick, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(vornick_exactlySelectedNode(*range), byId(u"fig"));
    EXPECT_EQ(kind, VornickHitPartKind::Content);

    // An editable block's element is taken whole while handles show and no caret is wanted.
    view->setSectionHandlesShown(true);
    Rect paragraph = boxOf(*byId(u"p"));
    Point pastTheText = inView(Point { paragraph.maxX() - 20, paragraph.midY() });
    range = VornickContentEditingViewTestPeer::rangeForPoint(*view, pastTheText, VornickRangeForPointHitTestWaypoints, &kind);
    ASSERT_TRUE(range);
    EXPECT_EQ(vornick_exactlySelectedNode(*range), byId(u"p"));
}

} // namespace
