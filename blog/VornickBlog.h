// VornickBlog: a blog of a project (entity "Blog"): its title (which may
// hold markup), the service's identifier, its posts, tags and categories.
// Its file lies in the blog's folder; "templates" and "resources" beside it.
#pragma once

#include "blog/VornickAttachmentPointDescription.h"
#include "documents/VornickProjectComponent.h"

#include <functional>
#include <map>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class VornickBlogPost;
class VornickDiskWebResourceCache;
class VornickHTMLFormattingPreferences;

class VornickBlog : public VornickProjectComponent {
public:
    static constexpr std::u16string_view entityName = u"Blog";

    std::string className() const override { return "VornickBlog"; }

    // The title without markup; with a domain, "title (domain)".
    static std::u16string blogDisplayNameForTitle(std::u16string_view title, std::optional<std::u16string> domain = std::nullopt);

    std::u16string identifierUsedByBlogService() const;
    std::u16string title() const;
    void setTitle(const std::u16string&);

    virtual std::u16string displayName() const;

    std::vector<std::shared_ptr<VornickBlogPost>> posts() const;
    // The posts, resp. the pages, in the order of their ids; the generic
    // blog's are all its posts and no pages.
    virtual std::vector<std::shared_ptr<VornickBlogPost>> postsOnly() const { return posts(); }
    virtual std::vector<std::shared_ptr<VornickBlogPost>> pagesOnly() const { return {}; }
    // Calls `visit` with each of posts() (or of postsOnly(), resp.
    // pagesOnly()) in the same order, without making a list of them; `visit`
    // must not add or remove posts of the blog.
    void forEachPost(const std::function<void(VornickBlogPost&)>& visit) const;
    virtual void forEachPostOrPage(bool pages, const std::function<void(VornickBlogPost&)>& visit) const
    {
        if (!pages)
            forEachPost(visit);
    }

    // The folder holding the blog's file; none without a file.
    std::optional<URL> blogFolderURL() const;
    std::optional<URL> templatesFolderURL() const;
    std::optional<URL> resourcesFolderURL() const;

    // The blog's cache on disk in resourcesFolderURL(), kept in one table of
    // the process by the blog's object URI and made on first request; null
    // when the blog has no file or the cache cannot be made (logged). The
    // cache may be used from any thread.
    std::shared_ptr<VornickDiskWebResourceCache> webResourceCache() const;
    // Drops the blog's entry from the table.
    void releaseWebResourceCache() const;

    // The one formatting set post bodies are written with, shared by every
    // post view: the initial defaults with attribute values in double
    // quotes, no indenting, no blank lines around headings, no space before
    // an empty element's slash, characters written as themselves (else as
    // decimal references, never named ones), comments on lines of their
    // own and ">" left unescaped.
    static std::shared_ptr<VornickHTMLFormattingPreferences> blogPostHTMLFormattingPreferences();

    // The places of a post template this kind of blog knows, in order.
    virtual std::vector<VornickAttachmentPointDescription> postAttachmentPointDescriptions() const;
    // Identifier -> candidate selectors, tried first to last; none for the generic blog.
    virtual std::map<std::u16string, std::vector<std::u16string>> attachmentPointSelectorHeuristicsByIdentifier() const { return {}; }
    // The stored locator set (JSON), chosen by the user for the blog's theme; none when unset.
    std::optional<Data> postAttachmentPointData() const;
    void setPostAttachmentPointData(const std::optional<Data>&);
    // The stored set's property list ("themeIdentifier", "attachmentPoints":
    // identifier -> selector), as the blog file carries it; none when the
    // blog stores none or it does not decode.
    std::optional<Value> postAttachmentPointSetPropertyList() const;
    // Stores a property list of that form (entries whose key or selector is
    // not a string are left out); false, and nothing stored, for any other value.
    [[nodiscard]] bool setPostAttachmentPointSetPropertyList(const Value&);

    // The stored file references (the snippet set, the post template) as
    // attribute and blog file key: in the file, the property list the index
    // holds (relative to the project's folder).
    static std::vector<std::pair<std::u16string_view, std::u16string_view>> fileReferenceArchiveKeys();
    // Stores the reference a file's property list names, as the index keeps
    // it; false, and nothing stored, when it names no local file.
    [[nodiscard]] bool setFileReferenceFromPropertyList(std::u16string_view attribute, const Value& propertyList);

    // The project's blog file extension when the project is a blog project.
    std::optional<std::u16string> standardFilenameExtension() const override;

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;
};

} // namespace brevanton
