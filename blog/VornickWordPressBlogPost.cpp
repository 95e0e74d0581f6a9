#include "blog/VornickWordPressBlogPost.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickWordPressBlog.h"
#include "html/VornickHTMLStringResourceReferenceFinder.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

namespace {

std::shared_ptr<ManagedObject> termWithIdentifier(const ManagedObject& blog, std::u16string_view relationship, std::u16string_view identifier)
{
    for (auto& term : blog.objectsForKey(relationship)) {
        if (term->valueForKey(u"identifier").stringValue() == identifier)
            return term;
    }
    return nullptr;
}

} // namespace

bool VornickWordPressBlogPost::isPage() const
{
    return equalsIgnoringASCIICase(type(), u"page");
}

std::shared_ptr<VornickWordPressBlog> VornickWordPressBlogPost::wordPressBlog() const
{
    return objectForKey<VornickWordPressBlog>(u"blog");
}

std::u16string VornickWordPressBlogPost::placeholderSourceContentString() const
{
    std::u16string placeholder = VornickPublishedBlogPost::placeholderSourceContentString();
    auto blog = wordPressBlog();
    if (!blog || !blog->useWordPressBlockMode())
        return placeholder;
    return u"<!-- wp:paragraph -->\n" + placeholder + u"\n<!-- /wp:paragraph -->";
}

void VornickWordPressBlogPost::finishPreparingNewPost(bool isPage)
{
    // The type first: it decides the folder, and so the file name.
    ManagedObject::setValueForKey(Value(isPage ? u"page" : u"post"), u"type");
    auto blog = wordPressBlog();
    if (!blog)
        return;
    if (auto format = termWithIdentifier(*blog, u"postFormats", u"standard"))
        setObjectForKey(format, u"format");
    if (auto status = termWithIdentifier(*blog, u"postStatuses", u"draft"))
        setObjectForKey(status, u"status");
    std::vector<std::shared_ptr<ManagedObject>> categories;
    if (!isPage) {
        for (auto& category : blog->objectsForKey(u"categories")) {
            if (category->valueForKey(u"title").stringValue() == u"Uncategorized") {
                categories.push_back(category);
                break;
            }
        }
    }
    setObjectsForKey(categories, u"categories");
}

std::vector<std::u16string> VornickWordPressBlogPost::arrayOfCategoryIdentifiers() const
{
    return vornick_nonEmptyStringValues(objectsForKey(u"categories"), u"identifierUsedByBlogService");
}

std::vector<std::u16string> VornickWordPressBlogPost::arrayOfCategoryStrings() const
{
    return vornick_nonEmptyStringValues(objectsForKey(u"categories"), u"title");
}

std::vector<std::shared_ptr<ManagedObject>> VornickWordPressBlogPost::mediaItemsReferencedBySourceContentString() const
{
    std::vector<std::shared_ptr<ManagedObject>> items;
    auto blog = wordPressBlog();
    if (!blog || sourceContentType() != u"html")
        return items;
    std::optional<URL> baseURL;
    if (auto file = sourceFileURL())
        baseURL = file->URLByDeletingLastPathComponent();
    for (const URL& url : VornickHTMLStringResourceReferenceFinder::URLsReferencedInHTMLString(sourceContentString(), baseURL)) {
        if (!url.isFileURL())
            continue;
        auto item = blog->mediaItemForSourceURL(url);
        if (item && std::find(items.begin(), items.end(), item) == items.end())
            items.push_back(std::move(item));
    }
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a->objectID() < b->objectID(); });
    return items;
}

std::optional<std::u16string> VornickWordPressBlogPost::viewOnlineURLString() const
{
    if (auto permalink = VornickPublishedBlogPost::viewOnlineURLString())
        return permalink;
    auto blog = wordPressBlog();
    auto account = blog ? blog->hostingAccount() : nullptr;
    std::u16string identifier = identifierUsedByBlogService();
    if (!account || identifier.empty())
        return std::nullopt;
    std::u16string root = account->previewRootURLString(*blog);
    if (root.empty())
        return std::nullopt;
    if (root.back() != u'/')
        root += u'/';
    return root + u"?" + (isPage() ? u"page_id" : u"p") + u"=" + identifier + u"&preview=true";
}

bool VornickWordPressBlogPost::currentlyPublished() const
{
    if (Value(identifierUsedByBlogService()).integerValue() < 1)
        return false;
    auto status = objectForKey(u"status");
    if (!status)
        return false;
    std::u16string identifier = asciiLowercase(status->valueForKey(u"identifier").stringValue());
    return identifier == u"publish" || identifier == u"private";
}

std::vector<std::u16string> VornickWordPressBlogPost::attributesForArchivalRepresentation() const
{
    auto names = VornickPublishedBlogPost::attributesForArchivalRepresentation();
    names.emplace_back(u"type");
    return names;
}

std::shared_ptr<VornickObjectArchive> VornickWordPressBlogPost::archivalRepresentation() const
{
    auto archive = VornickPublishedBlogPost::archivalRepresentation();
    auto identifiers = arrayOfCategoryIdentifiers();
    auto titles = arrayOfCategoryStrings();
    vornick_sortByIntegerValue(identifiers);
    vornick_sortCaseInsensitively(titles);
    if (!identifiers.empty())
        archive->setObject(Value(vornick_arrayOfStrings(identifiers)), u"categoryIdentifiers");
    if (!titles.empty())
        archive->setObject(Value(vornick_arrayOfStrings(titles)), u"categories");
    if (auto featured = objectForKey(u"featuredImageMediaItem")) {
        std::u16string identifier = featured->valueForKey(u"identifierUsedByBlogService").stringValue();
        if (!identifier.empty())
            archive->setObject(Value(identifier), u"featuredImageIdentifier");
    }
    for (const char16_t* key : { u"format", u"status" }) {
        auto term = objectForKey(key);
        if (term && !term->valueForKey(u"identifier").isNull())
            archive->setObject(term->valueForKey(u"identifier"), key);
    }
    return archive;
}

} // namespace brevanton
