#include "editing/VornickElementEditorUIControllerClass.h"

#include "editing/VornickElementAttributesEditorUIController.h"

#include <map>

namespace brevanton {

namespace {

std::map<VornickElementEditorKind, VornickElementEditorUIControllerClass>& registeredClasses()
{
    static std::map<VornickElementEditorKind, VornickElementEditorUIControllerClass> classes;
    return classes;
}

} // namespace

bool VornickElementEditorUIControllerClass::isClassOf(const VornickElementEditorUIController& controller) const
{
    return std::type_index(typeid(controller)) == m_type;
}

VornickElementEditorUIControllerClass VornickElementEditorUIControllerClassForKind(VornickElementEditorKind kind)
{
    auto& classes = registeredClasses();
    auto found = classes.find(kind);
    if (found != classes.end())
        return found->second;
    return VornickElementEditorUIControllerClass::of<VornickElementAttributesEditorUIController>();
}

void VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind kind, VornickElementEditorUIControllerClass controllerClass)
{
    auto& classes = registeredClasses();
    classes.erase(kind);
    classes.emplace(kind, std::move(controllerClass));
}

} // namespace brevanton
