// What the editing view's benchmarks share: a page written once to a
// temporary file, a view that has loaded it with its background work done,
// the end of an event, and the time a step takes.
#pragma once

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace brevanton::bench {

// Writes the page to a file of the temporary folder; aborts when it cannot.
inline std::string writeBenchmarkPage(const std::string& fileName, const std::string& html)
{
    std::string file = temporaryDirectory() + "/" + fileName;
    if (!writeFileAtomically(file, html))
        std::abort();
    return file;
}

// A view that has loaded the page, its painting and line index done. Tidy's
// structural check runs as a process of its own and is left out.
inline std::shared_ptr<VornickContentEditingView> editingViewWithLoadedPage(const std::string& path)
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(path), &error))
        return nullptr;
    auto frame = view->mainFrame();
    RunLoop::main().runUntil([&frame] { return vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame); }, 30);
    return view;
}

// The end of the event: the step's undo group closes; deferred work runs.
inline void endEvent()
{
    RunLoop::main().runOnce(0);
}

template<typename Step> double secondsOf(Step&& step)
{
    auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace brevanton::bench
