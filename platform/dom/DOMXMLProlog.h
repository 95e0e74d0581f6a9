// What an XML file says before its root element that its tree does not hold:
// the XML declaration and the internal subset of its DOCTYPE, as written
// (line breaks as line feeds), so that a save can write them back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

struct XMLProlog {
    std::u16string declaration;    // "<?xml ...?>", empty for none
    std::u16string internalSubset; // between "[" and "]", empty for none
};

XMLProlog scanXMLProlog(std::string_view utf8);

} // namespace brevanton
