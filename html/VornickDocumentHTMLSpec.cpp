#include "html/VornickDocumentHTMLSpec.h"

#include "dom/VornickDocumentType.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>

namespace brevanton {

namespace {

std::shared_ptr<VornickHTMLSpec> sharedSpecForDocType(const DOMDocumentType* doctype)
{
    // A document without a doctype names no specification (an empty public
    // identifier would otherwise find HTML 5).
    if (!doctype)
        return nullptr;
    if (auto spec = VornickHTMLSpec::htmlSpecForPublicId(doctype->publicId()))
        return spec;
    return VornickHTMLSpec::htmlSpecForSystemId(doctype->systemId());
}

} // namespace

VornickHTMLDocumentType VornickDefaultHTMLDocumentType()
{
    return VornickDefaultHTMLDocumentType(UserDefaults::standard());
}

VornickHTMLDocumentType VornickDefaultHTMLDocumentType(const UserDefaults& defaults)
{
    Value value = defaults.objectForKey(VornickDefaultHTMLDocumentTypeDefaultsKey);
    // A choice is stored by its name; the registered value is a number.
    if (value.isString()) {
        if (auto named = VornickHTMLDocumentTypeFromPersistableString(value.string()); named != VornickHTMLDocumentType::Unknown)
            return named;
    }
    int64_t stored = defaults.integerForKey(VornickDefaultHTMLDocumentTypeDefaultsKey);
    auto known = std::find_if(std::begin(VornickEveryHTMLDocumentType), std::end(VornickEveryHTMLDocumentType),
                              [&](VornickHTMLDocumentType type) { return static_cast<int64_t>(type) == stored; });
    return known != std::end(VornickEveryHTMLDocumentType) ? *known : VornickHTMLDocumentType::HTML5;
}

std::shared_ptr<VornickHTMLSpec> vornick_htmlSpecForDocType(const DOMDocument& document)
{
    auto doctype = document.doctype();
    if (!doctype) {
        if (auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickDefaultHTMLDocumentType()))
            return spec;
    }
    if (auto spec = sharedSpecForDocType(doctype.get()))
        return spec;
    auto unknown = std::make_shared<VornickHTMLSpec>();
    unknown->setDocumentType(VornickHTMLDocumentType::Unknown);
    if (doctype) {
        unknown->setPublicId(doctype->publicId());
        unknown->setSystemId(doctype->systemId());
    }
    return unknown;
}

VornickHTMLDocumentType VornickDocumentTypeOfDocument(const DOMDocument& document)
{
    auto doctype = document.doctype();
    auto spec = sharedSpecForDocType(doctype.get());
    return spec ? spec->documentType() : VornickHTMLDocumentType::Unknown;
}

VornickHTMLDocumentType VornickEditingDocumentTypeOfDocument(const DOMDocument& document)
{
    return document.doctype() ? VornickDocumentTypeOfDocument(document) : VornickDefaultHTMLDocumentType();
}

void VornickInstallDocumentTypeResolver()
{
    VornickSetDocumentTypeResolver(&VornickDocumentTypeOfDocument);
}

} // namespace brevanton
