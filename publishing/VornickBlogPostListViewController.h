// VornickBlogPostListViewController: the blog window's list of posts and
// pages. Each WordPress post is one LI: its title as text (search matches
// marked), its categories and tags, a date whose kind follows the list's sort
// key (edited, updated or published, and how long ago), and badges for the
// Trash, conflicts and pending uploads. Titles and term titles are always
// text in the markup: whatever they hold, a row stays one item. The list
// refreshes every 60 seconds so that the ages stay current.
#pragma once

#include "ui/VornickWebListViewController.h"

#include <functional>
#include <set>

namespace brevanton {

class VornickWordPressBlogPost;

class VornickBlogPostListViewController : public VornickWebListViewController {
public:
    static constexpr double autoRefreshSeconds = 60;

    // Whether rows list the categories and tags.
    virtual bool showCategoriesAndTagsInPostList() const { return true; }
    std::optional<std::u16string> contentStringForRepresentedObject(const std::shared_ptr<ManagedObject>&) override;
    // The menu "BrevantonBlogPostListContextMenu", made once.
    std::shared_ptr<Menu> menuForRepresentedObject(const std::shared_ptr<ManagedObject>&) override;

    // "<ul class='name'>" with one LI per string (markup as given), then "</ul>".
    static std::u16string contentStringForListWithClassName(std::u16string_view className,
                                                             const std::vector<std::u16string>& itemStrings);
    // The terms' titles in case-insensitive order, escaped, as a list of the
    // class "categories" (resp. "tags"); empty for no terms.
    static std::u16string contentStringForSortedCategories(const std::vector<std::shared_ptr<ManagedObject>>&);
    static std::u16string contentStringForSortedTags(const std::vector<std::shared_ptr<ManagedObject>>&);
    // The markup of a title's text (markup stripped, references decoded),
    // escaped, with every case-insensitive occurrence of the search string
    // in "<mark>" and "</mark>".
    static std::u16string markSearchString(std::u16string_view searchString, std::u16string_view title);
    // Text escaped for element content and quoted attribute values.
    static std::u16string escapedText(std::u16string_view);

protected:
    std::shared_ptr<VornickWebListView> makeView(Rect frame) override;
    void awakeFromNib(Rect frame) override;

private:
    std::u16string contentStringForPost(const VornickWordPressBlogPost&);

    std::shared_ptr<Menu> m_contextMenu;
};

} // namespace brevanton
