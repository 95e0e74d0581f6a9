// Non-breaking space substitutes: a visible stand-in for U+00A0 while
// editing, moved to another stand-in (or given up) when inserted text uses it.
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewInternals.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickStringExtensions.h"

#include <fmt/format.h>

namespace brevanton {

void VornickContentEditingView::Internals::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(VornickContentEditingView& view, const std::u16string& string,
                                                                                                 const std::shared_ptr<WebFrame>& frame)
{
    if (!frame)
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame);
    if (!substitute || string.find(substitute) == std::u16string::npos)
        return;
    auto document = frame->domDocument();
    if (!document)
        return;
    // Changing the body's characters moves live ranges: the selection is
    // kept as a path and found again afterwards.
    std::optional<VornickFreezeDriedDOMRange> frozen;
    if (auto range = view.effectiveOperationRange(); range && vornick_ownerDocument(*range) == document)
        frozen = vornick_freezeDriedRangeRelativeToAncestor(*range, document, true);
    vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(*frame, string);
    if (frozen) {
        if (auto thawed = frozen->thawRangeRelativeToNewAncestor(document))
            view.setTargetRange(thawed);
    }
    if (vornick_nonBreakingSpaceSubstituteCharacter(*frame))
        return;
    auto window = (&view)->window();
    if (!window)
        return;
    auto alert = Alert::create();
    alert->setMessageText(u"Can't Show Non-Breaking Spaces Anymore");
    alert->addButtonWithTitle(u"OK");
    alert->setInformativeText(toUTF16(fmt::format(
        "All of Brevanton's favorite stand-in characters for non-breaking spaces ({}) are now in use in this document. All your "
        "non-breaking spaces will be preserved, and you can insert new ones too. They just won't be visible during this editing "
        "session.",
        toUTF8(vornick_charactersAsUnicodeHexCodesSeparatedByString(VornickNonBreakingSpaceSubstituteCandidates, u", ")))));
    alert->beginSheetModalForWindow(window, [](ModalResponse) {});
}

std::u16string VornickContentEditingView::placeholderSpaceStringForDocumentContainingRange(const DOMRange& range) const
{
    auto node = range.startContainer();
    if (node && vornick_nonBreakingSpaceSubstituteCharacter(*node))
        return std::u16string(1, 0xA0);
    return u" ";
}

} // namespace brevanton
