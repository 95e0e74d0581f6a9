// The token codes the HTML scanner reports to its delegates. Codes below 256
// are markup punctuation characters themselves ("<", ">", "/", "=", "!", "?").
#pragma once

#include <cstdint>
#include <string>

namespace brevanton {

using VornickHTMLScannerToken = int32_t;

enum : VornickHTMLScannerToken {
    VornickHTMLScannerTokenNone = 256,
    VornickHTMLScannerTokenEndOfInput = 257,
    VornickHTMLScannerTokenText = 258,
    VornickHTMLScannerTokenSnippetExpression = 259,
    VornickHTMLScannerTokenEntityReference = 260,
    VornickHTMLScannerTokenComment = 261,
    VornickHTMLScannerTokenElementTagName = 262,
    VornickHTMLScannerTokenElementAttributeName = 263,
    VornickHTMLScannerTokenElementAttributeValue = 264,
    VornickHTMLScannerTokenDOCTYPE = 265,
    VornickHTMLScannerTokenXML = 266,
    VornickHTMLScannerTokenXMLHeaderAttributeName = 267,
    VornickHTMLScannerTokenXMLHeaderAttributeValue = 268,
};

// "'<'" for punctuation, "TEXT", "ELEMENT_TAG_NAME", ... and "UNKNOWN" for
// snippet expressions, comments and codes above 268.
std::u16string VornickHTMLScannerTokenDebugName(VornickHTMLScannerToken);

} // namespace brevanton
