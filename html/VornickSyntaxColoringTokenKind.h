// The colouring kinds of HTML source, shared by the syntax colouring
// preferences and the HTML writer.
#pragma once

#include <cstdint>

namespace brevanton {

using VornickSyntaxColoringTokenKind = uint32_t;

enum : VornickSyntaxColoringTokenKind {
    TK_DEFAULT_TEXT = 0,
    TK_OTHER_TEXT = 1,
    TK_SNIPPET_EXPRESSION = 2,
    TK_ENTITY_REFERENCE = 3,
    TK_COMMENT = 4,
    TK_MARKUP_PUNCTUATION = 5,
    TK_TAG_NAME = 6,
    TK_ATTRIBUTE_NAME = 7,
    TK_ATTRIBUTE_VALUE = 8,
    TK_DOCTYPE = 9,
    TK_XML_DECLARATION = 10,
    TK_LAST = 10,
};

} // namespace brevanton
