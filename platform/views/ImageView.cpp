#include "platform/views/ImageView.h"

#include "platform/views/GraphicsContext.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr double wellInset = 4;

} // namespace

ImageView::ImageView(Rect frame)
    : Control(frame)
{
}

void ImageView::setImage(std::shared_ptr<const Image> image)
{
    m_image = std::move(image);
    setNeedsDisplay(true);
}

Rect ImageView::imageRect() const
{
    Rect well = bounds().insetBy(wellInset, wellInset);
    if (!m_image || well.isEmpty())
        return {};
    Size size = m_image->size();
    if (!(size.width > 0 && size.height > 0))
        return {};
    double scale = std::min({ 1.0, well.width() / size.width, well.height() / size.height });
    double width = size.width * scale;
    double height = size.height * scale;
    return Rect(well.midX() - width / 2, well.midY() - height / 2, width, height);
}

void ImageView::draw(const Rect&, GraphicsContext& context)
{
    context.fillRect(bounds(), Color::lightGray());
    context.strokeRect(bounds(), Color::gray());
    if (Rect rect = imageRect(); !rect.isEmpty())
        context.drawImage(m_image, rect);
}

} // namespace brevanton
