// Interned element names: every element holds a pointer to one shared record
// of its namespace, prefix and local name, so names cost a pointer per node
// and compare by address.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

inline constexpr const char16_t* XHTMLNamespace = u"http://www.w3.org/1999/xhtml";
inline constexpr const char16_t* SVGNamespace = u"http://www.w3.org/2000/svg";
inline constexpr const char16_t* MathMLNamespace = u"http://www.w3.org/1998/Math/MathML";
inline constexpr const char16_t* XMLNamespace = u"http://www.w3.org/XML/1998/namespace";
inline constexpr const char16_t* XMLNSNamespace = u"http://www.w3.org/2000/xmlns/";
inline constexpr const char16_t* XLinkNamespace = u"http://www.w3.org/1999/xlink";

struct DOMQualifiedName {
    std::u16string namespaceURI;
    std::u16string prefix;
    std::u16string localName;
    std::u16string qualifiedName;      // prefix:localName, or localName
    std::u16string upperQualifiedName; // ASCII upper case, the tagName of HTML elements in HTML documents
    bool isHTML { false };             // in the XHTML namespace
    uint32_t index { 0 };              // stable number of this record, see byIndex()

    // The one record for this name; never freed.
    static const DOMQualifiedName* intern(std::u16string_view namespaceURI, std::u16string_view prefix,
                                          std::u16string_view localName);
    // Splits "prefix:local" at the first colon.
    static const DOMQualifiedName* intern(std::u16string_view namespaceURI, std::u16string_view qualifiedName);
    // The record numbered `index` (elements keep a 32-bit number, not a pointer).
    static const DOMQualifiedName* byIndex(uint32_t index);
};

} // namespace brevanton
