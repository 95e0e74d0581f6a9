// Generated content: the boxes an element's ::before and ::after rules make.
// Content of strings (an empty string included) makes a box; "none" and
// "normal" make none. Boxes positioned absolutely (or fixed) are laid out
// here, out of the flow, against their containing block: the padding box of
// the nearest positioned element among the originating element and its
// ancestors, else the page. Their edges come from left/right/top/bottom,
// width and height (pixels, or percentages of the containing block); with
// both offsets of an axis "auto", the box stands where the element's content
// starts. Generated content in the flow is not laid out: it takes no room
// and is not drawn.
#pragma once

#include "platform/css/CSSSelector.h"
#include "platform/views/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class WebLayout;
struct CSSComputedValues;

struct WebGeneratedBox {
    CSSPseudoElement pseudoElement { CSSPseudoElement::Before };
    std::shared_ptr<const CSSComputedValues> style;
    // The content's text; empty for a box of an empty string.
    std::u16string text;
    // The border box, in the layout's coordinates.
    Rect rect;
};

// The positioned generated boxes of `element` in the order they are drawn
// (::before, then ::after); empty when it has none or is not laid out.
// Text is measured in the element's font times `textSizeMultiplier`.
std::vector<WebGeneratedBox> webGeneratedBoxes(const WebLayout&, const DOMElement&, double textSizeMultiplier);

// The text a computed `content` value generates, or nullopt when it generates nothing.
std::optional<std::u16string> webGeneratedText(const CSSComputedValues&);

} // namespace brevanton
