// VornickPublishedBlog: a blog published on a service, kept in the folder
// `blogFolderName` of its project's blogs folder, under an account.
#pragma once

#include "blog/VornickBlog.h"

namespace brevanton {

class VornickBlogHostingAccount;
class VornickPublishedBlogPost;

class VornickPublishedBlog : public VornickBlog {
public:
    std::string className() const override { return "VornickPublishedBlog"; }

    std::u16string blogFolderName() const;
    void setBlogFolderName(const std::u16string&);
    std::u16string browseURLString() const;
    std::shared_ptr<VornickBlogHostingAccount> hostingAccount() const;

    std::shared_ptr<VornickProjectComponent> parentComponent() const override;
    // The blogs folder + the folder name + the file name; none (logged)
    // when a name is missing or the project is no blog project.
    std::optional<URL> sourceFileURL() const override;
    // The title with the host of the browse address.
    std::u16string displayName() const override;

    // This blog's posts in the trash (never another blog's).
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> postsInTrash() const;

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;
};

} // namespace brevanton
