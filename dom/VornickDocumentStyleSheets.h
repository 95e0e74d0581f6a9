// The style sheets a document references from its HEAD: linked sheets, and
// sheet copies placed inside STYLE elements between marker comments. The
// references and sheets themselves belong to the application layer, which
// installs the services that make and resolve them.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMText;
class VornickStyleSheet;
class VornickStyleSheetReference;

class VornickStyleSheetReferenceServices {
public:
    virtual ~VornickStyleSheetReferenceServices() = default;
    // A reference to the sheet a LINK element names.
    virtual std::shared_ptr<VornickStyleSheetReference> referenceWithStyleSheetLinkElement(
        const std::shared_ptr<DOMElement>& link) const = 0;
    // References to the sheet copies marked in the CSS of a STYLE element's text node.
    virtual std::vector<std::shared_ptr<VornickStyleSheetReference>> findStyleSheetReferencesInCSSString(
        std::u16string_view css, const std::shared_ptr<DOMText>& textNode) const = 0;
    // The sheet a reference designates in the document, or null.
    virtual std::shared_ptr<VornickStyleSheet> styleSheetForStyleSheetReference(
        const std::shared_ptr<VornickStyleSheetReference>&, const DOMDocument&) const = 0;
};

// Null uninstalls. Main thread only.
void VornickSetStyleSheetReferenceServices(std::shared_ptr<VornickStyleSheetReferenceServices>);

// In HEAD order: one reference per LINK with rel "stylesheet" and an href,
// and the marked copies in each CSS STYLE element holding just its text.
// Empty while no services are installed.
std::vector<std::shared_ptr<VornickStyleSheetReference>> vornick_styleSheetReferences(const DOMDocument&);
std::shared_ptr<VornickStyleSheetReference> vornick_primaryStyleSheetReference(const DOMDocument&);
std::shared_ptr<VornickStyleSheet> vornick_primaryStyleSheet(const DOMDocument&);

} // namespace brevanton
