#include "toolkit/VornickJSONResources.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"

#include <sys/stat.h>

namespace brevanton {

namespace {

bool isRegularFile(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

std::optional<Value> vornick_JSONResourceNamed(std::u16string_view name, const Bundle& bundle)
{
    // A folder of that name is not the resource: go on to the ".json" file.
    std::optional<std::string> contents;
    for (std::u16string_view extension : { u"", u"json" }) {
        auto path = bundle.pathForResource(name, extension);
        if (path && isRegularFile(*path)) {
            contents = readFile(*path);
            break;
        }
    }
    if (!contents)
        return std::nullopt;
    return readJSON(*contents, nullptr);
}

std::optional<Array> vornick_arrayFromJSONResource(std::u16string_view name, const Bundle& bundle)
{
    auto value = vornick_JSONResourceNamed(name, bundle);
    if (!value || !value->isArray())
        return std::nullopt;
    return std::move(value->array());
}

std::optional<std::vector<std::u16string>> vornick_arrayOfStringsFromJSONResource(std::u16string_view name, const Bundle& bundle)
{
    auto array = vornick_arrayFromJSONResource(name, bundle);
    if (!array)
        return std::nullopt;
    std::vector<std::u16string> strings;
    strings.reserve(array->size());
    for (auto& element : *array) {
        if (!element.isString())
            return std::nullopt;
        strings.push_back(element.string());
    }
    return strings;
}

std::optional<std::vector<RegularExpression>>
vornick_arrayOfRegularExpressionsFromJSONResource(std::u16string_view name, uint32_t options, const Bundle& bundle)
{
    auto patterns = vornick_arrayOfStringsFromJSONResource(name, bundle);
    if (!patterns)
        return std::nullopt;
    std::vector<RegularExpression> expressions;
    expressions.reserve(patterns->size());
    for (auto& pattern : *patterns) {
        auto compiled = RegularExpression::create(pattern, options);
        if (!compiled)
            return std::nullopt;
        expressions.push_back(std::move(*compiled));
    }
    return expressions;
}

std::optional<Dictionary> vornick_dictionaryFromJSONResource(std::u16string_view name, const Bundle& bundle)
{
    auto value = vornick_JSONResourceNamed(name, bundle);
    if (!value || !value->isDictionary())
        return std::nullopt;
    return std::move(value->dictionary());
}

std::optional<std::map<std::u16string, std::u16string>>
vornick_dictionaryMappingStringsToStringsFromJSONResource(std::u16string_view name, const Bundle& bundle)
{
    auto dictionary = vornick_dictionaryFromJSONResource(name, bundle);
    if (!dictionary)
        return std::nullopt;
    std::map<std::u16string, std::u16string> mapping;
    for (auto& [key, value] : *dictionary) {
        if (!value.isString())
            return std::nullopt;
        mapping.emplace(key, value.string());
    }
    return mapping;
}

} // namespace brevanton
