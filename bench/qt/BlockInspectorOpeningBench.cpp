// Opening the block inspector in a post window on a post of about 1 MB of
// paragraph blocks, its popover's window painted offscreen, beside opening
// the attributes editor on an inline element of the same post, painted the
// same way. Each opening alternates between two targets, so that every
// opening makes the editor's modules. The post's window is painted once
// first, as a shown window is before the user double-clicks in it. Offscreen
// Qt; manual clock.
#include "QtBenchWindowSession.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "editing/VornickElementEditorUIController.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/views/Popover.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickBlogPostWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>

using namespace brevanton;

namespace {

std::u16string megabyteBlockPost()
{
    std::u16string body;
    for (int i = 0; body.size() < 1024 * 1024; ++i) {
        body += u"<!-- wp:paragraph -->\n<p>Paragraph " + toUTF16(std::to_string(i))
            + u" of the post, with <strong>some</strong> words and <a href=\"https://site.example/x\">a link</a>.</p>\n"
              u"<!-- /wp:paragraph -->\n\n";
    }
    return body;
}

// Opens the editor on `first` and `second` in turn until its popover's window is painted.
void openAndPaint(benchmark::State& state, bool inlineElements)
{
    RunLoop::main().useManualClock();
    ensureQtBenchApplication();
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    std::string folder = temporaryDirectory() + "/brevanton-block-inspector-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    auto postPath = makeSyncedLikeWordPressProject(folder, megabyteBlockPost());
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    {
        auto shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        auto window = postPath ? shell->openBlogPostFile(*postPath, &error) : nullptr;
        std::vector<std::shared_ptr<DOMElement>> targets;
        if (window) {
            RunLoop::main().runUntil([&] {
                return !window->postView()->loadingContent() && window->postView()->loadingState() != VornickContentLoadingState::InProgress;
            }, 60);
            // The window painted, as a user sees the post before double-clicking
            // in it (so the post's layout after loading is done here, not in the
            // first timed opening). repaint() would paint nothing: the offscreen
            // window is not exposed.
            if (auto* postWidget = shell->backend().widgetForWindow(*window->window()))
                benchmark::DoNotOptimize(postWidget->grab());
            drain();
            auto paragraphs = window->postView()->mainFrameDocument()->getElementsByTagName(u"P");
            for (unsigned index = 100; paragraphs && index < 102 && index < paragraphs->length(); ++index) {
                auto paragraph = paragraphs->item(index);
                auto strong = paragraph->getElementsByTagName(u"STRONG");
                targets.push_back(inlineElements ? (strong->length() ? strong->item(0) : nullptr) : paragraph);
            }
        }
        if (targets.size() != 2 || !targets[0] || !targets[1]) {
            state.SkipWithError("the post did not open in its window");
        } else {
            auto& view = *window->postView();
            size_t which = 0;
            for (auto _ : state) {
                which = 1 - which;
                (void)view.showAttributeEditorForElement(targets[which], std::nullopt);
                auto controller = VornickContentEditingViewTestPeer::of(view).elementEditorUIController;
                auto popoverWindow = controller ? controller->popover()->window() : nullptr;
                auto* widget = popoverWindow ? shell->backend().widgetForWindow(*popoverWindow) : nullptr;
                if (!widget) {
                    state.SkipWithError("no popover window");
                    break;
                }
                // Painted now: a window not yet exposed ignores repaint(), and
                // its first paint would come in the untimed processing below.
                benchmark::DoNotOptimize(widget->grab());
                state.PauseTiming();
                controller->closePopover();
                QCoreApplication::processEvents();
                state.ResumeTiming();
            }
        }
        window.reset();
        shell.reset();
    }
    Application::shared().resetForTesting();
    std::filesystem::remove_all(folder);
    RunLoop::main().useRealClock();
}

void BM_BlockInspectorOpensPainted(benchmark::State& state)
{
    openAndPaint(state, false);
}

void BM_AttributesEditorOpensPainted(benchmark::State& state)
{
    openAndPaint(state, true);
}

} // namespace

BENCHMARK(BM_BlockInspectorOpensPainted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AttributesEditorOpensPainted)->Unit(benchmark::kMillisecond);
