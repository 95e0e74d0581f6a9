#include "blog/VornickWordPressBlog.h"

#include "blog/VornickBlogPost.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

namespace {

// The type is read in place and only the matching posts are held: a blog may
// have thousands of posts, each touched once.
std::vector<std::shared_ptr<VornickBlogPost>> postsOfType(const VornickBlog& blog, std::u16string_view type)
{
    std::vector<std::shared_ptr<VornickBlogPost>> matching;
    blog.forEachPost([&](VornickBlogPost& post) {
        const Value& postType = post.ManagedObject::valueReferenceForKey(u"type");
        if (postType.isString() ? postType.string() == type : type.empty())
            matching.emplace_back(post.shared_from_this(), &post);
    });
    return matching;
}

Dictionary identifiersAndTitles(const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    // A blog may have thousands of terms: the dictionary is sorted once.
    Dictionary::Storage descriptions;
    descriptions.reserve(terms.size());
    for (const auto& term : terms) {
        std::u16string identifier = term->valueForKey(u"identifier").stringValue();
        std::u16string title = term->valueForKey(u"title").stringValue();
        if (!identifier.empty() && !title.empty())
            descriptions.emplace_back(std::move(identifier), Value(std::move(title)));
    }
    return Dictionary::fromMembers(std::move(descriptions));
}

void setIfNotEmpty(Dictionary& dictionary, std::u16string key, std::u16string value)
{
    if (!value.empty())
        dictionary[std::move(key)] = Value(std::move(value));
}

// Term dictionaries sorted by title; a term with no value is left out.
Array termDescriptions(std::vector<std::shared_ptr<ManagedObject>> terms, bool withParent)
{
    std::stable_sort(terms.begin(), terms.end(), [](const auto& a, const auto& b) {
        return a->valueForKey(u"title").stringValue() < b->valueForKey(u"title").stringValue();
    });
    Array descriptions;
    for (const auto& term : terms) {
        Dictionary description;
        setIfNotEmpty(description, u"identifierUsedByBlogService", term->valueForKey(u"identifierUsedByBlogService").stringValue());
        setIfNotEmpty(description, u"title", term->valueForKey(u"title").stringValue());
        setIfNotEmpty(description, u"description", term->valueForKey(u"explanation").stringValue());
        if (withParent) {
            if (auto parent = term->objectForKey(u"parentCategory"))
                setIfNotEmpty(description, u"parentCategoryIdentifier", parent->valueForKey(u"identifierUsedByBlogService").stringValue());
        }
        if (!description.empty())
            descriptions.emplace_back(std::move(description));
    }
    return descriptions;
}

bool isDecimalDigits(std::u16string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

std::vector<std::shared_ptr<VornickBlogPost>> VornickWordPressBlog::postsOnly() const
{
    return postsOfType(*this, u"post");
}

std::vector<std::shared_ptr<VornickBlogPost>> VornickWordPressBlog::pagesOnly() const
{
    return postsOfType(*this, u"page");
}

void VornickWordPressBlog::forEachPostOrPage(bool pages, const std::function<void(VornickBlogPost&)>& visit) const
{
    std::u16string_view wanted = pages ? u"page" : u"post";
    forEachPost([&](VornickBlogPost& post) {
        const Value& type = post.ManagedObject::valueReferenceForKey(u"type");
        if (type.isString() && type.string() == wanted)
            visit(post);
    });
}

std::vector<VornickAttachmentPointDescription> VornickWordPressBlog::postAttachmentPointDescriptions() const
{
    auto descriptions = VornickBlog::postAttachmentPointDescriptions();
    descriptions.push_back(VornickAttachmentPointDescription::attachmentPointDescriptionWithTitle(u"Categories",
                                                                                                 VornickCategoriesAttachmentPointIdentifier));
    return descriptions;
}

std::map<std::u16string, std::vector<std::u16string>> VornickWordPressBlog::attachmentPointSelectorHeuristicsByIdentifier() const
{
    return {
        { VornickFeaturedImageAttachmentPointIdentifier, { u".wp-block-post-featured-image", u".entry-thumbnail" } },
        { VornickBodyAttachmentPointIdentifier, { u".wp-block-post-content", u".entry-content" } },
        { VornickTitleAttachmentPointIdentifier, { u".wp-block-post-title", u".entry-title" } },
        { VornickDateAttachmentPointIdentifier, { u".wp-block-post-date", u".entry-date" } },
        { VornickTagsAttachmentPointIdentifier, { u".taxonomy-post_tag", u"[rel:{tag,!category}]" } },
        { VornickCategoriesAttachmentPointIdentifier, { u".taxonomy-category", u"[rel:{tag,category}]" } },
    };
}

std::optional<URL> VornickWordPressBlog::mediaFolderURL() const
{
    auto folder = blogFolderURL();
    return folder ? std::optional(folder->URLByAppendingPathComponent(u"media", true)) : std::nullopt;
}

std::u16string VornickWordPressBlog::mediaLibraryURL() const
{
    std::u16string url = browseURLString();
    if (url.empty() || url.back() != u'/')
        url += u'/';
    return url + u"wp-admin/upload.php";
}

std::shared_ptr<ManagedObject> VornickWordPressBlog::mediaItemForIdentifier(const Value& identifier) const
{
    std::u16string wanted;
    if (identifier.isString())
        wanted = identifier.string();
    else if (identifier.isNumber())
        wanted = toUTF16(std::to_string(identifier.integerValue()));
    if (wanted.empty())
        return nullptr;
    for (auto& item : mediaItems()) {
        if (item->valueForKey(u"identifierUsedByBlogService").stringValue() == wanted)
            return item;
    }
    return nullptr;
}

std::shared_ptr<ManagedObject> VornickWordPressBlog::mediaItemForSourceURL(const URL& url) const
{
    std::u16string key;
    std::u16string wanted;
    if (url.isFileURL()) {
        auto folder = mediaFolderURL();
        auto folderPath = folder ? folder->fileSystemPath() : std::nullopt;
        auto path = url.standardized().fileSystemPath();
        if (!folderPath || !path)
            return nullptr;
        std::string prefix = *folderPath;
        if (prefix.empty() || prefix.back() != '/')
            prefix += '/';
        std::u16string within = path->size() > prefix.size() && path->compare(0, prefix.size(), prefix) == 0
            ? toUTF16(path->substr(prefix.size())) : std::u16string();
        // A local address is read within the media folder; a staged file
        // lies beside it, in the blog's resource cache ("../resources/...").
        for (auto& item : mediaItems()) {
            std::u16string local = item->valueForKey(u"localURLString").stringValue();
            if (local.empty())
                continue;
            if (local == within)
                return item;
            auto resolved = URL::create(local, &*folder);
            auto resolvedPath = resolved && resolved->isFileURL() ? resolved->standardized().fileSystemPath() : std::nullopt;
            if (resolvedPath && *resolvedPath == *path)
                return item;
        }
        return nullptr;
    } else {
        key = u"remoteURLString";
        wanted = url.absoluteString();
    }
    for (auto& item : mediaItems()) {
        if (item->valueForKey(key).stringValue() == wanted)
            return item;
    }
    return nullptr;
}

std::shared_ptr<ManagedObject> VornickWordPressBlog::mediaItemOrVariantForSourceURL(const URL& url,
                                                                                    const std::u16string* classAttributeValue) const
{
    if (auto item = mediaItemForSourceURL(url))
        return item;
    std::u16string fileName = url.lastPathComponent();
    std::u16string wanted = url.absoluteString();
    for (auto& item : mediaItems()) {
        auto remote = URL::create(item->valueForKey(u"remoteURLString").stringValue());
        for (auto& variant : item->objectsForKey(u"variants")) {
            std::u16string variantFileName = variant->valueForKey(u"filename").stringValue();
            if (variantFileName != fileName || !remote)
                continue;
            if (remote->URLByDeletingLastPathComponent().URLByAppendingPathComponent(variantFileName, false).absoluteString() == wanted)
                return variant;
        }
    }
    if (!classAttributeValue)
        return nullptr;
    std::u16string_view tokens = *classAttributeValue;
    constexpr std::u16string_view prefix = u"wp-image-";
    size_t start = 0;
    while (start < tokens.size()) {
        size_t end = tokens.find(u' ', start);
        if (end == std::u16string_view::npos)
            end = tokens.size();
        std::u16string token = asciiLowercase(tokens.substr(start, end - start));
        if (token.starts_with(prefix) && isDecimalDigits(std::u16string_view(token).substr(prefix.size())))
            return mediaItemForIdentifier(Value(token.substr(prefix.size())));
        start = end + 1;
    }
    return nullptr;
}

Dictionary VornickWordPressBlog::postFormatDescriptions() const
{
    return identifiersAndTitles(objectsForKey(u"postFormats"));
}

Dictionary VornickWordPressBlog::postStatusDescriptions() const
{
    return identifiersAndTitles(objectsForKey(u"postStatuses"));
}

Array VornickWordPressBlog::categoryDescriptions() const
{
    return termDescriptions(objectsForKey(u"categories"), true);
}

Array VornickWordPressBlog::tagDescriptions() const
{
    return termDescriptions(objectsForKey(u"tags"), false);
}

std::vector<std::u16string> VornickWordPressBlog::attributesForArchivalRepresentation() const
{
    auto names = VornickPublishedBlog::attributesForArchivalRepresentation();
    for (const char16_t* name : { u"allowComments", u"allowPings", u"themeIdentifier", u"useWordPressBlockMode",
                                  u"wordPressDateFormat", u"wordPressTimeFormat", u"wordPressTimeZone" })
        names.emplace_back(name);
    return names;
}

std::shared_ptr<VornickObjectArchive> VornickWordPressBlog::archivalRepresentation() const
{
    auto archive = VornickPublishedBlog::archivalRepresentation();
    archive->setObject(Value(useWordPressBlockMode()), u"useWordPressBlockMode");
    archive->setObject(Value(postFormatDescriptions()), u"postFormats");
    archive->setObject(Value(postStatusDescriptions()), u"postStatuses");
    archive->setObject(Value(categoryDescriptions()), u"categories");
    archive->setObject(Value(tagDescriptions()), u"tags");
    return archive;
}

} // namespace brevanton
