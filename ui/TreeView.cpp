#include "ui/TreeView.h"

#include "platform/views/GraphicsContext.h"

#include <algorithm>

namespace brevanton {

TreeView::TreeView(Rect frame)
    : View(frame)
{
}

void TreeView::setRootModelNode(ModelNode root)
{
    m_root = std::move(root);
    reloadData();
}

void TreeView::reloadData()
{
    if (m_rootSubtreeView)
        m_rootSubtreeView->removeFromSuperview();
    m_rootSubtreeView.reset();
    m_subtreeViews.clear();
    if (!m_root || !m_model.childModelNodes || !m_model.label) {
        setFrameSize(Size { 0, 0 });
        return;
    }
    m_rootSubtreeView = makeSubtreeView(m_root, 0);
    addSubview(m_rootSubtreeView);
    setFrameSize(m_rootSubtreeView->frame().size);
    setNeedsDisplay(true);
}

std::shared_ptr<TreeSubtreeView> TreeView::makeSubtreeView(const ModelNode& node, size_t depth)
{
    std::u16string label = m_model.label(node);
    if (label.size() > maximumLabelLength)
        label = label.substr(0, maximumLabelLength - 1) + u"\u2026";
    auto subtree = std::make_shared<TreeSubtreeView>(node, label);
    m_subtreeViews[node.get()] = subtree;
    double nodeWidth = std::max(minimumNodeWidth, characterWidth * double(label.size()) + 12);

    std::vector<std::shared_ptr<TreeSubtreeView>> children;
    double childrenWidth = 0;
    double childrenHeight = 0;
    for (const auto& child : m_model.childModelNodes(node)) {
        auto childView = makeSubtreeView(child, depth + 1);
        if (!children.empty())
            childrenWidth += horizontalGap;
        childrenWidth += childView->frame().width();
        childrenHeight = std::max(childrenHeight, childView->frame().height());
        children.push_back(std::move(childView));
    }
    double width = std::max(nodeWidth, childrenWidth);
    double height = children.empty() ? nodeHeight : nodeHeight + verticalGap + childrenHeight;
    subtree->setFrame(Rect(0, 0, width, height));
    subtree->setNodeBox(Rect((width - nodeWidth) / 2, 0, nodeWidth, nodeHeight));
    double x = (width - childrenWidth) / 2;
    for (auto& childView : children) {
        childView->setFrameOrigin(Point { x, nodeHeight + verticalGap });
        x += childView->frame().width() + horizontalGap;
        subtree->addSubview(childView);
    }
    return subtree;
}

std::shared_ptr<TreeSubtreeView> TreeView::subtreeViewForModelNode(const void* node) const
{
    auto found = m_subtreeViews.find(node);
    return found == m_subtreeViews.end() ? nullptr : found->second.lock();
}

Rect TreeView::boxOfModelNode(const void* node) const
{
    auto subtree = subtreeViewForModelNode(node);
    return subtree ? convertRectFromView(subtree->nodeBox(), subtree.get()) : Rect();
}

void TreeSubtreeView::draw(const Rect&, GraphicsContext& context)
{
    BezierPath box = BezierPath::bezierPathWithRoundedRect(m_nodeBox.insetBy(0.5, 0.5), 4, 4);
    context.fillPath(box, Color::white());
    context.strokePath(box, Color::darkGray());
    context.drawText(m_label, Rect(m_nodeBox.minX() + 6, m_nodeBox.minY() + 3, m_nodeBox.width() - 12, m_nodeBox.height() - 6),
                     Color::black());
    for (const auto& subview : subviews()) {
        auto child = std::dynamic_pointer_cast<TreeSubtreeView>(subview);
        if (!child)
            continue;
        Rect childBox = convertRectFromView(child->nodeBox(), child.get());
        context.drawLine(Point { m_nodeBox.midX(), m_nodeBox.maxY() }, Point { childBox.midX(), childBox.minY() }, Color::gray());
    }
}

} // namespace brevanton
