// VornickElementAttributesEditorUIController: the element editor that lists
// the target element's attributes, in order, for editing.
#pragma once

#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickElementEditorUIController.h"

#include <vector>

namespace brevanton {

class VornickElementAttributesEditorUIController : public VornickElementEditorUIController {
public:
    static std::u16string nibName() { return u"VornickElementAttributesEditor"; }

    const std::vector<VornickElementAttributeValue>& attributeValues() const { return m_attributeValues; }

protected:
    void loadTargetObject() override;

private:
    std::vector<VornickElementAttributeValue> m_attributeValues;
};

} // namespace brevanton
