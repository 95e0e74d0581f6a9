// The block colour module in a real Qt window (offscreen): a block post open
// in its theme, the inspector's popover on a paragraph, a click on the
// palette's Vivid red in the popover's widget, and the paragraph's
// background painted in that colour by the theme's own rules.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Application.h"
#include "platform/views/Popover.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressColorChooserController.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "ui/VornickColorSwatchView.h"

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>

namespace brevanton {
namespace {

// The palette's rule as the block library's theme styles give it (the
// page's style sheets resolve no custom properties, so not the var() form of
// a site's global styles).
constexpr const char* paletteStyles = "<style id=\"wp-block-library-theme-inline-css\">\n"
                                      ".has-vivid-red-background-color{background-color: #cf2e2e !important;}\n"
                                      "</style>\n";

class BlockColorInspectorQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        folder = createTemporaryDirectory("colour-inspector").value();
        auto made = makeSyncedLikeWordPressProject(folder);
        ASSERT_TRUE(made);
        // The theme's template with the palette's rules in its head.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().filename() != "post-standard.html")
                continue;
            std::string page = postTemplate;
            page.insert(page.find("</head>"), paletteStyles);
            std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << page;
        }
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        editor = shell->openBlogPostFile(*made, &error);
        ASSERT_TRUE(editor) << error;
        settle();
    }
    void TearDown() override
    {
        editor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
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
    QtWindowWidget* widgetOf(const Window& window) const { return shell->backend().widgetForWindow(window); }
    std::shared_ptr<DOMElement> paragraph(const std::u16string& text) const
    {
        auto paragraphs = view().mainFrameDocument()->getElementsByTagName(u"p");
        for (unsigned index = 0; index < paragraphs->length(); ++index) {
            if (paragraphs->item(index)->textContent().find(text) != std::u16string::npos)
                return paragraphs->item(index);
        }
        return nullptr;
    }

    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickBlogPostWindow> editor;
};

} // namespace

TEST_F(BlockColorInspectorQt, AClickOnVividRedPaintsTheParagraphsBackgroundRed)
{
    auto alpha = paragraph(u"Alpha paragraph");
    ASSERT_TRUE(alpha);
    view().setTargetRange(view().blockModeHelper()->blockOrElement(alpha).outerRange());
    ASSERT_TRUE(view().showAttributeEditorForElement(alpha, std::nullopt));
    settle();
    auto elementEditor = VornickContentEditingViewTestPeer::of(view()).elementEditorUIController;
    ASSERT_TRUE(elementEditor);
    std::shared_ptr<VornickWordPressBlockColorInspectorModule> colors;
    for (const auto& module : elementEditor->modules()) {
        if (auto found = std::dynamic_pointer_cast<VornickWordPressBlockColorInspectorModule>(module))
            colors = found;
    }
    ASSERT_TRUE(colors);
    auto popoverWindow = elementEditor->popover()->window();
    ASSERT_TRUE(popoverWindow);
    auto* popoverWidget = widgetOf(*popoverWindow);
    ASSERT_NE(popoverWidget, nullptr);
    ASSERT_TRUE(popoverWidget->isVisible());

    auto red = VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(u"vivid-red");
    auto swatch = colors->backgroundColorChooser()->paletteView()->swatchForColorDescription(red);
    ASSERT_TRUE(swatch);
    Point centre = swatch->convertPointToView({ swatch->bounds().midX(), swatch->bounds().midY() }, nullptr);
    QPoint inPopover(static_cast<int>(centre.x), static_cast<int>(popoverWidget->height() - centre.y));
    // The swatch is painted in its colour where the click goes.
    EXPECT_EQ(popoverWidget->grab().toImage().pixelColor(inPopover), QColor(0xcf, 0x2e, 0x2e));
    QTest::mouseClick(popoverWidget, Qt::LeftButton, Qt::NoModifier, inPopover);
    settle();

    EXPECT_EQ(view().undoManager()->undoActionName(), u"Change Block Property");
    alpha = paragraph(u"Alpha paragraph");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->getAttribute(u"class"), u"has-vivid-red-background-color has-background");
    // The paragraph's box, right of its text, is painted red in the post's
    // window (with the caret moved away, so that no selection covers it).
    elementEditor->closePopover();
    auto omega = paragraph(u"Omega paragraph");
    ASSERT_TRUE(omega);
    auto caret = view().mainFrameDocument()->createRange();
    caret->setStart(omega->firstChild(), 1);
    caret->setEnd(omega->firstChild(), 1);
    view().setTargetRange(caret);
    settle();
    auto* postWidget = widgetOf(*editor->window());
    QImage picture = postWidget->grab().toImage();
    auto webView = view().embeddedWebView();
    Rect box = webView->convertRectToView(webView->boundingBox(*alpha), nullptr);
    ASSERT_FALSE(box.isEmpty());
    QPoint inside(static_cast<int>(box.maxX() - 4), static_cast<int>(postWidget->height() - box.midY()));
    EXPECT_EQ(picture.pixelColor(inside), QColor(0xcf, 0x2e, 0x2e));
    // The next paragraph keeps the page's background.
    Rect omegaBox = webView->convertRectToView(webView->boundingBox(*omega), nullptr);
    QPoint outside(static_cast<int>(omegaBox.maxX() - 4), static_cast<int>(postWidget->height() - omegaBox.midY()));
    EXPECT_EQ(picture.pixelColor(outside), QColor(Qt::white));
}

} // namespace brevanton
