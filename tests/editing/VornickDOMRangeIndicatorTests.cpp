#include "PointerTestSupport.h"

#include "dom/VornickNodeGeometry.h"
#include "editing/VornickDOMRangeIndicator.h"
#include "editing/VornickDOMTreeVisualizerWindowController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/GraphicsContext.h"
#include "ui/VornickDOMTreeView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class RangeIndicators : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        show("<div id=outer><p id=a>One</p><p id=b>Two</p><p id=c>Three<br><br>four</p></div>");
    }
    template<typename Indicator> void prepare(Indicator& indicator)
    {
        auto webView = view->embeddedWebView();
        indicator.setView(webView);
        indicator.setContentEditingView(view);
        indicator.setDOMNodeBoundsGetter([webView](const DOMNode& node) {
            auto box = vornick_boundingBoxInView(node, *webView);
            return Rect(box.x, box.y, box.width, box.height);
        });
    }
    int notifications(VornickDOMRangeIndicator& indicator, const std::function<void()>& action)
    {
        int count = 0;
        auto token = NotificationCenter::defaultCenter().addObserver(VornickDOMRangeIndicatorBoundsDidChangeNotification, &indicator,
                                                                     nullptr, [&count](const Notification&) { ++count; });
        action();
        return count;
    }
};

TEST_F(RangeIndicators, SiblingNodesGiveOneRoundedRectangleEach)
{
    VornickDOMRangeIndicator indicator;
    prepare(indicator);
    auto outer = byId(u"outer");
    EXPECT_EQ(notifications(indicator, [&] { indicator.setDOMRange(rangeBetween(outer, 0, outer, 2)); }), 1);
    ASSERT_TRUE(indicator.cachedPath());
    Rect a = boxOf(*byId(u"a"));
    Rect b = boxOf(*byId(u"b"));
    EXPECT_EQ(indicator.bounds(), a.unionWith(b).insetBy(-2, -2));
    // A subpath for each box.
    size_t moves = 0;
    for (const auto& element : indicator.cachedPath()->elements())
        moves += element.kind == PathElementKind::MoveTo ? 1 : 0;
    EXPECT_GE(moves, 2u);

    // A range over two containers, or a collapsed one, has no path.
    indicator.setDOMRange(rangeBetween(outer, 0, byId(u"c"), 0));
    EXPECT_EQ(indicator.bounds(), Rect());
    indicator.setDOMRange(rangeBetween(outer, 1, outer, 1));
    EXPECT_EQ(indicator.bounds(), Rect());

    // Clearing the range is a change of bounds its owner must hear about.
    indicator.setDOMRange(rangeBetween(outer, 0, outer, 2));
    EXPECT_EQ(notifications(indicator, [&] { indicator.setDOMRange(nullptr); }), 1);
    EXPECT_EQ(indicator.bounds(), Rect());
    EXPECT_EQ(notifications(indicator, [&] { indicator.setDOMRange(nullptr); }), 0);

    VornickDOMRangeIndicator withoutGetter;
    EXPECT_THROW(withoutGetter.computeIndicatorPathForDOMRange(rangeBetween(outer, 0, outer, 2)), InternalInconsistencyException);
}

TEST_F(RangeIndicators, TheOverlayShowsOnlyWhatTheWebViewDoesNot)
{
    VornickContentOverlayViewDOMRangeIndicator indicator;
    prepare(indicator);
    auto outer = byId(u"outer");
    auto c = byId(u"c");
    indicator.setDOMRange(rangeIn(byId(u"a")->firstChild(), 1, 1));
    EXPECT_EQ(indicator.bounds(), Rect()) << "a caret in text is the web view's";
    indicator.setDOMRange(rangeBetween(c, 2, c, 2));
    EXPECT_EQ(indicator.bounds(), Rect()) << "between two BR elements";
    indicator.setDOMRange(rangeBetween(outer, 2, outer, 2));
    EXPECT_EQ(indicator.bounds(), Rect()) << "a caret between blocks without handles";

    // With section handles: a bar with handles across the gap, 4 points in from each side.
    view->setSectionHandlesShown(true);
    indicator.setDOMRange(rangeBetween(outer, 2, outer, 2));
    ASSERT_TRUE(indicator.cachedPath());
    Rect b = boxOf(*byId(u"b"));
    Rect cBox = boxOf(*c);
    Rect bar = indicator.cachedPath()->bounds();
    EXPECT_DOUBLE_EQ(bar.minX(), std::min(b.minX(), cBox.minX()));
    EXPECT_DOUBLE_EQ(bar.maxX(), std::max(b.maxX(), cBox.maxX()));
    EXPECT_DOUBLE_EQ(bar.midY(), (b.maxY() + cBox.minY()) / 2);
    EXPECT_DOUBLE_EQ(indicator.cachedPath()->lineWidth(), 2);
}

TEST_F(RangeIndicators, FocusAndTheDisabledAppearanceChangeTheColours)
{
    VornickDOMRangeIndicator indicator;
    prepare(indicator);
    auto outer = byId(u"outer");
    indicator.setDOMRange(rangeBetween(outer, 0, outer, 1));
    auto drawn = [&] {
        GraphicsContext context;
        indicator.draw(indicator.bounds(), context);
        return context.commands();
    };
    window->makeFirstResponder(view->embeddedWebView());
    ASSERT_TRUE(view->hasInputFocus());
    auto focused = drawn();
    ASSERT_EQ(focused.size(), 2u);
    EXPECT_EQ(focused[0].color, Color::sRGB(0, 0.5, 1, 0.1));
    EXPECT_EQ(focused[1].color, Color::sRGB(0, 0.5, 1, 1));

    window->makeFirstResponder(nullptr);
    auto unfocused = drawn();
    ASSERT_EQ(unfocused.size(), 2u);
    EXPECT_EQ(unfocused[0].color, Color::genericGamma22White(0, 0.1));
    EXPECT_EQ(unfocused[1].color, Color::gray());

    indicator.setUseDisabledAppearance(true);
    indicator.setStrokeColor(std::nullopt);
    auto disabled = drawn();
    ASSERT_EQ(disabled.size(), 1u);
    EXPECT_EQ(disabled[0].kind, DrawCommand::Kind::FillPath);

    // Nothing outside the dirty rectangle.
    GraphicsContext context;
    indicator.draw(Rect(-100, -100, 10, 10), context);
    EXPECT_TRUE(context.commands().empty());
}

TEST_F(RangeIndicators, InTheTreeViewTheCaretSitsBetweenSubtrees)
{
    auto outer = byId(u"outer");
    auto tree = std::make_shared<VornickDOMTreeView>();
    tree->setRootNode(outer);
    VornickDOMTreeViewDOMRangeIndicator indicator;
    indicator.setView(tree);
    indicator.setDOMNodeBoundsGetter([tree](const DOMNode& node) { return tree->boxOfNode(node); });
    indicator.setDOMRange(rangeBetween(outer, 0, outer, 2));
    EXPECT_EQ(indicator.bounds(), tree->boxOfNode(*byId(u"a")).unionWith(tree->boxOfNode(*byId(u"b"))).insetBy(-2, -2));
    indicator.setDOMRange(rangeBetween(outer, 1, outer, 1));
    Rect a = tree->boxOfNode(*byId(u"a"));
    Rect b = tree->boxOfNode(*byId(u"b"));
    Rect caret = indicator.bounds().insetBy(2, 2);
    EXPECT_DOUBLE_EQ(caret.minX(), a.minX());
    EXPECT_DOUBLE_EQ(caret.maxX(), b.maxX());

    // Anywhere but in a DOM tree view it is a programming error.
    VornickDOMTreeViewDOMRangeIndicator misplaced;
    prepare(misplaced);
    EXPECT_THROW(misplaced.setDOMRange(rangeBetween(outer, 1, outer, 1)), InternalInconsistencyException);
}

TEST_F(RangeIndicators, TheTreeVisualizerFollowsTheOperationRangeUntilTheViewLeaves)
{
    auto controller = view->domTreeVisualizerWindowController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(view->domTreeVisualizerWindowController(), controller) << "made once";
    controller->showWindow();
    auto tree = controller->treeView();
    auto b = byId(u"b");
    ASSERT_TRUE(tree->subtreeViewForModelNode(*b));
    EXPECT_EQ(tree->subtreeViewForModelNode(*b)->label(), u"p");

    auto outer = byId(u"outer");
    view->setTargetRange(rangeBetween(outer, 1, outer, 2));
    EXPECT_EQ(controller->rangeIndicator().bounds(), tree->boxOfNode(*b).insetBy(-2, -2));
    GraphicsContext context;
    tree->draw(tree->bounds(), context);
    EXPECT_FALSE(context.commands().empty());

    auto visualizerWindow = controller->window();
    view->removeFromSuperview();
    EXPECT_FALSE(visualizerWindow->isVisible());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).overlayWindow);
}

} // namespace
