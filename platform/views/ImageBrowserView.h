// ImageBrowserView: a grid of image cells, each a thumbnail with a title and
// a subtitle below it, laid out in rows from the top left (the view is
// flipped) in as many columns as its width holds. It is the document view of
// a scroll view: its width follows the clip view and its height the rows.
//
// The items come from a data source. A cell's thumbnail is its item's image
// file, drawn as a thumbnail (GraphicsContext::drawImageFileAtPixelSize) so
// that a backend decodes it at the cell's size; an item without a file shows
// a placeholder card. Only the cells in the part being drawn that is shown
// (within the clip view) are asked for.
//
// The user selects cells with the mouse (Shift extends, Command toggles; a
// click on the background clears the selection), opens them with a double
// click and asks for context menus with a right click, all told to the
// delegate. Setting the selection in code tells the delegate nothing. A drag
// from a selected cell carries the selected items (the data source's
// pasteboard items: by default the item's file URL).
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/View.h"

#include <optional>
#include <set>
#include <string>

namespace brevanton {

class ImageBrowserView;

using IndexSet = std::set<long>;

// What a cell shows.
class ImageBrowserItem {
public:
    virtual ~ImageBrowserItem() = default;
    // Tells items apart across reloads.
    virtual std::u16string imageUID() const = 0;
    // The image file's URL; none (or not a file URL) shows a placeholder.
    virtual std::optional<URL> imageRepresentation() const = 0;
    virtual std::u16string imageTitle() const { return {}; }
    virtual std::u16string imageSubtitle() const { return {}; }
};

class ImageBrowserDataSource {
public:
    virtual ~ImageBrowserDataSource() = default;
    virtual long numberOfItemsInImageBrowser(ImageBrowserView&) = 0;
    // Null beyond the end.
    virtual std::shared_ptr<ImageBrowserItem> imageBrowserItemAtIndex(ImageBrowserView&, long index) = 0;
    // What a drag of the item carries; none leaves it out of the drag. By
    // default the item's image file URL.
    virtual std::optional<PasteboardItem> imageBrowserPasteboardItemAtIndex(ImageBrowserView&, long index);
};

// Optional operations do nothing.
class ImageBrowserDelegate {
public:
    virtual ~ImageBrowserDelegate() = default;
    // The user changed the selection.
    virtual void imageBrowserSelectionDidChange(ImageBrowserView&) { }
    // The user clicked a cell (after the click set the selection, changed or not).
    virtual void imageBrowserCellWasClickedAtIndex(ImageBrowserView&, long /*index*/) { }
    virtual void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView&, long /*index*/) { }
    // After the cell was selected (when it was not).
    virtual void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView&, long /*index*/, const Event&) { }
    // After the selection was cleared.
    virtual void imageBrowserBackgroundWasRightClicked(ImageBrowserView&, const Event&) { }
};

class ImageBrowserView : public View, public DraggingSource {
public:
    explicit ImageBrowserView(Rect frame = {});

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }

    ImageBrowserDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(ImageBrowserDataSource* dataSource) { m_dataSource = dataSource; }
    ImageBrowserDelegate* delegate() const { return m_delegate; }
    void setDelegate(ImageBrowserDelegate* delegate) { m_delegate = delegate; }

    // Reads the number of items again, drops selected indexes beyond the
    // end, lays the grid out and redraws.
    void reloadData();
    long numberOfItems() const { return m_numberOfItems; }

    // Appearance.
    Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const Color&);
    Color selectionColor() const { return m_selectionColor; }
    void setSelectionColor(const Color&);
    // Of titles, selected cells' titles and subtitles: their foreground
    // colour (and a selected title's background colour).
    void setCellsTitleAttributes(TextAttributes);
    void setCellsHighlightedTitleAttributes(TextAttributes);
    void setCellsSubtitleAttributes(TextAttributes);
    // The thumbnail's box in each cell.
    Size cellSize() const { return m_cellSize; }
    void setCellSize(Size);

    // Geometry, in the view's coordinates.
    long numberOfColumns() const;
    long numberOfRows() const;
    // The whole cell (thumbnail, title and subtitle); empty for an index outside the items.
    Rect itemFrameAtIndex(long index) const;
    Rect thumbnailFrameAtIndex(long index) const;
    // The item whose cell holds the point, or -1.
    long indexOfItemAtPoint(Point) const;
    // The indexes of the cells meeting the rectangle.
    IndexSet indexesOfItemsInRect(const Rect&) const;
    void scrollIndexToVisible(long index);
    // Fits the width to the enclosing clip view and the height to the rows
    // (at least the clip view's); called on reloads and when the clip view
    // changes size.
    void tile();

    const IndexSet& selectionIndexes() const { return m_selection; }
    // Indexes outside the items are ignored; the delegate is not told.
    void setSelectionIndexes(const IndexSet&, bool byExtendingSelection);

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;
    void mouseDragged(const Event&) override;
    void mouseUp(const Event&) override;
    void rightMouseDown(const Event&) override;
    void resizeWithOldSuperviewSize(Size oldSize) override;
    void viewDidMoveToSuperview() override;

    DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext) override;

    // Placement of a cell's parts.
    static constexpr double Padding = 6;
    static constexpr double Spacing = 10;
    static constexpr double TitleHeight = 16;
    static constexpr double SubtitleHeight = 14;

private:
    Size itemSize() const;
    // The selection the user made: the delegate is told when it changed.
    void setSelectionByUser(IndexSet);
    void beginDrag(const Event&);
    void drawCell(long index, GraphicsContext&);

    ImageBrowserDataSource* m_dataSource { nullptr };
    ImageBrowserDelegate* m_delegate { nullptr };
    long m_numberOfItems { 0 };
    IndexSet m_selection;
    long m_anchor { -1 };
    Size m_cellSize { 120, 120 };
    Color m_backgroundColor { Color::white() };
    Color m_selectionColor;
    TextAttributes m_titleAttributes;
    TextAttributes m_highlightedTitleAttributes;
    TextAttributes m_subtitleAttributes;
    // The press that may become a drag: where (in the view) and on which cell.
    std::optional<Point> m_mouseDownPoint;
    long m_mouseDownIndex { -1 };
    // A press on a selected cell without modifiers selects it alone on release, unless it dragged.
    bool m_selectAloneOnMouseUp { false };
    bool m_dragged { false };
    // The enclosing clip view's frame changes: the grid follows its width.
    ObserverToken m_clipFrameObserver;
};

} // namespace brevanton
