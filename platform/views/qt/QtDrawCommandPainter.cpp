#include "platform/views/qt/QtDrawCommandPainter.h"

#include "platform/foundation/AttributedString.h"
#include "platform/views/Font.h"
#include "platform/views/Image.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextView.h"
#include "platform/views/View.h"
#include "platform/views/qt/QtControlStyle.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtPageCommandPainter.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <optional>

namespace brevanton {

namespace {

QPainter::CompositionMode compositionMode(CompositingOperation operation)
{
    switch (operation) {
    case CompositingOperation::Clear: return QPainter::CompositionMode_Clear;
    case CompositingOperation::Copy: return QPainter::CompositionMode_Source;
    case CompositingOperation::SourceOver: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

// The families the backend draws with: DejaVu is pinned so that pixels are
// the same on every machine.
constexpr const char* proportionalFamily = "DejaVu Sans";
constexpr const char* fixedPitchFamily = "DejaVu Sans Mono";

QPen penWithWidth(const Color& color, double width)
{
    QPen pen(qtColor(color));
    pen.setWidthF(width > 0 ? width : 1);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// Laying out a label's glyphs costs more than drawing them: the lines drawn
// lately keep theirs (a few hundred, dropped all at once when there are more).
struct ShapedLine {
    QStaticText text;
    // From the top of the laid out text to its baseline.
    double ascent { 0 };
};

// The key of a line drawn in a font, `more` (units the caller adds) ahead.
// The fonts text is drawn in differ in their family and pixel size alone
// (qtFont): they are the key with the line (a font's own key is made by
// formatting all it holds as text, which costs more than the drawing it saves).
QString lineKey(const QString& line, const QFont& font, std::initializer_list<char16_t> more = {})
{
    auto pixelSize = static_cast<uint32_t>(font.pixelSize());
    QString family = font.family();
    QString key;
    key.reserve(static_cast<qsizetype>(family.size() + line.size() + more.size() + 3));
    for (char16_t unit : more)
        key += QChar(unit);
    key += QChar(static_cast<char16_t>(pixelSize & 0xFFFF));
    key += QChar(static_cast<char16_t>(pixelSize >> 16));
    key += family;
    key += QChar(0x1F);
    key += line;
    return key;
}

const ShapedLine& shapedLine(const QString& line, const QFont& font)
{
    static QHash<QString, ShapedLine> lines;
    QString key = lineKey(line, font);
    auto found = lines.constFind(key);
    if (found != lines.constEnd())
        return *found;
    if (lines.size() >= 512)
        lines.clear();
    ShapedLine shaped;
    shaped.text.setText(line);
    shaped.text.setTextFormat(Qt::PlainText);
    shaped.text.setPerformanceHint(QStaticText::ModerateCaching);
    shaped.text.prepare(QTransform(), font);
    shaped.ascent = QFontMetricsF(font).ascent();
    return *lines.insert(key, std::move(shaped));
}

// Blending a label's glyphs one by one costs more than blending a picture of
// it: a label is drawn once into a picture at its position's fractions of a
// pixel (so its glyphs cover the same pixels in the same shades), and the
// picture blended at the position's whole pixels after that. The labels
// drawn lately keep theirs, dropped all at once when there are more.
struct LabelPicture {
    QImage image;
    // Where the picture's top left goes from the point the text is drawn at, in whole pixels.
    QPoint offset;
};

const LabelPicture& labelPicture(const QString& line, const QFont& font, const QColor& color, QPointF fraction)
{
    static QHash<QString, LabelPicture> pictures;
    constexpr int steps = 64;
    auto stepX = static_cast<char16_t>(std::lround(fraction.x() * steps));
    auto stepY = static_cast<char16_t>(std::lround(fraction.y() * steps));
    auto rgba = color.rgba();
    QString key = lineKey(line, font, { static_cast<char16_t>(rgba & 0xFFFF), static_cast<char16_t>(rgba >> 16), stepX, stepY });
    auto found = pictures.constFind(key);
    if (found != pictures.constEnd())
        return *found;
    if (pictures.size() >= 256)
        pictures.clear();
    const ShapedLine& shaped = shapedLine(line, font);
    QFontMetricsF metrics(font);
    // Room for glyphs reaching beyond their advances.
    int margin = std::max(2, font.pixelSize() / 2);
    QSizeF size = shaped.text.size();
    LabelPicture picture;
    picture.offset = QPoint(-margin, -margin);
    picture.image = QImage(static_cast<int>(std::ceil(size.width())) + 2 * margin + 1,
                           static_cast<int>(std::ceil(std::max(size.height(), metrics.height()))) + 2 * margin + 1,
                           QImage::Format_ARGB32_Premultiplied);
    picture.image.fill(Qt::transparent);
    {
        QPainter painter(&picture.image);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawStaticText(QPointF(margin + stepX / double(steps), margin + stepY / double(steps)), shaped.text);
    }
    return *pictures.insert(key, std::move(picture));
}

} // namespace

QtDrawCommandPainter::QtDrawCommandPainter(QPainter& painter, const QTransform& baseToDevice)
    : m_painter(painter)
    , m_baseToDevice(baseToDevice)
    , m_initialTransform(painter.worldTransform())
    , m_drawsControls(qtControlStyleAvailable())
{
    qtBeginPaintingImageFiles();
    // The system font is the painter's around every command: text in it
    // finds the font's engine already chosen after each command's restore.
    m_painter.save();
    m_painter.setFont(systemFont());
}

QtDrawCommandPainter::~QtDrawCommandPainter()
{
    while (m_clipDepth)
        endClip();
    m_painter.restore();
}

QTransform QtDrawCommandPainter::forWindowContentHeight(double height)
{
    return QTransform(1, 0, 0, -1, 0, height);
}

QFont QtDrawCommandPainter::qtFont(const Font& font)
{
    QFont result(QString::fromLatin1(font.isFixedPitch() ? fixedPitchFamily : proportionalFamily));
    result.setFamilies(qtFontFamiliesWithFallback(result.family()));
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSize()))));
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

void QtDrawCommandPainter::paint(const std::vector<DrawCommand>& commands)
{
    for (size_t index = 0; index < commands.size(); index += 1 + passedOver(commands[index]))
        paint(commands[index]);
}

bool QtDrawCommandPainter::drawsWithoutSavingState(DrawCommand::Kind kind)
{
    switch (kind) {
    case DrawCommand::Kind::FillRect:
    case DrawCommand::Kind::StrokeRect:
    case DrawCommand::Kind::Line:
    case DrawCommand::Kind::Text:
    // Page text and image files keep the painter's state as they found it, but for the transform.
    case DrawCommand::Kind::TextRun:
    case DrawCommand::Kind::ImageFile:
        return true;
    default:
        return false;
    }
}

void QtDrawCommandPainter::paint(const DrawCommand& command)
{
    if (command.kind == DrawCommand::Kind::BeginClip) {
        beginClip(command);
        return;
    }
    if (command.kind == DrawCommand::Kind::EndClip) {
        endClip();
        return;
    }
    bool saves = !drawsWithoutSavingState(command.kind);
    if (saves) {
        m_painter.save();
        m_painter.setWorldTransform(transformForView(command.view));
    }
    QPainter::CompositionMode mode = compositionMode(command.operation);
    if (m_painter.compositionMode() != mode)
        m_painter.setCompositionMode(mode);
    switch (command.kind) {
    case DrawCommand::Kind::FillRect: fillRect(command); break;
    case DrawCommand::Kind::StrokeRect: strokeRect(command); break;
    case DrawCommand::Kind::Line: line(command); break;
    case DrawCommand::Kind::Text: text(command); break;
    case DrawCommand::Kind::Image: image(command); break;
    case DrawCommand::Kind::FillPath: fillPath(command); break;
    case DrawCommand::Kind::StrokePath: strokePath(command); break;
    case DrawCommand::Kind::Gradient: gradient(command); break;
    case DrawCommand::Kind::TextRun: textRun(command); break;
    case DrawCommand::Kind::ImageFile: imageFile(command); break;
    case DrawCommand::Kind::FillRoundedRect: fillRoundedRect(command); break;
    case DrawCommand::Kind::StrokeRoundedRect: strokeRoundedRect(command); break;
    case DrawCommand::Kind::Control: control(command); break;
    case DrawCommand::Kind::BeginClip:
    case DrawCommand::Kind::EndClip: break;
    }
    if (saves)
        m_painter.restore();
}

void QtDrawCommandPainter::useTransform(const QTransform& transform)
{
    if (m_painter.worldTransform() != transform)
        m_painter.setWorldTransform(transform);
}

void QtDrawCommandPainter::paintWithinVisibleRects(const std::vector<DrawCommand>& commands)
{
    // The painter is clipped to one view's visible part at a time (its
    // state saved under the clips the commands begin). A command known to
    // stay inside its view's visible part is drawn without: under no view
    // clip, or under one it stays inside too.
    const View* clippedTo = nullptr;
    QRect clipPixels;
    unsigned clipDepthAtStart = m_clipDepth;
    auto clipToVisiblePart = [&](const QRectF& visible) {
        m_painter.save();
        useTransform(QTransform());
        m_painter.setClipRect(visible, Qt::IntersectClip);
    };
    auto endViewClip = [&] {
        if (!clippedTo)
            return;
        m_painter.restore();
        clippedTo = nullptr;
    };
    for (size_t index = 0; index < commands.size(); index += 1 + passedOver(commands[index])) {
        const DrawCommand& command = commands[index];
        if (command.kind == DrawCommand::Kind::EndClip) {
            if (m_clipDepth > clipDepthAtStart)
                endClip();
            continue;
        }
        bool insideBegunClip = m_clipDepth > clipDepthAtStart;
        if (!command.view) {
            if (!insideBegunClip)
                endViewClip();
            paint(command);
            continue;
        }
        QRectF visible = placementOf(command.view).visibleInDevice;
        if (insideBegunClip) {
            // The view clip in force lies under the begun clip's state: it
            // stays, and another view's command is clipped alone.
            if (clippedTo == command.view)
                paint(command);
            else {
                clipToVisiblePart(visible);
                paint(command);
                m_painter.restore();
            }
            continue;
        }
        if (command.kind != DrawCommand::Kind::BeginClip) {
            if (auto extent = deviceExtent(command)) {
                // A fill is rounded to whole pixels: it stays inside the
                // whole pixels of the visible part when its extent does.
                QRectF wholePixels(QPointF(std::ceil(visible.left()), std::ceil(visible.top())),
                                   QPointF(std::floor(visible.right()), std::floor(visible.bottom())));
                if (extent->isEmpty() || wholePixels.contains(*extent)) {
                    if (clippedTo && !clipPixels.contains(extent->toAlignedRect()))
                        endViewClip();
                    paint(command);
                    continue;
                }
            }
        }
        if (clippedTo != command.view) {
            endViewClip();
            clipToVisiblePart(visible);
            clippedTo = command.view;
            clipPixels = QRectF(QPointF(std::ceil(visible.left()), std::ceil(visible.top())),
                                QPointF(std::floor(visible.right()), std::floor(visible.bottom()))).toRect();
        }
        paint(command);
    }
    while (m_clipDepth > clipDepthAtStart)
        endClip();
    endViewClip();
}

std::optional<QRectF> QtDrawCommandPainter::deviceExtent(const DrawCommand& command)
{
    const QTransform& transform = transformForView(command.view);
    if (transform.type() > QTransform::TxScale)
        return std::nullopt;
    switch (command.kind) {
    case DrawCommand::Kind::FillRect:
    case DrawCommand::Kind::FillRoundedRect:
    case DrawCommand::Kind::StrokeRoundedRect:
    case DrawCommand::Kind::ImageFile:
        return transform.mapRect(qtRect(command.rect));
    case DrawCommand::Kind::StrokeRect:
        // Only a stroke whose edges fall on whole pixels covers no pixel
        // beyond its outer edge.
        if (auto ring = strokeRing(transform, command))
            return QRectF(ring->first);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<std::pair<QRect, QRect>> QtDrawCommandPainter::strokeRing(const QTransform& transform, const DrawCommand& command)
{
    if (transform.type() > QTransform::TxScale)
        return std::nullopt;
    double width = command.lineWidth > 0 ? command.lineWidth : 1;
    double halfX = width / 2 * std::abs(transform.m11());
    double halfY = width / 2 * std::abs(transform.m22());
    QRectF device = transform.mapRect(qtRect(command.rect));
    // Qt draws a line one pixel wide lying on pixel edges on the pixels
    // right of and below it, as though it lay half a pixel that way.
    if (halfX == 0.5 && halfY == 0.5 && QRectF(device.toRect()) == device)
        device.translate(0.5, 0.5);
    QRectF outer = device.adjusted(-halfX, -halfY, halfX, halfY);
    QRectF inner = device.adjusted(halfX, halfY, -halfX, -halfY);
    if (inner.width() <= 0 || inner.height() <= 0 || QRectF(outer.toRect()) != outer || QRectF(inner.toRect()) != inner)
        return std::nullopt;
    return std::pair(outer.toRect(), inner.toRect());
}

const QtDrawCommandPainter::ViewPlacement& QtDrawCommandPainter::placementOf(const View* view)
{
    // Commands come a view at a time.
    if (m_lastPlacedView == view && m_lastPlacement < m_placements.size())
        return m_placements[m_lastPlacement].second;
    constexpr size_t listedPlacements = 64;
    std::optional<size_t> found;
    if (m_placements.size() <= listedPlacements) {
        auto listed = std::find_if(m_placements.begin(), m_placements.end(), [view](const auto& placed) { return placed.first == view; });
        if (listed != m_placements.end())
            found = static_cast<size_t>(listed - m_placements.begin());
    } else if (auto indexed = m_placementIndexes.find(view); indexed != m_placementIndexes.end())
        found = indexed->second;
    if (!found) {
        // Placing the view places its superviews first.
        ViewPlacement placement = placeView(view);
        if (m_placements.empty())
            m_placements.reserve(16);
        found = m_placements.size();
        m_placements.emplace_back(view, placement);
        if (m_placements.size() > listedPlacements) {
            for (size_t index = m_placementIndexes.size(); index < m_placements.size(); ++index)
                m_placementIndexes.emplace(m_placements[index].first, index);
        }
    }
    m_lastPlacedView = view;
    m_lastPlacement = *found;
    return m_placements[*found].second;
}

QtDrawCommandPainter::ViewPlacement QtDrawCommandPainter::placeView(const View* view)
{
    ViewPlacement placement;
    if (!view) {
        placement.toDevice = m_baseToDevice * m_initialTransform;
        placement.visibleInDevice = QRectF(-1e9, -1e9, 2e9, 2e9);
        return placement;
    }
    // Views are only moved and flipped, never scaled: a view's point goes
    // to its superview's by its frame's and bounds' origins, turned over
    // when one of the two is flipped and the other not.
    auto superview = view->superview();
    Rect frame = view->frame();
    Rect bounds = view->bounds();
    bool turned = view->isFlipped() != (superview && superview->isFlipped());
    QTransform toSuperview = turned
        ? QTransform(1, 0, 0, -1, frame.minX() - bounds.minX(), frame.minY() + frame.height() + bounds.minY())
        : QTransform(1, 0, 0, 1, frame.minX() - bounds.minX(), frame.minY() - bounds.minY());
    if (superview) {
        const ViewPlacement& above = placementOf(superview.get());
        placement.toDevice = toSuperview * above.toDevice;
        placement.visibleInDevice = placement.toDevice.mapRect(qtRect(bounds)).intersected(above.visibleInDevice);
    } else {
        placement.toDevice = toSuperview * m_baseToDevice * m_initialTransform;
        placement.visibleInDevice = placement.toDevice.mapRect(qtRect(bounds));
    }
    if (view->isHidden())
        placement.visibleInDevice = QRectF();
    return placement;
}

void QtDrawCommandPainter::fillRect(const DrawCommand& command)
{
    QRectF rect = qtRect(command.rect);
    QColor color = command.operation == CompositingOperation::Clear ? QColor(Qt::transparent) : qtColor(command.color);
    // Through a flipping transform the raster engine fills a rectangle as a
    // path; one whose edges fall on whole device pixels is filled on the
    // device instead, directly, which covers the same pixels.
    const QTransform& transform = transformForView(command.view);
    if (transform.type() <= QTransform::TxScale) {
        QRectF device = transform.mapRect(rect);
        QRect pixels = device.toRect();
        if (QRectF(pixels) == device) {
            useTransform(QTransform());
            // Qt blends a translucent fill of many lines on its thread
            // pool; for a narrow strip (a scroller's track) waking the
            // threads costs more than the blending: it goes in bands the
            // engine keeps on this thread.
            constexpr int band = 64;
            if (color.alpha() < 255 && pixels.height() > band && pixels.width() * pixels.height() <= 64 * 1024) {
                for (int top = pixels.top(); top <= pixels.bottom(); top += band)
                    m_painter.fillRect(QRect(pixels.left(), top, pixels.width(), std::min(band, pixels.bottom() + 1 - top)), color);
                return;
            }
            m_painter.fillRect(pixels, color);
            return;
        }
    }
    useTransform(transform);
    m_painter.fillRect(rect, color);
}

void QtDrawCommandPainter::strokeRect(const DrawCommand& command)
{
    // The stroke is centred on the rectangle's edges; one whose edges fall
    // on whole device pixels is filled on the device, four fills doing with
    // far less work what the stroker does.
    const QTransform& transform = transformForView(command.view);
    if (auto ring = strokeRing(transform, command)) {
        const auto& [out, in] = *ring;
        QColor color = qtColor(command.color);
        useTransform(QTransform());
        m_painter.fillRect(QRect(out.left(), out.top(), out.width(), in.top() - out.top()), color);
        m_painter.fillRect(QRect(out.left(), in.top(), in.left() - out.left(), in.height()), color);
        m_painter.fillRect(QRect(in.right() + 1, in.top(), out.right() - in.right(), in.height()), color);
        m_painter.fillRect(QRect(out.left(), in.bottom() + 1, out.width(), out.bottom() - in.bottom()), color);
        return;
    }
    useTransform(transform);
    m_painter.setPen(penWithWidth(command.color, command.lineWidth));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(qtRect(command.rect));
}

void QtDrawCommandPainter::line(const DrawCommand& command)
{
    // The command's path holds the two ends.
    useTransform(transformForView(command.view));
    m_painter.setPen(penWithWidth(command.color, command.lineWidth));
    if (command.path && command.path->elementCount() == 2) {
        Point from = command.path->elements()[0].points[0];
        Point to = command.path->elements()[1].points[0];
        m_painter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
    } else {
        const Rect& rect = command.rect;
        m_painter.drawLine(QPointF(rect.minX(), rect.minY()), QPointF(rect.maxX(), rect.maxY()));
    }
}

QFont QtDrawCommandPainter::fontForText(const DrawCommand& command) const
{
    // A text view's text carries its font; other views draw in the system font.
    if (auto* textView = dynamic_cast<const TextView*>(command.view)) {
        const auto& storage = textView->textStorage();
        if (storage.length() > 0) {
            if (auto* font = storage.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 0); font && *font)
                return qtFont(**font);
        }
    }
    return systemFont();
}

const QFont& QtDrawCommandPainter::systemFont() const
{
    if (!m_systemFont)
        m_systemFont = qtFont(*systemFontOfSize(0));
    return *m_systemFont;
}

void QtDrawCommandPainter::text(const DrawCommand& command)
{
    // The box is placed on the device as it is, and the text drawn upright
    // from its top left, line by line at the font's line height.
    const QTransform& scale = transformForView(command.view);
    QRectF box = scale.mapRect(qtRect(command.rect));
    useTransform(QTransform());
    QFont font = fontForText(command);
    double factor = std::abs(scale.m22()) > 0 ? std::abs(scale.m22()) : 1;
    if (factor != 1)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    QColor color = qtColor(command.color);
    QString string = qtString(command.text);
    double y = box.top() + font.pixelSize() * 0.8;
    // A label (one short line) is drawn from its picture where the device
    // takes the painter's pixels as they are; the lines of a text are drawn
    // directly, most of them once.
    constexpr qsizetype longestLabel = 80;
    if (string.size() <= longestLabel && !string.contains(QLatin1Char('\n'))
        && m_painter.deviceTransform().type() == QTransform::TxNone
        && m_painter.compositionMode() == QPainter::CompositionMode_SourceOver) {
        QPointF at(box.left(), y - shapedLine(string, font).ascent);
        QPointF whole(std::floor(at.x()), std::floor(at.y()));
        const LabelPicture& picture = labelPicture(string, font, color, at - whole);
        m_painter.drawImage(whole.toPoint() + picture.offset, picture.image);
        return;
    }
    if (m_painter.font() != font)
        m_painter.setFont(font);
    m_painter.setPen(color);
    double lineHeight = font.pixelSize() * 1.2;
    for (const QString& lineText : string.split(QLatin1Char('\n'))) {
        const ShapedLine& shaped = shapedLine(lineText, font);
        m_painter.drawStaticText(QPointF(box.left(), y - shaped.ascent), shaped.text);
        y += lineHeight;
    }
}

void QtDrawCommandPainter::image(const DrawCommand& command)
{
    QRectF deviceRect = m_painter.transform().mapRect(qtRect(command.rect));
    m_painter.resetTransform();
    if (command.angle != 0) {
        // Device y runs down: a turn counterclockwise as seen is negative here.
        QPointF centre = deviceRect.center();
        m_painter.translate(centre);
        m_painter.rotate(-command.angle);
        m_painter.translate(-centre);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    }
    double opacity = std::clamp(command.fraction, 0.0, 1.0);
    if (command.image)
        paintDrawnImage(*command.image, deviceRect, opacity);
    else
        paintNamedImagePlaceholder(deviceRect, opacity);
}

void QtDrawCommandPainter::paintDrawnImage(const Image& image, const QRectF& deviceRect, double opacity)
{
    m_painter.setOpacity(m_painter.opacity() * opacity);
    Size size = image.size();
    auto bitmap = image.bestRepresentationForPixelSize(std::lround(deviceRect.width()), std::lround(deviceRect.height()));
    if (bitmap && bitmap->isBitmap()) {
        QImage pixels(bitmap->bitmapData().data(), static_cast<int>(bitmap->pixelsWide()), static_cast<int>(bitmap->pixelsHigh()),
                      static_cast<int>(bitmap->pixelsWide() * 4), QImage::Format_RGBA8888);
        m_painter.drawImage(deviceRect, pixels);
        return;
    }
    if (image.drawing().empty() || size.width <= 0 || size.height <= 0)
        return;
    // The image's own coordinates are unflipped, origin at its bottom left.
    // Commands a view drew (a cached view) are in that view's window's base
    // coordinates; they are placed from the corner of all they cover.
    Rect covered;
    for (const auto& command : image.drawing()) {
        if (command.view)
            covered = covered.isEmpty() ? command.rectInWindow : covered.unionWith(command.rectInWindow);
    }
    QTransform imageToDevice(deviceRect.width() / size.width, 0, 0, -deviceRect.height() / size.height, deviceRect.left(),
                             deviceRect.bottom());
    m_painter.save();
    m_painter.setClipRect(deviceRect, Qt::IntersectClip);
    QtDrawCommandPainter nested(m_painter, QTransform::fromTranslate(-covered.minX(), -covered.minY()) * imageToDevice);
    const auto& drawing = image.drawing();
    for (size_t index = 0; index < drawing.size(); index += 1 + passedOver(drawing[index])) {
        const DrawCommand& command = drawing[index];
        if (command.view)
            nested.paint(command);
        else {
            QtDrawCommandPainter own(m_painter, imageToDevice);
            own.paint(command);
        }
    }
    m_painter.restore();
}

void QtDrawCommandPainter::paintNamedImagePlaceholder(const QRectF& deviceRect, double opacity)
{
    m_painter.setOpacity(m_painter.opacity() * opacity);
    m_painter.fillRect(deviceRect, QColor(0, 0, 0, 24));
    m_painter.setPen(QPen(QColor(0, 0, 0, 96), 1));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(deviceRect.adjusted(0.5, 0.5, -0.5, -0.5));
}

void QtDrawCommandPainter::fillPath(const DrawCommand& command)
{
    QPainterPath path = qtPath(*command.path);
    path.setFillRule(Qt::WindingFill);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.fillPath(path, command.operation == CompositingOperation::Clear ? QColor(Qt::transparent) : qtColor(command.color));
}

void QtDrawCommandPainter::strokePath(const DrawCommand& command)
{
    const BezierPath& path = *command.path;
    QPen pen = penWithWidth(command.color, path.lineWidth());
    if (!path.lineDash().empty()) {
        // Qt measures dashes in pen widths.
        QList<qreal> pattern;
        for (double length : path.lineDash())
            pattern.push_back(length / pen.widthF());
        if (pattern.size() % 2)
            pattern.append(pattern);
        pen.setDashPattern(pattern);
        pen.setDashOffset(path.lineDashPhase() / pen.widthF());
    }
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPath(qtPath(path));
}

void QtDrawCommandPainter::gradient(const DrawCommand& command)
{
    // From the starting colour to the ending one along the angle (in the
    // view's coordinates), across the whole rectangle.
    const Rect& rect = command.rect;
    double radians = command.angle * std::numbers::pi / 180;
    double dx = std::cos(radians);
    double dy = std::sin(radians);
    double half = std::abs(rect.width() / 2 * dx) + std::abs(rect.height() / 2 * dy);
    QPointF centre(rect.midX(), rect.midY());
    QLinearGradient blend(centre - QPointF(dx, dy) * half, centre + QPointF(dx, dy) * half);
    blend.setColorAt(0, qtColor(command.gradient->startingColor()));
    blend.setColorAt(1, qtColor(command.gradient->endingColor()));
    m_painter.fillRect(qtRect(rect), blend);
}

void QtDrawCommandPainter::textRun(const DrawCommand& command)
{
    QRectF box = transformForView(command.view).mapRect(qtRect(command.rect));
    useTransform(QTransform());
    qtPaintTextRun(m_painter, command, box);
}

void QtDrawCommandPainter::imageFile(const DrawCommand& command)
{
    const QTransform& transform = transformForView(command.view);
    QRectF box = transform.mapRect(qtRect(command.rect));
    std::optional<QRectF> tile;
    if (command.tile)
        tile = transform.mapRect(qtRect(*command.tile));
    useTransform(QTransform());
    qtPaintImageFile(m_painter, command, box, tile ? &*tile : nullptr);
}

} // namespace brevanton

namespace brevanton {

void QtDrawCommandPainter::fillRoundedRect(const DrawCommand& command)
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(qtColor(command.color));
    QRectF rect = qtRect(command.rect);
    // Qt blends a shape of many lines on its thread pool; for a small one (a
    // scroller's knob) waking the threads costs more than the blending: it is
    // drawn in bands, each clipped to its lines, that the engine keeps on
    // this thread.
    const QTransform transform = m_painter.transform();
    QRectF device = transform.mapRect(rect);
    constexpr int band = 64;
    if (transform.type() <= QTransform::TxScale && device.height() > band && device.width() * device.height() <= 64 * 1024) {
        for (double top = std::floor(device.top()); top < device.bottom(); top += band) {
            m_painter.save();
            m_painter.resetTransform();
            m_painter.setClipRect(QRectF(device.left() - 1, top, device.width() + 2, band), Qt::IntersectClip);
            m_painter.setTransform(transform);
            m_painter.drawRoundedRect(rect, command.cornerRadius, command.cornerRadius);
            m_painter.restore();
        }
        return;
    }
    m_painter.drawRoundedRect(rect, command.cornerRadius, command.cornerRadius);
}

void QtDrawCommandPainter::strokeRoundedRect(const DrawCommand& command)
{
    // The pen is centred on a rectangle inset by half its width, so the
    // stroke stays inside the command's rectangle.
    double width = command.lineWidth > 0 ? command.lineWidth : 1;
    QRectF rect = qtRect(command.rect).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    double radius = std::max(0.0, command.cornerRadius - width / 2);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(penWithWidth(command.color, width));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRoundedRect(rect, radius, radius);
}

void QtDrawCommandPainter::beginClip(const DrawCommand& command)
{
    m_painter.save();
    ++m_clipDepth;
    // The clip is kept in device coordinates, set through the view's transform.
    useTransform(transformForView(command.view));
    m_painter.setClipRect(qtRect(command.rect), Qt::IntersectClip);
}

void QtDrawCommandPainter::endClip()
{
    // An end without a beginning has nothing to undo.
    if (!m_clipDepth)
        return;
    --m_clipDepth;
    m_painter.restore();
}

size_t QtDrawCommandPainter::passedOver(const DrawCommand& command) const
{
    if (command.kind != DrawCommand::Kind::Control || !command.control || !m_drawsControls)
        return 0;
    return command.control->plainCommands;
}

void QtDrawCommandPainter::control(const DrawCommand& command)
{
    // Without a style the control's plain drawing, which follows, shows it.
    if (!m_drawsControls)
        return;
    const QTransform& transform = transformForView(command.view);
    QRect box = transform.mapRect(qtRect(command.rect)).toRect();
    useTransform(QTransform());
    QFont font = systemFont();
    double factor = std::abs(transform.m22()) > 0 ? std::abs(transform.m22()) : 1;
    if (factor != 1)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    m_painter.setOpacity(m_painter.opacity() * std::clamp(command.fraction, 0.0, 1.0));
    qtPaintControl(m_painter, command, box, font);
}

} // namespace brevanton
