#include "ui/VornickTokenFilterView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Font.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace vornick_token_filter_view_tests {
namespace {

struct RecordingDelegate : VornickTokenFilterViewDelegate {
    std::vector<VornickTokenObjectSet> selections;
    std::vector<double> heights;
    void selectionDidChange(VornickTokenFilterView&, const VornickTokenObjectSet& selection) override { selections.push_back(selection); }
    void wantsNewHeight(VornickTokenFilterView&, double height) override { heights.push_back(height); }
};

double capsuleWidth(std::u16string_view title)
{
    return std::ceil(VornickTokenFilterView::tokenFont()->widthOfString(title)) + 18;
}

double textHeight()
{
    return VornickTokenFilterView::tokenFont()->lineHeight();
}

struct Strip {
    std::shared_ptr<Window> window;
    std::shared_ptr<VornickTokenFilterView> view;
    RecordingDelegate delegate;
    EventSynthesizer events;

    explicit Strip(double width, bool wraps = false)
    {
        Application::shared().resetForTesting();
        window = Window::create(Rect(0, 0, 600, 300));
        window->makeKeyAndOrderFront();
        view = std::make_shared<VornickTokenFilterView>(Rect(0, 0, width, 20));
        view->setWraps(wraps);
        view->setDelegate(&delegate);
        window->contentView()->addSubview(view);
    }
    ~Strip() { Application::shared().resetForTesting(); }

    void click(size_t tokenIndex, ModifierFlags flags = 0)
    {
        Rect rect = view->tokenCapsuleRects().at(tokenIndex);
        Point center { rect.midX(), rect.midY() };
        events.click(window, view->convertPointToView(center, nullptr), flags);
    }

    std::vector<DrawCommand> drawn()
    {
        window->graphicsContext().clear();
        window->contentView()->display(window->graphicsContext());
        return window->graphicsContext().commandsOfView(view.get());
    }
};

const VornickTokenObject All = VornickTokenFilterView::noFilterSentinel();
const VornickTokenObject None = VornickTokenFilterView::absenceOfTokensSentinel();

} // namespace

TEST(VornickTokenFilterViewTests, OneLineGathersTheTokensThatDoNotFitBehindTheOverflowToken)
{
    // Room for "All" and "Posts" and the overflow token, not for "Pages".
    double overflowWidth = std::ceil(VornickTokenFilterView::tokenFont()->widthOfString(u"\u22EF") + 18);
    double width = 2 + capsuleWidth(u"All") + 2 + capsuleWidth(u"Posts") + 2 + capsuleWidth(u"Pages") - 4 + overflowWidth;
    Strip strip(width);
    strip.view->addToken(u"All", All);
    strip.view->addToken(u"Posts", u"post");
    strip.view->addToken(u"Pages", u"page");
    strip.view->addToken(u"Trash", u"trash");
    strip.view->addSelectedObject(All);

    const auto& rects = strip.view->tokenCapsuleRects();
    ASSERT_EQ(rects.size(), 3u) << "the tokens after the overflow token get no rectangles";
    EXPECT_TRUE(strip.view->lastTokenCapsuleRectIsOverflowMenuCapsule());
    double pagesX = 2 + capsuleWidth(u"All") + 2 + capsuleWidth(u"Posts") + 2;
    EXPECT_EQ(rects[2].origin.x, pagesX) << "the overflow token takes the place of the first token that does not fit";
    EXPECT_EQ(rects[2].width(), overflowWidth);
    EXPECT_EQ(strip.view->overflowMenuLabel(), u"\u22EF");

    strip.click(2);
    auto menu = Menu::shownContextMenu();
    ASSERT_EQ(menu, strip.view->overflowContextMenu());
    ASSERT_EQ(menu->numberOfItems(), 2);
    EXPECT_EQ(menu->itemAtIndex(0)->title(), u"Pages");
    EXPECT_EQ(menu->itemAtIndex(1)->title(), u"Trash");
    EXPECT_EQ(menu->itemAtIndex(1)->tag(), 3);
    EXPECT_EQ(menu->itemAtIndex(0)->state(), OffState);
    EXPECT_TRUE(strip.delegate.selections.empty()) << "opening the menu selects nothing";

    ASSERT_TRUE(menu->performActionForItemAtIndex(1));
    ASSERT_EQ(strip.delegate.selections.size(), 1u);
    EXPECT_EQ(strip.delegate.selections[0], (VornickTokenObjectSet { u"trash" })) << "no modifier: the chosen token alone";

    // The overflow token now shows as selected, "All" no longer.
    auto commands = strip.drawn();
    std::vector<Rect> filled;
    for (auto& command : commands) {
        if (command.kind == DrawCommand::Kind::FillRoundedRect)
            filled.push_back(command.rect);
    }
    EXPECT_EQ(filled, std::vector<Rect> { rects[2] });
    bool drewEllipsis = std::any_of(commands.begin(), commands.end(), [](auto& command) {
        return command.kind == DrawCommand::Kind::TextRun && command.text == u"\u22EF";
    });
    EXPECT_TRUE(drewEllipsis);

    // The menu is reused and shows the check mark of the selected token.
    strip.click(2);
    EXPECT_EQ(Menu::shownContextMenu(), menu);
    EXPECT_EQ(menu->itemAtIndex(1)->state(), OnState);

    // An item of a menu shown before the tokens were rebuilt chooses nothing.
    strip.view->removeAllTokens();
    strip.view->addToken(u"All", All);
    strip.view->addToken(u"Other", u"other");
    size_t told = strip.delegate.selections.size();
    menu->performActionForItemAtIndex(1);
    EXPECT_EQ(strip.delegate.selections.size(), told);
    EXPECT_TRUE(strip.view->selectedObjects().empty());
}

TEST(VornickTokenFilterViewTests, WrappingStartsNewLinesAndAsksForTheHeight)
{
    Strip strip(capsuleWidth(u"Posts") + 10, true);
    EXPECT_EQ(strip.view->neededHeight(), 5) << "no tokens";

    // A token wider than a line starts a new line even as the line's first
    // token, and overhangs; the line it left stays empty.
    strip.view->addToken(u"A title far wider than the strip", u"wide");
    strip.view->addToken(u"Posts", u"post");
    const auto& rects = strip.view->tokenCapsuleRects();
    ASSERT_EQ(rects.size(), 2u);
    double h = textHeight() + 4;
    EXPECT_EQ(rects[0].origin.x, 2);
    EXPECT_DOUBLE_EQ(rects[0].origin.y, 2 + h + 2);
    EXPECT_GT(rects[0].maxX(), strip.view->bounds().maxX());
    EXPECT_EQ(rects[1].origin.x, 2);
    EXPECT_DOUBLE_EQ(rects[1].origin.y, 2 + 2 * (h + 2));
    EXPECT_FALSE(strip.view->lastTokenCapsuleRectIsOverflowMenuCapsule());
    ASSERT_FALSE(strip.delegate.heights.empty());
    EXPECT_DOUBLE_EQ(strip.delegate.heights.back(), rects[1].maxY() + 3);

    // One line of tokens needs the text height plus 9.
    Strip oneLine(500, true);
    oneLine.view->addToken(u"All", All);
    oneLine.view->addToken(u"Posts", u"post");
    oneLine.view->layoutTokensIfNeeded();
    EXPECT_DOUBLE_EQ(oneLine.view->neededHeight(), textHeight() + 9);
    ASSERT_EQ(oneLine.delegate.heights.size(), 1u);

    // The delegate applies the height: the view never resizes itself, and a
    // height within 0.9 points asks nothing.
    oneLine.view->setFrameSize(Size { 500, textHeight() + 9 });
    oneLine.view->layoutTokensIfNeeded();
    EXPECT_EQ(oneLine.delegate.heights.size(), 1u);
}

TEST(VornickTokenFilterViewTests, ResizingInvalidatesTheLayoutOnlyForAnotherSize)
{
    Strip strip(300);
    strip.view->addToken(u"All", All);
    strip.view->layoutTokensIfNeeded();
    EXPECT_FALSE(strip.view->tokensNeedLayout());
    strip.view->setFrameSize(Size { 300, 20 });
    EXPECT_FALSE(strip.view->tokensNeedLayout()) << "the same size";
    strip.view->setFrameSize(Size { 200, 20 });
    EXPECT_TRUE(strip.view->tokensNeedLayout()) << "another width";
    strip.view->layoutTokensIfNeeded();
    strip.view->setWraps(false);
    EXPECT_FALSE(strip.view->tokensNeedLayout()) << "the same wrap mode";
    strip.view->setWraps(true);
    EXPECT_TRUE(strip.view->tokensNeedLayout());

    EXPECT_THROW(strip.view->addToken(u"Nothing", std::shared_ptr<int>()), InternalInconsistencyException);
    EXPECT_EQ(strip.view->tokenTitles().size(), 1u);
}

TEST(VornickTokenFilterViewTests, ClicksAndCommandClicksFollowTheSelectionRule)
{
    Strip strip(500, true);
    auto category = std::make_shared<int>(7);
    strip.view->addToken(u"All", All);
    strip.view->addToken(u"News", category);
    strip.view->addToken(u"Posts", u"post");
    strip.view->addToken(u"Uncategorized", None);
    strip.view->addSelectedObject(All);
    strip.view->clearSelection();
    strip.view->addSelectedObject(All);
    EXPECT_TRUE(strip.delegate.selections.empty()) << "clearSelection and addSelectedObject never tell the delegate";

    strip.click(1);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { category }));
    EXPECT_EQ(strip.view->selectedObjects()[0].object<int>(), category);
    strip.click(2, ModifierFlag::Command);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { category, u"post" }));
    strip.click(1, ModifierFlag::Command);
    strip.click(2, ModifierFlag::Command);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { All })) << "the last ordinary token gone: All";
    ASSERT_EQ(strip.delegate.selections.size(), 4u);
    EXPECT_EQ(strip.delegate.selections.back(), (VornickTokenObjectSet { All }));

    // A Command-click on a selected sentinel changes nothing but still tells the delegate.
    strip.click(0, ModifierFlag::Command);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { All }));
    EXPECT_EQ(strip.delegate.selections.size(), 5u);

    // Command-clicking the absence token selects All, not it; a plain click selects it.
    strip.click(1);
    strip.click(3, ModifierFlag::Command);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { All }));
    strip.click(3);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { None }));
    strip.click(2, ModifierFlag::Command);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { u"post" })) << "an ordinary token drops the sentinels";

    // Shift and Option clicks change nothing and tell nobody; Caps Lock does not count.
    size_t told = strip.delegate.selections.size();
    strip.click(1, ModifierFlag::Shift);
    strip.click(1, ModifierFlag::Option);
    strip.click(1, ModifierFlag::Command | ModifierFlag::Shift);
    EXPECT_EQ(strip.delegate.selections.size(), told);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { u"post" }));
    strip.click(1, ModifierFlag::CapsLock);
    EXPECT_EQ(strip.view->selectedObjects(), (VornickTokenObjectSet { category }));

    // Without an All token, removing the only selected token leaves nothing selected.
    Strip bare(500, true);
    bare.view->addToken(u"Posts", u"post");
    bare.click(0);
    bare.click(0, ModifierFlag::Command);
    EXPECT_TRUE(bare.view->selectedObjects().empty());

    // A string that reads like a sentinel is not one.
    EXPECT_FALSE(VornickTokenObject(u"VornickTokenFilterView.noFilterSentinel") == All);
}

} // namespace vornick_token_filter_view_tests
