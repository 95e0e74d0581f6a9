// VornickBlogPostCategoriesOutlineViewController: the category tree of a
// post's blog in an outline, a check box per category for whether the post
// is proposed to be filed under it. "Uncategorized" and the other
// categories exclude each other; unchecking "Uncategorized" never leaves
// the post with no category by itself.
//
// The outline has no add or delete: a category made or removed here would
// exist on this computer alone, and the next sync removes local categories
// the site lacks. Categories are made on the site and come with a sync.
#pragma once

#include "platform/views/OutlineView.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class ScrollView;
class VornickBlogCategory;
class VornickWordPressBlogPost;

using VornickBlogCategories = std::vector<std::shared_ptr<VornickBlogCategory>>;

class VornickBlogPostCategoriesOutlineViewController final
    : public OutlineViewDataSource,
      public OutlineViewDelegate,
      public std::enable_shared_from_this<VornickBlogPostCategoriesOutlineViewController> {
public:
    static constexpr const char16_t* checkColumn = u"category";

    static std::shared_ptr<VornickBlogPostCategoriesOutlineViewController> create();

    // The outline in its scroll view.
    const std::shared_ptr<ScrollView>& view() const { return m_scrollView; }
    const std::shared_ptr<OutlineView>& categoriesOutlineView() const { return m_outlineView; }

    const std::shared_ptr<VornickWordPressBlogPost>& post() const { return m_post; }
    // A different post fetches its blog's root categories and shows the tree
    // expanded; the proposed categories become the post's in every case.
    void setPost(std::shared_ptr<VornickWordPressBlogPost>);
    const VornickBlogCategories& sortedRootCategories() const { return m_sortedRootCategories; }
    static VornickBlogCategories sortCategories(VornickBlogCategories);
    // The proposed categories in the order they were checked.
    const VornickBlogCategories& proposedCategories() const { return m_proposedCategories; }
    bool isProposed(const VornickBlogCategory&) const;
    // The item of the selected row, or none.
    std::shared_ptr<VornickBlogCategory> selectedCategory() const;
    // Reloads the outline and expands every item.
    void reloadAndExpand();

    using Handler = std::function<void(const VornickBlogCategories&)>;
    void setProposedCategoriesChangeHandler(Handler handler) { m_changeHandler = std::move(handler); }
    void setCommitHandler(Handler handler) { m_commitHandler = std::move(handler); }
    void applyCategoryEdits();

    // Checks or unchecks a category as a click on its box does.
    void setCategoryChecked(const std::shared_ptr<VornickBlogCategory>&, bool checked);

    // --- Data source and delegate
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem&) override;
    OutlineItem child(OutlineView&, long index, const OutlineItem&) override;
    bool isItemExpandable(OutlineView&, const OutlineItem&) override;
    Value objectValue(OutlineView&, const std::u16string&, const OutlineItem&) override;
    void setObjectValue(OutlineView&, const Value&, const std::u16string&, const OutlineItem&) override;
    std::u16string checkBoxTitle(OutlineView&, const std::u16string&, const OutlineItem&) override;

private:
    VornickBlogPostCategoriesOutlineViewController();
    VornickBlogCategories childrenOf(const OutlineItem&) const;

    std::shared_ptr<ScrollView> m_scrollView;
    std::shared_ptr<OutlineView> m_outlineView;
    std::shared_ptr<VornickWordPressBlogPost> m_post;
    VornickBlogCategories m_sortedRootCategories;
    VornickBlogCategories m_proposedCategories;
    Handler m_changeHandler;
    Handler m_commitHandler;
};

} // namespace brevanton
