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

bool inRange(VornickHTMLDocumentType type)
{
    return type >= VornickHTMLDocumentType::Unknown && type <= VornickHTMLDocumentType::HTML5;
}

const DocumentTypeInfo& info(VornickHTMLDocumentType type) { return documentTypes[static_cast<size_t>(type)]; }

} // namespace

std::u16string VornickHTMLDocumentTypeToPersistableString(VornickHTMLDocumentType type)
{
    BREVANTON_ASSERT(inRange(type), "Unknown document type");
    return info(type).name;
}

VornickHTMLDocumentType VornickHTMLDocumentTypeFromPersistableString(std::u16string_view name)
{
    for (auto type : VornickEveryHTMLDocumentType) {
        if (name == info(type).name)
            return type;
    }
    return VornickHTMLDocumentType::Unknown;
}

std::u16string VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType type)
{
    BREVANTON_ASSERT(type != VornickHTMLDocumentType::Unknown && inRange(type),
                     "documentType >= VornickFirstHTMLDocumentType && documentType <= VornickLastHTMLDocumentType");
    if (type == VornickHTMLDocumentType::HTML5)
        return u"<!DOCTYPE html>";
    std::u16string declaration = VornickHTMLDocumentTypeIsXHTML(type) ? u"<!DOCTYPE html PUBLIC \"" : u"<!DOCTYPE HTML PUBLIC \"";
    declaration += info(type).publicId;
    declaration += u"\" \"";
    declaration += info(type).systemId;
    declaration += u"\">";
    return declaration;
}

std::u16string VornickHTMLDocumentTypePublicId(VornickHTMLDocumentType type)
{
    return inRange(type) ? info(type).publicId : u"";
}

std::u16string VornickHTMLDocumentTypeSystemId(VornickHTMLDocumentType type)
{
    return inRange(type) ? info(type).systemId : u"";
}

VornickHTMLDocumentType VornickHTMLDocumentTypeForPublicId(std::u16string_view publicId)
{
    std::u16string upper = asciiUppercase(publicId);
    auto hasPrefix = [&](std::u16string_view prefix) { return upper.starts_with(prefix); };
    if (hasPrefix(u"-//W3C//DTD HTML 4.01 TRANSITIONAL") || hasPrefix(u"-//W3C//DTD HTML 4.0 TRANSITIONAL"))
        return VornickHTMLDocumentType::HTML401Transitional;
    if (hasPrefix(u"-//W3C//DTD HTML 4.01 FRAMESET") || hasPrefix(u"-//W3C//DTD HTML 4.0 FRAMESET"))
        return VornickHTMLDocumentType::HTML401Frameset;
    if (hasPrefix(u"-//W3C//DTD HTML 4.0"))
        return VornickHTMLDocumentType::HTML401Strict;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.1"))
        return VornickHTMLDocumentType::XHTML11;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 TRANSITIONAL"))
        return VornickHTMLDocumentType::XHTML10Transitional;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 STRICT"))
        return VornickHTMLDocumentType::XHTML10Strict;
    if (hasPrefix(u"-//W3C//DTD XHTML 1.0 FRAMESET"))
        return VornickHTMLDocumentType::XHTML10Frameset;
    return VornickHTMLDocumentType::HTML5;
}

} // namespace brevanton
