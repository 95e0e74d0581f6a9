// VornickJSONWriter: writes JSON text by explicit calls (open and close
// objects, keys with values, arrays through element writers) or from whole
// value trees, into one growing buffer. It refuses to nest deeper than 32
// containers and records the first misuse as an error instead of stopping;
// the text is handed out only when no error was recorded.
#pragma once

#include "toolkit/VornickErrors.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class VornickMutableOrderedDictionary;


class VornickJSONWriter {
public:
    enum Options : uint64_t {
        PrettyPrint = 1,      // newlines, two spaces per level, " : " after keys
        NumbersAsStrings = 2, // numbers written as their decimal text in quotes
    };
    static constexpr int MaximumDepth = 32;

    using Writer = std::function<void()>;
    using ElementWriter = std::function<void(const Value& element)>;
    using KeyValuePairWriter = std::function<void(const std::u16string& key, const Value& value)>;

    explicit VornickJSONWriter(uint64_t options = 0);

    uint64_t options() const { return m_options; }
    // Stored only; the layout follows the PrettyPrint option.
    bool prettyPrint() const { return m_prettyPrint; }
    void setPrettyPrint(bool prettyPrint) { m_prettyPrint = prettyPrint; }

    // Objects.
    void beginDictionary();
    void endDictionary();
    // Inside an object: the key, then whatever `valueWriter` writes. An empty
    // key writes nothing.
    void writeKey(std::u16string_view key, const Writer& valueWriter);

    // Conditional writers: the key and its value, unless the value is
    // missing (nullptr / nullopt) or empty.
    void conditionalWriteKeyStringValue(std::u16string_view key, const std::u16string* string);
    void conditionalWriteKeyStringValue(std::u16string_view key, std::u16string_view string);
    void conditionalWriteKeyNumberValue(std::u16string_view key, const Value* number);
    // By the value's type: strings (not when empty), dates (ISO 8601), numbers,
    // arrays (elements through writeValue; not when empty), dictionaries
    // (pairs in case-insensitive key order; not when empty), data (Base64),
    // null as `null`. A missing value writes nothing. Only the value given
    // here is left out when empty: an empty list or dictionary inside it is
    // written, so that the tree reads back whole.
    void conditionalWriteKeyValue(std::u16string_view key, const Value* value);
    void conditionalWriteKeyValue(std::u16string_view key, const Value& value) { conditionalWriteKeyValue(key, &value); }
    void conditionalWriteKeyArrayValue(std::u16string_view key, const Array* array, const ElementWriter& elementWriter);
    void conditionalWriteKeyDictionaryValue(std::u16string_view key, const Dictionary* dictionary,
                                            const KeyValuePairWriter& pairWriter);

    // Values at the current place.
    void writeValue(const Value&);
    void writeStringValue(std::u16string_view);
    void writeNumberValue(const Value* number);
    // `true` or `false` (writeValue writes a boolean as the number 1 or 0).
    void writeBooleanValue(bool);
    void writeDataValue(const Data* data);
    // Keys sorted by code unit; pairs as conditionalWriteKeyValue writes
    // them, except that empty lists and dictionaries are written.
    void writeDictionary(const Dictionary&);
    // Keys in insertion order.
    void writeDictionary(const VornickMutableOrderedDictionary&);
    void writeArrayValue(const Array* array, const ElementWriter& elementWriter);

    // The text, or nullopt with the first recorded error.
    [[nodiscard]] std::optional<std::u16string> jsonStringReturningErrorIn(Error* outError) const;
    // The same as UTF-8.
    [[nodiscard]] std::optional<std::string> jsonDataReturningErrorIn(Error* outError) const;

    // Whether an error was recorded, and which.
    bool hasError() const { return !m_error.isEmpty(); }
    const Error& error() const { return m_error; }

    // The escaped form of a string for inside JSON quotes (UTF-16).
    static std::u16string stringValueEscapedForJSON(std::u16string_view);

private:
    enum class Kind : uint8_t { None = 0, Object = 1, Array = 2 };

    void recordError(int64_t code, std::string_view condition, std::string_view method);
    void writeMemberPrefix();
    void writeClose(char bracket);
    void writeIndent(int64_t level);
    void appendEscaped(std::u16string_view);
    void appendQuoted(std::u16string_view);
    void writeNumber(const Value&);
    void writeDate(Date);
    void writeBase64(const Data&);
    bool openContainer(Kind, std::string_view method);
    void writeValueTree(const Value&);
    // A key and its value, left out when the value is missing or an empty
    // string, and when an empty container unless `keepEmptyContainers`.
    void writeKeyValue(std::u16string_view key, const Value*, bool keepEmptyContainers);
    void writeDictionaryPairs(const Dictionary&, bool caseInsensitiveOrder);
    Kind innermost() const { return m_top > 0 ? m_contextStack[m_top - 1] : Kind::None; }

    // The text written so far, UTF-8. Grows by doubling and is never
    // zero-filled, so escaping can reserve the worst case cheaply.
    class Buffer {
    public:
        char* reserve(size_t extra)
        {
            if (m_size + extra > m_capacity)
                grow(extra);
            return m_data.get() + m_size;
        }
        void commit(const char* end) { m_size = static_cast<size_t>(end - m_data.get()); }
        void append(const char* bytes, size_t length)
        {
            char* out = reserve(length);
            std::memcpy(out, bytes, length);
            m_size += length;
        }
        void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }
        void append(size_t count, char c)
        {
            char* out = reserve(count);
            std::memset(out, c, count);
            m_size += count;
        }
        void push_back(char c)
        {
            *reserve(1) = c;
            ++m_size;
        }
        size_t size() const { return m_size; }
        std::string_view view() const { return std::string_view(m_data.get(), m_size); }

    private:
        void grow(size_t extra);
        std::unique_ptr<char[]> m_data;
        size_t m_size { 0 };
        size_t m_capacity { 0 };
    };

    Buffer m_json;
    Error m_error;
    Kind m_contextStack[MaximumDepth] {};
    int64_t m_top { 0 };
    int64_t m_indentLevel { 0 };
    bool m_firstInContainer { true };
    uint64_t m_options { 0 };
    bool m_prettyPrint { false };
};

} // namespace brevanton
