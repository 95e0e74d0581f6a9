#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickManagedObjectKeyValueCoding.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>

namespace brevanton {

namespace {

const Value* valueOf(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found == description.end() || found->second.isNull() ? nullptr : &found->second;
}

std::u16string stringOf(const Dictionary& description, std::u16string_view key)
{
    const Value* value = valueOf(description, key);
    return value && value->isString() ? value->string() : std::u16string();
}

// Sets an attribute from the forms files hold it in (text for numbers and booleans).
void setAttribute(ManagedObject& object, const Value& value, std::u16string_view key)
{
    VornickManagedObjectKeyValueCoding(object).setValueForKey(value, key);
}

// Makes the blog's terms of `relationship` those of the list: each found by
// its service identifier, else its title, else made; the others deleted.
// Answers the terms in the order of the list.
std::vector<std::shared_ptr<ManagedObject>> replaceTerms(ManagedObjectContext& context, VornickWordPressBlog& blog,
                                                         std::u16string_view relationship, const char16_t* entity,
                                                         const std::vector<Dictionary>& descriptions)
{
    auto existing = blog.objectsForKey(relationship);
    std::vector<std::shared_ptr<ManagedObject>> kept;
    for (const auto& description : descriptions) {
        std::u16string identifier = stringOf(description, u"identifierUsedByBlogService");
        std::u16string title = stringOf(description, u"title");
        auto match = std::find_if(existing.begin(), existing.end(), [&](const auto& term) {
            if (std::find(kept.begin(), kept.end(), term) != kept.end())
                return false;
            if (!identifier.empty())
                return term->valueForKey(u"identifierUsedByBlogService").stringValue() == identifier;
            return term->valueForKey(u"title").stringValue() == title;
        });
        std::shared_ptr<ManagedObject> term;
        if (match != existing.end()) {
            term = *match;
        } else {
            term = context.insertNewObject(entity);
            term->setObjectForKey(blog.shared_from_this(), u"blog");
        }
        term->setValueForKey(identifier.empty() ? Value() : Value(identifier), u"identifierUsedByBlogService");
        term->setValueForKey(title.empty() ? Value() : Value(title), u"title");
        std::u16string explanation = stringOf(description, u"description");
        term->setValueForKey(explanation.empty() ? Value() : Value(explanation), u"explanation");
        kept.push_back(term);
    }
    for (auto& term : existing) {
        if (std::find(kept.begin(), kept.end(), term) == kept.end())
            context.deleteObject(term);
    }
    return kept;
}

void replaceFormatsOrStatuses(ManagedObjectContext& context, VornickWordPressBlog& blog, std::u16string_view relationship,
                              const char16_t* entity, const Dictionary& titlesByIdentifier)
{
    auto existing = blog.objectsForKey(relationship);
    for (auto& term : existing) {
        std::u16string identifier = term->valueForKey(u"identifier").stringValue();
        if (!titlesByIdentifier.count(identifier))
            context.deleteObject(term);
    }
    for (const auto& [key, title] : titlesByIdentifier) {
        const auto& identifier = key;
        auto match = std::find_if(existing.begin(), existing.end(),
                                  [&](const auto& term) { return term->valueForKey(u"identifier").stringValue() == identifier; });
        std::shared_ptr<ManagedObject> term = match != existing.end() ? *match : context.insertNewObject(entity);
        if (match == existing.end()) {
            term->setValueForKey(Value(identifier), u"identifier");
            term->setObjectForKey(blog.shared_from_this(), u"blog");
        }
        term->setValueForKey(title.isString() ? title : Value(), u"title");
    }
}

std::vector<Dictionary> dictionariesOf(const Value& list)
{
    std::vector<Dictionary> dictionaries;
    for (const auto& element : list.array()) {
        if (element.isDictionary())
            dictionaries.push_back(element.dictionary());
    }
    return dictionaries;
}

std::shared_ptr<ManagedObject> termWithIdentifier(const ManagedObject& blog, std::u16string_view relationship, std::u16string_view identifier)
{
    for (auto& term : blog.objectsForKey(relationship)) {
        if (term->valueForKey(u"identifier").stringValue() == identifier)
            return term;
    }
    return nullptr;
}

} // namespace

VornickWordPressIntegrator::VornickWordPressIntegrator()
    : m_fetchTemplatesByCreatingDrafts(UserDefaults::standard().boolForKey(u"FetchWordPressTemplatesByCreatingDrafts"))
{
}

std::shared_ptr<VornickPublishedBlog> VornickWordPressIntegrator::importBlogDescription(const Dictionary& description,
                                                                                       std::shared_ptr<VornickPublishedBlog> blog,
                                                                                       const std::optional<URL>& sourceFile)
{
    blog = VornickBlogServiceIntegrator::importBlogDescription(description, std::move(blog), sourceFile);
    auto wordPressBlog = std::dynamic_pointer_cast<VornickWordPressBlog>(blog);
    if (!wordPressBlog || !context())
        return blog;
    for (const char16_t* key : { u"allowComments", u"allowPings", u"useWordPressBlockMode", u"themeIdentifier", u"wordPressDateFormat",
                                 u"wordPressTimeFormat", u"wordPressTimeZone" }) {
        if (const Value* value = valueOf(description, key))
            setAttribute(*wordPressBlog, *value, key);
    }
    auto& context = *this->context();
    if (const Value* formats = valueOf(description, u"postFormats"); formats && formats->isDictionary())
        replaceFormatsOrStatuses(context, *wordPressBlog, u"postFormats", u"PostFormat", formats->dictionary());
    if (const Value* statuses = valueOf(description, u"postStatuses"); statuses && statuses->isDictionary())
        replaceFormatsOrStatuses(context, *wordPressBlog, u"postStatuses", u"PostStatus", statuses->dictionary());
    if (const Value* tags = valueOf(description, u"tags"); tags && tags->isArray())
        replaceTerms(context, *wordPressBlog, u"tags", u"BlogTag", dictionariesOf(*tags));
    if (const Value* categories = valueOf(description, u"categories"); categories && categories->isArray()) {
        auto descriptions = dictionariesOf(*categories);
        auto terms = replaceTerms(context, *wordPressBlog, u"categories", u"BlogCategory", descriptions);
        for (size_t i = 0; i < terms.size(); ++i) {
            std::u16string parentIdentifier = stringOf(descriptions[i], u"parentCategoryIdentifier");
            std::shared_ptr<ManagedObject> parent;
            for (auto& candidate : terms) {
                if (!parentIdentifier.empty() && candidate->valueForKey(u"identifierUsedByBlogService").stringValue() == parentIdentifier)
                    parent = candidate;
            }
            terms[i]->setObjectForKey(parent, u"parentCategory");
        }
    }
    return blog;
}

std::shared_ptr<VornickPublishedBlogPost> VornickWordPressIntegrator::importPostDescription(const Dictionary& description,
                                                                                          std::shared_ptr<VornickPublishedBlogPost> post,
                                                                                          const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                                          const std::optional<URL>& sourceFile,
                                                                                          bool intoNewEmptyDatabase)
{
    post = VornickBlogServiceIntegrator::importPostDescription(description, std::move(post), blog, sourceFile, intoNewEmptyDatabase);
    auto wordPressBlog = std::dynamic_pointer_cast<VornickWordPressBlog>(blog);
    if (!post || !wordPressBlog)
        return post;
    std::u16string type = stringOf(description, u"type");
    if (!type.empty())
        post->ManagedObject::setValueForKey(Value(type), u"type");
    const Value* identifiers = valueOf(description, u"categoryIdentifiers");
    const Value* titles = valueOf(description, u"categories");
    if ((identifiers && identifiers->isArray()) || (titles && titles->isArray())) {
        std::vector<std::shared_ptr<ManagedObject>> categories;
        auto all = wordPressBlog->objectsForKey(u"categories");
        auto add = [&](const Value* list, std::u16string_view key) {
            if (!list || !list->isArray())
                return;
            for (const auto& wanted : list->array()) {
                for (auto& category : all) {
                    if (wanted.isString() && category->valueForKey(key).stringValue() == wanted.string()
                        && std::find(categories.begin(), categories.end(), category) == categories.end())
                        categories.push_back(category);
                }
            }
        };
        add(identifiers, u"identifierUsedByBlogService");
        if (categories.empty())
            add(titles, u"title");
        post->setObjectsForKey(categories, u"categories");
    }
    std::u16string format = stringOf(description, u"format");
    if (!format.empty())
        post->setObjectForKey(termWithIdentifier(*wordPressBlog, u"postFormats", format), u"format");
    std::u16string status = stringOf(description, u"status");
    if (!status.empty())
        post->setObjectForKey(termWithIdentifier(*wordPressBlog, u"postStatuses", status), u"status");
    if (const Value* featured = valueOf(description, u"featuredImageIdentifier"))
        post->setObjectForKey(wordPressBlog->mediaItemForIdentifier(*featured), u"featuredImageMediaItem");
    return post;
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressIntegrator::existingMediaItemForDescription(const Dictionary& description,
                                                                                                     const std::optional<URL>& sourceFile,
                                                                                                     const VornickWordPressBlog& blog)
{
    auto items = blog.mediaItems();
    auto find = [&](std::u16string_view key, const std::u16string& wanted) -> std::shared_ptr<VornickWordPressMediaItem> {
        if (wanted.empty())
            return nullptr;
        for (auto& item : items) {
            if (item->valueForKey(key).stringValue() == wanted)
                return std::dynamic_pointer_cast<VornickWordPressMediaItem>(item);
        }
        return nullptr;
    };
    if (auto item = find(u"identifierUsedByBlogService", stringOf(description, u"identifierUsedByBlogService")))
        return item;
    if (auto item = find(u"uniqueIdentifier", stringOf(description, u"uniqueIdentifier")))
        return item;
    return sourceFile ? find(u"sourceFileName", sourceFile->lastPathComponent()) : nullptr;
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressIntegrator::importMediaItemDescription(
    const Dictionary& description, std::shared_ptr<VornickWordPressMediaItem> item, const std::shared_ptr<VornickWordPressBlog>& blog,
    const std::optional<URL>& sourceFile)
{
    if (!blog || !context())
        return nullptr;
    if (!item) {
        item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context()->insertNewObject(u"MediaItem"));
        if (!item)
            return nullptr;
        item->setObjectForKey(blog, u"blog");
    }
    for (const auto& name : item->attributesForArchivalRepresentation()) {
        if (const Value* value = valueOf(description, name))
            setAttribute(*item, *value, name);
    }
    if (sourceFile) {
        item->setSourceFileName(sourceFile->lastPathComponent());
        auto snapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(*sourceFile);
        item->setSourceFileModificationDate(snapshot->exists() ? std::optional(snapshot->modificationDate()) : std::nullopt);
        item->setHasEditsNotYetSavedToSourceFile(false);
    }
    if (const Value* variants = valueOf(description, u"variants"); variants && variants->isDictionary()) {
        for (auto& old : item->objectsForKey(u"variants"))
            context()->deleteObject(old);
        for (const auto& [name, list] : variants->dictionary()) {
            if (!list.isDictionary())
                continue;
            auto variant = context()->insertNewObject(u"MediaItemVariant");
            variant->setValueForKey(Value(name), u"variantName");
            for (const char16_t* key : { u"filename", u"mimeType", u"pixelsHigh", u"pixelsWide" }) {
                if (const Value* value = list.find(key))
                    setAttribute(*variant, *value, key);
            }
            variant->setObjectForKey(item, u"mediaItem");
        }
    }
    return item;
}

} // namespace brevanton
