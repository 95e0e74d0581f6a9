#include "html/VornickElementKindTables.h"

#include <algorithm>

namespace brevanton {

namespace {

// Tag names in the tables are lower-case ASCII, so an ASCII case-insensitive
// comparison matches their order.
int compareTagNames(std::u16string_view a, std::u16string_view b)
{
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
        char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

std::span<const VornickElementKindRecord> VornickElementKindTableForDocumentType(VornickHTMLDocumentType type)
{
    switch (type) {
    case VornickHTMLDocumentType::HTML401Transitional:
        return { html401TransitionalElementKinds, html401TransitionalElementKindCount };
    case VornickHTMLDocumentType::HTML401Strict:
    case VornickHTMLDocumentType::XHTML11:
        return { html401StrictElementKinds, html401StrictElementKindCount };
    case VornickHTMLDocumentType::HTML401Frameset:
        return { html401FramesetElementKinds, html401FramesetElementKindCount };
    case VornickHTMLDocumentType::XHTML10Transitional:
        return { xhtml10TransitionalElementKinds, xhtml10TransitionalElementKindCount };
    case VornickHTMLDocumentType::XHTML10Strict:
        return { xhtml10StrictElementKinds, xhtml10StrictElementKindCount };
    case VornickHTMLDocumentType::XHTML10Frameset:
        return { xhtml10FramesetElementKinds, xhtml10FramesetElementKindCount };
    default:
        return { html5ElementKinds, html5ElementKindCount };
    }
}

const VornickElementKindRecord* VornickElementKindRecordForTagName(std::u16string_view tagName, VornickHTMLDocumentType type)
{
    auto table = VornickElementKindTableForDocumentType(type);
    auto it = std::lower_bound(table.begin(), table.end(), tagName,
        [](const VornickElementKindRecord& record, std::u16string_view name) { return compareTagNames(record.tagName, name) < 0; });
    if (it == table.end() || compareTagNames(it->tagName, tagName) != 0)
        return nullptr;
    return &*it;
}

} // namespace brevanton
