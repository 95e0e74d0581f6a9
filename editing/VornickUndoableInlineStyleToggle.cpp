// Toggling an inline element kind (bold, emphasis, code and the like). At a
// caret the kind is toggled for the next typed text only. On a selection the
// kind comes off when every character already has it; otherwise it is first
// taken off and then put once around the whole selection, so partly styled
// text ends styled once, never nested. Both halves are one undo step named
// "Toggle <b>".
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

#include <algorithm>

namespace brevanton {


bool VornickContentEditingView::undoableToggleApplicationOfInlineStyleElement(bool undoable, const std::u16string& givenTagName)
{
    auto range = effectiveOperationRange();
    if (!range)
        return false;
    std::u16string tagName = asciiUppercase(givenTagName);

    // 1. At a caret: pending for the next typed text.
    if (range->collapsed()) {
        auto& toggled = m_toggledInlineStyleElementsForTyping;
        auto found = std::find(toggled.begin(), toggled.end(), tagName);
        if (found != toggled.end())
            toggled.erase(found);
        else
            toggled.push_back(tagName);
        m_toggledInlineStyleElementsCaret = toggled.empty() ? VornickDOMPosition() : vornick_startPosition(*range);
        return true;
    }

    auto copy = range->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*copy);
    bool hasApplications = vornick_rangeMeetsElementOfKind(*copy, tagName);

    // 2. Every character has it already: off.
    if (hasApplications && vornick_allCharactersAreContainedInElementsOfKind(*copy, tagName))
        return undoableRemoveApplicationsOfElementKind(undoable, tagName, copy);

    // 3. On, once: what has it already loses it first.
    auto spec = m_focusedWebFrame ? vornick_HTMLSpec(*m_focusedWebFrame) : nullptr;
    BREVANTON_ASSERT(spec, "documentSpec == nil");
    auto elementSpec = spec->elementSpecForTagName(tagName);
    if (!elementSpec)
        return false;
    VornickCommandStepName stepName(editingContext(), undoable, u"Toggle <" + asciiLowercase(tagName) + u">");
    stepName.open();
    if (hasApplications)
        (void)undoableRemoveApplicationsOfElementKind(undoable, tagName, copy);
    bool applied = undoableApplyDescribedElement(undoable, *elementSpec, effectiveOperationRange());
    stepName.close();
    return applied;
}

} // namespace brevanton
