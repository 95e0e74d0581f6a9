#include "platform/views/qt/QtConversions.h"

#include <algorithm>

namespace brevanton {

QColor qtColor(const Color& color)
{
    auto unit = [](double value) { return std::clamp(value, 0.0, 1.0); };
    // A grey has its white value in every component.
    return QColor::fromRgbF(static_cast<float>(unit(color.redComponent())), static_cast<float>(unit(color.greenComponent())),
                            static_cast<float>(unit(color.blueComponent())), static_cast<float>(unit(color.alphaComponent())));
}

QPainterPath qtPath(const BezierPath& path)
{
    QPainterPath result;
    for (const auto& element : path.elements()) {
        const auto& p = element.points;
        switch (element.kind) {
        case PathElementKind::MoveTo: result.moveTo(p[0].x, p[0].y); break;
        case PathElementKind::LineTo: result.lineTo(p[0].x, p[0].y); break;
        case PathElementKind::CurveTo: result.cubicTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y); break;
        case PathElementKind::ClosePath: result.closeSubpath(); break;
        }
    }
    return result;
}

QRectF qtRect(const Rect& rect)
{
    return QRectF(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

QString qtString(std::u16string_view string)
{
    return QString::fromUtf16(string.data(), static_cast<qsizetype>(string.size()));
}

std::u16string fromQtString(const QString& string)
{
    return std::u16string(reinterpret_cast<const char16_t*>(string.utf16()), static_cast<size_t>(string.size()));
}

} // namespace brevanton
