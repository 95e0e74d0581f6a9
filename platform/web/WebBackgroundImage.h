// WebBackgroundImage: an element's background-image found and placed. The
// image is the computed url() resolved against the frame's base URL; it is
// drawn when it is a local file (as image elements are), at its pixel size,
// read from the data source's copy of it when it has one, else from the
// file. Copies start at the padding box's top left corner and repeat as
// background-repeat says (repeat, repeat-x, repeat-y, no-repeat; space and
// round repeat plainly), clipped to the padding box.
#pragma once

#include "platform/views/Geometry.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class WebFrame;
struct CSSComputedValues;

struct WebBackgroundImage {
    // The file's path (UTF-8) and its pixel size.
    std::string path;
    Size size;
};

// The area a background image covers and the place of one of its copies.
struct WebBackgroundTiling {
    Rect area;
    Rect tile;
};

// The element's background image, when it has one that can be drawn.
std::optional<WebBackgroundImage> webBackgroundImage(const WebFrame&, const CSSComputedValues&);

// Copies of an image of `imageSize` placed from `origin`, repeated as `repeat`
// says, within `clip`; nullopt when none of them shows.
std::optional<WebBackgroundTiling> webBackgroundTiling(const Rect& clip, Point origin, Size imageSize,
                                                       std::u16string_view repeat);

} // namespace brevanton
