// Document types: the HTML versions the editor knows, their persistable names
// (stored in files, snippet sets and user defaults) and DOCTYPE declarations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

using VornickHTMLDocumentType = int32_t;

enum : VornickHTMLDocumentType {
    VornickHTMLDocumentTypeUnknown = 0,
    VornickHTMLDocumentTypeHTML401Transitional = 1,
    VornickHTMLDocumentTypeHTML401Strict = 2,
    VornickHTMLDocumentTypeHTML401Frameset = 3,
    VornickHTMLDocumentTypeXHTML10Transitional = 4,
    VornickHTMLDocumentTypeXHTML10Strict = 5,
    VornickHTMLDocumentTypeXHTML10Frameset = 6,
    VornickHTMLDocumentTypeXHTML11 = 7,
    VornickHTMLDocumentTypeHTML5 = 8,
};

inline constexpr VornickHTMLDocumentType VornickFirstHTMLDocumentType = 1;
inline constexpr VornickHTMLDocumentType VornickLastHTMLDocumentType = 8;

// Types 4 to 7 are XHTML.
inline bool VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType type) { return (type & ~3) == 4; }

// "Unknown", "HTML 4.01 Transitional", ... "HTML 5"; asserts 0 <= type <= 8.
std::u16string VornickHTMLDocumentTypeToPersistableString(VornickHTMLDocumentType);
// The type whose persistable name equals `name` exactly; 0 when none does.
VornickHTMLDocumentType VornickHTMLDocumentTypeFromPersistableString(std::u16string_view name);
// The one-line DOCTYPE declaration; asserts 1 <= type <= 8.
std::u16string VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType);
// The public and system identifiers of a type's DOCTYPE (empty for 0 and 8).
std::u16string VornickHTMLDocumentTypePublicId(VornickHTMLDocumentType);
std::u16string VornickHTMLDocumentTypeSystemId(VornickHTMLDocumentType);
// The type a DOCTYPE public identifier names, by prefix; 8 for anything else.
VornickHTMLDocumentType VornickHTMLDocumentTypeForPublicId(std::u16string_view publicId);

} // namespace brevanton
