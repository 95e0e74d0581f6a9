#include "editing/VornickTableShapeKeeper.h"

#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isElementOfKind(const DOMNode* node, std::u16string_view kind)
{
    auto* element = toElement(node);
    return element && element->hasTagName(kind);
}

bool isCell(const DOMNode* node)
{
    return isElementOfKind(node, u"td") || isElementOfKind(node, u"th");
}

std::shared_ptr<DOMElement> shared(DOMNode* node)
{
    return downcast<DOMElement>(node->shared_from_this());
}

bool containsWhole(const DOMRange& range, const DOMNode& node)
{
    auto parent = node.parentNode();
    if (!parent)
        return false;
    unsigned index = node.index();
    return range.comparePoint(*parent, index) == 0 && range.comparePoint(*parent, index + 1) == 0;
}

} // namespace

VornickTableShapeKeeper::VornickTableShapeKeeper(const DOMRange& deletion)
{
    auto common = deletion.commonAncestorContainer();
    std::vector<DOMElement*> tables;
    for (auto end : { deletion.startContainer(), deletion.endContainer() }) {
        for (DOMNode* node = end.get(); node; node = node->parent()) {
            if (isElementOfKind(node, u"table") && std::find(tables.begin(), tables.end(), node) == tables.end())
                tables.push_back(downcast<DOMElement>(node));
            if (!isElementOfKind(node, u"tr"))
                continue;
            // The row holds an end of the range: the cells it covers whole
            // are taken out of the row, which stays.
            if (std::any_of(m_takenCells.begin(), m_takenCells.end(), [&](const TakenCell& taken) { return taken.row.get() == node; }))
                continue;
            std::vector<std::shared_ptr<DOMElement>> taken;
            for (DOMNode* child = node->first(); child; child = child->next()) {
                if (!isCell(child))
                    continue;
                if (containsWhole(deletion, *child)) {
                    taken.push_back(shared(child));
                    continue;
                }
                for (auto& cell : taken)
                    m_takenCells.push_back({ shared(node), std::move(cell), shared(child) });
                taken.clear();
            }
            for (auto& cell : taken)
                m_takenCells.push_back({ shared(node), std::move(cell), nullptr });
        }
    }
    for (DOMNode* node = deletion.startContainer().get(); node && !m_cellHoldingStart; node = node->parent()) {
        if (isCell(node))
            m_cellHoldingStart = shared(node);
    }
    for (auto* table : tables)
        m_spans.emplace_back(shared(table));
    for (DOMNode* node = common.get(); node; node = node->parent()) {
        if (isElementOfKind(node, u"table"))
            m_tableToSnapshot = shared(node);
    }
}

bool VornickTableShapeKeeper::isBetweenCells(const DOMRange& range)
{
    auto* container = range.startContainer().get();
    return isElementOfKind(container, u"tr") || isElementOfKind(container, u"thead") || isElementOfKind(container, u"tbody")
        || isElementOfKind(container, u"tfoot") || isElementOfKind(container, u"table");
}

void VornickTableShapeKeeper::restore(VornickEditingContext& context) const
{
    for (const auto& taken : m_takenCells) {
        if (!taken.row->parent())
            continue;
        auto copy = taken.cell->cloneNode(false);
        if (taken.before && taken.before->parent() == taken.row.get())
            taken.row->insertBefore(copy, taken.before.get());
        else
            taken.row->appendChild(copy);
    }
    for (const auto& spans : m_spans)
        spans.shorten(context, false);
}

} // namespace brevanton
