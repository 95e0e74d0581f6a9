#include "UndoableEditChecks.h"

#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSavePanelAccessoryViewController.h"
#include "platform/views/Menu.h"
#include "platform/views/PrintOperation.h"
#include "platform/views/SavePanel.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class ViewServicesTest : public UndoableEditTest {
protected:
    void TearDown() override
    {
        SavePanelDriver::shared().reset();
        UndoableEditTest::TearDown();
    }
};

TEST_F(ViewServicesTest, ZoomStepsTheTextSizeAndKeepsTheSelection)
{
    loadBody("<p>Paragraph with some words to fill the line.</p>");
    select(rangeIn(textNode(u"Paragraph"), 3, 3));
    std::string before = frozenSelection(*view);
    EXPECT_FALSE(view->canMakeTextStandardSize());
    ASSERT_TRUE(view->canMakeTextLarger());
    view->makeTextLarger(nullptr);
    EXPECT_GT(view->textSizeMultiplier(), 1.0);
    EXPECT_TRUE(view->canMakeTextStandardSize());
    EXPECT_EQ(frozenSelection(*view), before);
    view->makeTextSmaller(nullptr);
    view->makeTextSmaller(nullptr);
    EXPECT_LT(view->textSizeMultiplier(), 1.0);
    view->makeTextStandardSize(nullptr);
    EXPECT_EQ(view->textSizeMultiplier(), 1.0);
    view->setTextSizeMultiplier(1.5);
    EXPECT_EQ(view->embeddedWebView()->textSizeMultiplier(), 1.5);
    EXPECT_EQ(frozenSelection(*view), before);
}

TEST_F(ViewServicesTest, EncodingsMenuKeepsSeparatorsAndTagsItemsByEncoding)
{
    auto menu = VornickContentEditingViewTestPeer::buildCharacterEncodingsMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(toUTF8(menu->title()), "Character Encodings");
    size_t separators = 0;
    bool hasUTF8 = false;
    for (const auto& item : menu->items()) {
        if (item->isSeparatorItem()) {
            ++separators;
            continue;
        }
        EXPECT_FALSE(item->title().empty());
        EXPECT_TRUE(item->action().empty());
        hasUTF8 = hasUTF8 || item->tag() == 4; // UTF-8
    }
    EXPECT_EQ(separators, 14u);
    EXPECT_TRUE(hasUTF8);
}

TEST_F(ViewServicesTest, PermissionPanelAnswersTheChoiceAndHoldsTheElementEditorMeanwhile)
{
    loadBody("<p>text</p>");
    auto proposed = *URL::create(u"file:///tmp/images/my%20picture.png");
    auto accessory = std::make_shared<VornickSavePanelAccessoryViewController>();
    accessory->setView(std::make_shared<View>(Rect(0, 0, 100, 20)));
    bool heldWhileRunning = false;
    SavePanelDriver::shared().setResponder([&](SavePanel& panel) -> std::optional<SavePanelDriver::Answer> {
        heldWhileRunning = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->isHeldOpen();
        EXPECT_EQ(accessory->savePanel().get(), &panel);
        EXPECT_EQ(panel.accessoryView(), accessory->view());
        return std::nullopt; // cancelled
    });
    std::optional<std::optional<URL>> answered;
    VornickContentEditingViewTestPeer::promptForPermissionToWriteFileOfType(*view, u"png", proposed, u"Allow writing here", accessory,
                                               [&](std::optional<URL> chosen) { answered = chosen; });
    ASSERT_TRUE(answered);
    EXPECT_FALSE(*answered);
    EXPECT_TRUE(heldWhileRunning);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->isHeldOpen());
    EXPECT_FALSE(accessory->savePanel());
    auto& panel = *SavePanelDriver::shared().shownPanels().back();
    EXPECT_EQ(toUTF8(panel.nameFieldStringValue()), "my picture.png");
    EXPECT_EQ(panel.allowedFileTypes(), (std::vector<std::u16string> { u"png" }));
    EXPECT_TRUE(panel.canCreateDirectories());
    EXPECT_EQ(toUTF8(panel.message()), "Allow writing here");

    SavePanelDriver::shared().setResponder(nullptr);
    SavePanelDriver::shared().enqueueConfirmation(url("images/chosen.png"));
    VornickContentEditingViewTestPeer::promptForPermissionToWriteFileOfType(*view, u"png", proposed, u"", nullptr, [&](std::optional<URL> chosen) { answered = chosen; });
    ASSERT_TRUE(answered && *answered);
    EXPECT_EQ(toUTF8((*answered)->lastPathComponent()), "chosen.png");
}

TEST_F(ViewServicesTest, CollapseToggleTwiceRestoresTheClassesAndScriptsAndPrintingAreSwitches)
{
    loadBody("<div class=\"note wide\">text</div>");
    auto div = element(u"div");
    EXPECT_TRUE(VornickContentEditingViewTestPeer::toggleCollapseOfBrickElement(*view, div));
    EXPECT_EQ(toUTF8(div->getAttribute(u"class")), "note wide brevanton-collapsed");
    EXPECT_TRUE(VornickContentEditingViewTestPeer::toggleCollapseOfBrickElement(*view, div));
    EXPECT_EQ(toUTF8(div->getAttribute(u"class")), "note wide");

    bool initial = VornickContentEditingViewTestPeer::isJavaScriptEnabled(*view);
    VornickContentEditingViewTestPeer::setJavaScriptEnabled(*view, !initial);
    EXPECT_EQ(VornickContentEditingViewTestPeer::isJavaScriptEnabled(*view), !initial);
    EXPECT_FALSE(view->printOperationWithPrintInfo(PrintInfo {}));
}

} // namespace
} // namespace brevanton::testing
