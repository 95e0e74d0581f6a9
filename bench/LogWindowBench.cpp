// Lines appended to the log window while it shows a long log (0.5 MB and
// 5 MB), at its end, beside the same lines appended to a bare text view in a
// scroll view of a window, grown by a line and scrolled to its end: 10,000
// lines each, the time per line.
#include "platform/foundation/Text.h"
#include "platform/views/ClipView.h"
#include "platform/views/Font.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "toolkit/VornickLog.h"
#include "ui/VornickLogWindowController.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace brevanton;

namespace {

constexpr int appendedLines = 10000;

// About `bytes` of log lines, as a sync session writes them.
std::u16string logText(size_t bytes)
{
    std::u16string text;
    for (size_t line = 0; text.size() < bytes; ++line)
        text += u"Requesting posts 0-49 for \"Blog\" (/wp/v2/posts?page=" + toUTF16(std::to_string(line)) + u")\n";
    return text;
}

std::u16string appendedLine(int line)
{
    return u"Starting sync of blog \"Blog\" step " + toUTF16(std::to_string(line)) + u"\n";
}

void BM_LogWindowAppendLine(benchmark::State& state)
{
    std::u16string text = logText(static_cast<size_t>(state.range(0)) * 1024 * 1024 / 10);
    auto controller = VornickLogWindowController::create();
    controller->window();
    controller->appendDisplayedLogText(text);
    int line = 0;
    for (auto _ : state)
        controller->appendDisplayedLogText(appendedLine(++line));
    state.counters["textMB"] = static_cast<double>(controller->textView()->string().size()) / (1024 * 1024);
}
BENCHMARK(BM_LogWindowAppendLine)->Arg(5)->Arg(50)->Iterations(appendedLines)->Unit(benchmark::kMicrosecond);

void BM_BareTextViewAppendLine(benchmark::State& state)
{
    std::u16string text = logText(static_cast<size_t>(state.range(0)) * 1024 * 1024 / 10);
    // In a window as the log window's is: what a shown text view costs.
    auto window = Window::create(Rect(200, 200, 640, 480));
    auto scrollView = std::make_shared<ScrollView>(Rect(20, 60, 600, 340));
    window->contentView()->addSubview(scrollView);
    scrollView->setHasVerticalScroller(true);
    auto textView = std::make_shared<TextView>(Rect({ 0, 0 }, scrollView->contentSize()));
    scrollView->setDocumentView(textView);
    TextAttributes attributes = std::make_shared<TextAttributeDictionary>(
        TextAttributeDictionary { { FontAttributeName, Font::fontWithName(u"Helvetica", 12) } });
    double lineHeight = Font::fontWithName(u"Helvetica", 12)->lineHeight();
    textView->beginEditing();
    textView->mutableTextStorage().appendString(text, attributes);
    textView->endEditing();
    textView->sizeToFit();
    auto clip = scrollView->contentView();
    int line = 0;
    for (auto _ : state) {
        textView->beginEditing();
        textView->mutableTextStorage().appendString(appendedLine(++line), attributes);
        textView->endEditing();
        textView->setFrameSize({ textView->frame().width(), textView->frame().height() + lineHeight });
        clip->scrollToPoint({ 0, textView->frame().maxY() - clip->bounds().height() });
    }
    state.counters["textMB"] = static_cast<double>(textView->string().size()) / (1024 * 1024);
}
BENCHMARK(BM_BareTextViewAppendLine)->Arg(5)->Arg(50)->Iterations(appendedLines)->Unit(benchmark::kMicrosecond);

} // namespace
