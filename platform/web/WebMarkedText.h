// Where and how a web view's marked text (an input method's composition) is
// drawn: over the page at the start of the selection, in the font of the
// text there, on an opaque box that hides the page text it covers, with the
// clauses underlined (the one being converted thickly) and the input
// method's cursor. The document is not changed: the composition is shown by
// the frame's document view after the page.
#pragma once

#include "platform/views/Font.h"
#include "platform/views/Geometry.h"

#include <memory>
#include <optional>
#include <vector>

namespace brevanton {

class GraphicsContext;
class WebFrame;
class WebView;

struct WebMarkedTextPlacement {
    std::shared_ptr<WebFrame> frame;
    FontDescriptor font;
    // In the frame's document view coordinates: the box covered (the text,
    // and the cursor after its end), the baseline's y and the x of each unit
    // of the marked text and of its end.
    Rect box;
    double baseline { 0 };
    std::vector<double> positions;
    // How far below the baseline the underlines go.
    double underlineOffset { 1 };
};

// Nullopt without marked text, selection or a laid-out place for it.
std::optional<WebMarkedTextPlacement> webMarkedTextPlacement(WebView&);

// Draws the web view's marked text when it is placed in this frame and meets
// the rectangle (the frame's document view coordinates).
void webPaintMarkedText(WebFrame&, const Rect& rect, GraphicsContext&);

} // namespace brevanton
