#include "blog/VornickBlog.h"

#include "blog/VornickBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "html/VornickHTMLStringTextExtractor.h"

namespace brevanton {

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
    std::vector<std::shared_ptr<VornickBlogPost>> posts;
    for (const auto& object : objectsForKey(u"posts")) {
        if (auto post = std::dynamic_pointer_cast<VornickBlogPost>(object))
            posts.push_back(std::move(post));
    }
    return posts;
}

std::optional<URL> VornickBlog::blogFolderURL() const
{
    auto url = sourceFileURL();
    if (!url)
        return std::nullopt;
    return url->URLByDeletingLastPathComponent();
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
    return archive;
}

} // namespace brevanton
