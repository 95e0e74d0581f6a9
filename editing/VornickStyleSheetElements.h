// What head editing needs to know about style sheet elements: which head
// elements bring a style sheet into the page, and how CSS text is made safe
// to stand inside a STYLE element.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

class DOMElement;

// A LINK whose "rel" lists "stylesheet" (alternate sheets too), or a STYLE.
// Names and values compare ignoring case.
bool VornickIsStyleSheetHeadElement(const DOMElement&);

// The text with every "</" written as "<\/": a STYLE element's text ends at
// the first "</style", so a sheet containing one would end the element when
// the file is read again. CSS reads "\/" as "/" in strings and comments
// keep it as written, so the sheet means the same.
std::u16string VornickEscapedStyleElementText(std::u16string_view css);

} // namespace brevanton
