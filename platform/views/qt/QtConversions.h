// Conversions between the view layer's values and Qt's.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Geometry.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <string>

namespace brevanton {

QColor qtColor(const Color&);
// The path's elements as they are (its line width and dash are the pen's).
QPainterPath qtPath(const BezierPath&);
QRectF qtRect(const Rect&);
QString qtString(std::u16string_view);
std::u16string fromQtString(const QString&);

} // namespace brevanton
