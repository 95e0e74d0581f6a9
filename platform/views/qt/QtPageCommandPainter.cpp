#include "platform/views/qt/QtPageCommandPainter.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtFontMetricsProvider.h"

#include <QBrush>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

namespace brevanton {

namespace {

QColor qtColor(const Color& color)
{
    return QColor::fromRgbF(static_cast<float>(color.redComponent()), static_cast<float>(color.greenComponent()),
                            static_cast<float>(color.blueComponent()), static_cast<float>(color.alphaComponent()));
}

bool isSpaceUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Decoded images by path; a file that could not be read is remembered as a null image.
QImage cachedImage(const QString& path)
{
    static QHash<QString, QImage> cache;
    auto found = cache.constFind(path);
    if (found != cache.constEnd())
        return *found;
    if (cache.size() >= 64)
        cache.clear();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    cache.insert(path, image);
    return image;
}

} // namespace

void qtPaintTextRun(QPainter& painter, const DrawCommand& command, const QRectF& target)
{
    if (!command.font || command.text.empty())
        return;
    double dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    painter.save();
    painter.setFont(qtFont(*command.font, dpi > 0 ? dpi : 72));
    painter.setPen(qtColor(command.color));
    double baseline = target.top() + command.baselineOffset;
    const auto& text = command.text;
    size_t i = 0;
    while (i < text.size()) {
        if (isSpaceUnit(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isSpaceUnit(text[end]))
            ++end;
        double x = target.left() + (i < command.glyphPositions.size() ? command.glyphPositions[i] : 0);
        painter.drawText(QPointF(x, baseline),
                         QString(reinterpret_cast<const QChar*>(text.data() + i), static_cast<qsizetype>(end - i)));
        i = end;
    }
    painter.restore();
}

void qtPaintImageFile(QPainter& painter, const DrawCommand& command, const QRectF& target, const QRectF* tile)
{
    QImage image = cachedImage(QString::fromStdString(command.imagePath));
    if (image.isNull() || target.isEmpty())
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * command.fraction);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (tile) {
        if (!tile->isEmpty()) {
            // A texture brush placed on the tile repeats the image in step with it, however many copies it takes.
            QBrush brush(image);
            brush.setTransform(QTransform::fromScale(tile->width() / image.width(), tile->height() / image.height())
                               * QTransform::fromTranslate(tile->left(), tile->top()));
            painter.fillRect(target, brush);
        }
    } else
        painter.drawImage(target, image);
    painter.restore();
}

} // namespace brevanton
