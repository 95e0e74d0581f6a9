#include "UndoableEditChecks.h"

#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickDOMTextGatherer.h"
#include "platform/views/SpellChecker.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/TextField.h"
#include "platform/views/WordListSpellChecker.h"
#include "ui/VornickBezel.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class SpellingTest : public UndoableEditTest {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        SpellChecker::setSharedSpellChecker(std::make_shared<WordListSpellChecker>(
            std::vector<std::u16string> { u"Hello", u"world", u"again", u"big", u"said", u"ok", u"the", u"end" }));
    }
    void TearDown() override
    {
        SpellChecker::setSharedSpellChecker(nullptr);
        UndoableEditTest::TearDown();
    }
    std::string selectedText() const
    {
        auto range = view->effectiveOperationRange();
        return range ? toUTF8(range->toString()) : "(none)";
    }
    std::string bezelMessage() const
    {
        return toUTF8(VornickBezel::sharedContentEditingViewBezel()->messageTextField()->attributedStringValue().string());
    }
    std::vector<std::string> runsOf(unsigned count)
    {
        VornickDOMTextGatherer gatherer;
        std::vector<std::string> runs;
        for (unsigned i = 0; i < count; ++i) {
            auto run = gatherer.nextTextRunInDocument(document());
            if (!run)
                break;
            runs.push_back((run->wrapped ? "~" : "") + toUTF8(run->lang.value_or(u"?")) + ":" + toUTF8(run->text));
        }
        return runs;
    }
    void type(const std::u16string& text)
    {
        // As a key event does: within one turn of the main run loop.
        RunLoop::main().perform([this, text] { VornickContentEditingViewTestPeer::deferredInsertProposedText(*view, text, nullptr, WebViewInsertActionTyped); });
        RunLoop::main().runUntil([] { return false; }, 0.05);
        // A slow machine may still owe the turns that check and fix up what
        // was typed: they run before the test looks.
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
};

TEST_F(SpellingTest, GathererCutsRunsAtBlocksAndLanguagesAndWraps)
{
    loadBody("<p>Hello <b>big</b> world</p><p lang=\"fr\">Bonjour <span lang=\"de\">Guten</span> Tag</p><div>end</div>");
    auto runs = runsOf(7);
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0], "?:Hello big world");
    EXPECT_EQ(runs[1], "fr:Bonjour ");
    EXPECT_EQ(runs[2], "de:Guten");
    EXPECT_EQ(runs[3], "fr: Tag");
    EXPECT_EQ(runs[4], "?:end");
    EXPECT_EQ(runs[5], "~?:Hello big world");
    EXPECT_EQ(runs[6], "fr:Bonjour ");
}

TEST_F(SpellingTest, GathererMapsRunTextBackToTheDOMAndStopsOnADocumentWithoutText)
{
    loadBody("<p>Hello <b>big</b> world</p>");
    VornickDOMTextGatherer gatherer;
    auto run = gatherer.nextTextRunInDocument(document());
    ASSERT_TRUE(run);
    auto range = gatherer.domRangeOfNSRange({ 6, 9 }, *run, document());
    ASSERT_TRUE(range);
    EXPECT_EQ(toUTF8(range->toString()), "big world");
    EXPECT_EQ(range->startContainer(), textNode(u"big"));

    // Nothing to gather: the walk passes the end of the body twice and ends.
    loadBody("<p><img src=\"picture.png\" alt=\"\"></p>");
    VornickDOMTextGatherer empty;
    EXPECT_FALSE(empty.nextTextRunInDocument(document()));
}

TEST_F(SpellingTest, CheckSelectsTheFirstMisspellingFromTheStartOfTheWordAtTheCaret)
{
    loadBody("<p>Hello wrold again</p>");
    auto text = textNode(u"Hello");
    select(rangeIn(text, 8, 8)); // inside "wrold"
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(selectedText(), "wrold");
    auto& panel = SpellChecker::sharedSpellChecker().spellingPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(toUTF8(panel.wordField()->stringValue()), "wrold");
}

TEST_F(SpellingTest, CheckFromACaretAtBodyLevelUsesTheBody)
{
    loadBody("<p>Hello wrold</p>");
    select(rangeIn(body(), 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(selectedText(), "wrold");
}

TEST_F(SpellingTest, TextInALanguageWithoutDictionaryIsPassedAndACleanDocumentSaysSo)
{
    loadBody("<p>Hello</p><p lang=\"fr\">Bonjour monde</p><p>zzz end</p>");
    select(rangeIn(textNode(u"Hello"), 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(selectedText(), "zzz");

    // Ignored, the word is no finding any more: one wrap, then the OK message.
    auto field = std::make_shared<TextField>();
    field->setTextString(u"zzz");
    ASSERT_TRUE(view->tryToPerform("ignoreSpelling:", field.get()));
    auto caret = rangeIn(textNode(u"Hello"), 2, 2);
    select(caret);
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(bezelMessage(), "\u2714 Spelling OK");
    EXPECT_EQ(selectedText(), "");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 2u);
}

class ContentLocator : public VornickAttachmentPointLocator {
public:
    std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(u"content"); }
};

TEST_F(SpellingTest, WithAttachmentPointsOnlyTheirTextIsChecked)
{
    view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
        std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> { { u"content", std::make_shared<ContentLocator>() } }));
    loadBody("<div id=side>Sidebr wrng</div><div id=content><p>Hello wrold</p></div><p>trailr</p>");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"content", VornickAttachmentType::SingleElement, nullptr));
    select(rangeIn(textNode(u"Hello"), 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(selectedText(), "wrold");

    auto field = std::make_shared<TextField>();
    field->setTextString(u"wrold");
    ASSERT_TRUE(view->tryToPerform("ignoreSpelling:", field.get()));
    select(rangeIn(textNode(u"Hello"), 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(bezelMessage(), "\u2714 Spelling OK");
    EXPECT_EQ(selectedText(), "");
}

TEST_F(SpellingTest, ChangeSpellingReplacesTheSelectionUndoably)
{
    loadBody("<p>Hello wrold</p>");
    select(rangeIn(textNode(u"Hello"), 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    ASSERT_EQ(selectedText(), "wrold");
    auto field = std::make_shared<TextField>();
    field->setTextString(u"world");
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->tryToPerform("changeSpelling:", field.get())); }, [&] { EXPECT_EQ(bodyHTML(), "<p>Hello world</p>\n"); },
        { std::nullopt, false });
}

TEST_F(SpellingTest, FixupChangesOnlyTheTextJustTyped)
{
    loadBody("<p>He said \"hi\" -- ok</p>");
    auto text = textNode(u"He said");
    select(rangeIn(text, static_cast<unsigned>(text->length()), static_cast<unsigned>(text->length())));
    type(u" \"");
    // The quotes and the dash already in the file stay as they were.
    EXPECT_EQ(toUTF8(text->data()), "He said \"hi\" -- ok \u201C");

    // An undone substitution is not made again by the next character.
    view->undoManager()->undo();
    EXPECT_EQ(toUTF8(text->data()), "He said \"hi\" -- ok \"");
    type(u"a");
    EXPECT_EQ(toUTF8(text->data()), "He said \"hi\" -- ok \"a");

    // Two hyphens become a dash once the character after them is typed.
    type(u"--");
    type(u"b");
    EXPECT_EQ(toUTF8(text->data()), "He said \"hi\" -- ok \"a\u2014b");
}

TEST_F(SpellingTest, CodeGetsNoFixup)
{
    loadBody("<p><code>x</code></p>");
    auto text = textNode(u"x");
    select(rangeIn(text, 1, 1));
    type(u"\"");
    EXPECT_EQ(toUTF8(text->data()), "x\"");
}

// Hunspell on a real page: every finding is selected in the document as
// the word the panel shows, and the walk comes round to the OK message.
class SpellingWithHunspell : public UndoableEditTest { };

TEST_F(SpellingWithHunspell, EveryFindingOfARealPageMapsToItsWord)
{
    if (!std::filesystem::exists("/usr/share/hunspell/en_US.dic"))
        GTEST_SKIP() << "no en_US dictionary";
    // The blog post with a few misspellings, and a paragraph in a language
    // without a dictionary.
    std::string page = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/blog-post.html").value_or("");
    size_t footer = page.find("<footer>");
    ASSERT_NE(footer, std::string::npos);
    page.insert(footer, "<p>A wrold of <em>mispeled</em> wrds.</p><p lang=fr>Ceci est une phrase tr\xC3\xA8" "s fran\xC3\xA7" "aise</p>");
    writePage("blog-post.html", page);
    load("blog-post.html");
    auto& checker = SpellChecker::sharedSpellChecker();
    unsigned findings = 0;
    std::u16string last;
    for (; findings < 40; ++findings) {
        ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
        std::u16string word = checker.spellingPanel().wordField()->stringValue();
        // A check that finds nothing more leaves the selection and the panel as they were.
        if (word == last)
            break;
        last = word;
        auto range = view->effectiveOperationRange();
        ASSERT_TRUE(range);
        EXPECT_EQ(toUTF8(range->toString()), toUTF8(word));
        auto field = std::make_shared<TextField>();
        field->setTextString(word);
        ASSERT_TRUE(view->tryToPerform("ignoreSpelling:", field.get()));
    }
    EXPECT_EQ(findings, 3u); // "wrold", "mispeled", "wrds"; the French is not checked
    EXPECT_LT(findings, 40u);
    EXPECT_EQ(toUTF8(VornickBezel::sharedContentEditingViewBezel()->messageTextField()->stringValue()), "\u2714 Spelling OK");
}

} // namespace
} // namespace brevanton::testing
