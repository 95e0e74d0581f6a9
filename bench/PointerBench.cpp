// The editing view's pointer work on large pages: what lies under the
// pointer (rangeForPoint, as a click asks it and as the cursor needs it) on
// a 1 MB page right after a DOM mutation, relayout included, and the
// operation-range indicator's path for a range spanning 1,000 blocks.
#include "HTMLBenchPages.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeGeometry.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickDOMRangeIndicator.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace brevanton;

namespace {

std::shared_ptr<VornickContentEditingView> viewOfPage(const std::string& name, const std::string& html)
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    std::string file = temporaryDirectory() + "/" + name;
    if (!writeFileAtomically(file, html))
        std::abort();
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(file), &error))
        return nullptr;
    return view;
}

// A point over the middle paragraph's text, in the view's coordinates,
// after that paragraph was scrolled into view.
Point pointOverText(VornickContentEditingView& view, DOMNode& text)
{
    view.scrollRangeToVerticallyCentered(vornick_outerRange(text));
    auto box = vornick_boundingBoxInView(text, view);
    return Point { box.x + 2, box.y + box.height / 2 };
}

enum class Mutation { Text, Attribute, Tree };

// Each iteration changes the document (the text of the paragraph under the
// pointer, one of its attributes, or the tree: a paragraph after it comes and
// goes) and asks what is under the pointer.
void rangeForPointAfterMutation(benchmark::State& state, unsigned options, Mutation mutation)
{
    auto view = viewOfPage("brevanton-pointer-bench.html", makeBenchmarkHTMLPage(1024 * 1024));
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto paragraphs = view->mainFrameDocument()->getElementsByTagName(u"P");
    auto& paragraph = downcast<DOMElement>(*paragraphs->item(paragraphs->length() / 2));
    auto& text = downcast<DOMCharacterData>(*paragraph.firstChild());
    Point point = pointOverText(*view, text);
    auto inserted = view->mainFrameDocument()->createElement(u"p");
    inserted->appendChild(view->mainFrameDocument()->createTextNode(u"A paragraph that comes and goes."));
    size_t edits = 0;
    for (auto _ : state) {
        switch (mutation) {
        case Mutation::Text:
            text.appendData(edits++ % 2 ? u"a" : u"b");
            break;
        case Mutation::Attribute:
            paragraph.setAttribute(u"title", edits++ % 2 ? u"a" : u"b");
            break;
        case Mutation::Tree:
            if (edits++ % 2)
                inserted->parent()->removeChild(inserted.get());
            else
                paragraph.parent()->insertBefore(inserted, paragraph.nextSibling());
            break;
        }
        VornickHitPartKind kind = VornickHitPartKind::Content;
        benchmark::DoNotOptimize(VornickContentEditingViewTestPeer::rangeForPoint(*view, point, options, &kind));
    }
}

void BM_RangeForPointAfterTextEdit_Cursor(benchmark::State& state) { rangeForPointAfterMutation(state, 0, Mutation::Text); }
void BM_RangeForPointAfterTextEdit_Click(benchmark::State& state) { rangeForPointAfterMutation(state, 15, Mutation::Text); }
void BM_RangeForPointAfterAttributeChange_Click(benchmark::State& state)
{
    rangeForPointAfterMutation(state, 15, Mutation::Attribute);
}
void BM_RangeForPointAfterInsertionOrRemoval_Click(benchmark::State& state)
{
    rangeForPointAfterMutation(state, 15, Mutation::Tree);
}
BENCHMARK(BM_RangeForPointAfterTextEdit_Cursor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RangeForPointAfterTextEdit_Click)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RangeForPointAfterAttributeChange_Click)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RangeForPointAfterInsertionOrRemoval_Click)->Unit(benchmark::kMillisecond);

void BM_OverlayIndicatorPathFor1000Blocks(benchmark::State& state)
{
    std::string html = "<!DOCTYPE html><html><body><div id=\"range\">";
    for (int i = 0; i < 1000; ++i)
        html += "<p>Block " + std::to_string(i) + " of the range</p>";
    html += "</div></body></html>";
    auto view = viewOfPage("brevanton-indicator-bench.html", html);
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto container = view->mainFrameDocument()->getElementById(u"range");
    auto range = view->mainFrameDocument()->createRange();
    range->setStart(container, 0);
    range->setEnd(container, container->childCount());
    VornickContentOverlayViewDOMRangeIndicator indicator;
    indicator.setContentEditingView(view);
    indicator.setDOMNodeBoundsGetter([view](const DOMNode& node) {
        auto box = vornick_boundingBoxInView(node, *view);
        return Rect(box.x, box.y, box.width, box.height);
    });
    for (auto _ : state) {
        indicator.setDOMRange(range);
        benchmark::DoNotOptimize(indicator.bounds());
    }
}
BENCHMARK(BM_OverlayIndicatorPathFor1000Blocks)->Unit(benchmark::kMillisecond);

} // namespace
