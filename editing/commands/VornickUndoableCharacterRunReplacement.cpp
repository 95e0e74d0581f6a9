#include "editing/commands/VornickUndoableCharacterRunReplacement.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
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

VornickUndoableCharacterRunReplacement::VornickUndoableCharacterRunReplacement(VornickEditingContext& context, bool undoable,
                                                                               char16_t character, std::shared_ptr<DOMRange> range,
                                                                               std::u16string replacement)
    : VornickUndoableEdit(context, undoable)
    , m_character(character)
    , m_range(std::move(range))
    , m_replacement(std::move(replacement))
{
}

bool VornickUndoableCharacterRunReplacement::apply()
{
    const auto& range = m_range;
    char16_t character = m_character;
    if (!range || range->collapsed())
        return false;
    auto set = CharacterSet::fromCharacters(std::u16string_view(&character, 1));
    std::vector<TextSpan> spans;
    vornick_enumerateTextSpansWithOptions(*range, 0, [&](const std::shared_ptr<DOMText>& text, size_t start, size_t end, bool&) {
        std::u16string part = text->data().substr(start, end - start);
        if (part.find(character) == std::u16string::npos)
            return;
        std::u16string replaced = vornick_stringByReplacingRunsOfCharactersInSet(part, set, m_replacement);
        if (replaced != part)
            spans.push_back({ text, static_cast<unsigned>(start), static_cast<unsigned>(end), std::move(replaced) });
    });
    if (spans.empty())
        return false;

    // The selection to restore goes first, so that it is restored last.
    registerSelectionUndo();
    auto document = vornick_ownerDocument(*range);
    auto selection = range->cloneRange();
    std::shared_ptr<DOMRange> lastResult;
    for (const auto& span : spans) {
        auto part = document->createRange();
        part->setStart(span.node, span.start);
        part->setEnd(span.node, span.end);
        (void)VornickUndoableTextReplacement(context(), undoable(), part, span.replacement, false).apply(&lastResult);
    }
    // A range that ended inside the last converted text now ends where the
    // converted text does (the replacement moved it to the text's start).
    if (lastResult && spans.back().node == range->endContainer())
        selection->setEnd(lastResult->endContainer(), lastResult->endOffset());
    finish(selection, true);
    return true;
}

} // namespace brevanton
