#include "ui/TreeView.h"

#include "platform/views/GraphicsContext.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Node {
    std::u16string label;
    std::vector<std::shared_ptr<Node>> children;
};

std::shared_ptr<Node> node(std::u16string label, std::vector<std::shared_ptr<Node>> children = {})
{
    return std::make_shared<Node>(Node { std::move(label), std::move(children) });
}

TreeView::Model modelOfNodes()
{
    TreeView::Model model;
    model.childModelNodes = [](const TreeView::ModelNode& modelNode) {
        std::vector<TreeView::ModelNode> children;
        for (const auto& child : static_cast<const Node*>(modelNode.get())->children)
            children.push_back(child);
        return children;
    };
    model.label = [](const TreeView::ModelNode& modelNode) { return static_cast<const Node*>(modelNode.get())->label; };
    return model;
}

TEST(TreeView, LaysSubtreesOutDeterministically)
{
    auto leaf = node(u"bb");
    auto deep = node(u"a-rather-long-label", { node(u"x"), node(u"y") });
    auto root = node(u"root", { node(u"a"), leaf, deep });
    auto treeView = std::make_shared<TreeView>();
    TreeView& tree = *treeView;
    tree.setModel(modelOfNodes());
    tree.setRootModelNode(root);

    // Boxes: at least 40 wide, 7 points a character plus 12; children in a
    // row 10 apart, 20 below their parent, the parent centred over them.
    double deepWidth = 7 * 19 + 12;
    double rowWidth = 40 + 10 + 40 + 10 + deepWidth;
    EXPECT_EQ(tree.frame().size, (Size { rowWidth, 20 + 20 + 20 + 20 + 20 }));
    EXPECT_EQ(tree.boxOfModelNode(root.get()), Rect((rowWidth - 40) / 2, 0, 40, 20));
    EXPECT_EQ(tree.boxOfModelNode(leaf.get()), Rect(50, 40, 40, 20));
    EXPECT_EQ(tree.boxOfModelNode(deep.get()), Rect(100, 40, deepWidth, 20));
    // The grandchildren are centred under their wide parent.
    Rect x = tree.boxOfModelNode(deep->children[0].get());
    EXPECT_DOUBLE_EQ(x.minX(), 100 + (deepWidth - 90) / 2);
    EXPECT_DOUBLE_EQ(x.minY(), 80);

    auto subtree = tree.subtreeViewForModelNode(deep.get());
    ASSERT_TRUE(subtree);
    EXPECT_EQ(subtree->label(), u"a-rather-long-label");
    EXPECT_EQ(tree.convertRectFromView(subtree->bounds(), subtree.get()), Rect(100, 40, deepWidth, 60));
    EXPECT_FALSE(tree.subtreeViewForModelNode(nullptr));

    // The same model lays out the same way again.
    Rect before = tree.boxOfModelNode(deep->children[1].get());
    tree.reloadData();
    EXPECT_EQ(tree.boxOfModelNode(deep->children[1].get()), before);

    // A long label is cut short; each box is drawn with a line to each child.
    auto wide = node(u"abcdefghijklmnopqrstuvwxyz0123456789");
    tree.setRootModelNode(node(u"r", { wide }));
    EXPECT_EQ(tree.subtreeViewForModelNode(wide.get())->label().size(), TreeView::maximumLabelLength);
    GraphicsContext context;
    auto rootView = tree.subviews().front();
    rootView->draw(rootView->bounds(), context);
    size_t lines = 0;
    for (const auto& command : context.commands())
        lines += command.kind == DrawCommand::Kind::Line ? 1 : 0;
    EXPECT_EQ(lines, 1u);
}

} // namespace
