#include "editing/VornickDOMPathBar.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <algorithm>
#include <utility>

namespace brevanton {

VornickDOMPathBar::VornickDOMPathBar(Rect frame)
    : View(frame)
{
}

void VornickDOMPathBar::updateForValidationStatusChange()
{
    if (!m_contentEditingView)
        return;
    m_validationStatus = m_contentEditingView->tidyStatusForFocusedWebFrame();
    m_validationSegmentText = m_contentEditingView->tidyStatusSummaryForDisplayToUser();
    setNeedsDisplay(true);
}

void VornickDOMPathBar::updateForEffectiveOperationRangeChange()
{
    // Typing moves the range on every keystroke within the same elements:
    // the bar is drawn again only when its path changed.
    auto shown = std::exchange(m_segments, {});
    auto redrawIfChanged = [&] {
        if (m_segments != shown)
            setNeedsDisplay(true);
    };
    if (!m_contentEditingView)
        return redrawIfChanged();
    auto range = m_contentEditingView->effectiveOperationRange();
    auto& helper = m_contentEditingView->blockModeHelper();
    if (!range || !helper)
        return redrawIfChanged();
    std::shared_ptr<DOMNode> node = range->commonAncestorContainer();
    for (; node; node = node->parentNode()) {
        if (node->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        helper->getPathSegmentLabelsForElement(downcast<DOMElement>(*node),
                                               [this](const std::u16string& tag, const std::u16string& attributes) {
                                                   m_segments.push_back({ tag, attributes });
                                               });
    }
    std::reverse(m_segments.begin(), m_segments.end());
    redrawIfChanged();
}

} // namespace brevanton
