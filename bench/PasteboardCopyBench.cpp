// Copy of a 1 MB selection to the general pasteboard as a web archive plus
// plain text, the way the editor copies: the cleaned-up archive of the range
// and the range's text (one walk), the text's non-breaking spaces put right,
// one clear and two writes. Beside it the DOM's own subtree copy, and the peer: writing the
// same content as markup, without cloning or archiving.
#include "HTMLBenchPages.h"

#include "dom/VornickPasteboardCopies.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

using namespace brevanton;

namespace {

struct LoadedPage {
    std::shared_ptr<VornickContentEditingView> view;
    std::shared_ptr<DOMRange> selection;
};

// The whole body selected in a page of about 1 MB, loaded once.
const LoadedPage& loadedPage()
{
    static const LoadedPage page = [] {
        VornickInstallHTMLServices();
        VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
        std::string path = temporaryDirectory() + "/brevanton-copy-bench.html";
        if (!writeFileAtomically(path, makeBenchmarkHTMLPage(1024 * 1024)))
            std::abort();
        LoadedPage loaded;
        loaded.view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
        Error error;
        if (!loaded.view->loadContentFromURL(URL::fileURLWithPath(path), &error))
            std::abort();
        auto body = loaded.view->mainFrameDocument()->body();
        loaded.selection = loaded.view->mainFrameDocument()->createRange();
        loaded.selection->selectNodeContents(body);
        return loaded;
    }();
    return page;
}

void BM_CopyOneMegabyteSelectionAsWebArchiveAndText(benchmark::State& state)
{
    auto& page = loadedPage();
    auto pasteboard = Pasteboard::generalPasteboard();
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*page.view->mainFrame());
    size_t archiveSize = 0;
    for (auto _ : state) {
        std::u16string text;
        auto archive = VornickContentEditingViewTestPeer::cleanedUpWebArchiveDataForRange(*page.view, *page.selection, &text);
        if (substitute) {
            std::replace(text.begin(), text.end(), char16_t(0xA0), u' ');
            std::replace(text.begin(), text.end(), substitute, char16_t(0xA0));
        }
        pasteboard->clearContents();
        archiveSize = archive ? archive->size() : 0;
        if (!archive || !pasteboard->setData(std::move(*archive), WebArchivePboardType)
            || !pasteboard->setString(text, PasteboardTypeString)) {
            state.SkipWithError("nothing was copied");
            return;
        }
    }
    state.counters["archiveBytes"] = double(archiveSize);
}

// The same copy through the editor's own command path.
void BM_CopyCommandOnOneMegabyteSelection(benchmark::State& state)
{
    auto& page = loadedPage();
    auto pasteboard = Pasteboard::generalPasteboard();
    for (auto _ : state) {
        if (!VornickContentEditingViewTestPeer::copyContentsOfRange(*page.view, page.selection, *pasteboard, false)) {
            state.SkipWithError("nothing was copied");
            return;
        }
    }
}

void BM_CopyOneMegabyteSubtreeToPasteboard(benchmark::State& state)
{
    auto& page = loadedPage();
    auto pasteboard = Pasteboard::generalPasteboard();
    auto body = page.view->mainFrameDocument()->body();
    for (auto _ : state) {
        if (!vornick_copySubtreeReplacingContentsOfPasteboard(*body, *pasteboard, true, 0, std::nullopt)) {
            state.SkipWithError("no archive was written");
            return;
        }
    }
}

// The peer: the same content written out as markup, nothing cloned or archived.
void BM_SerializeTheSameSelection(benchmark::State& state)
{
    auto& page = loadedPage();
    auto body = page.view->mainFrameDocument()->body();
    for (auto _ : state) {
        std::u16string markup;
        serializeChildrenAsHTML(*body, markup);
        benchmark::DoNotOptimize(markup.data());
    }
}

} // namespace

BENCHMARK(BM_CopyOneMegabyteSelectionAsWebArchiveAndText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyCommandOnOneMegabyteSelection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyOneMegabyteSubtreeToPasteboard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerializeTheSameSelection)->Unit(benchmark::kMillisecond);
