#include "app/VornickStyleSheetReferenceServices.h"

#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "app/VornickStyleSheetReferenceInCSSFinder.h"
#include "dom/VornickDocumentStyleSheets.h"

namespace brevanton {

namespace {

class StyleSheetReferenceServices final : public VornickStyleSheetReferenceServices {
public:
    std::shared_ptr<VornickStyleSheetReference> referenceWithStyleSheetLinkElement(
        const std::shared_ptr<DOMElement>& link) const override
    {
        return VornickStyleSheetReference::createWithStyleSheetLinkElement(link);
    }

    std::vector<std::shared_ptr<VornickStyleSheetReference>> findStyleSheetReferencesInCSSString(
        std::u16string_view css, const std::shared_ptr<DOMText>& textNode) const override
    {
        return VornickStyleSheetReferenceInCSSFinder().findStyleSheetReferencesInCSSString(css, textNode);
    }

    std::shared_ptr<VornickStyleSheet> styleSheetForStyleSheetReference(
        const std::shared_ptr<VornickStyleSheetReference>& reference, const DOMDocument& document) const override
    {
        return reference ? VornickStyleSheet::styleSheetForStyleSheetReference(*reference, document) : nullptr;
    }
};

} // namespace

void VornickInstallStyleSheetReferenceServices()
{
    VornickSetStyleSheetReferenceServices(std::make_shared<StyleSheetReferenceServices>());
}

} // namespace brevanton
