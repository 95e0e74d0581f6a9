#include "platform/views/TextView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"
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
    Rect area = dirtyRect.isEmpty() ? bounds() : dirtyRect;
    if (m_drawsBackground)
        context.fillRect(area, m_backgroundColor);
    if (m_text.length() == 0)
        return;
    // Each line is drawn as its runs of one font and colour, placed by the
    // fonts' advances; lines outside the part drawn are skipped.
    auto defaultFont = systemFontOfSize(0);
    const auto& string = m_text.string();
    const auto& runs = m_text.runs();
    auto fontOfRun = [&](const AttributedString::Run& run) -> const Font& {
        if (run.attributes) {
            auto found = run.attributes->find(FontAttributeName);
            if (found != run.attributes->end()) {
                if (auto* font = std::any_cast<std::shared_ptr<const Font>>(&found->second); font && *font)
                    return **font;
            }
        }
        return *defaultFont;
    };
    auto colourOfRun = [](const AttributedString::Run& run) {
        if (run.attributes) {
            auto found = run.attributes->find(ForegroundColorAttributeName);
            if (found != run.attributes->end()) {
                if (auto* color = std::any_cast<Color>(&found->second))
                    return *color;
            }
        }
        return Color::black();
    };
    double y = m_textContainerInset.height;
    size_t runIndex = 0;
    size_t lineStart = 0;
    while (lineStart <= string.size() && y < area.maxY()) {
        size_t lineEnd = string.find(u'\n', lineStart);
        if (lineEnd == std::u16string::npos)
            lineEnd = string.size();
        while (runIndex + 1 < runs.size() && runs[runIndex].location + runs[runIndex].length <= lineStart)
            ++runIndex;
        double lineHeight = 0;
        for (size_t index = runIndex; index < runs.size() && runs[index].location < std::max(lineEnd, lineStart + 1); ++index)
            lineHeight = std::max(lineHeight, fontOfRun(runs[index]).lineHeight());
        if (lineHeight <= 0)
            lineHeight = defaultFont->lineHeight();
        if (y + lineHeight > area.minY()) {
            double x = m_textContainerInset.width;
            for (size_t index = runIndex; index < runs.size() && runs[index].location < lineEnd; ++index) {
                size_t from = std::max(lineStart, runs[index].location);
                size_t to = std::min(lineEnd, runs[index].location + runs[index].length);
                if (from >= to)
                    continue;
                std::u16string_view part(string.data() + from, to - from);
                double width = fontOfRun(runs[index]).widthOfString(part);
                if (part.find_first_not_of(u" \t") != std::u16string_view::npos)
                    context.drawText(std::u16string(part), Rect(x, y, width, lineHeight), colourOfRun(runs[index]));
                x += width;
            }
        }
        y += lineHeight;
        lineStart = lineEnd + 1;
    }
}

} // namespace brevanton
