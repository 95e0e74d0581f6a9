#include "platform/views/qt/QtPageCommandPainter.h"

#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtFontMetricsProvider.h"

#include <QBrush>
#include <QColor>
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

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

// Decoded images by path, each with the stamp its file had when it was read
// (none for a file that was not there) and the paint that last looked at the
// file. Each paint looks at a file once (a stat costs little beside a
// decoding, and nothing beside drawing it in many places): a file written,
// replaced or created since it was read is decoded afresh, and a file that
// could not be read or decoded is tried again once it changed or appeared.
struct CachedImage {
    std::optional<FileStamp> stamp;
    uint64_t lookedAtInPaint { 0 };
    QImage image;
};

uint64_t currentPaint = 1;

std::optional<FileStamp> currentStamp(const std::string& path)
{
    struct ::stat status;
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return fileStampOfStatus(status);
}

// The images the cache keeps beside those the current paint draws.
constexpr size_t cachedImagesKept = 64;

// Forgets the images looked at least recently, never one the current paint
// draws, so that a page with more pictures than the cache holds decodes
// only those it had not drawn lately.
void makeRoomForAnImage(std::unordered_map<std::string, CachedImage>& cache)
{
    while (cache.size() >= cachedImagesKept) {
        auto oldest = cache.end();
        for (auto entry = cache.begin(); entry != cache.end(); ++entry) {
            if (entry->second.lookedAtInPaint != currentPaint
                && (oldest == cache.end() || entry->second.lookedAtInPaint < oldest->second.lookedAtInPaint))
                oldest = entry;
        }
        if (oldest == cache.end())
            return;
        cache.erase(oldest);
    }
}

QImage cachedImage(const std::string& path)
{
    static std::unordered_map<std::string, CachedImage> cache;
    auto found = cache.find(path);
    if (found != cache.end() && found->second.lookedAtInPaint == currentPaint)
        return found->second.image;
    // Taken before the read: a write while it decodes changes the stamp, so
    // a later paint reads the file again.
    auto stamp = currentStamp(path);
    if (found != cache.end() && found->second.stamp == stamp) {
        found->second.lookedAtInPaint = currentPaint;
        return found->second.image;
    }
    if (found == cache.end())
        makeRoomForAnImage(cache);
    QImage image;
    auto bytes = stamp ? readFile(path, nullptr, FileReadKind::Image) : std::nullopt;
    if (bytes) {
        QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        image = reader.read();
    }
    cache.insert_or_assign(path, CachedImage { stamp, currentPaint, image });
    return image;
}

} // namespace

void qtBeginPaintingImageFiles()
{
    ++currentPaint;
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
    QImage image = cachedImage(command.imagePath);
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
