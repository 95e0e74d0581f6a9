// Editable block content: the input is a block snippet's markup (UTF-8). The
// identifier must not fail on it; every type it names is a lower-case tag
// name that occurs in the markup, and an identifier reused for a second
// string keeps what the first one named.
#include "html/VornickWordPressEditableBlockContentElementsIdentifier.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto markup = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    auto types = VornickWordPressEditableBlockContentElementsIdentifier::editableContentElementTypesInBlockHTMLString(markup);
    auto lowerMarkup = asciiLowercase(markup);
    for (const auto& type : types) {
        if (type.empty() || type != asciiLowercase(type) || lowerMarkup.find(u"<" + type) == std::u16string::npos)
            std::abort();
    }

    VornickWordPressEditableBlockContentElementsIdentifier reused;
    (void)reused.parseHTMLString(markup.substr(0, markup.size() / 2));
    auto both = reused.parseHTMLString(markup.substr(markup.size() / 2));
    auto first = VornickWordPressEditableBlockContentElementsIdentifier::editableContentElementTypesInBlockHTMLString(markup.substr(0, markup.size() / 2));
    for (const auto& type : first) {
        if (!both.contains(type))
            std::abort();
    }
    return 0;
}
