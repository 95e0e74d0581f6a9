// Whole pages from arbitrary bytes: as HTML through our tree builder, and as XHTML
// through libxml2. Either parse must give a tree that writes out.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <cstddef>
#include <cstdint>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto html = DOMDocument::parseHTML(bytes);
    if (auto root = html->documentElement())
        root->outerHTML();
    Error error;
    if (auto xhtml = DOMDocument::parseXML(bytes, {}, &error)) {
        if (auto root = xhtml->documentElement())
            root->outerHTML();
    }
    return 0;
}
