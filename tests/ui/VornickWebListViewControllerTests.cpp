#include "tests/ui/WebListTestSupport.h"

#include "platform/net/URLRequest.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"

#include <algorithm>

namespace brevanton {
namespace {

using WebListTest = WebListTestBase<TitleListController>;

TEST_F(WebListTest, RowsLoadInBatchesOfFiftyWithAPlaceholderWhileMoreRemain)
{
    arrayController->setObjects(items.make(120));
    turn();
    int refreshes = delegate.refreshes;
    EXPECT_EQ(controller->numberOfItemsLoaded(), 50u);
    EXPECT_EQ(list()->childElementCount(), 50u);
    EXPECT_TRUE(hasPlaceholder());
    EXPECT_EQ(controller->webView()->mainFrameDocument()->getElementById(u"placeholder")->previousElementSibling(), list());

    // The page's "hitbottom" navigation loads the next batch and goes nowhere.
    WebPolicyDecisionListener listener;
    controller->decidePolicyForNavigationAction(*controller->webView(), {}, URLRequest(*URL::create(std::u16string_view(u"HitBottom:"))),
                                                *controller->webView()->mainFrame(), listener);
    EXPECT_EQ(listener.decision(), WebPolicyDecisionListener::Decision::Ignore);
    EXPECT_EQ(controller->numberOfItemsLoaded(), 100u);
    EXPECT_TRUE(hasPlaceholder());
    controller->loadMoreItems();
    EXPECT_EQ(controller->numberOfItemsLoaded(), 120u);
    EXPECT_FALSE(hasPlaceholder());
    EXPECT_EQ(rowTexts().back(), u"Item 119");
    controller->loadMoreItems();
    EXPECT_EQ(list()->childElementCount(), 120u);
    EXPECT_EQ(delegate.refreshes, refreshes) << "loading more is no refresh";

    // An empty controller empties the list and leaves no placeholder.
    arrayController->setObjects({});
    turn();
    EXPECT_EQ(list()->childElementCount(), 0u);
    EXPECT_FALSE(hasPlaceholder());
}

TEST_F(WebListTest, ScrollingToWithinAPageOfTheEndLoadsTheNextBatch)
{
    arrayController->setObjects(items.make(120));
    turn();
    controller->webView()->layoutIfNeeded();
    double end = clip().documentRect().maxY();
    double page = clip().documentVisibleRect().height();
    ASSERT_GT(end, 3 * page);
    clip().scrollToPoint(Point { 0, end - 3 * page });
    EXPECT_EQ(controller->numberOfItemsLoaded(), 50u) << "more than a page left";
    clip().scrollToPoint(Point { 0, end - 2 * page + 1 });
    EXPECT_EQ(controller->numberOfItemsLoaded(), 100u);
    controller->webView()->layoutIfNeeded();
    clip().scrollToPoint(Point { 0, clip().documentRect().maxY() });
    EXPECT_EQ(controller->numberOfItemsLoaded(), 120u);
    EXPECT_FALSE(hasPlaceholder());
}

TEST_F(WebListTest, OnlyThePagesOwnLoadIsAllowed)
{
    auto decide = [&](const URL& url) {
        WebPolicyDecisionListener listener;
        controller->decidePolicyForNavigationAction(*controller->webView(), {}, URLRequest(url),
                                                    *controller->webView()->mainFrame(), listener);
        return listener.decision();
    };
    EXPECT_EQ(decide(*VornickWebListViewController::pageURL()), WebPolicyDecisionListener::Decision::Use);
    for (const char16_t* url : { u"https://example.com/", u"javascript:alert(1)", u"file:///etc/passwd", u"about:blank" })
        EXPECT_EQ(decide(*URL::create(std::u16string_view(url))), WebPolicyDecisionListener::Decision::Ignore) << toUTF8(url);
}

TEST_F(WebListTest, ARefreshKeepsLoadedRowsScrollPositionAndSelection)
{
    auto objects = items.make(120);
    arrayController->setObjects(objects);
    turn();
    controller->loadMoreItems();
    controller->setSelectedRowIndexes({ 60 });
    controller->webView()->layoutIfNeeded();
    clip().scrollToPoint(Point { 0, 900 });
    Point scrolled = clip().bounds().origin;
    auto unchanged = controller->listItemForRow(10);
    auto changed = controller->listItemForRow(20);
    // The row at the top of what is shown.
    auto shown = controller->listItemForRow(0);
    for (long row = 0; controller->webView()->boundingBox(*shown).maxY() <= scrolled.y; ++row)
        shown = controller->listItemForRow(row);
    double shownOffset = controller->webView()->boundingBox(*shown).minY() - scrolled.y;
    uint64_t fullLayouts = layout().fullLayoutCount();

    // One title changes and a new object comes among the first rows.
    objects[19]->setValueForKey(Value(u"Renamed"), u"title");
    auto newcomer = items.make(u"Newcomer");
    objects.insert(objects.begin() + 5, newcomer);
    arrayController->setObjects(objects);
    turn();
    controller->webView()->layoutIfNeeded();

    EXPECT_EQ(controller->numberOfItemsLoaded(), 100u);
    auto texts = rowTexts();
    ASSERT_EQ(texts.size(), 100u);
    EXPECT_EQ(texts[5], u"Newcomer");
    EXPECT_EQ(texts[20], u"Renamed");
    EXPECT_EQ(texts[99], u"Item 98");
    EXPECT_EQ(controller->listItemForRow(11), unchanged) << "rows that did not change stay";
    EXPECT_NE(controller->listItemForRow(20), changed);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 61 }));
    EXPECT_EQ(selectedRowsMarked(), std::vector<long>({ 61 }));
    // A row came above: the view follows the rows shown, which stay where they were.
    EXPECT_GT(clip().bounds().origin.y, scrolled.y);
    EXPECT_EQ(controller->webView()->boundingBox(*shown).minY() - clip().bounds().origin.y, shownOffset);
    EXPECT_EQ(layout().fullLayoutCount(), fullLayouts) << "rows put in and taken out alone";

    // A selected object that goes is dropped, and the delegate hears of it.
    size_t selections = delegate.selections.size();
    objects.erase(objects.begin() + 61);
    arrayController->setObjects(objects);
    turn();
    EXPECT_TRUE(controller->selectedObjects().empty());
    EXPECT_TRUE(selectedRowsMarked().empty());
    ASSERT_EQ(delegate.selections.size(), selections + 1);
    EXPECT_EQ(controller->numberOfItemsLoaded(), 100u);
}

// Each row's item is the list's item in its place, however the rows came:
// appended in batches, kept, put in or replaced by a refresh, reordered.
TEST_F(WebListTest, EveryRowFindsItsItemAfterBatchesAndRefreshes)
{
    auto expectRowsFindTheirItems = [&](const char* when) {
        long row = 0;
        for (auto item = list()->firstElementChild(); item; item = item->nextElementSibling(), ++row)
            ASSERT_EQ(controller->listItemForRow(row), item) << when << ", row " << row;
        EXPECT_EQ(static_cast<size_t>(row), controller->numberOfItemsLoaded()) << when;
        EXPECT_EQ(controller->listItemForRow(row), nullptr) << when;
    };
    auto objects = items.make(130);
    arrayController->setObjects(objects);
    turn();
    controller->loadMoreItems();
    expectRowsFindTheirItems("two batches");

    objects[3]->setValueForKey(Value(u"Renamed"), u"title");
    objects.insert(objects.begin() + 7, items.make(u"Newcomer"));
    objects.erase(objects.begin() + 40);
    arrayController->setObjects(objects);
    turn();
    expectRowsFindTheirItems("changed, put in and taken out");

    std::reverse(objects.begin(), objects.end());
    arrayController->setObjects(objects);
    turn();
    expectRowsFindTheirItems("reversed");
    EXPECT_EQ(list()->firstElementChild()->textContent(), objects.front()->valueForKey(u"title").stringValue());

    controller->loadMoreItems();
    objects.resize(20);
    arrayController->setObjects(objects);
    turn();
    expectRowsFindTheirItems("fewer");
}

TEST_F(WebListTest, AChangedRowPaintsItsNewTextAndAStyleChangeReachesEveryRow)
{
    auto objects = items.make(60);
    arrayController->setObjects(objects);
    turn();
    controller->setSelectedRowIndexes({ 3 });
    auto painted = [&](std::u16string_view text) {
        GraphicsContext context;
        controller->webView()->layoutIfNeeded();
        controller->webView()->display(context);
        for (auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::TextRun && command.text == text)
                return std::optional<DrawCommand>(command);
        }
        return std::optional<DrawCommand>();
    };
    ASSERT_TRUE(painted(u"Item 3"));
    auto below = controller->listItemForRow(4);
    Rect belowBox = controller->webView()->boundingBox(*below);
    uint64_t fullLayouts = layout().fullLayoutCount();
    uint64_t blocks = layout().blockLayoutCount();

    // The selected row's object changes: its new row stands in its place, still selected.
    objects[3]->setValueForKey(Value(u"Renamed"), u"title");
    arrayController->setObjects(objects);
    turn();
    auto renamed = painted(u"Renamed");
    EXPECT_TRUE(renamed);
    EXPECT_FALSE(painted(u"Item 3"));
    EXPECT_EQ(selectedRowsMarked(), std::vector<long>({ 3 }));
    EXPECT_EQ(controller->listItemForRow(4), below);
    EXPECT_EQ(controller->webView()->boundingBox(*below), belowBox);
    EXPECT_EQ(layout().fullLayoutCount(), fullLayouts);
    EXPECT_EQ(layout().blockLayoutCount() - blocks, 1u) << "the changed row alone";
    EXPECT_EQ(list()->childNodes()->length(), 2 * controller->numberOfItemsLoaded()) << "each row with the white space after it";

    // A change of the page's style reaches the rows there were and those loaded after.
    auto sheet = controller->webView()->mainFrameDocument()->getElementsByTagName(u"style")->item(0);
    ASSERT_TRUE(sheet);
    sheet->appendChild(controller->webView()->mainFrameDocument()->createTextNode(u"ul#list > li { color: #ff0000; padding-top: 20px }"));
    auto red = painted(u"Renamed");
    ASSERT_TRUE(red);
    EXPECT_EQ(red->color, Color::sRGB(1, 0, 0, 1));
    EXPECT_EQ(controller->webView()->boundingBox(*below).minY(), belowBox.minY() + 4 * (20 - 4));
    objects[1]->setValueForKey(Value(u"Renamed again"), u"title");
    arrayController->setObjects(objects);
    turn();
    auto again = painted(u"Renamed again");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->color, Color::sRGB(1, 0, 0, 1));
}

TEST_F(WebListTest, AutoRefreshRunsOnTheClockAndAnAlmostEqualIntervalKeepsTheTimer)
{
    arrayController->setObjects(items.make(3));
    turn();
    int refreshes = delegate.refreshes;
    controller->setAutoRefreshInterval(60);
    RunLoop::main().advanceClock(30);
    controller->setAutoRefreshInterval(60.05);
    EXPECT_EQ(controller->autoRefreshInterval(), 60);
    RunLoop::main().advanceClock(30.5);
    EXPECT_EQ(delegate.refreshes, refreshes + 1) << "the first timer kept running";
    RunLoop::main().advanceClock(60);
    EXPECT_EQ(delegate.refreshes, refreshes + 2);
    controller->setAutoRefreshInterval(0);
    RunLoop::main().advanceClock(120);
    EXPECT_EQ(delegate.refreshes, refreshes + 2);

    // Requests in one turn make one refresh; a cancelled one none.
    controller->setNeedsListRefresh();
    controller->setNeedsListRefresh();
    turn();
    EXPECT_EQ(delegate.refreshes, refreshes + 3);
    controller->setNeedsListRefresh();
    controller->cancelNeedsListRefresh();
    turn();
    EXPECT_EQ(delegate.refreshes, refreshes + 3);
    // While suppressed, changes ask for nothing; the next refresh rearranges.
    controller->setSuppressArrangedObjectsKVOResponse(true);
    arrayController->setObjects(items.make(2));
    turn();
    EXPECT_EQ(delegate.refreshes, refreshes + 3);
    controller->refreshListContent();
    EXPECT_EQ(arrayController->rearrangements, 1);
    EXPECT_FALSE(controller->suppressArrangedObjectsKVOResponse());
}

TEST_F(WebListTest, ClicksSelectExtendToggleAndOpen)
{
    arrayController->setObjects(items.make(10));
    turn();
    auto click = [&](long row, ModifierFlags flags = 0, int count = 1) {
        events.send(events.mouseDown(window, centerOfRow(row), flags, count));
        events.send(events.mouseUp(window, centerOfRow(row), flags, count));
    };
    click(2);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 2 }));
    click(5, ModifierFlag::Shift);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 2, 3, 4, 5 }));
    click(0, ModifierFlag::Shift);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 0, 1, 2, 3, 4, 5 }));
    click(3, ModifierFlag::Command);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 0, 1, 2, 4, 5 }));
    // Shift on a selection with a gap changes nothing and tells nobody.
    size_t told = delegate.selections.size();
    click(8, ModifierFlag::Shift);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 0, 1, 2, 4, 5 }));
    EXPECT_EQ(delegate.selections.size(), told);
    EXPECT_EQ(selectedRowsMarked(), std::vector<long>({ 0, 1, 2, 4, 5 }));

    click(7);
    click(7, 0, 2);
    ASSERT_EQ(delegate.opened.size(), 1u);
    EXPECT_EQ(delegate.opened[0], std::vector<std::shared_ptr<ManagedObject>>({ arrayController->objects[7] }));
    EXPECT_TRUE(controller->webView()->mainFrameDocument()->getElementById(u"list")) << "the page took no click";

    // Below the rows: nothing is selected.
    // (The window's base coordinates grow upwards.)
    Point below { centerOfRow(9).x, 10 };
    events.send(events.mouseDown(window, below));
    events.send(events.mouseUp(window, below));
    EXPECT_TRUE(controller->selectedObjects().empty());
    EXPECT_TRUE(selectedRowsMarked().empty());
}

TEST_F(WebListTest, MovingAndRevealingPastTheLoadedRowsLoadsThem)
{
    arrayController->setObjects(items.make(120));
    turn();
    controller->moveUp();
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 119 })) << "no selection: the last row";
    EXPECT_EQ(controller->numberOfItemsLoaded(), 120u);
    EXPECT_EQ(selectedRowsMarked(), std::vector<long>({ 119 }));
    Rect visible = clip().documentVisibleRect();
    EXPECT_GE(visible.maxY(), controller->webView()->boundingBox(*controller->listItemForRow(119)).maxY());

    controller->refreshListContent();
    controller->setSelectedRowIndexes({ 0 });
    controller->moveUp();
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 0 }));
    controller->setSelectedRowIndexes({ 119 });
    controller->moveDown();
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 119 })) << "nothing beyond the end";

    // A fresh list: revealing row 110 loads the batches through it.
    arrayController->setObjects(items.make(120, u"Other "));
    controller->setAutoRefreshInterval(0);
    auto controllerAgain = VornickWebListViewController::create<TitleListController>(Rect(0, 0, 400, 300));
    window->contentView()->addSubview(controllerAgain->webView());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !controllerAgain->webView()->isLoading(); }, 30));
    controllerAgain->setArrayController(arrayController);
    turn();
    EXPECT_EQ(controllerAgain->numberOfItemsLoaded(), 50u);
    controllerAgain->setSelectedRowIndexes({ 49 });
    controllerAgain->moveDown();
    EXPECT_EQ(controllerAgain->selectedRowIndexes(), std::vector<long>({ 50 }));
    EXPECT_EQ(controllerAgain->numberOfItemsLoaded(), 100u);
    EXPECT_TRUE(controllerAgain->revealRepresentedObject(arrayController->objects[110]));
    EXPECT_EQ(controllerAgain->numberOfItemsLoaded(), 120u);
    EXPECT_EQ(controllerAgain->selectedRowIndexes(), std::vector<long>({ 110 }));
    EXPECT_FALSE(controllerAgain->revealRepresentedObject(items.make(u"Not listed")));
    controllerAgain->webView()->removeFromSuperview();
}

class FocusableView : public View {
public:
    using View::View;
    bool acceptsFirstResponder() const override { return true; }
};

// A view that takes the down arrow as a key equivalent.
class DownArrowEquivalentView : public View {
public:
    using View::View;
    int taken { 0 };
    bool performKeyEquivalent(const Event& event) override
    {
        if (event.charactersIgnoringModifiers() != std::u16string(1, FunctionKey::DownArrow))
            return false;
        ++taken;
        return true;
    }
};

TEST_F(WebListTest, TheWindowHookTakesOnlyTheListsKeysAfterKeyEquivalents)
{
    arrayController->setObjects(items.make(5));
    turn();
    // The focus inside the list.
    auto inner = std::make_shared<FocusableView>(Rect(0, 0, 10, 10));
    controller->webView()->addSubview(inner);
    ASSERT_TRUE(window->makeFirstResponder(inner));
    auto key = [&](char16_t character, uint16_t code, ModifierFlags flags = 0) {
        Event event = events.keyDown(window, std::u16string(1, character), code, flags);
        window->sendEvent(event);
    };
    key(FunctionKey::DownArrow, KeyCode::DownArrow, ModifierFlag::Function | ModifierFlag::NumericPad);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 0 }));
    key(FunctionKey::DownArrow, KeyCode::DownArrow, ModifierFlag::Function | ModifierFlag::NumericPad);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 1 }));
    key(u'\r', KeyCode::Return);
    key(u' ', KeyCode::Space);
    key(3, KeyCode::Enter);
    EXPECT_EQ(delegate.opened.size(), 3u);
    // With Control, and other keys: not the list's.
    key(FunctionKey::DownArrow, KeyCode::DownArrow, ModifierFlag::Function | ModifierFlag::Control);
    key(u'\r', KeyCode::Return, ModifierFlag::Command);
    key(u'\t', KeyCode::Tab);
    key(0x1B, KeyCode::Escape);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 1 }));
    EXPECT_EQ(delegate.opened.size(), 3u);

    // A key equivalent comes first.
    auto equivalent = std::make_shared<DownArrowEquivalentView>(Rect(0, 0, 1, 1));
    window->contentView()->addSubview(equivalent);
    key(FunctionKey::DownArrow, KeyCode::DownArrow, ModifierFlag::Function | ModifierFlag::NumericPad);
    EXPECT_EQ(equivalent->taken, 1);
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 1 }));
    equivalent->removeFromSuperview();

    // Out of the window, the hook goes with the view.
    EXPECT_EQ(window->sendEventHookCount(), 1u);
    controller->webView()->removeFromSuperview();
    EXPECT_EQ(window->sendEventHookCount(), 0u);
    window->contentView()->addSubview(controller->webView());
    EXPECT_EQ(window->sendEventHookCount(), 1u);
}

TEST_F(WebListTest, TheBaseRowNamesTheObject)
{
    auto base = VornickWebListViewController::create(Rect(0, 0, 100, 100));
    auto item = items.make(u"x");
    auto markup = base->contentStringForRepresentedObject(item);
    ASSERT_TRUE(markup);
    EXPECT_EQ(markup->rfind(u"<li><h1>Item(", 0), 0u);
    EXPECT_FALSE(base->menuForRepresentedObject(item));
}

} // namespace
} // namespace brevanton
