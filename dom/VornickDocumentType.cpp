#include "dom/VornickDocumentType.h"

namespace brevanton {

namespace {

VornickDocumentTypeResolver& resolver()
{
    static VornickDocumentTypeResolver installed = nullptr;
    return installed;
}

} // namespace

void VornickSetDocumentTypeResolver(VornickDocumentTypeResolver newResolver)
{
    resolver() = newResolver;
}

VornickHTMLDocumentType vornick_documentType(const DOMDocument& document)
{
    return resolver() ? resolver()(document) : VornickHTMLDocumentType::Unknown;
}

} // namespace brevanton
