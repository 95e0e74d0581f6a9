// What every entry of a server's reply must be before the integrator sees it.
// A site is someone else's server: the descriptions the mappings make of its
// posts, pages, terms, media items and blogs are checked here, once, at the
// edge. An identifier is a positive integer written in plain decimal digits
// (so that "1.5" never names post 1, nor "../../x" a path); every text is
// text to store and print: no lone surrogate, no NUL (it would end the text
// where a log or a C string reads it), no noncharacter U+FFFE or U+FFFF (the
// JSON reader marks undecodable bytes with U+FFFF). Other control characters
// pass: text pasted into posts holds some, and they are the site's content. An entry that fails is left out, with a log line that names it;
// the rest of the page goes on.
#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickLog;

// The positive integer an identifier stands for: an integer number, a real
// with no fraction, or a string of 1 to 18 decimal digits; nullopt otherwise.
std::optional<int64_t> vornickWordPressPositiveIdentifier(const Value&);

// Whether the text may be stored and printed (above).
bool vornickWordPressIsStorableText(std::u16string_view);

// What is wrong with a mapped description, in words ("its id \"-7\" is not
// a positive integer", "its title is not valid text"); nullopt when nothing.
// A description of a kind whose identifier is required must have one; an
// identifier key other than "identifierUsedByBlogService" (a featured image,
// a parent, the terms of a post) must hold positive integers too ("0" stands
// for no parent).
std::optional<std::u16string> vornickWordPressDescriptionProblem(const Dictionary& description, bool identifierRequired = true);

// The descriptions without a problem, in order; one line in the log for each
// one left out, naming the `kind` ("post", "category", ...), its place on the
// page that began at `startOffset`, and its problem.
std::vector<Dictionary> vornickWordPressCheckedDescriptions(std::vector<Dictionary> descriptions, std::u16string_view kind,
    int64_t startOffset, VornickLog*);

// A value as a log line may show it: printable ASCII as it is, anything else
// as "?", at most 24 characters (then "...").
std::string vornickWordPressPrintableValue(const Value&);
// Text as a log line may show it: as it is when storable, else its printable form.
std::u16string vornickWordPressLoggableText(std::u16string_view);

} // namespace brevanton
