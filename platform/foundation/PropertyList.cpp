#include "platform/foundation/PropertyList.h"

#include "platform/foundation/Text.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace brevanton {

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the reference date of property lists.
constexpr double referenceDateOffset = 978307200.0;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::string_view skipBOMAndWhitespace(std::string_view bytes)
{
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes[0] == ' ' || bytes[0] == '\t' || bytes[0] == '\n' || bytes[0] == '\r' || bytes[0] == '\f'))
        bytes.remove_prefix(1);
    return bytes;
}

bool isBinary(std::string_view bytes)
{
    return bytes.size() >= 8 && bytes.substr(0, 6) == "bplist";
}

Error readError(std::u16string_view reason)
{
    return Error(CocoaErrorDomain, PropertyListReadCorruptError,
                 u"The data couldn\u2019t be read because it isn\u2019t in the correct format. ("
                     + std::u16string(reason) + u")");
}

// Depth guard: a corrupt binary list may nest deeper than any real one.
constexpr int maximumDepth = 512;

std::optional<Value> valueFromNode(plist_t node, int depth)
{
    if (!node || depth > maximumDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(static_cast<int64_t>(u));
    }
    case PLIST_UID: {
        uint64_t u = 0;
        plist_get_uid_val(node, &u);
        return Value(static_cast<int64_t>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING: {
        // Read up to its first NUL, which only a damaged file holds: the
        // copying accessor aborts the process on one, and the XML reader keeps
        // nothing after it anyway.
        uint64_t length = 0;
        const char* s = plist_get_string_ptr(node, &length);
        return Value(toUTF16(s ? std::string_view(s, strnlen(s, static_cast<size_t>(length))) : std::string_view()));
    }
    case PLIST_KEY:
        // A key stands only inside a dictionary, where it names an item.
        return std::nullopt;
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        Data data(reinterpret_cast<uint8_t*>(bytes), reinterpret_cast<uint8_t*>(bytes) + (bytes ? length : 0));
        std::free(bytes);
        return Value(std::move(data));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // libplist splits a negative time into its truncated seconds and the
        // magnitude of the fraction (-99.5 reads as -99 and 500000).
        double seconds = sec < 0 ? sec - usec / 1e6 : sec + usec / 1e6;
        return Value(Date(referenceDateOffset + seconds));
    }
    case PLIST_ARRAY: {
        Array array;
        uint32_t count = plist_array_get_size(node);
        array.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            auto element = valueFromNode(plist_array_get_item(node, i), depth + 1);
            if (!element)
                return std::nullopt;
            array.push_back(std::move(*element));
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        Dictionary::Storage members;
        members.reserve(plist_dict_get_size(node));
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        while (true) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            std::u16string key16 = toUTF16(key ? std::string_view(key) : std::string_view());
            std::free(key);
            auto element = valueFromNode(item, depth + 1);
            if (!element) {
                std::free(iterator);
                return std::nullopt;
            }
            members.emplace_back(std::move(key16), std::move(*element));
        }
        std::free(iterator);
        return Value(Dictionary::fromMembers(std::move(members)));
    }
    case PLIST_NONE:
        break;
    }
    return std::nullopt;
}

// Builds the libplist tree of `value`; on failure answers null and a reason.
plist_t nodeFromValue(const Value& value, std::u16string& failure, int depth)
{
    if (depth > maximumDepth) {
        failure = u"nesting too deep";
        return nullptr;
    }
    switch (value.type()) {
    case Value::Type::Null:
        failure = u"null is not a property-list value";
        return nullptr;
    case Value::Type::Boolean:
        return plist_new_bool(value.boolValue());
    case Value::Type::Integer:
        return plist_new_uint(static_cast<uint64_t>(value.integerValue()));
    case Value::Type::Real:
        return plist_new_real(value.doubleValue());
    case Value::Type::String: {
        std::string utf8 = toUTF8(value.string());
        if (utf8.find('\0') != std::string::npos) {
            failure = u"a string holds a NUL character";
            return nullptr;
        }
        return plist_new_string(utf8.c_str());
    }
    case Value::Type::Data: {
        const Data& data = value.data();
        return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case Value::Type::Date: {
        double seconds = value.date().timeIntervalSince1970() - referenceDateOffset;
        double whole = std::floor(seconds);
        if (!std::isfinite(seconds) || whole < std::numeric_limits<int32_t>::min()
            || whole > std::numeric_limits<int32_t>::max()) {
            failure = u"date out of the representable range";
            return nullptr;
        }
        int32_t usec = static_cast<int32_t>(std::lround((seconds - whole) * 1e6));
        int32_t sec = static_cast<int32_t>(whole);
        if (usec >= 1000000) {
            usec -= 1000000;
            if (sec == std::numeric_limits<int32_t>::max()) {
                failure = u"date out of the representable range";
                return nullptr;
            }
            ++sec;
        }
        return plist_new_date(sec, usec);
    }
    case Value::Type::Array: {
        PlistPtr array(plist_new_array());
        for (const Value& element : value.array()) {
            plist_t item = nodeFromValue(element, failure, depth + 1);
            if (!item)
                return nullptr;
            plist_array_append_item(array.get(), item);
        }
        return array.release();
    }
    case Value::Type::Dictionary: {
        PlistPtr dictionary(plist_new_dict());
        for (const auto& [key, element] : value.dictionary()) {
            std::string key8 = toUTF8(key);
            if (key8.find('\0') != std::string::npos) {
                failure = u"a key holds a NUL character";
                return nullptr;
            }
            plist_t item = nodeFromValue(element, failure, depth + 1);
            if (!item)
                return nullptr;
            plist_dict_set_item(dictionary.get(), key8.c_str(), item);
        }
        return dictionary.release();
    }
    }
    failure = u"unknown value type";
    return nullptr;
}

} // namespace

bool looksLikePropertyList(std::string_view bytes)
{
    bytes = skipBOMAndWhitespace(bytes);
    return isBinary(bytes) || bytes.starts_with("<?xml") || bytes.starts_with("<!DOCTYPE plist")
        || bytes.starts_with("<plist");
}

std::optional<Value> readPropertyList(std::string_view bytes, Error* outError, PropertyListFormat* outFormat)
{
    std::string_view binaryCandidate = bytes;
    bool binary = isBinary(binaryCandidate);
    if (!binary)
        bytes = skipBOMAndWhitespace(bytes);
    if (bytes.empty()) {
        setError(outError, readError(u"empty data"));
        return std::nullopt;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        setError(outError, readError(u"data too large"));
        return std::nullopt;
    }
    if (!binary && bytes[0] != '<') {
        setError(outError, readError(u"not a property list"));
        return std::nullopt;
    }
    plist_t root = nullptr;
    if (binary)
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    else
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    if (!root) {
        setError(outError, readError(binary ? u"corrupt binary property list" : u"malformed XML property list"));
        return std::nullopt;
    }
    auto value = valueFromNode(root, 0);
    if (!value) {
        setError(outError, readError(u"unsupported or corrupt content"));
        return std::nullopt;
    }
    if (outFormat)
        *outFormat = binary ? PropertyListFormat::Binary : PropertyListFormat::XML;
    return value;
}

std::optional<Value> readPropertyList(const Data& bytes, Error* outError, PropertyListFormat* outFormat)
{
    return readPropertyList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), outError,
                            outFormat);
}

std::optional<Data> writePropertyList(const Value& value, PropertyListFormat format, Error* outError)
{
    std::u16string failure;
    PlistPtr root(nodeFromValue(value, failure, 0));
    if (!root) {
        setError(outError, Error(CocoaErrorDomain, PropertyListWriteInvalidError,
                                 u"The property list could not be written: " + failure + u"."));
        return std::nullopt;
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == PropertyListFormat::Binary)
        plist_to_bin(root.get(), &bytes, &length);
    else
        plist_to_xml(root.get(), &bytes, &length);
    if (!bytes) {
        setError(outError, Error(CocoaErrorDomain, PropertyListWriteInvalidError,
                                 u"The property list could not be written."));
        return std::nullopt;
    }
    Data data(reinterpret_cast<uint8_t*>(bytes), reinterpret_cast<uint8_t*>(bytes) + length);
    if (format == PropertyListFormat::Binary)
        plist_to_bin_free(bytes);
    else
        plist_to_xml_free(bytes);
    return data;
}

} // namespace brevanton
