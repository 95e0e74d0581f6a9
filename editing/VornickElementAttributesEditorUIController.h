// VornickElementAttributesEditorUIController: the element editor that lists
// the target element's attributes, in order, for editing. Shown, it takes
// the keyboard: the field of the attribute asked for (else the first one)
// has it.
#pragma once

#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickElementEditorUIController.h"

#include <vector>

namespace brevanton {

class VornickElementAttributesEditorUIController : public VornickElementEditorUIController {
public:
    static std::u16string nibName() { return u"VornickElementAttributesEditor"; }

    const std::vector<VornickElementAttributeValue>& attributeValues() const { return m_attributeValues; }

    void addAllModulesForTargetObject() override;
    void showForTargetObject(const VornickExactSelection&, const std::optional<std::u16string>& focusAttribute,
                             VornickContentEditingView&) override;

protected:
    void loadTargetObject() override;

private:
    std::vector<VornickElementAttributeValue> m_attributeValues;
};

} // namespace brevanton
