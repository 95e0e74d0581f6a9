// The class list of a block's element and the "className" property of its
// comment, as the block inspector modules read and write them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMElement;

// The text trimmed of HTML space characters at both ends.
std::u16string vornick_trimmedOfHTMLSpace(std::u16string_view);
// The pieces between HTML space characters, empty ones included ("a  b"
// gives "a", "", "b"); none for the empty text.
std::vector<std::u16string> vornick_piecesBetweenHTMLSpace(std::u16string_view);
// The same without the empty pieces.
std::vector<std::u16string> vornick_wordsBetweenHTMLSpace(std::u16string_view);
std::u16string vornick_joinedWithSpaces(const std::vector<std::u16string>&);
// Sets the element's class attribute to the names joined with single
// spaces, or removes it when that is empty.
void vornick_setClassNamesOfBlockElement(DOMElement&, const std::vector<std::u16string>&);

} // namespace brevanton
