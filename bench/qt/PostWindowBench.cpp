// A keystroke in a post's body in the post window (the post inside its
// theme's page, attachment points and block mode) until the window's frame
// is repainted, beside the same keystroke in an editor window showing the
// merged page (the theme's page with the post's body already in it), on a
// post of about 200 KB of paragraph blocks. And Ctrl+S of a post of about
// 500 KB of blocks in the post window without an upload (the body read back
// from the page, the post file and the index written, both durably), beside
// the HTML writer writing that body and the JSON writer writing the post's
// archive into the post's file as durably as a save must (flushed, renamed
// over the old file, the rename flushed): the writers alone, without the
// index. Offscreen Qt; the regeneration timer never fires (manual clock).
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
#include "html/VornickHTMLWriter.h"
#include "html/VornickWebFrameEditingState.h"
#include "toolkit/VornickObjectArchive.h"
#include "shell/VornickBlogPostWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <filesystem>

using namespace brevanton;

namespace {

std::u16string blockPostBody(size_t kilobytes = 200)
{
    std::u16string body;
    for (int i = 0; body.size() < kilobytes * 1024; ++i) {
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

// The post window of a synced-like account project whose one post has the
// given body, loaded, with the caret in the middle of its body.
struct PostWindowSession {
    explicit PostWindowSession(const std::u16string& postBody)
    {
        RunLoop::main().useManualClock();
        ensureQtBenchApplication();
        VornickInstallHTMLServices();
        VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        postPath = makeSyncedLikeWordPressProject(folder, postBody);
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        window = postPath ? shell->openBlogPostFile(*postPath, &error) : nullptr;
        if (!window)
            return;
        RunLoop::main().runUntil([&] {
            return !window->postView()->loadingContent() && window->postView()->loadingState() != VornickContentLoadingState::InProgress;
        }, 30);
        drain();
        auto point = window->postView()->attachmentPointWithIdentifier(u"body");
        body = point ? point->findElement() : nullptr;
        widget = shell->backend().widgetForWindow(*window->window());
        if (!widget || !body || !placeCaret(*window->postView(), *body))
            widget = nullptr;
    }
    ~PostWindowSession()
    {
        body.reset();
        window.reset();
        shell.reset();
        Application::shared().resetForTesting();
        std::filesystem::remove_all(folder);
        RunLoop::main().useRealClock();
    }

    std::string folder = temporaryDirectory() + "/brevanton-post-window-bench";
    std::optional<std::string> postPath;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickBlogPostWindow> window;
    std::shared_ptr<DOMElement> body;
    QtWindowWidget* widget { nullptr };
};

void BM_KeystrokeInThePostWindow(benchmark::State& state)
{
    PostWindowSession session(blockPostBody());
    if (!session.widget) {
        state.SkipWithError("the post did not open in its window");
        return;
    }
    session.widget->repaint();
    typeUntilRepainted(state, session.widget);
    state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
}

void sendKey(QtWindowWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

// Each save follows a typed letter (not timed), so that it has the body to write.
// The turns of the run loop after Ctrl+S are timed with it.
void BM_SaveOfA500KBBlockPostInThePostWindow(benchmark::State& state)
{
    PostWindowSession session(blockPostBody(500));
    if (!session.widget) {
        state.SkipWithError("the post did not open in its window");
        return;
    }
    session.widget->repaint();
    size_t saves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sendKey(session.widget, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        drain();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        sendKey(session.widget, Qt::Key_S, Qt::ControlModifier, QString());
        // What the save left for the next turns of the run loop is its work too.
        drain();
        if (session.window->isDocumentEdited()) {
            state.SkipWithError("the post was not saved");
            break;
        }
        ++saves;
    }
    state.counters["saves"] = static_cast<double>(saves);
    state.counters["fileBytes"] = session.postPath ? static_cast<double>(std::filesystem::file_size(*session.postPath)) : 0;
}

// The writers alone on the same post: the HTML writer the save uses, writing
// the body's children, and the JSON writer writing the post's archive, which
// goes to the post's file the way a save writes it.
void BM_SaveOfA500KBBlockPostPeerHTMLAndJSONWriters(benchmark::State& state)
{
    PostWindowSession session(blockPostBody(500));
    auto& view = *session.window->postView();
    auto point = view.attachmentPointWithIdentifier(u"body");
    auto writer = point && point->webFrame() ? view.htmlWriterForWebFrame(*point->webFrame()) : nullptr;
    if (!session.widget || !writer) {
        state.SkipWithError("the post did not open in its window");
        return;
    }
    // Set as the save sets it: the page's formatting, references made
    // relative to the project's folder, the blocks' stored layout kept.
    auto& post = *session.window->post();
    if (auto mainFrame = view.mainFrame()) {
        if (auto preferences = vornick_effectiveHTMLFormattingPreferences(*mainFrame))
            writer->setFormattingPreferences(*preferences);
    }
    writer->setDocumentURLForAbsoluteURLResolution(post.sourceFileURL());
    if (auto project = post.project())
        writer->setRootFileURLWithinWhichReferencesShouldBeRelative(project->sourceRootURL());
    writer->setKeepsWordPressBlockLayout(true);
    auto archive = post.archivalRepresentation();
    size_t bytes = 0;
    for (auto _ : state) {
        std::u16string html = writer->htmlStringFromChildrenOfNode(*session.body);
        Error error;
        auto json = archive->dataInFormat(VornickObjectArchiveFormat::JSON, &error);
        if (!json || !session.postPath || !writeFileAtomically(*session.postPath, *json, &error)) {
            state.SkipWithError("the post's file could not be written");
            break;
        }
        bytes = json->size();
        benchmark::DoNotOptimize(html.data());
    }
    state.counters["fileBytes"] = static_cast<double>(bytes);
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
BENCHMARK(BM_SaveOfA500KBBlockPostInThePostWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOfA500KBBlockPostPeerHTMLAndJSONWriters)->Unit(benchmark::kMillisecond);
