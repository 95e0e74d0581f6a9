// The syntax painter and mapper of loaded source: the input is a page's text
// (UTF-8), read as HTML or, when its first byte is odd, as the source of an
// XML document. The painting must cover every character exactly once, in
// order, and the map must close every node it opens inside the document and
// stay within the text.
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool xml = data[0] & 1;
    std::u16string source = toUTF16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    static auto xmlDocument = DOMDocument::create(DOMDocument::Kind::XML);
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(source, xml ? xmlDocument.get() : nullptr, nullptr, true, [&](auto painted, auto map) {
        if (!painted || !map || painted->string() != source)
            std::abort();
        size_t covered = 0;
        for (const auto& run : painted->runs()) {
            if (run.location != covered || run.length == 0)
                std::abort();
            covered += run.length;
        }
        // Only the document itself stays open, and nothing reaches past the text.
        if (covered != source.size() || map->openNodeCount() != 1 || map->rootNode().endOffset() > source.size())
            std::abort();
    });
    return 0;
}
