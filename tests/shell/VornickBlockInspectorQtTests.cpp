// The block inspector in a real post window on the offscreen Qt platform: a
// double-click on a paragraph's section handle opens the popover beside the
// block with its modules, a click on Center centres the paragraph's ink in
// the window's picture, and Format > Edit Attributes opens it on the block
// around the caret.
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
    std::shared_ptr<DOMElement> paragraph(const std::u16string& text) const
    {
        auto paragraphs = view().mainFrameDocument()->getElementsByTagName(u"p");
        for (unsigned index = 0; index < paragraphs->length(); ++index) {
            if (paragraphs->item(index)->textContent() == text)
                return paragraphs->item(index);
        }
        return nullptr;
    }
    // The element's box in the window widget's coordinates.
    QRect boxInWidget(const DOMElement& element) const
    {
        auto webView = view().embeddedWebView();
        Rect box = webView->convertRectToView(webView->boundingBox(element), nullptr);
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

// A long post whose blocks fill the page's width, so that the page scrolls
// and every block's right edge lies under the page's vertical scroller.
class VornickFullWidthBlockInspectorQtTests : public VornickBlockInspectorQtTests {
protected:
    VornickFullWidthBlockInspectorQtTests()
    {
        body.clear();
        for (int index = 0; index < 60; ++index) {
            body += u"<!-- wp:paragraph -->\n<p>Full width paragraph " + toUTF16(std::to_string(index))
                + u".</p>\n<!-- /wp:paragraph -->\n\n";
        }
        auto style = pageTemplate.find("</style>");
        pageTemplate.insert(style, "body, .wp-site-blocks, main, .entry-content { margin: 0; padding: 0; }\n"
                                   "body.brevanton-section-handles-shown { padding: 0; }\n");
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

    // Section handles on; a double-click on the paragraph's handle.
    view().setSectionHandlesShown(true);
    settle();
    QPoint handle(box.right() - 5, box.center().y());
    // Qt's test double click is the second click's event alone.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
    QTest::mouseDClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
    settle();
    auto controller = elementEditor();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->targetElement(), alpha);
    auto* popover = popoverWidget();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isVisible());
    // Beside the block: below or above it, overlapping it horizontally.
    QRect blockOnScreen(widget()->mapToGlobal(box.topLeft()), box.size());
    EXPECT_TRUE(popover->geometry().top() >= blockOnScreen.bottom() - 2 || popover->geometry().bottom() <= blockOnScreen.top() + 2);
    EXPECT_TRUE(popover->geometry().right() > blockOnScreen.left() && popover->geometry().left() < blockOnScreen.right());
    // Its modules in order, one under another, drawn.
    ASSERT_EQ(controller->moduleCount(), 3u);
    auto textAlignment = std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(controller->modules()[0]);
    ASSERT_TRUE(textAlignment);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressBlockColorInspectorModule>(controller->modules()[1]));
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressBlockCSSClassesInspectorModule>(controller->modules()[2]));
    EXPECT_FALSE(testing::inkBounds(popover->grab().toImage()).isEmpty());

    // A click on Center.
    auto control = textAlignment->alignmentSegmentedControl();
    ASSERT_EQ(control->labelForSegment(1), u"Center");
    Rect bounds = control->bounds();
    Point base = control->convertPointToView(Point { bounds.minX() + bounds.width() * 1.5 / 3, bounds.midY() }, nullptr);
    QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, QPoint(static_cast<int>(base.x), static_cast<int>(popover->height() - base.y)));
    settle();
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
        QPoint handle(box.right() - 5, box.center().y());
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
        QTest::mouseDClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
        settle();
    };
    auto clickSegment = [&](SegmentedControl& control, int segment) {
        auto* popover = popoverWidget();
        ASSERT_NE(popover, nullptr);
        Rect bounds = control.bounds();
        Point base = control.convertPointToView(
            Point { bounds.minX() + bounds.width() * (segment + 0.5) / control.segmentCount(), bounds.midY() }, nullptr);
        QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(base.x), static_cast<int>(popover->height() - base.y)));
        settle();
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
    QPoint handle(static_cast<int>(bar.minX()) - 5, box.center().y());
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
    QTest::mouseDClick(widget(), Qt::LeftButton, Qt::NoModifier, handle);
    settle();
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

} // namespace brevanton
