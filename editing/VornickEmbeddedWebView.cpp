#include "editing/VornickEmbeddedWebView.h"

#include "editing/VornickContentEditingView.h"
#include "dom/VornickNodeGeometry.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/ClipView.h"
#include "platform/web/WebFrameView.h"
#include "views/VornickViewExtensions.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

Rect toRect(const VornickRect& rect) { return Rect(rect.x, rect.y, rect.width, rect.height); }

// The strip of a container's edge nearest to the content beside it: one
// point high, as wide as the container.
VornickRect edgeStrip(const VornickRect& container, double y)
{
    return { container.x, y, container.width, 1 };
}

} // namespace

std::shared_ptr<VornickEmbeddedWebView> VornickEmbeddedWebView::create(Rect frame)
{
    auto view = std::make_shared<VornickEmbeddedWebView>(frame);
    finishCreation(view);
    return view;
}

VornickEmbeddedWebView::VornickEmbeddedWebView(Rect frame)
    : WebView(frame)
{
}

VornickEmbeddedWebView::~VornickEmbeddedWebView()
{
    m_clipViewObservations.clear();
    if (m_stashedSelectedDOMRange)
        m_stashedSelectedDOMRange->detach();
}

std::shared_ptr<VornickContentEditingView> VornickEmbeddedWebView::vornick_contentEditingView() const
{
    return vornick_enclosingViewOfKind<VornickContentEditingView>(*this);
}

void VornickEmbeddedWebView::vornick_stashSelectedDOMRange()
{
    if (m_stashedSelectedDOMRange)
        m_stashedSelectedDOMRange->detach();
    m_stashedSelectedDOMRange.reset();
    auto editingView = vornick_contentEditingView();
    if (editingView && editingView->targetRange())
        return;
    if (auto selection = selectedDOMRange())
        m_stashedSelectedDOMRange = selection->cloneRange();
}

void VornickEmbeddedWebView::vornick_restoreSelectedDOMRange()
{
    auto editingView = vornick_contentEditingView();
    if (editingView && editingView->targetRange())
        editingView->updateWebViewSelectedDOMRangeForTargetRange();
    else
        setSelectedDOMRange(m_stashedSelectedDOMRange, WebSelectionAffinityDownstream);
    if (m_stashedSelectedDOMRange)
        m_stashedSelectedDOMRange->detach();
    m_stashedSelectedDOMRange.reset();
}

void VornickEmbeddedWebView::setSelectedDOMRange(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity affinity)
{
    if (auto editingView = vornick_contentEditingView())
        editingView->embeddedWebViewWillSetSelectedDOMRange(range, affinity);
    WebView::setSelectedDOMRange(range, affinity);
}

Rect VornickEmbeddedWebView::vornick_bestGuessBoundsOfRange(const DOMRange& range)
{
    return vornick_bestGuessBoundsOfRangeInDocumentView(range, *this);
}

Rect VornickEmbeddedWebView::vornick_bestGuessBoundsOfRangeInDocumentView(const DOMRange& range, const View& view)
{
    layoutIfNeeded();
    auto boundsGetter = [&view](const DOMNode& node) { return vornick_boundingBoxInView(node, view); };
    auto gapFinder = [&view](const VornickRect& proposed, const DOMNode& container, VornickRectEdge edge) -> VornickRect {
        if (edge != VornickRectEdge::MinY && edge != VornickRectEdge::MaxY)
            return proposed;
        VornickRect box = vornick_boundingBoxInView(container, view);
        double y = 0;
        if (edge == VornickRectEdge::MaxY)
            y = std::max(box.maxY() - 1, proposed.maxY());
        else
            y = box.y + 1 <= proposed.y ? box.y : proposed.y - 1;
        return edgeStrip(box, y);
    };
    return toRect(vornick_boundingBoxBestGuess(range, boundsGetter, gapFinder, view.isFlipped()));
}

Rect VornickEmbeddedWebView::vornick_bestGuessBoundsOfSiblings(const DOMNode& first, const DOMNode& last)
{
    layoutIfNeeded();
    return toRect(vornick_boundingBoxBestGuessOfSiblings(first, last, [this](const DOMNode& node) { return vornick_boundingBoxInView(node, *this); }));
}

Rect VornickEmbeddedWebView::vornick_bestGuessBoundsOfRangeForScrollTarget(const DOMRange& range, const View& documentView)
{
    auto start = range.startContainer();
    if (start && start == range.endContainer() && start->nodeType() == DOMNode::TEXT_NODE) {
        auto lines = lineBoxRects(*start);
        size_t length = downcast<DOMCharacterData>(*start).length();
        // An empty text node has no place along its lines to aim at.
        if (!lines.empty() && length > 0) {
            size_t count = lines.size();
            auto index = static_cast<size_t>(std::floor(double(range.endOffset()) / double(length) * double(count - 1)));
            return lines[std::min(index, count - 1)];
        }
    }
    return vornick_bestGuessBoundsOfRangeInDocumentView(range, documentView);
}

void VornickEmbeddedWebView::scrollRange(const DOMRange& range, bool centered)
{
    auto start = range.startContainer();
    if (!start)
        return;
    auto document = start->ownerDocument();
    if (!document && start->nodeType() == DOMNode::DOCUMENT_NODE)
        document = downcast<DOMDocument>(start);
    if (!document)
        return;
    auto frame = mainFrame() ? mainFrame()->frameForDocument(*document) : nullptr;
    if (!frame || !frame->frameView() || !frame->frameView()->documentView())
        return;
    auto& documentView = *frame->frameView()->documentView();
    Rect target = vornick_bestGuessBoundsOfRangeForScrollTarget(range, documentView);
    if (target.isEmpty() && target.width() <= 0 && target.height() <= 0)
        return;
    if (centered)
        vornick_scrollRectToVerticallyCentered(documentView, target);
    else
        documentView.scrollRectToVisible(target);
}

void VornickEmbeddedWebView::vornick_scrollRangeToVisible(const DOMRange& range) { scrollRange(range, false); }
void VornickEmbeddedWebView::vornick_scrollRangeToVerticallyCentered(const DOMRange& range) { scrollRange(range, true); }

void VornickEmbeddedWebView::vornick_latchOntoClipViewsInSubtree(View& subtree)
{
    vornick_enumerateViewTreeUsingBlock(subtree, [this](const std::shared_ptr<View>& view, bool&) {
        auto* clipView = dynamic_cast<ClipView*>(view.get());
        if (!clipView || m_clipViewObservations.count(clipView))
            return;
        clipView->setPostsBoundsChangedNotifications(true);
        m_clipViewObservations[clipView] = NotificationCenter::defaultCenter().addObserver(
            View::BoundsDidChangeNotification, clipView, nullptr, [this](const Notification&) { vornick_descendantClipViewBoundsChanged(); });
    });
}

void VornickEmbeddedWebView::vornick_letGoOfClipViewsInSubtree(View& subtree)
{
    vornick_enumerateViewTreeUsingBlock(subtree, [this](const std::shared_ptr<View>& view, bool&) {
        m_clipViewObservations.erase(dynamic_cast<ClipView*>(view.get()));
    });
}

void VornickEmbeddedWebView::vornick_descendantClipViewBoundsChanged()
{
    if (auto editingView = vornick_contentEditingView())
        editingView->embeddedWebViewScrolled();
}

void VornickEmbeddedWebView::didAddSubview(View& subview)
{
    WebView::didAddSubview(subview);
    vornick_latchOntoClipViewsInSubtree(subview);
}

void VornickEmbeddedWebView::willRemoveSubview(View& subview)
{
    vornick_letGoOfClipViewsInSubtree(subview);
    WebView::willRemoveSubview(subview);
}

// --- Drops

DragOperation VornickEmbeddedWebView::draggingEntered(const DraggingInfo& info)
{
    auto view = vornick_contentEditingView();
    return view ? view->updateProposedDrop(info) : DragOperations::None;
}

DragOperation VornickEmbeddedWebView::draggingUpdated(const DraggingInfo& info)
{
    return draggingEntered(info);
}

bool VornickEmbeddedWebView::performDragOperation(const DraggingInfo& info)
{
    auto view = vornick_contentEditingView();
    return view && view->performProposedDrop(info);
}

void VornickEmbeddedWebView::draggingEnded(const DraggingInfo& info)
{
    if (auto view = vornick_contentEditingView())
        view->endProposedDrop(info);
}

} // namespace brevanton
