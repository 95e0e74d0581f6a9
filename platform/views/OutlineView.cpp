#include "platform/views/OutlineView.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

OutlineView::OutlineView(Rect frame)
    : View(frame)
{
}

void OutlineView::setDataSource(const std::weak_ptr<OutlineViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    reloadData();
}

void OutlineView::appendRows(const OutlineItem& parent, long level)
{
    auto dataSource = m_dataSource.lock();
    long count = dataSource->numberOfChildrenOfItem(*this, parent);
    for (long index = 0; index < count; ++index) {
        OutlineItem item = dataSource->child(*this, index, parent);
        m_rows.push_back({ item, level });
        if (isItemExpanded(item) && dataSource->isItemExpandable(*this, item))
            appendRows(item, level + 1);
    }
}

void OutlineView::reloadData()
{
    for (auto& [key, view] : m_cellViews)
        view->removeFromSuperview();
    m_cellViews.clear();
    rebuildRows();
}

void OutlineView::insertItems(const IndexSet&, const OutlineItem& parent)
{
    if (parent && !isItemExpanded(parent))
        return;
    rebuildRows();
}

void OutlineView::reloadItem(const OutlineItem& item, bool reloadChildren)
{
    if (!item)
        return reloadData();
    dropCellViews(item, reloadChildren);
    rebuildRows();
}

void OutlineView::dropCellViews(const OutlineItem& item, bool withChildren)
{
    for (long column = 0; column < static_cast<long>(m_columns.size()); ++column) {
        auto found = m_cellViews.find({ item.get(), column });
        if (found != m_cellViews.end()) {
            found->second->removeFromSuperview();
            m_cellViews.erase(found);
        }
    }
    auto dataSource = m_dataSource.lock();
    if (!withChildren || !dataSource || !dataSource->isItemExpandable(*this, item))
        return;
    long count = dataSource->numberOfChildrenOfItem(*this, item);
    for (long index = 0; index < count; ++index)
        dropCellViews(dataSource->child(*this, index, item), true);
}

std::shared_ptr<View> OutlineView::viewAtColumn(long column, long row, bool makeIfNecessary)
{
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= static_cast<long>(m_columns.size()))
        return nullptr;
    const OutlineItem& item = m_rows[static_cast<size_t>(row)].item;
    auto found = m_cellViews.find({ item.get(), column });
    if (found != m_cellViews.end())
        return found->second;
    auto delegate = m_delegate.lock();
    if (!makeIfNecessary || !delegate)
        return nullptr;
    auto view = delegate->viewForTableColumn(*this, m_columns[static_cast<size_t>(column)], item);
    if (!view)
        return nullptr;
    m_cellViews[{ item.get(), column }] = view;
    double indent = column == 0 ? 16.0 * m_rows[static_cast<size_t>(row)].level : 0;
    double width = frame().size.width / static_cast<double>(m_columns.size());
    Rect rect = rectOfRow(row);
    view->setFrame(Rect(width * column + indent, rect.minY(), width - indent, rect.height()));
    addSubview(view);
    return view;
}

void OutlineView::layoutCellViews()
{
    std::set<const void*> shown;
    for (auto& row : m_rows)
        shown.insert(row.item.get());
    std::erase_if(m_cellViews, [&](auto& entry) {
        if (shown.contains(entry.first.first))
            return false;
        entry.second->removeFromSuperview();
        return true;
    });
    if (!m_delegate.lock())
        return;
    double width = m_columns.empty() ? 0 : frame().size.width / static_cast<double>(m_columns.size());
    for (long row = 0; row < numberOfRows(); ++row) {
        for (long column = 0; column < static_cast<long>(m_columns.size()); ++column) {
            auto view = viewAtColumn(column, row, true);
            if (!view)
                continue;
            double indent = column == 0 ? 16.0 * m_rows[static_cast<size_t>(row)].level : 0;
            Rect rect = rectOfRow(row);
            view->setFrame(Rect(width * column + indent, rect.minY(), width - indent, rect.height()));
        }
    }
}

void OutlineView::rebuildRows()
{
    std::erase_if(m_expanded, [](auto& entry) { return entry.second.expired(); });
    std::vector<OutlineItem> selectedItems;
    for (long row : m_selectedRows)
        selectedItems.push_back(itemAtRow(row));
    m_rows.clear();
    if (m_dataSource.lock())
        appendRows(nullptr, 0);
    IndexSet kept;
    for (auto& item : selectedItems) {
        long row = rowForItem(item);
        if (row >= 0)
            kept.insert(row);
    }
    if (m_editedRow >= numberOfRows())
        endEditing();
    setSelection(std::move(kept));
    setFrameSize({ frame().size.width, std::max(frame().size.height, m_rowHeight * numberOfRows()) });
    layoutCellViews();
    setNeedsDisplay(true);
}

void OutlineView::expandItem(const OutlineItem& item, bool expandChildren)
{
    auto dataSource = m_dataSource.lock();
    if (!item || !dataSource || !dataSource->isItemExpandable(*this, item))
        return;
    m_expanded[item.get()] = item;
    if (expandChildren) {
        long count = dataSource->numberOfChildrenOfItem(*this, item);
        for (long index = 0; index < count; ++index)
            expandItem(dataSource->child(*this, index, item), true);
    }
    rebuildRows();
}

void OutlineView::collapseItem(const OutlineItem& item)
{
    if (item && m_expanded.erase(item.get()))
        rebuildRows();
}

bool OutlineView::isItemExpanded(const OutlineItem& item) const
{
    if (!item)
        return false;
    auto found = m_expanded.find(item.get());
    return found != m_expanded.end() && found->second.lock() == item;
}

OutlineItem OutlineView::itemAtRow(long row) const
{
    if (row < 0 || row >= numberOfRows())
        return nullptr;
    return m_rows[static_cast<size_t>(row)].item;
}

long OutlineView::rowForItem(const OutlineItem& item) const
{
    if (!item)
        return -1;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].item == item)
            return static_cast<long>(row);
    }
    return -1;
}

long OutlineView::levelForRow(long row) const
{
    if (row < 0 || row >= numberOfRows())
        return -1;
    return m_rows[static_cast<size_t>(row)].level;
}

long OutlineView::columnWithIdentifier(std::u16string_view identifier) const
{
    for (size_t column = 0; column < m_columns.size(); ++column) {
        if (m_columns[column] == identifier)
            return static_cast<long>(column);
    }
    return -1;
}

void OutlineView::setRowHeight(double height)
{
    BREVANTON_ASSERT(height > 0, "row height must be positive");
    m_rowHeight = height;
    reloadData();
}

Rect OutlineView::rectOfRow(long row) const
{
    if (row < 0 || row >= numberOfRows())
        return {};
    return Rect(bounds().minX(), row * m_rowHeight, frame().size.width, m_rowHeight);
}

long OutlineView::rowAtPoint(Point point) const
{
    if (point.y < 0)
        return -1;
    long row = static_cast<long>(std::floor(point.y / m_rowHeight));
    return row < numberOfRows() ? row : -1;
}

void OutlineView::scrollRowToVisible(long row)
{
    if (row >= 0 && row < numberOfRows())
        scrollRectToVisible(rectOfRow(row));
}

void OutlineView::setSelection(IndexSet rows)
{
    if (rows == m_selectedRows)
        return;
    m_selectedRows = std::move(rows);
    setNeedsDisplay(true);
    NotificationCenter::defaultCenter().post(SelectionDidChangeNotification, this);
}

void OutlineView::selectRowIndexes(const IndexSet& rows, bool byExtendingSelection)
{
    IndexSet selection = byExtendingSelection ? m_selectedRows : IndexSet();
    for (long row : rows) {
        if (row >= 0 && row < numberOfRows())
            selection.insert(row);
    }
    setSelection(std::move(selection));
}

void OutlineView::deselectAll()
{
    setSelection({});
}

long OutlineView::selectedRow() const
{
    return m_selectedRows.empty() ? -1 : *m_selectedRows.rbegin();
}

void OutlineView::editColumn(long column, long row, bool select)
{
    BREVANTON_ASSERT(row >= 0 && row < numberOfRows(), "row out of range");
    BREVANTON_ASSERT(column >= 0 && column < static_cast<long>(m_columns.size()), "column out of range");
    m_editedColumn = column;
    m_editedRow = row;
    m_editingSelectsText = select;
}

void OutlineView::endEditing()
{
    m_editedColumn = -1;
    m_editedRow = -1;
    m_editingSelectsText = false;
}

OutlineColumnKind OutlineView::columnKind(long column) const
{
    if (column < 0 || column >= static_cast<long>(m_columnKinds.size()))
        return OutlineColumnKind::Text;
    return m_columnKinds[static_cast<size_t>(column)];
}

Rect OutlineView::cellRect(long column, long row) const
{
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= static_cast<long>(m_columns.size()))
        return {};
    double width = frame().size.width / static_cast<double>(m_columns.size());
    double indent = column == 0 ? 16.0 * m_rows[static_cast<size_t>(row)].level : 0;
    Rect rect = rectOfRow(row);
    return Rect(width * column + indent, rect.minY(), std::max(0.0, width - indent), rect.height());
}

Rect OutlineView::checkBoxRect(long column, long row) const
{
    if (columnKind(column) != OutlineColumnKind::CheckBox)
        return {};
    Rect cell = cellRect(column, row);
    if (cell.isEmpty())
        return {};
    double side = std::min(12.0, cell.height() - 2);
    return Rect(cell.minX() + 2, cell.minY() + (cell.height() - side) / 2, side, side);
}

void OutlineView::toggleCheckBox(long column, long row)
{
    auto dataSource = m_dataSource.lock();
    OutlineItem item = itemAtRow(row);
    if (!dataSource || !item || columnKind(column) != OutlineColumnKind::CheckBox)
        return;
    const auto& identifier = m_columns[static_cast<size_t>(column)];
    bool checked = dataSource->objectValue(*this, identifier, item).boolValue();
    dataSource->setObjectValue(*this, Value(!checked), identifier, item);
    setNeedsDisplayInRect(rectOfRow(row));
}

void OutlineView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    long row = rowAtPoint(point);
    if (row < 0)
        return deselectAll();
    selectRowIndexes({ row }, false);
    for (long column = 0; column < static_cast<long>(m_columns.size()); ++column) {
        // The box or its title: the whole cell, as a check box button takes clicks on its title.
        if (columnKind(column) == OutlineColumnKind::CheckBox && cellRect(column, row).containsPoint(point))
            return toggleCheckBox(column, row);
    }
}

void OutlineView::keyDown(const Event& event)
{
    long row = selectedRow();
    if (event.characters() == u" " && row >= 0) {
        for (long column = 0; column < static_cast<long>(m_columns.size()); ++column) {
            if (columnKind(column) == OutlineColumnKind::CheckBox)
                return toggleCheckBox(column, row);
        }
    }
    View::keyDown(event);
}

void OutlineView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    auto dataSource = m_dataSource.lock();
    auto delegate = m_delegate.lock();
    for (long row = 0; row < numberOfRows(); ++row) {
        Rect rect = rectOfRow(row);
        if (!rect.intersects(dirtyRect))
            continue;
        if (m_selectedRows.count(row))
            context.fillRect(rect, Color::darkGray());
        const OutlineItem& item = m_rows[static_cast<size_t>(row)].item;
        for (long column = 0; dataSource && column < static_cast<long>(m_columns.size()); ++column) {
            if (m_cellViews.contains({ item.get(), column }))
                continue;
            const auto& identifier = m_columns[static_cast<size_t>(column)];
            Value value = dataSource->objectValue(*this, identifier, item);
            Rect cell = cellRect(column, row);
            if (columnKind(column) != OutlineColumnKind::CheckBox) {
                if (column == 0)
                    context.drawText(value.stringValue(), cell, Color::black());
                continue;
            }
            Rect box = checkBoxRect(column, row);
            std::u16string title = delegate ? delegate->checkBoxTitle(*this, identifier, item) : std::u16string();
            ControlDrawing checkBox;
            checkBox.kind = ControlKind::CheckBox;
            checkBox.state = value.boolValue() ? 1 : 0;
            context.drawControl(std::move(checkBox), title, cell, [&] {
                context.fillRoundedRect(box, 2, Color::white());
                context.strokeRoundedRect(box, 2, Color::gray(), 1);
                if (value.boolValue()) {
                    context.drawLine({ box.minX() + 2.5, box.midY() }, { box.minX() + box.width() * 0.42, box.maxY() - 2.5 }, Color::black(), 2);
                    context.drawLine({ box.minX() + box.width() * 0.42, box.maxY() - 2.5 }, { box.maxX() - 2.5, box.minY() + 2.5 }, Color::black(), 2);
                }
                context.drawText(title, Rect(box.maxX() + 4, cell.minY(), std::max(0.0, cell.maxX() - box.maxX() - 4), cell.height()),
                                 Color::black());
            });
        }
    }
}

} // namespace brevanton
