// Keeps gumbo away from inputs it handles badly, by rewriting the markup it is
// given while keeping every character of content:
// - Depth: gumbo's work per tag grows with the number of open elements, so a
//   page of 100,000 nested elements takes seconds. Start tags that would open
//   an element deeper than the cap are removed with their end tags; their
//   content stays, in the element at the cap.
// - Foreign elements named like HTML table or select parts (`<math><select>`,
//   `<svg><html>`, ...): gumbo's insertion-mode reset takes them for the HTML
//   elements and then fails an assertion that aborts the process. Their names
//   are marked (GumboGuardNameMark appended) and the tree builder restores them.
// - Foreign end tags: gumbo ends an SVG or MathML element only at an end tag
//   that is its bare name, so `</mi/>` or `</svg\n>` are written `</mi>`,
//   `</svg>` (the parsing rules ignore the rest). In a table, CDATA in
//   foreign content becomes the escaped text it stands for, and CDATA
//   elsewhere (or under an integration point) the comment it is: gumbo,
//   whose view of foreign content there can differ, fails assertions on it.
// - Attributes: gumbo compares each attribute of a tag with all before it, so
//   a tag with 50,000 attributes takes seconds. Attributes past the first
//   GumboGuardAttributesPerTag are moved out of the tag, in pieces that the
//   tree builder parses on their own and adds to the element.
// The tokenizing and the model of open elements here are an approximation of
// the HTML parsing rules: exact where nesting and foreign content are decided,
// loose elsewhere. Where gumbo departs from the rules in what an end tag ends
// (names it does not know all match one another), the model follows gumbo.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevanton {

enum class GumboGuardNamespace { HTML, SVG, MathML };

// Where the markup starts: a document (no context), or a fragment in a context element.
struct GumboGuardContext {
    GumboGuardNamespace contextNamespace { GumboGuardNamespace::HTML };
    std::string_view contextName; // lower-case local name; empty for a document
};

// Appended to the tag name of a renamed foreign element (U+FFFF in UTF-8).
inline constexpr std::string_view GumboGuardNameMark = "\xEF\xBF\xBF";

inline constexpr unsigned GumboGuardAttributesPerTag = 256;

struct GumboGuardedInput {
    bool changed { false };
    std::string markup; // what to give gumbo in place of the input, when changed
    // Attributes moved out of start tags, by the offset of the tag's '<' in
    // `markup`: the attribute text in pieces of at most GumboGuardAttributesPerTag.
    std::unordered_map<size_t, std::vector<std::string>> movedAttributes;
    // Start tags were removed for depth.
    bool flattenedNesting { false };
};

GumboGuardedInput guardGumboInput(std::string_view utf8, const GumboGuardContext&, unsigned maximumDepth);

// Whether gumbo would take a foreign element of this lower-case name for an HTML one.
bool isGumboAmbiguousForeignName(std::string_view name);

} // namespace brevanton
