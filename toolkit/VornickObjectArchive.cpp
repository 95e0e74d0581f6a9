#include "toolkit/VornickObjectArchive.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickJSONWriter.h"
#include "toolkit/VornickKeyValueCoding.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickManagedObjectKeyValueCoding.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/PropertyList.h"

namespace brevanton {

namespace {

// An XML property list may be preceded by a byte order mark and whitespace;
// without skipping them such a file would be taken for JSON and fail.
bool beginsWithXMLDeclaration(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    size_t start = bytes.find_first_not_of(" \t\r\n\f");
    return start != std::string_view::npos && bytes.substr(start).starts_with("<?xml");
}

} // namespace

std::shared_ptr<VornickObjectArchive> VornickObjectArchive::archiveWithAttributes(
    const std::vector<std::u16string>& names, const VornickKeyValueCoding& object)
{
    auto archive = std::make_shared<VornickObjectArchive>();
    for (const std::u16string& name : names) {
        Value value = object.valueForKey(name);
        if (!value.isNull())
            archive->m_attributes.insert_or_assign(name, std::move(value));
    }
    return archive;
}

std::shared_ptr<VornickObjectArchive> VornickObjectArchive::createWithContentsOfURL(const URL& url, Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error(CocoaErrorDomain, 262, u"The file URL is not a local file: " + url.absoluteString()));
        return nullptr;
    }
    auto file = ReadableFile::open(*path, FileReadKind::Other, outError);
    auto bytes = file ? file->readToEnd(outError) : std::nullopt;
    if (!bytes)
        return nullptr;
    auto archive = archiveWithData(*bytes, outError);
    // The snapshot is of the status taken before the first byte was read, so
    // that a change made while reading shows as a difference from it later.
    if (archive)
        archive->m_fileSnapshot = VornickFileSnapshot::createWithStatus(url, std::move(*path), file->status());
    return archive;
}

std::shared_ptr<VornickObjectArchive> VornickObjectArchive::archiveWithData(std::string_view bytes, Error* outError)
{
    std::optional<Value> root;
    if (beginsWithXMLDeclaration(bytes))
        root = readPropertyList(bytes, outError);
    else
        root = readJSON(bytes, outError);
    if (!root || !root->isDictionary())
        return nullptr;
    return std::make_shared<VornickObjectArchive>(std::move(root->dictionary()));
}

const Value* VornickObjectArchive::objectForKey(std::u16string_view key) const
{
    auto it = m_attributes.find(key);
    return it == m_attributes.end() ? nullptr : &it->second;
}

void VornickObjectArchive::setObject(Value value, std::u16string_view key)
{
    m_attributes.insert_or_assign(std::u16string(key), std::move(value));
}

void VornickObjectArchive::removeObjectForKey(std::u16string_view key)
{
    auto it = m_attributes.find(key);
    if (it != m_attributes.end())
        m_attributes.erase(it);
}

// The archive's value for an attribute name: "identifierUsedByBlogService"
// falls back on the older "bloggerUniqueIdentifier".
static const Value* archivedValue(const VornickObjectArchive& archive, std::u16string_view name)
{
    const Value* value = archive.objectForKey(name);
    if ((!value || value->isNull()) && name == u"identifierUsedByBlogService")
        value = archive.objectForKey(u"bloggerUniqueIdentifier");
    return value;
}

void VornickObjectArchive::applyAttributes(const std::vector<std::u16string>& names, VornickKeyValueCoding& object) const
{
    for (const std::u16string& name : names) {
        if (!object.respondsToKey(name)) {
            VornickGeneralLog("applyAttributes:toObject: failure. {}({}) doesn't respond to selector -{}",
                              object.className(), fmt::ptr(&object), name);
            continue;
        }
        const Value* value = archivedValue(*this, name);
        object.setValueForKey(value ? *value : Value(), name);
    }
}

void VornickObjectArchive::applyAttributes(const std::vector<std::u16string>& names, ManagedObject& object) const
{
    VornickManagedObjectKeyValueCoding coding(object);
    applyAttributes(names, coding);
}

std::shared_ptr<ManagedObject> VornickObjectArchive::pullIntoManagedObjectContext(ManagedObjectContext& context,
                                                                                  std::u16string_view entityKind,
                                                                                  std::u16string_view uniquePrimaryKeyName,
                                                                                  const std::vector<std::u16string>& attributeNames) const
{
    std::shared_ptr<ManagedObject> object;
    const Value* key = archivedValue(*this, uniquePrimaryKeyName);
    const EntityDescription* entity = context.model().entityNamed(entityKind);
    const AttributeDescription* keyAttribute = entity ? entity->attributeNamed(uniquePrimaryKeyName) : nullptr;
    std::optional<Value> keyValue;
    if (key && keyAttribute)
        keyValue = VornickManagedObjectKeyValueCoding::convertedValue(*key, keyAttribute->type);
    if (keyValue && !keyValue->isNull())
        object = vornick_entityOfKind(context, entityKind, *keyValue, uniquePrimaryKeyName);
    if (!object) {
        object = vornick_createNewEntityOfKind(context, entityKind);
        if (keyValue && !keyValue->isNull())
            object->setValueForKey(*keyValue, uniquePrimaryKeyName);
    }
    applyAttributes(attributeNames, *object);
    return object;
}

std::optional<std::string> VornickObjectArchive::xmlDataReturningErrorIn(Error* outError) const
{
    auto data = writePropertyList(Value(m_attributes), PropertyListFormat::XML, outError);
    if (!data)
        return std::nullopt;
    return std::string(data->begin(), data->end());
}

std::optional<std::string> VornickObjectArchive::jsonDataReturningErrorIn(Error* outError) const
{
    VornickJSONWriter writer(VornickJSONWriter::PrettyPrint | VornickJSONWriter::NumbersAsStrings);
    // An archive holds a key because its object set it: an empty list or
    // dictionary is written too (the writer would drop it), so that reading
    // the file clears what the object no longer has.
    writer.beginDictionary();
    for (const auto& attribute : m_attributes) {
        const auto& key = attribute.first;
        const Value& value = attribute.second;
        if (value.isArray() && value.array().empty())
            writer.writeKey(key, [&] { writer.writeArrayValue(&value.array(), [&](const Value& element) { writer.writeValue(element); }); });
        else if (value.isDictionary() && value.dictionary().empty())
            writer.writeKey(key, [&] { writer.writeDictionary(value.dictionary()); });
        else if (value.isDate())
            writer.writeKey(key, [&] { writer.writeStringValue(archivedDateString(value.date())); });
        else
            writer.conditionalWriteKeyValue(key, &value);
    }
    writer.endDictionary();
    return writer.jsonDataReturningErrorIn(outError);
}

std::u16string VornickObjectArchive::archivedDateString(Date date)
{
    return ISO8601StringFromDate(date);
}

std::optional<std::string> VornickObjectArchive::dataInFormat(VornickObjectArchiveFormat format, Error* outError) const
{
    return format == VornickObjectArchiveFormat::XML ? xmlDataReturningErrorIn(outError)
                                                   : jsonDataReturningErrorIn(outError);
}

} // namespace brevanton
