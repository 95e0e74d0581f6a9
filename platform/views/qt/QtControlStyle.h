// QtControlStyle: controls drawn as the desktop draws them. A control
// command (its kind, state and title: ControlDrawing) is painted with the
// application's QStyle, each part with the style option that matches it, and
// its labels measured against the room the style leaves them: a label that
// does not fit is drawn shortened with "…" (the window shows it whole as the
// control's tool tip).
#pragma once

#include "platform/views/ControlDrawing.h"
#include "platform/views/Geometry.h"

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

#include <string>
#include <vector>

namespace brevanton {

struct DrawCommand;
class View;

// Whether there is a style to draw with (an application with widgets).
bool qtControlStyleAvailable();

// Paints the control of `command` into `box` (device pixels, the painter's
// transform the identity), its labels in `font`.
void qtPaintControl(QPainter&, const DrawCommand&, const QRect& box, const QFont&);

// A label of a control and the room the style gives it in the control's box
// (a segmented control has one per segment).
struct QtControlLabel {
    QString text;
    QRectF room;
    // The label's width in the font.
    double width { 0 };
    bool fits() const { return width <= room.width() + 0.01; }
};
std::vector<QtControlLabel> qtControlLabels(const ControlDrawing&, std::u16string_view title, const QRect& box, const QFont&);

// The whole title of a control whose label the style shortens in a box of
// `size`, else the empty string.
QString qtControlToolTip(const ControlDrawing&, std::u16string_view title, Size size, const QFont&);
// The same for the control a view draws (its first control command), in the system font.
QString qtControlToolTip(View&);

// Makes the style's room beside a control's label the one layouts give
// (setControlLabelMarginsMeasure, platform/views/ControlSizing.h).
void installQtControlLabelMargins();

} // namespace brevanton
