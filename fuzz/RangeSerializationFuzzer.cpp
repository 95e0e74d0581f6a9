// A range's contents written without cloning must be what its clone writes,
// and its text what the range's own stringifier gives. The first four bytes
// pick the two boundary points among those of the parsed body; the rest is
// the page, as UTF-8.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    auto document = DOMDocument::parseHTML(toUTF16(std::string_view(reinterpret_cast<const char*>(data + 4), size - 4)));
    auto body = document ? document->body() : nullptr;
    if (!body)
        return 0;
    std::vector<std::pair<DOMNode*, unsigned>> points;
    for (DOMNode* node = body.get(); node && points.size() < 100000; node = node->traverseNext(body.get())) {
        for (unsigned offset = 0; offset <= node->length() && offset < 64; ++offset)
            points.emplace_back(node, offset);
    }
    auto& start = points[(data[0] | data[1] << 8) % points.size()];
    auto& end = points[(data[2] | data[3] << 8) % points.size()];
    auto range = document->createRange();
    range->setStart(start.first->shared_from_this(), start.second);
    range->setEnd(end.first->shared_from_this(), end.second);

    std::u16string markup;
    std::u16string text;
    bool written = serializeRangeContentsAsHTML(*range, markup, nullptr, &text);
    auto clone = range->cloneContents();
    if (written != bool(clone))
        std::abort();
    if (!clone)
        return 0;
    std::u16string cloned;
    serializeChildrenAsHTML(*clone, cloned);
    if (markup != cloned || text != range->toString())
        std::abort();
    return 0;
}
