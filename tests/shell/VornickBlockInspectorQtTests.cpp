// The block inspector in a real post window on the offscreen Qt platform: a
// double-click on a paragraph's section handle opens the popover beside the
// block with its modules (also for a block far down a long post, scrolled to
// with the wheel), a click on Center centres the paragraph's ink in the
// window's picture and is one undo step, and Format > Edit Attributes opens
// it on the block around the caret.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Popover.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

#include <filesystem>

namespace brevanton {
namespace {

// The theme's page with the block library's text alignment rules.
std::string templateWithAlignmentRules()
{
    std::string page = postTemplate;
    auto style = page.find("</style>");
    page.insert(style, ".has-text-align-center { text-align: center; }\n.has-text-align-right { text-align: right; }\n");
    return page;
}

class VornickBlockInspectorQtTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApplication();
        VornickInstallHTMLServices();
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("block-inspector").value();
        auto made = makeSyncedLikeWordPressProject(folder, body);
        ASSERT_TRUE(made);
        postPath = *made;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().filename() == "post-standard.html") {
                ASSERT_TRUE(writeFileAtomically(entry.path().string(), pageTemplate));
            }
        }
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        editor = shell->openBlogPostFile(postPath, &error);
        ASSERT_TRUE(editor) << error;
        settle();
    }

    void TearDown() override
    {
        editor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        std::filesystem::remove_all(folder);
    }

    void settle()
    {
        for (int round = 0; round < 1500; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            if (!editor || (!view().loadingContent() && view().loadingState() != VornickContentLoadingState::InProgress))
                return;
            RunLoop::main().runFor(0.02);
        }
        ADD_FAILURE() << "the post's page never finished loading";
    }

    VornickWordPressPostView& view() const { return *editor->postView(); }
    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    std::shared_ptr<VornickElementEditorUIController> elementEditor() const
    {
        return VornickContentEditingViewTestPeer::of(view()).elementEditorUIController;
    }
    QtWindowWidget* popoverWidget() const
    {
        auto controller = elementEditor();
        auto window = controller ? controller->popover()->window() : nullptr;
        return window ? shell->backend().widgetForWindow(*window) : nullptr;
    }
    // A double-click where a user makes it (Qt's test double click is the
    // second click's event alone).
    void doubleClickAt(QPoint point)
    {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, point);
        QTest::mouseDClick(widget(), Qt::LeftButton, Qt::NoModifier, point);
        settle();
    }
    // The popover's window, shown for the target: none (a failure said) when
    // no inspector shows it.
    QtWindowWidget* inspectorShownFor(const std::shared_ptr<DOMElement>& target) const
    {
        auto controller = elementEditor();
        if (!controller || !controller->popover()->isShown() || controller->targetElement() != target) {
            ADD_FAILURE() << "no inspector shown for the block";
            return nullptr;
        }
        auto* popover = popoverWidget();
        EXPECT_TRUE(popover && popover->isVisible());
        return popover;
    }
    // A click in the middle of a segment of a control of the popover.
    void clickSegment(SegmentedControl& control, int segment)
    {
        auto* popover = popoverWidget();
        ASSERT_NE(popover, nullptr);
        Rect bounds = control.bounds();
        Point base = control.convertPointToView(
            Point { bounds.minX() + bounds.width() * (segment + 0.5) / control.segmentCount(), bounds.midY() }, nullptr);
        QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(base.x), static_cast<int>(popover->height() - base.y)));
        settle();
    }
    // A paragraph's modules in order (text alignment, colour, CSS classes),
    // drawn in the popover: the text alignment module, or none.
    std::shared_ptr<VornickWordPressBlockTextAlignmentInspectorModule> paragraphModules() const
    {
        auto controller = elementEditor();
        auto* popover = popoverWidget();
        if (!controller || !popover || controller->moduleCount() != 3u) {
            ADD_FAILURE() << "no popover with a paragraph's three modules";
            return nullptr;
        }
        auto textAlignment = std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(controller->modules()[0]);
        EXPECT_TRUE(textAlignment);
        EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressBlockColorInspectorModule>(controller->modules()[1]));
        EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressBlockCSSClassesInspectorModule>(controller->modules()[2]));
        EXPECT_FALSE(testing::inkBounds(popover->grab().toImage()).isEmpty());
        return textAlignment;
    }
    std::shared_ptr<DOMElement> paragraph(const std::u16string& text) const
    {
        auto paragraphs = view().mainFrameDocument()->getElementsByTagName(u"p");
        for (unsigned index = 0; index < paragraphs->length(); ++index) {
            if (paragraphs->item(index)->textContent() == text)
                return paragraphs->item(index);
        }
        return nullptr;
    }
    // The element's box in the window widget's coordinates, where the page's
    // scroll position shows it.
    QRect boxInWidget(const DOMElement& element) const
    {
        auto webView = view().embeddedWebView();
        auto documentView = webView->mainFrame()->frameView()->documentView();
        Rect box = documentView->convertRectToView(webView->boundingBox(element), nullptr);
        return QRect(static_cast<int>(box.minX()), static_cast<int>(widget()->height() - box.maxY()), static_cast<int>(box.width()),
                     static_cast<int>(box.height()));
    }
    // Where the element's ink is, in the window's picture.
    QRect inkOf(const DOMElement& element) const
    {
        QRect box = boxInWidget(element);
        QImage picture = widget()->grab().toImage().copy(box);
        return testing::inkBounds(picture).translated(box.topLeft());
    }

    // What the post window opens (set before SetUp).
    std::u16string body = postBody;
    std::string pageTemplate = templateWithAlignmentRules();
    std::string folder;
    std::string postPath;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickBlogPostWindow> editor;
};

// A post body of paragraph blocks, "<prefix>0.", "<prefix>1.", ...
std::u16string numberedParagraphBlocks(std::u16string_view prefix, int count)
{
    std::u16string body;
    for (int index = 0; index < count; ++index)
        body += u"<!-- wp:paragraph -->\n<p>" + std::u16string(prefix) + toUTF16(std::to_string(index)) + u".</p>\n<!-- /wp:paragraph -->\n\n";
    return body;
}

// A long post whose blocks fill the page's width, so that the page scrolls
// and every block's right edge lies under the page's vertical scroller.
class VornickFullWidthBlockInspectorQtTests : public VornickBlockInspectorQtTests {
protected:
    VornickFullWidthBlockInspectorQtTests()
    {
        body = numberedParagraphBlocks(u"Full width paragraph ", 60);
        auto style = pageTemplate.find("</style>");
        pageTemplate.insert(style, "body, .wp-site-blocks, main, .entry-content { margin: 0; padding: 0; }\n"
                                   "body.brevanton-section-handles-shown { padding: 0; }\n");
    }
};

// A long post of short paragraphs: most of its blocks lie below the first screen.
class VornickLongPostBlockInspectorQtTests : public VornickBlockInspectorQtTests {
protected:
    VornickLongPostBlockInspectorQtTests()
    {
        body = numberedParagraphBlocks(u"Paragraph number ", 120);
    }

    // The part of the page the window shows, in the window widget's coordinates.
    QRect visiblePageInWidget() const
    {
        auto webView = view().embeddedWebView();
        Rect visible = webView->convertRectToView(webView->visibleRect(), nullptr);
        return QRect(static_cast<int>(visible.minX()), static_cast<int>(widget()->height() - visible.maxY()),
                     static_cast<int>(visible.width()), static_cast<int>(visible.height()));
    }
    // The post's body as a save writes it.
    std::u16string savedBody() const
    {
        auto point = view().attachmentPointWithIdentifier(VornickAttachmentPointBody);
        auto html = point ? point->extractCompactHTMLContentStringWithReferencesUnder(std::nullopt, std::nullopt) : std::nullopt;
        return html.value_or(u"(no body)");
    }
};

} // namespace

TEST_F(VornickBlockInspectorQtTests, ADoubleClickedBlockShowsItsModulesBesideItAndCenterCentresItsInk)
{
    auto alpha = paragraph(u"Alpha paragraph.");
    ASSERT_TRUE(alpha);
    QRect box = boxInWidget(*alpha);
    QRect inkBefore = inkOf(*alpha);
    ASSERT_FALSE(inkBefore.isEmpty());
    EXPECT_LT(inkBefore.left() - box.left(), box.width() / 4) << "the paragraph starts at the left";

    // Section handles on; a double-click on the paragraph's handle, at its
    // right edge as the handles lay it out (inside its section's).
    view().setSectionHandlesShown(true);
    settle();
    QRect withHandles = boxInWidget(*alpha);
    doubleClickAt(QPoint(withHandles.right() - 5, withHandles.center().y()));
    auto* popover = inspectorShownFor(alpha);
    ASSERT_NE(popover, nullptr);
    // Beside the block: below or above it, overlapping it horizontally.
    QRect blockOnScreen(widget()->mapToGlobal(withHandles.topLeft()), withHandles.size());
    EXPECT_TRUE(popover->geometry().top() >= blockOnScreen.bottom() - 2 || popover->geometry().bottom() <= blockOnScreen.top() + 2);
    EXPECT_TRUE(popover->geometry().right() > blockOnScreen.left() && popover->geometry().left() < blockOnScreen.right());
    // Its modules in order, one under another, drawn.
    auto textAlignment = paragraphModules();
    ASSERT_TRUE(textAlignment);

    // A click on Center.
    auto control = textAlignment->alignmentSegmentedControl();
    ASSERT_EQ(control->labelForSegment(1), u"Center");
    clickSegment(*control, 1);
    EXPECT_EQ(control->selectedSegment(), 1);
    EXPECT_EQ(editor->window()->undoManager()->undoActionName(), u"Change Block Property");
    // The picture without the handles and the block's selection.
    view().setSectionHandlesShown(false);
    auto omega = paragraph(u"Omega paragraph stays.");
    auto caret = view().mainFrameDocument()->createRange();
    caret->setStart(omega->firstChild(), 0);
    caret->collapse(true);
    view().setTargetRange(caret);
    settle();
    auto centred = paragraph(u"Alpha paragraph.");
    ASSERT_TRUE(centred);
    EXPECT_EQ(centred->getAttribute(u"class"), u"has-text-align-center");
    QRect inkAfter = inkOf(*centred);
    ASSERT_FALSE(inkAfter.isEmpty());
    EXPECT_NEAR(inkAfter.center().x(), boxInWidget(*centred).center().x(), 4) << "the ink is centred";
    EXPECT_NEAR(inkAfter.width(), inkBefore.width(), 2);
    // The other paragraph stays where it was.
    EXPECT_LT(inkOf(*omega).left() - boxInWidget(*omega).left(), box.width() / 4);
    EXPECT_TRUE(editor->isDocumentEdited());
}

TEST_F(VornickBlockInspectorQtTests, TheInspectorMovedToAnotherBlockShowsAndChangesThatBlock)
{
    auto alpha = paragraph(u"Alpha paragraph.");
    auto omega = paragraph(u"Omega paragraph stays.");
    ASSERT_TRUE(alpha && omega);
    view().setSectionHandlesShown(true);
    settle();
    auto doubleClickHandleOf = [&](const DOMElement& block) {
        QRect box = boxInWidget(block);
        doubleClickAt(QPoint(box.right() - 5, box.center().y()));
    };
    // The block's alignment class (the handles add a class of their own).
    auto alignmentOf = [&](const std::u16string& text) -> std::u16string {
        auto block = paragraph(text);
        std::u16string classes = block ? block->getAttribute(u"class") : u"";
        for (auto name : { u"has-text-align-left", u"has-text-align-center", u"has-text-align-right" }) {
            if (classes.find(name) != std::u16string::npos)
                return name;
        }
        return {};
    };

    // Alpha's inspector: Right.
    doubleClickHandleOf(*alpha);
    auto controller = elementEditor();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    ASSERT_EQ(controller->targetElement(), alpha);
    auto alignment = std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(controller->modules().at(0));
    ASSERT_TRUE(alignment);
    ASSERT_EQ(alignment->alignmentSegmentedControl()->labelForSegment(2), u"Right");
    clickSegment(*alignment->alignmentSegmentedControl(), 2);
    EXPECT_EQ(alignmentOf(u"Alpha paragraph."), u"has-text-align-right");

    // Then Omega's: the modules show Omega, not what Alpha was given, and
    // a change goes to Omega alone.
    doubleClickHandleOf(*omega);
    controller = elementEditor();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->targetElement(), omega);
    ASSERT_EQ(controller->moduleCount(), 3u);
    alignment = std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(controller->modules()[0]);
    ASSERT_TRUE(alignment);
    EXPECT_NE(alignment->alignmentSegmentedControl()->selectedSegment(), 2) << "Omega is not right-aligned";
    EXPECT_FALSE(testing::inkBounds(popoverWidget()->grab().toImage()).isEmpty());
    clickSegment(*alignment->alignmentSegmentedControl(), 1);
    EXPECT_EQ(alignmentOf(u"Omega paragraph stays."), u"has-text-align-center");
    EXPECT_EQ(alignmentOf(u"Alpha paragraph."), u"has-text-align-right");
    // The last change undoes alone.
    editor->window()->undoManager()->undo();
    settle();
    EXPECT_EQ(alignmentOf(u"Omega paragraph stays."), u"");
    EXPECT_EQ(alignmentOf(u"Alpha paragraph."), u"has-text-align-right");
}

TEST_F(VornickBlockInspectorQtTests, EditAttributesOpensTheBlockAroundTheCaret)
{
    auto omega = paragraph(u"Omega paragraph stays.");
    ASSERT_TRUE(omega);
    auto caret = view().mainFrameDocument()->createRange();
    caret->setStart(omega->firstChild(), 3);
    caret->collapse(true);
    view().setTargetRange(caret);
    ASSERT_TRUE(Application::shared().sendAction("vornick_editElementAttributes:", nullptr, nullptr));
    settle();
    auto controller = elementEditor();
    ASSERT_TRUE(controller);
    EXPECT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->targetElement(), omega);
    ASSERT_TRUE(controller->targetObject()->blockStartComment());
    EXPECT_EQ(controller->targetObject()->blockStartComment()->data(), u" wp:paragraph ");
}

TEST_F(VornickFullWidthBlockInspectorQtTests, AFullWidthBlocksHandleStandsLeftOfTheScrollerAndTakesADoubleClick)
{
    auto first = paragraph(u"Full width paragraph 2.");
    ASSERT_TRUE(first);
    view().setSectionHandlesShown(true);
    settle();
    // The page scrolls: its vertical scroller stands over the blocks' right edges.
    auto webView = view().embeddedWebView();
    auto& scroller = webView->mainFrame()->frameView()->verticalScroller();
    ASSERT_TRUE(scroller && !scroller->isHidden());
    Rect bar = scroller->convertRectToView(scroller->bounds(), nullptr);
    QRect box = boxInWidget(*first);
    ASSERT_GE(box.right() + 1, static_cast<int>(bar.minX())) << "the block reaches under the scroller";

    // A double-click just left of the scroller, on the block's line.
    doubleClickAt(QPoint(static_cast<int>(bar.minX()) - 5, box.center().y()));
    auto controller = elementEditor();
    ASSERT_TRUE(controller);
    EXPECT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->targetElement(), first);
    // Left of the handle's strip the point is the text's, as before.
    Rect barInWebView = scroller->convertRectToView(scroller->bounds(), webView.get());
    Rect boxInWebView = webView->boundingBox(*first);
    auto hitKind = VornickHitPartKind::Content;
    Point left = webView->convertPointToView(Point { barInWebView.minX() - 30, boxInWebView.midY() }, &view());
    (void)VornickContentEditingViewTestPeer::rangeForPoint(view(), left, VornickRangeForPointHitTestSectionHandles, &hitKind);
    EXPECT_NE(hitKind, VornickHitPartKind::SectionHandle);
}

// The user's path to a block far down: the wheel brings it into view, a
// double-click on its handle opens the popover beside it (where the block is
// on screen now, not where the page's top was), and Center is one undo step
// that Ctrl+Z takes back to the very bytes a save wrote before.
TEST_F(VornickLongPostBlockInspectorQtTests, ABlockFarDownScrolledIntoViewIsInspectedBesideItAndOneChangeUndoesExactly)
{
    auto target = paragraph(u"Paragraph number 90.");
    ASSERT_TRUE(target);
    // The handles on through the menu's shortcut, as a user turns them on:
    // the page stays at its top.
    QTest::keyClick(widget(), Qt::Key_BracketRight, Qt::ControlModifier | Qt::AltModifier);
    settle();
    ASSERT_TRUE(view().sectionHandlesShown()) << "View > Show Section Handles answered its shortcut";
    QRect page = visiblePageInWidget();
    auto first = paragraph(u"Paragraph number 0.");
    ASSERT_TRUE(first);
    EXPECT_TRUE(page.contains(boxInWidget(*first))) << "the first block still shows";
    ASSERT_GT(boxInWidget(*target).top(), page.bottom() + page.height()) << "the block lies well below the first screen";

    // Wheel notches over the page until the whole block shows.
    QPointF inPage(page.center());
    for (int notch = 0; notch < 400 && !page.contains(boxInWidget(*target)); ++notch) {
        QWheelEvent wheel(inPage, widget()->mapToGlobal(inPage), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget(), &wheel);
        settle();
        page = visiblePageInWidget();
    }
    QRect box = boxInWidget(*target);
    ASSERT_TRUE(page.contains(box)) << "the wheel brought the block into view";

    // A double-click on the block's handle, at its right edge left of the
    // page's scroller.
    auto& scroller = view().embeddedWebView()->mainFrame()->frameView()->verticalScroller();
    ASSERT_TRUE(scroller && !scroller->isHidden());
    int barLeft = static_cast<int>(scroller->convertRectToView(scroller->bounds(), nullptr).minX());
    doubleClickAt(QPoint(std::min(box.right() + 1, barLeft) - 5, box.center().y()));
    auto* popover = inspectorShownFor(target);
    ASSERT_NE(popover, nullptr);

    // Beside the block on screen: just below or just above it, overlapping
    // it horizontally, within the window.
    QRect blockOnScreen(widget()->mapToGlobal(box.topLeft()), box.size());
    QRect frame = popover->geometry();
    int gapBelow = frame.top() - blockOnScreen.bottom();
    int gapAbove = blockOnScreen.top() - frame.bottom();
    EXPECT_TRUE((gapBelow >= -2 && gapBelow <= 40) || (gapAbove >= -2 && gapAbove <= 40))
        << "popover at y " << frame.top() << ".." << frame.bottom() << ", block at y " << blockOnScreen.top() << ".."
        << blockOnScreen.bottom();
    EXPECT_TRUE(frame.right() > blockOnScreen.left() && frame.left() < blockOnScreen.right());
    QRect windowOnScreen(widget()->mapToGlobal(QPoint(0, 0)), widget()->size());
    EXPECT_TRUE(windowOnScreen.intersects(frame)) << "the popover stands over the window";

    // The paragraph block's modules, drawn.
    auto textAlignment = paragraphModules();
    ASSERT_TRUE(textAlignment);

    // A click on Center changes that block alone, as one undo step.
    auto undoManager = editor->window()->undoManager();
    std::u16string stepBefore = undoManager->undoActionName();
    std::u16string before = savedBody();
    auto control = textAlignment->alignmentSegmentedControl();
    ASSERT_EQ(control->labelForSegment(1), u"Center");
    clickSegment(*control, 1);
    EXPECT_EQ(control->selectedSegment(), 1);
    auto centred = paragraph(u"Paragraph number 90.");
    ASSERT_TRUE(centred);
    EXPECT_NE(centred->getAttribute(u"class").find(u"has-text-align-center"), std::u16string::npos);
    std::u16string after = savedBody();
    EXPECT_NE(after, before);
    EXPECT_NE(after.find(u"<!-- wp:paragraph {\"align\":\"center\"} -->"), std::u16string::npos) << toUTF8(after);
    EXPECT_EQ(undoManager->undoActionName(), u"Change Block Property");

    // The click left the keyboard in the popover: Ctrl+Z goes there.
    QWidget* keyboard = QApplication::focusWidget();
    ASSERT_NE(keyboard, nullptr);
    QTest::keyClick(keyboard, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(savedBody(), before);
    EXPECT_EQ(undoManager->undoActionName(), stepBefore) << "the change was one step";
    EXPECT_EQ(undoManager->redoActionName(), u"Change Block Property");
    EXPECT_EQ(paragraph(u"Paragraph number 90.")->getAttribute(u"class").find(u"has-text-align-center"), std::u16string::npos);
}

} // namespace brevanton
