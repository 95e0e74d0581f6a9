// Operations the editor adds to text and comment nodes: splitting a text
// node together with its enclosing elements, debugging descriptions and the
// marker-comment prefix test.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class DOMComment;
class DOMElement;
class DOMText;

// Pairs of (element that was split, new element holding its second part),
// innermost first.
using VornickSplitElementMap = std::vector<std::pair<std::shared_ptr<DOMElement>, std::shared_ptr<DOMElement>>>;

// Splits the text at `offset` and every enclosing element up to and including
// `topElementToSplit`; an element whose split point lies at its very start or
// end is not split. An offset past the text's end changes nothing.
VornickSplitElementMap vornick_splitTextAtOffset(const std::shared_ptr<DOMText>&, size_t offset,
                                                 const std::shared_ptr<DOMElement>& topElementToSplit);

// The data with each newline written as "\n" and each space as U+25AB, then " (address)".
std::u16string vornick_textNodeDescription(const DOMText&);

// The comment's data, leading whitespace (and the frame's substitute) trimmed, begins with `prefix`.
bool vornick_hasPrefix(const DOMComment&, std::u16string_view prefix);

} // namespace brevanton
