// DOM errors: the DOM's exception kinds reported as Error values in the
// "DOMException" domain, with the legacy DOM codes.
#pragma once

#include "platform/foundation/Error.h"

namespace brevanton {

inline constexpr const char* DOMErrorDomain = "DOMException";

enum class DOMExceptionCode : int {
    IndexSizeError = 1,
    HierarchyRequestError = 3,
    WrongDocumentError = 4,
    InvalidCharacterError = 5,
    NotFoundError = 8,
    NotSupportedError = 9,
    InUseAttributeError = 10,
    InvalidStateError = 11,
    SyntaxError = 12,
    NamespaceError = 14,
    InvalidNodeTypeError = 24,
};

// Where a document that is not well-formed failed to parse (integers, 1-based).
inline constexpr const char16_t* DOMErrorLineNumberKey = u"LineNumber";
inline constexpr const char16_t* DOMErrorColumnNumberKey = u"ColumnNumber";

// Stores a DOM error in `*out` and returns false.
bool setDOMError(Error* out, DOMExceptionCode, const char16_t* message);

} // namespace brevanton
