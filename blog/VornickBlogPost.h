// VornickBlogPost: a post (or page) of a blog (entity "BlogPost"): its
// title, body source ("html" or "Markdown"), tags and the date it was last
// edited here. Its file lies in the blog's "posts" folder.
#pragma once

#include "documents/VornickProjectComponent.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickBlog;

// Posted after a post's file was written, with the post as object.
inline constexpr const char* VornickBlogPostDidChangeNotification = "VornickBlogPostDidChangeNotification";

class VornickBlogPost : public VornickProjectComponent {
public:
    static constexpr std::u16string_view entityName = u"BlogPost";

    std::string className() const override { return "VornickBlogPost"; }

    std::u16string identifierUsedByBlogService() const;
    std::u16string title() const;
    void setTitle(const std::u16string&);
    std::u16string sourceContentString() const;
    void setSourceContentString(std::u16string);
    std::u16string sourceContentType() const;
    void setSourceContentType(const std::u16string&);

    std::shared_ptr<VornickBlog> blog() const;
    void setBlog(const std::shared_ptr<VornickBlog>&);
    std::shared_ptr<VornickProjectComponent> parentComponent() const override;

    virtual std::u16string placeholderSourceContentString() const { return u"<p>Write your post content here.</p>"; }
    // The folder of the blog's file + "posts" + the file name.
    std::optional<URL> sourceFileURL() const override;
    // The folder the post's file lies in; none while the blog has no file.
    std::optional<URL> postFolderURL() const;
    // The project's post file extension ("brevantonblogpost" for the generic project).
    std::optional<std::u16string> standardFilenameExtension() const override;

    // A new post (page) of the blog: title, placeholder body, a file name
    // of its own (made from the date, with " 2", " 3", ... when taken) and
    // unsaved edits.
    bool prepareNewPostAndAssociateWithBlog(const std::shared_ptr<VornickBlog>& blog);
    bool prepareNewPageAndAssociateWithBlog(const std::shared_ptr<VornickBlog>& blog);

    // The tags' non-empty service identifiers, resp. titles (unsorted).
    std::vector<std::u16string> arrayOfTagIdentifiers() const;
    std::vector<std::u16string> arrayOfTagStrings() const;

    // The body as HTML: the source of an "html" post, the Markdown filter's
    // output for "Markdown", none for another type.
    std::optional<std::u16string> htmlContentString() const;

    // The component's write; a successful one posts VornickBlogPostDidChangeNotification.
    [[nodiscard]] bool writePostToURL(const URL& url, VornickObjectArchiveFormat format, Error* outError);

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;

protected:
    virtual std::u16string postsFolderName() const { return u"posts"; }
    // The steps after the common ones of a new post or page.
    virtual void finishPreparingNewPost(bool /*isPage*/) {}

private:
    bool prepareNew(const std::shared_ptr<VornickBlog>& blog, bool isPage);
};

// Identifiers ordered by their integer value, then as text.
void vornick_sortByIntegerValue(std::vector<std::u16string>&);
// The non-empty string values of `key` of the objects, in their order, and
// strings as an array value: how a post's terms go into its file.
std::vector<std::u16string> vornick_nonEmptyStringValues(const std::vector<std::shared_ptr<ManagedObject>>&, std::u16string_view key);
Array vornick_arrayOfStrings(const std::vector<std::u16string>&);
// Titles in case-insensitive order.
void vornick_sortCaseInsensitively(std::vector<std::u16string>&);

} // namespace brevanton
