// VornickElementEditorUIControllerClass: a kind of element editor controller
// as a value: what makes one, the name of its interface, whether it can
// inspect an element, and a test of whether a controller is of the kind.
//
// The block-mode helper names the editor an element needs by a
// VornickElementEditorKind; the content editing view keeps one controller
// and replaces it whenever an element needs another class. Layers above the
// editor (block editors) register their own controller class for a kind;
// a kind with none registered is edited by the attributes editor.
#pragma once

#include "html/VornickBlockModeHelper.h"

#include <functional>
#include <memory>
#include <string>
#include <typeindex>

namespace brevanton {

class DOMElement;
class VornickElementEditorUIController;

class VornickElementEditorUIControllerClass {
public:
    // The class of `Controller`, which offers the class operations nibName()
    // and canInspectElement(element) and a constructor taking no argument.
    template<typename Controller> static VornickElementEditorUIControllerClass of()
    {
        return VornickElementEditorUIControllerClass(
            typeid(Controller), Controller::nibName(), [] { return std::make_shared<Controller>(); },
            [](const DOMElement& element) { return Controller::canInspectElement(element); });
    }

    const std::u16string& nibName() const { return m_nibName; }
    // A new controller with its view loaded.
    std::shared_ptr<VornickElementEditorUIController> makeController() const { return m_make(); }
    bool canInspectElement(const DOMElement& element) const { return m_canInspectElement(element); }
    // Whether the controller is of exactly this class (not of a subclass).
    bool isClassOf(const VornickElementEditorUIController&) const;

private:
    VornickElementEditorUIControllerClass(std::type_index type, std::u16string nibName,
                                          std::function<std::shared_ptr<VornickElementEditorUIController>()> make,
                                          std::function<bool(const DOMElement&)> canInspectElement)
        : m_type(type)
        , m_nibName(std::move(nibName))
        , m_make(std::move(make))
        , m_canInspectElement(std::move(canInspectElement))
    {
    }

    std::type_index m_type;
    std::u16string m_nibName;
    std::function<std::shared_ptr<VornickElementEditorUIController>()> m_make;
    std::function<bool(const DOMElement&)> m_canInspectElement;
};

// The controller class registered for the kind; the attributes editor for
// a kind without one.
VornickElementEditorUIControllerClass VornickElementEditorUIControllerClassForKind(VornickElementEditorKind);
void VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind, VornickElementEditorUIControllerClass);

} // namespace brevanton
