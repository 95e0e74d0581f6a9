// VornickElementInspectorModuleClass: a kind of inspector module as a value:
// whether it can inspect an editor's target, and what makes one for an editor.
#pragma once

#include "editing/VornickElementInspectorModule.h"

#include <functional>
#include <memory>
#include <typeindex>

namespace brevanton {

class VornickElementInspectorModuleClass {
public:
    // The class of `Module`, which offers the class operation
    // canInspectTargetOf(editor) and a constructor taking the editor. The
    // test is asked with the editor, which has a target element and has
    // loaded what its modules read of it.
    template<typename Module> static VornickElementInspectorModuleClass of()
    {
        return VornickElementInspectorModuleClass(
            typeid(Module), [](const VornickElementEditorUIController& editor) { return Module::canInspectTargetOf(editor); },
            [](VornickElementEditorUIController& editor) -> std::shared_ptr<VornickElementInspectorModule> {
                return std::make_shared<Module>(editor);
            });
    }

    bool canInspectTargetOf(const VornickElementEditorUIController& editor) const { return m_canInspectTargetOf(editor); }
    std::shared_ptr<VornickElementInspectorModule> makeModule(VornickElementEditorUIController& editor) const { return m_make(editor); }
    // Whether the module is of exactly this class (not of a subclass).
    bool isClassOf(const VornickElementInspectorModule& module) const { return std::type_index(typeid(module)) == m_type; }

private:
    VornickElementInspectorModuleClass(std::type_index type, std::function<bool(const VornickElementEditorUIController&)> canInspectTargetOf,
                                       std::function<std::shared_ptr<VornickElementInspectorModule>(VornickElementEditorUIController&)> make)
        : m_type(type)
        , m_canInspectTargetOf(std::move(canInspectTargetOf))
        , m_make(std::move(make))
    {
    }

    std::type_index m_type;
    std::function<bool(const VornickElementEditorUIController&)> m_canInspectTargetOf;
    std::function<std::shared_ptr<VornickElementInspectorModule>(VornickElementEditorUIController&)> m_make;
};

} // namespace brevanton
