// VornickManagedObjectKeyValueCoding: a stored object's attributes by key, for
// archives and generic code. Values are taken in the forms archives hold
// them: numbers and Booleans also as strings, dates also as ISO 8601 text.
#pragma once

#include "toolkit/VornickKeyValueCoding.h"

#include "platform/store/ManagedObject.h"
#include "platform/store/ManagedObjectModel.h"

#include <optional>

namespace brevanton {

class VornickManagedObjectKeyValueCoding final : public VornickKeyValueCoding {
public:
    explicit VornickManagedObjectKeyValueCoding(ManagedObject& object) : m_object(object) {}

    std::string className() const override;
    // Attributes only: relationships hold objects, not property-list values.
    bool respondsToKey(std::u16string_view key) const override;
    Value valueForKey(std::u16string_view key) const override;
    // A value that cannot be read as the attribute's type is logged and not set.
    void setValueForKey(const Value& value, std::u16string_view key) override;

    // `value` as a value of `type`; nullopt when it cannot be read as one.
    static std::optional<Value> convertedValue(const Value& value, AttributeType type);

private:
    ManagedObject& m_object;
};

} // namespace brevanton
