#include "html/VornickDocumentHTMLSpec.h"

#include "dom/VornickDocumentType.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"

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

std::shared_ptr<VornickHTMLSpec> vornick_htmlSpecForDocType(const DOMDocument& document)
{
    auto doctype = document.doctype();
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

void VornickInstallDocumentTypeResolver()
{
    VornickSetDocumentTypeResolver(&VornickDocumentTypeOfDocument);
}

} // namespace brevanton
