// Indent and outdent on a list of 1,000 items in the editing view, each
// timed on its own beside its Undo: indenting every item but the first
// (which nests them all under the first), and outdenting the whole list
// (which turns every item into a paragraph).
#include "dom/VornickWebFrameExtensions.h"
#include "EditingViewBenchSupport.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCollections.h"
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

#include <chrono>
#include <cstdlib>
#include <string>

using namespace brevanton;
using bench::endEvent;
using bench::secondsOf;

namespace {

constexpr unsigned itemCount = 1000;

const std::string& pagePath()
{
    static const std::string path = [] {
        std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>List</title></head><body>\n<h1>Items</h1>\n<ul>\n";
        for (unsigned index = 0; index < itemCount; ++index)
            html += "<li>Item number " + std::to_string(index) + " with <em>some</em> text</li>\n";
        html += "</ul>\n<p>After the list.</p>\n</body></html>\n";
        return bench::writeBenchmarkPage("brevanton-list-bench.html", html);
    }();
    return path;
}

std::shared_ptr<VornickContentEditingView> loadedView()
{
    return bench::editingViewWithLoadedPage(pagePath());
}

enum class Command { Indent, Outdent };
enum class Measured { Command, Undo };

// From inside the first (or second) item's text to inside the last one's.
void selectItems(VornickContentEditingView& view, unsigned firstIndex)
{
    auto document = view.mainFrameDocument();
    auto items = document->getElementsByTagName(u"LI");
    auto first = items->item(firstIndex)->firstChild();
    auto last = items->item(itemCount - 1)->firstChild();
    auto range = document->createRange();
    range->setStart(first, 2);
    range->setEnd(last, 2);
    view.setTargetRange(range);
}

void listCommand(benchmark::State& state, Command command, Measured measured)
{
    auto view = loadedView();
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto* undo = view->undoManager();
    auto document = view->mainFrameDocument();
    for (auto _ : state) {
        selectItems(*view, command == Command::Indent ? 1 : 0);
        endEvent();
        double seconds = secondsOf([&] {
            if (command == Command::Indent)
                VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
            else
                VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
        });
        bool changed = command == Command::Indent ? document->getElementsByTagName(u"UL")->length() == 2
                                                  : document->getElementsByTagName(u"UL")->length() == 0;
        if (!changed) {
            state.SkipWithError("the command did not change the list");
            return;
        }
        if (measured == Measured::Command)
            state.SetIterationTime(seconds);
        endEvent();
        seconds = secondsOf([&] { undo->undo(); });
        if (document->getElementsByTagName(u"UL")->length() != 1) {
            state.SkipWithError("undo did not bring the list back");
            return;
        }
        if (measured == Measured::Undo)
            state.SetIterationTime(seconds);
        endEvent();
        undo->removeAllActions();
    }
}

void BM_IndentListOf1000Items(benchmark::State& state)
{
    listCommand(state, Command::Indent, Measured::Command);
}

void BM_IndentListOf1000ItemsUndo(benchmark::State& state)
{
    listCommand(state, Command::Indent, Measured::Undo);
}

void BM_OutdentListOf1000Items(benchmark::State& state)
{
    listCommand(state, Command::Outdent, Measured::Command);
}

void BM_OutdentListOf1000ItemsUndo(benchmark::State& state)
{
    listCommand(state, Command::Outdent, Measured::Undo);
}

} // namespace

BENCHMARK(BM_IndentListOf1000Items)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_IndentListOf1000ItemsUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_OutdentListOf1000Items)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_OutdentListOf1000ItemsUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
