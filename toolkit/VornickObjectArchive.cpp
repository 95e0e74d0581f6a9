#include "toolkit/VornickObjectArchive.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickJSONWriter.h"
#include "toolkit/VornickKeyValueCoding.h"
#include "toolkit/VornickLog.h"
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
    // The snapshot comes first, so that a change made while reading shows
    // as a difference from it later.
    auto snapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url);
    auto bytes = readFile(*path, outError);
    if (!bytes)
        return nullptr;
    auto archive = archiveWithData(*bytes, outError);
    if (archive)
        archive->m_fileSnapshot = std::move(snapshot);
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

void VornickObjectArchive::applyAttributes(const std::vector<std::u16string>& names, VornickKeyValueCoding& object) const
{
    for (const std::u16string& name : names) {
        std::u16string_view archiveKey = name;
        if (name == u"identifierUsedByBlogService")
            archiveKey = u"bloggerUniqueIdentifier";
        if (!object.respondsToKey(name)) {
            VornickGeneralLog("applyAttributes:toObject: failure. {}({}) doesn't respond to selector -{}",
                              object.className(), fmt::ptr(&object), name);
            continue;
        }
        const Value* value = objectForKey(archiveKey);
        object.setValueForKey(value ? *value : Value(), name);
    }
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
    writer.writeDictionary(m_attributes);
    return writer.jsonDataReturningErrorIn(outError);
}

std::optional<std::string> VornickObjectArchive::dataInFormat(VornickObjectArchiveFormat format, Error* outError) const
{
    return format == VornickObjectArchiveFormat::XML ? xmlDataReturningErrorIn(outError)
                                                   : jsonDataReturningErrorIn(outError);
}

} // namespace brevanton
