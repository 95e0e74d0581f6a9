// VornickDOMTreeView: a tree view of a DOM subtree: elements by their
// lower-case tag name, text by its first characters, comments and other
// nodes by their node name. It can also draw a range indicator over the
// tree (the DOM tree visualizer marks the operation range with it).
#pragma once

#include "ui/TreeView.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class DOMNode;

class VornickDOMTreeView : public TreeView {
public:
    explicit VornickDOMTreeView(Rect frame = {});

    void setRootNode(const std::shared_ptr<DOMNode>&);
    std::shared_ptr<TreeSubtreeView> subtreeViewForModelNode(const DOMNode& node) const
    {
        return TreeView::subtreeViewForModelNode(&node);
    }
    // The node's own box in the tree view; zero for a node not drawn.
    Rect boxOfNode(const DOMNode& node) const { return boxOfModelNode(&node); }

    // Drawn after the tree's own background (the range indicator).
    using Decoration = std::function<void(const Rect& dirtyRect, GraphicsContext&)>;
    void setDecoration(Decoration decoration) { m_decoration = std::move(decoration); }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

    static std::u16string labelForNode(const DOMNode&);

private:
    Decoration m_decoration;
};

// DOM nodes as nodes of the generic tree view: the parent, and the children in order.
std::shared_ptr<DOMNode> parentModelNode(const DOMNode&);
std::vector<std::shared_ptr<DOMNode>> childModelNodes(const DOMNode&);

} // namespace brevanton
