// The attribute editor popover: opening it on the selected element or block,
// replacing its controller when an element needs another kind of editor,
// and moving it to the parent, a sibling or the first child, with a bezel
// message when there is nowhere to go.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickElementEditorUIControllerClass.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Popover.h"

namespace brevanton {

namespace {

std::u16string lowercaseTagName(const DOMElement& element)
{
    return asciiLowercase(element.tagName());
}

// The element of the attribute editor's target; null without a target.
std::shared_ptr<DOMElement> targetElementOf(const VornickElementEditorUIController* controller)
{
    if (!controller || !controller->targetObject())
        return nullptr;
    return controller->targetObject()->element();
}

bool mayEditProperties(const VornickBlockModeHelper* helper, const std::shared_ptr<DOMElement>& element)
{
    return helper && helper->mayEditPropertiesOfElement(element);
}

} // namespace

void VornickContentEditingView::vornick_editElementAttributes(ActionSender*)
{
    auto selection = exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (selection && selection->element())
        showAttributeEditorForElement(selection->element(), std::nullopt);
}

bool VornickContentEditingView::canEditElementAttributes() const
{
    if (!isEditable() || !m_internals->blockModeHelper)
        return false;
    auto selection = exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (!selection || !selection->element())
        return false;
    auto& element = *selection->element();
    return VornickElementEditorUIControllerClassForKind(m_internals->blockModeHelper->elementEditorClassForElement(element))
        .canInspectElement(element);
}

bool VornickContentEditingView::showAttributeEditorForElement(const std::shared_ptr<DOMElement>& element,
                                                              const std::optional<std::u16string>& focusAttribute)
{
    if (!element || !m_internals->blockModeHelper)
        return false;
    auto controllerClass = VornickElementEditorUIControllerClassForKind(m_internals->blockModeHelper->elementEditorClassForElement(*element));
    if (!m_internals->elementEditorUIController || !controllerClass.isClassOf(*m_internals->elementEditorUIController)) {
        // The edits typed into the editor being dropped are applied, as when it closes.
        if (m_internals->elementEditorUIController) {
            m_internals->elementEditorUIController->closePopover();
            m_internals->elementEditorUIController->detachFromContentEditingView();
        }
        m_internals->elementEditorUIController = controllerClass.makeController();
    }
    if (!m_internals->elementEditorUIController)
        return false;
    m_internals->elementEditorUIController->showForTargetObject(m_internals->blockModeHelper->blockOrElement(element), focusAttribute,
                                                                *this);
    return true;
}

void VornickContentEditingView::acceptPendingEditsAndMoveElementEditorToNewTargetElement(const std::shared_ptr<DOMElement>& element)
{
    if (!element || !m_internals->blockModeHelper)
        return;
    auto target = m_internals->blockModeHelper->blockOrElement(element);
    if (auto outerRange = target.outerRange()) {
        setTargetRange(outerRange);
        scrollRangeToVerticallyCentered(outerRange);
    }
    auto controllerClass = VornickElementEditorUIControllerClassForKind(m_internals->blockModeHelper->elementEditorClassForElement(*element));
    if (m_internals->elementEditorUIController && controllerClass.isClassOf(*m_internals->elementEditorUIController)) {
        m_internals->elementEditorUIController->showForTargetObject(target, std::nullopt, *this);
        m_internals->elementEditorUIController->repositionToTrackTargetElement();
        return;
    }
    if (m_internals->elementEditorUIController)
        m_internals->elementEditorUIController->closePopover();
    showAttributeEditorForElement(element, std::nullopt);
}

void VornickContentEditingView::moveAttributeEditorToNextEditableParentElement(ActionSender*)
{
    auto element = targetElementOf(m_internals->elementEditorUIController.get());
    if (element && !vornick_isAttachmentPoint(*element)) {
        for (auto ancestor = element->parentElement(); ancestor && !vornick_isAttachmentPoint(*ancestor);
             ancestor = ancestor->parentElement()) {
            if (mayEditProperties(m_internals->blockModeHelper.get(), ancestor)) {
                acceptPendingEditsAndMoveElementEditorToNewTargetElement(ancestor);
                return;
            }
        }
    }
    Internals::showNavigationMessage(*this, u"No editable ancestor element");
}

void VornickContentEditingView::moveAttributeEditorToNextEditableSiblingElement(ActionSender*)
{
    if (!m_internals->elementEditorUIController || !m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->nextElementSibling(); sibling; sibling = sibling->nextElementSibling()) {
        if (mayEditProperties(m_internals->blockModeHelper.get(), sibling)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        Internals::showNavigationMessage(*this, u"At end of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::moveAttributeEditorToPreviousEditableSiblingElement(ActionSender*)
{
    if (!m_internals->elementEditorUIController || !m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->previousElementSibling(); sibling; sibling = sibling->previousElementSibling()) {
        if (mayEditProperties(m_internals->blockModeHelper.get(), sibling)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        Internals::showNavigationMessage(*this, u"At start of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::moveAttributeEditorToFirstEditableChildElement(ActionSender*)
{
    if (!m_internals->elementEditorUIController || !m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto child = element->firstElementChild(); child; child = child->nextElementSibling()) {
        if (mayEditProperties(m_internals->blockModeHelper.get(), child)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(child);
            return;
        }
    }
    Internals::showNavigationMessage(*this, u"No child elements");
}

void VornickContentEditingView::repositionAttributeEditorToTrackTargetElement()
{
    if (m_internals->elementEditorUIController && m_internals->elementEditorUIController->popover()->isShown())
        m_internals->elementEditorUIController->repositionToTrackTargetElement();
}

void VornickContentEditingView::cancelPendingEditsAndCloseAttributeEditor()
{
    if (!m_internals->elementEditorUIController || !m_internals->elementEditorUIController->popover()->isShown())
        return;
    m_internals->elementEditorUIController->discardPendingEdits();
    m_internals->elementEditorUIController->closePopover();
}

void VornickContentEditingView::Internals::installMediaAndAttributeEditorActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("chooseImageAndReplaceSelection:", &VornickContentEditingView::chooseImageAndReplaceSelection);
    view.installActionHandler("chooseImageAndReplaceSelectionWithFigure:", &VornickContentEditingView::chooseImageAndReplaceSelectionWithFigure);
    view.installActionHandler("chooseImageAndReplaceSelectionWithPicture:", &VornickContentEditingView::chooseImageAndReplaceSelectionWithPicture);
    view.installActionHandler("vornick_editElementAttributes:", &VornickContentEditingView::vornick_editElementAttributes);
    view.installActionHandler("moveAttributeEditorToNextEditableParentElement:", &VornickContentEditingView::moveAttributeEditorToNextEditableParentElement);
    view.installActionHandler("moveAttributeEditorToNextEditableSiblingElement:", &VornickContentEditingView::moveAttributeEditorToNextEditableSiblingElement);
    view.installActionHandler("moveAttributeEditorToPreviousEditableSiblingElement:",
            &VornickContentEditingView::moveAttributeEditorToPreviousEditableSiblingElement);
    view.installActionHandler("moveAttributeEditorToFirstEditableChildElement:", &VornickContentEditingView::moveAttributeEditorToFirstEditableChildElement);
}

} // namespace brevanton
