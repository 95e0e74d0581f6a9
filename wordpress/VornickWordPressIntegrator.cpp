#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogTag.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "blog/VornickWordPressPostTerms.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickManagedObjectKeyValueCoding.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressAgentFactory.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressSiteTimeZone.h"

#include <algorithm>

namespace brevanton {

namespace {

const Value* valueOf(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found == description.end() || found->second.isNull() ? nullptr : &found->second;
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
        std::u16string identifier = vornick_descriptionString(description, u"identifierUsedByBlogService");
        std::u16string title = vornick_descriptionString(description, u"title");
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
        std::u16string explanation = vornick_descriptionString(description, u"description");
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

std::vector<std::u16string> stringsOf(const Value* list)
{
    std::vector<std::u16string> strings;
    if (!list || !list->isArray())
        return strings;
    for (const auto& element : list->array()) {
        if (element.isString())
            strings.push_back(element.string());
        else if (element.isNumber())
            strings.push_back(element.stringValue());
    }
    return strings;
}

template<EntityClass Term>
std::shared_ptr<Term> termOfBlog(const VornickPublishedBlog& blog, std::u16string_view relationship, std::u16string_view key,
                                 std::u16string_view wanted)
{
    if (wanted.empty())
        return nullptr;
    for (auto& object : blog.objectsForKey(relationship)) {
        if (object->valueForKey(key).stringValue() == wanted)
            return entityCast<Term>(std::move(object));
    }
    return nullptr;
}

std::shared_ptr<ManagedObject> existingOrNewTermWithIdentifier(ManagedObjectContext* context, VornickWordPressBlog& blog,
                                                               std::u16string_view relationship, const char16_t* entity,
                                                               const std::u16string& identifier)
{
    if (identifier.empty())
        return nullptr;
    for (auto& term : blog.objectsForKey(relationship)) {
        if (term->valueForKey(u"identifier").stringValue() == identifier)
            return term;
    }
    if (!context)
        return nullptr;
    auto term = context->insertNewObject(entity);
    term->setValueForKey(Value(identifier), u"identifier");
    term->setObjectForKey(blog.shared_from_this(), u"blog");
    return term;
}

} // namespace

VornickWordPressIntegrator::VornickWordPressIntegrator()
    : m_fetchTemplatesByCreatingDrafts(UserDefaults::standard().boolForKey(u"FetchWordPressTemplatesByCreatingDrafts"))
{
}

VornickWordPressIntegrator::~VornickWordPressIntegrator()
{
    stopWatchingWebCache();
}

void VornickWordPressIntegrator::setManagedObjectContextProvider(VornickBlogServiceIntegratorManagedObjectContextProvider* provider)
{
    VornickBlogServiceIntegrator::setManagedObjectContextProvider(provider);
    if (provider)
        startWatchingWebCache();
    else
        stopWatchingWebCache();
}

std::shared_ptr<VornickBlogServiceAgent> VornickWordPressIntegrator::agent()
{
    if (auto existing = VornickBlogServiceIntegrator::agent())
        return existing;
    auto account = entityCast<VornickWordPressAccount>(findHostingAccount());
    auto agent = vornickMakeWordPressAgentForAccount(account);
    if (!agent) {
        logToSyncLog(u"** Error: Need a WordPressAccount to be able to instantiate BlogServiceAgent.");
        return nullptr;
    }
    setAgent(agent);
    return agent;
}

std::shared_ptr<VornickWordPressAgent> VornickWordPressIntegrator::wordPressAgent()
{
    return std::dynamic_pointer_cast<VornickWordPressAgent>(agent());
}

int64_t VornickWordPressIntegrator::wordPressDotComSiteCount()
{
    auto agent = wordPressAgent();
    return agent ? agent->wordPressDotComSiteCount() : 0;
}

// --- Import

std::shared_ptr<VornickPublishedBlog> VornickWordPressIntegrator::importBlogDescription(const Dictionary& description,
                                                                                       std::shared_ptr<VornickPublishedBlog> blog,
                                                                                       const std::optional<URL>& sourceFile)
{
    blog = VornickBlogServiceIntegrator::importBlogDescription(description, std::move(blog), sourceFile);
    auto wordPressBlog = entityCast<VornickWordPressBlog>(blog);
    if (!wordPressBlog || !context())
        return blog;
    for (const char16_t* key : { u"allowComments", u"allowPings", u"useWordPressBlockMode", u"themeIdentifier", u"wordPressDateFormat",
                                 u"wordPressTimeFormat" }) {
        if (const Value* value = valueOf(description, key))
            setAttribute(*wordPressBlog, *value, key);
    }
    // The blog keeps the site's offset from UTC, whichever way the site gave its zone.
    if (const Value* zone = valueOf(description, u"wordPressTimeZone")) {
        if (auto hours = vornickWordPressTimeZoneOffsetHours(*zone, Date::now()))
            setAttribute(*wordPressBlog, Value(*hours), u"wordPressTimeZone");
    }
    if (const Value* formats = valueOf(description, u"postFormats"); formats && formats->isDictionary())
        importPostFormatDescriptions(formats->dictionary(), *wordPressBlog);
    if (const Value* statuses = valueOf(description, u"postStatuses"); statuses && statuses->isDictionary())
        importPostStatusDescriptions(statuses->dictionary(), *wordPressBlog);
    if (const Value* categories = valueOf(description, u"categories"); categories && categories->isArray())
        importCategoryDescriptions(dictionariesOf(*categories), *wordPressBlog);
    if (const Value* tags = valueOf(description, u"tags"); tags && tags->isArray())
        importTagDescriptions(dictionariesOf(*tags), *wordPressBlog);
    return blog;
}

void VornickWordPressIntegrator::importCategoryDescriptions(const std::vector<Dictionary>& descriptions, VornickWordPressBlog& blog)
{
    if (!context())
        return;
    auto terms = replaceTerms(*context(), blog, u"categories", u"BlogCategory", descriptions);
    for (size_t i = 0; i < terms.size(); ++i) {
        std::u16string parentIdentifier = vornick_descriptionString(descriptions[i], u"parentCategoryIdentifier");
        std::shared_ptr<ManagedObject> parent;
        for (auto& candidate : terms) {
            if (!parentIdentifier.empty() && candidate->valueForKey(u"identifierUsedByBlogService").stringValue() == parentIdentifier)
                parent = candidate;
        }
        terms[i]->setObjectForKey(parent, u"parentCategory");
    }
}

void VornickWordPressIntegrator::importTagDescriptions(const std::vector<Dictionary>& descriptions, VornickWordPressBlog& blog)
{
    if (context())
        replaceTerms(*context(), blog, u"tags", u"BlogTag", descriptions);
}

void VornickWordPressIntegrator::importPostFormatDescriptions(const Dictionary& titlesByIdentifier, VornickWordPressBlog& blog)
{
    if (context())
        replaceFormatsOrStatuses(*context(), blog, u"postFormats", u"PostFormat", titlesByIdentifier);
}

void VornickWordPressIntegrator::importPostStatusDescriptions(const Dictionary& titlesByIdentifier, VornickWordPressBlog& blog)
{
    if (context())
        replaceFormatsOrStatuses(*context(), blog, u"postStatuses", u"PostStatus", titlesByIdentifier);
}

std::u16string VornickWordPressIntegrator::postFileStemForPermalink(std::u16string_view permalinkURLString)
{
    auto url = URL::create(permalinkURLString);
    if (!url || (url->scheme() != u"http" && url->scheme() != u"https"))
        return {};
    std::u16string path = url->path();
    if (path.starts_with(u'/'))
        path.erase(0, 1);
    // A plain permalink ("/?p=12", "/?page_id=5") names no place of its own.
    if (path.empty() && url->query() && !url->query()->empty())
        return {};
    if (path.empty())
        return u"_landing_page";
    std::u16string extension = url->pathExtension();
    if (!extension.empty() && path.size() > extension.size() + 1 && path.ends_with(u"." + extension))
        path.erase(path.size() - extension.size() - 1);
    std::replace(path.begin(), path.end(), u'/', u'_');
    return path;
}

std::shared_ptr<VornickPublishedBlogPost> VornickWordPressIntegrator::importPostDescription(const Dictionary& description,
                                                                                          std::shared_ptr<VornickPublishedBlogPost> post,
                                                                                          const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                                          const std::optional<URL>& sourceFile,
                                                                                          bool intoNewEmptyDatabase)
{
    post = VornickBlogServiceIntegrator::importPostDescription(description, std::move(post), blog, sourceFile, intoNewEmptyDatabase);
    auto wordPressBlog = entityCast<VornickWordPressBlog>(blog);
    if (!post || !wordPressBlog)
        return post;
    auto* context = this->context();
    std::u16string type = vornick_descriptionString(description, u"type");
    if (!type.empty())
        post->ManagedObject::setValueForKey(Value(type), u"type");
    std::u16string format = vornick_descriptionString(description, u"format");
    if (!format.empty())
        post->setObjectForKey(existingOrNewPostFormatWithIdentifier(format, *wordPressBlog), u"format");
    std::u16string status = vornick_descriptionString(description, u"status");
    if (!status.empty())
        post->setObjectForKey(existingOrNewPostStatusWithIdentifier(status, *wordPressBlog), u"status");

    // Categories and tags: exactly those the description names, by
    // identifier, and by title those the identifiers left out (a post file
    // lists a term the site has not given an identifier yet by title only).
    auto termsOf = [&](const char16_t* identifiersKey, const char16_t* titlesKey, bool categories) {
        std::vector<std::shared_ptr<ManagedObject>> terms;
        auto add = [&](std::shared_ptr<ManagedObject> term) {
            if (term && std::find(terms.begin(), terms.end(), term) == terms.end())
                terms.push_back(std::move(term));
        };
        for (const auto& identifier : stringsOf(valueOf(description, identifiersKey))) {
            if (categories)
                add(existingCategoryWithIdentifier(identifier, *wordPressBlog));
            else
                add(existingTagWithIdentifier(identifier, *wordPressBlog));
        }
        for (const auto& title : stringsOf(valueOf(description, titlesKey))) {
            if (std::any_of(terms.begin(), terms.end(), [&](auto& term) { return term->valueForKey(u"title").stringValue() == title; }))
                continue;
            std::shared_ptr<ManagedObject> term = categories ? std::static_pointer_cast<ManagedObject>(categoryWithTitle(title, *wordPressBlog))
                                                             : std::static_pointer_cast<ManagedObject>(tagWithTitle(title, *wordPressBlog));
            if (!term && context) {
                term = context->insertNewObject(categories ? u"BlogCategory" : u"BlogTag");
                term->setValueForKey(Value(title), u"title");
                term->setObjectForKey(wordPressBlog, u"blog");
            }
            add(term);
        }
        return terms;
    };
    post->setObjectsForKey(termsOf(u"categoryIdentifiers", u"categories", true), u"categories");
    post->setObjectsForKey(termsOf(u"tagIdentifiers", u"tags", false), u"tags");

    const Value* featured = valueOf(description, u"featuredImageIdentifier");
    post->setObjectForKey(featured ? wordPressBlog->mediaItemForIdentifier(*featured) : nullptr, u"featuredImageMediaItem");

    if (post->sourceFileName().empty()) {
        std::u16string stem = postFileStemForPermalink(post->permalinkURLString());
        if (!stem.empty())
            nameImportedPostIfUnnamed(*post, stem);
    }
    return post;
}

void VornickWordPressIntegrator::patchMissingPropertiesFromPostDescription(const Dictionary* postDescription, VornickPublishedBlogPost& post)
{
    if (!postDescription || post.objectForKey(u"featuredImageMediaItem"))
        return;
    auto blog = post.objectForKey<VornickWordPressBlog>(u"blog");
    const Value* featured = valueOf(*postDescription, u"featuredImageIdentifier");
    auto item = blog && featured ? blog->mediaItemForIdentifier(*featured) : nullptr;
    if (!item)
        return;
    post.setObjectForKey(item, u"featuredImageMediaItem");
    post.setHasEditsNotYetSavedToSourceFile(true);
    if (editorForPost(post))
        return;
    if (auto url = post.sourceFileURL()) {
        Error error;
        if (!post.writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
            logToSyncLog(u"Failed to write the post file of \"" + post.title() + u"\": " + error.localizedDescription());
    }
}

// --- Lookups

std::shared_ptr<VornickBlogCategory> VornickWordPressIntegrator::categoryWithTitle(std::u16string_view title, const VornickPublishedBlog& blog)
{
    return termOfBlog<VornickBlogCategory>(blog, u"categories", u"title", title);
}

std::shared_ptr<VornickBlogCategory> VornickWordPressIntegrator::existingCategoryWithIdentifier(std::u16string_view identifier,
                                                                                              const VornickPublishedBlog& blog)
{
    return termOfBlog<VornickBlogCategory>(blog, u"categories", u"identifierUsedByBlogService", identifier);
}

std::shared_ptr<VornickBlogTag> VornickWordPressIntegrator::tagWithTitle(std::u16string_view title, const VornickPublishedBlog& blog)
{
    return termOfBlog<VornickBlogTag>(blog, u"tags", u"title", title);
}

std::shared_ptr<VornickBlogTag> VornickWordPressIntegrator::existingTagWithIdentifier(std::u16string_view identifier,
                                                                                     const VornickPublishedBlog& blog)
{
    return termOfBlog<VornickBlogTag>(blog, u"tags", u"identifierUsedByBlogService", identifier);
}

std::shared_ptr<ManagedObject> VornickWordPressIntegrator::existingOrNewPostFormatWithIdentifier(const std::u16string& identifier,
                                                                                                VornickWordPressBlog& blog)
{
    return existingOrNewTermWithIdentifier(context(), blog, u"postFormats", u"PostFormat", identifier);
}

std::shared_ptr<ManagedObject> VornickWordPressIntegrator::existingOrNewPostStatusWithIdentifier(const std::u16string& identifier,
                                                                                                VornickWordPressBlog& blog)
{
    return existingOrNewTermWithIdentifier(context(), blog, u"postStatuses", u"PostStatus", identifier);
}

// --- Shared helpers

std::shared_ptr<VornickWordPressBlog> VornickWordPressIntegrator::wordPressBlogForDescription(const Dictionary& blogDescription)
{
    return entityCast<VornickWordPressBlog>(existingBlogForDescription(blogDescription));
}

void VornickWordPressIntegrator::saveContext(std::u16string_view what)
{
    auto* context = this->context();
    if (!context || !context->hasChanges())
        return;
    Error error;
    if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
        logToSyncLog(u"** Failed to save " + std::u16string(what) + u": " + error.localizedDescription());
}

void VornickWordPressIntegrator::writeBlogFile(VornickWordPressBlog& blog)
{
    auto url = blog.sourceFileURL();
    auto path = url ? url->fileSystemPath() : std::nullopt;
    if (!path)
        return;
    // A file that already holds what the blog holds is left as it is.
    if (!blog.hasEditsNotYetSavedToSourceFile()) {
        auto data = blog.archivalRepresentation()->jsonDataReturningErrorIn(nullptr);
        auto onDisk = readFile(*path);
        if (data && onDisk && *data == *onDisk)
            return;
    }
    Error error;
    if (!blog.writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error))
        logToSyncLog(u"Failed to write the blog file of \"" + blog.title() + u"\": " + error.localizedDescription());
}

} // namespace brevanton
