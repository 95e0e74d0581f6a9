#include "platform/views/TextView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextLayout.h"

#include <algorithm>

namespace brevanton {

TextView::TextView(Rect frame)
    : View(frame)
{
}

void TextView::setString(std::u16string string)
{
    beginEditing();
    mutableTextStorage() = AttributedString(std::move(string));
    endEditing();
}

void TextView::beginEditing()
{
    ++m_editingDepth;
}

void TextView::endEditing()
{
    BREVANTON_ASSERT(m_editingDepth > 0, "text storage changed outside an editing batch");
    if (--m_editingDepth > 0 || !m_changedInBatch)
        return;
    m_changedInBatch = false;
    ++m_processedEditCount;
    setSelectedRange(m_selectedRange);
    setNeedsDisplay(true);
    if (auto delegate = m_delegate.lock())
        delegate->textDidChange(*this);
}

AttributedString& TextView::mutableTextStorage()
{
    BREVANTON_ASSERT(m_editingDepth > 0, "text storage changed outside an editing batch");
    m_changedInBatch = true;
    return m_text;
}

void TextView::setSelectedRange(TextRange range)
{
    if (range.location != TextNotFound) {
        range.location = std::min(range.location, m_text.length());
        range.length = std::min(range.length, m_text.length() - range.location);
    } else {
        range.length = 0;
    }
    m_selectedRange = range;
}

void TextView::setBackgroundColor(Color color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

void TextView::setTextContainerInset(Size inset)
{
    m_textContainerInset = inset;
    setNeedsDisplay(true);
}

void TextView::sizeToFit()
{
    Size used = sizeOfAttributedString(m_text);
    Size size = frame().size;
    if (m_verticallyResizable)
        size.height = used.height + 2 * m_textContainerInset.height;
    if (m_horizontallyResizable)
        size.width = used.width + 2 * m_textContainerInset.width;
    setFrameSize(size);
}

bool TextView::clickedOnCharacter(size_t characterIndex)
{
    if (characterIndex >= m_text.length())
        return false;
    auto attributes = m_text.attributesAtIndex(characterIndex);
    if (!attributes)
        return false;
    auto link = attributes->find(LinkAttributeName);
    if (link == attributes->end())
        return false;
    auto delegate = m_delegate.lock();
    return delegate && delegate->clickedOnLink(*this, link->second, characterIndex);
}

void TextView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    viewWillDraw();
    if (m_drawsBackground)
        context.fillRect(dirtyRect.isEmpty() ? bounds() : dirtyRect, m_backgroundColor);
    if (m_text.length() == 0)
        return;
    Size used = sizeOfAttributedString(m_text);
    Rect textRect(m_textContainerInset.width, m_textContainerInset.height, used.width, used.height);
    const Color* color = m_text.attributeAtIndex<Color>(ForegroundColorAttributeName, 0);
    context.drawText(m_text.string(), textRect, color ? *color : Color::black());
}

} // namespace brevanton
