// Check box cells of an outline view: the data source's boolean drawn as a
// box with the delegate's title beside it, a click on a row's cell or Space
// on a selected row proposing the other state.
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/OutlineView.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Node {
    std::u16string title;
    bool checked { false };
    std::vector<std::shared_ptr<Node>> children;
};

class Tree final : public OutlineViewDataSource, public OutlineViewDelegate {
public:
    std::vector<std::shared_ptr<Node>> roots;
    int proposals { 0 };
    bool refuses { false };

    const std::vector<std::shared_ptr<Node>>& childrenOf(const OutlineItem& item)
    {
        return item ? static_cast<Node*>(item.get())->children : roots;
    }
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem& item) override { return static_cast<long>(childrenOf(item).size()); }
    OutlineItem child(OutlineView&, long index, const OutlineItem& item) override { return childrenOf(item)[static_cast<size_t>(index)]; }
    bool isItemExpandable(OutlineView&, const OutlineItem& item) override { return !childrenOf(item).empty(); }
    Value objectValue(OutlineView&, const std::u16string&, const OutlineItem& item) override { return Value(static_cast<Node*>(item.get())->checked); }
    void setObjectValue(OutlineView&, const Value& value, const std::u16string&, const OutlineItem& item) override
    {
        ++proposals;
        if (!refuses)
            static_cast<Node*>(item.get())->checked = value.boolValue();
    }
    std::u16string checkBoxTitle(OutlineView&, const std::u16string&, const OutlineItem& item) override { return static_cast<Node*>(item.get())->title; }
};

struct OutlineInWindow {
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 240, 200));
    std::shared_ptr<OutlineView> outline = std::make_shared<OutlineView>(Rect(0, 0, 240, 200));
    std::shared_ptr<Tree> tree = std::make_shared<Tree>();
    EventSynthesizer events;

    OutlineInWindow()
    {
        auto news = std::make_shared<Node>(Node { u"News", false, {} });
        news->children.push_back(std::make_shared<Node>(Node { u"Local", true, {} }));
        tree->roots = { news, std::make_shared<Node>(Node { u"Sport", false, {} }) };
        outline->addTableColumn(u"check", OutlineColumnKind::CheckBox);
        outline->setDelegate(tree);
        outline->setDataSource(tree);
        outline->expandItem(tree->roots[0], true);
        window->setContentView(outline);
        window->makeKeyAndOrderFront();
    }
    ~OutlineInWindow() { window->orderOut(); }

    // A point of a row's cell in the window (the outline is flipped, the window is not).
    Point pointInRow(long row, double x) const
    {
        Rect rect = outline->rectOfRow(row);
        return outline->convertPointToView(Point { x, rect.midY() }, nullptr);
    }
};

} // namespace

TEST(OutlineViewCheckBoxTests, AClickOnACellProposesTheOtherStateAndSelectsTheRow)
{
    OutlineInWindow o;
    ASSERT_EQ(o.outline->numberOfRows(), 3);
    Rect box = o.outline->checkBoxRect(0, 1);
    EXPECT_GT(box.minX(), o.outline->checkBoxRect(0, 0).minX()) << "a child's box is indented";

    o.events.click(o.window, o.pointInRow(1, box.midX()));
    EXPECT_FALSE(o.tree->roots[0]->children[0]->checked);
    EXPECT_EQ(o.outline->selectedRow(), 1);
    // The title belongs to the box, as a check box button's does.
    o.events.click(o.window, o.pointInRow(2, 120));
    EXPECT_TRUE(o.tree->roots[1]->checked);
    EXPECT_EQ(o.tree->proposals, 2);

    // The data source decides: a refused proposal leaves the box as it was.
    o.tree->refuses = true;
    o.events.click(o.window, o.pointInRow(2, box.midX()));
    EXPECT_TRUE(o.tree->roots[1]->checked);
    o.tree->refuses = false;

    // Space toggles the selected row's box; a click under the rows deselects.
    ASSERT_TRUE(o.window->makeFirstResponder(o.outline));
    o.events.pressKey(o.window, u' ');
    EXPECT_FALSE(o.tree->roots[1]->checked);
    o.events.click(o.window, o.pointInRow(2, 100).offsetBy(0, -60));
    EXPECT_EQ(o.outline->selectedRow(), -1);
    EXPECT_EQ(o.tree->proposals, 4);
}

TEST(OutlineViewCheckBoxTests, BoxesAreDrawnWithTheirMarksAndTitles)
{
    OutlineInWindow o;
    GraphicsContext context;
    o.outline->display(context);
    std::vector<std::u16string> titles;
    size_t boxes = 0;
    size_t marks = 0;
    for (const auto& command : context.commands()) {
        if (command.kind == DrawCommand::Kind::Text)
            titles.push_back(command.text);
        if (command.kind == DrawCommand::Kind::StrokeRoundedRect)
            ++boxes;
        if (command.kind == DrawCommand::Kind::Line)
            ++marks;
    }
    EXPECT_EQ(titles, (std::vector<std::u16string> { u"News", u"Local", u"Sport" }));
    EXPECT_EQ(boxes, 3u);
    EXPECT_EQ(marks, 2u) << "one check mark (two strokes), for Local";
    EXPECT_EQ(o.outline->checkBoxRect(0, 5), Rect()) << "no box outside the rows";
}
