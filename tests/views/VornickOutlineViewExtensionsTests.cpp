#include "views/VornickOutlineViewExtensions.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>
#include <map>

using namespace brevanton;

namespace {

// A tree of named items: "A" with "A1" and "A2", then "B" ... "J" (leaves).
class NamedTree : public OutlineViewDataSource {
public:
    NamedTree()
    {
        for (auto name : { "A", "A1", "A2", "B", "C", "D", "E", "F", "G", "H", "I", "J" })
            items[name] = std::make_shared<std::string>(name);
        children[nullptr] = { items["A"], items["B"], items["C"], items["D"], items["E"], items["F"], items["G"], items["H"], items["I"], items["J"] };
        children[items["A"].get()] = { items["A1"], items["A2"] };
    }
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem& item) override { return long(children[item.get()].size()); }
    OutlineItem child(OutlineView&, long index, const OutlineItem& item) override { return children[item.get()][size_t(index)]; }
    bool isItemExpandable(OutlineView&, const OutlineItem& item) override { return children.count(item.get()); }

    std::map<std::string, std::shared_ptr<std::string>> items;
    std::map<const void*, std::vector<OutlineItem>> children;
};

struct OutlineFixture : ::testing::Test {
    void SetUp() override
    {
        window = Window::create(Rect(0, 0, 300, 300));
        scrollView = std::make_shared<ScrollView>(Rect(0, 0, 200, 50));
        outline = std::make_shared<OutlineView>(Rect(0, 0, 200, 50));
        outline->addTableColumn(u"name");
        outline->setRowHeight(10);
        scrollView->setDocumentView(outline);
        window->contentView()->addSubview(scrollView);
        outline->setDataSource(tree);
    }
    OutlineItem item(const std::string& name) { return tree->items[name]; }

    std::shared_ptr<NamedTree> tree = std::make_shared<NamedTree>();
    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<OutlineView> outline;
};

} // namespace

TEST_F(OutlineFixture, RowsFollowExpansion)
{
    EXPECT_EQ(outline->numberOfRows(), 10);
    EXPECT_EQ(outline->rowForItem(item("A1")), -1);
    outline->expandItem(item("A"));
    EXPECT_EQ(outline->numberOfRows(), 12);
    EXPECT_EQ(outline->rowForItem(item("A2")), 2);
    EXPECT_EQ(outline->levelForRow(2), 1);
    EXPECT_EQ(outline->rowForItem(item("B")), 3);
    EXPECT_EQ(outline->frame().size.height, 120);

    // Selection follows items across changes of the rows.
    outline->selectRowIndexes({ 3 }, false);
    outline->collapseItem(item("A"));
    EXPECT_EQ(outline->selectedRowIndexes(), (IndexSet { 1 }));
    EXPECT_EQ(outline->itemAtRow(1), item("B"));
}

TEST_F(OutlineFixture, SelectingByItems)
{
    EXPECT_TRUE(vornick_selectedItems(*outline).empty());
    outline->expandItem(item("A"));
    vornick_selectItems(*outline, { item("B"), item("A1"), tree->items["missing"] }, false);
    EXPECT_EQ(vornick_selectedItems(*outline), (std::vector<OutlineItem> { item("A1"), item("B") }));
    EXPECT_EQ(vornick_rowIndexesForItems(*outline, { item("J"), item("A") }), (IndexSet { 0, 11 }));
    vornick_selectItems(*outline, { item("C") }, true);
    EXPECT_EQ(outline->selectedRowIndexes(), (IndexSet { 1, 3, 4 }));

    // Items hidden under a collapsed parent have no row.
    outline->collapseItem(item("A"));
    EXPECT_EQ(vornick_rowIndexesForItems(*outline, { item("A1") }), IndexSet {});
}

TEST_F(OutlineFixture, SelectingAnItemForEditingScrollsItLater)
{
    auto& runLoop = RunLoop::main();
    runLoop.useManualClock();
    auto clip = scrollView->contentView();

    vornick_selectItem(*outline, item("H"), 0);
    EXPECT_EQ(outline->selectedRowIndexes(), (IndexSet { 7 }));
    EXPECT_EQ(outline->editedRow(), 7);
    EXPECT_EQ(outline->editedColumn(), 0);
    EXPECT_TRUE(outline->editingSelectsText());
    EXPECT_EQ(clip->bounds().origin.y, 0);
    runLoop.advanceClock(0.2);
    EXPECT_EQ(clip->bounds().origin.y, 0);
    // The row is found again when the scroll happens.
    outline->expandItem(item("A"));
    runLoop.advanceClock(0.15);
    EXPECT_EQ(clip->bounds().origin.y, 50);

    // An item without a row changes nothing.
    vornick_selectItem(*outline, item("missing"), 0);
    EXPECT_EQ(outline->selectedRowIndexes(), (IndexSet { 9 }));
    vornick_scrollItemToVisible(*outline, item("A"));
    EXPECT_EQ(clip->bounds().origin.y, 0);
    runLoop.useRealClock();
}
