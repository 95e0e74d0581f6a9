// Inserting and deleting a column of a 200-row, 50-column table in the
// editing view, and the undo of each, each timed on its own.
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

constexpr int rowCount = 200;
constexpr int columnCount = 50;

const std::string& pagePath()
{
    static const std::string path = [] {
        std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Table</title></head><body>\n"
                           "<h1>Figures</h1>\n<table>\n<thead>\n<tr>";
        for (int column = 0; column < columnCount; ++column)
            html += "<th>Column " + std::to_string(column) + "</th>";
        html += "</tr>\n</thead>\n<tbody>\n";
        for (int row = 1; row < rowCount; ++row) {
            html += "<tr>";
            for (int column = 0; column < columnCount; ++column)
                html += "<td>r" + std::to_string(row) + "c" + std::to_string(column) + "</td>";
            html += "</tr>\n";
        }
        html += "</tbody>\n</table>\n<p>After the table.</p>\n</body></html>\n";
        return bench::writeBenchmarkPage("brevanton-table-bench.html", html);
    }();
    return path;
}

std::shared_ptr<VornickContentEditingView> loadedView()
{
    return bench::editingViewWithLoadedPage(pagePath());
}

enum class Command { InsertColumn, DeleteColumn };
enum class Measured { Command, Undo };

// A caret in the middle cell of the middle row.
void selectMiddleCell(VornickContentEditingView& view)
{
    auto document = view.mainFrameDocument();
    auto row = document->getElementsByTagName(u"tr")->item(rowCount / 2);
    DOMNode* cell = row->childAt(columnCount / 2);
    auto range = document->createRange();
    range->setStart(cell->firstChild()->shared_from_this(), 1);
    range->setEnd(cell->firstChild()->shared_from_this(), 1);
    view.setTargetRange(range);
}

void runColumnCommand(benchmark::State& state, Command command, Measured measured)
{
    auto view = loadedView();
    if (!view) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto* undo = view->undoManager();
    auto firstRow = view->mainFrameDocument()->getElementsByTagName(u"tr")->item(0);
    unsigned cellsBefore = firstRow->childCount();
    for (auto _ : state) {
        selectMiddleCell(*view);
        endEvent();
        double seconds = secondsOf([&] {
            if (command == Command::InsertColumn)
                VornickContentEditingViewTestPeer::insertColumnAfterTableColumn(*view, nullptr);
            else
                VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
        });
        if (firstRow->childCount() == cellsBefore) {
            state.SkipWithError("the command changed nothing");
            return;
        }
        if (measured == Measured::Command)
            state.SetIterationTime(seconds);
        endEvent();
        seconds = secondsOf([&] { undo->undo(); });
        if (firstRow->childCount() != cellsBefore) {
            state.SkipWithError("undo did not restore the table");
            return;
        }
        if (measured == Measured::Undo)
            state.SetIterationTime(seconds);
        endEvent();
        undo->removeAllActions();
    }
}

void BM_TableInsertColumn(benchmark::State& state)
{
    runColumnCommand(state, Command::InsertColumn, Measured::Command);
}

void BM_TableInsertColumnUndo(benchmark::State& state)
{
    runColumnCommand(state, Command::InsertColumn, Measured::Undo);
}

void BM_TableDeleteColumn(benchmark::State& state)
{
    runColumnCommand(state, Command::DeleteColumn, Measured::Command);
}

void BM_TableDeleteColumnUndo(benchmark::State& state)
{
    runColumnCommand(state, Command::DeleteColumn, Measured::Undo);
}

} // namespace

BENCHMARK(BM_TableInsertColumn)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableInsertColumnUndo)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableDeleteColumn)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableDeleteColumnUndo)->UseManualTime()->Unit(benchmark::kMillisecond);
