// Parse, write through the HTML writer, parse the written page again and
// write it once more: no step may fail on what the one before produced. The
// coloured output and the search text are written too, and every text
// node's range is mapped to them and back through their range maps.
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "toolkit/VornickNewlineConvention.h"

#include <cstddef>
#include <cstdint>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool installed = (VornickInstallHTMLServices(), true);
    (void)installed;
    static VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                                    VornickNewlineConvention::LF);
    auto document = DOMDocument::parseHTML(std::string_view(reinterpret_cast<const char*>(data), size), "UTF-8");
    auto written = writer.htmlStringFromDocument(*document);
    auto reparsed = DOMDocument::parseHTML(std::u16string_view(written));
    writer.htmlStringFromDocument(*reparsed);
    for (bool forSearch : { false, true }) {
        writer.writeAttributedStringFromDocument(*document, forSearch, [&](auto string, auto map) {
            if (!string || !map)
                return;
            const std::u16string* mapped = forSearch ? nullptr : &string->string();
            unsigned mappedNodes = 0;
            for (DOMNode* node = document.get(); node && mappedNodes < 64; node = node->traverseNext()) {
                if (!node->isTextNode())
                    continue;
                ++mappedNodes;
                auto range = document->createRange();
                range->setStart(node->shared_from_this(), 0);
                range->setEnd(node->shared_from_this(), node->length());
                VornickRange found = map->rangeForDOMRange(*range, mapped);
                if (found.location != VornickNotFound && found.location + found.length <= string->length())
                    map->domRangeForRange(found, mapped, *document);
            }
        });
    }
    return 0;
}
