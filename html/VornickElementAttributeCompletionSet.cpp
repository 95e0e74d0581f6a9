#include "html/VornickElementAttributeCompletionSet.h"

#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLAttributeSpec.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

namespace brevanton {

VornickCompletionSet vornick_attributeCompletionSet(const DOMElement& element)
{
    VornickCompletionSet set;
    auto document = element.ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    if (spec) {
        for (const auto& attribute : spec->globalAttributeSpecs()) {
            if (attribute && !attribute->name().empty())
                set.addCompletionString(attribute->name(), attribute);
        }
        if (auto elementSpec = spec->elementSpecForTagName(element.localName())) {
            for (const auto& attribute : elementSpec->allowedAttributeSpecs()) {
                if (attribute && !attribute->name().empty())
                    set.addCompletionString(attribute->name(), attribute);
            }
        }
    }
    for (const auto& attribute : element.attributeList()) {
        std::u16string name = attribute.name;
        for (auto& c : name) {
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + 32);
        }
        if (!name.empty() && !set.objectForCompletionString(name).has_value())
            set.addCompletionString(name, name);
    }
    return set;
}

} // namespace brevanton
