// VornickKeyValueCoding: named properties that archives and generic code read
// and write by key. A model object lists the keys it answers to.
#pragma once

#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

namespace brevanton {

class VornickKeyValueCoding {
public:
    virtual ~VornickKeyValueCoding() = default;

    // The class name shown in diagnostics.
    virtual std::string className() const = 0;
    // Whether the object has a property of that name.
    virtual bool respondsToKey(std::u16string_view key) const = 0;
    // The property's value; null when it has none.
    virtual Value valueForKey(std::u16string_view key) const = 0;
    // Sets the property; null clears it.
    virtual void setValueForKey(const Value& value, std::u16string_view key) = 0;
};

} // namespace brevanton
