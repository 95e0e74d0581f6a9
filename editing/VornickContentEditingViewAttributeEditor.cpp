// The attribute editor popover: opening it on the selected element or block,
// replacing its controller when an element needs another kind of editor,
// and moving it to the parent, a sibling or the first child, with a bezel
// message when there is nowhere to go.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "app/VornickApplicationDelegate.h"
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

void VornickContentEditingView::Internals::vornick_editElementAttributes(VornickContentEditingView& view, ActionSender*)
{
    auto selection = view.exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (selection && selection->element())
        view.showAttributeEditorForElement(selection->element(), std::nullopt);
}

bool VornickContentEditingView::Internals::canEditElementAttributes(const VornickContentEditingView& view)
{
    if (!view.isEditable() || !view.m_internals->blockModeHelper)
        return false;
    auto selection = view.exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (!selection || !selection->element())
        return false;
    auto& element = *selection->element();
    return VornickElementEditorUIControllerClassForKind(view.m_internals->blockModeHelper->elementEditorClassForElement(element))
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

std::vector<std::u16string> VornickContentEditingView::attributeEditorURLStringsForCompletion() const
{
    std::vector<std::u16string> strings;
    auto delegate = VornickApplicationDelegate::shared();
    if (!delegate)
        return strings;
    auto recent = delegate->recentTitledPasteboardURLs();
    for (auto entry = recent.rbegin(); entry != recent.rend(); ++entry)
        strings.push_back(entry->url.absoluteString());
    return strings;
}

void VornickContentEditingView::Internals::acceptPendingEditsAndMoveElementEditorToNewTargetElement(VornickContentEditingView& view, const std::shared_ptr<DOMElement>& element)
{
    if (!element || !view.m_internals->blockModeHelper)
        return;
    auto target = view.m_internals->blockModeHelper->blockOrElement(element);
    if (auto outerRange = target.outerRange()) {
        view.setTargetRange(outerRange);
        view.scrollRangeToVerticallyCentered(outerRange);
    }
    auto controllerClass = VornickElementEditorUIControllerClassForKind(view.m_internals->blockModeHelper->elementEditorClassForElement(*element));
    if (view.m_internals->elementEditorUIController && controllerClass.isClassOf(*view.m_internals->elementEditorUIController)) {
        view.m_internals->elementEditorUIController->showForTargetObject(target, std::nullopt, view);
        view.m_internals->elementEditorUIController->repositionToTrackTargetElement();
        return;
    }
    if (view.m_internals->elementEditorUIController)
        view.m_internals->elementEditorUIController->closePopover();
    view.showAttributeEditorForElement(element, std::nullopt);
}

void VornickContentEditingView::Internals::moveAttributeEditorToNextEditableParentElement(VornickContentEditingView& view, ActionSender*)
{
    auto element = targetElementOf(view.m_internals->elementEditorUIController.get());
    if (element && !vornick_isAttachmentPoint(*element)) {
        for (auto ancestor = element->parentElement(); ancestor && !vornick_isAttachmentPoint(*ancestor);
             ancestor = ancestor->parentElement()) {
            if (mayEditProperties(view.m_internals->blockModeHelper.get(), ancestor)) {
                Internals::acceptPendingEditsAndMoveElementEditorToNewTargetElement(view, ancestor);
                return;
            }
        }
    }
    Internals::showNavigationMessage(view, u"No editable ancestor element");
}

void VornickContentEditingView::Internals::moveAttributeEditorToNextEditableSiblingElement(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->elementEditorUIController || !view.m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(view.m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->nextElementSibling(); sibling; sibling = sibling->nextElementSibling()) {
        if (mayEditProperties(view.m_internals->blockModeHelper.get(), sibling)) {
            Internals::acceptPendingEditsAndMoveElementEditorToNewTargetElement(view, sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        Internals::showNavigationMessage(view, u"At end of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::Internals::moveAttributeEditorToPreviousEditableSiblingElement(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->elementEditorUIController || !view.m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(view.m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto sibling = element->previousElementSibling(); sibling; sibling = sibling->previousElementSibling()) {
        if (mayEditProperties(view.m_internals->blockModeHelper.get(), sibling)) {
            Internals::acceptPendingEditsAndMoveElementEditorToNewTargetElement(view, sibling);
            return;
        }
    }
    if (auto parent = element->parentElement())
        Internals::showNavigationMessage(view, u"At start of <" + lowercaseTagName(*parent) + u">");
}

void VornickContentEditingView::Internals::moveAttributeEditorToFirstEditableChildElement(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->elementEditorUIController || !view.m_internals->elementEditorUIController->targetObject())
        return;
    auto element = targetElementOf(view.m_internals->elementEditorUIController.get());
    if (!element)
        return;
    for (auto child = element->firstElementChild(); child; child = child->nextElementSibling()) {
        if (mayEditProperties(view.m_internals->blockModeHelper.get(), child)) {
            Internals::acceptPendingEditsAndMoveElementEditorToNewTargetElement(view, child);
            return;
        }
    }
    Internals::showNavigationMessage(view, u"No child elements");
}

void VornickContentEditingView::Internals::repositionAttributeEditorToTrackTargetElement(VornickContentEditingView& view)
{
    if (view.m_internals->elementEditorUIController && view.m_internals->elementEditorUIController->popover()->isShown())
        view.m_internals->elementEditorUIController->repositionToTrackTargetElement();
}

void VornickContentEditingView::Internals::cancelPendingEditsAndCloseAttributeEditor(VornickContentEditingView& view)
{
    if (!view.m_internals->elementEditorUIController || !view.m_internals->elementEditorUIController->popover()->isShown())
        return;
    view.m_internals->elementEditorUIController->discardPendingEdits();
    view.m_internals->elementEditorUIController->closePopover();
}

void VornickContentEditingView::Internals::installMediaAndAttributeEditorActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("chooseImageAndReplaceSelection:", &Internals::chooseImageAndReplaceSelection);
    view.installActionHandler("chooseImageAndReplaceSelectionWithFigure:", &Internals::chooseImageAndReplaceSelectionWithFigure);
    view.installActionHandler("chooseImageAndReplaceSelectionWithPicture:", &Internals::chooseImageAndReplaceSelectionWithPicture);
    view.installActionHandler("vornick_editElementAttributes:", &Internals::vornick_editElementAttributes);
    view.installActionHandler("moveAttributeEditorToNextEditableParentElement:", &Internals::moveAttributeEditorToNextEditableParentElement);
    view.installActionHandler("moveAttributeEditorToNextEditableSiblingElement:", &Internals::moveAttributeEditorToNextEditableSiblingElement);
    view.installActionHandler("moveAttributeEditorToPreviousEditableSiblingElement:",
            &Internals::moveAttributeEditorToPreviousEditableSiblingElement);
    view.installActionHandler("moveAttributeEditorToFirstEditableChildElement:", &Internals::moveAttributeEditorToFirstEditableChildElement);
}

} // namespace brevanton
