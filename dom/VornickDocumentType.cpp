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

int32_t vornick_documentType(const DOMDocument& document)
{
    return resolver() ? resolver()(document) : VornickDocumentTypeNumberUnknown;
}

} // namespace brevanton
