// The snippet set file: reading a set from its JSON text and writing it back.
#include "html/VornickFragmentSet.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickJSONWriter.h"

#include <cerrno>
#include <cmath>
#include <string>

namespace brevanton {

namespace {

constexpr std::u16string_view formatVersionKey = u"formatVersion";
constexpr std::u16string_view titleKey = u"title";
constexpr std::u16string_view documentTypeKey = u"documentType";
constexpr std::u16string_view allowedBodyElementsKey = u"allowedBodyElements";
constexpr std::u16string_view groupsKey = u"groups";
constexpr std::u16string_view snippetsKey = u"snippets";
constexpr std::u16string_view identifierKey = u"identifier";
constexpr std::u16string_view displayNameKey = u"displayName";
constexpr std::u16string_view tabTriggerKey = u"tabTrigger";
constexpr std::u16string_view keyboardShortcutKey = u"keyboardShortcut";
constexpr std::u16string_view markupKey = u"markup";
constexpr std::u16string_view blockSourceKey = u"blockSource";

std::u16string fileDescription(std::u16string_view fileName)
{
    if (fileName.empty())
        return u"The snippet set";
    return u"The snippet set file \u201C" + std::u16string(fileName) + u"\u201D";
}

Error readError(std::u16string_view fileName, std::u16string_view reason, int64_t code = VornickSnippetSetFileMalformedError)
{
    return Error(VornickErrorDomain, code, fileDescription(fileName) + u" could not be read: " + std::u16string(reason));
}

// Where a read entry sits, for error texts: groups[1].snippets[0].markup.
std::u16string entryPath(std::u16string_view parent, std::u16string_view key)
{
    return parent.empty() ? std::u16string(key) : std::u16string(parent) + u"." + std::u16string(key);
}

std::u16string elementPath(std::u16string_view parent, size_t index)
{
    return std::u16string(parent) + u"[" + toUTF16(std::to_string(index)) + u"]";
}

// What the writer could not write back unchanged: deeper nesting than it
// allows, an empty key (which it leaves out), a number beyond JSON's.
std::optional<std::u16string> unsavableEntry(const Value& value, std::u16string_view path, int depth)
{
    switch (value.type()) {
    case Value::Type::Real:
        if (!std::isfinite(value.doubleValue()))
            return u"\u201C" + std::u16string(path) + u"\u201D holds a number too large to be saved again";
        return std::nullopt;
    case Value::Type::Array:
    case Value::Type::Dictionary:
        if (depth >= VornickJSONWriter::MaximumDepth)
            return u"\u201C" + std::u16string(path) + u"\u201D is nested more deeply than 32 levels";
        break;
    default:
        return std::nullopt;
    }
    if (value.isArray()) {
        const auto& array = value.array();
        for (size_t i = 0; i < array.size(); ++i) {
            if (auto found = unsavableEntry(array[i], elementPath(path, i), depth + 1))
                return found;
        }
        return std::nullopt;
    }
    for (const auto& [key, element] : value.dictionary()) {
        if (key.empty())
            return u"\u201C" + std::u16string(path) + u"\u201D has an empty key";
        if (auto found = unsavableEntry(element, entryPath(path, key), depth + 1))
            return found;
    }
    return std::nullopt;
}

// Reads the string entries `keys` of an object, leaving the others in `unknown`.
class EntryReader {
public:
    EntryReader(const Dictionary& entry, std::u16string path)
        : m_unknown(entry)
        , m_path(std::move(path))
    {
    }

    // The string under the key ("" when absent); a failure text when it is not a string.
    std::optional<std::u16string> string(std::u16string_view key, std::u16string& out)
    {
        auto found = m_unknown.find(key);
        if (found == m_unknown.end())
            return std::nullopt;
        if (!found->second.isString())
            return u"\u201C" + entryPath(m_path, key) + u"\u201D is not a string";
        out = found->second.string();
        m_unknown.erase(found);
        return std::nullopt;
    }
    // The value under the key, taken out of the unknown keys; null when absent.
    std::optional<Value> take(std::u16string_view key)
    {
        auto found = m_unknown.find(key);
        if (found == m_unknown.end())
            return std::nullopt;
        Value value = std::move(found->second);
        m_unknown.erase(found);
        return value;
    }
    const std::u16string& path() const { return m_path; }
    Dictionary takeUnknown() { return std::move(m_unknown); }

private:
    Dictionary m_unknown;
    std::u16string m_path;
};

std::shared_ptr<VornickGeneralFragmentDescription> readSnippet(const Value& value, std::u16string path, std::u16string& failure)
{
    if (!value.isDictionary()) {
        failure = u"\u201C" + path + u"\u201D is not an object";
        return nullptr;
    }
    EntryReader reader(value.dictionary(), std::move(path));
    std::u16string texts[6];
    const std::u16string_view keys[6] = { identifierKey, displayNameKey, tabTriggerKey, keyboardShortcutKey, markupKey, blockSourceKey };
    for (size_t i = 0; i < 6; ++i) {
        if (auto fault = reader.string(keys[i], texts[i])) {
            failure = *fault;
            return nullptr;
        }
    }
    auto description = std::make_shared<VornickGeneralFragmentDescription>(std::move(texts[0]), std::move(texts[1]), std::move(texts[2]),
                                                                           std::move(texts[3]), std::move(texts[4]), std::move(texts[5]));
    description->setUnknownFileKeys(reader.takeUnknown());
    return description;
}

std::shared_ptr<VornickFragmentGroup> readGroup(const Value& value, std::u16string path, std::u16string& failure)
{
    if (!value.isDictionary()) {
        failure = u"\u201C" + path + u"\u201D is not an object";
        return nullptr;
    }
    EntryReader reader(value.dictionary(), std::move(path));
    std::u16string title;
    if (auto fault = reader.string(titleKey, title)) {
        failure = *fault;
        return nullptr;
    }
    auto group = VornickFragmentGroup::create(std::move(title));
    if (auto snippets = reader.take(snippetsKey)) {
        auto snippetsPath = entryPath(reader.path(), snippetsKey);
        if (!snippets->isArray()) {
            failure = u"\u201C" + snippetsPath + u"\u201D is not an array";
            return nullptr;
        }
        const auto& array = snippets->array();
        for (size_t i = 0; i < array.size(); ++i) {
            auto snippet = readSnippet(array[i], elementPath(snippetsPath, i), failure);
            if (!snippet)
                return nullptr;
            group->addFragmentDescription(std::move(snippet));
        }
    }
    group->setUnknownFileKeys(reader.takeUnknown());
    return group;
}

// Writes a value as JSON exactly as read: every key (sorted), empty texts
// and containers, booleans as booleans.
void writeJSONValue(VornickJSONWriter& writer, const Value& value)
{
    switch (value.type()) {
    case Value::Type::Boolean:
        writer.writeBooleanValue(value.boolValue());
        return;
    case Value::Type::String:
        writer.writeStringValue(value.string());
        return;
    case Value::Type::Array:
        writer.writeArrayValue(&value.array(), [&writer](const Value& element) { writeJSONValue(writer, element); });
        return;
    case Value::Type::Dictionary:
        writer.beginDictionary();
        for (const auto& pair : value.dictionary())
            writer.writeKey(pair.first, [&writer, &pair] { writeJSONValue(writer, pair.second); });
        writer.endDictionary();
        return;
    default:
        writer.writeValue(value);
        return;
    }
}

} // namespace

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::createWithJSONData(std::string_view data, Error* outError)
{
    return readFromJSONData(data, {}, outError);
}

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::readFromJSONData(std::string_view data, std::u16string_view fileName, Error* outError)
{
    Error jsonError;
    auto value = readJSON(data, &jsonError);
    if (!value) {
        size_t offset = static_cast<size_t>(jsonError.userInfo()[JSONErrorIndexKey].integerValue());
        offset = std::min(offset, data.size());
        size_t line = 1;
        size_t lineStart = 0;
        for (size_t i = 0; i < offset; ++i) {
            if (data[i] == '\n') {
                ++line;
                lineStart = i + 1;
            }
        }
        auto where = toUTF16("line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1));
        Error error = readError(fileName, u"it is not valid JSON at " + where + u".");
        error.userInfo()[VornickFragmentSetFileLineKey] = Value(static_cast<int64_t>(line));
        error.setUnderlyingError(jsonError);
        setError(outError, std::move(error));
        return nullptr;
    }
    auto fail = [&](std::u16string_view reason, int64_t code = VornickSnippetSetFileMalformedError) {
        setError(outError, readError(fileName, std::u16string(reason) + u".", code));
        return nullptr;
    };
    if (!value->isDictionary())
        return fail(u"it holds no snippet set object");
    if (auto unsavable = unsavableEntry(*value, {}, 0))
        return fail(*unsavable);

    EntryReader reader(value->dictionary(), {});
    auto version = reader.take(formatVersionKey);
    if (!version)
        return fail(u"it has no \u201CformatVersion\u201D, so it is no snippet set file");
    if (!version->isInteger() || version->integerValue() < 1)
        return fail(u"\u201CformatVersion\u201D is not a version number");
    if (version->integerValue() > VornickFragmentSetFileFormatVersion)
        return fail(u"it was written by a newer version of the application (format " + toUTF16(std::to_string(version->integerValue())) + u")",
                    VornickSnippetSetFileFormatTooNewError);

    std::u16string title;
    if (auto fault = reader.string(titleKey, title))
        return fail(*fault);
    auto set = createWithTitle(std::move(title));

    if (auto documentType = reader.take(documentTypeKey)) {
        if (!documentType->isString())
            return fail(u"\u201CdocumentType\u201D is not a string");
        set->m_documentType = VornickHTMLDocumentTypeFromPersistableString(documentType->string());
    }
    Dictionary keptDocumentType;
    if (set->m_documentType == VornickHTMLDocumentType::Unknown && value->contains(documentTypeKey))
        keptDocumentType.emplace(documentTypeKey, (*value)[documentTypeKey]);

    if (auto allowed = reader.take(allowedBodyElementsKey)) {
        if (!allowed->isArray())
            return fail(u"\u201CallowedBodyElements\u201D is not an array");
        std::set<std::u16string> names;
        const auto& array = allowed->array();
        for (size_t i = 0; i < array.size(); ++i) {
            if (!array[i].isString())
                return fail(u"\u201C" + elementPath(allowedBodyElementsKey, i) + u"\u201D is not a string");
            names.insert(asciiLowercase(array[i].string()));
        }
        set->m_allowedBodyElements = std::move(names);
    }

    if (auto groups = reader.take(groupsKey)) {
        if (!groups->isArray())
            return fail(u"\u201Cgroups\u201D is not an array");
        const auto& array = groups->array();
        for (size_t i = 0; i < array.size(); ++i) {
            std::u16string failure;
            auto group = readGroup(array[i], elementPath(groupsKey, i), failure);
            if (!group)
                return fail(failure);
            set->addGroup(std::move(group));
        }
    }
    set->m_unknownFileKeys = reader.takeUnknown();
    // A type this version does not know is kept as it was written.
    for (auto& [key, value] : keptDocumentType)
        set->m_unknownFileKeys.try_emplace(key, std::move(value));
    return set;
}

std::optional<std::string> VornickFragmentSet::fileContents(Error* outError) const
{
    Dictionary file = m_unknownFileKeys;
    file.insert_or_assign(std::u16string(formatVersionKey), Value(VornickFragmentSetFileFormatVersion));
    file.insert_or_assign(std::u16string(titleKey), Value(m_title));
    if (m_documentType != VornickHTMLDocumentType::Unknown)
        file.insert_or_assign(std::u16string(documentTypeKey), Value(VornickHTMLDocumentTypeToPersistableString(m_documentType)));
    if (m_allowedBodyElements) {
        Array names;
        for (const auto& name : *m_allowedBodyElements)
            names.emplace_back(name);
        file.insert_or_assign(std::u16string(allowedBodyElementsKey), Value(std::move(names)));
    } else
        file.erase(std::u16string(allowedBodyElementsKey));

    Array groups;
    for (const auto& group : m_groups) {
        Dictionary groupEntry = group->unknownFileKeys();
        groupEntry.insert_or_assign(std::u16string(titleKey), Value(group->title()));
        Array snippets;
        for (const auto& description : group->fragmentDescriptions()) {
            Dictionary snippet = description->unknownFileKeys();
            snippet.insert_or_assign(std::u16string(identifierKey), Value(description->identifier()));
            snippet.insert_or_assign(std::u16string(displayNameKey), Value(description->displayName()));
            snippet.insert_or_assign(std::u16string(tabTriggerKey), Value(description->tabTrigger()));
            snippet.insert_or_assign(std::u16string(keyboardShortcutKey), Value(description->keyboardShortcutShorthand()));
            snippet.insert_or_assign(std::u16string(markupKey), Value(description->markupString()));
            snippet.insert_or_assign(std::u16string(blockSourceKey), Value(description->blockSourceString()));
            snippets.emplace_back(std::move(snippet));
        }
        groupEntry.insert_or_assign(std::u16string(snippetsKey), Value(std::move(snippets)));
        groups.emplace_back(std::move(groupEntry));
    }
    file.insert_or_assign(std::u16string(groupsKey), Value(std::move(groups)));

    VornickJSONWriter writer(VornickJSONWriter::PrettyPrint);
    writeJSONValue(writer, Value(std::move(file)));
    auto text = writer.jsonDataReturningErrorIn(outError);
    if (text)
        text->push_back('\n');
    return text;
}

bool VornickFragmentSet::writeToURL(const URL& url, Error* outError) const
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error::posix(EINVAL, u"A snippet set can only be saved to a local file, not to " + url.absoluteString() + u"."));
        return false;
    }
    auto contents = fileContents(outError);
    if (!contents)
        return false;
    return writeFileAtomically(*path, *contents, outError);
}

} // namespace brevanton
