#include "EditingTestSupport.h"

#include "editing/VornickDOMPathBar.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/SystemFonts.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

using PathBar = EditingViewTest;

std::vector<std::u16string> textsDrawn(VornickDOMPathBar& bar)
{
    GraphicsContext context;
    bar.draw(bar.bounds(), context);
    std::vector<std::u16string> texts;
    for (const auto& command : context.commands()) {
        if (command.kind == DrawCommand::Kind::Text)
            texts.push_back(command.text);
    }
    return texts;
}

TEST_F(PathBar, DrawsTheCaretsElementPathAndTheValidationSummary)
{
    load("page.html");
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    auto text = element(u"EM")->firstChild();
    auto caret = document()->createRange();
    caret->setStart(text, 1);
    caret->setEnd(text, 1);
    view->setTargetRange(caret);
    ASSERT_TRUE(waitForValidation());
    auto texts = textsDrawn(*bar);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], view->tidyStatusSummaryForDisplayToUser());
    EXPECT_NE(texts[1].find(u"<p> \u203A <em>"), std::u16string::npos) << toUTF8(texts[1]);
    // The summary stands at the right end, clear of the path.
    EXPECT_NEAR(bar->validationSegmentRect().maxX(), bar->bounds().maxX() - 8, 0.5);
}

TEST_F(PathBar, StandsOnTheWindowBottomBarsGradient)
{
    load("page.html");
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    GraphicsContext context;
    bar->draw(bar->bounds(), context);
    ASSERT_FALSE(context.commands().empty());
    EXPECT_EQ(context.commands().front().kind, DrawCommand::Kind::Gradient);
    EXPECT_TRUE(bar->isFlipped());
    EXPECT_FALSE(bar->isOpaque());
}

// However narrow the bar, the path ends a margin short of the summary's dot:
// its outer elements give way to "…" and the caret's own element stays.
TEST_F(PathBar, ALongPathGivesWayAtItsStartAndNeverReachesTheSummary)
{
    ASSERT_TRUE(writeFileAtomically(path("deep.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Deep</title></head><body>"
                                                       "<div class=\"outer\"><div class=\"middle\"><section id=\"part\"><article class=\"story\">"
                                                       "<p class=\"lead\">Deep <em>emphasis</em></p></article></section></div></div></body></html>\n"));
    load("deep.html");
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    auto text = element(u"EM")->firstChild();
    auto caret = document()->createRange();
    caret->setStart(text, 1);
    caret->setEnd(text, 1);
    view->setTargetRange(caret);
    ASSERT_TRUE(waitForValidation());
    std::u16string whole = bar->pathText();
    for (double width : { 2000.0, 520.0, 380.0, 260.0 }) {
        bar->setFrameSize(Size { width, bar->frame().height() });
        GraphicsContext context;
        bar->draw(bar->bounds(), context);
        const DrawCommand* path = nullptr;
        for (const auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::Text && command.text != view->tidyStatusSummaryForDisplayToUser())
                path = &command;
        }
        ASSERT_TRUE(path) << width;
        EXPECT_LE(path->rect.maxX() + 8, bar->validationSegmentRect().minX()) << width;
        EXPECT_LE(systemFontOfSize(0)->widthOfString(path->text), path->rect.width()) << width;
        EXPECT_TRUE(path->text.ends_with(u"<em>")) << width << ": " << toUTF8(path->text);
        if (width == 2000.0)
            EXPECT_EQ(path->text, whole);
        else
            EXPECT_TRUE(path->text.starts_with(u"\u2026 \u203A ")) << width << ": " << toUTF8(path->text);
    }
}

TEST_F(PathBar, ItsAdvisoriesEachTakeTheCaretToTheirPlaceInThePage)
{
    ASSERT_TRUE(writeFileAtomically(path("advice.html"), "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                                         "<title>Advice</title>\n</head>\n<body>\n<p>First paragraph.</p>\n"
                                                         "<p>Second <img src=\"picture.png\"> here.</p>\n</body>\n</html>\n"));
    load("advice.html");
    ASSERT_TRUE(waitForValidation());
    ASSERT_TRUE(waitForSource(*view->mainFrame()));
    auto advisories = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    ASSERT_FALSE(advisories.empty()) << "the image without alt text is reported";
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    auto menu = bar->advisoriesMenu();
    ASSERT_EQ(menu->numberOfItems(), static_cast<long>(advisories.size()));
    EXPECT_EQ(menu->itemAtIndex(0)->title(), advisories[0].description());

    // Chosen, the advisory puts the caret on its line of the page: the image's.
    auto first = element(u"P");
    auto elsewhere = document()->createRange();
    ASSERT_TRUE(elsewhere->selectNode(*first->firstChild()));
    view->setTargetRange(elsewhere);
    size_t onLine9 = advisories.size();
    for (size_t index = 0; index < advisories.size(); ++index) {
        if (advisories[index].line() == 9)
            onLine9 = index;
    }
    ASSERT_LT(onLine9, advisories.size()) << toUTF8(advisories[0].description());
    ASSERT_TRUE(menu->performActionForItemAtIndex(static_cast<long>(onLine9)));
    auto range = view->effectiveOperationRange();
    ASSERT_TRUE(range);
    auto second = element(u"P", 1);
    EXPECT_TRUE(second->contains(range->startContainer().get())) << "the caret went into the second paragraph";

    // A page without advisories lists that there are none, as an item that does nothing.
    load("page.html");
    ASSERT_TRUE(waitForValidation());
    if (view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame().empty()) {
        auto none = bar->advisoriesMenu();
        ASSERT_EQ(none->numberOfItems(), 1);
        EXPECT_FALSE(Menu::validateItem(*none->itemAtIndex(0)));
    }
}

TEST_F(PathBar, APageShownFromARepairedCopySaysSoAndListsTheRepairsUntilItIsSaved)
{
    load("broken.html");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 0; }, 20));
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    EXPECT_TRUE(bar->loadedFromRepairedCopy());
    EXPECT_EQ(bar->validationSegmentText(), u"Loaded from a repaired copy \u2014 " + view->tidyStatusSummaryForDisplayToUser());
    auto menu = bar->advisoriesMenu();
    ASSERT_GE(menu->numberOfItems(), 2);
    EXPECT_FALSE(Menu::validateItem(*menu->itemAtIndex(0)));
    bool listsARepair = false;
    for (const auto& item : menu->items())
        listsARepair = listsARepair || item->title().find(u"(STRUCTURAL)") != std::u16string::npos;
    EXPECT_TRUE(listsARepair);

    // Saved, the file holds the repaired page: the notice goes.
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("broken.html"), std::nullopt, false, &errors));
    ASSERT_TRUE(RunLoop::main().runUntil([this] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Errors; }, 20));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !bar->validationSegmentText().starts_with(u"Loaded"); }, 30));
    EXPECT_FALSE(bar->loadedFromRepairedCopy());
}

TEST_F(PathBar, APageWhoseRepairWouldLoseContentIsShownAsWrittenAndSaysWhy)
{
    load("misnested-bold.html");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 0; }, 20));
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    EXPECT_FALSE(bar->loadedFromRepairedCopy());
    EXPECT_FALSE(bar->validationSegmentText().starts_with(u"Loaded"));
    auto menu = bar->advisoriesMenu();
    ASSERT_GE(menu->numberOfItems(), 1);
    EXPECT_TRUE(menu->itemAtIndex(0)->title().starts_with(u"Shown as written; tidy's repair was not loaded: "))
        << toUTF8(menu->itemAtIndex(0)->title());
}

} // namespace
