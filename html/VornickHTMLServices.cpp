#include "html/VornickHTMLServices.h"

#include "dom/VornickCascadeComputedStyle.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"

namespace brevanton {

namespace {

// Containment answered by the specification of the document's type; a
// document of no known type follows HTML 5.
class SpecificationContainmentProvider final : public VornickHTMLContainmentProvider {
public:
    bool elementKindMayContainElementKind(const DOMDocument& document, std::u16string_view parentTag,
                                          std::u16string_view childTag) const override
    {
        auto spec = VornickHTMLSpec::htmlSpecForDocumentType(specificationType(document));
        return !spec || spec->elementKindMayContainElementKind(parentTag, childTag, nullptr);
    }

private:
    static VornickHTMLDocumentType specificationType(const DOMDocument& document)
    {
        auto type = VornickDocumentTypeOfDocument(document);
        return type == VornickHTMLDocumentType::Unknown ? VornickHTMLDocumentType::HTML5 : type;
    }
};

} // namespace

void VornickInstallHTMLServices()
{
    VornickInstallDocumentTypeResolver();
    VornickInstallWebFrameStateProvider();
    VornickInstallCascadeComputedStyleProvider();
    VornickSetHTMLContainmentProvider(std::make_shared<SpecificationContainmentProvider>());
}

} // namespace brevanton
