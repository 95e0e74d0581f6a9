#include "toolkit/VornickResourceFileKinds.h"

#include "platform/foundation/TypeIdentifiers.h"

namespace brevanton {

const std::set<std::u16string, std::less<>>& VornickKnownResourceFileKinds()
{
    static const std::set<std::u16string, std::less<>> kinds { u"image", u"video", u"audio", u"other" };
    return kinds;
}

std::optional<std::u16string> VornickUTIForResourceFileKind(std::u16string_view kind)
{
    if (kind == u"image")
        return std::u16string(TypeIdentifier::Image);
    if (kind == u"video")
        return std::u16string(TypeIdentifier::Movie);
    if (kind == u"audio")
        return std::u16string(TypeIdentifier::Audio);
    return std::nullopt;
}

std::u16string VornickResourceFileKindForUTI(std::u16string_view typeIdentifier)
{
    if (typeIdentifierConformsTo(typeIdentifier, TypeIdentifier::Image))
        return u"image";
    if (typeIdentifierConformsTo(typeIdentifier, TypeIdentifier::Movie))
        return u"video";
    if (typeIdentifierConformsTo(typeIdentifier, TypeIdentifier::Audio))
        return u"audio";
    return u"other";
}

} // namespace brevanton
