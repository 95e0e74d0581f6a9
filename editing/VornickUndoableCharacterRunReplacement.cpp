// Replacing runs of one character in a range's text by a string, each run
// once ("a", three spaces, "b" becomes "a", one non-breaking space, "b"):
// the conversions between ordinary and non-breaking spaces. Each text node's
// part of the range is replaced in place, so Undo gives every node its old
// data back; the selection keeps covering the converted text.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/CharacterSet.h"
#include "toolkit/VornickStringExtensions.h"

#include <vector>

namespace brevanton {

namespace {

struct TextSpan {
    std::shared_ptr<DOMText> node;
    unsigned start;
    unsigned end;
    std::u16string replacement;
};

} // namespace

bool VornickContentEditingView::undoableReplaceRunsOfCharacter(bool undoable, char16_t character, const std::shared_ptr<DOMRange>& range,
                                                              const std::u16string& replacement)
{
    if (!range || range->collapsed())
        return false;
    auto set = CharacterSet::fromCharacters(std::u16string_view(&character, 1));
    std::vector<TextSpan> spans;
    vornick_enumerateTextSpansWithOptions(*range, 0, [&](const std::shared_ptr<DOMText>& text, size_t start, size_t end, bool&) {
        std::u16string part = text->data().substr(start, end - start);
        if (part.find(character) == std::u16string::npos)
            return;
        std::u16string replaced = vornick_stringByReplacingRunsOfCharactersInSet(part, set, replacement);
        if (replaced != part)
            spans.push_back({ text, static_cast<unsigned>(start), static_cast<unsigned>(end), std::move(replaced) });
    });
    if (spans.empty())
        return false;

    // The selection to restore goes first, so that it is restored last.
    if (undoable)
        registerTargetRangeUndo();
    auto document = vornick_ownerDocument(*range);
    auto selection = range->cloneRange();
    std::shared_ptr<DOMRange> lastResult;
    for (const auto& span : spans) {
        auto part = document->createRange();
        part->setStart(span.node, span.start);
        part->setEnd(span.node, span.end);
        (void)undoableReplaceRangeWithText(undoable, part, span.replacement, false, &lastResult);
    }
    // A range that ended inside the last converted text now ends where the
    // converted text does (the replacement moved it to the text's start).
    if (lastResult && spans.back().node == range->endContainer())
        selection->setEnd(lastResult->endContainer(), lastResult->endOffset());
    if (undoable)
        setTargetRangeUndoably(selection);
    else
        setTargetRange(selection);
    postVornickContentEditingViewDidChangeContentInWebFrame(m_focusedWebFrame, nullptr);
    return true;
}

} // namespace brevanton
