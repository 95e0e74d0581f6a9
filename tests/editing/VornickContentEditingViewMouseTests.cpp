#include "PointerTestSupport.h"
#include "platform/views/Menu.h"

#include "dom/VornickElementExtensions.h"
#include "editing/VornickDOMRangeIndicator.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/Cursor.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/Image.h"
#include "platform/views/Popover.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebFrameView.h"
#include "views/VornickViewExtensions.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class MouseHandling : public PointerTest {
protected:
    Event shiftClickAt(const std::shared_ptr<Window>& target)
    {
        return events.mouseDown(target, Point { 1, 1 }, ModifierFlag::Shift);
    }
    std::string selection() const
    {
        auto range = view->effectiveOperationRange();
        return range ? toUTF8(range->toString()) : "<none>";
    }
};

TEST_F(MouseHandling, ClicksPlaceTheCaretOrSelectElements)
{
    show("<p id=p>Some text <img id=img src=\"picture.png\" width=\"40\" height=\"30\"> more</p>");
    auto text = byId(u"p")->firstChild();

    // In text the web view places the caret; the view keeps no range of its own.
    events.click(window, leftOf(*text, 1));
    EXPECT_FALSE(view->targetRange());
    ASSERT_TRUE(view->effectiveOperationRange());
    EXPECT_TRUE(view->effectiveOperationRange()->collapsed());
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), text);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).leftClickSelectedSomething);

    // On the image: the image itself, which a drag may then carry.
    auto image = byId(u"img");
    Rect box = boxOf(*image);
    Point onImage = inWindow(Point { box.midX(), box.midY() });
    events.click(window, onImage);
    EXPECT_EQ(selectedNode(), image);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).leftClickSelectedSomething);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController && VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->popover()->isShown());
    EXPECT_TRUE(view->undoManager()->canUndo()) << "the selection is part of the undo history";

    // A double click also opens its attribute editor.
    events.click(window, onImage, 0, 2);
    EXPECT_EQ(selectedNode(), image);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->popover()->isShown());
}

TEST_F(MouseHandling, WaypointsLabelsAndTripleClicksInBlockMode)
{
    show("<div id=post><p id=a>One</p><p id=b>Two</p><p><label id=lab>Name <b>bold</b></label></p>"
         "<ul><li id=li><em>word</em> tail</li></ul></div>");
    attachTo(u"post");

    // A label keeps the caret where the click put it.
    auto bold = byId(u"lab")->lastChild()->firstChild();
    events.click(window, leftOf(*bold, 1));
    ASSERT_TRUE(view->targetRange());
    EXPECT_TRUE(view->targetRange()->collapsed());
    EXPECT_EQ(view->targetRange()->startContainer(), bold);

    // In block mode a triple click selects the contents of the paragraph-like element.
    view->blockModeHelper()->setOperatingInBlockMode(true);
    auto word = byId(u"li")->firstChild()->firstChild();
    events.click(window, leftOf(*word, 1), 0, 3);
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), byId(u"li"));
    EXPECT_EQ(view->targetRange()->startOffset(), 0u);
    EXPECT_EQ(view->targetRange()->endOffset(), byId(u"li")->childCount());
    view->blockModeHelper()->setOperatingInBlockMode(false);

    // A waypoint between bricks takes the caret there.
    view->setSectionHandlesShown(true);
    Rect a = boxOf(*byId(u"a"));
    Rect b = boxOf(*byId(u"b"));
    events.click(window, inWindow(Point { a.midX(), (a.maxY() + b.minY()) / 2 }));
    ASSERT_TRUE(view->targetRange());
    EXPECT_TRUE(view->targetRange()->collapsed());
    EXPECT_EQ(view->targetRange()->startContainer(), byId(u"post"));
    EXPECT_EQ(view->targetRange()->startOffset(), 1u);

    // A section handle selects its brick; Shift extends over the next one.
    b = boxOf(*byId(u"b"));
    events.click(window, inWindow(Point { b.maxX() - 4, b.midY() }));
    EXPECT_EQ(selectedNode(), byId(u"b"));
    Rect a2 = boxOf(*byId(u"a"));
    events.click(window, inWindow(Point { a2.maxX() - 4, a2.midY() }), ModifierFlag::Shift);
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startOffset(), 0u);
    EXPECT_EQ(view->targetRange()->endOffset(), 2u);
}

TEST_F(MouseHandling, ShiftClicksExtendFromTheRememberedAnchor)
{
    show("<p id=a>One</p><p id=c>Three and more</p>");
    auto one = byId(u"a")->firstChild();
    auto three = byId(u"c")->firstChild();
    view->setTargetRange(rangeIn(three, 2, 2));
    auto shiftDown = events.mouseDown(window, Point { 1, 1 }, ModifierFlag::Shift);

    // The same place changes nothing.
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(three, 2, 2), shiftDown));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).anchorEndpoint, 0);
    // Before the caret: from the click to the caret, the end anchored.
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(one, 1, 1), shiftDown));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).anchorEndpoint, 2);
    EXPECT_EQ(selection(), "neTh");
    // A later shift-click after the caret moves the start again.
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(three, 1, 1), shiftDown));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).anchorEndpoint, 2);
    EXPECT_EQ(view->targetRange()->startContainer(), three);
    EXPECT_EQ(view->targetRange()->startOffset(), 1u);

    // Through the window: a shift-click when the web view shows no
    // selection of its own (a caret between elements) anchors the end.
    view->setTargetRange(rangeBetween(body(), 1, body(), 1));
    events.click(window, leftOf(*one, 1), ModifierFlag::Shift);
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).anchorEndpoint, 2);
    EXPECT_EQ(view->targetRange()->startContainer(), one);
    EXPECT_EQ(view->targetRange()->endContainer(), body());
}

TEST_F(MouseHandling, AWordDoubleClickLeavesOutTheTrailingSpace)
{
    show("<p id=a>First paragraph</p><p id=b>Hard\u00a0space</p>");
    auto first = byId(u"a")->firstChild();
    auto doubleClick = events.mouseDown(window, Point { 1, 1 }, 0, 2);
    auto singleClick = events.mouseDown(window, Point { 1, 1 }, 0, 1);
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(first, 0, 6), doubleClick));
    EXPECT_EQ(selection(), "First");
    auto hard = byId(u"b")->firstChild();
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(hard, 0, 5), doubleClick));
    EXPECT_EQ(selection(), "Hard");
    // A word without a space after it, or one click, is the web view's.
    EXPECT_FALSE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(first, 0, 5), doubleClick));
    EXPECT_FALSE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(first, 0, 6), singleClick));

    // Through the window the word comes without its space.
    events.click(window, leftOf(*first, 1));
    events.click(window, leftOf(*first, 1), 0, 2);
    EXPECT_EQ(selection(), "First");
}

TEST_F(MouseHandling, ArrowKeysAreOverriddenWhereTheStructureSaysSo)
{
    show("<div id=outer><p id=a>One</p><p id=b>Two</p></div>");
    auto two = byId(u"b")->firstChild();

    // Left at offset 1 stays in the node: through the web view's own proposal.
    view->setTargetRange(rangeIn(two, 1, 1));
    auto left = events.keyDownForCharacter(window, FunctionKey::LeftArrow);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::letWebViewProposeSelectionChangeForKeyEvent(*view, left));
    ASSERT_TRUE(view->effectiveOperationRange());
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), two);
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 0u);

    // Up with section handles shown: just before the block the caret was in.
    view->setSectionHandlesShown(true);
    view->setTargetRange(rangeIn(two, 2, 2));
    auto up = events.keyDownForCharacter(window, FunctionKey::UpArrow);
    EXPECT_TRUE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(byId(u"a")->firstChild(), 1, 1), up));
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), byId(u"outer"));
    EXPECT_EQ(view->targetRange()->startOffset(), 1u);
    // Within one block the proposal stands.
    view->setTargetRange(rangeIn(two, 2, 2));
    EXPECT_FALSE(view->overrideWebViewProposedSelectionChangeTo(rangeIn(two, 0, 0), up));

    // Ending another event's interception is a programming error.
    VornickContentEditingViewTestPeer::beginInterceptingSelectionChangingEvent(*view, up);
    EXPECT_THROW(VornickContentEditingViewTestPeer::endInterceptingSelectionChangingEvent(*view, left), InternalInconsistencyException);
    VornickContentEditingViewTestPeer::endInterceptingSelectionChangingEvent(*view, up);
}

TEST_F(MouseHandling, ADragLeavesTheContentInPlaceUntilADropInTheViewMovesIt)
{
    show("<p id=p>Some text <img id=img src=\"picture.png\" width=\"40\" height=\"30\"> more</p><p id=q>Target</p>");
    auto image = byId(u"img");
    Rect box = boxOf(*image);
    Point start = inWindow(Point { box.midX(), box.midY() });
    auto before = bodyHTML();

    // Within the threshold the web view keeps the drag.
    events.send(events.mouseDown(window, start));
    events.send(events.mouseDragged(window, Point { start.x + 5, start.y }));
    EXPECT_FALSE(DraggingSession::currentSession());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).draggingAFragmentAsSource);
    // Past it, the selected image is dragged; the document is untouched.
    events.send(events.mouseDragged(window, Point { start.x + 20, start.y }));
    auto session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).draggingAFragmentAsSource);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    ASSERT_EQ(session->items().size(), 1u);
    EXPECT_TRUE(session->items()[0].item().hasType(WebArchivePboardType));
    EXPECT_EQ(session->items()[0].draggingFrame().size, (Size { box.width(), box.height() }));
    EXPECT_EQ(session->draggingFormation(), DraggingFormation::None);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).overlayWindow->useDisabledEffectiveOperationRangeAppearance());
    EXPECT_EQ(bodyHTML(), before);

    // A cancelled drag slides back and loses nothing.
    session->cancel();
    EXPECT_TRUE(session->slidBackToStart());
    EXPECT_EQ(bodyHTML(), before);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).draggingAFragmentAsSource);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).overlayWindow->useDisabledEffectiveOperationRangeAppearance());
    events.send(events.mouseUp(window, Point { start.x + 20, start.y }));

    // An Option-drag copies.
    events.click(window, start);
    events.send(events.mouseDown(window, start));
    events.send(events.mouseDragged(window, Point { start.x + 20, start.y }, ModifierFlag::Option));
    session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    session->cancel();
    events.send(events.mouseUp(window, start));

    // A move dropped in the view moves the image, as one undoable step.
    view->undoManager()->removeAllActions();
    events.send(events.mouseDown(window, start));
    events.send(events.mouseDragged(window, Point { start.x + 20, start.y }));
    session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    auto target = byId(u"q")->firstChild();
    view->setDropTargetRange(rangeIn(target, 0, 0), VornickHitPartKind::Content, Point {});
    Rect inScreen = view->convertRectToScreen(view->bounds());
    session->endWithOperation(DragOperations::Move, Point { inScreen.midX(), inScreen.midY() });
    drain();
    EXPECT_EQ(image->parentNode(), byId(u"q"));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).dropTargetRange);
    view->undoManager()->undo();
    drain();
    EXPECT_EQ(bodyHTML(), before);
}

TEST_F(MouseHandling, ThePictureOfAPartlyHiddenDragShowsTheVisiblePartWhereItLiesInTheRange)
{
    show("<p><img id=img src=\"picture.png\" width=\"40\" height=\"900\"></p>");
    auto image = byId(u"img");
    auto webView = view->embeddedWebView();
    Rect box = boxOf(*image);
    // The image's top 400 points are scrolled out of view.
    webView->mainFrame()->frameView()->clipView()->scrollToPoint(Point { 0, box.minY() + 400 });
    Point start = inWindow(Point { box.midX(), 100 });
    events.click(window, start);
    ASSERT_EQ(selectedNode(), image);
    events.send(events.mouseDown(window, start));
    events.send(events.mouseDragged(window, Point { start.x + 20, start.y }));
    auto session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    Rect bounds = webView->vornick_bestGuessBoundsOfRange(*view->effectiveOperationRange());
    Rect visible = bounds.intersection(webView->visibleRect());
    ASSERT_LT(visible.height(), bounds.height());
    const auto& picture = session->items()[0].image();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), bounds.size);
    // The picture's coordinates go up from its bottom, the web view's down
    // from its top: the part shown lies as far above the picture's bottom as
    // it ends above the range's.
    const DrawCommand* shown = nullptr;
    for (const auto& command : picture->drawing())
        shown = command.kind == DrawCommand::Kind::Image ? &command : shown;
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->rect, Rect(visible.minX() - bounds.minX(), bounds.maxY() - visible.maxY(), visible.width(), visible.height()));
    session->cancel();
    events.send(events.mouseUp(window, start));
}

TEST_F(MouseHandling, AClickOutsideTheAttachmentPointsOnlyFlashesTheMask)
{
    show("<h1 id=site>Site</h1><div id=post><p id=a>Post</p></div>");
    attachTo(u"post");
    RunLoop::main().useManualClock();
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    auto site = byId(u"site")->firstChild();
    auto before = bodyHTML();

    events.click(window, leftOf(*site, 1));
    EXPECT_FALSE(view->targetRange());
    EXPECT_TRUE(overlay->overlayView()->showingAttachmentMask());
    RunLoop::main().advanceClock(0.3);
    EXPECT_DOUBLE_EQ(overlay->overlayView()->attachmentMaskOpacity(), 1.0);
    // Another click within the hold keeps it dark and restarts the hold.
    RunLoop::main().advanceClock(0.5);
    events.click(window, leftOf(*site, 1));
    RunLoop::main().advanceClock(0.8);
    EXPECT_DOUBLE_EQ(overlay->overlayView()->attachmentMaskOpacity(), 1.0);
    // One second after the last click it fades out over half a second.
    RunLoop::main().advanceClock(0.45);
    EXPECT_GT(overlay->overlayView()->attachmentMaskOpacity(), 0.0);
    EXPECT_LT(overlay->overlayView()->attachmentMaskOpacity(), 1.0);
    RunLoop::main().advanceClock(0.6);
    EXPECT_DOUBLE_EQ(overlay->overlayView()->attachmentMaskOpacity(), 0.0);
    EXPECT_FALSE(overlay->overlayView()->showingAttachmentMask());
    EXPECT_EQ(bodyHTML(), before);
}

TEST_F(MouseHandling, CloakedPointsTakeNoTextAndPointsWithAnActionRunIt)
{
    show("<h1 id=title>Title</h1><div id=tags><a id=tag>one</a></div><div id=post><p id=a>Post</p></div>");
    struct ByIdLocator : VornickAttachmentPointLocator {
        explicit ByIdLocator(std::u16string id) : VornickAttachmentPointLocator(id, u"") {}
        std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(identifier()); }
    };
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators;
    for (const char16_t* id : { u"title", u"tags", u"post" })
        locators[id] = std::make_shared<ByIdLocator>(id);
    view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(locators));
    auto title = view->attachToPoint(u"title", VornickAttachmentType::SingleElement);
    auto tags = view->attachToPoint(u"tags", VornickAttachmentType::SingleElement);
    auto post = view->attachToPoint(u"post", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(title && tags && post);
    title->setCloaked(true);
    tags->setCloaked(true);
    int actions = 0;
    VornickAttachmentPoint* activated = nullptr;
    tags->setActionHandler([&](VornickAttachmentPoint& point) {
        ++actions;
        activated = &point;
    });
    view->setTargetRange(nullptr);
    RunLoop::main().useManualClock();
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    auto inside = [this](const std::shared_ptr<VornickAttachmentPoint>& point) {
        auto range = view->effectiveOperationRange();
        return range && vornick_enclosingAttachmentPointElement(*range) == point->findElement();
    };

    // A click in the post's text puts the caret there.
    events.click(window, leftOf(*byId(u"a")->firstChild(), 1));
    ASSERT_TRUE(inside(post));

    // A click on the point with an action runs it, and moves nothing.
    events.click(window, leftOf(*byId(u"tag")->firstChild(), 1));
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(activated, tags.get());
    EXPECT_TRUE(inside(post));
    EXPECT_FALSE(overlay->overlayView()->showingAttachmentMask());

    // A click on the cloaked title shows the mask and leaves the caret be.
    events.click(window, leftOf(*byId(u"title")->firstChild(), 2));
    EXPECT_TRUE(inside(post));
    EXPECT_TRUE(overlay->overlayView()->showingAttachmentMask());
    EXPECT_EQ(actions, 1);
    // The web view may not put its selection there either.
    auto inTitle = document()->createRange();
    inTitle->setStart(byId(u"title")->firstChild(), 1);
    inTitle->collapse(true);
    EXPECT_FALSE(view->shouldChangeSelectedDOMRange(*view->embeddedWebView(), nullptr, inTitle.get(), WebSelectionAffinityDownstream, false));
    auto inPost = document()->createRange();
    inPost->setStart(byId(u"a")->firstChild(), 1);
    inPost->collapse(true);
    EXPECT_TRUE(view->shouldChangeSelectedDOMRange(*view->embeddedWebView(), nullptr, inPost.get(), WebSelectionAffinityDownstream, false));

    // Typing reaches the post's text, never a cloaked point's.
    auto before = toUTF8(byId(u"title")->innerHTML());
    events.typeText(window, u"x");
    drain();
    EXPECT_NE(toUTF8(byId(u"a")->textContent()).find('x'), std::string::npos);
    view->setTargetRange(inTitle);
    events.typeText(window, u"y");
    drain();
    EXPECT_EQ(toUTF8(byId(u"title")->innerHTML()), before);
    RunLoop::main().useRealClock();
}

TEST_F(MouseHandling, TheCursorFollowsWhatIsUnderThePointer)
{
    show("<p id=a>Plain <a id=link href=\"http://example.com/\">link</a></p><div style=\"height:100px\"></div>");
    Cursor::resetForTesting();
    auto plain = byId(u"a")->firstChild();
    auto link = byId(u"link")->firstChild();
    Rect div = boxOf(*byId(u"a")->nextSibling());

    events.send(events.mouseMoved(window, leftOf(*plain, 1)));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::IBeam);
    // Another view's cursor changes are ignored over the editing view.
    Cursor::arrowCursor().set();
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::IBeam);
    events.send(events.mouseMoved(window, leftOf(*link, 1)));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::IBeam);
    events.send(events.mouseMoved(window, leftOf(*link, 1), ModifierFlag::Command));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::PointingHand);
    events.send(events.mouseMoved(window, inWindow(Point { div.midX(), div.midY() })));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::Arrow);
    view->setEditable(false);
    events.send(events.mouseMoved(window, leftOf(*link, 1)));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::PointingHand);
}

} // namespace

namespace {

// A scripted session on one of the real test pages.
TEST_F(MouseHandling, AScriptedSessionOnARealPage)
{
    load("page.html");
    window = VornickWindow::create(Rect(100, 100, 800, 600));
    view->setFrame(Rect(0, 0, 800, 600));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    drain();
    Cursor::resetForTesting();
    auto heading = element(u"H1")->firstChild();
    auto image = element(u"IMG");
    ASSERT_TRUE(heading && image);
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);

    events.send(events.mouseMoved(window, leftOf(*heading, 2)));
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::IBeam);
    events.click(window, leftOf(*heading, 2));
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), heading);
    EXPECT_FALSE(overlay->isVisible()) << "the web view shows the caret";

    Rect box = boxOf(*image);
    Point onImage = inWindow(Point { box.midX(), box.midY() });
    events.click(window, onImage);
    EXPECT_EQ(selectedNode(), image);
    EXPECT_TRUE(overlay->isVisible());
    Rect framed = vornick_convertRect(*overlay->overlayView(), box, view->embeddedWebView().get());
    EXPECT_EQ(overlay->overlayView()->effectiveOperationRangeIndicator().bounds(), framed.insetBy(-2, -2));

    // Scrolling redraws the overlay.
    overlay->overlayView()->setNeedsDisplay(false);
    view->embeddedWebViewScrolled();
    EXPECT_TRUE(overlay->overlayView()->needsDisplay());

    auto before = bodyHTML();
    events.send(events.mouseDown(window, onImage));
    events.send(events.mouseDragged(window, Point { onImage.x, onImage.y - 30 }));
    auto session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    session->endWithOperation(DragOperations::Copy, Point { 5000, 5000 });
    events.send(events.mouseUp(window, Point { onImage.x, onImage.y - 30 }));
    EXPECT_EQ(bodyHTML(), before) << "a drop elsewhere leaves the page as it was";
}

} // namespace

namespace {

TEST_F(MouseHandling, RightClicksKeepTheSelectionTheyLandIn)
{
    show("<p id=a>One</p><p id=b>Two</p><p id=c>Three</p>");
    auto two = byId(u"b")->firstChild();
    auto three = byId(u"c")->firstChild();
    view->setTargetRange(rangeBetween(body(), 0, body(), 2));
    events.send(events.rightMouseDown(window, leftOf(*two, 1)));
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startOffset(), 0u);
    EXPECT_EQ(view->targetRange()->endOffset(), 2u);
    // Outside it, the place clicked becomes the selection.
    events.send(events.rightMouseDown(window, leftOf(*three, 1)));
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), three);
    // Each right click pops up the view's context menu for that place.
    ASSERT_TRUE(Menu::shownContextMenu());
    EXPECT_EQ(Menu::shownContextMenu(), view->menu());
    EXPECT_TRUE(Menu::shownContextMenu()->itemWithTitle(u"Heading"));

    // The web view's own selection, set by itself, replaces the view's range.
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    view->embeddedWebView()->setSelectedDOMRange(rangeIn(two, 1, 1), WebSelectionAffinityDownstream);
    EXPECT_FALSE(view->targetRange());
}

} // namespace

namespace {

TEST_F(MouseHandling, ADoubleClickOnAHeadedBricksHandleCollapsesIt)
{
    show("<div id=sec style=\"padding:10px\"><h2>Title</h2><p>Body of the section</p></div><p id=after>After</p>");
    view->setSectionHandlesShown(true);
    auto section = byId(u"sec");
    Rect box = boxOf(*section);
    Point onHandle = inWindow(Point { box.maxX() - 3, box.minY() + 3 });
    events.click(window, onHandle);
    EXPECT_EQ(selectedNode(), section);
    events.click(window, onHandle, 0, 2);
    EXPECT_TRUE(vornick_hasClass(*section, u"brevanton-collapsed"));
    events.click(window, onHandle);
    events.click(window, onHandle, 0, 2);
    EXPECT_FALSE(vornick_hasClass(*section, u"brevanton-collapsed"));
    // A brick without a heading first does not collapse.
    Rect after = boxOf(*byId(u"after"));
    Point onAfter = inWindow(Point { after.maxX() - 3, after.midY() });
    events.click(window, onAfter);
    events.click(window, onAfter, 0, 2);
    EXPECT_FALSE(vornick_hasClass(*byId(u"after"), u"brevanton-collapsed"));
    EXPECT_EQ(selectedNode(), byId(u"after"));
}

} // namespace
