// Transforming an element into one of another kind: the new element holds
// the old one's contents and keeps its attributes (an id a link points at, a
// class, a style, a list's start and type), gets the attributes its kind
// requires, and takes the old element's place with its block comments.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

bool VornickContentEditingView::undoableTransformElement(bool undoable, const std::shared_ptr<DOMElement>& element,
                                                         const std::u16string& tagName, std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: element");
    endTypingRun();
    endBackspaceRun();
    auto document = element->ownerDocument();
    if (!document || !element->parentNode() || !m_blockModeHelper)
        return false;
    auto outerRange = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
    if (!outerRange)
        return false;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*outerRange);
    bool enclosingBlock = m_blockModeHelper->blockEnclosingPosition(vornick_startPosition(*outerRange), {}, false,
                                                                    attachmentPoint.get()).has_value();

    auto inner = document->createRange();
    inner->selectNodeContents(element);
    auto contents = inner->cloneContents();
    std::shared_ptr<DOMElement> newElement;
    auto fragment = m_blockModeHelper->createFragmentWithCommentDelimitedElement(tagName, *document, contents, enclosingBlock,
                                                                                  &newElement);
    if (!fragment || !newElement)
        return false;
    vornick_copyAttributesFromElement(*newElement, *element);
    if (m_focusedWebFrame) {
        if (auto spec = vornick_HTMLSpec(*m_focusedWebFrame))
            (void)vornick_addMissingRequiredAttributesForHTMLSpec(*newElement, spec.get());
    }

    // Named by the command, not by the replacement it is made of.
    VornickCommandStepName stepName(*this, undoable, u"Transform to <" + asciiLowercase(tagName) + u">");
    stepName.open();
    std::shared_ptr<DOMRange> result;
    bool replaced = undoableReplaceRangeWithFragment(undoable, outerRange, fragment, std::nullopt, &result);
    stepName.close();
    if (!replaced)
        return false;
    if (outResultRange) {
        *outResultRange = nullptr;
        if (result) {
            if (auto first = vornick_firstCompletelyContainedElement(*result))
                *outResultRange = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*first);
        }
    }
    return true;
}

} // namespace brevanton
