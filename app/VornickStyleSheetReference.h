// VornickStyleSheetReference: where a document takes a style sheet from: a
// LINK element in its head, or a copy of a sheet placed in a STYLE element
// between marker comments. The reference records that place frozen relative
// to the document, so it can be found again after the document changed.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMRange;

enum class VornickStyleSheetReferenceKind : int {
    LinkElement = 1,
    EmbeddedBundledStyleSheetCopy = 3,
    EmbeddedUserStyleSheetCopy = 4,
};

class VornickStyleSheetReference {
public:
    // A reference to the sheet a LINK element names (the element must not be
    // null): its outer range and a copy of its "href".
    static std::shared_ptr<VornickStyleSheetReference> createWithStyleSheetLinkElement(
        const std::shared_ptr<DOMElement>& link);
    // A reference to a sheet copy whose marker comments and text span `outerRange`.
    // `name` is the built-in sheet's title or the other sheet's relative URL.
    static std::shared_ptr<VornickStyleSheetReference> createForEmbeddedCopy(VornickStyleSheetReferenceKind,
                                                                              std::u16string name,
                                                                              std::optional<std::u16string> version,
                                                                              const DOMRange& outerRange);

    VornickStyleSheetReferenceKind kind() const { return m_kind; }
    // A link's "href" or an embedded copy of another sheet's relative URL;
    // empty for a copy of a built-in sheet.
    const std::u16string& relativeURLString() const { return m_relativeURLString; }
    // A built-in sheet's title, or the relative URL string.
    const std::u16string& name() const { return m_name; }
    // The version named by an embedded copy of a built-in sheet.
    const std::optional<std::u16string>& version() const { return m_version; }

    // The outer range thawed in `document`; null when it no longer resolves
    // or no longer holds this link element or this copy's marked text.
    std::shared_ptr<DOMRange> outerRangeInDocument(const DOMDocument&) const;

private:
    VornickStyleSheetReference() = default;
    bool designatesThisReference(const DOMRange&) const;

    VornickStyleSheetReferenceKind m_kind { VornickStyleSheetReferenceKind::LinkElement };
    std::u16string m_relativeURLString;
    std::u16string m_name;
    std::optional<std::u16string> m_version;
    std::optional<VornickFreezeDriedDOMRange> m_outerRange;
    std::u16string m_beginMarkerPrefix;
};

} // namespace brevanton
