#include "html/VornickHTMLServices.h"

#include "dom/VornickCascadeComputedStyle.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"

namespace brevanton {

namespace {

// Containment answered by the specification the document is edited with; a
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
        auto type = VornickEditingDocumentTypeOfDocument(document);
        return type == VornickHTMLDocumentType::Unknown ? VornickHTMLDocumentType::HTML5 : type;
    }
};

// Required attributes answered by the specification's element entries.
class SpecificationElementSpecProvider final : public VornickHTMLElementSpecProvider {
public:
    std::vector<std::u16string> requiredAttributeNames(const VornickHTMLSpec& spec,
                                                        std::u16string_view tagName) const override
    {
        auto elementSpec = spec.elementSpecForTagName(tagName);
        return elementSpec ? elementSpec->requiredAttributeNamesArray() : std::vector<std::u16string>();
    }
};

} // namespace

void VornickInstallHTMLServices()
{
    VornickInstallDocumentTypeResolver();
    VornickInstallWebFrameStateProvider();
    VornickInstallCascadeComputedStyleProvider();
    VornickSetHTMLContainmentProvider(std::make_shared<SpecificationContainmentProvider>());
    VornickSetHTMLElementSpecProvider(std::make_shared<SpecificationElementSpecProvider>());
}

} // namespace brevanton
