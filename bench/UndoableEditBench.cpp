// Select all, delete, undo and redo on a 1 MB page in the editing view, each
// timed on its own, beside the same deletion made without undo (the DOM
// change alone); and the memory the undo stack holds for each step.
#include "HTMLBenchPages.h"

#include "dom/VornickWebFrameExtensions.h"
#include "EditingViewBenchSupport.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>

using namespace brevanton;
using bench::endEvent;
using bench::secondsOf;

namespace {

constexpr size_t pageSize = 1024 * 1024;

const std::string& pagePath()
{
    static const std::string path = [] {
        return bench::writeBenchmarkPage("brevanton-undo-bench.html", makeBenchmarkHTMLPage(pageSize));
    }();
    return path;
}

std::shared_ptr<VornickContentEditingView> loadedView()
{
    return bench::editingViewWithLoadedPage(pagePath());
}

enum class Measured { Delete, Undo, Redo, DeleteWithoutUndo };
enum class Selection { All, FirstToLastCharacter };

// The page's content from its first to its last character, as a drag over
// the whole page selects it (ends in text nodes, not at the body's gaps).
std::shared_ptr<DOMRange> firstToLastCharacter(DOMDocument& document)
{
    auto body = document.body();
    DOMNode* first = nullptr;
    DOMNode* last = nullptr;
    for (DOMNode* node = body.get(); node; node = node->traverseNext(body.get())) {
        if (!node->isTextNode())
            continue;
        if (downcast<DOMCharacterData>(node)->data().find_first_not_of(u" \t\r\n") != std::u16string::npos) {
            if (!first)
                first = node;
            last = node;
        }
    }
    auto range = document.createRange();
    // Inside the first and last words, so that the ends stay in their text.
    range->setStart(first->shared_from_this(), 1);
    range->setEnd(last->shared_from_this(), last->length() - 1);
    return range;
}

void selectDeleteUndoRedo(benchmark::State& state, Selection selection, Measured measured)
{
    auto view = loadedView();
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto* undo = view->undoManager();
    auto body = view->mainFrameDocument()->body();
    double addedByDelete = 0;
    double addedByUndo = 0;
    double addedByRedo = 0;
    double heldAfterRedo = 0;
    // What the undo stack holds: the heap in use with the step registered,
    // less the heap once the undo manager let go of it.
    auto heldByUndoStack = [&] {
        size_t with = mallinfo2().uordblks;
        undo->removeAllActions();
        size_t without = mallinfo2().uordblks;
        return double(with > without ? with - without : 0);
    };
    if (measured == Measured::Delete && selection == Selection::All) {
        // Once, on one page: the heap each step adds to the page's own, and
        // what the undo stack holds at the end (the deleted content).
        endEvent();
        auto heap = [] { return double(mallinfo2().uordblks); };
        double start = heap();
        view->selectAll();
        if (!VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view))
            std::abort();
        endEvent();
        addedByDelete = heap() - start;
        undo->undo();
        endEvent();
        addedByUndo = heap() - start;
        undo->redo();
        endEvent();
        addedByRedo = heap() - start;
        heldAfterRedo = heldByUndoStack();
        view = loadedView();
        undo = view->undoManager();
        body = view->mainFrameDocument()->body();
    }
    for (auto _ : state) {
        if (selection == Selection::FirstToLastCharacter)
            view->setTargetRange(firstToLastCharacter(*view->mainFrameDocument()));
        else
            view->selectAll();
        endEvent();
        bool undoable = measured != Measured::DeleteWithoutUndo;
        // The Delete key's deletion; without undo, the same change made plainly.
        double seconds = secondsOf([&] {
            if (undoable)
                benchmark::DoNotOptimize(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view));
            else
                benchmark::DoNotOptimize(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, nullptr, false, std::nullopt, false));
        });
        if (selection == Selection::All && body->hasChildNodes()) {
            state.SkipWithError("select all and delete left content behind");
            return;
        }
        endEvent();
        if (!undoable) {
            state.SetIterationTime(seconds);
            view->setTargetRange(nullptr);
            state.PauseTiming();
            view = loadedView();
            undo = view->undoManager();
            body = view->mainFrameDocument()->body();
            state.ResumeTiming();
            continue;
        }
        if (measured == Measured::Delete)
            state.SetIterationTime(seconds);
        seconds = secondsOf([&] { undo->undo(); });
        if (!body->hasChildNodes()) {
            state.SkipWithError("undo did not bring the content back");
            return;
        }
        if (measured == Measured::Undo)
            state.SetIterationTime(seconds);
        endEvent();
        seconds = secondsOf([&] { undo->redo(); });
        if (measured == Measured::Redo)
            state.SetIterationTime(seconds);
        endEvent();
        undo->undo();
        endEvent();
    }
    if (measured == Measured::Delete && selection == Selection::All) {
        state.counters["heapAddedByDelete"] = addedByDelete;
        state.counters["heapAddedByDeleteUndo"] = addedByUndo;
        state.counters["heapAddedByDeleteUndoRedo"] = addedByRedo;
        state.counters["undoStackHoldsAfterRedo"] = heldAfterRedo;
    }
}

void BM_SelectAllDelete(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::All, Measured::Delete);
}

void BM_SelectAllDeleteUndo(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::All, Measured::Undo);
}

void BM_SelectAllDeleteRedo(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::All, Measured::Redo);
}

// The peer: the same deletion made without undo (the DOM change alone,
// with the content freed).
void BM_SelectAllDeleteWithoutUndo(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::All, Measured::DeleteWithoutUndo);
}

// A selection that ends inside text: the deletion across nodes keeps a
// snapshot of the span it touched, and redoes by deleting again.
void BM_DragSelectDelete(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::FirstToLastCharacter, Measured::Delete);
}

void BM_DragSelectDeleteUndo(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::FirstToLastCharacter, Measured::Undo);
}

void BM_DragSelectDeleteRedo(benchmark::State& state)
{
    selectDeleteUndoRedo(state, Selection::FirstToLastCharacter, Measured::Redo);
}

} // namespace

BENCHMARK(BM_SelectAllDelete)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_SelectAllDeleteUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_SelectAllDeleteRedo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_SelectAllDeleteWithoutUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_DragSelectDelete)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_DragSelectDeleteUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_DragSelectDeleteRedo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
