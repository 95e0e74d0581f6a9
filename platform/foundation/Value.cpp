#include "platform/foundation/Value.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace brevanton {

Value::Value(Array a) : m_storage(std::make_unique<ArrayBox>(ArrayBox { std::move(a) })) {}
Value::Value(Dictionary d) : m_storage(std::make_unique<DictionaryBox>(DictionaryBox { std::move(d) })) {}
Value::~Value() = default;

namespace {

// Whether the last order puts the members' keys in strictly increasing order.
bool orderFits(std::span<const Dictionary::value_type> members, const std::array<uint8_t, 64>& order)
{
    for (size_t i = 1; i < members.size(); ++i) {
        if (!(members[order[i - 1]].first < members[order[i]].first))
            return false;
    }
    return true;
}

// Moves the members to `sorted`, which is empty, in the order of `places`.
void moveInOrder(std::span<Dictionary::value_type> members, const std::array<uint8_t, 64>& places, Dictionary::Storage& sorted)
{
    sorted.reserve(members.size());
    for (size_t i = 0; i < members.size(); ++i)
        sorted.push_back(std::move(members[places[i]]));
}

} // namespace

void Dictionary::sortAndDropRepeats(RepeatedKeys repeats, MemberOrder* lastOrder)
{
    auto less = [](const value_type& a, const value_type& b) { return a.first < b.first; };
    auto notIncreasing = [](const value_type& a, const value_type& b) { return !(a.first < b.first); };
    if (std::adjacent_find(m_entries.begin(), m_entries.end(), notIncreasing) == m_entries.end())
        return; // strictly increasing: already sorted and free of repeats
    if (m_entries.size() <= 64) {
        // Objects read from files and replies have a few dozen members at
        // most: their places are sorted by insertion (stable, no buffer),
        // then each entry moves once.
        size_t count = m_entries.size();
        bool reused = lastOrder && lastOrder->m_count == count && orderFits(m_entries, lastOrder->m_places);
        std::array<uint8_t, 64> sortedOrder;
        if (!reused) {
            for (size_t i = 0; i < count; ++i) {
                size_t j = i;
                for (; j > 0 && m_entries[i].first < m_entries[sortedOrder[j - 1]].first; --j)
                    sortedOrder[j] = sortedOrder[j - 1];
                sortedOrder[j] = static_cast<uint8_t>(i);
            }
            if (lastOrder) {
                lastOrder->m_places = sortedOrder;
                lastOrder->m_count = count;
            }
        }
        const auto& order = reused ? lastOrder->m_places : sortedOrder;
        Storage sorted;
        moveInOrder(m_entries, order, sorted);
        m_entries = std::move(sorted);
        if (reused)
            return; // no key repeated
    } else {
        std::stable_sort(m_entries.begin(), m_entries.end(), less);
    }
    // Equal keys now sit together in their original order.
    size_t kept = 0;
    for (size_t i = 0; i < m_entries.size();) {
        size_t runEnd = i + 1;
        while (runEnd < m_entries.size() && m_entries[runEnd].first == m_entries[i].first)
            ++runEnd;
        size_t chosen = repeats == RepeatedKeys::KeepFirst ? i : runEnd - 1;
        if (kept != chosen)
            m_entries[kept] = std::move(m_entries[chosen]);
        ++kept;
        i = runEnd;
    }
    m_entries.erase(m_entries.begin() + static_cast<ptrdiff_t>(kept), m_entries.end());
}

Dictionary Dictionary::fromMembers(Storage members)
{
    Dictionary dictionary;
    dictionary.m_entries = std::move(members);
    dictionary.sortAndDropRepeats(RepeatedKeys::KeepLast);
    return dictionary;
}

Dictionary Dictionary::fromMembers(std::span<value_type> members, MemberOrder& lastOrder)
{
    Dictionary dictionary;
    // Members in the last order are placed by it, as sortAndDropRepeats()
    // would place them, without a first copy in reading order.
    if (members.size() > 1 && members.size() == lastOrder.m_count && orderFits(members, lastOrder.m_places)) {
        moveInOrder(members, lastOrder.m_places, dictionary.m_entries);
        return dictionary;
    }
    dictionary.m_entries.assign(std::make_move_iterator(members.begin()), std::make_move_iterator(members.end()));
    dictionary.sortAndDropRepeats(RepeatedKeys::KeepLast, &lastOrder);
    return dictionary;
}

Value::Value(const Value& other)
{
    *this = other;
}

Value& Value::operator=(const Value& other)
{
    if (this == &other)
        return *this;
    switch (other.type()) {
    case Type::Array:
        m_storage = std::make_unique<ArrayBox>(*std::get<std::unique_ptr<ArrayBox>>(other.m_storage));
        break;
    case Type::Dictionary:
        m_storage = std::make_unique<DictionaryBox>(*std::get<std::unique_ptr<DictionaryBox>>(other.m_storage));
        break;
    case Type::Null: m_storage = std::monostate {}; break;
    case Type::Boolean: m_storage = std::get<bool>(other.m_storage); break;
    case Type::Integer: m_storage = std::get<int64_t>(other.m_storage); break;
    case Type::Real: m_storage = std::get<double>(other.m_storage); break;
    case Type::String: m_storage = std::get<std::u16string>(other.m_storage); break;
    case Type::Data: m_storage = std::get<Data>(other.m_storage); break;
    case Type::Date: m_storage = std::get<Date>(other.m_storage); break;
    }
    return *this;
}

const Value& Value::null()
{
    static const Value nullValue;
    return nullValue;
}

bool Value::boolValue(bool fallback) const
{
    switch (type()) {
    case Type::Boolean: return std::get<bool>(m_storage);
    case Type::Integer: return std::get<int64_t>(m_storage) != 0;
    case Type::Real: return std::get<double>(m_storage) != 0;
    case Type::String: {
        // Property-list strings such as "YES", "true" or "1" read as true.
        const auto& s = std::get<std::u16string>(m_storage);
        if (s.empty())
            return fallback;
        char16_t c = s[0];
        return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
    }
    default: return fallback;
    }
}

int64_t Value::integerValue(int64_t fallback) const
{
    switch (type()) {
    case Type::Boolean: return std::get<bool>(m_storage) ? 1 : 0;
    case Type::Integer: return std::get<int64_t>(m_storage);
    case Type::Real: {
        double d = std::get<double>(m_storage);
        if (std::isnan(d))
            return fallback;
        if (d >= 9.2233720368547758e18)
            return INT64_MAX;
        if (d <= -9.2233720368547758e18)
            return INT64_MIN;
        return static_cast<int64_t>(d);
    }
    case Type::String: {
        std::string s = toUTF8(std::get<std::u16string>(m_storage));
        char* end = nullptr;
        long long v = std::strtoll(s.c_str(), &end, 10);
        return end == s.c_str() ? fallback : v;
    }
    default: return fallback;
    }
}

double Value::doubleValue(double fallback) const
{
    switch (type()) {
    case Type::Boolean: return std::get<bool>(m_storage) ? 1 : 0;
    case Type::Integer: return static_cast<double>(std::get<int64_t>(m_storage));
    case Type::Real: return std::get<double>(m_storage);
    case Type::String: {
        std::string s = toUTF8(std::get<std::u16string>(m_storage));
        char* end = nullptr;
        double v = std::strtod(s.c_str(), &end);
        return end == s.c_str() ? fallback : v;
    }
    default: return fallback;
    }
}

const std::u16string& Value::string() const
{
    BREVANTON_ASSERT(isString(), "Value is not a string");
    return std::get<std::u16string>(m_storage);
}

std::u16string Value::stringValue(const std::u16string& fallback) const
{
    return isString() ? std::get<std::u16string>(m_storage) : fallback;
}

const Data& Value::data() const
{
    BREVANTON_ASSERT(isData(), "Value is not data");
    return std::get<Data>(m_storage);
}

Date Value::date() const
{
    BREVANTON_ASSERT(isDate(), "Value is not a date");
    return std::get<Date>(m_storage);
}

const Array& Value::array() const
{
    BREVANTON_ASSERT(isArray(), "Value is not an array");
    return std::get<std::unique_ptr<ArrayBox>>(m_storage)->value;
}

Array& Value::array()
{
    if (isNull())
        m_storage = std::make_unique<ArrayBox>();
    BREVANTON_ASSERT(isArray(), "Value is not an array");
    return std::get<std::unique_ptr<ArrayBox>>(m_storage)->value;
}

const Dictionary& Value::dictionary() const
{
    BREVANTON_ASSERT(isDictionary(), "Value is not a dictionary");
    return std::get<std::unique_ptr<DictionaryBox>>(m_storage)->value;
}

Dictionary& Value::dictionary()
{
    if (isNull())
        m_storage = std::make_unique<DictionaryBox>();
    BREVANTON_ASSERT(isDictionary(), "Value is not a dictionary");
    return std::get<std::unique_ptr<DictionaryBox>>(m_storage)->value;
}

const Value* Value::find(std::u16string_view key) const
{
    if (!isDictionary())
        return nullptr;
    const auto& d = dictionary();
    auto it = d.find(key);
    return it == d.end() ? nullptr : &it->second;
}

const Value& Value::operator[](std::u16string_view key) const
{
    const Value* v = find(key);
    return v ? *v : null();
}

void Value::set(std::u16string key, Value value)
{
    dictionary()[std::move(key)] = std::move(value);
}

size_t Value::count() const
{
    if (isArray())
        return array().size();
    if (isDictionary())
        return dictionary().size();
    return 0;
}

namespace {

// Lengths first, then the bytes at once: the standard library compares two
// char16_t strings unit by unit, to the end of the shorter one even when
// their lengths differ.
bool sameText(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

} // namespace

bool operator==(const Value& a, const Value& b)
{
    using Type = Value::Type;
    if ((a.isInteger() || a.isReal()) && (b.isInteger() || b.isReal())) {
        if (a.isInteger() && b.isInteger())
            return a.integerValue() == b.integerValue();
        return a.doubleValue() == b.doubleValue();
    }
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Type::Null: return true;
    case Type::Boolean: return a.boolValue() == b.boolValue();
    case Type::String: return sameText(a.string(), b.string());
    case Type::Data: return a.data() == b.data();
    case Type::Date: return a.date() == b.date();
    case Type::Array: return a.array() == b.array();
    case Type::Dictionary: return a.dictionary() == b.dictionary();
    default: return false;
    }
}

namespace {

void appendQuoted(std::string& out, const std::u16string& s)
{
    out += '"';
    for (char c : toUTF8(s)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    out += '"';
}

void describe(const Value& v, std::string& out, int indent)
{
    using Type = Value::Type;
    std::string pad(static_cast<size_t>(indent) * 4, ' ');
    switch (v.type()) {
    case Type::Null: out += "null"; break;
    case Type::Boolean: out += v.boolValue() ? "true" : "false"; break;
    case Type::Integer: out += std::to_string(v.integerValue()); break;
    case Type::Real: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", v.doubleValue());
        out += buffer;
        break;
    }
    case Type::String: appendQuoted(out, v.string()); break;
    case Type::Data: {
        static const char* hex = "0123456789abcdef";
        out += '<';
        for (uint8_t byte : v.data()) {
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
        out += '>';
        break;
    }
    case Type::Date: {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "date(%.3f)", v.date().timeIntervalSince1970());
        out += buffer;
        break;
    }
    case Type::Array:
        if (v.array().empty()) {
            out += "()";
            break;
        }
        out += "(\n";
        for (size_t i = 0; i < v.array().size(); ++i) {
            out += pad + "    ";
            describe(v.array()[i], out, indent + 1);
            out += i + 1 < v.array().size() ? ",\n" : "\n";
        }
        out += pad + ")";
        break;
    case Type::Dictionary:
        if (v.dictionary().empty()) {
            out += "{}";
            break;
        }
        out += "{\n";
        for (const auto& [key, value] : v.dictionary()) {
            out += pad + "    ";
            appendQuoted(out, key);
            out += " = ";
            describe(value, out, indent + 1);
            out += ";\n";
        }
        out += pad + "}";
        break;
    }
}

} // namespace

std::string Value::description() const
{
    std::string out;
    describe(*this, out, 0);
    return out;
}

std::ostream& operator<<(std::ostream& stream, const Value& value)
{
    return stream << value.description();
}

} // namespace brevanton
