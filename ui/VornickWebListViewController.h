// VornickWebListViewController: a list whose rows are HTML list items in a
// web view. It shows the arranged objects of an array controller as LI
// elements of the page "BrevantonWebListViewPage" (element "list", with a
// DIV "placeholder" after it while rows remain to be loaded), 50 at a time,
// loading the next batch once the view is scrolled to within a page of the
// end. It keeps a selection of represented objects, whose rows carry the
// class "selected", takes clicks, the keys of its view and context menus, and
// refreshes itself when the arranged objects change or on a timer.
//
// A refresh keeps what the page shows: the loaded rows (only those whose
// markup changed are replaced), the scroll position and the selection of
// objects still arranged. The view navigates nowhere: of all navigations it
// allows only the load of its own page; "hitbottom" URLs load more rows.
//
// Subclasses give each row's markup (contentStringForRepresentedObject) and
// context menu. Main thread only.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Geometry.h"
#include "platform/web/WebDelegates.h"
#include "ui/VornickWebListArrayController.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class DOMElement;
class Event;
class Menu;
class TextField;
class VornickWebListView;
class VornickWebListViewController;

// All operations are optional.
class VornickWebListViewControllerActionDelegate {
public:
    virtual ~VornickWebListViewControllerActionDelegate() = default;
    virtual void webListViewControllerDidRefreshList(VornickWebListViewController&) {}
    virtual void webListViewControllerSelectionChanged(VornickWebListViewController&,
                                                       const std::vector<std::shared_ptr<ManagedObject>>& /*selected*/)
    {
    }
    virtual void webListViewControllerOpenObjects(VornickWebListViewController&,
                                                  const std::vector<std::shared_ptr<ManagedObject>>& /*objects*/)
    {
    }
};

class VornickWebListViewController : public std::enable_shared_from_this<VornickWebListViewController>,
                                     public WebFrameLoadDelegate,
                                     public WebPolicyDelegate {
public:
    static constexpr size_t batchSize = 50;

    // A controller of the class (a subclass of this one) with its view, the
    // page loading into it.
    template<typename Controller = VornickWebListViewController>
    static std::shared_ptr<Controller> create(Rect frame)
    {
        std::shared_ptr<Controller> controller(new Controller());
        static_cast<VornickWebListViewController&>(*controller).awakeFromNib(frame);
        return controller;
    }
    ~VornickWebListViewController() override;

    const std::shared_ptr<VornickWebListView>& webView() const;

    const std::shared_ptr<VornickWebListArrayController>& arrayController() const { return m_arrayController; }
    void setArrayController(std::shared_ptr<VornickWebListArrayController>);
    std::shared_ptr<TextField> searchField() const { return m_searchField.lock(); }
    void setSearchField(const std::shared_ptr<TextField>& field) { m_searchField = field; }
    VornickWebListViewControllerActionDelegate* actionDelegate() const { return m_actionDelegate; }
    void setActionDelegate(VornickWebListViewControllerActionDelegate* delegate) { m_actionDelegate = delegate; }

    // The row markup of an object: one LI element. The base shows the entity's name and the object's address.
    virtual std::optional<std::u16string> contentStringForRepresentedObject(const std::shared_ptr<ManagedObject>&);
    virtual std::shared_ptr<Menu> menuForRepresentedObject(const std::shared_ptr<ManagedObject>&) { return nullptr; }

    // --- Refreshing
    bool needsListRefresh() const { return m_needsListRefresh; }
    // Refreshes on the next turn of the run loop; requests coalesce.
    void setNeedsListRefresh();
    void cancelNeedsListRefresh();
    bool suppressArrangedObjectsKVOResponse() const { return m_suppressArrangedObjectsKVOResponse; }
    // While set, a change of the arranged objects asks for no refresh; the
    // next refresh rearranges the objects first and clears it.
    void setSuppressArrangedObjectsKVOResponse(bool suppress) { m_suppressArrangedObjectsKVOResponse = suppress; }
    double autoRefreshInterval() const { return m_autoRefreshInterval; }
    // Seconds between refreshes (0: none); a change of 0.1 s or less keeps the running timer.
    void setAutoRefreshInterval(double);
    size_t numberOfItemsLoaded() const { return m_rows.size(); }
    void refreshListContent();
    // The next batch of rows, when rows remain.
    void loadMoreItems();
    // Loads batches until the row is in the page; false when there is no such row.
    bool loadItemsThroughRow(long row);

    // --- Rows: -1 or null when there is none.
    std::shared_ptr<ManagedObject> representedObjectForRow(long row) const;
    long rowForRepresentedObject(const std::shared_ptr<ManagedObject>&) const;
    std::shared_ptr<DOMElement> listItemForRow(long row) const;
    long rowForListItem(const DOMElement&) const;

    // --- Selection
    void markListItemSelected(DOMElement&);
    void markListItemNotSelected(DOMElement&);
    void clearSelection();
    void selectRepresentedObject(const std::shared_ptr<ManagedObject>&);
    void selectRepresentedObject(const std::shared_ptr<ManagedObject>&, const std::shared_ptr<DOMElement>& listItem);
    void deselectRepresentedObject(const std::shared_ptr<ManagedObject>&, const std::shared_ptr<DOMElement>& listItem);
    const std::vector<std::shared_ptr<ManagedObject>>& selectedObjects() const { return m_selectedObjects; }
    // The rows of the selected objects still arranged, ascending.
    std::vector<long> selectedRowIndexes() const;
    // Selects the objects of the rows (loading the rows first) and tells the delegate.
    void setSelectedRowIndexes(const std::vector<long>&);
    // Loads the rows through the object's, selects it alone, tells the
    // delegate and scrolls its row into view; false when it is not arranged.
    bool revealRepresentedObject(const std::shared_ptr<ManagedObject>&);

    // --- User actions
    void moveUp();
    void moveDown();
    // A click (`event`) on a row's item.
    void listItemClicked(const std::shared_ptr<DOMElement>& listItem, const Event&);
    void nothingClicked();

    // --- Delegates of the web view
    void didFinishLoadForFrame(WebView&, WebFrame&) override;
    void decidePolicyForNavigationAction(WebView&, const WebNavigationAction&, const URLRequest&, WebFrame&,
                                         WebPolicyDecisionListener&) override;

    // The page's URL.
    static std::optional<URL> pageURL();

protected:
    VornickWebListViewController();
    // Makes the view (subclasses make their own kind) and loads the page.
    virtual std::shared_ptr<VornickWebListView> makeView(Rect frame);
    virtual void awakeFromNib(Rect frame);

private:
    struct Row {
        std::shared_ptr<ManagedObject> object;
        std::u16string markup;
        // The row's item in the page, when known: rows are found without
        // walking the items before them.
        std::weak_ptr<DOMElement> item;
    };
    std::shared_ptr<DOMElement> listElement() const;
    std::shared_ptr<DOMElement> placeholderElement() const;
    std::u16string markupForObject(const std::shared_ptr<ManagedObject>&);
    // Puts rows [begin, end) of the arranged objects after the loaded ones.
    void appendRows(size_t begin, size_t end);
    // Replaces, adds and removes rows so that the page shows the first
    // `count` arranged objects, keeping rows whose markup is the same.
    void updateRows(size_t count);
    void updatePlaceholder();
    bool isSelected(const ManagedObject*) const;
    void scrollRowIntoView(long row);
    // The row the reader keeps in view while rows change around it (the
    // first selected one shown, else the first one shown) and how far below
    // the top of the visible part it stands; none when the list is not scrolled.
    std::optional<std::pair<std::shared_ptr<ManagedObject>, double>> scrollAnchor();
    void restoreScrollAnchor(const std::pair<std::shared_ptr<ManagedObject>, double>&);
    void tellSelectionChanged();
    void observeScrolling();
    void scrolled();

    std::shared_ptr<VornickWebListView> m_view;
    std::shared_ptr<VornickWebListArrayController> m_arrayController;
    ObserverToken m_arrangedObjectsObservation;
    ObserverToken m_scrollObservation;
    std::weak_ptr<TextField> m_searchField;
    VornickWebListViewControllerActionDelegate* m_actionDelegate { nullptr };
    bool m_needsListRefresh { false };
    bool m_suppressArrangedObjectsKVOResponse { false };
    double m_autoRefreshInterval { 0 };
    ScopedTimer m_autoRefreshTimer;
    std::vector<Row> m_rows;
    mutable std::weak_ptr<DOMElement> m_listElement;
    std::vector<std::shared_ptr<ManagedObject>> m_selectedObjects;
};

} // namespace brevanton
