// The web view's caret moves: the commands its key bindings and the
// responder actions name ("moveRight:", "moveWordLeft:", "moveDown:",
// "moveToEndOfLine:", "moveToBeginningOfDocument:", "pageDown:",
// "selectAll:", each moving key with "AndModifySelection:" extending the
// selection). The caret goes from one laid-out text position to the next as
// the page shows them: across inline elements, blocks, list items and table
// cells, over collapsed white space in one step. Vertical moves keep the
// column they started in and never stray into a block that stands beside
// the caret's (the next cell of a row). Every move is proposed to the
// editing delegate and, when taken, scrolled into view; none edits.
#include "platform/web/WebView.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrameView.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace brevanton {

namespace {

struct TextPosition {
    DOMNode* node { nullptr };
    unsigned offset { 0 };
    explicit operator bool() const { return node; }
};

bool isRenderedText(const WebLayout& layout, const DOMNode& node)
{
    if (!node.isTextNode() || !node.length())
        return false;
    auto* lines = layout.lineBoxes(node);
    return lines && !lines->empty();
}

DOMNode* nextRenderedText(const WebLayout& layout, const DOMNode& from, bool forward)
{
    for (DOMNode* node = forward ? from.traverseNext() : from.traversePrevious(); node;
         node = forward ? node->traverseNext() : node->traversePrevious()) {
        if (isRenderedText(layout, *node))
            return node;
    }
    return nullptr;
}

DOMNode* lastDescendantOrSelf(DOMNode& node)
{
    DOMNode* last = &node;
    while (last->last())
        last = last->last();
    return last;
}

// The first offset of a text node's laid-out text, and its last.
unsigned firstOffset(const WebLayout& layout, const DOMNode& text)
{
    return layout.lineBoxes(text)->front().startOffset;
}

unsigned lastOffset(const WebLayout& layout, const DOMNode& text)
{
    return layout.lineBoxes(text)->back().endOffset;
}

// The text position a boundary point stands for: itself in laid-out text,
// else the nearest laid-out text in the direction (or, failing that, the
// other way).
TextPosition textPositionAt(const WebLayout& layout, DOMNode& container, unsigned offset, bool forward)
{
    if (isRenderedText(layout, container))
        return { &container, std::min(offset, container.length()) };
    DOMNode* after = nullptr;
    DOMNode* before = nullptr;
    if (container.isTextNode()) {
        after = nextRenderedText(layout, container, true);
        before = nextRenderedText(layout, container, false);
    } else if (DOMNode* child = container.childAt(offset)) {
        after = isRenderedText(layout, *child) ? child : nextRenderedText(layout, *child, true);
        before = nextRenderedText(layout, *child, false);
    } else {
        DOMNode* last = lastDescendantOrSelf(container);
        before = isRenderedText(layout, *last) ? last : nextRenderedText(layout, *last, false);
        after = nextRenderedText(layout, *last, true);
    }
    if (forward ? after == nullptr : before != nullptr)
        return before ? TextPosition { before, lastOffset(layout, *before) } : TextPosition {};
    return { after, firstOffset(layout, *after) };
}

bool isSurrogatePairAt(const std::u16string& data, unsigned offset)
{
    return offset + 1 < data.size() && isHighSurrogate(data[offset]) && isLowSurrogate(data[offset + 1]);
}

// One position on in the direction: the next unit of the text (a surrogate
// pair as one), else the start (or end) of the next laid-out text.
TextPosition step(const WebLayout& layout, TextPosition at, bool forward)
{
    auto& data = downcast<DOMCharacterData>(*at.node).data();
    if (forward && at.offset < lastOffset(layout, *at.node))
        return { at.node, at.offset + (isSurrogatePairAt(data, at.offset) ? 2u : 1u) };
    if (!forward && at.offset > firstOffset(layout, *at.node))
        return { at.node, at.offset - (at.offset >= 2 && isSurrogatePairAt(data, at.offset - 2) ? 2u : 1u) };
    DOMNode* next = nextRenderedText(layout, *at.node, forward);
    if (!next)
        return {};
    return { next, forward ? firstOffset(layout, *next) : lastOffset(layout, *next) };
}

bool sameCaret(const WebLayout& layout, TextPosition a, TextPosition b)
{
    return layout.caretRect(*a.node, a.offset) == layout.caretRect(*b.node, b.offset);
}

// The next position that shows the caret somewhere else: runs of collapsed
// white space and the seam between two pieces of text on a line take no
// step of their own.
TextPosition characterMove(const WebLayout& layout, TextPosition from, bool forward)
{
    TextPosition at = from;
    for (int guard = 0; guard < 100000; ++guard) {
        TextPosition next = step(layout, at, forward);
        if (!next)
            return at;
        at = next;
        if (!sameCaret(layout, from, at))
            return at;
    }
    return at;
}

// The character after (or before) a position in laid-out text; a block's
// end counts as a space.
std::optional<char16_t> characterBeside(const WebLayout& layout, TextPosition at, bool forward)
{
    auto& data = downcast<DOMCharacterData>(*at.node).data();
    if (forward ? at.offset < lastOffset(layout, *at.node) : at.offset > firstOffset(layout, *at.node))
        return data[forward ? at.offset : at.offset - 1];
    if (!nextRenderedText(layout, *at.node, forward))
        return std::nullopt;
    return u' ';
}

// To the end of the word after the caret (forward) or the start of the word
// before it, passing what separates words first.
TextPosition wordMove(const WebLayout& layout, TextPosition from, bool forward)
{
    TextPosition at = from;
    bool inWord = false;
    for (int guard = 0; guard < 1000000; ++guard) {
        auto c = characterBeside(layout, at, forward);
        if (!c)
            break;
        bool word = WebView::isWordCharacter(*c);
        if (inWord && !word)
            break;
        inWord = inWord || word;
        TextPosition next = step(layout, at, forward);
        if (!next)
            break;
        // Between two pieces of text the character beside is taken again from the next one.
        if (next.node != at.node && (forward ? next.offset == firstOffset(layout, *next.node) : next.offset == lastOffset(layout, *next.node))) {
            at = next;
            continue;
        }
        at = next;
    }
    return at;
}

// The nearest element around a text that is laid out as a block (its box
// holds the text's lines), or null.
const DOMElement* enclosingBlock(const WebLayout& layout, const DOMNode& text)
{
    for (DOMNode* node = text.parent(); node; node = node->parent()) {
        if (auto* element = dynamicDowncast<DOMElement>(node); element && layout.usedSize(*element))
            return element;
    }
    return nullptr;
}

// The ends of the line a position stands on, within its block: the first
// (or last) position of the line boxes at its height.
TextPosition lineEdge(const WebLayout& layout, TextPosition at, bool toEnd)
{
    Rect caret = layout.caretRect(*at.node, at.offset);
    auto* block = enclosingBlock(layout, *at.node);
    auto onLine = [&](const Rect& line) { return line.minY() < caret.maxY() && line.maxY() > caret.minY(); };
    TextPosition best;
    double bestX = 0;
    auto consider = [&](DOMNode& text) {
        bool any = false;
        auto& lines = *layout.lineBoxes(text);
        for (size_t index = 0; index < lines.size(); ++index) {
            auto& line = lines[index];
            if (!onLine(line.rect))
                continue;
            any = true;
            double x = toEnd ? line.rect.maxX() : line.rect.minX();
            if (best && (toEnd ? x < bestX : x > bestX))
                continue;
            unsigned offset = toEnd ? line.endOffset : line.startOffset;
            // A wrapped line ends before the space it wrapped at.
            if (toEnd && index + 1 < lines.size() && offset > line.startOffset) {
                char16_t last = downcast<DOMCharacterData>(text).data()[offset - 1];
                if (last == ' ' || last == '\n' || last == '\t')
                    --offset;
            }
            best = { &text, offset };
            bestX = x;
        }
        return any;
    };
    consider(*at.node);
    for (bool forward : { false, true }) {
        for (DOMNode* text = nextRenderedText(layout, *at.node, forward); text; text = nextRenderedText(layout, *text, forward)) {
            if (block && !block->contains(text))
                break;
            if (!consider(*text))
                break;
        }
    }
    return best ? best : at;
}

// The line nearest to `targetY` among those past `pastY` in the direction,
// scanning the laid-out text from `from` on; on one line the position
// nearest to `x`. Lines of a block standing beside the caret's line (another
// cell of its row) count only when nothing else does.
TextPosition lineNear(const WebLayout& layout, TextPosition from, const Rect& caretLine, bool forward, double pastY,
                      double targetY, double x)
{
    struct Candidate {
        DOMNode* node { nullptr };
        const WebLineBox* line { nullptr };
        double score { 0 };
    } best;
    auto besideCaret = [&](const DOMNode& text) {
        auto* block = enclosingBlock(layout, text);
        if (!block)
            return false;
        Rect box = layout.boundingBox(*block);
        bool overlapsLine = box.minY() < caretLine.maxY() && box.maxY() > caretLine.minY();
        return overlapsLine && (x < box.minX() || x >= box.maxX());
    };
    auto consider = [&](DOMNode& text) {
        std::optional<bool> beside;
        for (auto& line : *layout.lineBoxes(text)) {
            bool past = forward ? line.rect.minY() >= pastY : line.rect.maxY() <= pastY;
            if (!past)
                continue;
            double vertical = targetY < line.rect.minY() ? line.rect.minY() - targetY
                : targetY >= line.rect.maxY()            ? targetY - line.rect.maxY()
                                                         : 0;
            double horizontal = x < line.rect.minX() ? line.rect.minX() - x : x > line.rect.maxX() ? x - line.rect.maxX() : 0;
            double score = vertical * 1e6 + horizontal;
            if (best.node && score >= best.score)
                continue;
            if (!beside)
                beside = besideCaret(text);
            if (*beside)
                score += 1e15;
            if (!best.node || score < best.score)
                best = { &text, &line, score };
        }
    };
    // Document order follows the page downwards closely enough that the
    // scan ends a little past the best line found.
    constexpr double lookBeyond = 400;
    for (DOMNode* text = from.node; text; text = nextRenderedText(layout, *text, forward)) {
        if (best.node && best.score < 1e15) {
            Rect first = layout.lineBoxes(*text)->front().rect;
            Rect last = layout.lineBoxes(*text)->back().rect;
            double bestY = forward ? best.line->rect.maxY() : best.line->rect.minY();
            if (forward ? first.minY() > bestY + lookBeyond : last.maxY() < bestY - lookBeyond)
                break;
        }
        consider(*text);
    }
    if (!best.node)
        return {};
    Point point { x, best.line->rect.midY() };
    unsigned offset = layout.offsetForPoint(*best.node, point);
    return { best.node, std::clamp(offset, best.line->startOffset, best.line->endOffset) };
}

TextPosition documentEdge(const WebLayout& layout, DOMDocument& document, bool toEnd)
{
    DOMNode* root = document.body() ? static_cast<DOMNode*>(document.body().get()) : document.documentElement().get();
    if (!root)
        return {};
    if (toEnd) {
        DOMNode* last = lastDescendantOrSelf(*root);
        DOMNode* text = isRenderedText(layout, *last) ? last : nextRenderedText(layout, *last, false);
        return text ? TextPosition { text, lastOffset(layout, *text) } : TextPosition {};
    }
    DOMNode* text = nextRenderedText(layout, *root, true);
    return text ? TextPosition { text, firstOffset(layout, *text) } : TextPosition {};
}

struct MoveSelector {
    std::string_view name;
    WebView::MoveKind kind;
    bool forward;
};

constexpr std::array<MoveSelector, 15> moveSelectors { {
    { "moveLeft", WebView::MoveKind::Character, false },
    { "moveRight", WebView::MoveKind::Character, true },
    { "moveBackward", WebView::MoveKind::Character, false },
    { "moveForward", WebView::MoveKind::Character, true },
    { "moveWordLeft", WebView::MoveKind::Word, false },
    { "moveWordRight", WebView::MoveKind::Word, true },
    { "moveUp", WebView::MoveKind::Line, false },
    { "moveDown", WebView::MoveKind::Line, true },
    { "moveToBeginningOfLine", WebView::MoveKind::LineEdge, false },
    { "moveToEndOfLine", WebView::MoveKind::LineEdge, true },
    { "moveToBeginningOfDocument", WebView::MoveKind::DocumentEdge, false },
    { "moveToEndOfDocument", WebView::MoveKind::DocumentEdge, true },
    { "pageUp", WebView::MoveKind::Page, false },
    { "pageDown", WebView::MoveKind::Page, true },
    { "selectAll", WebView::MoveKind::All, true },
} };

std::shared_ptr<DOMDocument> documentOf(DOMNode& node)
{
    auto* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    return document ? downcast<DOMDocument>(document->shared_from_this()) : nullptr;
}

std::shared_ptr<DOMRange> rangeBetween(DOMDocument& document, DOMNode* a, unsigned aOffset, DOMNode* b, unsigned bOffset)
{
    if (DOMRange::compareBoundaryPointPositions(a, aOffset, b, bOffset) > 0) {
        std::swap(a, b);
        std::swap(aOffset, bOffset);
    }
    auto range = DOMRange::create(document);
    range->setStart(a->shared_from_this(), aOffset);
    range->setEnd(b->shared_from_this(), bOffset);
    return range;
}

} // namespace

const std::vector<std::string>& WebView::moveSelectorNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (auto& selector : moveSelectors) {
            all.push_back(std::string(selector.name) + ":");
            if (selector.kind != MoveKind::All)
                all.push_back(std::string(selector.name) + "AndModifySelection:");
        }
        return all;
    }();
    return names;
}

bool WebView::performMove(std::string_view selector)
{
    bool extend = selector.ends_with("AndModifySelection:");
    std::string_view base = selector.substr(0, selector.size() - (extend ? 19 : 1));
    auto found = std::find_if(moveSelectors.begin(), moveSelectors.end(), [&](auto& move) { return move.name == base; });
    if (found == moveSelectors.end() || (found->kind == MoveKind::All && extend))
        return false;
    move(found->kind, found->forward, extend);
    return true;
}

void WebView::move(MoveKind kind, bool forward, bool extend)
{
    layoutIfNeeded();
    if (kind == MoveKind::All) {
        auto document = m_selection ? documentOf(*m_selection->startNode()) : mainFrameDocument();
        if (!document)
            return;
        std::shared_ptr<DOMNode> root = document->body();
        if (!root)
            root = document->documentElement();
        if (!root)
            return;
        auto range = DOMRange::create(*document);
        range->selectNodeContents(root);
        m_verticalMoveGoalX.reset();
        proposeSelectedDOMRange(range, WebSelectionAffinityDownstream, false);
        return;
    }
    // Without a selection only the moves to the document's ends go anywhere
    // (the others have nowhere to start from; the editing delegate may move
    // by the document's structure then).
    if (!m_selection && kind != MoveKind::DocumentEdge)
        return;
    auto document = m_selection ? documentOf(*m_selection->startNode()) : mainFrameDocument();
    auto frame = document ? frameForNode(*document) : nullptr;
    if (!frame)
        return;
    auto& layout = frame->layout();
    auto& documentView = *frame->frameView()->documentView();
    auto selection = m_selection;
    if (!selection) {
        auto start = documentEdge(layout, *document, false);
        if (!start)
            return;
        selection = rangeBetween(*document, start.node, start.offset, start.node, start.offset);
    }

    // The anchor stays; the focus moves. A selection this view extended
    // keeps the ends it had; another one is extended at its end in the
    // direction of the move.
    bool collapsed = selection->collapsed();
    bool focusAtStart = collapsed ? false
        : sameRangeAs(m_extendedSelection.get(), selection.get()) ? m_extendedFocusAtStart
                                                                  : !forward;
    DOMNode* anchorNode = focusAtStart ? selection->endNode() : selection->startNode();
    unsigned anchorOffset = focusAtStart ? selection->endOffset() : selection->startOffset();
    // Left and Right collapse a selection towards their side; the other
    // moves start from the focus.
    bool collapsing = kind == MoveKind::Character && !extend && !collapsed;
    bool fromStart = collapsing ? !forward : focusAtStart;
    DOMNode* focusNode = fromStart ? selection->startNode() : selection->endNode();
    unsigned focusOffset = fromStart ? selection->startOffset() : selection->endOffset();

    TextPosition from = textPositionAt(layout, *focusNode, focusOffset, forward);
    TextPosition to;
    bool keepsGoal = false;
    bool scrollToDocumentEdge = false;
    if (!from) {
        // A page without laid-out text: nothing to move through.
        return;
    }
    Rect caret = layout.caretRect(*from.node, from.offset);
    switch (kind) {
    case MoveKind::Character:
        // A selection collapses towards the move.
        to = collapsing ? from : characterMove(layout, from, forward);
        break;
    case MoveKind::Word:
        to = wordMove(layout, from, forward);
        break;
    case MoveKind::Line:
    case MoveKind::Page: {
        bool continuing = m_verticalMoveGoalX && sameRangeAs(m_verticalMoveSelection.get(), selection.get());
        double x = continuing ? *m_verticalMoveGoalX : caret.minX();
        keepsGoal = true;
        m_verticalMoveGoalX = x;
        if (kind == MoveKind::Line) {
            double edge = forward ? caret.maxY() : caret.minY();
            to = lineNear(layout, from, caret, forward, forward ? edge - 0.5 : edge + 0.5, edge, x);
            if (!to)
                to = lineEdge(layout, from, forward);
            break;
        }
        // A page: the page scrolls by what is shown less a line, and the
        // caret goes as far, onto the line nearest to where it was shown.
        auto& clip = *frame->frameView()->clipView();
        double distance = std::max(caret.height(), clip.bounds().height() - caret.height());
        Point origin = clip.bounds().origin;
        clip.scrollToPoint(Point { origin.x, origin.y + (forward ? distance : -distance) });
        double target = caret.midY() + (forward ? distance : -distance);
        to = lineNear(layout, from, caret, forward, forward ? caret.maxY() - 0.5 : caret.minY() + 0.5, target, x);
        if (!to)
            to = documentEdge(layout, *document, forward);
        break;
    }
    case MoveKind::LineEdge:
        to = lineEdge(layout, from, forward);
        break;
    case MoveKind::DocumentEdge:
        to = documentEdge(layout, *document, forward);
        // The document's very start or end is shown, margins and all.
        scrollToDocumentEdge = static_cast<bool>(to);
        break;
    case MoveKind::All:
        break;
    }
    if (!to)
        to = from;
    if (!keepsGoal)
        m_verticalMoveGoalX.reset();

    std::shared_ptr<DOMRange> proposed;
    if (extend) {
        proposed = rangeBetween(*document, anchorNode, anchorOffset, to.node, to.offset);
        m_extendedFocusAtStart = DOMRange::compareBoundaryPointPositions(to.node, to.offset, anchorNode, anchorOffset) < 0;
    } else {
        proposed = rangeBetween(*document, to.node, to.offset, to.node, to.offset);
    }
    if (!proposeSelectedDOMRange(proposed, forward ? WebSelectionAffinityDownstream : WebSelectionAffinityUpstream, false))
        return;
    m_extendedSelection = extend && m_selection ? m_selection->cloneRange() : nullptr;
    m_verticalMoveSelection = keepsGoal && m_selection ? m_selection->cloneRange() : nullptr;
    if (scrollToDocumentEdge) {
        auto& clip = *frame->frameView()->clipView();
        Rect page = clip.documentRect();
        clip.scrollToPoint(Point { clip.bounds().origin.x, forward ? page.maxY() : page.minY() });
    }
    // The focus is shown.
    Rect shown = layout.caretRect(*to.node, to.offset);
    if (!shown.isEmpty() || shown.height() > 0)
        documentView.scrollRectToVisible(shown);
}

bool WebView::sameRangeAs(const DOMRange* a, const DOMRange* b)
{
    if (!a || !b)
        return false;
    return a->startNode() == b->startNode() && a->startOffset() == b->startOffset() && a->endNode() == b->endNode()
        && a->endOffset() == b->endOffset();
}

} // namespace brevanton
