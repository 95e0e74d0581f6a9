// The editing view on a large page: loading it to the end of loading (beside
// the parse of the same page alone), a one-character edit to the regenerated,
// coloured and mapped source with its line index (spliced, beside writing the
// whole document), and the memory an open document holds per byte of its file.
#include "HTMLBenchPages.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>

using namespace brevanton;

namespace {

constexpr size_t pageSize = 1024 * 1024;

const std::string& page()
{
    static const std::string text = makeBenchmarkHTMLPage(pageSize);
    return text;
}

const std::string& pagePath()
{
    static const std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-editing-bench.html";
        if (!writeFileAtomically(file, page()))
            std::abort();
        return file;
    }();
    return path;
}

// Tidy's structural check and validation run as processes of their own and
// are left out: the load is measured on its own.
void setUpWithoutTidy()
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
}

std::shared_ptr<VornickContentEditingView> loadedView()
{
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(pagePath()), &error))
        return nullptr;
    return view;
}

void BM_EditingViewLoadToEndOfLoading(benchmark::State& state)
{
    setUpWithoutTidy();
    for (auto _ : state) {
        auto view = loadedView();
        if (!view) {
            state.SkipWithError("the page did not load");
            return;
        }
        benchmark::DoNotOptimize(view.get());
        state.PauseTiming();
        view.reset();
        RunLoop::main().runFor(0.01);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page().size()));
}

void BM_ParseOfTheSamePage(benchmark::State& state)
{
    for (auto _ : state) {
        auto document = parseHTMLDocument(page());
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page().size()));
}

// One character typed into a paragraph in the middle of the page, then the
// regeneration the change cycle's timer runs: the coloured source, its map
// and line index, the source loupe's text and the validation request. With
// `wholeWrite` each edit also sets an attribute of the paragraph to the value
// it has, which leaves the output as it is but makes it more than a change of
// text: the whole document is written, as every edit was before splicing.
// With `readMap` each regeneration is followed by a hit test of the map (as
// a click in the source would make), which moves its offsets first.
void measureOneCharacterEdits(benchmark::State& state, bool wholeWrite, bool readMap = false)
{
    setUpWithoutTidy();
    auto view = loadedView();
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto frame = view->mainFrame();
    auto paragraphs = view->mainFrameDocument()->getElementsByTagName(u"P");
    auto& paragraph = downcast<DOMElement>(*paragraphs->item(paragraphs->length() / 2));
    auto& text = downcast<DOMCharacterData>(*paragraph.lastChild());
    paragraph.setAttribute(u"title", u"edited");
    // The first regeneration after loading writes the whole document; the
    // edits measured follow it.
    text.appendData(u"c");
    view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
    VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    size_t edits = 0;
    for (auto _ : state) {
        text.appendData(edits++ % 2 ? u"a" : u"b");
        if (wholeWrite)
            paragraph.setAttribute(u"title", u"edited");
        view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
        VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
        benchmark::DoNotOptimize(vornick_lineIndexForLastGeneratedHTMLString(*frame).get());
        if (readMap)
            benchmark::DoNotOptimize(vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame)->hitTestPathForRangeLocation(0, nullptr, 1));
    }
    if (!vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame))
        state.SkipWithError("the source was not regenerated");
    else if (VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced == wholeWrite)
        state.SkipWithError(wholeWrite ? "the source was spliced" : "the source was written whole, not spliced");
}

void BM_EditingViewOneCharacterEditToRegeneratedSource(benchmark::State& state)
{
    measureOneCharacterEdits(state, false);
}

void BM_EditingViewOneCharacterEditToRegeneratedSourceAndAMapRead(benchmark::State& state)
{
    measureOneCharacterEdits(state, false, true);
}

void BM_EditingViewOneCharacterEditToRegeneratedSourceByWholeWrite(benchmark::State& state)
{
    measureOneCharacterEdits(state, true);
}

void BM_EditingViewMemoryPerInputByte(benchmark::State& state)
{
    setUpWithoutTidy();
    // The parsed page, not the file's text kept by the benchmark.
    (void)page();
    (void)pagePath();
    double perByte = 0;
    for (auto _ : state) {
        RunLoop::main().runFor(0.05);
        size_t before = mallinfo2().uordblks;
        auto view = loadedView();
        if (!view) {
            state.SkipWithError("the page did not load");
            return;
        }
        // Everything an open document keeps: the source with its colours,
        // map and line index included.
        auto frame = view->mainFrame();
        RunLoop::main().runUntil([&frame] { return vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame); }, 30);
        size_t after = mallinfo2().uordblks;
        perByte = double(after > before ? after - before : 0) / double(page().size());
        view.reset();
    }
    state.counters["bytesPerInputByte"] = perByte;
}

} // namespace

BENCHMARK(BM_EditingViewLoadToEndOfLoading)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ParseOfTheSamePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditingViewOneCharacterEditToRegeneratedSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditingViewOneCharacterEditToRegeneratedSourceAndAMapRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditingViewOneCharacterEditToRegeneratedSourceByWholeWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditingViewMemoryPerInputByte)->Unit(benchmark::kMillisecond)->Iterations(2);
