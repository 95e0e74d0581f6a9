// Pages from arbitrary bytes laid out in a narrow view: tables of any shape
// (spans, set widths, nested tables, captions) must give finite boxes, and the
// layout brought up to date after the text of a cell grows must equal one
// made from scratch.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/web/WebLayout.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

namespace {

bool finite(const Rect& rect)
{
    return std::isfinite(rect.minX()) && std::isfinite(rect.minY()) && std::isfinite(rect.width())
        && std::isfinite(rect.height());
}

bool near(const Rect& a, const Rect& b)
{
    auto close = [](double x, double y) { return std::abs(x - y) <= 1e-6 * std::max(1.0, std::abs(x)); };
    return close(a.minX(), b.minX()) && close(a.minY(), b.minY()) && close(a.width(), b.width())
        && close(a.height(), b.height());
}

bool inCell(const DOMNode& node)
{
    for (auto* ancestor = node.parentElement().get(); ancestor; ancestor = ancestor->parentElement().get()) {
        if (ancestor->hasTagName(u"td") || ancestor->hasTagName(u"th"))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto document = DOMDocument::parseHTML(std::string_view(reinterpret_cast<const char*>(data), size));
    WebLayout layout;
    layout.layoutIfNeeded(*document, 300, 1);
    DOMNode* cellText = nullptr;
    for (DOMNode* node = document.get(); node; node = node->traverseNext()) {
        if (!finite(layout.boundingBox(*node)))
            std::abort();
        if (!cellText && node->isTextNode() && inCell(*node))
            cellText = node;
    }
    if (!cellText)
        return 0;
    downcast<DOMCharacterData>(*cellText).appendData(u" and a few more words");
    layout.layoutIfNeeded(*document, 300, 1);
    WebLayout full;
    full.layoutIfNeeded(*document, 300, 1);
    for (DOMNode* node = document.get(); node; node = node->traverseNext()) {
        if (!near(layout.boundingBox(*node), full.boundingBox(*node)))
            std::abort();
    }
    return 0;
}
