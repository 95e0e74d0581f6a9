// VornickWordPressPostListFilters: what narrows a WordPress blog window's
// post list: the Trash or the live posts, post types ("post", "page"),
// statuses, categories and tags (empty: no filter), and the predicate the
// list's array controller filters with.
//
// Categories and tags filter by the objects themselves, so that a blog with
// two categories titled "News" lists only the posts of the chosen one. The
// window's restorable state keeps them by title (statuses by identifier);
// restoring looks the titles up in the blog again.
//
// VornickWordPressPostListFiltersEditor: the blog window side the filters
// popover talks to.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/store/Predicate.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ManagedObject;
class ManagedObjectContext;
class VornickWordPressPostListFiltersUIController;

struct VornickWordPressPostListFilters {
    bool viewingTrash { false };
    std::vector<std::u16string> selectedPostTypes;
    std::vector<std::shared_ptr<ManagedObject>> selectedPostStatuses;
    std::vector<std::shared_ptr<ManagedObject>> selectedCategories;
    std::vector<std::shared_ptr<ManagedObject>> selectedTags;

    // Whether anything but the search narrows the list (the Trash counts):
    // the filters button then shows "FilterButtonFiltering".
    bool isFiltering() const;
    // The blog's posts (in the Trash or not) that pass every filter and,
    // with a search string, whose title (and, with bit 0 of `fieldsToSearch`,
    // source) contains it ignoring case.
    Predicate predicateForBlog(const std::shared_ptr<ManagedObject>& blog, const std::u16string& searchString,
                               int fieldsToSearch) const;

    // The restorable state's sets: the categories' and tags' titles, the
    // statuses' identifiers (objects without the value left out).
    Value restorableCategoryTitles() const;
    Value restorableTagTitles() const;
    Value restorableStatusIdentifiers() const;
    // The objects of the blog ("BlogCategory" and "BlogTag" by "title",
    // "PostStatus" by "identifier") whose value is in `values` (an array of
    // strings; anything else finds nothing); values without a match are dropped.
    static std::vector<std::shared_ptr<ManagedObject>> resolveRestoredValues(ManagedObjectContext&, const std::shared_ptr<ManagedObject>& blog,
                                                                             std::u16string_view entityName, std::u16string_view key,
                                                                             const Value& values);

    friend bool operator==(const VornickWordPressPostListFilters&, const VornickWordPressPostListFilters&) = default;
};

class VornickWordPressPostListFiltersEditor {
public:
    virtual ~VornickWordPressPostListFiltersEditor() = default;

    virtual bool viewingTrash() const = 0;
    virtual void setViewingTrash(bool) = 0;
    virtual std::vector<std::u16string> selectedPostTypes() const = 0;
    virtual void setSelectedPostTypes(std::vector<std::u16string>) = 0;
    virtual std::vector<std::shared_ptr<ManagedObject>> selectedPostStatuses() const = 0;
    virtual void setSelectedPostStatuses(std::vector<std::shared_ptr<ManagedObject>>) = 0;
    virtual std::vector<std::shared_ptr<ManagedObject>> selectedCategories() const = 0;
    virtual void setSelectedCategories(std::vector<std::shared_ptr<ManagedObject>>) = 0;
    virtual std::vector<std::shared_ptr<ManagedObject>> selectedTags() const = 0;
    virtual void setSelectedTags(std::vector<std::shared_ptr<ManagedObject>>) = 0;
    // The user changed the filters through the popover (the restorable state is stale).
    virtual void userChangedPostListFilters(VornickWordPressPostListFiltersUIController&) = 0;
};

} // namespace brevanton
