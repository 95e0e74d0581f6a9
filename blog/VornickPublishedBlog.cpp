#include "blog/VornickPublishedBlog.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

std::u16string VornickPublishedBlog::blogFolderName() const
{
    return ManagedObject::valueForKey(u"blogFolderName").stringValue();
}

void VornickPublishedBlog::setBlogFolderName(const std::u16string& name)
{
    ManagedObject::setValueForKey(name.empty() ? Value() : Value(name), u"blogFolderName");
}

std::u16string VornickPublishedBlog::browseURLString() const
{
    return ManagedObject::valueForKey(u"browseURLString").stringValue();
}

std::shared_ptr<VornickBlogHostingAccount> VornickPublishedBlog::hostingAccount() const
{
    return objectForKey<VornickBlogHostingAccount>(u"hostingAccount");
}

std::shared_ptr<VornickProjectComponent> VornickPublishedBlog::parentComponent() const
{
    return hostingAccount();
}

std::optional<URL> VornickPublishedBlog::sourceFileURL() const
{
    auto project = std::dynamic_pointer_cast<VornickPublishedBlogProject>(this->project());
    std::u16string folderName = blogFolderName();
    std::u16string fileName = sourceFileName();
    if (!project || folderName.empty() || fileName.empty()) {
        VornickGeneralLog("-[{} sourceFileURL] ** FAILED: folderName={}, fileName={}", className(), folderName, fileName);
        return std::nullopt;
    }
    return project->blogsFolderURL().URLByAppendingPathComponent(folderName, true).URLByAppendingPathComponent(fileName, false);
}

std::u16string VornickPublishedBlog::displayName() const
{
    auto url = URL::create(browseURLString());
    std::optional<std::u16string> host = url ? url->host() : std::nullopt;
    if (host && host->empty())
        host.reset();
    return blogDisplayNameForTitle(title(), host);
}

std::vector<std::shared_ptr<VornickPublishedBlogPost>> VornickPublishedBlog::postsInTrash() const
{
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> trashed;
    for (auto& post : objectsForKey<VornickPublishedBlogPost>(u"posts")) {
        if (post->inTrash())
            trashed.push_back(std::move(post));
    }
    return trashed;
}

std::vector<std::u16string> VornickPublishedBlog::attributesForArchivalRepresentation() const
{
    auto names = VornickBlog::attributesForArchivalRepresentation();
    names.push_back(u"browseURLString");
    return names;
}

std::shared_ptr<VornickObjectArchive> VornickPublishedBlog::archivalRepresentation() const
{
    auto archive = VornickBlog::archivalRepresentation();
    if (auto account = hostingAccount(); account && !account->loginID().empty())
        archive->setObject(Value(account->loginID()), u"loginID");
    return archive;
}

} // namespace brevanton
