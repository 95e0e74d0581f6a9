// Resolving the resource references a document holds (an IMG's "src", a
// LINK's "href", ...) to the URLs of the files they name.
#pragma once

#include "platform/foundation/URL.h"

#include <optional>
#include <string_view>

namespace brevanton {

class DOMDocument;

// A reference with a scheme is taken as it stands; any other one, including a
// root-relative ("/img/a.png") or scheme-relative ("//host/a.png") one, is
// resolved against the document's base directory. Nothing when the reference
// is not a URL, or is relative and the document has no base.
std::optional<URL> vornick_resolveResourceFileReference(const DOMDocument&, std::u16string_view reference);

} // namespace brevanton
