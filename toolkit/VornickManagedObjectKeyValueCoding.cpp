#include "toolkit/VornickManagedObjectKeyValueCoding.h"

#include "toolkit/VornickDateFormatterExtensions.h"
#include "toolkit/VornickLog.h"

#include "platform/foundation/Text.h"

#include <cerrno>
#include <cstdlib>

namespace brevanton {

std::string VornickManagedObjectKeyValueCoding::className() const
{
    return toUTF8(m_object.entity().name());
}

bool VornickManagedObjectKeyValueCoding::respondsToKey(std::u16string_view key) const
{
    return m_object.entity().attributeIndex(key) >= 0;
}

Value VornickManagedObjectKeyValueCoding::valueForKey(std::u16string_view key) const
{
    if (!respondsToKey(key))
        return Value();
    return m_object.valueForKey(key);
}

static std::optional<double> numberFromString(const std::u16string& text)
{
    std::string utf8 = toUTF8(text);
    size_t start = utf8.find_first_not_of(" \t\n\r");
    if (start == std::string::npos)
        return std::nullopt;
    const char* begin = utf8.c_str() + start;
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE)
        return std::nullopt;
    while (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')
        ++end;
    if (*end)
        return std::nullopt;
    return number;
}

std::optional<Value> VornickManagedObjectKeyValueCoding::convertedValue(const Value& value, AttributeType type)
{
    if (value.isNull())
        return value;
    switch (type) {
    case AttributeType::String:
        if (value.isString())
            return value;
        if (value.isInteger())
            return Value(toUTF16(std::to_string(value.integerValue())));
        return std::nullopt;
    case AttributeType::Integer:
    case AttributeType::Double:
    case AttributeType::Boolean: {
        std::optional<double> number;
        if (value.isNumber())
            number = value.doubleValue();
        else if (value.isString()) {
            if (type == AttributeType::Boolean && (equalsIgnoringASCIICase(value.string(), u"true") || equalsIgnoringASCIICase(value.string(), u"yes")))
                number = 1;
            else if (type == AttributeType::Boolean && (equalsIgnoringASCIICase(value.string(), u"false") || equalsIgnoringASCIICase(value.string(), u"no")))
                number = 0;
            else
                number = numberFromString(value.string());
        }
        if (!number)
            return std::nullopt;
        if (type == AttributeType::Integer)
            return value.isInteger() ? value : Value(static_cast<long long>(*number));
        if (type == AttributeType::Double)
            return Value(*number);
        return Value(*number != 0);
    }
    case AttributeType::Date:
        if (value.isDate())
            return value;
        if (value.isString()) {
            if (auto date = vornick_dateFromISO8601String(value.string()))
                return Value(*date);
        }
        return std::nullopt;
    case AttributeType::Binary:
        if (value.isData())
            return value;
        return std::nullopt;
    case AttributeType::Transformable:
        return value;
    }
    return std::nullopt;
}

void VornickManagedObjectKeyValueCoding::setValueForKey(const Value& value, std::u16string_view key)
{
    const AttributeDescription* attribute = m_object.entity().attributeNamed(key);
    if (!attribute)
        return;
    auto converted = convertedValue(value, attribute->type);
    if (!converted) {
        VornickGeneralLog("The value {} cannot be stored as {}.{}", value.description(), className(), toUTF8(key));
        return;
    }
    m_object.setValueForKey(*converted, key);
}

} // namespace brevanton
