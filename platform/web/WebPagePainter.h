// WebPagePainter: draws a frame's document, as its layout and the cascade
// computed it, into a GraphicsContext: the canvas, backgrounds, borders and
// outlines, text runs (exactly the runs hit testing measures), images, list
// markers, table grids, and over them the web view's selection and caret.
// Only what meets the rectangle drawn is visited.
#pragma once

#include "platform/views/Geometry.h"

#include <string>
#include <string_view>

namespace brevanton {

class GraphicsContext;
class WebFrame;

// `rect` is in the frame's document view coordinates; the frame is laid out first.
void webPaintFrame(WebFrame&, const Rect& rect, GraphicsContext&);

// A numbered list item's marker, without its period, for a list-style-type:
// letters for the alpha kinds ("a" to "z", then "aa"), roman numerals for the
// roman kinds (up to 3999), else the decimal number.
std::u16string webListMarkerText(long number, std::u16string_view type);

} // namespace brevanton
