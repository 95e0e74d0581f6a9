// VornickBlogServiceIntegrator: brings blog and post descriptions (from the
// blog service or from the project's files) into the project index, and the
// store services the sync engine uses: finding the account, a blog, a post
// or a tag, and saving. It reaches the index's context through its provider
// (the blog project), which it does not own. No operation here saves or
// writes a file unless it says so; the callers do.
#pragma once

#include "blog/VornickSyncSessionIntegrator.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class ManagedObjectContext;
class VornickBlogHostingAccount;
class VornickBlogTag;
class VornickPublishedBlogPost;

class VornickBlogServiceIntegratorManagedObjectContextProvider {
public:
    virtual ~VornickBlogServiceIntegratorManagedObjectContextProvider() = default;
    virtual ManagedObjectContext* managedObjectContext() const = 0;
};

class VornickBlogServiceIntegrator : public VornickSyncSessionIntegrator {
public:
    VornickBlogServiceIntegrator() = default;
    ~VornickBlogServiceIntegrator() override = default;

    VornickBlogServiceIntegratorManagedObjectContextProvider* managedObjectContextProvider() const { return m_provider; }
    void setManagedObjectContextProvider(VornickBlogServiceIntegratorManagedObjectContextProvider* provider) { m_provider = provider; }
    std::shared_ptr<VornickLog> syncLog() const override { return m_syncLog; }
    void setSyncLog(std::shared_ptr<VornickLog> log) { m_syncLog = std::move(log); }

    // The hosting account of the context: with several, the first (the
    // project's root) with a warning in the sync log; none (with a warning)
    // when there is no context or no account.
    std::shared_ptr<VornickBlogHostingAccount> findHostingAccount();
    std::shared_ptr<VornickPublishedBlog> existingBlogForDescription(const Dictionary& blogDescription) override;
    // The blog's tag of that title (exact).
    virtual std::shared_ptr<VornickBlogTag> tagWithTitle(std::u16string_view title, const VornickPublishedBlog& blog);
    // Saves the context; false (with the error) when the save fails or throws.
    [[nodiscard]] bool commitAndSaveChangesInManagedObjectContext(ManagedObjectContext&, Error* outError = nullptr);

    // Creates or updates a blog from a description; with a file, the names
    // come from the file's place. A blog from the server gets a folder name
    // made from its title (markup stripped, then made safe as a file name)
    // and its site's host.
    virtual std::shared_ptr<VornickPublishedBlog> importBlogDescription(const Dictionary& description,
                                                                        std::shared_ptr<VornickPublishedBlog> blog,
                                                                        const std::optional<URL>& sourceFile);
    // The blog's post with the description's service identifier, else (with
    // a file) the one of the file's name.
    std::shared_ptr<VornickPublishedBlogPost> existingPostForDescription(const Dictionary& description,
                                                                         const std::optional<URL>& sourceFile,
                                                                         const VornickPublishedBlog& blog);
    // Creates or updates a post from a description (into a new, empty store
    // without looking for an existing post).
    virtual std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
                                                                            std::shared_ptr<VornickPublishedBlogPost> post,
                                                                            const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                            const std::optional<URL>& sourceFile,
                                                                            bool intoNewEmptyDatabase);

protected:
    // A server blog's folder and file names, made from its title and host.
    void deriveBlogFileNames(VornickPublishedBlog&);
    ManagedObjectContext* context() const { return m_provider ? m_provider->managedObjectContext() : nullptr; }
    void logToSyncLog(std::u16string_view line) const;

private:
    VornickBlogServiceIntegratorManagedObjectContextProvider* m_provider { nullptr };
    std::shared_ptr<VornickLog> m_syncLog;
};

// A date of a description: a date, seconds since 1 January 2001, or ISO 8601 text.
std::optional<Date> vornick_descriptionDate(const Value*);

} // namespace brevanton
