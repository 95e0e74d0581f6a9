#include "platform/views/ImageView.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"

#include <algorithm>

namespace brevanton {

std::vector<URL> URLsOnPasteboard(const Pasteboard& pasteboard)
{
    std::vector<URL> urls;
    for (auto& object : pasteboard.readObjectsForClasses({ PasteboardReadingClass::URL })) {
        if (auto* url = std::get_if<URL>(&object))
            urls.push_back(*url);
    }
    return urls;
}

ImageView::ImageView(Rect frame)
    : Control(frame)
{
}

void ImageView::setImage(std::shared_ptr<Image> image)
{
    m_image = std::move(image);
    m_imageURL.reset();
    setNeedsDisplay(true);
}

void ImageView::setImageURL(std::optional<URL> url)
{
    m_imageURL = std::move(url);
    m_image.reset();
    setNeedsDisplay(true);
}

void ImageView::setFrameCenterRotation(double degrees)
{
    if (degrees == m_frameCenterRotation)
        return;
    m_frameCenterRotation = degrees;
    setNeedsDisplay(true);
}

void ImageView::draw(const Rect&, GraphicsContext& context)
{
    Rect box = bounds();
    if (box.isEmpty())
        return;
    if (m_image) {
        Size size = m_image->size();
        double scale = size.width > 0 && size.height > 0 ? std::min({ 1.0, box.width() / size.width, box.height() / size.height }) : 1;
        Size fitted { size.width * scale, size.height * scale };
        context.drawImage(m_image, Rect(box.midX() - fitted.width / 2, box.midY() - fitted.height / 2, fitted.width, fitted.height),
                          CompositingOperation::SourceOver, 1, m_frameCenterRotation);
        return;
    }
    auto path = m_imageURL ? m_imageURL->fileSystemPath() : std::nullopt;
    if (!path || path->empty())
        return;
    auto window = this->window();
    double scale = window ? window->screen().backingScaleFactor() : 1;
    context.drawImageFileAtPixelSize(*path, box, { box.width() * scale, box.height() * scale });
}

DragOperation ImageView::draggingEntered(const DraggingInfo& info)
{
    if (!m_takesDroppedURLs || !isEnabled() || !info.draggingPasteboard || URLsOnPasteboard(*info.draggingPasteboard).empty())
        return DragOperations::None;
    return DragOperations::Copy;
}

bool ImageView::prepareForDragOperation(const DraggingInfo& info)
{
    return draggingEntered(info) != DragOperations::None;
}

bool ImageView::performDragOperation(const DraggingInfo& info)
{
    m_droppedURLs = info.draggingPasteboard ? URLsOnPasteboard(*info.draggingPasteboard) : std::vector<URL> {};
    return !m_droppedURLs.empty();
}

void ImageView::concludeDragOperation(const DraggingInfo&)
{
    auto file = std::find_if(m_droppedURLs.begin(), m_droppedURLs.end(), [](const URL& url) { return url.isFileURL(); });
    if (file != m_droppedURLs.end()) {
        setImageURL(*file);
        sendAction();
    }
    m_droppedURLs.clear();
}

} // namespace brevanton
