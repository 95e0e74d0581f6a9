#include "html/VornickWordPressAutoParagraphAdder.h"

#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr std::u16string_view lineBreakText = u"<br />";
constexpr std::u16string_view paragraphOpenText = u"<p>";
constexpr std::u16string_view paragraphCloseText = u"</p>";
constexpr std::u16string_view blockParagraphOpenText = u"<!-- wp:paragraph -->\n<p>";
constexpr std::u16string_view blockParagraphCloseText = u"</p>\n<!-- /wp:paragraph -->";

// Elements whose newlines are content that a "<br />" would corrupt: program
// text, style sheets, a text area's value and vector graphics markup.
bool keepsItsNewlines(std::u16string_view tagName)
{
    for (std::u16string_view tag : { u"script", u"style", u"textarea", u"svg", u"math" }) {
        if (equalsIgnoringASCIICase(tagName, tag))
            return true;
    }
    return false;
}

} // namespace

VornickWordPressAutoParagraphAdder::VornickWordPressAutoParagraphAdder()
    : m_spec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5))
{
}

std::u16string VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBody(std::u16string_view body,
                                                                                              bool useWordPressBlocks)
{
    VornickWordPressAutoParagraphAdder adder;
    return adder.addImplicitParagraphsAndLineBreaksToPostBodyOnce(body, useWordPressBlocks);
}

std::u16string VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBodyOnce(std::u16string_view body,
                                                                                                  bool useWordPressBlocks)
{
    m_resultString.assign(body);
    m_elementStack.clear();
    m_elementStack.push_back({ u"$", 0, 0, false });
    m_rangesToWrapInParagraphs.clear();
    m_rangesToReplaceWithLineBreaks.clear();
    m_wordPressBlockDepth = 0;
    m_useWordPressBlocks = useWordPressBlocks;
    m_startTagPending = false;

    // A stopped scanner refuses later scans: one per run.
    m_scanner = std::make_unique<VornickHTMLScanner>();
    m_scanner->setDelegate(this);
    (void)m_scanner->parseHTMLString(body);
    m_scanner.reset();

    applyRecordedEdits();
    m_elementStack.clear();
    return std::move(m_resultString);
}

// --- Stack and emission helpers

VornickEnclosingElement* VornickWordPressAutoParagraphAdder::topOfElementStack()
{
    return m_elementStack.empty() ? nullptr : &m_elementStack.back();
}

bool VornickWordPressAutoParagraphAdder::pushElement(std::u16string_view tagName, size_t interiorStartOffset)
{
    if (tagName.empty())
        return false;
    m_elementStack.push_back({ std::u16string(tagName), interiorStartOffset, interiorStartOffset, false });
    return true;
}

bool VornickWordPressAutoParagraphAdder::popElement(std::u16string_view tagName)
{
    // The bottom "$" entry is never popped.
    for (size_t index = m_elementStack.size(); index > 1; --index) {
        if (equalsIgnoringASCIICase(m_elementStack[index - 1].tagName, tagName)) {
            m_elementStack.resize(index - 1);
            return true;
        }
    }
    return false;
}

bool VornickWordPressAutoParagraphAdder::isParagraphLevelContent(std::u16string_view tagName) const
{
    return m_spec && m_spec->elementKindMayContainElementKind(u"p", asciiLowercase(tagName), nullptr);
}

bool VornickWordPressAutoParagraphAdder::allEnclosingElementsMayContainAParagraph() const
{
    for (size_t index = 1; index < m_elementStack.size(); ++index) {
        if (!m_spec || !m_spec->elementKindMayContainElementKind(asciiLowercase(m_elementStack[index].tagName), u"p", nullptr))
            return false;
    }
    return true;
}

bool VornickWordPressAutoParagraphAdder::enclosingParagraphPending() const
{
    for (size_t index = 0; index + 1 < m_elementStack.size(); ++index) {
        if (m_elementStack[index].anyContentSinceLastParagraphBreak)
            return true;
    }
    return false;
}

bool VornickWordPressAutoParagraphAdder::insidePRE() const
{
    for (size_t index = 1; index < m_elementStack.size(); ++index) {
        if (equalsIgnoringASCIICase(m_elementStack[index].tagName, u"pre"))
            return true;
    }
    return false;
}

bool VornickWordPressAutoParagraphAdder::insideElementWithoutLineBreaks() const
{
    if (insidePRE())
        return true;
    for (size_t index = 1; index < m_elementStack.size(); ++index) {
        if (keepsItsNewlines(m_elementStack[index].tagName))
            return true;
    }
    return false;
}

void VornickWordPressAutoParagraphAdder::emitLineBreakWithRange(VornickRange range)
{
    m_rangesToReplaceWithLineBreaks.push_back(range);
}

void VornickWordPressAutoParagraphAdder::emitParagraphWithRange(VornickRange range)
{
    m_rangesToWrapInParagraphs.push_back(range);
}

void VornickWordPressAutoParagraphAdder::breakLineAtRange(VornickRange range)
{
    auto* top = topOfElementStack();
    if (top && top->anyContentSinceLastParagraphBreak && !insideElementWithoutLineBreaks())
        emitLineBreakWithRange(range);
}

void VornickWordPressAutoParagraphAdder::breakParagraphAtRange(VornickRange range)
{
    auto* top = topOfElementStack();
    if (inWordPressBlock() || !top || !top->anyContentSinceLastParagraphBreak || !allEnclosingElementsMayContainAParagraph()
        || enclosingParagraphPending())
        return;
    emitParagraphWithRange(VornickMakeRange(top->endOfLastParagraphBreak, range.location - top->endOfLastParagraphBreak));
    top->endOfLastParagraphBreak = range.end();
    top->anyContentSinceLastParagraphBreak = false;
}

bool VornickWordPressAutoParagraphAdder::flushImplicitParagraphToOffset(size_t offset)
{
    auto* top = topOfElementStack();
    if (inWordPressBlock() || !top || !top->anyContentSinceLastParagraphBreak || !allEnclosingElementsMayContainAParagraph()
        || enclosingParagraphPending())
        return false;
    emitParagraphWithRange(VornickMakeRange(top->endOfLastParagraphBreak, offset - top->endOfLastParagraphBreak));
    top->endOfLastParagraphBreak = offset;
    top->anyContentSinceLastParagraphBreak = false;
    return true;
}

void VornickWordPressAutoParagraphAdder::clearPendingParagraphAccumulationAtOffset(size_t offset)
{
    for (auto& element : m_elementStack) {
        element.endOfLastParagraphBreak = offset;
        element.anyContentSinceLastParagraphBreak = false;
    }
}

void VornickWordPressAutoParagraphAdder::flushLineBreaksAfter(size_t offset)
{
    while (m_pendingLineBreaks > 0 && m_rangesToReplaceWithLineBreaks[m_pendingLineBreaks - 1].location >= offset) {
        auto range = m_rangesToReplaceWithLineBreaks[--m_pendingLineBreaks];
        m_edits.push_back({ range.location, range.length, lineBreakText });
    }
}

// --- Scanning

void VornickWordPressAutoParagraphAdder::textScanned(std::u16string_view text, size_t offset)
{
    size_t previousCut = 0;
    size_t index = 0;
    while (index < text.size()) {
        if (text[index] != u'\n') {
            ++index;
            continue;
        }
        size_t runStart = index;
        while (index < text.size() && text[index] == u'\n')
            ++index;
        auto* top = topOfElementStack();
        if (top && !top->anyContentSinceLastParagraphBreak
            && !vornick_containsOnlyHTMLWhitespace(text.substr(previousCut, runStart - previousCut)))
            top->anyContentSinceLastParagraphBreak = true;
        if (index - runStart == 1)
            breakLineAtRange(VornickMakeRange(offset + runStart, 1));
        else
            breakParagraphAtRange(VornickMakeRange(offset + runStart, index - runStart));
        previousCut = index;
    }
    auto* top = topOfElementStack();
    if (top && !vornick_containsOnlyHTMLWhitespace(text.substr(previousCut)))
        top->anyContentSinceLastParagraphBreak = true;
}

void VornickWordPressAutoParagraphAdder::commentScanned(std::u16string_view text, VornickRange range)
{
    if (!text.starts_with(u"<!--"))
        return;
    std::u16string_view rest = text.substr(4);
    if (rest.ends_with(u"-->"))
        rest.remove_suffix(3);
    while (!rest.empty() && vornick_containsOnlyHTMLWhitespace(rest.substr(0, 1)))
        rest.remove_prefix(1);
    while (!rest.empty() && vornick_containsOnlyHTMLWhitespace(rest.substr(rest.size() - 1)))
        rest.remove_suffix(1);
    bool opens = rest.starts_with(u"wp:");
    bool closes = rest.starts_with(u"/wp:");
    if (!opens && !closes)
        return;
    // A block comment bounds paragraphs as a block element does: a paragraph
    // of the text before it ends there, and what the block holds never
    // joins a paragraph outside it.
    breakParagraphAtRange(VornickMakeRange(range.location, 0));
    // A self-closing block comment ("<!-- wp:more /-->") opens and closes its
    // block at once.
    if (opens && !rest.ends_with(u"/"))
        ++m_wordPressBlockDepth;
    else if (closes && m_wordPressBlockDepth > 0)
        --m_wordPressBlockDepth;
    clearPendingParagraphAccumulationAtOffset(range.end());
}

void VornickWordPressAutoParagraphAdder::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                std::u16string_view string, VornickRange range,
                                                                const std::u16string*)
{
    // The blanks between attributes and a DOCTYPE's interior are markup.
    if (token == VornickHTMLScannerTokenText && !scanner.isInsideMarkup())
        textScanned(string, range.location);
    else if (token == VornickHTMLScannerTokenComment)
        commentScanned(string, range);
}

void VornickWordPressAutoParagraphAdder::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName)
{
    m_startTagPending = true;
    if (!isParagraphLevelContent(tagName))
        breakParagraphAtRange(VornickMakeRange(offset, 0));
    else if (auto* top = topOfElementStack())
        top->anyContentSinceLastParagraphBreak = true;
}

void VornickWordPressAutoParagraphAdder::htmlScannerEndElementOpenTagAt(VornickHTMLScanner& scanner, size_t offset,
                                                                       std::u16string_view tagName, size_t)
{
    m_startTagPending = false;
    if (!pushElement(tagName, offset))
        scanner.stopParsing();
}

void VornickWordPressAutoParagraphAdder::htmlScannerEndElementCloseTagAt(VornickHTMLScanner& scanner, size_t offset,
                                                                        std::u16string_view tagName, size_t closeTagStartedAt)
{
    bool blockElement = !isParagraphLevelContent(tagName);
    if (blockElement)
        flushImplicitParagraphToOffset(closeTagStartedAt);
    if (!popElement(tagName)) {
        // Badly nested or unclosed markup: keep what was found so far.
        scanner.stopParsing();
        return;
    }
    if (blockElement)
        clearPendingParagraphAccumulationAtOffset(offset);
}

void VornickWordPressAutoParagraphAdder::htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName)
{
    // A void or self-closed block element ("<hr>") has no close tag: the
    // next paragraph begins after it rather than before it.
    if (m_startTagPending && !isParagraphLevelContent(tagName))
        clearPendingParagraphAccumulationAtOffset(offset);
    m_startTagPending = false;
}

void VornickWordPressAutoParagraphAdder::htmlScannerEndParsingAt(VornickHTMLScanner&, size_t offset)
{
    flushImplicitParagraphToOffset(offset);
}

// --- Applying

void VornickWordPressAutoParagraphAdder::applyRecordedEdits()
{
    std::u16string_view open = m_useWordPressBlocks ? blockParagraphOpenText : paragraphOpenText;
    std::u16string_view close = m_useWordPressBlocks ? blockParagraphCloseText : paragraphCloseText;

    // The edits are listed in the order that applies them from the end of
    // the text, where every earlier offset stays valid.
    m_edits.clear();
    m_pendingLineBreaks = m_rangesToReplaceWithLineBreaks.size();
    for (auto paragraph = m_rangesToWrapInParagraphs.rbegin(); paragraph != m_rangesToWrapInParagraphs.rend(); ++paragraph) {
        flushLineBreaksAfter(paragraph->end());
        m_edits.push_back({ paragraph->end(), 0, close });
        flushLineBreaksAfter(paragraph->location);
        m_edits.push_back({ paragraph->location, 0, open });
    }
    flushLineBreaksAfter(0);

    if (m_edits.empty())
        return;
    // Build the result forwards in one pass: at one offset, an edit applied
    // later lands in front of one applied earlier.
    std::reverse(m_edits.begin(), m_edits.end());
    std::stable_sort(m_edits.begin(), m_edits.end(), [](const Edit& a, const Edit& b) { return a.offset < b.offset; });
    std::u16string source = std::move(m_resultString);
    std::u16string result;
    result.reserve(source.size() + m_edits.size() * close.size());
    size_t copiedTo = 0;
    for (const auto& edit : m_edits) {
        if (edit.offset < copiedTo || edit.offset > source.size())
            continue;
        result.append(source, copiedTo, edit.offset - copiedTo);
        result.append(edit.text);
        copiedTo = std::min(source.size(), edit.offset + edit.replacedLength);
    }
    result.append(source, copiedTo);
    m_resultString = std::move(result);
    m_edits.clear();
}

} // namespace brevanton
