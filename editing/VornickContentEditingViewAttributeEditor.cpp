// The attribute editor popover: opening it on the selected element or block,
// replacing its controller when an element needs another kind of editor,
// and moving it to the parent, a sibling or the first child, with a bezel
// message when there is nowhere to go.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
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
    if (!isEditable() || !m_blockModeHelper)
        return false;
    auto selection = exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (!selection || !selection->element())
        return false;
    auto& element = *selection->element();
    return VornickElementEditorUIControllerClassForKind(m_blockModeHelper->elementEditorClassForElement(element))
        .canInspectElement(element);
}

bool VornickContentEditingView::showAttributeEditorForElement(const std::shared_ptr<DOMElement>& element,
                                                              const std::optional<std::u16string>& focusAttribute)
{
    if (!element || !m_blockModeHelper)
        return false;
    auto controllerClass = VornickElementEditorUIControllerClassForKind(m_blockModeHelper->elementEditorClassForElement(*element));
    if (!m_elementEditorUIController || !controllerClass.isClassOf(*m_elementEditorUIController)) {
        // The edits typed into the editor being dropped are applied, as when it closes.
        if (m_elementEditorUIController) {
            m_elementEditorUIController->closePopover();
            m_elementEditorUIController->detachFromContentEditingView();
        }
        m_elementEditorUIController = controllerClass.makeController();
    }
    if (!m_elementEditorUIController)
        return false;
    m_elementEditorUIController->showForTargetObject(m_blockModeHelper->blockOrElement(element), focusAttribute, *this);
    return true;
}

void VornickContentEditingView::acceptPendingEditsAndMoveElementEditorToNewTargetElement(const std::shared_ptr<DOMElement>& element)
{
    if (!element || !m_blockModeHelper)
        return;
    auto target = m_blockModeHelper->blockOrElement(element);
    if (auto outerRange = target.outerRange()) {
        setTargetRange(outerRange);
        scrollRangeToVerticallyCentered(outerRange);
    }
    auto controllerClass = VornickElementEditorUIControllerClassForKind(m_blockModeHelper->elementEditorClassForElement(*element));
    if (m_elementEditorUIController && controllerClass.isClassOf(*m_elementEditorUIController)) {
        m_elementEditorUIController->showForTargetObject(target, std::nullopt, *this);
        m_elementEditorUIController->repositionToTrackTargetElement();
        return;
    }
    if (m_elementEditorUIController)
        m_elementEditorUIController->closePopover();
    showAttributeEditorForElement(element, std::nullopt);
}

void VornickContentEditingView::moveAttributeEditorToNextEditableParentElement(ActionSender*)
{
    auto element = targetElementOf(m_elementEditorUIController.get());
    if (element && !vornick_isAttachmentPoint(*element)) {
        for (auto ancestor = element->parentElement(); ancestor && !vornick_isAttachmentPoint(*ancestor);
             ancestor = ancestor->parentElement()) {
            if (mayEditProperties(m_blockModeHelper.get(), ancestor)) {
                acceptPendingEditsAndMoveElementEditorToNewTargetElement(ancestor);
                return;
            }
        }
    }
    showNavigationMessage(u"No editable ancestor element");
}

void VornickContentEditingView::moveAttributeEditorToNextEditableSiblingElement(ActionSender*)
{
    if (!m_elementEditorUIController || !m_elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->nextElementSibling(); sibling; sibling = sibling->nextElementSibling()) {
        if (mayEditProperties(m_blockModeHelper.get(), sibling)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        showNavigationMessage(u"At end of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::moveAttributeEditorToPreviousEditableSiblingElement(ActionSender*)
{
    if (!m_elementEditorUIController || !m_elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->previousElementSibling(); sibling; sibling = sibling->previousElementSibling()) {
        if (mayEditProperties(m_blockModeHelper.get(), sibling)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        showNavigationMessage(u"At start of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::moveAttributeEditorToFirstEditableChildElement(ActionSender*)
{
    if (!m_elementEditorUIController || !m_elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(m_elementEditorUIController.get());
    if (!element)
        return;
    for (auto child = element->firstElementChild(); child; child = child->nextElementSibling()) {
        if (mayEditProperties(m_blockModeHelper.get(), child)) {
            acceptPendingEditsAndMoveElementEditorToNewTargetElement(child);
            return;
        }
    }
    showNavigationMessage(u"No child elements");
}

void VornickContentEditingView::repositionAttributeEditorToTrackTargetElement()
{
    if (m_elementEditorUIController && m_elementEditorUIController->popover()->isShown())
        m_elementEditorUIController->repositionToTrackTargetElement();
}

void VornickContentEditingView::cancelPendingEditsAndCloseAttributeEditor()
{
    if (!m_elementEditorUIController || !m_elementEditorUIController->popover()->isShown())
        return;
    m_elementEditorUIController->discardPendingEdits();
    m_elementEditorUIController->closePopover();
}

void VornickContentEditingView::installMediaAndAttributeEditorActionHandlers()
{
    installActionHandler("chooseImageAndReplaceSelection:", &VornickContentEditingView::chooseImageAndReplaceSelection);
    installActionHandler("chooseImageAndReplaceSelectionWithFigure:", &VornickContentEditingView::chooseImageAndReplaceSelectionWithFigure);
    installActionHandler("chooseImageAndReplaceSelectionWithPicture:", &VornickContentEditingView::chooseImageAndReplaceSelectionWithPicture);
    installActionHandler("vornick_editElementAttributes:", &VornickContentEditingView::vornick_editElementAttributes);
    installActionHandler("moveAttributeEditorToNextEditableParentElement:", &VornickContentEditingView::moveAttributeEditorToNextEditableParentElement);
    installActionHandler("moveAttributeEditorToNextEditableSiblingElement:", &VornickContentEditingView::moveAttributeEditorToNextEditableSiblingElement);
    installActionHandler("moveAttributeEditorToPreviousEditableSiblingElement:",
            &VornickContentEditingView::moveAttributeEditorToPreviousEditableSiblingElement);
    installActionHandler("moveAttributeEditorToFirstEditableChildElement:", &VornickContentEditingView::moveAttributeEditorToFirstEditableChildElement);
}

} // namespace brevanton
