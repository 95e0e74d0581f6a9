#include "html/VornickHTMLScannerToken.h"

namespace brevanton {

std::u16string VornickHTMLScannerTokenDebugName(VornickHTMLScannerToken token)
{
    if (token >= 0 && token < 256)
        return std::u16string(u"'") + static_cast<char16_t>(token) + u"'";
    switch (token) {
    case VornickHTMLScannerTokenNone: return u"NONE";
    case VornickHTMLScannerTokenEndOfInput: return u"END_OF_INPUT";
    case VornickHTMLScannerTokenText: return u"TEXT";
    case VornickHTMLScannerTokenEntityReference: return u"ENTITY_REFERENCE";
    case VornickHTMLScannerTokenElementTagName: return u"ELEMENT_TAG_NAME";
    case VornickHTMLScannerTokenElementAttributeName: return u"ELEMENT_ATTRIBUTE_NAME";
    case VornickHTMLScannerTokenElementAttributeValue: return u"ELEMENT_ATTRIBUTE_VALUE";
    case VornickHTMLScannerTokenDOCTYPE: return u"DOCTYPE";
    case VornickHTMLScannerTokenXML: return u"XML";
    case VornickHTMLScannerTokenXMLHeaderAttributeName: return u"XML_HEADER_ATTRIBUTE_NAME";
    case VornickHTMLScannerTokenXMLHeaderAttributeValue: return u"XML_HEADER_ATTRIBUTE_VALUE";
    default: return u"UNKNOWN";
    }
}

} // namespace brevanton
