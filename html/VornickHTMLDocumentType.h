// Document types: the HTML versions the editor knows, their persistable names
// (stored in files, snippet sets and user defaults) and DOCTYPE declarations.
#pragma once

#include "dom/VornickDocumentType.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

// Types 4 to 7 are XHTML.
inline bool VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType type)
{
    return type >= VornickHTMLDocumentType::XHTML10Transitional && type <= VornickHTMLDocumentType::XHTML11;
}

// "Unknown", "HTML 4.01 Transitional", ... "HTML 5"; asserts a known value.
std::u16string VornickHTMLDocumentTypeToPersistableString(VornickHTMLDocumentType);
// The type whose persistable name equals `name` exactly; Unknown when none does.
VornickHTMLDocumentType VornickHTMLDocumentTypeFromPersistableString(std::u16string_view name);
// The one-line DOCTYPE declaration; asserts a type other than Unknown.
std::u16string VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType);
// The public and system identifiers of a type's DOCTYPE (empty for Unknown and HTML 5).
std::u16string VornickHTMLDocumentTypePublicId(VornickHTMLDocumentType);
std::u16string VornickHTMLDocumentTypeSystemId(VornickHTMLDocumentType);
// The type a DOCTYPE public identifier names, by prefix; HTML 5 for anything else.
VornickHTMLDocumentType VornickHTMLDocumentTypeForPublicId(std::u16string_view publicId);

} // namespace brevanton
