#include "platform/views/qt/QtPageCommandPainter.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtImageFileCache.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QWidget>
#include <QTransform>

#include <string>

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

// A thumbnail not decoded yet, or whose file cannot be read: a grey card with a frame.
void paintThumbnailPlaceholder(QPainter& painter, const QRectF& target)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.setBrush(QColor(214, 214, 214));
    painter.drawRoundedRect(target.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

} // namespace

void qtBeginPaintingImageFiles()
{
    QtImageFileCache::shared().beginPaint();
}

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
    if (command.wantedPixelSize) {
        qtPaintThumbnailImageFile(painter, command, target);
        return;
    }
    QImage image = QtImageFileCache::shared().image(command.imagePath);
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

void qtPaintThumbnailImageFile(QPainter& painter, const DrawCommand& command, const QRectF& target)
{
    if (target.isEmpty() || !command.wantedPixelSize)
        return;
    QSize wanted(static_cast<int>(command.wantedPixelSize->width), static_cast<int>(command.wantedPixelSize->height));
    auto thumbnail = QtImageFileCache::shared().thumbnail(command.imagePath, wanted, dynamic_cast<QWidget*>(painter.device()));
    painter.save();
    painter.setOpacity(painter.opacity() * command.fraction);
    if (thumbnail.image.isNull())
        paintThumbnailPlaceholder(painter, target);
    else {
        QSizeF fitted = QSizeF(thumbnail.image.size()).scaled(target.size(), Qt::KeepAspectRatio);
        QRectF placed(QPointF(target.center().x() - fitted.width() / 2, target.center().y() - fitted.height() / 2), fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(placed, thumbnail.image);
    }
    painter.restore();
}

} // namespace brevanton
