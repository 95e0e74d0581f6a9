#include "UndoableEditChecks.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickDOMPathBar.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickWebFrameEditingState.h"
#include "editing/VornickFindAndReplaceController.h"
#include "platform/foundation/AttributedString.h"
#include "platform/views/FindBarView.h"
#include "platform/views/Menu.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton {

class VornickFindAndReplaceControllerTestPeer {
public:
    static unsigned regenerationCount(const VornickFindAndReplaceController& controller) { return controller.m_regenerationCount; }
};

} // namespace brevanton

namespace brevanton::testing {
namespace {

class FindAndReplaceTest : public UndoableEditTest {
protected:
    VornickFindAndReplaceController& finder() { return view->findAndReplaceController(); }
    bool perform(TextFinderAction action) { return finder().performAction(static_cast<long>(action)); }
    void search(const std::u16string& find, const std::u16string& replace = {})
    {
        finder().textFinder().setFindString(find);
        finder().textFinder().setReplaceString(replace);
    }
    std::string paragraphText(unsigned index = 0) const { return toUTF8(element(u"p", index)->textContent()); }
    std::string selectedText() const
    {
        auto range = view->effectiveOperationRange();
        return range ? toUTF8(range->toString()) : "(none)";
    }
};

TEST_F(FindAndReplaceTest, SearchTextIsTheTextItselfInRunsAndASpaceBeyondItsEnd)
{
    loadBody("<p>Fish &amp; <b>chips</b></p><p>three</p>");
    auto text = finder().attributedString();
    ASSERT_TRUE(text);
    std::u16string string = text->string();
    size_t fish = string.find(u"Fish & chips");
    ASSERT_NE(fish, std::u16string::npos) << toUTF8(string);

    TextRange run;
    bool boundary = false;
    EXPECT_EQ(toUTF8(finder().stringAtIndex(fish + 2, &run, &boundary)), "Fish & chips");
    EXPECT_TRUE(boundary);
    EXPECT_EQ(run.location, fish);
    size_t three = string.find(u"three");
    EXPECT_EQ(toUTF8(finder().stringAtIndex(three, &run, &boundary)), "three");

    size_t length = finder().stringLength();
    EXPECT_EQ(toUTF8(finder().stringAtIndex(length + 3, &run, &boundary)), " ");
    EXPECT_EQ(run, (TextRange { length + 3, 1 }));

    // No match runs from one paragraph into the next.
    search(u"chipsthree");
    EXPECT_TRUE(finder().textFinder().allMatches().empty());
    search(u"& ch");
    EXPECT_EQ(finder().textFinder().allMatches().size(), 1u);
}

TEST_F(FindAndReplaceTest, NextSelectsTheMatchAndReplaceWorksAcrossInlineElements)
{
    loadBody("<p>Fish &amp; <b>chips</b> today</p>");
    search(u"& chips", u"and fries");
    ASSERT_TRUE(perform(TextFinderAction::NextMatch));
    EXPECT_EQ(selectedText(), "& chips");
    ASSERT_TRUE(perform(TextFinderAction::Replace));
    EXPECT_EQ(paragraphText(), "Fish and fries today");
    // The next search sees the new text.
    search(u"fries");
    EXPECT_EQ(finder().textFinder().allMatches().size(), 1u);
    search(u"chips");
    EXPECT_TRUE(finder().textFinder().allMatches().empty());
}

// A text node whose leading white space the writer trims: offsets in its
// span count from after that white space.
TEST_F(FindAndReplaceTest, TrimmedLeadingWhitespaceDoesNotShiftTheReplacedCharacters)
{
    loadBody("<p>\n    some text here</p>");
    search(u"here", u"there");
    ASSERT_TRUE(perform(TextFinderAction::NextMatch));
    EXPECT_EQ(selectedText(), "here");
    ASSERT_TRUE(perform(TextFinderAction::ReplaceAll));
    EXPECT_EQ(paragraphText(), "\n    some text there");
}

// The regenerated source's map follows a text whose trimmed leading white
// space changes: such a change is written whole, never spliced.
TEST_F(FindAndReplaceTest, SourceMapFollowsAChangeOfTrimmedLeadingWhitespace)
{
    loadBody("<p>\n    text here</p>");
    auto frame = view->mainFrame();
    auto text = textNode(u"text here");
    auto regenerate = [&] {
        view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
        VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    };
    auto sourceOf = [&](unsigned start, unsigned end) {
        auto source = vornick_lastGeneratedHTMLString(*frame);
        auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame);
        if (!source || !map)
            return std::string("(no source)");
        VornickRange range = map->rangeForDOMRange(*rangeIn(text, start, end), &*source);
        return range.location == VornickNotFound ? std::string("(none)") : toUTF8(source->substr(range.location, range.length));
    };
    regenerate();
    EXPECT_EQ(sourceOf(10, 14), "here");

    text->deleteData(1, 2); // "\n  text here"
    regenerate();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(sourceOf(8, 12), "here");

    text->appendData(u" now"); // the start stays: spliced
    regenerate();
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(sourceOf(8, 12), "here");
    EXPECT_EQ(sourceOf(13, 16), "now");
}

// The search text holds "&lt;" as four characters, not as a reference.
TEST_F(FindAndReplaceTest, TextThatLooksLikeAReferenceIsPlainText)
{
    loadBody("<p>a &amp;lt; b</p>");
    search(u"b", u"c");
    ASSERT_TRUE(perform(TextFinderAction::NextMatch));
    EXPECT_EQ(selectedText(), "b");
    std::u16string string = finder().attributedString()->string();
    EXPECT_EQ(finder().firstSelectedRange(), (TextRange { string.find(u"b"), 1 }));
    ASSERT_TRUE(perform(TextFinderAction::Replace));
    EXPECT_EQ(paragraphText(), "a &lt; c");
}

TEST_F(FindAndReplaceTest, ReplaceAllIsOneUndoStepAndWritesTheSearchTextOnce)
{
    loadBody("<p>cat and cat</p><p>a <em>cat</em></p><p>\n  cat</p>");
    search(u"cat", u"dog");
    finder().invalidateAttributedStringAndMap();
    unsigned before = VornickFindAndReplaceControllerTestPeer::regenerationCount(finder());
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(perform(TextFinderAction::ReplaceAll));
            EXPECT_EQ(VornickFindAndReplaceControllerTestPeer::regenerationCount(finder()), before + 1);
            EXPECT_EQ(toUTF8(finder().textFinder().statusText()), "4 replaced");
        },
        [&] {
            EXPECT_EQ(paragraphText(0), "dog and dog");
            EXPECT_EQ(paragraphText(1), "a dog");
            EXPECT_EQ(paragraphText(2), "\n  dog");
        });
}

TEST_F(FindAndReplaceTest, WithoutAFocusedFrameTheSearchTextIsEmpty)
{
    VornickFindAndReplaceController controller;
    EXPECT_EQ(controller.stringLength(), 0u);
    TextRange run;
    EXPECT_EQ(toUTF8(controller.stringAtIndex(0, &run, nullptr)), " ");
    EXPECT_EQ(run, (TextRange { 0, 1 }));
    EXPECT_FALSE(controller.domRangeForRange({ 0, 1 }));
}

TEST_F(FindAndReplaceTest, FindBarStandsAboveThePathBarAndGoesAway)
{
    loadBody("<p>text</p>");
    double pathBarTop = VornickContentEditingViewTestPeer::of(*view).domPathBar->frame().minY();
    ASSERT_TRUE(perform(TextFinderAction::ShowFindInterface));
    ASSERT_TRUE(view->isFindBarVisible());
    auto bar = view->findBarView();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->superview().get(), view.get());
    EXPECT_DOUBLE_EQ(bar->frame().maxY(), pathBarTop);
    EXPECT_DOUBLE_EQ(view->splitView()->frame().maxY(), bar->frame().minY());

    // The replace row makes the bar taller; it keeps standing on the path bar.
    ASSERT_TRUE(perform(TextFinderAction::ShowReplaceInterface));
    EXPECT_DOUBLE_EQ(bar->frame().maxY(), pathBarTop);
    EXPECT_DOUBLE_EQ(view->splitView()->frame().maxY(), bar->frame().minY());

    // A menu item reaches the finder through the view, by its tag.
    auto item = MenuItem::create(u"Hide", "performTextFinderAction:");
    item->setTag(static_cast<long>(TextFinderAction::HideFindInterface));
    VornickContentEditingViewTestPeer::performTextFinderAction(*view, item.get());
    EXPECT_FALSE(view->isFindBarVisible());
    EXPECT_FALSE(bar->superview());
    EXPECT_DOUBLE_EQ(view->splitView()->frame().maxY(), pathBarTop);
}

// On a real page: a match across a character reference and a no-break
// space, replaced everywhere as one step.
TEST_F(FindAndReplaceTest, ReplaceAllOnARealPage)
{
    std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/blog-post.html", path("blog-post.html"));
    load("blog-post.html");
    search(u"fish & chips", u"Cod & Peas");
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(perform(TextFinderAction::ReplaceAll)); },
        [&] {
            EXPECT_EQ(toUTF8(element(u"h1")->textContent()).substr(0, 12), "Cod & Peas: ");
            EXPECT_EQ(toUTF8(document()->title()), "Fish & Chips \u2014 a review"); // the head is not searched
        });
    search(u"the best", u"x");
    EXPECT_TRUE(finder().textFinder().allMatches().empty()) << "the no-break space is no plain space";
    search(u"3 < 4 > 2", u"");
    EXPECT_EQ(finder().textFinder().allMatches().size(), 1u);
}

} // namespace
} // namespace brevanton::testing
