#include "platform/views/Application.h"
#include "platform/views/FindBarView.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/TextFinder.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Text in parts (paragraphs): no match runs from one part into the next
// unless a part says it does not end with a search boundary.
class PartsClient : public TextFinderClient {
public:
    struct Part {
        std::u16string text;
        bool endsWithBoundary { true };
    };
    explicit PartsClient(std::vector<Part> parts) : parts(std::move(parts)) {}

    bool isEditable() const override { return editable; }
    size_t stringLength() const override
    {
        size_t length = 0;
        for (const auto& part : parts)
            length += part.text.size();
        return length;
    }
    std::u16string stringAtIndex(size_t index, TextRange* range, bool* boundary) override
    {
        ++stringRequests;
        size_t start = 0;
        for (const auto& part : parts) {
            if (index < start + part.text.size()) {
                *range = { start, part.text.size() };
                *boundary = part.endsWithBoundary;
                return part.text;
            }
            start += part.text.size();
        }
        *range = { index, 1 };
        *boundary = true;
        return u" ";
    }
    TextRange firstSelectedRange() override { return selection; }
    void setSelectedRanges(const std::vector<TextRange>& ranges) override
    {
        if (!ranges.empty())
            selection = ranges.front();
    }
    void scrollRangeToVisible(TextRange range) override { scrolledTo = range; }
    bool shouldReplaceCharactersInRanges(const std::vector<TextRange>& ranges, const std::vector<std::u16string>&) override
    {
        announced = ranges;
        return allowReplacing;
    }
    void replaceCharactersInRange(TextRange range, const std::u16string& string) override
    {
        replacedOrder.push_back(range.location);
        size_t start = 0;
        for (auto& part : parts) {
            if (range.location >= start && range.end() <= start + part.text.size()) {
                part.text.replace(range.location - start, range.length, string);
                return;
            }
            start += part.text.size();
        }
        ADD_FAILURE() << "replacement across parts";
    }
    void didReplaceCharacters() override { ++didReplaceCount; }

    std::u16string text() const
    {
        std::u16string all;
        for (const auto& part : parts)
            all += part.text;
        return all;
    }

    std::vector<Part> parts;
    bool editable { true };
    bool allowReplacing { true };
    TextRange selection;
    TextRange scrolledTo;
    std::vector<TextRange> announced;
    std::vector<size_t> replacedOrder;
    int didReplaceCount { 0 };
    int stringRequests { 0 };
};

class Container : public TextFinderBarContainer {
public:
    std::shared_ptr<View> findBarView() const override { return bar; }
    void setFindBarView(const std::shared_ptr<View>& view) override { bar = view; }
    bool isFindBarVisible() const override { return visible; }
    void setFindBarVisible(bool shown) override
    {
        visible = shown;
        if (shown && bar)
            host->addSubview(bar);
        else if (bar)
            bar->removeFromSuperview();
    }
    void findBarViewDidChangeHeight() override { ++heightChanges; }

    std::shared_ptr<View> host = std::make_shared<View>(Rect(0, 0, 800, 600));
    std::shared_ptr<View> bar;
    bool visible { false };
    int heightChanges { 0 };
};

long tagOf(TextFinderAction action)
{
    return static_cast<long>(action);
}

std::vector<TextRange> find(std::u16string_view text, std::u16string_view needle, TextFinderOptions options)
{
    std::vector<TextRange> matches;
    TextFinderMatcher(needle, options).appendMatches(text, 0, matches);
    return matches;
}

} // namespace

TEST(TextFinderMatcher, CaseAndWordOptions)
{
    TextFinderOptions exact { false, TextFinderMatchType::Contains };
    TextFinderOptions folded { true, TextFinderMatchType::Contains };
    EXPECT_EQ(find(u"Cat cat CAT", u"cat", exact), (std::vector<TextRange> { { 4, 3 } }));
    EXPECT_EQ(find(u"Cat cat CAT", u"cat", folded).size(), 3u);
    // Folding goes beyond ASCII and keeps offsets: Greek, Cyrillic, and a
    // letter outside the basic plane (Deseret).
    EXPECT_EQ(find(u"ΣΟΦΊΑ и Привет", u"привет", folded), (std::vector<TextRange> { { 8, 6 } }));
    EXPECT_EQ(find(u"σοφία", u"ΣΟΦΊΑ", folded), (std::vector<TextRange> { { 0, 5 } }));
    EXPECT_EQ(find(u"x\U00010400y", u"\U00010428", folded), (std::vector<TextRange> { { 1, 2 } }));
    // Matches do not overlap.
    EXPECT_EQ(find(u"aaaa", u"aa", exact), (std::vector<TextRange> { { 0, 2 }, { 2, 2 } }));

    TextFinderOptions startsWith { true, TextFinderMatchType::StartsWith };
    TextFinderOptions fullWord { true, TextFinderMatchType::FullWord };
    std::u16string text = u"cater concat cat cat's";
    EXPECT_EQ(find(text, u"cat", startsWith), (std::vector<TextRange> { { 0, 3 }, { 13, 3 }, { 17, 3 } }));
    EXPECT_EQ(find(text, u"cat", fullWord), (std::vector<TextRange> { { 13, 3 } }));
    // A rejected place does not hide a match that overlaps it.
    EXPECT_EQ(find(u"xcatcat cat", u"cat", fullWord), (std::vector<TextRange> { { 8, 3 } }));
    // Words of scripts without spaces break where ICU's dictionary says.
    EXPECT_FALSE(find(u"東京都に住む", u"東京", startsWith).empty());
    EXPECT_TRUE(find(u"anything", u"", folded).empty());
}

TEST(TextFinder, FindsForwardAndBackwardAndWraps)
{
    PartsClient client({ { u"one two one" }, { u"three one" } });
    TextFinder finder;
    finder.setClient(&client);
    finder.setFindString(u"one");
    EXPECT_EQ(finder.allMatches(), (std::vector<TextRange> { { 0, 3 }, { 8, 3 }, { 17, 3 } }));

    client.selection = { 4, 0 };
    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::NextMatch)));
    EXPECT_EQ(client.selection, (TextRange { 8, 3 }));
    EXPECT_EQ(client.scrolledTo, client.selection);
    EXPECT_EQ(finder.statusText(), u"2 of 3");
    finder.performAction(tagOf(TextFinderAction::NextMatch));
    finder.performAction(tagOf(TextFinderAction::NextMatch));
    EXPECT_EQ(client.selection, (TextRange { 0, 3 })) << "wraps past the end";
    finder.performAction(tagOf(TextFinderAction::PreviousMatch));
    EXPECT_EQ(client.selection, (TextRange { 17, 3 })) << "wraps past the start";
    finder.performAction(tagOf(TextFinderAction::PreviousMatch));
    EXPECT_EQ(client.selection, (TextRange { 8, 3 }));

    finder.setFindString(u"missing");
    EXPECT_FALSE(finder.performAction(tagOf(TextFinderAction::NextMatch)));
    EXPECT_EQ(finder.statusText(), u"Not found");
    EXPECT_EQ(client.selection, (TextRange { 8, 3 }));
    // Unknown tags are refused.
    EXPECT_FALSE(finder.performAction(99));
    EXPECT_FALSE(finder.validateAction(8));
}

TEST(TextFinder, MatchesStopAtSearchBoundaries)
{
    // "ab" ends one paragraph and "cd" starts the next: no match across.
    PartsClient separate({ { u"xxab" }, { u"cdyy" } });
    TextFinder finder;
    finder.setClient(&separate);
    finder.setFindString(u"abcd");
    EXPECT_TRUE(finder.allMatches().empty());
    // Parts that continue one another are searched as one.
    PartsClient joined({ { u"xxab", false }, { u"cdyy" } });
    finder.setClient(&joined);
    EXPECT_EQ(finder.allMatches(), (std::vector<TextRange> { { 2, 4 } }));
    // An empty text asks for nothing beyond its end.
    PartsClient empty({});
    finder.setClient(&empty);
    EXPECT_TRUE(finder.allMatches().empty());
    EXPECT_EQ(empty.stringRequests, 0);
    EXPECT_FALSE(finder.validateAction(tagOf(TextFinderAction::NextMatch)));
}

TEST(TextFinder, ReplacesTheSelectedMatchAndAllMatchesFromTheLast)
{
    PartsClient client({ { u"red fox, red hen" }, { u"Red sky" } });
    TextFinder finder;
    finder.setClient(&client);
    finder.setFindString(u"red");
    finder.setReplaceString(u"blue");

    // Replace needs the selection to be a match.
    client.selection = { 1, 2 };
    EXPECT_FALSE(finder.validateAction(tagOf(TextFinderAction::Replace)));
    EXPECT_FALSE(finder.performAction(tagOf(TextFinderAction::Replace)));
    client.selection = { 0, 3 };
    EXPECT_TRUE(finder.validateAction(tagOf(TextFinderAction::Replace)));
    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::ReplaceAndFind)));
    EXPECT_EQ(client.text(), u"blue fox, red hen" u"Red sky");
    EXPECT_EQ(client.selection, (TextRange { 10, 3 })) << "the next match is selected";
    EXPECT_EQ(client.didReplaceCount, 1);

    // Replace All asks once with every range, replaces from the last match
    // to the first, and announces once.
    client.replacedOrder.clear();
    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::ReplaceAll)));
    EXPECT_EQ(client.announced, (std::vector<TextRange> { { 10, 3 }, { 17, 3 } }));
    EXPECT_EQ(client.replacedOrder, (std::vector<size_t> { 17, 10 }));
    EXPECT_EQ(client.text(), u"blue fox, blue hen" u"blue sky");
    EXPECT_EQ(client.didReplaceCount, 2);
    EXPECT_EQ(finder.statusText(), u"2 replaced");

    // A client that refuses, or cannot be edited, keeps its text.
    finder.setFindString(u"blue");
    client.allowReplacing = false;
    EXPECT_FALSE(finder.performAction(tagOf(TextFinderAction::ReplaceAll)));
    client.allowReplacing = true;
    client.editable = false;
    EXPECT_FALSE(finder.validateAction(tagOf(TextFinderAction::ReplaceAll)));
    EXPECT_FALSE(finder.performAction(tagOf(TextFinderAction::ReplaceAll)));
    EXPECT_EQ(client.text(), u"blue fox, blue hen" u"blue sky");
}

TEST(TextFinder, TheFindBarDrivesTheFinder)
{
    Pasteboard::pasteboardWithName(PasteboardNameFind)->clearContents();
    PartsClient client({ { u"Alpha beta alphabet" } });
    Container container;
    TextFinder finder;
    finder.setClient(&client);
    EXPECT_FALSE(finder.validateAction(tagOf(TextFinderAction::ShowFindInterface)));
    finder.setFindBarContainer(&container);
    auto bar = finder.findBarView();
    EXPECT_EQ(container.bar, bar);

    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::ShowFindInterface)));
    EXPECT_TRUE(container.visible);
    EXPECT_EQ(bar->superview(), container.host);
    EXPECT_EQ(bar->frame().size.height, FindBarView::RowHeight);
    EXPECT_TRUE(bar->replaceField()->isHidden());

    // Typing a search and pressing Next; options come from the bar.
    bar->searchField()->setStringValue(u"alpha");
    bar->ignoreCaseButton()->performClick(); // case now matters
    ASSERT_TRUE(bar->nextButton()->performClick());
    EXPECT_EQ(finder.findString(), u"alpha");
    EXPECT_FALSE(finder.options().ignoresCase);
    EXPECT_EQ(client.selection, (TextRange { 11, 5 }));
    EXPECT_EQ(bar->statusField()->stringValue(), u"1 of 1");
    // The search string is shared through the find pasteboard.
    EXPECT_EQ(Pasteboard::pasteboardWithName(PasteboardNameFind)->stringForType(PasteboardTypeString), u"alpha");
    bar->matchTypeButtons()[2]->performClick(); // Full Word
    EXPECT_EQ(finder.options().matchType, TextFinderMatchType::FullWord);
    EXPECT_EQ(bar->matchTypeButtons()[0]->state(), OffState);
    bar->nextButton()->performClick();
    EXPECT_EQ(bar->statusField()->stringValue(), u"Not found");

    // The replace row makes the bar taller; the container hears of it.
    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::ShowReplaceInterface)));
    EXPECT_EQ(bar->frame().size.height, 2 * FindBarView::RowHeight);
    EXPECT_EQ(container.heightChanges, 1);
    EXPECT_FALSE(bar->replaceField()->isHidden());
    bar->ignoreCaseButton()->performClick();
    bar->matchTypeButtons()[0]->performClick();
    bar->replaceField()->setStringValue(u"Omega");
    ASSERT_TRUE(bar->replaceAllButton()->performClick());
    EXPECT_EQ(client.text(), u"Omega beta Omegabet");
    ASSERT_TRUE(finder.performAction(tagOf(TextFinderAction::HideReplaceInterface)));
    EXPECT_EQ(container.heightChanges, 2);

    ASSERT_TRUE(bar->doneButton()->performClick());
    EXPECT_FALSE(container.visible);
    EXPECT_EQ(bar->superview(), nullptr);

    // A new finder starts from the shared search string.
    TextFinder other;
    other.setClient(&client);
    other.setFindBarContainer(&container);
    other.performAction(tagOf(TextFinderAction::ShowFindInterface));
    EXPECT_EQ(other.findString(), u"alpha");
    EXPECT_EQ(container.bar, other.findBarView());
    other.setFindBarContainer(nullptr);
    EXPECT_EQ(container.bar, nullptr);
}
