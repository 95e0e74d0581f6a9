// VornickWordPressIntegrator: the integrator of WordPress projects. Beside
// the generic keys it reads what WordPress blog, post and media item files
// hold: the site's settings, post formats and statuses, categories and tags
// (a list read replaces the blog's, so terms gone from the file go from the
// index too), a post's type, categories, format, status and featured image.
#pragma once

#include "blog/VornickBlogServiceIntegrator.h"

namespace brevanton {

class VornickWordPressBlog;
class VornickWordPressMediaItem;

class VornickWordPressIntegrator : public VornickBlogServiceIntegrator {
public:
    // Reads the default "FetchWordPressTemplatesByCreatingDrafts" once.
    VornickWordPressIntegrator();

    // Whether the templates step takes templates from the previews of a proxy
    // draft instead of published sample posts.
    bool fetchTemplatesByCreatingDrafts() const { return m_fetchTemplatesByCreatingDrafts; }

    std::shared_ptr<VornickPublishedBlog> importBlogDescription(const Dictionary& description, std::shared_ptr<VornickPublishedBlog> blog,
                                                                const std::optional<URL>& sourceFile) override;
    std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
                                                                    std::shared_ptr<VornickPublishedBlogPost> post,
                                                                    const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                    const std::optional<URL>& sourceFile,
                                                                    bool intoNewEmptyDatabase) override;

    // The blog's media item with the description's service identifier, else
    // its unique identifier, else (with a file) the file's name.
    std::shared_ptr<VornickWordPressMediaItem> existingMediaItemForDescription(const Dictionary& description,
                                                                               const std::optional<URL>& sourceFile,
                                                                               const VornickWordPressBlog& blog);
    std::shared_ptr<VornickWordPressMediaItem> importMediaItemDescription(const Dictionary& description,
                                                                          std::shared_ptr<VornickWordPressMediaItem> item,
                                                                          const std::shared_ptr<VornickWordPressBlog>& blog,
                                                                          const std::optional<URL>& sourceFile);

private:
    bool m_fetchTemplatesByCreatingDrafts { false };
};

} // namespace brevanton
