#include "dom/VornickDocumentResourceReferences.h"

#include "dom/VornickDocumentExtensions.h"
#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

std::optional<URL> vornick_resolveResourceFileReference(const DOMDocument& document, std::u16string_view reference)
{
    auto url = URL::create(reference);
    if (!url)
        return std::nullopt;
    if (vornick_appearsToBeAbsolute(*url))
        return url;
    auto base = vornick_baseDirectoryURLForResourceFileResolution(document);
    if (!base)
        return std::nullopt;
    // The base directory has no trailing slash; resolving against it as it
    // stands would drop its last folder.
    URL folder = base->hasDirectoryPath() ? *base : base->URLByAppendingPathComponent(u"", true);
    auto resolved = URL::create(reference, &folder);
    if (!resolved)
        return std::nullopt;
    return resolved->absoluteURL();
}

} // namespace brevanton
