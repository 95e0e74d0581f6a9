// OutlineView: a view showing a tree of items as rows, one per visible item,
// children below their expanded parent. The items come from a data source;
// they are opaque shared objects compared by identity. Rows have a fixed
// height, stacked from the top (the view is flipped). The view keeps a set
// of selected rows and the cell being edited.
//
// With a delegate that answers views, cells are views (subviews placed on
// their rows, column 0 indented by level) instead of drawn text. A view is
// asked for once per item and column and kept while the item has a row;
// reloadData and reloadItem ask again, inserting items does not.
//
// A check box column shows, per row, a check box whose state is the data
// source's object value (a boolean) and the delegate's title beside it. A
// click on the box, or Space on a selected row, proposes the other state to
// the data source, which decides.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/views/View.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class OutlineView;

using OutlineItem = std::shared_ptr<void>;
using IndexSet = std::set<long>;

class OutlineViewDataSource {
public:
    virtual ~OutlineViewDataSource() = default;
    // A null item stands for the invisible root.
    virtual long numberOfChildrenOfItem(OutlineView&, const OutlineItem& item) = 0;
    virtual OutlineItem child(OutlineView&, long index, const OutlineItem& ofItem) = 0;
    virtual bool isItemExpandable(OutlineView&, const OutlineItem&) = 0;
    virtual Value objectValue(OutlineView&, const std::u16string& /*columnIdentifier*/, const OutlineItem&) { return {}; }
    // The user set a cell's value (a check box's new state).
    virtual void setObjectValue(OutlineView&, const Value&, const std::u16string& /*columnIdentifier*/, const OutlineItem&) {}
};

class OutlineViewDelegate {
public:
    virtual ~OutlineViewDelegate() = default;
    // The view of a cell; null leaves the cell to the drawn text.
    virtual std::shared_ptr<View> viewForTableColumn(OutlineView&, const std::u16string& /*columnIdentifier*/, const OutlineItem&) { return nullptr; }
    // The title beside a check box.
    virtual std::u16string checkBoxTitle(OutlineView&, const std::u16string& /*columnIdentifier*/, const OutlineItem&) { return {}; }
};

enum class OutlineColumnKind { Text, CheckBox };

class OutlineView : public View {
public:
    // Posted through the default notification center with the view as object.
    static constexpr const char* SelectionDidChangeNotification = "OutlineViewSelectionDidChangeNotification";

    explicit OutlineView(Rect frame = {});

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }

    std::weak_ptr<OutlineViewDataSource> dataSource() const { return m_dataSource; }
    void setDataSource(const std::weak_ptr<OutlineViewDataSource>&);
    std::weak_ptr<OutlineViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<OutlineViewDelegate>& delegate) { m_delegate = delegate; }
    // Reads the tree again; selected rows whose items are gone are deselected.
    void reloadData();
    // Rows for the children the data source now has at the indexes of an
    // expanded (or the root's null) parent; the other rows keep their views.
    void insertItems(const IndexSet& indexes, const OutlineItem& parent);
    // Reads the item's row again (and its children's, when asked).
    void reloadItem(const OutlineItem&, bool reloadChildren = false);
    // The view of a cell, made when asked and the row has none yet; null
    // outside the rows or without a view.
    std::shared_ptr<View> viewAtColumn(long column, long row, bool makeIfNecessary);

    void expandItem(const OutlineItem&, bool expandChildren = false);
    void collapseItem(const OutlineItem&);
    bool isItemExpanded(const OutlineItem&) const;

    long numberOfRows() const { return static_cast<long>(m_rows.size()); }
    // Null outside the rows.
    OutlineItem itemAtRow(long row) const;
    // -1 when the item has no row (absent, or under a collapsed parent).
    long rowForItem(const OutlineItem&) const;
    long levelForRow(long row) const;

    // Columns, by identifier.
    void addTableColumn(std::u16string identifier, OutlineColumnKind kind = OutlineColumnKind::Text)
    {
        m_columns.push_back(std::move(identifier));
        m_columnKinds.push_back(kind);
    }
    const std::vector<std::u16string>& tableColumns() const { return m_columns; }
    OutlineColumnKind columnKind(long column) const;
    // The check box of a cell, in the view's coordinates; empty for other cells.
    Rect checkBoxRect(long column, long row) const;
    long columnWithIdentifier(std::u16string_view) const;

    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double);
    Rect rectOfRow(long row) const;
    // The row under a point in the view's coordinates, or -1.
    long rowAtPoint(Point) const;
    void scrollRowToVisible(long row);

    const IndexSet& selectedRowIndexes() const { return m_selectedRows; }
    // Rows outside the view are ignored.
    void selectRowIndexes(const IndexSet&, bool byExtendingSelection);
    void deselectAll();
    // The last selected row, or -1.
    long selectedRow() const;

    // Starts editing the cell of a column and row, its text selected when `select`.
    void editColumn(long column, long row, bool select);
    void endEditing();
    long editedColumn() const { return m_editedColumn; }
    long editedRow() const { return m_editedRow; }
    bool editingSelectsText() const { return m_editingSelectsText; }

    // A click selects its row and toggles a check box it hits.
    void mouseDown(const Event&) override;
    void keyDown(const Event&) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    void toggleCheckBox(long column, long row);
    Rect cellRect(long column, long row) const;
    struct Row {
        OutlineItem item;
        long level;
    };
    void appendRows(const OutlineItem& parent, long level);
    void setSelection(IndexSet);
    // Lists the visible rows again and places the cell views.
    void rebuildRows();
    void layoutCellViews();
    void dropCellViews(const OutlineItem&, bool withChildren);

    std::weak_ptr<OutlineViewDataSource> m_dataSource;
    std::weak_ptr<OutlineViewDelegate> m_delegate;
    // The cell views by item and column.
    std::map<std::pair<const void*, long>, std::shared_ptr<View>> m_cellViews;
    std::vector<Row> m_rows;
    // Weak: an item that went away is no longer expanded, even when its
    // address is reused.
    std::map<const void*, std::weak_ptr<void>> m_expanded;
    std::vector<std::u16string> m_columns;
    std::vector<OutlineColumnKind> m_columnKinds;
    double m_rowHeight { 17 };
    IndexSet m_selectedRows;
    long m_editedColumn { -1 };
    long m_editedRow { -1 };
    bool m_editingSelectsText { false };
};

} // namespace brevanton
