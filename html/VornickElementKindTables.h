// The built-in element kind tables: for each tag of a document type, the
// categories the element belongs to (its kind) and what its children must be
// (its content model), both as 64-bit sets.
#pragma once

#include "html/VornickHTMLDocumentType.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace brevanton {

struct VornickElementKindRecord {
    const char16_t* tagName;
    uint64_t elementKind;
    uint64_t contentModel;
};

// Content model bits with the same meaning in every table.
inline constexpr uint64_t VornickContentModelEmpty = 0x20000;
inline constexpr uint64_t VornickContentModelTransparent = 0x10000;
// Bits left out when a content model is matched against a child's kind.
inline constexpr uint64_t VornickContentModelIgnoredBits = 0x10800;

// Whether a child of kind `childKind` fits a content model by the bit test.
inline bool VornickContentModelAcceptsKind(uint64_t contentModel, uint64_t childKind)
{
    return (contentModel & ~VornickContentModelIgnoredBits & ~childKind) == 0;
}

// The table a document type uses (XHTML 1.1 shares HTML 4.01 Strict's; 0, 8
// and unknown values use HTML 5's), sorted by tag name.
std::span<const VornickElementKindRecord> VornickElementKindTableForDocumentType(VornickHTMLDocumentType);

// The row of `tagName` (case ignored), or nullptr.
const VornickElementKindRecord* VornickElementKindRecordForTagName(std::u16string_view tagName, VornickHTMLDocumentType);

// Generated tables.
extern const VornickElementKindRecord html401TransitionalElementKinds[];
extern const size_t html401TransitionalElementKindCount;
extern const VornickElementKindRecord html401StrictElementKinds[];
extern const size_t html401StrictElementKindCount;
extern const VornickElementKindRecord html401FramesetElementKinds[];
extern const size_t html401FramesetElementKindCount;
extern const VornickElementKindRecord xhtml10TransitionalElementKinds[];
extern const size_t xhtml10TransitionalElementKindCount;
extern const VornickElementKindRecord xhtml10StrictElementKinds[];
extern const size_t xhtml10StrictElementKindCount;
extern const VornickElementKindRecord xhtml10FramesetElementKinds[];
extern const size_t xhtml10FramesetElementKindCount;
extern const VornickElementKindRecord html5ElementKinds[];
extern const size_t html5ElementKindCount;

} // namespace brevanton
