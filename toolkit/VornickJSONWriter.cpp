#include "toolkit/VornickJSONWriter.h"

#include "toolkit/VornickMutableOrderedDictionary.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Text.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace brevanton {

namespace {

bool isASCII(std::u16string_view text)
{
    for (char16_t c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

bool hasASCIIUppercaseOrNonASCII(std::u16string_view text)
{
    for (char16_t c : text) {
        if (c >= 0x80 || (c >= u'A' && c <= u'Z'))
            return true;
    }
    return false;
}

// Case-insensitive order as compareIgnoringCase gives it, without ICU for ASCII.
bool caseInsensitiveLess(std::u16string_view a, std::u16string_view b)
{
    if (isASCII(a) && isASCII(b)) {
        size_t length = std::min(a.size(), b.size());
        for (size_t i = 0; i < length; ++i) {
            char16_t ca = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
            char16_t cb = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
            if (ca != cb)
                return ca < cb;
        }
        return a.size() < b.size();
    }
    return compareIgnoringCase(a, b) < 0;
}

// Characters escaped as \uXXXX besides the named escapes: controls (Cc) and
// format characters (Cf) of the Basic Multilingual Plane.
inline bool needsUnicodeEscape(char16_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    if (c < 0xA0)
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return u_charType(c) == U_FORMAT_CHAR;
}

const char hexDigits[] = "0123456789abcdef";

constexpr char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string elementsText(const Array* array)
{
    return array ? "(" + std::to_string(array->size()) + " elements)" : std::string("nil");
}

} // namespace

void VornickJSONWriter::Buffer::grow(size_t extra)
{
    size_t capacity = std::max({ m_capacity * 2, m_size + extra, size_t(4096) });
    std::unique_ptr<char[]> data(new char[capacity]);
    if (m_size)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
}

VornickJSONWriter::VornickJSONWriter(uint64_t options)
    : m_options(options)
{
}

void VornickJSONWriter::recordError(int64_t code, std::string_view condition, std::string_view method)
{
    if (!m_error.isEmpty())
        return;
    std::string message = "-[JSONWriter " + std::string(method) + "] failed (" + std::string(condition) + ")";
    if (code == VornickJSONWriterErrorTreeTooDeep)
        message += ", top=" + std::to_string(m_top);
    else if (code == VornickJSONWriterErrorNotInsideDictionary || code == VornickJSONWriterErrorNotInsideArray)
        message += ", stack[top=" + std::to_string(m_top) + "]=" + std::to_string(static_cast<int>(innermost()))
            + ", indentLevel=" + std::to_string(m_indentLevel);
    m_error = Error(VornickErrorDomain, code, toUTF16(message));
}

void VornickJSONWriter::writeIndent(int64_t level)
{
    if (level > 0)
        m_json.append(static_cast<size_t>(level) * 2, ' ');
}

void VornickJSONWriter::writeMemberPrefix()
{
    bool pretty = m_options & PrettyPrint;
    if (!m_firstInContainer)
        m_json.append(pretty ? ",\n" : ",");
    if (pretty)
        writeIndent(m_indentLevel);
    m_firstInContainer = false;
}

void VornickJSONWriter::writeClose(char bracket)
{
    if (m_options & PrettyPrint) {
        m_json.push_back('\n');
        writeIndent(m_indentLevel);
    }
    m_json.push_back(bracket);
    m_firstInContainer = false;
}

bool VornickJSONWriter::openContainer(Kind kind, std::string_view method)
{
    if (m_top >= MaximumDepth) {
        recordError(VornickJSONWriterErrorTreeTooDeep, "tree too deep", method);
        return false;
    }
    m_contextStack[m_top++] = kind;
    ++m_indentLevel;
    m_firstInContainer = true;
    m_json.push_back(kind == Kind::Object ? '{' : '[');
    if (m_options & PrettyPrint)
        m_json.push_back('\n');
    return true;
}

void VornickJSONWriter::beginDictionary()
{
    openContainer(Kind::Object, "beginDictionary");
}

void VornickJSONWriter::endDictionary()
{
    if (m_top == 0 || m_indentLevel == 0 || innermost() != Kind::Object)
        recordError(VornickJSONWriterErrorNotInsideDictionary, "not inside a dictionary", "endDictionary");
    else {
        --m_top;
        --m_indentLevel;
    }
    writeClose('}');
}

void VornickJSONWriter::writeKey(std::u16string_view key, const Writer& valueWriter)
{
    if (innermost() != Kind::Object) {
        recordError(VornickJSONWriterErrorNotInsideDictionary, "not inside a dictionary",
                    "conditionalWriteKey:\"" + toUTF8(key) + "\" stringValue:");
        return;
    }
    if (key.empty())
        return;
    writeMemberPrefix();
    appendQuoted(key);
    m_json.append((m_options & PrettyPrint) ? " : " : ":");
    size_t before = m_json.size();
    if (valueWriter)
        valueWriter();
    // A key without a value would make the text invalid.
    if (m_json.size() == before)
        m_json.append("null");
}

void VornickJSONWriter::conditionalWriteKeyStringValue(std::u16string_view key, const std::u16string* string)
{
    if (!string || string->empty())
        return;
    conditionalWriteKeyStringValue(key, std::u16string_view(*string));
}

void VornickJSONWriter::conditionalWriteKeyStringValue(std::u16string_view key, std::u16string_view string)
{
    if (string.empty())
        return;
    writeKey(key, [&] { appendQuoted(string); });
}

void VornickJSONWriter::conditionalWriteKeyNumberValue(std::u16string_view key, const Value* number)
{
    if (!number)
        return;
    writeKey(key, [&] { writeNumber(*number); });
}

void VornickJSONWriter::conditionalWriteKeyValue(std::u16string_view key, const Value* value)
{
    writeKeyValue(key, value, false);
}

void VornickJSONWriter::writeKeyValue(std::u16string_view key, const Value* value, bool keepEmptyContainers)
{
    if (!value)
        return;
    switch (value->type()) {
    case Value::Type::String:
        if (value->string().empty())
            return;
        break;
    case Value::Type::Array:
        if (value->array().empty() && !keepEmptyContainers)
            return;
        break;
    case Value::Type::Dictionary:
        if (value->dictionary().empty() && !keepEmptyContainers)
            return;
        break;
    default:
        break;
    }
    writeKey(key, [&] {
        // A dictionary too deep to open is written as null.
        if (!value->isDictionary())
            writeValueTree(*value);
        else if (openContainer(Kind::Object, "beginDictionary")) {
            writeDictionaryPairs(value->dictionary(), true);
            endDictionary();
        }
    });
}

void VornickJSONWriter::conditionalWriteKeyArrayValue(std::u16string_view key, const Array* array,
                                                      const ElementWriter& elementWriter)
{
    if (!array)
        return;
    if (innermost() != Kind::Object) {
        recordError(VornickJSONWriterErrorNotInsideDictionary, "not inside a dictionary",
                    "conditionalWriteKey:\"" + toUTF8(key) + "\" arrayValue:" + elementsText(array)
                        + " usingElementWriter:");
        return;
    }
    if (key.empty() || array->empty())
        return;
    writeKey(key, [&] { writeArrayValue(array, elementWriter); });
}

void VornickJSONWriter::conditionalWriteKeyDictionaryValue(std::u16string_view key, const Dictionary* dictionary,
                                                           const KeyValuePairWriter& pairWriter)
{
    if (!dictionary)
        return;
    if (innermost() != Kind::Object) {
        recordError(VornickJSONWriterErrorNotInsideDictionary, "not inside a dictionary",
                    "conditionalWriteKey:\"" + toUTF8(key) + "\" dictionaryValue:(" + std::to_string(dictionary->size())
                        + " elements) usingElementWriter:");
        return;
    }
    if (key.empty() || dictionary->empty())
        return;
    writeKey(key, [&] {
        beginDictionary();
        std::vector<const Dictionary::value_type*> pairs;
        pairs.reserve(dictionary->size());
        for (const auto& pair : *dictionary)
            pairs.push_back(&pair);
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](auto* a, auto* b) { return caseInsensitiveLess(a->first, b->first); });
        for (auto* pair : pairs) {
            if (pairWriter)
                pairWriter(pair->first, pair->second);
        }
        endDictionary();
    });
}

void VornickJSONWriter::writeValue(const Value& value)
{
    writeValueTree(value);
}

void VornickJSONWriter::writeValueTree(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        m_json.append("null");
        return;
    case Value::Type::Boolean:
    case Value::Type::Integer:
    case Value::Type::Real:
        writeNumber(value);
        return;
    case Value::Type::String:
        appendQuoted(value.string());
        return;
    case Value::Type::Data:
        writeBase64(value.data());
        return;
    case Value::Type::Date:
        writeDate(value.date());
        return;
    case Value::Type::Dictionary:
        writeDictionary(value.dictionary());
        return;
    case Value::Type::Array: {
        const Array& array = value.array();
        if (!openContainer(Kind::Array, "writeArrayValue:" + elementsText(&array) + " usingElementWriter:")) {
            m_json.append("null");
            return;
        }
        bool pretty = m_options & PrettyPrint;
        for (const Value& element : array) {
            if (!m_firstInContainer)
                m_json.append(pretty ? ",\n" : ",");
            if (pretty)
                writeIndent(m_indentLevel);
            m_firstInContainer = false;
            writeValueTree(element);
        }
        if (m_top == 0 || innermost() != Kind::Array)
            recordError(VornickJSONWriterErrorNotInsideArray, "not inside an array",
                        "writeArrayValue:" + elementsText(&array) + " usingElementWriter:");
        else {
            --m_top;
            --m_indentLevel;
        }
        writeClose(']');
        return;
    }
    }
}

void VornickJSONWriter::writeStringValue(std::u16string_view string)
{
    appendQuoted(string);
}

void VornickJSONWriter::writeNumberValue(const Value* number)
{
    if (number)
        writeNumber(*number);
}

void VornickJSONWriter::writeBooleanValue(bool value)
{
    m_json.append(value ? std::string_view("true") : std::string_view("false"));
}

void VornickJSONWriter::writeDataValue(const Data* data)
{
    if (data)
        writeBase64(*data);
}

void VornickJSONWriter::writeDictionary(const Dictionary& dictionary)
{
    if (!openContainer(Kind::Object, "beginDictionary")) {
        m_json.append("null");
        return;
    }
    writeDictionaryPairs(dictionary, false);
    endDictionary();
}

void VornickJSONWriter::writeDictionary(const VornickMutableOrderedDictionary& dictionary)
{
    if (!openContainer(Kind::Object, "beginDictionary")) {
        m_json.append("null");
        return;
    }
    dictionary.enumerateKeysObjectsAndIndexesUsingBlock(
        [&](const std::u16string& key, const Value& value, size_t, bool&) { writeKeyValue(key, &value, true); });
    endDictionary();
}

void VornickJSONWriter::writeDictionaryPairs(const Dictionary& dictionary, bool caseInsensitiveOrder)
{
    // The dictionary keeps its keys in code-unit order, which is also the
    // case-insensitive order unless a key holds an upper-case or non-ASCII letter.
    bool needsSorting = false;
    if (caseInsensitiveOrder) {
        for (const auto& pair : dictionary) {
            if (hasASCIIUppercaseOrNonASCII(pair.first)) {
                needsSorting = true;
                break;
            }
        }
    }
    if (!needsSorting) {
        for (const auto& [key, value] : dictionary)
            writeKeyValue(key, &value, true);
        return;
    }
    // Small dictionaries (the usual case) sort on the stack.
    constexpr size_t inlineCapacity = 32;
    const Dictionary::value_type* inlinePairs[inlineCapacity];
    std::vector<const Dictionary::value_type*> heapPairs;
    const Dictionary::value_type** pairs = inlinePairs;
    if (dictionary.size() > inlineCapacity) {
        heapPairs.resize(dictionary.size());
        pairs = heapPairs.data();
    }
    size_t count = 0;
    for (const auto& pair : dictionary)
        pairs[count++] = &pair;
    std::stable_sort(pairs, pairs + count, [](auto* a, auto* b) { return caseInsensitiveLess(a->first, b->first); });
    for (size_t i = 0; i < count; ++i)
        writeKeyValue(pairs[i]->first, &pairs[i]->second, true);
}

void VornickJSONWriter::writeArrayValue(const Array* array, const ElementWriter& elementWriter)
{
    std::string method = "writeArrayValue:" + elementsText(array) + " usingElementWriter:";
    if (m_top >= MaximumDepth) {
        recordError(VornickJSONWriterErrorTreeTooDeep, "tree too deep", method);
        return;
    }
    if (!array)
        return;
    openContainer(Kind::Array, method);
    bool pretty = m_options & PrettyPrint;
    for (const Value& element : *array) {
        if (!m_firstInContainer)
            m_json.append(pretty ? ",\n" : ",");
        if (pretty)
            writeIndent(m_indentLevel);
        m_firstInContainer = false;
        size_t before = m_json.size();
        if (elementWriter)
            elementWriter(element);
        // An element that wrote nothing would leave an empty slot.
        if (m_json.size() == before)
            m_json.append("null");
    }
    if (m_top == 0 || innermost() != Kind::Array)
        recordError(VornickJSONWriterErrorNotInsideArray, "not inside an array", method);
    else {
        --m_top;
        --m_indentLevel;
    }
    writeClose(']');
}

void VornickJSONWriter::writeNumber(const Value& number)
{
    char buffer[32];
    char* end = buffer;
    switch (number.type()) {
    case Value::Type::Boolean:
        *end++ = number.boolValue() ? '1' : '0';
        break;
    case Value::Type::Integer:
        end = std::to_chars(buffer, buffer + sizeof buffer, number.integerValue()).ptr;
        break;
    case Value::Type::Real: {
        double d = number.doubleValue();
        if (!std::isfinite(d)) {
            recordError(VornickJSONWriterErrorNumberNotRepresentable,
                        std::isnan(d) ? "number not representable in JSON: NaN"
                                      : "number not representable in JSON: infinity",
                        "writeNumberValue:");
            m_json.append("null");
            return;
        }
        end = std::to_chars(buffer, buffer + sizeof buffer, d).ptr;
        break;
    }
    default:
        // Not a number: written by its own kind.
        writeValueTree(number);
        return;
    }
    if (m_options & NumbersAsStrings) {
        m_json.push_back('"');
        m_json.append(buffer, static_cast<size_t>(end - buffer));
        m_json.push_back('"');
    } else
        m_json.append(buffer, static_cast<size_t>(end - buffer));
}

void VornickJSONWriter::writeDate(Date date)
{
    appendQuoted(ISO8601StringFromDate(date));
}

void VornickJSONWriter::writeBase64(const Data& data)
{
    char* out = m_json.reserve(2 + (data.size() + 2) / 3 * 4);
    *out++ = '"';
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        uint32_t triple = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        *out++ = base64Alphabet[(triple >> 18) & 63];
        *out++ = base64Alphabet[(triple >> 12) & 63];
        *out++ = base64Alphabet[(triple >> 6) & 63];
        *out++ = base64Alphabet[triple & 63];
    }
    if (i < data.size()) {
        uint32_t triple = data[i] << 16;
        if (i + 1 < data.size())
            triple |= data[i + 1] << 8;
        *out++ = base64Alphabet[(triple >> 18) & 63];
        *out++ = base64Alphabet[(triple >> 12) & 63];
        *out++ = i + 1 < data.size() ? base64Alphabet[(triple >> 6) & 63] : '=';
        *out++ = '=';
    }
    *out++ = '"';
    m_json.commit(out);
}

void VornickJSONWriter::appendQuoted(std::u16string_view text)
{
    m_json.push_back('"');
    appendEscaped(text);
    m_json.push_back('"');
}

void VornickJSONWriter::appendEscaped(std::u16string_view text)
{
    // Worst case: six bytes per code unit (\uXXXX); usually one.
    char* out = m_json.reserve(text.size() * 6);
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    while (p < end) {
        char16_t c = *p++;
        if (c >= 0x20 && c < 0x7F) {
            if (c == u'"' || c == u'\\') {
                *out++ = '\\';
                *out++ = static_cast<char>(c);
            } else
                *out++ = static_cast<char>(c);
            continue;
        }
        if (needsUnicodeEscape(c)) {
            char escape = 0;
            switch (c) {
            case 0x08: escape = 'b'; break;
            case 0x0C: escape = 'f'; break;
            case 0x0A: escape = 'n'; break;
            case 0x0D: escape = 'r'; break;
            case 0x09: escape = 't'; break;
            default: break;
            }
            *out++ = '\\';
            if (escape)
                *out++ = escape;
            else {
                *out++ = 'u';
                *out++ = hexDigits[(c >> 12) & 15];
                *out++ = hexDigits[(c >> 8) & 15];
                *out++ = hexDigits[(c >> 4) & 15];
                *out++ = hexDigits[c & 15];
            }
            continue;
        }
        char32_t codePoint = c;
        if (isHighSurrogate(c) && p < end && isLowSurrogate(*p))
            codePoint = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(*p++) - 0xDC00);
        else if (isHighSurrogate(c) || isLowSurrogate(c))
            codePoint = 0xFFFD; // an unpaired surrogate has no UTF-8 form
        if (codePoint < 0x800) {
            *out++ = static_cast<char>(0xC0 | (codePoint >> 6));
            *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            *out++ = static_cast<char>(0xE0 | (codePoint >> 12));
            *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
            *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }
    m_json.commit(out);
}

std::u16string VornickJSONWriter::stringValueEscapedForJSON(std::u16string_view text)
{
    VornickJSONWriter writer;
    writer.appendEscaped(text);
    return toUTF16(writer.m_json.view());
}

std::optional<std::u16string> VornickJSONWriter::jsonStringReturningErrorIn(Error* outError) const
{
    auto data = jsonDataReturningErrorIn(outError);
    if (!data)
        return std::nullopt;
    return toUTF16(*data);
}

std::optional<std::string> VornickJSONWriter::jsonDataReturningErrorIn(Error* outError) const
{
    if (!m_error.isEmpty()) {
        setError(outError, m_error);
        return std::nullopt;
    }
    if (m_top != 0) {
        // Containers left open: the text is not JSON.
        Error error(VornickErrorDomain,
                    innermost() == Kind::Array ? VornickJSONWriterErrorNotInsideArray
                                               : VornickJSONWriterErrorNotInsideDictionary,
                    toUTF16("-[JSONWriter jsonString] failed (" + std::to_string(m_top)
                            + " containers left open), stack[top=" + std::to_string(m_top)
                            + "]=" + std::to_string(static_cast<int>(innermost()))
                            + ", indentLevel=" + std::to_string(m_indentLevel)));
        setError(outError, error);
        return std::nullopt;
    }
    return std::string(m_json.view());
}

} // namespace brevanton
