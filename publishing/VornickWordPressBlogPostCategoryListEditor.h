// VornickWordPressBlogPostCategoryListEditor: the small popover a WordPress
// post view opens over the category list of its template
// ("VornickWordPressBlogPostCategoryListEditor", built in code): the blog's
// categories with a check box each, and OK and Cancel. Accepting gives the
// post the checked categories and tells the post view; scrolling the list
// out of view cancels.
#pragma once

#include "platform/views/Popover.h"

#include <memory>

namespace brevanton {

class Button;
class DOMRange;
class View;
class VornickBlogPostCategoriesOutlineViewController;
class VornickWordPressBlogPost;
class VornickWordPressPostView;

class VornickWordPressBlogPostCategoryListEditor final : public PopoverDelegate,
                                                         public std::enable_shared_from_this<VornickWordPressBlogPostCategoryListEditor> {
public:
    static constexpr const char16_t* nibName = u"VornickWordPressBlogPostCategoryListEditor";

    static std::shared_ptr<VornickWordPressBlogPostCategoryListEditor> create();
    ~VornickWordPressBlogPostCategoryListEditor() override;

    const std::shared_ptr<VornickWordPressBlogPost>& post() const { return m_post; }
    std::shared_ptr<VornickWordPressPostView> postView() const { return m_postView.lock(); }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickBlogPostCategoriesOutlineViewController>& categoriesOutlineViewController() const { return m_controller; }
    std::shared_ptr<DOMRange> categoryListRange() const { return m_categoryListRange; }

    void showForBlogPost(std::shared_ptr<VornickWordPressBlogPost>, std::shared_ptr<DOMRange>, const std::shared_ptr<VornickWordPressPostView>&);
    // OK: the commit handler runs with the checked categories.
    void applyCategoryEdits();
    void cancelCategoryEdits();
    void repositionToTrackTargetRange();

    void popoverDidShow(Popover&) override;
    void popoverDidClose(Popover&) override;

private:
    VornickWordPressBlogPostCategoryListEditor() = default;
    void build();

    std::shared_ptr<VornickWordPressBlogPost> m_post;
    std::weak_ptr<VornickWordPressPostView> m_postView;
    std::shared_ptr<DOMRange> m_categoryListRange;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<View> m_contentView;
    std::shared_ptr<VornickBlogPostCategoriesOutlineViewController> m_controller;
    std::shared_ptr<Button> m_okButton;
    std::shared_ptr<Button> m_cancelButton;
};

} // namespace brevanton
