// VornickElementInspectorModuleClass: a kind of inspector module as a value:
// whether it can inspect an element, and what makes one for an editor.
#pragma once

#include "editing/VornickElementInspectorModule.h"

#include <functional>
#include <memory>
#include <typeindex>

namespace brevanton {

class DOMElement;

class VornickElementInspectorModuleClass {
public:
    // The class of `Module`, which offers the class operation
    // canInspectElement(element) and a constructor taking the editor.
    template<typename Module> static VornickElementInspectorModuleClass of()
    {
        return VornickElementInspectorModuleClass(
            typeid(Module), [](const DOMElement& element) { return Module::canInspectElement(element); },
            [](VornickElementEditorUIController& editor) -> std::shared_ptr<VornickElementInspectorModule> {
                return std::make_shared<Module>(editor);
            });
    }

    bool canInspectElement(const DOMElement& element) const { return m_canInspectElement(element); }
    std::shared_ptr<VornickElementInspectorModule> makeModule(VornickElementEditorUIController& editor) const { return m_make(editor); }
    // Whether the module is of exactly this class (not of a subclass).
    bool isClassOf(const VornickElementInspectorModule& module) const { return std::type_index(typeid(module)) == m_type; }

private:
    VornickElementInspectorModuleClass(std::type_index type, std::function<bool(const DOMElement&)> canInspectElement,
                                       std::function<std::shared_ptr<VornickElementInspectorModule>(VornickElementEditorUIController&)> make)
        : m_type(type)
        , m_canInspectElement(std::move(canInspectElement))
        , m_make(std::move(make))
    {
    }

    std::type_index m_type;
    std::function<bool(const DOMElement&)> m_canInspectElement;
    std::function<std::shared_ptr<VornickElementInspectorModule>(VornickElementEditorUIController&)> m_make;
};

} // namespace brevanton
