#include "editing/VornickElementAttributesEditorUIController.h"

namespace brevanton {

void VornickElementAttributesEditorUIController::loadTargetObject()
{
    m_attributeValues.clear();
    if (targetObject() && targetObject()->element())
        m_attributeValues = vornick_attributeValues(targetObject()->element());
}

} // namespace brevanton
