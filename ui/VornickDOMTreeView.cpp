#include "ui/VornickDOMTreeView.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNode.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickDOMTreeView::VornickDOMTreeView(Rect frame)
    : TreeView(frame)
{
    Model model;
    model.childModelNodes = [](const ModelNode& node) {
        std::vector<ModelNode> children;
        for (auto& child : childModelNodes(*static_cast<const DOMNode*>(node.get())))
            children.push_back(std::move(child));
        return children;
    };
    model.label = [](const ModelNode& node) { return labelForNode(*static_cast<const DOMNode*>(node.get())); };
    setModel(std::move(model));
}

void VornickDOMTreeView::setRootNode(const std::shared_ptr<DOMNode>& node)
{
    setRootModelNode(node);
}

std::u16string VornickDOMTreeView::labelForNode(const DOMNode& node)
{
    if (node.isElementNode())
        return asciiLowercase(downcast<DOMElement>(node).tagName());
    if (node.isTextNode())
        return u"\"" + node.nodeValue() + u"\"";
    return node.nodeName();
}

void VornickDOMTreeView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_decoration)
        m_decoration(dirtyRect, context);
}

std::shared_ptr<DOMNode> parentModelNode(const DOMNode& node)
{
    return node.parentNode();
}

std::vector<std::shared_ptr<DOMNode>> childModelNodes(const DOMNode& node)
{
    std::vector<std::shared_ptr<DOMNode>> children;
    for (DOMNode* child = node.first(); child; child = child->next())
        children.push_back(child->shared_from_this());
    return children;
}

} // namespace brevanton
