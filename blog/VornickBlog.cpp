#include "blog/VornickBlog.h"

#include "blog/VornickBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/JSONReader.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickJSONWriter.h"
#include "toolkit/VornickLog.h"

#include <mutex>
#include <unordered_map>

namespace brevanton {

namespace {

struct WebResourceCacheTable {
    std::mutex mutex;
    std::unordered_map<std::u16string, std::shared_ptr<VornickDiskWebResourceCache>> caches;

    static WebResourceCacheTable& shared()
    {
        // Lives for the whole process.
        static auto* table = new WebResourceCacheTable;
        return *table;
    }
};

} // namespace

std::u16string VornickBlog::blogDisplayNameForTitle(std::u16string_view title, std::optional<std::u16string> domain)
{
    std::u16string stripped = vornick_stringbyStrippingHTMLMarkup(title);
    if (!domain)
        return stripped;
    return stripped + u" (" + *domain + u")";
}

std::u16string VornickBlog::identifierUsedByBlogService() const
{
    return ManagedObject::valueForKey(u"identifierUsedByBlogService").stringValue();
}

std::u16string VornickBlog::title() const
{
    return ManagedObject::valueForKey(u"title").stringValue();
}

void VornickBlog::setTitle(const std::u16string& title)
{
    ManagedObject::setValueForKey(Value(title), u"title");
}

std::u16string VornickBlog::displayName() const
{
    return blogDisplayNameForTitle(title());
}

std::vector<std::shared_ptr<VornickBlogPost>> VornickBlog::posts() const
{
    return objectsForKey<VornickBlogPost>(u"posts");
}

void VornickBlog::forEachPost(const std::function<void(VornickBlogPost&)>& visit) const
{
    forEachObjectForKey<VornickBlogPost>(u"posts", visit);
}

std::optional<URL> VornickBlog::blogFolderURL() const
{
    auto url = sourceFileURL();
    if (!url)
        return std::nullopt;
    return url->URLByDeletingLastPathComponent();
}

std::vector<VornickAttachmentPointDescription> VornickBlog::postAttachmentPointDescriptions() const
{
    using D = VornickAttachmentPointDescription;
    return { D::attachmentPointDescriptionWithTitle(u"Featured Image", VornickFeaturedImageAttachmentPointIdentifier),
             D::attachmentPointDescriptionWithTitle(u"Body", VornickBodyAttachmentPointIdentifier),
             D::attachmentPointDescriptionWithTitle(u"Title", VornickTitleAttachmentPointIdentifier),
             D::attachmentPointDescriptionWithTitle(u"Date", VornickDateAttachmentPointIdentifier),
             D::attachmentPointDescriptionWithTitle(u"Tags", VornickTagsAttachmentPointIdentifier) };
}

std::optional<Data> VornickBlog::postAttachmentPointData() const
{
    Value data = ManagedObject::valueForKey(u"postAttachmentPointData");
    if (!data.isData())
        return std::nullopt;
    return data.data();
}

void VornickBlog::setPostAttachmentPointData(const std::optional<Data>& data)
{
    ManagedObject::setValueForKey(data ? Value(*data) : Value(), u"postAttachmentPointData");
}

// The stored form of a locator set, or none for a value of another form.
static std::optional<Dictionary> attachmentPointSetPropertyList(const Value& value)
{
    if (!value.isDictionary())
        return std::nullopt;
    const Value* theme = value.find(u"themeIdentifier");
    const Value* points = value.find(u"attachmentPoints");
    if ((theme && !theme->isString()) || (points && !points->isDictionary()))
        return std::nullopt;
    Dictionary result;
    if (theme)
        result[u"themeIdentifier"] = *theme;
    Dictionary selectors;
    if (points) {
        for (const auto& [identifier, selector] : points->dictionary()) {
            if (selector.isString())
                selectors[identifier] = selector;
        }
    }
    if (!selectors.empty())
        result[u"attachmentPoints"] = Value(std::move(selectors));
    return result;
}

std::optional<Value> VornickBlog::postAttachmentPointSetPropertyList() const
{
    auto data = postAttachmentPointData();
    auto decoded = data ? readJSON(*data, nullptr) : std::nullopt;
    auto propertyList = decoded ? attachmentPointSetPropertyList(*decoded) : std::nullopt;
    return propertyList ? std::optional(Value(std::move(*propertyList))) : std::nullopt;
}

bool VornickBlog::setPostAttachmentPointSetPropertyList(const Value& value)
{
    auto propertyList = attachmentPointSetPropertyList(value);
    if (!propertyList)
        return false;
    VornickJSONWriter writer;
    writer.writeDictionary(*propertyList);
    auto json = writer.jsonDataReturningErrorIn(nullptr);
    if (!json)
        return false;
    setPostAttachmentPointData(Data(json->begin(), json->end()));
    return true;
}

std::optional<URL> VornickBlog::templatesFolderURL() const
{
    auto folder = blogFolderURL();
    return folder ? std::optional(folder->URLByAppendingPathComponent(u"templates", true)) : std::nullopt;
}

std::optional<URL> VornickBlog::resourcesFolderURL() const
{
    auto folder = blogFolderURL();
    return folder ? std::optional(folder->URLByAppendingPathComponent(u"resources", true)) : std::nullopt;
}

std::shared_ptr<VornickHTMLFormattingPreferences> VornickBlog::blogPostHTMLFormattingPreferences()
{
    static const std::shared_ptr<VornickHTMLFormattingPreferences> preferences = [] {
        auto made = std::make_shared<VornickHTMLFormattingPreferences>(
            VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()->mutableCopy());
        made->setEncloseAttributeValuesInDoubleQuotes(true);
        made->setIndentBlockElements(false);
        made->setInsertBlankLineBeforeAndAfterHeadings(false);
        made->setInsertSpaceBeforeEmptyElementSlash(false);
        made->setUseNativeSpecialCharacters(true);
        made->setUseNamedCharacterReferences(false);
        made->setUseDecimalCharacterReferences(true);
        made->setPutCommentsOnNewLine(true);
        made->setDontEscapeGreaterThanCharacter(true);
        return made;
    }();
    return preferences;
}

std::shared_ptr<VornickDiskWebResourceCache> VornickBlog::webResourceCache() const
{
    ManagedObjectID objectID = this->objectID();
    if (objectID.isEmpty())
        return nullptr;
    std::u16string key = objectID.URIString();
    auto& table = WebResourceCacheTable::shared();
    {
        std::lock_guard lock(table.mutex);
        if (auto found = table.caches.find(key); found != table.caches.end())
            return found->second;
    }
    auto folder = resourcesFolderURL();
    if (!folder)
        return nullptr;
    Error error;
    // Its folder is made (or found) through no symbolic link below the project's folder.
    auto project = this->project();
    auto folderPath = folder->fileSystemPath();
    if (project && folderPath && !project->createFolderInsideSourceRoot(*folderPath, &error)) {
        VornickGeneralLog("Failed to open the web resource cache in {}: error={}", folder->absoluteString(), error.localizedDescription());
        return nullptr;
    }
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(*folder, &error);
    if (!cache) {
        VornickGeneralLog("Failed to open the web resource cache in {}: error={}", folder->absoluteString(), error.localizedDescription());
        return nullptr;
    }
    std::lock_guard lock(table.mutex);
    // Another thread may have made it meanwhile: the first one stays.
    return table.caches.try_emplace(key, std::move(cache)).first->second;
}

void VornickBlog::releaseWebResourceCache() const
{
    ManagedObjectID objectID = this->objectID();
    if (objectID.isEmpty())
        return;
    std::u16string key = objectID.URIString();
    auto& table = WebResourceCacheTable::shared();
    std::shared_ptr<VornickDiskWebResourceCache> released;
    std::lock_guard lock(table.mutex);
    if (auto found = table.caches.find(key); found != table.caches.end()) {
        released = std::move(found->second);
        table.caches.erase(found);
    }
}

std::vector<std::pair<std::u16string_view, std::u16string_view>> VornickBlog::fileReferenceArchiveKeys()
{
    return { { u"fragmentSetFileReference", u"snippetSet" }, { u"singlePostEditingTemplateReference", u"singlePostEditingTemplate" } };
}

bool VornickBlog::setFileReferenceFromPropertyList(std::u16string_view attribute, const Value& propertyList)
{
    if (!propertyList.isDictionary())
        return false;
    std::optional<URL> folder;
    if (auto project = this->project())
        folder = project->sourceRootURL();
    auto reference = VornickEnduringFileReference::createWithPropertyList(propertyList, folder ? &*folder : nullptr);
    if (!reference)
        return false;
    ManagedObject::setValueForKey(Value(reference->propertyListForReferencingProjectFile(folder ? &*folder : nullptr)), attribute);
    return true;
}

std::optional<std::u16string> VornickBlog::standardFilenameExtension() const
{
    if (auto project = std::dynamic_pointer_cast<VornickPublishedBlogProject>(this->project()))
        return project->blogFilenameExtension();
    return std::nullopt;
}

std::vector<std::u16string> VornickBlog::attributesForArchivalRepresentation() const
{
    return { u"identifierUsedByBlogService", u"title" };
}

std::shared_ptr<VornickObjectArchive> VornickBlog::archivalRepresentation() const
{
    auto archive = VornickProjectComponent::archivalRepresentation();
    Value preferences = ManagedObject::valueForKey(u"htmlFormattingPreferences");
    if (preferences.isDictionary())
        archive->setObject(preferences, u"htmlFormattingPreferences");
    if (auto locatorSet = postAttachmentPointSetPropertyList())
        archive->setObject(std::move(*locatorSet), u"postAttachmentPointSet");
    for (const auto& [attribute, key] : fileReferenceArchiveKeys()) {
        Value reference = ManagedObject::valueForKey(attribute);
        if (reference.isDictionary())
            archive->setObject(std::move(reference), key);
    }
    return archive;
}

} // namespace brevanton
