#include "editing/VornickElementAttributesEditorUIController.h"

#include "editing/VornickElementAttributesInspectorModule.h"
#include "editing/VornickElementInspectorModuleClass.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

namespace brevanton {

void VornickElementAttributesEditorUIController::loadTargetObject()
{
    m_attributeValues.clear();
    if (targetObject() && targetObject()->element())
        m_attributeValues = vornick_attributeValues(targetObject()->element());
}

void VornickElementAttributesEditorUIController::addAllModulesForTargetObject()
{
    (void)addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickElementAttributesInspectorModule>());
}

void VornickElementAttributesEditorUIController::showForTargetObject(const VornickExactSelection& target,
                                                                     const std::optional<std::u16string>& focusAttribute,
                                                                     VornickContentEditingView& view)
{
    VornickElementEditorUIController::showForTargetObject(target, focusAttribute, view);
    auto module = std::dynamic_pointer_cast<VornickElementAttributesInspectorModule>(modules().empty() ? nullptr : modules().front());
    auto field = module ? module->fieldToFocus(focusAttribute ? &*focusAttribute : nullptr) : nullptr;
    auto window = popover()->window();
    if (!field || !window || !popover()->isShown())
        return;
    window->makeKeyAndOrderFront();
    (void)window->makeFirstResponder(field);
}

} // namespace brevanton
