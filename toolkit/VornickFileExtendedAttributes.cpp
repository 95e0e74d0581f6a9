#include "toolkit/VornickFileExtendedAttributes.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace brevanton {

static std::string checkedPath(const URL& url, const char* operation)
{
    auto path = url.isFileURL() ? url.fileSystemPath() : std::nullopt;
    BREVANTON_ASSERT(path.has_value(), std::string(operation) + " only valid on file URLs");
    return *path;
}

static std::string checkedName(std::u16string_view name, const char* operation)
{
    if (name.empty())
        throw std::invalid_argument(std::string(operation) + " name parameter can't be nil");
    return toUTF8(name);
}

// The POSIX error of a failed system call: the system's text and the URL.
static Error systemCallError(const Error& failure, const URL& url)
{
    int64_t code = failure.domain() == POSIXErrorDomain ? failure.code() : EIO;
    Error error(POSIXErrorDomain, code, toUTF16(std::strerror(static_cast<int>(code))));
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    return error;
}

static Error aggregateError(int64_t code, const URL& url, const std::vector<Error>& errors)
{
    Error error(FileExtendedAttributesErrorDomain, code);
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    Array list;
    for (auto& each : errors) {
        Dictionary entry;
        entry[u"domain"] = Value(toUTF16(each.domain()));
        entry[u"code"] = Value(each.code());
        entry[u"description"] = Value(each.localizedDescription());
        list.emplace_back(std::move(entry));
    }
    error.userInfo()[FileExtendedAttributesErrorsKey] = Value(std::move(list));
    if (!errors.empty())
        error.setUnderlyingError(errors.front());
    return error;
}

std::optional<std::vector<std::u16string>> namesOfExtendedAttributes(const URL& url, Error* outError)
{
    std::string path = checkedPath(url, "namesOfExtendedAttributes");
    Error failure;
    auto names = listExtendedAttributes(path, &failure);
    if (!names) {
        setError(outError, systemCallError(failure, url));
        return std::nullopt;
    }
    std::vector<std::u16string> result;
    result.reserve(names->size());
    for (auto& name : *names)
        result.push_back(toUTF16(name));
    return result;
}

std::optional<Dictionary> extendedAttributes(const URL& url, Error* outError)
{
    checkedPath(url, "extendedAttributes");
    auto names = namesOfExtendedAttributes(url, outError);
    if (!names)
        return std::nullopt;
    Dictionary attributes;
    std::vector<Error> errors;
    for (auto& name : *names) {
        Error error;
        if (auto value = valueOfExtendedAttributeWithName(url, name, &error))
            attributes[name] = std::move(*value);
        else
            errors.push_back(std::move(error));
    }
    if (!errors.empty())
        setError(outError, aggregateError(FileExtendedAttributesSomeNotReadError, url, errors));
    return attributes;
}

bool setExtendedAttributes(const URL& url, const Dictionary& attributes, Error* outError)
{
    checkedPath(url, "setExtendedAttributes");
    std::vector<Error> errors;
    for (auto& [name, value] : attributes) {
        Error error;
        if (!setExtendedAttributeValue(url, value, name, &error))
            errors.push_back(std::move(error));
    }
    if (errors.empty())
        return true;
    return setError(outError, aggregateError(FileExtendedAttributesSomeNotSetError, url, errors));
}

bool hasExtendedAttributeWithName(const URL& url, std::u16string_view name)
{
    checkedPath(url, "hasExtendedAttributeWithName");
    checkedName(name, "hasExtendedAttributeWithName");
    Error error;
    auto names = namesOfExtendedAttributes(url, &error);
    if (!names) {
        VornickGeneralLog("ERROR: Could not get list of attributes names: {}; {}", error.localizedDescription(),
                          Value(error.userInfo()));
        return false;
    }
    return std::find(names->begin(), names->end(), name) != names->end();
}

std::optional<Value> valueOfExtendedAttributeWithName(const URL& url, std::u16string_view name, Error* outError)
{
    std::string path = checkedPath(url, "valueOfExtendedAttributeWithName");
    std::string attribute = checkedName(name, "valueOfExtendedAttributeWithName");
    Error failure;
    auto bytes = getExtendedAttribute(path, attribute, &failure);
    if (!bytes) {
        setError(outError, systemCallError(failure, url));
        return std::nullopt;
    }
    return readPropertyList(*bytes, outError);
}

static const char* typeName(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null: return "Null";
    case Value::Type::Boolean: return "Boolean";
    case Value::Type::Integer: return "Integer";
    case Value::Type::Real: return "Real";
    case Value::Type::String: return "String";
    case Value::Type::Data: return "Data";
    case Value::Type::Date: return "Date";
    case Value::Type::Array: return "Array";
    case Value::Type::Dictionary: return "Dictionary";
    }
    return "Value";
}

bool setExtendedAttributeValue(const URL& url, const Value& value, std::u16string_view name, Error* outError)
{
    std::string path = checkedPath(url, "setExtendedAttributeValue");
    std::string attribute = checkedName(name, "setExtendedAttributeValue");
    auto bytes = writePropertyList(value, PropertyListFormat::Binary, nullptr);
    if (!bytes) {
        Error error(FileExtendedAttributesErrorDomain, FileExtendedAttributesValueNotPropertyListError,
                    u16("Value of class " + std::string(typeName(value)) + " cannot be serialized into a plist"));
        error.userInfo()[u"value"] = value;
        return setError(outError, std::move(error));
    }
    Error failure;
    if (!setExtendedAttribute(path, attribute,
                              std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), &failure))
        return setError(outError, systemCallError(failure, url));
    return true;
}

bool removeExtendedAttributeWithName(const URL& url, std::u16string_view name, Error* outError)
{
    std::string path = checkedPath(url, "removeExtendedAttributeWithName");
    std::string attribute = checkedName(name, "removeExtendedAttributeWithName");
    Error failure;
    if (removeExtendedAttribute(path, attribute, &failure))
        return true;
    if (failure.domain() == POSIXErrorDomain && failure.code() == ENODATA)
        return true;
    return setError(outError, systemCallError(failure, url));
}

} // namespace brevanton
