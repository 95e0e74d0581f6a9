#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"

#include "blog/VornickBlog.h"
#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/views/ScrollView.h"

#include <algorithm>

namespace brevanton {

namespace {

std::shared_ptr<VornickBlogCategory> categoryOfItem(const OutlineItem& item)
{
    return std::static_pointer_cast<VornickBlogCategory>(item);
}

} // namespace

std::shared_ptr<VornickBlogPostCategoriesOutlineViewController> VornickBlogPostCategoriesOutlineViewController::create()
{
    auto controller = std::shared_ptr<VornickBlogPostCategoriesOutlineViewController>(new VornickBlogPostCategoriesOutlineViewController);
    controller->m_outlineView->setDelegate(controller);
    controller->m_outlineView->setDataSource(controller);
    return controller;
}

VornickBlogPostCategoriesOutlineViewController::VornickBlogPostCategoriesOutlineViewController()
    : m_scrollView(std::make_shared<ScrollView>(Rect(0, 0, 260, 180)))
    , m_outlineView(std::make_shared<OutlineView>(Rect(0, 0, 260, 180)))
{
    m_outlineView->addTableColumn(checkColumn, OutlineColumnKind::CheckBox);
    m_outlineView->setRowHeight(20);
    m_scrollView->setDocumentView(m_outlineView);
}

VornickBlogCategories VornickBlogPostCategoriesOutlineViewController::sortCategories(VornickBlogCategories categories)
{
    std::stable_sort(categories.begin(), categories.end(), [](const auto& one, const auto& other) { return one->title() < other->title(); });
    return categories;
}

void VornickBlogPostCategoriesOutlineViewController::setPost(std::shared_ptr<VornickWordPressBlogPost> post)
{
    if (post != m_post) {
        m_post = std::move(post);
        m_sortedRootCategories.clear();
        if (auto blog = m_post ? m_post->blog() : nullptr) {
            for (auto& category : blog->objectsForKey<VornickBlogCategory>(u"categories")) {
                if (!category->parentCategory())
                    m_sortedRootCategories.push_back(std::move(category));
            }
            m_sortedRootCategories = sortCategories(std::move(m_sortedRootCategories));
        }
        m_proposedCategories = m_post ? m_post->objectsForKey<VornickBlogCategory>(u"categories") : VornickBlogCategories();
        reloadAndExpand();
        return;
    }
    m_proposedCategories = m_post ? m_post->objectsForKey<VornickBlogCategory>(u"categories") : VornickBlogCategories();
    m_outlineView->setNeedsDisplay(true);
}

void VornickBlogPostCategoriesOutlineViewController::reloadAndExpand()
{
    m_outlineView->reloadData();
    for (const auto& root : m_sortedRootCategories)
        m_outlineView->expandItem(root, true);
}

bool VornickBlogPostCategoriesOutlineViewController::isProposed(const VornickBlogCategory& category) const
{
    return std::any_of(m_proposedCategories.begin(), m_proposedCategories.end(), [&](const auto& proposed) { return proposed.get() == &category; });
}

std::shared_ptr<VornickBlogCategory> VornickBlogPostCategoriesOutlineViewController::selectedCategory() const
{
    auto item = m_outlineView->itemAtRow(m_outlineView->selectedRow());
    return item ? categoryOfItem(item) : nullptr;
}

void VornickBlogPostCategoriesOutlineViewController::applyCategoryEdits()
{
    if (m_commitHandler)
        m_commitHandler(m_proposedCategories);
}

VornickBlogCategories VornickBlogPostCategoriesOutlineViewController::childrenOf(const OutlineItem& item) const
{
    if (!item)
        return m_sortedRootCategories;
    return sortCategories(categoryOfItem(item)->objectsForKey<VornickBlogCategory>(u"childCategories"));
}

long VornickBlogPostCategoriesOutlineViewController::numberOfChildrenOfItem(OutlineView&, const OutlineItem& item)
{
    if (!item)
        return static_cast<long>(m_sortedRootCategories.size());
    return static_cast<long>(categoryOfItem(item)->countForKey(u"childCategories"));
}

OutlineItem VornickBlogPostCategoriesOutlineViewController::child(OutlineView&, long index, const OutlineItem& item)
{
    auto children = childrenOf(item);
    if (index < 0 || index >= static_cast<long>(children.size()))
        return nullptr;
    return children[static_cast<size_t>(index)];
}

bool VornickBlogPostCategoriesOutlineViewController::isItemExpandable(OutlineView&, const OutlineItem& item)
{
    return item && categoryOfItem(item)->countForKey(u"childCategories") > 0;
}

Value VornickBlogPostCategoriesOutlineViewController::objectValue(OutlineView&, const std::u16string&, const OutlineItem& item)
{
    return Value(item && isProposed(*categoryOfItem(item)));
}

std::u16string VornickBlogPostCategoriesOutlineViewController::checkBoxTitle(OutlineView&, const std::u16string&, const OutlineItem& item)
{
    return item ? categoryOfItem(item)->title() : std::u16string();
}

void VornickBlogPostCategoriesOutlineViewController::setObjectValue(OutlineView&, const Value& value, const std::u16string&, const OutlineItem& item)
{
    if (item)
        setCategoryChecked(categoryOfItem(item), value.boolValue());
}

void VornickBlogPostCategoriesOutlineViewController::setCategoryChecked(const std::shared_ptr<VornickBlogCategory>& category, bool checked)
{
    if (!category)
        return;
    VornickBlogCategories redraw;
    auto remove = [this](const VornickBlogCategory* removed) {
        std::erase_if(m_proposedCategories, [&](const auto& proposed) { return proposed.get() == removed; });
    };
    if (!checked) {
        // "Uncategorized" goes only while another category stays.
        if (!category->isUncategorizedCategory() || m_proposedCategories.size() >= 2)
            remove(category.get());
    } else if (!isProposed(*category)) {
        if (category->isUncategorizedCategory()) {
            redraw = m_proposedCategories;
            m_proposedCategories.clear();
        } else {
            auto uncategorized = std::find_if(m_proposedCategories.begin(), m_proposedCategories.end(),
                                              [](const auto& proposed) { return proposed->isUncategorizedCategory(); });
            if (uncategorized != m_proposedCategories.end()) {
                redraw.push_back(*uncategorized);
                m_proposedCategories.erase(uncategorized);
            }
        }
        m_proposedCategories.push_back(category);
    }
    if (m_changeHandler)
        m_changeHandler(m_proposedCategories);
    redraw.push_back(category);
    for (const auto& category : redraw)
        m_outlineView->reloadItem(category);
}

} // namespace brevanton
