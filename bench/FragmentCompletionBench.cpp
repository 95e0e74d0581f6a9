// "Insert or Wrap In" per keystroke: the editor's completion set of the HTML 5
// elements and a snippet set of 10,000 snippets (display names and tab
// triggers), ranked and then checked against what may go at the caret of a
// small page (the view's adjustment), beside a plain case-insensitive
// substring filter of the same names in the same run. Target: under 1 ms per
// keystroke. A keystroke is the popover's: the search string set, the
// matches ranked and the rows it shows judged. Shown beside it: the first
// keystroke of a completion (nothing judged yet), the ranking alone, and
// judging every match (with the answers kept from earlier keystrokes, and
// from nothing).
#include "editing/VornickContentEditingView.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <random>

using namespace brevanton;

namespace {

constexpr size_t snippetCount = 10'000;

std::shared_ptr<VornickFragmentSet> largeSnippetSet()
{
    const char16_t* words[] = { u"Pull", u"Quote", u"Block", u"Gallery", u"Embed", u"Heading", u"List", u"Image", u"Cover",
                                u"Media", u"Text", u"Columns", u"Button", u"Separator", u"Table", u"Code", u"Verse", u"Audio",
                                u"Video", u"File", u"Group", u"Row", u"Stack", u"Spacer", u"Navigation", u"Search", u"Archive" };
    std::mt19937 random(31);
    auto set = VornickFragmentSet::createWithTitle(u"Bench");
    std::shared_ptr<VornickFragmentGroup> group;
    for (size_t i = 0; i < snippetCount; ++i) {
        if (i % 500 == 0) {
            group = VornickFragmentGroup::create(u"Group " + toUTF16(std::to_string(i / 500)));
            set->addGroup(group);
        }
        std::u16string name;
        int count = 1 + static_cast<int>(random() % 3);
        for (int w = 0; w < count; ++w)
            name += (w ? u" " : u"") + std::u16string(words[random() % std::size(words)]);
        name += u" " + toUTF16(std::to_string(i));
        auto trigger = u"t" + toUTF16(std::to_string(i));
        group->addFragmentDescription(std::make_shared<VornickGeneralFragmentDescription>(
            toUTF16(std::to_string(i)), name, trigger, u"", u"<p class=\"s\">{content}</p>", u""));
    }
    return set;
}

const std::vector<std::u16string> typed = { u"b", u"bl", u"blo", u"bloc", u"block", u"blockq", u"blockqu", u"blockquo", u"blockquot",
                                            u"blockquote", u"p", u"pu", u"pul", u"pull", u"pull ", u"pull q", u"pull qu", u"pull quo" };

std::vector<std::u16string> completionStrings(const VornickFragmentCompletionSet& set)
{
    std::vector<std::u16string> strings;
    for (const auto& match : set.rankedMatchesForSearchString(u""))
        strings.push_back(VornickCompletionSet::caseFolded(match.completionString()));
    return strings;
}

void BM_FragmentCompletionPerKeystroke(benchmark::State& state)
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    auto folder = createTemporaryDirectory("brevanton-completion-bench");
    std::string file = (folder ? *folder : temporaryDirectory()) + "/page.html";
    if (!writeFileAtomically(file, "<!DOCTYPE html>\n<html><head><title>Bench</title></head><body><p>Some text here</p></body></html>\n"))
        std::abort();
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(file), &error)) {
        state.SkipWithError("the page did not load");
        return;
    }
    auto frame = view->mainFrame();
    vornick_setUserFragmentSet(*frame, largeSnippetSet());
    auto completionSet = VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *frame);
    auto strings = completionStrings(*completionSet);
    auto document = view->mainFrameDocument();
    auto text = document->body()->firstChild()->firstChild();
    auto caret = document->createRange();
    caret->setStart(text, 4);
    caret->setEnd(text, 4);
    auto& controller = *view->fragmentCompletionUIController();
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); };

    double keystrokeSeconds = 0;
    double firstKeystrokeSeconds = 0;
    double rankingSeconds = 0;
    double judgingAllSeconds = 0;
    double judgingAllFreshSeconds = 0;
    double substringSeconds = 0;
    size_t keystrokes = 0;
    size_t completions = 0;
    for (auto _ : state) {
        // A completion opens at the caret: nothing is judged yet.
        controller.showForBaseTargetRange(caret, nullptr, completionSet, std::nullopt, view);
        bool first = true;
        for (const auto& search : typed) {
            auto start = Clock::now();
            controller.setSearchString(search);
            benchmark::DoNotOptimize(controller.matchAtIndex(0));
            auto typedAt = Clock::now();
            (first ? firstKeystrokeSeconds : keystrokeSeconds) += seconds(start, typedAt);
            first = false;

            auto rankStart = Clock::now();
            auto matches = completionSet->rankedMatchesForSearchString(search);
            auto ranked = Clock::now();
            auto adjusted = VornickContentEditingViewTestPeer::completionUIController(*view, controller, matches, search);
            benchmark::DoNotOptimize(adjusted.data());
            auto judged = Clock::now();
            VornickFragmentCompletionUIController fresh;
            fresh.setBaseTargetRange(caret);
            auto adjustedFresh = VornickContentEditingViewTestPeer::completionUIController(*view, fresh, std::move(matches), search);
            benchmark::DoNotOptimize(adjustedFresh.data());
            auto judgedFresh = Clock::now();
            auto needle = VornickCompletionSet::caseFolded(search);
            std::vector<size_t> kept;
            for (size_t i = 0; i < strings.size(); ++i) {
                if (strings[i].find(needle) != std::u16string::npos)
                    kept.push_back(i);
            }
            benchmark::DoNotOptimize(kept.data());
            auto end = Clock::now();
            rankingSeconds += seconds(rankStart, ranked);
            judgingAllSeconds += seconds(ranked, judged);
            judgingAllFreshSeconds += seconds(judged, judgedFresh);
            substringSeconds += seconds(judgedFresh, end);
            ++keystrokes;
        }
        controller.cancelCompletionWithSpecialExitString();
        ++completions;
    }
    auto perKeystroke = [keystrokes](double total) { return total * 1000 / static_cast<double>(keystrokes); };
    state.counters["names"] = static_cast<double>(strings.size());
    state.counters["keystroke_ms"] = keystrokeSeconds * 1000 / static_cast<double>(keystrokes - completions);
    state.counters["first_keystroke_ms"] = firstKeystrokeSeconds * 1000 / static_cast<double>(completions);
    state.counters["ranking_ms"] = perKeystroke(rankingSeconds);
    state.counters["judging_all_kept_ms"] = perKeystroke(judgingAllSeconds);
    state.counters["judging_all_fresh_ms"] = perKeystroke(judgingAllFreshSeconds);
    state.counters["substring_ms"] = perKeystroke(substringSeconds);
    if (folder)
        std::filesystem::remove_all(*folder);
}
BENCHMARK(BM_FragmentCompletionPerKeystroke)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
