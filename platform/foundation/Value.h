// Value: a property-list value (null, boolean, integer, real, string, data,
// date, array, dictionary). Values have value semantics; containers copy deeply
// (and cheaply when moved). Dictionaries keep their keys sorted by code unit.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Dictionary.h"

#include <cstdint>
#include <initializer_list>
#include <algorithm>
#include <map>
#include <stdexcept>
#include <type_traits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace brevanton {

class Value;
using Data = std::vector<uint8_t>;
using Array = std::vector<Value>;

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

// Dictionary's members, now that Value is complete.

template<typename Iterator>
Dictionary::Dictionary(Iterator first, Iterator last) : m_entries(first, last)
{
    sortAndDropRepeats(RepeatedKeys::KeepFirst);
}

inline Dictionary::Dictionary(std::initializer_list<value_type> entries) : m_entries(entries)
{
    sortAndDropRepeats(RepeatedKeys::KeepFirst);
}

inline Dictionary::iterator Dictionary::begin() { return m_entries.begin(); }
inline Dictionary::iterator Dictionary::end() { return m_entries.end(); }
inline Dictionary::const_iterator Dictionary::begin() const { return m_entries.begin(); }
inline Dictionary::const_iterator Dictionary::end() const { return m_entries.end(); }
inline Dictionary::size_type Dictionary::size() const { return m_entries.size(); }
inline bool Dictionary::empty() const { return m_entries.empty(); }
inline void Dictionary::clear() { m_entries.clear(); }
inline void Dictionary::reserve(size_type capacity) { m_entries.reserve(capacity); }

inline Dictionary::iterator Dictionary::lower_bound(std::u16string_view key)
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), key,
        [](const value_type& entry, std::u16string_view k) { return std::u16string_view(entry.first) < k; });
}

inline Dictionary::const_iterator Dictionary::lower_bound(std::u16string_view key) const
{
    return const_cast<Dictionary*>(this)->lower_bound(key);
}

inline Dictionary::iterator Dictionary::find(std::u16string_view key)
{
    // Most dictionaries hold a handful of entries: they are scanned, each
    // key's length (held in the entry) compared before its characters, so a
    // lookup reads the characters of the keys of the same length alone (a
    // binary search reads those of every key it passes, each a cache miss
    // in a dictionary not read lately).
    if (m_entries.size() <= LinearLookupSize) {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->first.size() == key.size() && std::u16string_view(it->first) == key)
                return it;
        }
        return m_entries.end();
    }
    auto it = lower_bound(key);
    return it != m_entries.end() && it->first == key ? it : m_entries.end();
}

inline Dictionary::const_iterator Dictionary::find(std::u16string_view key) const
{
    return const_cast<Dictionary*>(this)->find(key);
}

inline bool Dictionary::contains(std::u16string_view key) const { return find(key) != end(); }

inline Value& Dictionary::at(std::u16string_view key)
{
    auto it = find(key);
    if (it == m_entries.end())
        throw std::out_of_range("Dictionary::at: no such key");
    return it->second;
}

inline const Value& Dictionary::at(std::u16string_view key) const { return const_cast<Dictionary*>(this)->at(key); }

inline std::pair<Dictionary::iterator, bool> Dictionary::slot(std::u16string_view key)
{
    // Keys often arrive in order: appending needs no search.
    if (m_entries.empty() || std::u16string_view(m_entries.back().first) < key)
        return { m_entries.end(), false };
    auto it = lower_bound(key);
    return { it, it->first == key };
}

inline Value& Dictionary::operator[](std::u16string_view key)
{
    auto [it, found] = slot(key);
    if (found)
        return it->second;
    return m_entries.emplace(it, std::u16string(key), Value())->second;
}

inline std::pair<Dictionary::iterator, bool> Dictionary::insert(value_type entry)
{
    auto [it, found] = slot(entry.first);
    if (found)
        return { it, false };
    return { m_entries.insert(it, std::move(entry)), true };
}

template<typename Iterator>
void Dictionary::insert(Iterator first, Iterator last)
{
    for (; first != last; ++first)
        insert(value_type(*first));
}

template<typename... Arguments>
std::pair<Dictionary::iterator, bool> Dictionary::try_emplace(std::u16string_view key, Arguments&&... arguments)
{
    auto [it, found] = slot(key);
    if (found)
        return { it, false };
    return { m_entries.emplace(it, std::piecewise_construct, std::forward_as_tuple(key),
                 std::forward_as_tuple(std::forward<Arguments>(arguments)...)),
        true };
}

template<typename Key, typename... Arguments>
std::pair<Dictionary::iterator, bool> Dictionary::emplace(Key&& key, Arguments&&... arguments)
{
    if constexpr (std::is_same_v<std::remove_cvref_t<Key>, value_type> && sizeof...(Arguments) == 0) {
        return insert(value_type(std::forward<Key>(key)));
    } else {
        std::u16string_view view(key);
        auto [it, found] = slot(view);
        if (found)
            return { it, false };
        return { m_entries.emplace(it, std::u16string(std::forward<Key>(key)), Value(std::forward<Arguments>(arguments)...)),
            true };
    }
}

template<typename V>
std::pair<Dictionary::iterator, bool> Dictionary::insert_or_assign(std::u16string_view key, V&& value)
{
    auto [it, found] = slot(key);
    if (found) {
        it->second = std::forward<V>(value);
        return { it, false };
    }
    return { m_entries.emplace(it, std::u16string(key), std::forward<V>(value)), true };
}

inline Dictionary::size_type Dictionary::erase(std::u16string_view key)
{
    auto it = find(key);
    if (it == m_entries.end())
        return 0;
    m_entries.erase(it);
    return 1;
}

inline Dictionary::iterator Dictionary::erase(const_iterator position) { return m_entries.erase(position); }

inline Dictionary::iterator Dictionary::erase(const_iterator first, const_iterator last)
{
    return m_entries.erase(first, last);
}

inline void Dictionary::insert(std::initializer_list<value_type> entries) { insert(entries.begin(), entries.end()); }
inline void Dictionary::swap(Dictionary& other) noexcept { m_entries.swap(other.m_entries); }

template<typename Predicate>
Dictionary::size_type erase_if(Dictionary& dictionary, Predicate predicate)
{
    return std::erase_if(dictionary.m_entries, predicate);
}

inline bool operator==(const Dictionary& a, const Dictionary& b) { return a.m_entries == b.m_entries; }

} // namespace brevanton
