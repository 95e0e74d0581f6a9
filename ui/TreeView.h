// TreeView: draws a tree of model nodes as boxes joined by lines, the root
// at the top and each node's children in a row below it. Every node's
// subtree is a view of its own (TreeSubtreeView) nested in its parent's, so
// callers can find where a node and everything under it is drawn. Layout is
// deterministic: box widths follow the label length, children are spaced by
// fixed gaps and centred under their parent.
#pragma once

#include "platform/views/View.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class TreeSubtreeView;

class TreeView : public View {
public:
    // A model node: any object, known by its identity.
    using ModelNode = std::shared_ptr<const void>;
    // How the view reads its model: a node's children in order, and its label.
    struct Model {
        std::function<std::vector<ModelNode>(const ModelNode&)> childModelNodes;
        std::function<std::u16string(const ModelNode&)> label;
    };

    static constexpr double nodeHeight = 20;
    static constexpr double characterWidth = 7;
    static constexpr double minimumNodeWidth = 40;
    static constexpr double horizontalGap = 10;
    static constexpr double verticalGap = 20;
    static constexpr size_t maximumLabelLength = 24;

    explicit TreeView(Rect frame = {});
    bool isFlipped() const override { return true; }

    void setModel(Model model) { m_model = std::move(model); }
    const ModelNode& rootModelNode() const { return m_root; }
    // Rebuilds the subtree views; the view takes the size of the whole tree.
    void setRootModelNode(ModelNode);
    void reloadData();

    // The view that draws the node's subtree, or null.
    std::shared_ptr<TreeSubtreeView> subtreeViewForModelNode(const void* node) const;
    // The node's own box, in this view's coordinates; zero when not drawn.
    Rect boxOfModelNode(const void* node) const;

private:
    std::shared_ptr<TreeSubtreeView> makeSubtreeView(const ModelNode&, size_t depth);

    Model m_model;
    ModelNode m_root;
    std::shared_ptr<TreeSubtreeView> m_rootSubtreeView;
    std::map<const void*, std::weak_ptr<TreeSubtreeView>> m_subtreeViews;
};

class TreeSubtreeView : public View {
public:
    TreeSubtreeView(TreeView::ModelNode node, std::u16string label) : m_node(std::move(node)), m_label(std::move(label)) {}
    bool isFlipped() const override { return true; }

    const TreeView::ModelNode& modelNode() const { return m_node; }
    const std::u16string& label() const { return m_label; }
    // The node's box, in this view's coordinates.
    Rect nodeBox() const { return m_nodeBox; }
    void setNodeBox(Rect box) { m_nodeBox = box; }
    // A box around the label and a line down to each child's box.
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    TreeView::ModelNode m_node;
    std::u16string m_label;
    Rect m_nodeBox;
};

} // namespace brevanton
