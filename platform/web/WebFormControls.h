// Form controls and missing images as a page shows them: inert pictures of
// the desktop's controls (a text field with its value, a button with its
// label, a check box or radio button with its state, a pop-up with its
// selected option, a text area with its text), sized from their text and
// attributes as browsers size them, and in place of an image that could
// not be read, its alt text in a box of the image's size.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Font.h"
#include "platform/views/Geometry.h"

#include <optional>
#include <string>

namespace brevanton {

class DOMElement;
class GraphicsContext;

// Whether the element is a form control drawn here.
bool webIsFormControl(const DOMElement&);
// The size a form control takes without a width or height of its own, in its font.
std::optional<Size> webFormControlIntrinsicSize(const DOMElement&, const FontDescriptor&);
// The size a missing image with alt text takes: the text's, in a box.
Size webMissingImageSize(const std::u16string& alt, const FontDescriptor&);
void webDrawFormControl(const DOMElement&, const Rect& box, const FontDescriptor&, const Color& textColor, GraphicsContext&);
void webDrawMissingImage(const std::u16string& alt, const Rect& box, const FontDescriptor&, const Color& textColor, GraphicsContext&);

} // namespace brevanton
