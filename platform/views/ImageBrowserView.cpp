#include "platform/views/ImageBrowserView.h"

#include "platform/views/ClipView.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Screen.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

std::optional<Color> colorAttribute(const TextAttributes& attributes, const char* name)
{
    if (!attributes)
        return std::nullopt;
    auto found = attributes->find(name);
    if (found == attributes->end())
        return std::nullopt;
    if (auto* color = std::any_cast<Color>(&found->second))
        return *color;
    return std::nullopt;
}

const Color placeholderFill = Color::genericGamma22White(0.84);
const Color placeholderFrame = Color::genericGamma22White(0.63);

} // namespace

std::optional<PasteboardItem> ImageBrowserDataSource::imageBrowserPasteboardItemAtIndex(ImageBrowserView& browser, long index)
{
    auto item = imageBrowserItemAtIndex(browser, index);
    auto url = item ? item->imageRepresentation() : std::nullopt;
    if (!url)
        return std::nullopt;
    return PasteboardItem::itemWithURL(*url);
}

ImageBrowserView::ImageBrowserView(Rect frame)
    : View(frame)
    , m_selectionColor(systemColor(SystemColor::SelectedTextBackground))
{
    setAutoresizingMask(Autoresizing::WidthSizable);
}

void ImageBrowserView::reloadData()
{
    m_numberOfItems = m_dataSource ? std::max(0L, m_dataSource->numberOfItemsInImageBrowser(*this)) : 0;
    std::erase_if(m_selection, [&](long index) { return index >= m_numberOfItems; });
    if (m_anchor >= m_numberOfItems)
        m_anchor = -1;
    tile();
    setNeedsDisplay(true);
}

void ImageBrowserView::setBackgroundColor(const Color& color)
{
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

void ImageBrowserView::setSelectionColor(const Color& color)
{
    m_selectionColor = color;
    setNeedsDisplay(true);
}

void ImageBrowserView::setCellsTitleAttributes(TextAttributes attributes)
{
    m_titleAttributes = std::move(attributes);
    setNeedsDisplay(true);
}

void ImageBrowserView::setCellsHighlightedTitleAttributes(TextAttributes attributes)
{
    m_highlightedTitleAttributes = std::move(attributes);
    setNeedsDisplay(true);
}

void ImageBrowserView::setCellsSubtitleAttributes(TextAttributes attributes)
{
    m_subtitleAttributes = std::move(attributes);
    setNeedsDisplay(true);
}

void ImageBrowserView::setCellSize(Size size)
{
    m_cellSize = Size { std::max(16.0, size.width), std::max(16.0, size.height) };
    tile();
    setNeedsDisplay(true);
}

Size ImageBrowserView::itemSize() const
{
    return { m_cellSize.width + 2 * Padding, m_cellSize.height + 2 * Padding + TitleHeight + SubtitleHeight };
}

long ImageBrowserView::numberOfColumns() const
{
    double width = bounds().width() - Spacing;
    return std::max(1L, static_cast<long>(std::floor(width / (itemSize().width + Spacing))));
}

long ImageBrowserView::numberOfRows() const
{
    long columns = numberOfColumns();
    return (m_numberOfItems + columns - 1) / columns;
}

Rect ImageBrowserView::itemFrameAtIndex(long index) const
{
    if (index < 0 || index >= m_numberOfItems)
        return {};
    long columns = numberOfColumns();
    Size size = itemSize();
    // The columns share the width left over evenly.
    double gap = std::max(Spacing, (bounds().width() - columns * size.width) / (columns + 1));
    double x = gap + (index % columns) * (size.width + gap);
    double y = Spacing + (index / columns) * (size.height + Spacing);
    return Rect(x, y, size.width, size.height);
}

Rect ImageBrowserView::thumbnailFrameAtIndex(long index) const
{
    Rect item = itemFrameAtIndex(index);
    if (item.isEmpty())
        return {};
    return Rect(item.minX() + Padding, item.minY() + Padding, m_cellSize.width, m_cellSize.height);
}

long ImageBrowserView::indexOfItemAtPoint(Point point) const
{
    if (m_numberOfItems == 0)
        return -1;
    Size size = itemSize();
    long row = static_cast<long>(std::floor((point.y - Spacing) / (size.height + Spacing)));
    if (row < 0)
        return -1;
    long columns = numberOfColumns();
    for (long column = 0; column < columns; ++column) {
        long index = row * columns + column;
        if (index >= m_numberOfItems)
            break;
        if (itemFrameAtIndex(index).containsPoint(point))
            return index;
    }
    return -1;
}

IndexSet ImageBrowserView::indexesOfItemsInRect(const Rect& rect) const
{
    IndexSet indexes;
    if (m_numberOfItems == 0 || rect.isEmpty())
        return indexes;
    Size size = itemSize();
    long columns = numberOfColumns();
    long firstRow = std::max(0L, static_cast<long>(std::floor((rect.minY() - Spacing) / (size.height + Spacing))));
    long lastRow = std::min(numberOfRows() - 1, static_cast<long>(std::floor((rect.maxY() - Spacing) / (size.height + Spacing))));
    for (long row = firstRow; row <= lastRow; ++row) {
        for (long column = 0; column < columns; ++column) {
            long index = row * columns + column;
            if (index >= m_numberOfItems)
                break;
            if (itemFrameAtIndex(index).intersects(rect))
                indexes.insert(index);
        }
    }
    return indexes;
}

void ImageBrowserView::scrollIndexToVisible(long index)
{
    Rect frame = itemFrameAtIndex(index);
    if (!frame.isEmpty())
        scrollRectToVisible(frame.insetBy(0, -Spacing));
}

void ImageBrowserView::tile()
{
    auto clip = std::dynamic_pointer_cast<ClipView>(superview());
    double width = clip ? clip->bounds().width() : frame().width();
    double visibleHeight = clip ? clip->bounds().height() : 0;
    Size size = itemSize();
    double columns = std::max(1.0, std::floor((width - Spacing) / (size.width + Spacing)));
    double rows = std::ceil(static_cast<double>(m_numberOfItems) / columns);
    double height = std::max(visibleHeight, Spacing + rows * (size.height + Spacing));
    if (frame().size != Size { width, height })
        setFrameSize({ width, height });
}

void ImageBrowserView::resizeWithOldSuperviewSize(Size oldSize)
{
    View::resizeWithOldSuperviewSize(oldSize);
    tile();
}

void ImageBrowserView::viewDidMoveToSuperview()
{
    m_clipFrameObserver.reset();
    if (auto clip = std::dynamic_pointer_cast<ClipView>(superview())) {
        // The observation ends with the view (the token is its member).
        m_clipFrameObserver = NotificationCenter::defaultCenter().addObserver(FrameDidChangeNotification, clip.get(), nullptr,
                                                                              [this](const Notification&) { tile(); });
    }
    tile();
}

void ImageBrowserView::setSelectionIndexes(const IndexSet& indexes, bool byExtendingSelection)
{
    IndexSet selection = byExtendingSelection ? m_selection : IndexSet();
    for (long index : indexes) {
        if (index >= 0 && index < m_numberOfItems)
            selection.insert(index);
    }
    if (selection == m_selection)
        return;
    m_selection = std::move(selection);
    setNeedsDisplay(true);
}

void ImageBrowserView::setSelectionByUser(IndexSet selection)
{
    if (selection == m_selection)
        return;
    m_selection = std::move(selection);
    setNeedsDisplay(true);
    if (m_delegate)
        m_delegate->imageBrowserSelectionDidChange(*this);
}

void ImageBrowserView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    // A whole display asks for the whole grid: only the part shown is drawn.
    Rect shown = dirtyRect.intersection(visibleRect());
    if (shown.isEmpty())
        return;
    context.fillRect(shown, m_backgroundColor);
    for (long index : indexesOfItemsInRect(shown))
        drawCell(index, context);
}

void ImageBrowserView::drawCell(long index, GraphicsContext& context)
{
    auto item = m_dataSource ? m_dataSource->imageBrowserItemAtIndex(*this, index) : nullptr;
    if (!item)
        return;
    bool selected = m_selection.contains(index);
    Rect cell = itemFrameAtIndex(index);
    if (selected)
        context.fillRoundedRect(cell, 6, m_selectionColor);

    Rect thumbnail = thumbnailFrameAtIndex(index);
    auto url = item->imageRepresentation();
    auto path = url ? url->fileSystemPath() : std::nullopt;
    if (path && !path->empty()) {
        auto window = this->window();
        double scale = window ? window->screen().backingScaleFactor() : 1;
        context.drawImageFileAtPixelSize(*path, thumbnail, { thumbnail.width() * scale, thumbnail.height() * scale });
    } else {
        context.fillRoundedRect(thumbnail.insetBy(12, 12), 4, placeholderFill);
        context.strokeRoundedRect(thumbnail.insetBy(12, 12), 4, placeholderFrame, 1);
    }

    context.beginClip(cell);
    Rect title(cell.minX() + 2, thumbnail.maxY() + 2, cell.width() - 4, TitleHeight);
    const TextAttributes& titleAttributes = selected && m_highlightedTitleAttributes ? m_highlightedTitleAttributes : m_titleAttributes;
    if (selected) {
        if (auto background = colorAttribute(titleAttributes, BackgroundColorAttributeName))
            context.fillRoundedRect(title, 3, *background);
    }
    auto titleColor = colorAttribute(titleAttributes, ForegroundColorAttributeName);
    context.drawText(item->imageTitle(), title, titleColor ? *titleColor : Color::black());
    auto subtitleColor = colorAttribute(m_subtitleAttributes, ForegroundColorAttributeName);
    context.drawText(item->imageSubtitle(), Rect(title.minX(), title.maxY(), title.width(), SubtitleHeight),
                     subtitleColor ? *subtitleColor : Color::darkGray());
    context.endClip();
}

void ImageBrowserView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    long index = indexOfItemAtPoint(point);
    m_mouseDownPoint = point;
    m_mouseDownIndex = index;
    m_selectAloneOnMouseUp = false;
    m_dragged = false;
    if (index < 0) {
        if (!event.hasModifier(ModifierFlag::Shift) && !event.hasModifier(ModifierFlag::Command))
            setSelectionByUser({});
        m_anchor = -1;
        return;
    }
    if (event.clickCount() >= 2) {
        if (m_delegate && m_selection.contains(index))
            m_delegate->imageBrowserCellWasDoubleClickedAtIndex(*this, index);
        return;
    }
    IndexSet selection = m_selection;
    if (event.hasModifier(ModifierFlag::Command)) {
        if (!selection.erase(index))
            selection.insert(index);
        m_anchor = index;
    } else if (event.hasModifier(ModifierFlag::Shift) && m_anchor >= 0) {
        for (long i = std::min(m_anchor, index); i <= std::max(m_anchor, index); ++i)
            selection.insert(i);
    } else if (selection.contains(index)) {
        m_selectAloneOnMouseUp = selection.size() > 1;
        m_anchor = index;
    } else {
        selection = { index };
        m_anchor = index;
    }
    setSelectionByUser(std::move(selection));
    if (m_delegate)
        m_delegate->imageBrowserCellWasClickedAtIndex(*this, index);
}

void ImageBrowserView::mouseDragged(const Event& event)
{
    if (!m_mouseDownPoint || m_dragged || m_mouseDownIndex < 0 || !m_selection.contains(m_mouseDownIndex))
        return;
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    if (!dragHasPassedThreshold(*m_mouseDownPoint, point))
        return;
    m_dragged = true;
    beginDrag(event);
}

void ImageBrowserView::mouseUp(const Event&)
{
    if (m_selectAloneOnMouseUp && !m_dragged && m_mouseDownIndex >= 0)
        setSelectionByUser({ m_mouseDownIndex });
    m_selectAloneOnMouseUp = false;
    m_mouseDownPoint.reset();
    m_mouseDownIndex = -1;
}

void ImageBrowserView::beginDrag(const Event& event)
{
    if (!m_dataSource)
        return;
    std::vector<DraggingItem> items;
    for (long index : m_selection) {
        auto pasteboardItem = m_dataSource->imageBrowserPasteboardItemAtIndex(*this, index);
        if (!pasteboardItem)
            continue;
        DraggingItem item(std::move(*pasteboardItem));
        Rect thumbnail = thumbnailFrameAtIndex(index);
        item.setDraggingFrame(thumbnail, cacheDisplayInRect(thumbnail));
        items.push_back(std::move(item));
    }
    if (items.empty())
        return;
    auto source = std::shared_ptr<DraggingSource>(shared_from_this(), static_cast<DraggingSource*>(this));
    beginDraggingSession(std::move(items), event, source);
}

DragOperation ImageBrowserView::sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext)
{
    return DragOperations::Copy | DragOperations::Link | DragOperations::Generic;
}

void ImageBrowserView::rightMouseDown(const Event& event)
{
    if (!m_delegate) {
        View::rightMouseDown(event);
        return;
    }
    long index = indexOfItemAtPoint(convertPointFromView(event.locationInWindow(), nullptr));
    if (index < 0) {
        setSelectionByUser({});
        m_delegate->imageBrowserBackgroundWasRightClicked(*this, event);
        return;
    }
    if (!m_selection.contains(index)) {
        setSelectionByUser({ index });
        m_anchor = index;
    }
    m_delegate->imageBrowserCellWasRightClickedAtIndex(*this, index, event);
}

} // namespace brevanton
