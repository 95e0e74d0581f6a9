// A keystroke in a post's body in the post window (the post inside its
// theme's page, attachment points and block mode) until the window's frame
// is repainted, beside the same keystroke in an editor window showing the
// merged page (the theme's page with the post's body already in it), on a
// post of about 200 KB of paragraph blocks. Offscreen Qt; the regeneration
// timer never fires (manual clock).
#include "QtBenchWindowSession.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickBlogPostWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <filesystem>

using namespace brevanton;

namespace {

std::u16string blockPostBody()
{
    std::u16string body;
    for (int i = 0; body.size() < 200 * 1024; ++i) {
        body += u"<!-- wp:paragraph -->\n<p>Paragraph " + toUTF16(std::to_string(i))
            + u" of the post, with <strong>some</strong> words and <a href=\"https://site.example/x\">a link</a> that a reader follows "
              u"through a long sentence of ordinary prose until it ends.</p>\n<!-- /wp:paragraph -->\n\n";
    }
    return body;
}

// The theme's page with the post's title and body in place, as a plain page.
std::string mergedPagePath()
{
    static std::string path = [] {
        std::string page = postTemplate;
        std::string sample = "<p>Welcome to WordPress. This is your first post.</p>";
        page.replace(page.find(sample), sample.size(), toUTF8(blockPostBody()));
        std::string file = temporaryDirectory() + "/brevanton-post-window-bench-merged.html";
        if (!writeFileAtomically(file, page))
            std::abort();
        return file;
    }();
    return path;
}

// Puts the caret in the middle of the middle paragraph under `root`.
bool placeCaret(VornickContentEditingView& view, DOMElement& root)
{
    auto paragraphs = root.getElementsByTagName(u"P");
    if (!paragraphs || paragraphs->length() < 10)
        return false;
    for (unsigned i = paragraphs->length() / 2; i < paragraphs->length(); ++i) {
        auto text = paragraphs->item(i)->firstChild();
        if (!text || !text->isTextNode() || text->length() < 4)
            continue;
        auto caret = text->ownerDocument()->createRange();
        caret->setStart(text, 4);
        caret->setEnd(text, 4);
        view.setTargetRange(caret);
        RunLoop::main().runOnce(0);
        return true;
    }
    return false;
}

void typeUntilRepainted(benchmark::State& state, QtWindowWidget* widget)
{
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
        unsigned painted = widget->paintCount();
        for (int turns = 0; turns < 100 && widget->paintCount() == painted; ++turns)
            QCoreApplication::processEvents();
    }
}

void BM_KeystrokeInThePostWindow(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    ensureQtBenchApplication();
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    std::string folder = temporaryDirectory() + "/brevanton-post-window-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    auto postPath = makeSyncedLikeWordPressProject(folder, blockPostBody());
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    {
        auto shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        auto window = postPath ? shell->openBlogPostFile(*postPath, &error) : nullptr;
        if (window) {
            RunLoop::main().runUntil([&] {
                return !window->postView()->loadingContent() && window->postView()->loadingState() != VornickContentLoadingState::InProgress;
            }, 30);
            drain();
        }
        auto point = window ? window->postView()->attachmentPointWithIdentifier(u"body") : nullptr;
        auto body = point ? point->findElement() : nullptr;
        QtWindowWidget* widget = window ? shell->backend().widgetForWindow(*window->window()) : nullptr;
        if (!widget || !body || !placeCaret(*window->postView(), *body)) {
            state.SkipWithError("the post did not open in its window");
        } else {
            widget->repaint();
            typeUntilRepainted(state, widget);
            state.counters["paintedCommands"] = static_cast<double>(widget->lastPaintedCommands().size());
        }
        window.reset();
        shell.reset();
    }
    Application::shared().resetForTesting();
    std::filesystem::remove_all(folder);
    RunLoop::main().useRealClock();
}

void BM_KeystrokeInTheMergedPage(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto session = openQtBenchWindowSession(mergedPagePath());
    auto document = session.widget ? session.editor->editingView()->mainFrameDocument() : nullptr;
    std::shared_ptr<DOMElement> body;
    auto divisions = document ? document->getElementsByTagName(u"DIV") : nullptr;
    for (unsigned i = 0; divisions && i < divisions->length() && !body; ++i) {
        if (divisions->item(i)->getAttribute(u"class").find(u"wp-block-post-content") != std::u16string::npos)
            body = divisions->item(i);
    }
    if (!body || !placeCaret(*session.editor->editingView(), *body)) {
        state.SkipWithError("the merged page did not open in a window");
    } else {
        session.widget->repaint();
        typeUntilRepainted(state, session.widget);
        state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
    }
    session.close();
    RunLoop::main().useRealClock();
}

} // namespace

BENCHMARK(BM_KeystrokeInTheMergedPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInThePostWindow)->Unit(benchmark::kMillisecond);
