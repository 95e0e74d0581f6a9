#include "platform/foundation/JSONReader.h"

#include "platform/foundation/HexDigits.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UTF8SequenceLength.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace brevanton {

namespace {

// Deeper nesting than this is refused: no real document needs it, and
// destroying such a tree would exhaust the stack.
constexpr size_t maximumDepth = 512;

class ValueBuilder {
public:
    using number_integer_t = int64_t;
    using number_unsigned_t = uint64_t;
    using number_float_t = double;
    using string_t = std::string;
    using binary_t = nlohmann::json::binary_t;

    bool null() { return add(Value()); }
    bool boolean(bool b) { return add(Value(b)); }
    bool number_integer(int64_t i) { return add(Value(i)); }
    bool number_unsigned(uint64_t u)
    {
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return add(Value(static_cast<double>(u)));
        return add(Value(static_cast<int64_t>(u)));
    }
    bool number_float(double d, const std::string&) { return add(Value(d)); }
    bool string(std::string& s) { return add(Value(toUTF16(s))); }
    bool binary(binary_t&) { return add(Value()); }

    bool start_object(size_t) { return open(true); }
    bool key(std::string& k)
    {
        m_stack.back().key = toUTF16(k);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(size_t) { return open(false); }
    bool end_array() { return close(); }

    bool parse_error(size_t position, const std::string&, const nlohmann::detail::exception& exception)
    {
        m_errorPosition = position;
        m_errorMessage = exception.what();
        return false;
    }

    bool tooDeep() const { return m_tooDeep; }
    size_t errorPosition() const { return m_errorPosition; }
    const std::string& errorMessage() const { return m_errorMessage; }
    Value takeResult() { return std::move(m_result); }

private:
    struct Frame {
        bool isObject;
        Array array;
        // An object's members in reading order: the dictionary is built once
        // it ends, and a repeated name keeps its last value.
        Dictionary::Storage members;
        std::u16string key;
    };

    bool open(bool isObject)
    {
        if (m_stack.size() >= maximumDepth) {
            m_tooDeep = true;
            return false;
        }
        m_stack.push_back(Frame { isObject, {}, {}, {} });
        return true;
    }

    bool close()
    {
        Frame frame = std::move(m_stack.back());
        m_stack.pop_back();
        if (frame.isObject)
            return add(Value(Dictionary::fromMembers(std::move(frame.members))));
        return add(Value(std::move(frame.array)));
    }

    bool add(Value value)
    {
        if (m_stack.empty()) {
            m_result = std::move(value);
            return true;
        }
        Frame& top = m_stack.back();
        if (top.isObject)
            top.members.emplace_back(std::move(top.key), std::move(value));
        else
            top.array.push_back(std::move(value));
        return true;
    }

    std::vector<Frame> m_stack;
    Value m_result;
    bool m_tooDeep { false };
    size_t m_errorPosition { 0 };
    std::string m_errorMessage;
};

Error parseError(std::string_view text, size_t offset, std::string_view reason)
{
    if (offset > text.size())
        offset = text.size();
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t column = offset - lineStart + 1;
    std::string description = "The data couldn\u2019t be read because it isn\u2019t in the correct format: "
        + std::string(reason) + " around line " + std::to_string(line) + ", column " + std::to_string(column)
        + " (byte " + std::to_string(offset) + ").";
    Error error(CocoaErrorDomain, JSONReadingError, toUTF16(description));
    error.userInfo()[JSONErrorIndexKey] = Value(static_cast<int64_t>(offset));
    return error;
}

// "[json.exception.parse_error.101] parse error at line 1, column 5: syntax error ..." -> "syntax error ..."
std::string reasonFromMessage(const std::string& message)
{
    size_t column = message.find("column ");
    size_t colon = message.find(": ", column == std::string::npos ? 0 : column);
    if (column != std::string::npos && colon != std::string::npos)
        return message.substr(colon + 2);
    // "[json.exception.out_of_range.406] number overflow ..." -> "number overflow ..."
    if (message.starts_with("[json.exception.")) {
        size_t end = message.find("] ");
        if (end != std::string::npos)
            return message.substr(end + 2);
    }
    return message;
}

// The code unit of a "\uXXXX" escape at `at`; -1 when there is none.
int escapedUnitAt(std::string_view text, size_t at)
{
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u')
        return -1;
    int unit = 0;
    for (size_t i = at + 2; i < at + 6; ++i) {
        int digit = hexDigitValue(text[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// The text with what no string may hold as Unicode marked by U+FFFF (see
// JSONReadingOptions); nullopt when it holds nothing to mark. Outside
// strings nothing changes: the parser judges it.
std::optional<std::string> withUndecodableTextMarked(std::string_view text)
{
    static constexpr std::string_view escapedMark = "\\uffff";
    std::optional<std::string> marked;
    size_t copiedUpTo = 0;
    auto replace = [&](size_t at, size_t length, std::string_view with) {
        if (!marked) {
            marked.emplace();
            marked->reserve(text.size() + 16);
        }
        marked->append(text.substr(copiedUpTo, at - copiedUpTo));
        marked->append(with);
        copiedUpTo = at + length;
    };
    bool inString = false;
    size_t index = 0;
    while (index < text.size()) {
        auto byte = static_cast<unsigned char>(text[index]);
        if (!inString) {
            inString = byte == '"';
            ++index;
            continue;
        }
        if (byte == '"') {
            inString = false;
            ++index;
        } else if (byte == '\\') {
            int unit = escapedUnitAt(text, index);
            if (unit < 0) {
                index += 2;
            } else if (unit >= 0xD800 && unit <= 0xDBFF) {
                int low = escapedUnitAt(text, index + 6);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    index += 12;
                } else {
                    replace(index, 6, escapedMark);
                    index += 6;
                }
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                replace(index, 6, escapedMark);
                index += 6;
            } else {
                index += 6;
            }
        } else if (byte < 0x20) {
            replace(index, 1, escapedMark);
            ++index;
        } else if (byte < 0x80) {
            ++index;
        } else if (size_t length = multibyteUTF8SequenceLength(text, index)) {
            index += length;
        } else {
            replace(index, 1, "\xEF\xBF\xBF");
            ++index;
        }
    }
    if (marked)
        marked->append(text.substr(std::min(copiedUpTo, text.size())));
    return marked;
}

} // namespace

std::optional<Value> readJSON(std::string_view text, Error* outError, JSONReadingOptions options)
{
    std::string_view body = text;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    size_t bomLength = text.size() - body.size();
    std::optional<std::string> marked;
    if (options.markUndecodableText && (marked = withUndecodableTextMarked(body)))
        body = *marked;

    ValueBuilder builder;
    bool parsed = nlohmann::json::sax_parse(body.begin(), body.end(), &builder);
    if (!parsed) {
        if (builder.tooDeep()) {
            setError(outError, parseError(text, bomLength, "nesting deeper than 512 levels"));
            return std::nullopt;
        }
        // The parser reports the number of bytes read up to and including the offending one.
        size_t position = builder.errorPosition();
        size_t offset = bomLength + (position > 0 ? position - 1 : 0);
        setError(outError, parseError(text, offset, reasonFromMessage(builder.errorMessage())));
        return std::nullopt;
    }
    Value result = builder.takeResult();
    if (!options.fragmentsAllowed && !result.isArray() && !result.isDictionary()) {
        setError(outError, parseError(text, bomLength, "the top-level value is neither an array nor an object"));
        return std::nullopt;
    }
    return result;
}

std::optional<Value> readJSON(const Data& bytes, Error* outError, JSONReadingOptions options)
{
    return readJSON(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), outError, options);
}

} // namespace brevanton
