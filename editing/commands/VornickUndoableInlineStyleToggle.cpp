#include "editing/commands/VornickUndoableInlineStyleToggle.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableElementApplication.h"
#include "editing/commands/VornickUndoableElementKindRemoval.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickUndoableInlineStyleToggle::VornickUndoableInlineStyleToggle(VornickEditingContext& context, bool undoable, std::u16string tagName)
    : VornickUndoableEdit(context, undoable)
    , m_tagName(std::move(tagName))
{
}

bool VornickUndoableInlineStyleToggle::apply()
{
    auto range = context().effectiveOperationRange();
    if (!range)
        return false;
    std::u16string tagName = asciiUppercase(m_tagName);

    // 1. At a caret: pending for the next typed text.
    if (range->collapsed()) {
        context().togglePendingInlineStyle(tagName, vornick_startPosition(*range));
        return true;
    }

    auto copy = range->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*copy);
    bool hasApplications = vornick_rangeMeetsElementOfKind(*copy, tagName);

    // 2. Every character has it already: off.
    if (hasApplications && vornick_allCharactersAreContainedInElementsOfKind(*copy, tagName))
        return VornickUndoableElementKindRemoval(context(), undoable(), tagName, copy).apply();

    // 3. On, once: what has it already loses it first.
    auto frame = context().focusedWebFrame();
    auto spec = frame ? vornick_HTMLSpec(*frame) : nullptr;
    BREVANTON_ASSERT(spec, "documentSpec == nil");
    auto elementSpec = spec->elementSpecForTagName(tagName);
    if (!elementSpec)
        return false;
    VornickCommandStepName stepName(context(), undoable(), u"Toggle <" + asciiLowercase(tagName) + u">");
    stepName.open();
    if (hasApplications)
        (void)VornickUndoableElementKindRemoval(context(), undoable(), tagName, copy).apply();
    bool applied = VornickUndoableElementApplication(context(), undoable(), *elementSpec, context().effectiveOperationRange(), std::nullopt,
                                                     true)
                       .apply();
    stepName.close();
    return applied;
}

} // namespace brevanton
