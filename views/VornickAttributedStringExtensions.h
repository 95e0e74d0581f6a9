// Operations the editor adds to attributed strings: collapsing and trimming
// runs of characters while the attributes stay in place, mapping characters,
// and making styled strings (coloured text, links, HTML source with its
// markup highlighted).
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/URL.h"
#include "platform/views/Font.h"

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace brevanton {

// Replaces every maximal run of members of `set` (a run of one too) by
// `replacement`, which takes the attributes of the run's first character.
// The first character of the text is never part of a run: a run that starts
// there keeps it and only the rest of the run is replaced. Texts shorter than
// two characters stay unchanged.
void vornick_collapseRunsOfCharactersFromSet(AttributedString&, const CharacterSet& set, std::u16string_view replacement);
// Runs of whitespace and newlines collapsed to one space each.
void vornick_collapseHTMLWhitespaceRuns(AttributedString&);
// Runs of whitespace (not newlines) collapsed to one space each.
void vornick_collapseHTMLWhitespaceRunsExceptNewlines(AttributedString&);

// Deletes the trailing run of members of `set`, never the first character.
void vornick_trimTrailingCharactersInSet(AttributedString&, const CharacterSet& set);

// Each character equal to the first unit of a pair becomes the pair's second
// unit (the first matching pair wins); the attributes stay where they were.
void vornick_mapCharactersUsingReplacements(AttributedString&, std::span<const std::pair<char16_t, char16_t>> replacements);

// `string` in the colour and the font, each only when given.
AttributedString vornick_attributedString(std::u16string_view string, const std::optional<Color>& color,
                                          std::shared_ptr<const Font> font);
// The same, linking to `link`, with a single underline over the whole string.
AttributedString vornick_attributedString(std::u16string_view string, const URL& link,
                                          const std::optional<Color>& color, std::shared_ptr<const Font> font);

// HTML source for display: plain text in the system font of `fontSize` and
// the control text colour; markup ("<...>" through its ">", "&...;" through
// its ";", and each '"' and "/" outside them) in the fixed-pitch "Monaco" one
// point smaller, in `markupColor`. An unclosed tag or reference runs to the end.
AttributedString vornick_attributedStringByStylingHTMLInString(std::u16string_view string, const Color& markupColor,
                                                               double fontSize);

} // namespace brevanton
