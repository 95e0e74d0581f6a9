// The class name of an object for log descriptions: the dynamic type without
// its namespace, "(null)" for no object.
#pragma once

#include <string>
#include <typeinfo>

namespace brevanton {

std::string VornickClassNameOfType(const std::type_info&);

template<typename T>
std::string VornickClassName(const T* object)
{
    return object ? VornickClassNameOfType(typeid(*object)) : std::string("(null)");
}

} // namespace brevanton
