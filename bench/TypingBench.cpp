// Typing on a large page: one keystroke from the editing delegate's refusal
// to the end of its deferred insertion (the text replacement, the typing run
// and the change-cycle epilogue; the regeneration timer never fires), with a
// thousand live ranges registered with the document; and a long burst of
// single-character edits, to show that editing registers no live range it
// does not give back.
#include "HTMLBenchPages.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
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
#include "platform/foundation/UndoManager.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

using namespace brevanton;

namespace {

// A page of about `size` bytes in a file of its own.
std::string typingPagePath(size_t size)
{
    std::string file = temporaryDirectory() + "/brevanton-typing-bench-" + std::to_string(size) + ".html";
    if (!writeFileAtomically(file, makeBenchmarkHTMLPage(size)))
        std::abort();
    return file;
}

std::shared_ptr<VornickContentEditingView> loadedTypingView(size_t size)
{
    VornickInstallHTMLServices();
    // Tidy's structural check runs as a process of its own; it is no part of typing.
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(typingPagePath(size)), &error))
        return nullptr;
    return view;
}

// The text nodes of the page's paragraphs that hold text.
std::vector<std::shared_ptr<DOMNode>> paragraphTextNodes(DOMDocument& document)
{
    std::vector<std::shared_ptr<DOMNode>> nodes;
    auto paragraphs = document.getElementsByTagName(u"P");
    for (unsigned i = 0; i < paragraphs->length(); ++i) {
        auto text = paragraphs->item(i)->firstChild();
        if (text && text->isTextNode() && text->length() > 4)
            nodes.push_back(text);
    }
    return nodes;
}

std::shared_ptr<DOMRange> caretAt(DOMDocument& document, const std::shared_ptr<DOMNode>& node, unsigned offset)
{
    auto range = document.createRange();
    range->setStart(node, offset);
    range->setEnd(node, offset);
    return range;
}

// Ranges held elsewhere (the selection, indicators, frozen work), spread
// over the page's paragraphs; every edit updates those in the node it changes.
std::vector<std::shared_ptr<DOMRange>> liveRangesOverParagraphs(DOMDocument& document, const std::vector<std::shared_ptr<DOMNode>>& nodes)
{
    std::mt19937 random(3);
    std::vector<std::shared_ptr<DOMRange>> liveRanges;
    for (int i = 0; i < 1000; ++i) {
        auto& node = nodes[random() % nodes.size()];
        liveRanges.push_back(caretAt(document, node, static_cast<unsigned>(random() % node->length())));
    }
    return liveRanges;
}

constexpr int singleCharacterEdits = 10000;

// One keystroke as the web view delivers it, and the turn that performs it.
void typeCharacter(VornickContentEditingView& view, const std::u16string& character)
{
    auto& webView = *view.embeddedWebView();
    auto selection = view.effectiveOperationRange();
    (void)view.shouldInsertText(webView, character, selection.get(), WebViewInsertActionTyped);
    RunLoop::main().runOnce(0);
}

void BM_KeystrokeOnAOneMegabytePageWithAThousandLiveRanges(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto view = loadedTypingView(1024 * 1024);
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto document = view->mainFrameDocument();
    auto nodes = paragraphTextNodes(*document);
    if (nodes.size() < 10) {
        state.SkipWithError("the page has too few paragraphs");
        return;
    }
    auto liveRanges = liveRangesOverParagraphs(*document, nodes);
    auto& target = nodes[nodes.size() / 2];
    view->setTargetRange(caretAt(*document, target, target->length() / 2));
    RunLoop::main().runOnce(0);
    size_t rangesBefore = document->ranges().size();
    size_t typed = 0;
    for (auto _ : state)
        typeCharacter(*view, typed++ % 2 ? u"a" : u"b");
    state.counters["registeredRanges"] = static_cast<double>(document->ranges().size());
    state.counters["registeredRangesBefore"] = static_cast<double>(rangesBefore);
    if (VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view) == false)
        state.SkipWithError("the edits scheduled no regeneration");
    view.reset();
    RunLoop::main().useRealClock();
}

// The peer: the same character put into the same text node by a bare DOM
// call, with the same live ranges to update.
void BM_KeystrokePeerBareTextNodeInsertion(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto view = loadedTypingView(1024 * 1024);
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto document = view->mainFrameDocument();
    auto nodes = paragraphTextNodes(*document);
    auto liveRanges = liveRangesOverParagraphs(*document, nodes);
    auto& target = downcast<DOMCharacterData>(*nodes[nodes.size() / 2]);
    unsigned offset = target.length() / 2;
    size_t typed = 0;
    for (auto _ : state)
        target.insertData(offset++, typed++ % 2 ? u"a" : u"b");
    view.reset();
    RunLoop::main().useRealClock();
}

// Typing, backspacing and moving the caret between paragraphs, ten thousand
// single-character edits in all, with the undo steps they leave. A page of
// 64 KB: a deletion makes the next scroll lay the whole page out again.
void BM_TenThousandSingleCharacterEditsLeaveTheLiveRangesFlat(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto view = loadedTypingView(64 * 1024);
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto document = view->mainFrameDocument();
    auto nodes = paragraphTextNodes(*document);
    std::mt19937 random(5);
    size_t rangesBefore = 0;
    size_t rangesHalfway = 0;
    size_t rangesAfter = 0;
    for (auto _ : state) {
        RunLoop::main().runOnce(0);
        rangesBefore = document->ranges().size();
        for (int edit = 0; edit < singleCharacterEdits; ++edit) {
            if (edit == singleCharacterEdits / 2)
                rangesHalfway = document->ranges().size();
            if (edit % 50 == 0) {
                auto& node = nodes[random() % nodes.size()];
                view->setTargetRange(caretAt(*document, node, static_cast<unsigned>(random() % node->length())));
            }
            if (edit % 7 == 6)
                view->deleteSelection();
            else
                typeCharacter(*view, u"x");
        }
        RunLoop::main().runOnce(0);
        rangesAfter = document->ranges().size();
    }
    state.counters["registeredRangesBefore"] = static_cast<double>(rangesBefore);
    state.counters["registeredRangesHalfway"] = static_cast<double>(rangesHalfway);
    state.counters["registeredRangesAfter"] = static_cast<double>(rangesAfter);
    view.reset();
    RunLoop::main().useRealClock();
}

} // namespace

BENCHMARK(BM_KeystrokeOnAOneMegabytePageWithAThousandLiveRanges)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokePeerBareTextNodeInsertion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenThousandSingleCharacterEditsLeaveTheLiveRangesFlat)->Unit(benchmark::kMillisecond)->Iterations(1);
