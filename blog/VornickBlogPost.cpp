#include "blog/VornickBlogPost.h"

#include "blog/VornickBlog.h"
#include "blog/VornickComponentFileNames.h"
#include "blog/VornickPublishedBlogProject.h"
#include "html/VornickMarkdownFilter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickDateFormatterExtensions.h"

#include <algorithm>

namespace brevanton {

std::vector<std::u16string> vornick_nonEmptyStringValues(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key)
{
    std::vector<std::u16string> values;
    for (const auto& object : objects) {
        std::u16string value = object->valueForKey(key).stringValue();
        if (!value.empty())
            values.push_back(std::move(value));
    }
    return values;
}

Array vornick_arrayOfStrings(const std::vector<std::u16string>& strings)
{
    Array array;
    for (const auto& string : strings)
        array.emplace_back(string);
    return array;
}

void vornick_sortByIntegerValue(std::vector<std::u16string>& identifiers)
{
    std::stable_sort(identifiers.begin(), identifiers.end(), [](const auto& a, const auto& b) {
        int64_t left = Value(a).integerValue();
        int64_t right = Value(b).integerValue();
        return left != right ? left < right : a < b;
    });
}

void vornick_sortCaseInsensitively(std::vector<std::u16string>& titles)
{
    std::stable_sort(titles.begin(), titles.end(), [](const auto& a, const auto& b) { return compareIgnoringCase(a, b) < 0; });
}

std::u16string VornickBlogPost::identifierUsedByBlogService() const
{
    return ManagedObject::valueForKey(u"identifierUsedByBlogService").stringValue();
}

std::u16string VornickBlogPost::title() const
{
    return ManagedObject::valueForKey(u"title").stringValue();
}

void VornickBlogPost::setTitle(const std::u16string& title)
{
    ManagedObject::setValueForKey(Value(title), u"title");
}

std::u16string VornickBlogPost::sourceContentString() const
{
    return ManagedObject::valueForKey(u"sourceContentString").stringValue();
}

void VornickBlogPost::setSourceContentString(std::u16string source)
{
    ManagedObject::setValueForKey(Value(std::move(source)), u"sourceContentString");
}

std::u16string VornickBlogPost::sourceContentType() const
{
    return ManagedObject::valueForKey(u"sourceContentType").stringValue();
}

void VornickBlogPost::setSourceContentType(const std::u16string& type)
{
    ManagedObject::setValueForKey(Value(type), u"sourceContentType");
}

std::shared_ptr<VornickBlog> VornickBlogPost::blog() const
{
    return objectForKey<VornickBlog>(u"blog");
}

void VornickBlogPost::setBlog(const std::shared_ptr<VornickBlog>& blog)
{
    setObjectForKey(blog, u"blog");
}

std::shared_ptr<VornickProjectComponent> VornickBlogPost::parentComponent() const
{
    return blog();
}

std::optional<URL> VornickBlogPost::postFolderURL() const
{
    auto blog = this->blog();
    auto folder = blog ? blog->blogFolderURL() : std::nullopt;
    if (!folder)
        return std::nullopt;
    return folder->URLByAppendingPathComponent(postsFolderName(), true);
}

std::optional<URL> VornickBlogPost::sourceFileURL() const
{
    if (sourceFileName().empty())
        return std::nullopt;
    auto folder = postFolderURL();
    return folder ? std::optional(folder->URLByAppendingPathComponent(sourceFileName(), false)) : std::nullopt;
}

std::optional<std::u16string> VornickBlogPost::standardFilenameExtension() const
{
    if (auto project = std::dynamic_pointer_cast<VornickPublishedBlogProject>(this->project()))
        return project->postFilenameExtension();
    return u"brevantonblogpost";
}

bool VornickBlogPost::prepareNewPostAndAssociateWithBlog(const std::shared_ptr<VornickBlog>& blog)
{
    return prepareNew(blog, false);
}

bool VornickBlogPost::prepareNewPageAndAssociateWithBlog(const std::shared_ptr<VornickBlog>& blog)
{
    return prepareNew(blog, true);
}

bool VornickBlogPost::prepareNew(const std::shared_ptr<VornickBlog>& blog, bool isPage)
{
    Date now = Date::now();
    setBlog(blog);
    setTitle(isPage ? u"Untitled Page" : u"Untitled Post");
    finishPreparingNewPost(isPage);
    auto siblings = blog ? blog->posts() : std::vector<std::shared_ptr<VornickBlogPost>>();
    auto takenInStore = [&](const std::u16string& name) {
        return std::any_of(siblings.begin(), siblings.end(), [&](const auto& sibling) {
            return sibling.get() != this && sibling->sourceFileName() == name;
        });
    };
    setSourceFileName(vornick_uniqueComponentFileName(vornick_uniqueIdentifierStringFromDate(now),
                                                      standardFilenameExtension().value_or(u""), postFolderURL(), takenInStore));
    setSourceContentString(placeholderSourceContentString());
    setSourceContentType(u"html");
    ManagedObject::setValueForKey(Value(now), u"dateLastEditedLocally");
    setObjectsForKey({}, u"tags");
    setHasEditsNotYetSavedToSourceFile(true);
    return true;
}

std::vector<std::u16string> VornickBlogPost::arrayOfTagIdentifiers() const
{
    return vornick_nonEmptyStringValues(objectsForKey(u"tags"), u"identifierUsedByBlogService");
}

std::vector<std::u16string> VornickBlogPost::arrayOfTagStrings() const
{
    return vornick_nonEmptyStringValues(objectsForKey(u"tags"), u"title");
}

std::optional<std::u16string> VornickBlogPost::htmlContentString() const
{
    std::u16string type = sourceContentType();
    if (type == u"html")
        return sourceContentString();
    if (type == u"Markdown")
        return VornickMarkdownFilter::htmlStringFromMarkdownString(sourceContentString(), true);
    return std::nullopt;
}

bool VornickBlogPost::writePostToURL(const URL& url, VornickObjectArchiveFormat format, Error* outError)
{
    if (!writeArchivalRepresentationToURL(url, format, outError))
        return false;
    NotificationCenter::defaultCenter().post(VornickBlogPostDidChangeNotification, this);
    return true;
}

std::vector<std::u16string> VornickBlogPost::attributesForArchivalRepresentation() const
{
    return { u"identifierUsedByBlogService", u"title", u"sourceContentString", u"sourceContentType", u"dateLastEditedLocally" };
}

std::shared_ptr<VornickObjectArchive> VornickBlogPost::archivalRepresentation() const
{
    auto archive = VornickProjectComponent::archivalRepresentation();
    auto identifiers = arrayOfTagIdentifiers();
    auto titles = arrayOfTagStrings();
    vornick_sortByIntegerValue(identifiers);
    vornick_sortCaseInsensitively(titles);
    if (!identifiers.empty())
        archive->setObject(Value(vornick_arrayOfStrings(identifiers)), u"tagIdentifiers");
    if (!titles.empty())
        archive->setObject(Value(vornick_arrayOfStrings(titles)), u"tags");
    return archive;
}

} // namespace brevanton
