#include "dom/VornickNodeGeometry.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/web/WebView.h"

namespace brevanton {

VornickRect vornick_boundingBoxInView(const DOMNode& node, const View& view)
{
    auto* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    if (!document)
        return {};
    auto webView = WebView::webViewForDocument(*document);
    if (!webView)
        return {};
    Rect box = webView->boundingBox(node);
    auto frame = webView->frameForNode(node);
    if (!frame || (box.width() <= 0 && box.height() <= 0))
        return {};
    Rect converted = frame->frameView()->documentView()->convertRectToView(box, &view);
    return { converted.minX(), converted.minY(), converted.width(), converted.height() };
}

VornickNodeBoundsGetter VornickNodeBoundsGetterForView(const View& view)
{
    return [&view](const DOMNode& node) { return vornick_boundingBoxInView(node, view); };
}

} // namespace brevanton
