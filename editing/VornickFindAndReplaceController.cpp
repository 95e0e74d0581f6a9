#include "editing/VornickFindAndReplaceController.h"

#include "editing/commands/VornickEditingContext.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/View.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickRange.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isTextLike(const DOMNode& node)
{
    return node.nodeType() == DOMNode::TEXT_NODE || node.nodeType() == DOMNode::CDATA_SECTION_NODE;
}

// Puts a range end that lies in an element gap into the text node beside it:
// the start into the text that follows, the end into the text that precedes.
void pushEndIntoText(DOMRange& range, bool start)
{
    auto container = start ? range.startContainer() : range.endContainer();
    if (!container || isTextLike(*container))
        return;
    unsigned offset = start ? range.startOffset() : range.endOffset();
    DOMNode* child = container->first();
    for (unsigned i = 0; child && i < offset; ++i)
        child = child->next();
    // The child after the gap (start) or before it (end).
    DOMNode* neighbour = start ? child : (child ? child->previous() : container->last());
    if (!neighbour || !isTextLike(*neighbour))
        return;
    auto text = neighbour->shared_from_this();
    if (start)
        range.setStart(text, 0);
    else
        range.setEnd(text, static_cast<unsigned>(text->length()));
}

} // namespace

VornickFindAndReplaceController::VornickFindAndReplaceController(std::unique_ptr<Host> host)
    : m_host(std::move(host))
    , m_textFinder(std::make_unique<TextFinder>())
{
    m_textFinder->setClient(this);
    if (m_host) {
        m_contentObservation = m_host->observeContentChanges([this] { contentDidChange(); });
        m_textFinder->setFindBarContainer(this);
    }
}

VornickFindAndReplaceController::~VornickFindAndReplaceController()
{
    forgetPendingReplacements();
    m_textFinder->setClient(nullptr);
}

// --- The find bar

void VornickFindAndReplaceController::setFindBarVisible(bool visible)
{
    if (visible == m_findBarVisible)
        return;
    m_findBarVisible = visible;
    if (!m_host)
        return;
    m_host->editingContext().endTypingRun();
    if (visible)
        invalidateAttributedStringAndMap();
    if (m_findBarView || !visible)
        m_host->placeFindBar(m_findBarView, visible);
}

void VornickFindAndReplaceController::findBarViewDidChangeHeight()
{
    if (m_host && m_findBarView && m_findBarView->superview())
        m_host->placeFindBar(m_findBarView, true);
}

std::shared_ptr<View> VornickFindAndReplaceController::contentView() const
{
    return m_host ? m_host->contentView() : nullptr;
}

// --- The search text

void VornickFindAndReplaceController::contentDidChange()
{
    invalidateAttributedStringAndMap();
}

void VornickFindAndReplaceController::invalidateAttributedStringAndMap()
{
    m_attributedString = nullptr;
    m_map = nullptr;
}

void VornickFindAndReplaceController::regenerateAttributedStringAndMap()
{
    m_attributedString = nullptr;
    m_map = nullptr;
    auto frame = m_host ? m_host->editingContext().focusedWebFrame() : nullptr;
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return;
    ++m_regenerationCount;
    auto writer = m_host->htmlWriterForSearchText(*frame);
    writer->writeAttributedStringFromDocument(
        *document, true, [this](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            m_attributedString = std::move(string);
            m_map = std::move(map);
        });
}

std::shared_ptr<const AttributedString> VornickFindAndReplaceController::attributedString()
{
    if (!m_attributedString)
        regenerateAttributedStringAndMap();
    return m_attributedString;
}

std::shared_ptr<const VornickDOMToNSRangeMap> VornickFindAndReplaceController::map()
{
    if (!m_map)
        regenerateAttributedStringAndMap();
    return m_map;
}

// --- Actions

bool VornickFindAndReplaceController::performAction(long tag)
{
    return m_textFinder->performAction(tag);
}

bool VornickFindAndReplaceController::validateAction(long tag) const
{
    return m_textFinder->validateAction(tag);
}

// --- Mapping

std::shared_ptr<DOMRange> VornickFindAndReplaceController::domRangeForRange(TextRange range)
{
    auto map = this->map();
    auto frame = m_host ? m_host->editingContext().focusedWebFrame() : nullptr;
    auto document = frame ? frame->domDocument() : nullptr;
    if (!map || !document)
        return nullptr;
    return map->domRangeForRange(VornickMakeRange(range.location, range.length), nullptr, *document);
}

TextRange VornickFindAndReplaceController::rangeForDOMRange(const DOMRange& range)
{
    auto map = this->map();
    if (!map)
        return { VornickNotFound, 0 };
    // The search text is the text itself, never markup: an "&" in it is an
    // ampersand and no character reference, so the map gets no string to
    // read references from.
    VornickRange found = map->rangeForDOMRange(range, nullptr);
    return { found.location, found.length };
}

// --- The text finder's client

size_t VornickFindAndReplaceController::stringLength() const
{
    auto* self = const_cast<VornickFindAndReplaceController*>(this);
    auto string = self->attributedString();
    return string ? string->length() : 0;
}

std::u16string VornickFindAndReplaceController::stringAtIndex(size_t index, TextRange* effectiveRange, bool* endsWithSearchBoundary)
{
    if (endsWithSearchBoundary)
        *endsWithSearchBoundary = true;
    auto string = attributedString();
    size_t length = string ? string->length() : 0;
    if (index >= length) {
        if (effectiveRange)
            *effectiveRange = { index, 1 };
        return u" ";
    }
    // The run of contiguous text the index lies in; text outside every run
    // forms runs of its own between them.
    size_t start = 0;
    size_t end = length;
    if (auto* contiguous = string->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, index)) {
        start = std::min(contiguous->location, index);
        end = std::min(std::max(contiguous->location + contiguous->length, index + 1), length);
    } else {
        size_t runLocation = 0;
        size_t runLength = 0;
        string->attributesAtIndex(index, &runLocation, &runLength);
        start = runLocation;
        end = runLocation + runLength;
        while (start > 0 && !string->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, start - 1)) {
            string->attributesAtIndex(start - 1, &runLocation, &runLength);
            start = runLocation;
        }
        while (end < length && !string->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, end)) {
            string->attributesAtIndex(end, &runLocation, &runLength);
            end = runLocation + runLength;
        }
    }
    if (effectiveRange)
        *effectiveRange = { start, end - start };
    return string->string().substr(start, end - start);
}

TextRange VornickFindAndReplaceController::firstSelectedRange()
{
    auto range = m_host ? m_host->editingContext().effectiveOperationRange() : nullptr;
    if (!range)
        return { 0, 0 };
    TextRange found = rangeForDOMRange(*range);
    if (found.location == VornickNotFound)
        return { 0, 0 };
    return found;
}

void VornickFindAndReplaceController::setSelectedRanges(const std::vector<TextRange>& ranges)
{
    if (ranges.empty() || !m_host)
        return;
    if (auto range = domRangeForRange(ranges.front()))
        m_host->editingContext().setTargetRange(range);
}

void VornickFindAndReplaceController::scrollRangeToVisible(TextRange range)
{
    if (!m_host)
        return;
    if (auto domRange = domRangeForRange(range))
        m_host->scrollRangeToVerticallyCentered(domRange);
}

std::shared_ptr<DOMRange> VornickFindAndReplaceController::replaceableDOMRangeForRange(TextRange range)
{
    auto domRange = domRangeForRange(range);
    if (!domRange)
        return nullptr;
    pushEndIntoText(*domRange, true);
    pushEndIntoText(*domRange, false);
    auto start = domRange->startContainer();
    auto end = domRange->endContainer();
    if (!start || !end || !isTextLike(*start) || !isTextLike(*end)) {
        domRange->detach();
        return nullptr;
    }
    return domRange;
}

bool VornickFindAndReplaceController::shouldReplaceCharactersInRanges(const std::vector<TextRange>& ranges,
                                                                      const std::vector<std::u16string>&)
{
    if (!m_host)
        return false;
    // Every range is mapped against the text as it is now, before the first
    // change: the live DOM ranges follow the replacements made after them.
    forgetPendingReplacements();
    m_pendingReplacements.reserve(ranges.size());
    for (const auto& range : ranges)
        m_pendingReplacements.push_back({ range, replaceableDOMRangeForRange(range) });
    m_replacing = true;
    auto& context = m_host->editingContext();
    if (auto* undo = context.undoManager()) {
        context.endTypingRun();
        undo->beginUndoGrouping();
        m_openedUndoGroup = true;
        // Undone, the step gives back the selection the user had.
        context.registerTargetRangeUndo();
    }
    return true;
}

void VornickFindAndReplaceController::replaceCharactersInRange(TextRange range, const std::u16string& string)
{
    if (!m_host)
        return;
    std::shared_ptr<DOMRange> domRange;
    if (m_replacing) {
        auto pending = std::find_if(m_pendingReplacements.begin(), m_pendingReplacements.end(),
                                    [&](const PendingReplacement& candidate) { return candidate.range == range && candidate.domRange; });
        if (pending == m_pendingReplacements.end())
            return;
        domRange = std::move(pending->domRange);
    } else {
        domRange = replaceableDOMRangeForRange(range);
    }
    if (!domRange)
        return;
    m_host->replaceRangeWithReplacementText(domRange, string);
    domRange->detach();
}

void VornickFindAndReplaceController::didReplaceCharacters()
{
    forgetPendingReplacements();
    if (m_openedUndoGroup) {
        m_openedUndoGroup = false;
        if (auto* undo = m_host ? m_host->editingContext().undoManager() : nullptr; undo && undo->groupingLevel() > 0)
            undo->endUndoGrouping();
    }
    invalidateAttributedStringAndMap();
}

void VornickFindAndReplaceController::forgetPendingReplacements()
{
    for (auto& pending : m_pendingReplacements) {
        if (pending.domRange)
            pending.domRange->detach();
    }
    m_pendingReplacements.clear();
    m_replacing = false;
}

} // namespace brevanton
