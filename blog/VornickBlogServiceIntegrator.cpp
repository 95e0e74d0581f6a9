#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogTag.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickComponentFileNames.h"
#include "blog/VornickFileSafeNames.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "platform/foundation/Assertions.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

// Seconds from 1 January 1970 to 1 January 2001.
constexpr double ReferenceDateOffset = 978307200.0;

std::u16string nonEmptyString(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    if (found == description.end() || !found->second.isString())
        return {};
    return found->second.string();
}

const Value* valueOf(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found == description.end() ? nullptr : &found->second;
}

void setStringIfNotEmpty(ManagedObject& object, const Dictionary& description, std::u16string_view key)
{
    const Value* value = valueOf(description, key);
    if (value && value->isString() && !value->string().empty())
        object.setValueForKey(*value, key);
}

// The values of a post description an import reads, found in one walk over
// the description's keys beside the sorted names, not a lookup per name.
class PostDescriptionValues {
public:
    enum Name { Identifier, Title, SourceContentString, SourceContentType, DateLastEditedLocally, DateLastSyncedLocally, Tags,
        PermalinkURLString, DateFirstPublished, DateLastPublished, InTrash, PublishAtNextSync, NameCount };

    explicit PostDescriptionValues(const Dictionary& description)
    {
        static const std::vector<std::pair<std::u16string_view, Name>> sortedNames = [] {
            std::vector<std::pair<std::u16string_view, Name>> names;
            for (int name = 0; name < NameCount; ++name)
                names.emplace_back(key(static_cast<Name>(name)), static_cast<Name>(name));
            std::sort(names.begin(), names.end());
            return names;
        }();
        // Both in the dictionary's order.
        auto entry = description.begin();
        auto name = sortedNames.begin();
        while (entry != description.end() && name != sortedNames.end()) {
            int order = std::u16string_view(entry->first).compare(name->first);
            if (order < 0) {
                ++entry;
            } else if (order > 0) {
                ++name;
            } else {
                m_values[name->second] = &entry->second;
                ++entry;
                ++name;
            }
        }
    }
    const Value* operator[](Name name) const { return m_values[name]; }
    static std::u16string_view key(Name name)
    {
        static constexpr std::u16string_view keys[NameCount] { u"identifierUsedByBlogService", u"title", u"sourceContentString",
            u"sourceContentType", u"dateLastEditedLocally", u"dateLastSyncedLocally", u"tags", u"permalinkURLString", u"dateFirstPublished",
            u"dateLastPublished", u"inTrash", u"publishAtNextSync" };
        return keys[name];
    }

    void setStringIfNotEmpty(ManagedObject& object, Name name) const
    {
        const Value* value = m_values[name];
        if (value && value->isString() && !value->string().empty())
            object.setValueForKey(*value, key(name));
    }
    void setDateIfPresent(ManagedObject& object, Name name) const
    {
        if (auto date = vornick_descriptionDate(m_values[name]))
            object.setValueForKey(Value(*date), key(name));
    }

private:
    const Value* m_values[NameCount] {};
};

} // namespace

std::optional<Date> vornick_descriptionDate(const Value* value)
{
    if (!value)
        return std::nullopt;
    if (value->isDate())
        return value->date();
    if (value->isNumber() && !value->isBoolean())
        return Date(value->doubleValue() + ReferenceDateOffset);
    if (value->isString())
        return vornick_modernISO8601DateFormatter().dateFromString(value->string());
    return std::nullopt;
}

VornickBlogServiceIntegrator::VornickBlogServiceIntegrator() = default;

VornickBlogServiceIntegrator::~VornickBlogServiceIntegrator()
{
    if (m_syncSession)
        m_syncSession->setIntegrator(nullptr);
    if (m_agent && m_agent->delegate() == this)
        m_agent->setDelegate(nullptr);
}

void VornickBlogServiceIntegrator::setSyncLog(std::shared_ptr<VornickLog> log)
{
    m_syncLog = std::move(log);
    if (m_agent)
        m_agent->setLog(m_syncLog);
}

Value VornickBlogServiceIntegrator::nativeIdentifierForPost(const VornickPublishedBlogPost& post)
{
    return Value(post.objectID().URIString());
}

std::shared_ptr<VornickPublishedBlogPost> VornickBlogServiceIntegrator::postForNativeIdentifier(const Value& nativePostIdentifier) const
{
    ManagedObjectContext* managedObjectContext = context();
    if (!managedObjectContext || !nativePostIdentifier.isString())
        return nullptr;
    auto uri = URL::create(std::u16string_view(nativePostIdentifier.string()));
    if (!uri)
        return nullptr;
    return vornick_entityWithURIRepresentation<VornickPublishedBlogPost>(*managedObjectContext, *uri);
}

void VornickBlogServiceIntegrator::logToSyncLog(std::u16string_view line) const
{
    if (m_syncLog)
        m_syncLog->log(line);
    else
        VornickGeneralLog(line);
}

std::shared_ptr<VornickBlogHostingAccount> VornickBlogServiceIntegrator::findHostingAccount()
{
    if (!m_provider) {
        logToSyncLog(u"** Warning: findHostingAccount returning nil because [self managedObjectContextProvider] returned nil");
        return nullptr;
    }
    auto* context = m_provider->managedObjectContext();
    if (!context) {
        logToSyncLog(u"** Warning: findHostingAccount returning nil because [mocProvider managedObjectContext] returned nil");
        return nullptr;
    }
    auto accounts = vornick_allEntitiesOfKind<VornickBlogHostingAccount>(*context);
    if (!accounts) {
        logToSyncLog(u"** Warning: findHostingAccount returning nil because allHostingAccounts came back nil");
        return nullptr;
    }
    if (accounts->empty()) {
        logToSyncLog(u"** Warning: findHostingAccount returning nil because numberOfHostingAccounts == 0");
        return nullptr;
    }
    // Several accounts: the first, as the project takes it for its root.
    if (accounts->size() > 1)
        logToSyncLog(u"** Warning: findHostingAccount found " + toUTF16(std::to_string(accounts->size()))
                     + u" BlogHostingAccount entities, using the first");
    return accounts->front();
}

std::shared_ptr<VornickPublishedBlog> VornickBlogServiceIntegrator::existingBlogForDescription(const Dictionary& blogDescription)
{
    std::u16string identifier = nonEmptyString(blogDescription, u"identifierUsedByBlogService");
    auto* context = this->context();
    if (identifier.empty() || !context)
        return nullptr;
    return vornick_entityOfKind<VornickPublishedBlog>(*context, Value(identifier), u"identifierUsedByBlogService");
}

std::shared_ptr<VornickBlogTag> VornickBlogServiceIntegrator::tagWithTitle(std::u16string_view title, const VornickPublishedBlog& blog)
{
    if (m_importLookup && m_importLookup->blog == &blog) {
        auto& tags = m_importLookup->tagsByTitle;
        if (!tags) {
            // The first tag of each title, in the blog's order, as the pass below finds it.
            tags.emplace();
            for (auto& tag : blog.objectsForKey<VornickBlogTag>(u"tags")) {
                const Value& tagTitle = tag->valueReferenceForKey(u"title");
                if (tagTitle.isString() && !tags->contains(tagTitle.string()))
                    tags->emplace(tagTitle.string(), std::move(tag));
            }
        }
        auto found = tags->find(std::u16string(title));
        return found == tags->end() ? nullptr : found->second;
    }
    for (auto& tag : blog.objectsForKey<VornickBlogTag>(u"tags")) {
        const Value& tagTitle = tag->valueReferenceForKey(u"title");
        if (tagTitle.isString() && tagTitle.string() == title)
            return tag;
    }
    return nullptr;
}

bool VornickBlogServiceIntegrator::commitAndSaveChangesInManagedObjectContext(ManagedObjectContext& context, Error* outError)
{
    try {
        return context.save(outError);
    } catch (const std::exception& exception) {
        if (outError)
            *outError = Error(VornickErrorDomain, VornickProjectIndexError, toUTF16(exception.what()));
        return false;
    }
}

std::shared_ptr<VornickPublishedBlog> VornickBlogServiceIntegrator::importBlogDescription(const Dictionary& description,
                                                                                         std::shared_ptr<VornickPublishedBlog> blog,
                                                                                         const std::optional<URL>& sourceFile)
{
    auto* context = this->context();
    if (!blog) {
        blog = existingBlogForDescription(description);
        if (!blog) {
            BREVANTON_ASSERT(context, "The integrator has no managed object context");
            blog = context->insertNewObject<VornickPublishedBlog>();
            BREVANTON_ASSERT(blog, "blog == nil || [blog isKindOfClass:[VornickPublishedBlog class]]");
            blog->setHasEditsNotYetSavedToSourceFile(true);
            blog->setObjectForKey(findHostingAccount(), u"hostingAccount");
            setStringIfNotEmpty(*blog, description, u"identifierUsedByBlogService");
        }
    }
    if (sourceFile) {
        blog->setSourceFileName(sourceFile->lastPathComponent());
        blog->setBlogFolderName(sourceFile->URLByDeletingLastPathComponent().lastPathComponent());
        blog->setSourceFileModificationDate(sourceFileModificationDate(*sourceFile));
    }
    setStringIfNotEmpty(*blog, description, u"title");
    setStringIfNotEmpty(*blog, description, u"browseURLString");
    if (auto found = description.find(u"postAttachmentPointSet"); found != description.end())
        (void)blog->setPostAttachmentPointSetPropertyList(found->second);
    // The snippet set and the post template are the user's, read from the blog file only.
    if (sourceFile) {
        for (const auto& [attribute, key] : VornickBlog::fileReferenceArchiveKeys()) {
            if (auto found = description.find(key); found != description.end())
                (void)blog->setFileReferenceFromPropertyList(attribute, found->second);
        }
    }
    // A blog read from its file is what the file holds.
    if (sourceFile)
        blog->setHasEditsNotYetSavedToSourceFile(false);
    if (!sourceFile && (blog->sourceFileName().empty() || blog->blogFolderName().empty()))
        deriveBlogFileNames(*blog);
    return blog;
}

void VornickBlogServiceIntegrator::deriveBlogFileNames(VornickPublishedBlog& blog)
{
    auto url = URL::create(blog.browseURLString());
    std::optional<std::u16string> host = url ? url->host() : std::nullopt;
    if (host && host->empty())
        host.reset();
    std::u16string extension = blog.standardFilenameExtension().value_or(u"");
    // Markup is stripped first (it may decode "&#47;" to "/"), then the name
    // is made safe, leaving room for the file's extension.
    std::u16string displayName = VornickBlog::blogDisplayNameForTitle(blog.title(), host);
    std::u16string folderName = vornick_fileSafeName(displayName, u"Blog", 255 - 1 - toUTF8(extension).size() - 4);
    std::optional<URL> blogsFolder;
    if (auto* project = dynamic_cast<VornickPublishedBlogProject*>(m_provider))
        blogsFolder = project->blogsFolderURL();
    auto blogs = context() ? vornick_allEntitiesOfKind(*context(), u"Blog") : std::nullopt;
    folderName = vornick_uniqueComponentFileName(folderName, u"", blogsFolder, [&](const std::u16string& name) {
        return blogs && std::any_of(blogs->begin(), blogs->end(), [&](const auto& other) {
            return other.get() != &blog && other->valueForKey(u"blogFolderName").stringValue() == name;
        });
    });
    blog.setBlogFolderName(folderName);
    blog.setSourceFileName(extension.empty() ? folderName : folderName + u"." + extension);
    logToSyncLog(u"For new import from server: blog.blogFolderName=" + folderName + u", blog.sourceFileName=" + blog.sourceFileName());
}

VornickBlogServiceIntegrator::SourceFileRead::SourceFileRead(VornickBlogServiceIntegrator& integrator,
                                                             std::shared_ptr<const VornickFileSnapshot> snapshot)
    : m_integrator(integrator)
    , m_previous(std::exchange(integrator.m_sourceFileRead, std::move(snapshot)))
{
}

VornickBlogServiceIntegrator::SourceFileRead::~SourceFileRead()
{
    m_integrator.m_sourceFileRead = std::move(m_previous);
}

std::optional<Date> VornickBlogServiceIntegrator::sourceFileModificationDate(const URL& url) const
{
    auto snapshot = m_sourceFileRead && m_sourceFileRead->fileURL() == url
        ? m_sourceFileRead
        : VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url);
    return snapshot->exists() ? std::optional(snapshot->modificationDate()) : std::nullopt;
}

VornickBlogServiceIntegrator::ImportBatch::ImportBatch(VornickBlogServiceIntegrator& integrator, const VornickPublishedBlog& blog)
    : m_integrator(integrator)
    , m_outermost(!integrator.m_importLookup)
{
    if (!m_outermost)
        return;
    // (emplace() with no arguments: clang takes the nested struct for not
    // default-constructible while the integrator's class is being defined.)
    integrator.m_importLookup.emplace(PostLookup { &blog, {}, {}, {} });
    for (auto& post : blog.objectsForKey<VornickPublishedBlogPost>(u"posts"))
        integrator.addToImportLookup(post);
}

VornickBlogServiceIntegrator::ImportBatch::~ImportBatch()
{
    if (m_outermost)
        m_integrator.m_importLookup.reset();
}

void VornickBlogServiceIntegrator::addToImportLookup(const std::shared_ptr<VornickPublishedBlogPost>& post)
{
    if (!m_importLookup || !post || post->blog().get() != m_importLookup->blog)
        return;
    if (std::u16string identifier = post->identifierUsedByBlogService(); !identifier.empty())
        m_importLookup->byIdentifier.emplace(std::move(identifier), post);
    if (std::u16string name = post->sourceFileName(); !name.empty())
        m_importLookup->byFileName.emplace(std::move(name), post);
}

std::shared_ptr<VornickPublishedBlogPost> VornickBlogServiceIntegrator::existingPostForDescription(const Dictionary& description,
                                                                                                 const std::optional<URL>& sourceFile,
                                                                                                 const VornickPublishedBlog& blog)
{
    std::u16string identifier = nonEmptyString(description, u"identifierUsedByBlogService");
    std::shared_ptr<VornickPublishedBlogPost> found;
    if (m_importLookup && m_importLookup->blog == &blog) {
        if (!identifier.empty()) {
            if (auto match = m_importLookup->byIdentifier.find(identifier); match != m_importLookup->byIdentifier.end())
                found = match->second;
        }
        if (!found && sourceFile) {
            if (auto match = m_importLookup->byFileName.find(sourceFile->lastPathComponent()); match != m_importLookup->byFileName.end())
                found = match->second;
        }
        return found;
    }
    auto posts = blog.objectsForKey<VornickPublishedBlogPost>(u"posts");
    if (!identifier.empty()) {
        auto match = std::find_if(posts.begin(), posts.end(), [&](auto& post) { return post->identifierUsedByBlogService() == identifier; });
        if (match != posts.end())
            found = *match;
    }
    if (!found && sourceFile) {
        std::u16string name = sourceFile->lastPathComponent();
        auto match = std::find_if(posts.begin(), posts.end(), [&](auto& post) { return post->sourceFileName() == name; });
        if (match != posts.end())
            found = *match;
    }
    return found;
}

void VornickBlogServiceIntegrator::nameImportedPostIfUnnamed(VornickPublishedBlogPost& post, std::u16string_view preferredStem)
{
    if (!post.sourceFileName().empty())
        return;
    auto blog = post.blog();
    if (!blog)
        return;
    std::u16string identifier = post.identifierUsedByBlogService();
    // Room for the identifier, a counter and the extension in 255 bytes.
    std::u16string stem = vornick_fileSafeName(post.title(), u"Untitled", 160);
    if (!preferredStem.empty())
        stem = vornick_fileSafeName(preferredStem, u"Untitled", 200);
    else if (!identifier.empty())
        stem = vornick_fileSafeName(stem + u"-" + identifier, u"Untitled", 200);
    std::u16string extension = u"." + post.standardFilenameExtension().value_or(u"post");
    auto taken = [&](const std::u16string& name) {
        if (m_importLookup && m_importLookup->blog == blog.get())
            return m_importLookup->byFileName.contains(name);
        auto posts = blog->posts();
        return std::any_of(posts.begin(), posts.end(), [&](auto& other) { return other.get() != &post && other->sourceFileName() == name; });
    };
    std::u16string name = stem + extension;
    for (int counter = 2; taken(name); ++counter)
        name = stem + u" " + toUTF16(std::to_string(counter)) + extension;
    post.setSourceFileName(name);
    logToSyncLog(u"Naming the file of \"" + post.title() + u"\" (" + identifier + u"): " + name);
}

std::shared_ptr<VornickPublishedBlogPost> VornickBlogServiceIntegrator::importPostDescription(const Dictionary& description,
                                                                                            std::shared_ptr<VornickPublishedBlogPost> post,
                                                                                            const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                                            const std::optional<URL>& sourceFile,
                                                                                            bool intoNewEmptyDatabase)
{
    BREVANTON_ASSERT(blog, "[blog isKindOfClass:[VornickPublishedBlog class]]");
    if (!post && !intoNewEmptyDatabase)
        post = existingPostForDescription(description, sourceFile, *blog);
    using Values = PostDescriptionValues;
    const Values values(description);
    bool made = !post;
    if (!post) {
        auto* context = this->context();
        BREVANTON_ASSERT(context, "The integrator has no managed object context");
        post = context->insertNewObject<VornickPublishedBlogPost>();
        BREVANTON_ASSERT(post, "A post entity that is not a VornickPublishedBlogPost");
        post->setBlog(blog);
        values.setStringIfNotEmpty(*post, Values::Identifier);
    }
    if (sourceFile) {
        post->setSourceFileName(sourceFile->lastPathComponent());
        post->setSourceFileModificationDate(sourceFileModificationDate(*sourceFile));
    }
    for (auto name : { Values::Title, Values::SourceContentString, Values::SourceContentType })
        values.setStringIfNotEmpty(*post, name);
    if (sourceFile) {
        values.setDateIfPresent(*post, Values::DateLastEditedLocally);
        values.setDateIfPresent(*post, Values::DateLastSyncedLocally);
    }
    if (const Value* tags = values[Values::Tags]; tags && tags->isArray()) {
        std::vector<std::shared_ptr<ManagedObject>> postTags;
        for (const auto& title : tags->array()) {
            if (!title.isString() || title.string().empty())
                continue;
            std::shared_ptr<VornickBlogTag> tag = tagWithTitle(title.string(), *blog);
            if (!tag) {
                tag = context()->insertNewObject<VornickBlogTag>();
                tag->setValueForKey(title, u"title");
                tag->setObjectForKey(blog, u"blog");
                if (m_importLookup && m_importLookup->blog == blog.get() && m_importLookup->tagsByTitle)
                    m_importLookup->tagsByTitle->emplace(title.string(), tag);
            }
            if (std::find(postTags.begin(), postTags.end(), tag) == postTags.end())
                postTags.push_back(tag);
        }
        post->setObjectsForKey(postTags, u"tags");
    }
    values.setStringIfNotEmpty(*post, Values::PermalinkURLString);
    values.setDateIfPresent(*post, Values::DateFirstPublished);
    values.setDateIfPresent(*post, Values::DateLastPublished);
    if (post->ManagedObject::valueReferenceForKey(u"dateLastEditedLocally").isNull()) {
        // A post scheduled for later was not edited in the future: a date
        // ahead of now would read as a local edit and send the post back.
        Value published = post->ManagedObject::valueForKey(u"dateLastPublished");
        if (published.isDate() && published.date().timeIntervalSince(Date::now()) > 0)
            published = Value(Date::now());
        post->ManagedObject::setValueForKey(published, u"dateLastEditedLocally");
    }
    for (auto name : { Values::InTrash, Values::PublishAtNextSync }) {
        if (const Value* flag = values[name])
            post->ManagedObject::setValueForKey(Value(flag->boolValue()), Values::key(name));
    }
    // A batch that fills a new, empty store never looks posts up.
    if (made && !intoNewEmptyDatabase)
        addToImportLookup(post);
    return post;
}

} // namespace brevanton
