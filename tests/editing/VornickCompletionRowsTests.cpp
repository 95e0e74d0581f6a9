// Completion rows made as they are asked for: the same rows, in the same
// order, with the same disabled flags, strengths and explanations as judging
// every match and sorting them all; and answers kept between keystrokes
// only while the document and the base target range stay the same.
#include "UndoableEditChecks.h"

#include "editing/VornickAdjustedCompletionMatches.h"
#include "editing/VornickCompletionVerdictCache.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <algorithm>
#include <memory>
#include <random>

namespace brevanton::testing {
namespace {

std::string describe(const VornickCompletionMatch& match)
{
    std::string name;
    if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(match))
        name = "<" + toUTF8(spec->tagName()) + ">";
    else if (auto snippet = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match))
        name = toUTF8(snippet->displayName());
    return name + (match.disabled() ? " disabled " + toUTF8(match.explanation()) : "") + " " + std::to_string(match.matchStrength());
}

std::vector<std::string> describeAll(const std::vector<VornickCompletionMatch>& matches)
{
    std::vector<std::string> lines;
    for (const auto& match : matches)
        lines.push_back(describe(match));
    return lines;
}

TEST(AdjustedCompletionMatches, RowsAskedForOneByOneAreTheStableSortOfEveryJudgedMatch)
{
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        // Strengths strongest first, with many ties; each match kept,
        // disabled or dropped at random.
        std::vector<VornickCompletionMatch> ranked;
        size_t count = random() % 40;
        double strength = 1.0;
        for (size_t i = 0; i < count; ++i) {
            if (random() % 3 == 0)
                strength *= 0.5 + static_cast<double>(random() % 50) / 100.0;
            ranked.emplace_back(std::any(static_cast<int>(i)), u"m" + toUTF16(std::to_string(i)), strength);
        }
        std::vector<int> fate(count);
        for (auto& f : fate)
            f = static_cast<int>(random() % 3);
        auto judge = [&fate](const VornickCompletionMatch& match) -> std::optional<VornickCompletionVerdict> {
            int f = fate[static_cast<size_t>(std::any_cast<int>(match.object()))];
            if (f == 2)
                return std::nullopt;
            return VornickCompletionVerdict { f == 1, f == 1 ? u"no" : u"" };
        };

        std::vector<std::pair<double, int>> expected;
        for (const auto& match : ranked) {
            int i = std::any_cast<int>(match.object());
            if (fate[static_cast<size_t>(i)] != 2)
                expected.emplace_back(fate[static_cast<size_t>(i)] == 1 ? match.matchStrength() * 0.4 : match.matchStrength(), i);
        }
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

        VornickAdjustedCompletionMatches rows(ranked, judge);
        for (size_t row = 0; row < expected.size(); ++row) {
            const auto* match = rows.matchAtIndex(row);
            ASSERT_TRUE(match) << "round " << round << " row " << row;
            EXPECT_EQ(std::any_cast<int>(match->object()), expected[row].second) << "round " << round << " row " << row;
            EXPECT_EQ(match->matchStrength(), expected[row].first);
            EXPECT_EQ(match->disabled(), fate[static_cast<size_t>(expected[row].second)] == 1);
        }
        EXPECT_FALSE(rows.matchAtIndex(expected.size()));
        EXPECT_EQ(rows.allMatches().size(), expected.size());
    }
}

TEST(AdjustedCompletionMatches, TheFirstRowsJudgeOnlyWhatTheyNeedAndAnUnsortedRankingIsJudgedWhole)
{
    std::vector<VornickCompletionMatch> ranked;
    for (int i = 0; i < 1000; ++i)
        ranked.emplace_back(std::any(i), u"m", 1.0 - i / 2000.0);
    auto keepAll = [](const VornickCompletionMatch&) { return std::optional<VornickCompletionVerdict>(VornickCompletionVerdict {}); };
    VornickAdjustedCompletionMatches rows(ranked, keepAll);
    ASSERT_TRUE(rows.matchAtIndex(11));
    EXPECT_EQ(rows.numberOfJudgedMatches(), 12u);

    // Disabled matches fall to 0.4 of their strength: the twelfth row waits
    // for every match that could still come before it.
    auto disableEven = [](const VornickCompletionMatch& match) {
        return std::optional<VornickCompletionVerdict>(VornickCompletionVerdict { std::any_cast<int>(match.object()) % 2 == 0, u"" });
    };
    VornickAdjustedCompletionMatches halves(ranked, disableEven);
    ASSERT_TRUE(halves.matchAtIndex(11));
    EXPECT_EQ(std::any_cast<int>(halves.matchAtIndex(11)->object()), 23);
    EXPECT_LT(halves.numberOfJudgedMatches(), 30u);

    std::reverse(ranked.begin(), ranked.end());
    VornickAdjustedCompletionMatches unsorted(ranked, keepAll);
    EXPECT_EQ(unsorted.numberOfJudgedMatches(), 1000u);
    EXPECT_EQ(std::any_cast<int>(unsorted.matchAtIndex(0)->object()), 0);
}

class CompletionRows : public UndoableEditTest {
protected:
    // Each match judged alone by a fresh controller, then all of them sorted:
    // the rows as a full judging gives them.
    std::vector<VornickCompletionMatch> judgedOneByOne(const std::shared_ptr<DOMRange>& base, const std::vector<VornickCompletionMatch>& ranked)
    {
        std::vector<VornickCompletionMatch> kept;
        for (const auto& match : ranked) {
            VornickFragmentCompletionUIController fresh;
            fresh.setBaseTargetRange(base);
            auto rows = view->completionUIControllerAdjustedMatches(fresh, { match }, u"");
            if (const auto* row = rows.matchAtIndex(0))
                kept.push_back(*row);
        }
        std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.matchStrength() > b.matchStrength(); });
        return kept;
    }
    // Rows asked for one at a time from the controller that keeps its
    // answers between searches.
    std::vector<VornickCompletionMatch> rowsOneAtATime(VornickFragmentCompletionUIController& controller,
                                                       std::vector<VornickCompletionMatch> ranked)
    {
        auto rows = view->completionUIControllerAdjustedMatches(controller, std::move(ranked), u"");
        std::vector<VornickCompletionMatch> result;
        for (size_t i = 0; const auto* row = rows.matchAtIndex(i); ++i)
            result.push_back(*row);
        return result;
    }
    // Carets at the start and in the middle of every text node, and every element selected.
    std::vector<std::shared_ptr<DOMRange>> places()
    {
        std::vector<std::shared_ptr<DOMRange>> ranges;
        for (DOMNode* node = body().get(); node; node = node->traverseNext(body().get())) {
            auto shared = node->shared_from_this();
            if (node->isTextNode()) {
                auto length = static_cast<unsigned>(downcast<DOMCharacterData>(node)->data().size());
                ranges.push_back(rangeIn(shared, 0, 0));
                ranges.push_back(rangeIn(shared, length / 2, length / 2));
            } else if (node->isElementNode() && node != body().get()) {
                auto range = document()->createRange();
                range->selectNode(*node);
                ranges.push_back(range);
            }
        }
        return ranges;
    }
};

TEST_F(CompletionRows, RowsAreThoseOfJudgingEveryMatchOnRealPages)
{
    for (const char* page : { "page.html", "lists.html", "tables.html", "formatting.html", "snippets.html" }) {
        SCOPED_TRACE(page);
        load(page);
        auto set = VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *view->mainFrame());
        ASSERT_TRUE(set);
        VornickFragmentCompletionUIController controller;
        size_t disabled = 0;
        for (const auto& base : places()) {
            controller.setBaseTargetRange(base);
            for (const char16_t* search : { u"", u"d", u"li", u"a" }) {
                auto ranked = set->rankedMatchesForSearchString(search);
                auto expected = judgedOneByOne(base, ranked);
                auto rows = rowsOneAtATime(controller, ranked);
                ASSERT_EQ(describeAll(rows), describeAll(expected)) << toUTF8(base->toString()) << " / " << toUTF8(search);
                disabled += static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](const auto& m) { return m.disabled(); }));
            }
        }
        EXPECT_GT(disabled, 0u) << "the places should disable some matches";
    }
}

TEST_F(CompletionRows, KeptAnswersAreDroppedWhenTheDocumentChanges)
{
    loadBody("<p>One two</p><div>Three</div>");
    auto set = VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *view->mainFrame());
    auto text = textNode(u"One two");
    auto caret = rangeIn(text, 3, 3);
    VornickFragmentCompletionUIController controller;
    controller.setBaseTargetRange(caret);
    auto find = [](const std::vector<VornickCompletionMatch>& rows, std::u16string_view tag) -> const VornickCompletionMatch* {
        for (const auto& row : rows) {
            if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(row); spec && spec->tagName() == tag)
                return &row;
        }
        return nullptr;
    };
    auto rows = rowsOneAtATime(controller, set->rankedMatchesForSearchString(u"div"));
    ASSERT_TRUE(find(rows, u"div"));
    EXPECT_TRUE(find(rows, u"div")->disabled()) << "no DIV inside a P";
    EXPECT_GT(controller.completionVerdictCache()->count(), 0u);

    // The same text node, now in a DIV: the caret's boundary points are as
    // they were, the answer is not.
    auto div = element(u"DIV");
    div->insertBefore(text, div->firstChild());
    caret = rangeIn(text, 3, 3);
    controller.setBaseTargetRange(caret);
    rows = rowsOneAtATime(controller, set->rankedMatchesForSearchString(u"div"));
    ASSERT_TRUE(find(rows, u"div"));
    EXPECT_FALSE(find(rows, u"div")->disabled());
    EXPECT_EQ(describeAll(rows), describeAll(judgedOneByOne(caret, set->rankedMatchesForSearchString(u"div"))));

    // Another base range starts afresh too.
    auto inside = rangeIn(textNode(u"Three"), 1, 1);
    controller.setBaseTargetRange(inside);
    rows = rowsOneAtATime(controller, set->rankedMatchesForSearchString(u"p"));
    EXPECT_EQ(describeAll(rows), describeAll(judgedOneByOne(inside, set->rankedMatchesForSearchString(u"p"))));
}

TEST_F(CompletionRows, ThePopoverJudgesOnlyItsShownRowsPerKeystroke)
{
    load("snippets.html");
    select(rangeIn(textNode(u"A page"), 2, 2));
    endEvent();
    VornickContentEditingViewTestPeer::vornick_initiateFragmentCompletion(*view, nullptr);
    auto& controller = *view->fragmentCompletionUIController();
    ASSERT_TRUE(controller.isShown());
    auto set = std::static_pointer_cast<VornickFragmentCompletionSet>(vornick_fragmentCompletionSet(*view->mainFrame()));
    ASSERT_TRUE(set);
    auto ranked = set->rankedMatchesForSearchString(u"").size();
    ASSERT_GT(ranked, 2 * VornickFragmentCompletionUIController::numberOfShownRows);
    EXPECT_LT(controller.completionVerdictCache()->count(), ranked);
    // Asking for every row judges the rest; the rows shown first stay first.
    std::vector<std::string> shown;
    for (size_t i = 0; i < VornickFragmentCompletionUIController::numberOfShownRows; ++i) {
        if (const auto* row = controller.matchAtIndex(i))
            shown.push_back(describe(*row));
    }
    auto all = describeAll(controller.matches());
    ASSERT_GE(all.size(), shown.size());
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(shown.size())), shown);
    controller.cancelCompletionWithSpecialExitString();
}

} // namespace
} // namespace brevanton::testing
