#include "ui/VornickStaticTextFields.h"

namespace brevanton {

void VornickClickableStaticTextField::mouseDown(const Event&)
{
    sendAction();
}

std::shared_ptr<const VornickCyclingLabels> VornickCyclingStaticTextField::labels() const
{
    if (m_labels)
        return m_labels;
    return std::make_shared<const VornickCyclingLabels>(VornickCyclingLabels { std::any(stringValue()) });
}

void VornickCyclingStaticTextField::setLabels(std::shared_ptr<const VornickCyclingLabels> labels)
{
    if (labels == m_labels)
        return;
    m_labels = std::move(labels);
    switchToLabelAtIndex(0);
}

void VornickCyclingStaticTextField::switchToLabelAtIndex(size_t index)
{
    if (!m_labels || index >= m_labels->size()) {
        setTextString(u"");
        m_indexOfDisplayedLabel = NotFound;
        return;
    }
    auto& label = (*m_labels)[index];
    if (auto* attributed = std::any_cast<AttributedString>(&label))
        setAttributedStringValue(*attributed);
    else if (auto* string = std::any_cast<std::u16string>(&label))
        setTextString(*string);
    else
        setTextString(u"(non-[Attributed]String)");
    m_indexOfDisplayedLabel = index;
}

void VornickCyclingStaticTextField::mouseDown(const Event&)
{
    auto count = m_labels ? m_labels->size() : 0;
    if (count < 2)
        return;
    switchToLabelAtIndex(m_indexOfDisplayedLabel == NotFound ? 0 : (m_indexOfDisplayedLabel + 1) % count);
}

} // namespace brevanton
