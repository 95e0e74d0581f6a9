// The colours of a WordPress block as the block editor stores them: a
// palette colour as a slug property (`textColor`, `backgroundColor`) and
// the classes "has-<slug>-color" or "has-<slug>-background-color"; a custom
// colour inside the `style` property (`style` -> `color` -> `text` or
// `background`) and an inline declaration ("color:#hex",
// "background-color:#hex"); either one with the class "has-text-color" or
// "has-background".
//
// Each colour is read and written on its own: writing one leaves the other
// as it was, and with it whatever no chooser can show (a slug of the
// theme's own palette, a custom value that is no "#" hex). A write removes
// only its colour's classes ("has-text-color", or "has-background" unless
// a gradient still fills the block, and the old slug's class, as written and
// as the editor spells it) and the declarations whose trimmed property name
// is its colour's, ignoring case; new classes and declarations go first.
#pragma once

#include "platform/foundation/Value.h"
#include "ui/VornickColorDescriptionList.h"

#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMElement;

enum class VornickWordPressBlockColorRole { Text, Background };

// The description a chooser shows for the block's colour of that role: the
// palette's own description for a palette slug; for a slug the palette
// lacks, one with that name and the theme's colour for it (no colour when
// the theme's is unknown); for a custom value, one with that value; null
// when the block names none.
VornickColorDescriptionList::Description vornick_wordPressBlockColorDescription(const std::optional<Dictionary>& properties,
                                                                                VornickWordPressBlockColorRole,
                                                                                const VornickColorDescriptionList& themeColors);

// Writes the colour of one role (null clears it) into the properties and
// the element's classes and style. False, with both untouched, when the
// `style` property or its `color` is not an object.
[[nodiscard]] bool vornick_writeWordPressBlockColor(VornickWordPressBlockColorRole, const VornickColorDescriptionList::Description&,
                                                    std::optional<Dictionary>& properties, DOMElement&);

// A slug as the block editor writes it in a class name ("accent2" ->
// "accent-2", "darkGray" -> "dark-gray").
std::u16string vornick_wordPressKebabCase(std::u16string_view);

// The theme's palette as its style sheets declare it
// ("--wp--preset--color--<slug>: <value>"), in order, named by the slugs;
// three-digit hex values written out to six digits, hex in lower case.
VornickColorDescriptionList vornick_wordPressPresetColorsFromStyleSheetText(std::u16string_view);
// The same from the style elements of a document's head.
VornickColorDescriptionList vornick_wordPressPresetColorsInDocument(DOMDocument&);

} // namespace brevanton
