#include "html/VornickHTMLDocumentType.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

struct DocumentTypeInfo {
    const char16_t* name;
    const char16_t* publicId;
    const char16_t* systemId;
};

const DocumentTypeInfo documentTypes[] = {
    { u"Unknown", u"", u"" },
    { u"HTML 4.01 Transitional", u"-//W3C//DTD HTML 4.01 Transitional//EN", u"http://www.w3.org/TR/html4/loose.dtd" },
    { u"HTML 4.01 Strict", u"-//W3C//DTD HTML 4.01//EN", u"http://www.w3.org/TR/html4/strict.dtd" },
    { u"HTML 4.01 Frameset", u"-//W3C//DTD HTML 4.01 Frameset//EN", u"http://www.w3.org/TR/html4/frameset.dtd" },
    { u"XHTML 1.0 Transitional", u"-//W3C//DTD XHTML 1.0 Transitional//EN",
      u"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd" },
    { u"XHTML 1.0 Strict", u"-//W3C//DTD XHTML 1.0 Strict//EN", u"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd" },
    { u"XHTML 1.0 Frameset", u"-//W3C//DTD XHTML 1.0 Frameset//EN",
      u"http://www.w3.org/TR/xhtml1/DTD/xhtml1-frameset.dtd" },
    { u"XHTML 1.1", u"-//W3C//DTD XHTML 1.1//EN", u"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd" },
    { u"HTML 5", u"", u"" },
};

bool inRange(VornickHTMLDocumentType type) { return type >= 0 && type <= VornickLastHTMLDocumentType; }

} // namespace

std::u16string VornickHTMLDocumentTypeToPersistableString(VornickHTMLDocumentType type)
{
    BREVANTON_ASSERT(type >= 0 && type <= VornickLastHTMLDocumentType, "Unknown document type");
    return documentTypes[type].name;
}

VornickHTMLDocumentType VornickHTMLDocumentTypeFromPersistableString(std::u16string_view name)
{
    for (VornickHTMLDocumentType type = VornickLastHTMLDocumentType; type >= VornickFirstHTMLDocumentType; --type) {
        if (name == documentTypes[type].name)
            return type;
    }
    return VornickHTMLDocumentTypeUnknown;
}

std::u16string VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType type)
{
    BREVANTON_ASSERT(type >= VornickFirstHTMLDocumentType && type <= VornickLastHTMLDocumentType,
                     "documentType >= VornickFirstHTMLDocumentType && documentType <= VornickLastHTMLDocumentType");
    if (type == VornickHTMLDocumentTypeHTML5)
        return u"<!DOCTYPE html>";
    std::u16string declaration = VornickHTMLDocumentTypeIsXHTML(type) ? u"<!DOCTYPE html PUBLIC \"" : u"<!DOCTYPE HTML PUBLIC \"";
    declaration += documentTypes[type].publicId;
    declaration += u"\" \"";
    declaration += documentTypes[type].systemId;
    declaration += u"\">";
    return declaration;
}

std::u16string VornickHTMLDocumentTypePublicId(VornickHTMLDocumentType type)
{
    return inRange(type) ? documentTypes[type].publicId : u"";
}

std::u16string VornickHTMLDocumentTypeSystemId(VornickHTMLDocumentType type)
{
    return inRange(type) ? documentTypes[type].systemId : u"";
}

VornickHTMLDocumentType VornickHTMLDocumentTypeForPublicId(std::u16string_view publicId)
{
    std::u16string upper = asciiUppercase(publicId);
    auto hasPrefix = [&](std::u16string_view prefix) { return upper.starts_with(prefix); };
    if (hasPrefix(u"-//W3C//DTD HTML 4.01 TRANSITIONAL") || hasPrefix(u"-//W3C//DTD HTML 4.0 TRANSITIONAL"))
        return VornickHTMLDocumentTypeHTML401Transitional;
    if (hasPrefix(u"-//W3C//DTD HTML 4.01 FRAMESET") || hasPrefix(u"-//W3C//DTD HTML 4.0 FRAMESET"))
        return VornickHTMLDocumentTypeHTML401Frameset;
    if (hasPrefix(u"-//W3C//DTD HTML 4.0"))
        return VornickHTMLDocumentTypeHTML401Strict;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.1"))
        return VornickHTMLDocumentTypeXHTML11;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 TRANSITIONAL"))
        return VornickHTMLDocumentTypeXHTML10Transitional;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 STRICT"))
        return VornickHTMLDocumentTypeXHTML10Strict;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 FRAMESET"))
        return VornickHTMLDocumentTypeXHTML10Frameset;
    return VornickHTMLDocumentTypeHTML5;
}

} // namespace brevanton
