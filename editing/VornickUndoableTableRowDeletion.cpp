// Deleting the rows the selection is in or across, each with whatever
// enclosing element its deletion would leave empty and useless, in one undo
// step.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <set>

namespace brevanton {

namespace {

std::vector<std::shared_ptr<DOMElement>> rowsToDelete(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return range ? vornick_inferredTargetElementsOfKinds(*range, { u"TR" }) : std::vector<std::shared_ptr<DOMElement>> {};
}

// Grows a row's deletion over the table section it would leave without rows
// (a section holds at least one row), and over the table when nothing but
// white space would be left of it.
void growOverEmptiedTableParts(DOMRange& range)
{
    auto start = vornick_startPosition(range);
    auto end = vornick_endPosition(range);
    if (start.node != end.node)
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*start.node);
    static const std::set<std::u16string, std::less<>> parts { u"thead", u"tbody", u"tfoot", u"table" };
    while (auto* element = toElement(start.node.get())) {
        if (!parts.contains(asciiLowercase(element->tagName())) || vornick_isAttachmentPoint(*element) || !element->parent())
            break;
        if (!VornickOnlyWhitespacePrecedesPositionInNode(start, substitute) || !VornickOnlyWhitespaceFollowsPositionInNode(end, substitute))
            break;
        VornickMoveDOMPositionUpToBeforeNode(start);
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
}

} // namespace

void VornickContentEditingView::deleteTableRows(ActionSender*)
{
    if (!canDeleteTableRows())
        return;
    auto rows = rowsToDelete(*this);
    std::u16string name = rows.size() == 1 ? u"Delete Table Row" : u"Delete Table Rows";
    VornickCommandStepName stepName(*this, true, name);
    stepName.open();
    for (const auto& row : rows) {
        if (!row->parentNode())
            continue;
        auto range = vornick_outerRange(*row);
        vornick_expandDeletionRangeToPruneUselessOrphans(*range);
        growOverEmptiedTableParts(*range);
        (void)deleteFragment(range, true, name, false, nullptr);
    }
    stepName.close();
}

bool VornickContentEditingView::canDeleteTableRows() const
{
    return isEditable() && !rowsToDelete(*this).empty();
}

} // namespace brevanton
