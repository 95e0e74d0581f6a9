// The presentational attributes of older pages as browsers map them to style:
// `bgcolor`, `text`, `link`, `background`, `align`, `valign`, `width`,
// `height`, `border`, `cellpadding`, `cellspacing`, `hspace`, `vspace`,
// `nowrap`, FONT's `color`, `size` and `face`, and the `type` of OL, UL and
// LI. The declarations stand with the author's style at the lowest
// precedence: any rule of the page's style sheets and the style attribute
// win over them. Values are read as HTML reads them (a colour without its
// "#", a length in pixels or percent); a value that is none of what its
// attribute takes maps to nothing, and no value can add a declaration of
// its own.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

class DOMElement;

// The declarations the element's attributes map to, as a declaration list
// ("" when none do).
std::u16string cssPresentationalHints(const DOMElement&);
// Whether an attribute of that name (lower case) may map to style on some element.
bool cssIsPresentationalAttribute(std::u16string_view name);

} // namespace brevanton
