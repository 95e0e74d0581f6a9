// One object read from a pasteboard for a drop or a paste: a URL, a URL with
// its title, a fragment made from web archive data, or plain text.
#pragma once

#include "app/VornickTitledURL.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <string>
#include <variant>

namespace brevanton {

class DOMDocumentFragment;

struct VornickPasteboardObject {
    std::variant<URL, VornickTitledURL, std::shared_ptr<DOMDocumentFragment>, std::u16string> value;
};

} // namespace brevanton
