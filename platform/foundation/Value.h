// Value: a property-list value (null, boolean, integer, real, string, data,
// date, array, dictionary). Values have value semantics; containers copy deeply
// (and cheaply when moved). Dictionaries keep their keys sorted by code unit.
#pragma once

#include "platform/foundation/Date.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace brevanton {

class Value;
using Data = std::vector<uint8_t>;
using Array = std::vector<Value>;
using Dictionary = std::map<std::u16string, Value, std::less<>>;

class Value {
public:
    enum class Type { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : m_storage(b) {}
    Value(int i) : m_storage(static_cast<int64_t>(i)) {}
    Value(long i) : m_storage(static_cast<int64_t>(i)) {}
    Value(long long i) : m_storage(static_cast<int64_t>(i)) {}
    Value(unsigned i) : m_storage(static_cast<int64_t>(i)) {}
    Value(unsigned long i) : m_storage(static_cast<int64_t>(i)) {}
    Value(unsigned long long i) : m_storage(static_cast<int64_t>(i)) {}
    Value(double d) : m_storage(d) {}
    Value(std::u16string s) : m_storage(std::move(s)) {}
    Value(const char16_t* s) : m_storage(std::u16string(s)) {}
    Value(std::u16string_view s) : m_storage(std::u16string(s)) {}
    Value(Data d) : m_storage(std::move(d)) {}
    Value(Date d) : m_storage(d) {}
    Value(Array a);
    Value(Dictionary d);
    // Forbid accidental UTF-8 strings: convert at the boundary with toUTF16().
    Value(const char*) = delete;

    Value(const Value& other);
    Value(Value&&) noexcept = default;
    Value& operator=(const Value& other);
    Value& operator=(Value&&) noexcept = default;
    ~Value();

    Type type() const { return static_cast<Type>(m_storage.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isNumber() const { return isInteger() || isReal() || isBoolean(); }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Typed access. The checked forms answer a fallback for another type; the
    // reference forms assert the type.
    bool boolValue(bool fallback = false) const;       // numbers: non-zero is true
    int64_t integerValue(int64_t fallback = 0) const;  // reals truncate, booleans 0/1
    double doubleValue(double fallback = 0) const;
    const std::u16string& string() const;
    std::u16string stringValue(const std::u16string& fallback = {}) const;
    const Data& data() const;
    Date date() const;
    const Array& array() const;
    Array& array();
    const Dictionary& dictionary() const;
    Dictionary& dictionary();

    // Dictionary conveniences: a missing key or a non-dictionary reads as null.
    const Value& operator[](std::u16string_view key) const;
    const Value* find(std::u16string_view key) const;
    void set(std::u16string key, Value value); // asserts dictionary (or turns null into one)
    bool contains(std::u16string_view key) const { return find(key) != nullptr; }

    size_t count() const; // elements of an array or dictionary, otherwise 0

    // Integers and reals compare by numeric value; otherwise types must agree.
    friend bool operator==(const Value& a, const Value& b);

    // A readable, deterministic description (for logs and test failures).
    std::string description() const;

    static const Value& null();

private:
    struct ArrayBox;
    struct DictionaryBox;
    std::variant<std::monostate, bool, int64_t, double, std::u16string, Data, Date,
                 std::unique_ptr<ArrayBox>, std::unique_ptr<DictionaryBox>>
        m_storage;
};

struct Value::ArrayBox { Array value; };
struct Value::DictionaryBox { Dictionary value; };

std::ostream& operator<<(std::ostream&, const Value&);

} // namespace brevanton
