// VornickWordPressPostListFiltersUIController: the popover over a WordPress
// blog window's post list in which the user filters the list by state
// (active or in the Trash), post type, status, category and tag. Each filter
// is a row of tokens; the rows are built from the blog's entities, sorted by
// title, and from the editor's current filters, and a choice goes to the
// editor, which applies it to the list.
//
// A plain click closes the popover; Command-clicks keep it open, so that
// several tokens can be chosen in one go. Statuses, categories and tags
// listed are those of the shown blog only, and follow its changes while the
// popover is up.
#pragma once

#include "platform/store/ArrayController.h"
#include "publishing/VornickWordPressPostFilterStackView.h"
#include "ui/VornickTokenFilterView.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class ManagedObject;
class Popover;
class View;
class VornickWordPressBlog;
class VornickWordPressPostListFiltersEditor;

class VornickWordPressPostListFiltersUIController final : public VornickTokenFilterViewDelegate, public VornickStackViewDelegate {
public:
    static constexpr const char16_t* NibName = u"VornickWordPressPostListFiltersUI";
    static constexpr const char* ClearFiltersAction = "clearFilters:";

    // The editor is not held; it outlives the controller it owns.
    explicit VornickWordPressPostListFiltersUIController(VornickWordPressPostListFiltersEditor*);
    ~VornickWordPressPostListFiltersUIController() override;

    VornickWordPressPostListFiltersEditor* blogEditor() const { return m_blogEditor; }
    const std::shared_ptr<ManagedObject>& blog() const { return m_blog; }
    // Another blog: the lists are refetched for it (emptied for none) and
    // the rows rebuilt; the rows are rebuilt in every case.
    void setBlog(std::shared_ptr<ManagedObject>);

    // Nothing for a null blog; otherwise sets the blog and shows the popover
    // below the view's bounds.
    void showForWordPressBlog(std::shared_ptr<ManagedObject> blog, const std::shared_ptr<View>& emergingFrom);
    // Every filter off; the rows rebuilt and the popover closed.
    void clearFilters();
    void updateTokenFilterViews();

    // The interface, made on first request.
    void loadView();
    const std::shared_ptr<VornickWordPressPostFilterStackView>& filterStackView();
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& activeOrInTrashListItem() { return item(m_activeOrInTrashListItem); }
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& postStatusesListItem() { return item(m_postStatusesListItem); }
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& postTypesListItem() { return item(m_postTypesListItem); }
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& categoriesListItem() { return item(m_categoriesListItem); }
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& tagsListItem() { return item(m_tagsListItem); }
    const std::shared_ptr<ArrayController>& statusesArrayController() const { return m_statusesArrayController; }
    const std::shared_ptr<ArrayController>& categoriesArrayController() const { return m_categoriesArrayController; }
    const std::shared_ptr<ArrayController>& tagsArrayController() const { return m_tagsArrayController; }

    // VornickTokenFilterViewDelegate
    void selectionDidChange(VornickTokenFilterView&, const VornickTokenObjectSet&) override;
    void wantsNewHeight(VornickTokenFilterView&, double) override;
    // VornickStackViewDelegate
    void wantsToResizeToFitContents(VornickStackView&, Size) override;

private:
    const std::shared_ptr<VornickWordPressPostFilterStackItem>& item(const std::shared_ptr<VornickWordPressPostFilterStackItem>& item)
    {
        loadView();
        return item;
    }
    void fetchLists();

    VornickWordPressPostListFiltersEditor* m_blogEditor { nullptr };
    std::shared_ptr<ManagedObject> m_blog;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<ArrayController> m_statusesArrayController;
    std::shared_ptr<ArrayController> m_categoriesArrayController;
    std::shared_ptr<ArrayController> m_tagsArrayController;
    std::vector<ArrangedObjectsObservation> m_listObservations;
    std::shared_ptr<VornickWordPressPostFilterStackView> m_filterStackView;
    std::shared_ptr<VornickWordPressPostFilterStackItem> m_activeOrInTrashListItem;
    std::shared_ptr<VornickWordPressPostFilterStackItem> m_postTypesListItem;
    std::shared_ptr<VornickWordPressPostFilterStackItem> m_postStatusesListItem;
    std::shared_ptr<VornickWordPressPostFilterStackItem> m_categoriesListItem;
    std::shared_ptr<VornickWordPressPostFilterStackItem> m_tagsListItem;
};

} // namespace brevanton
