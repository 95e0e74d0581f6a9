// Copy, cut, paste and the Delete key on pages loaded into a real editing
// view, each edit with the four checks of UndoableEditChecks.h.
#include "UndoableEditChecks.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickPasteboardContent.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/web/WebArchive.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <random>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class ClipboardAndDeletion : public UndoableEditTest {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        general()->clearContents();
        Sound::clearPlayedSounds();
    }
    static std::shared_ptr<Pasteboard> general() { return Pasteboard::generalPasteboard(); }
    static size_t beeps()
    {
        auto played = Sound::playedSoundNames();
        return std::count(played.begin(), played.end(), std::u16string(Sound::BeepName));
    }
    void caretAt(const std::shared_ptr<DOMNode>& node, unsigned offset) { select(rangeIn(node, offset, offset)); }
    void backspace() { view->deleteSelection(); }
    // The step must change nothing and register no undo.
    void expectNothingHappens(const std::function<void()>& step)
    {
        endEvent();
        view->undoManager()->removeAllActions();
        std::string before = documentSnapshot(*document());
        step();
        endEvent();
        EXPECT_EQ(documentSnapshot(*document()), before);
        EXPECT_FALSE(view->undoManager()->canUndo());
    }
    // The body's markup without the line break the page ends with.
    std::string html() const
    {
        auto markup = bodyHTML();
        if (!markup.empty() && markup.back() == '\n')
            markup.pop_back();
        return markup;
    }
    // A backspace with the caret at the gap, taken as it is.
    void backspaceAt(const std::shared_ptr<DOMNode>& node, unsigned offset) { VornickContentEditingViewTestPeer::deleteRange(*view, rangeIn(node, offset, offset)); }
};

// --- Backspace

TEST_F(ClipboardAndDeletion, BackspaceDeletesOneUserPerceivedCharacter)
{
    // An emoji with a skin tone, a flag, a letter with a combining accent.
    loadBody("<p>a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD" "b\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7" "ce\xCC\x81x</p>");
    auto text = textNode(u"a");
    const std::u16string original = text->data();
    struct Case {
        unsigned caret;
        std::u16string expected;
    };
    const Case cases[] = {
        { 5, u"ab\U0001F1EB\U0001F1F7ce\u0301x" },
        { 10, u"a\U0001F44D\U0001F3FDbce\u0301x" },
        { 13, u"a\U0001F44D\U0001F3FDb\U0001F1EB\U0001F1F7cx" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.caret);
        ASSERT_EQ(textNode(u"a")->data(), original);
        caretAt(textNode(u"a"), test.caret);
        checkUndoableStep(*view, [&] { backspace(); }, [&] { EXPECT_EQ(toUTF8(textNode(u"a")->data()), toUTF8(test.expected)); });
        view->undoManager()->undo();
        endEvent();
    }
}

TEST_F(ClipboardAndDeletion, BackspaceOfTheOnlyCharacterLeavesAPlaceholderSpace)
{
    loadBody("<p>x</p><p>y</p>");
    caretAt(textNode(u"x"), 1);
    auto placeholder = view->placeholderSpaceStringForDocumentContainingRange(*view->effectiveOperationRange());
    checkUndoableStep(
        *view, [&] { backspace(); },
        [&] {
            ASSERT_TRUE(body()->first()->first()->isTextNode());
            EXPECT_EQ(toUTF8(downcast<DOMCharacterData>(body()->first()->first())->data()), toUTF8(placeholder));
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret && caret->collapsed());
            EXPECT_EQ(caret->startContainer(), body()->firstChild()->firstChild());
            EXPECT_EQ(caret->startOffset(), 0u);
        });
}

TEST_F(ClipboardAndDeletion, BackspaceAfterALineBreakTakesTheWhiteSpaceAndTheBreak)
{
    loadBody("<p>one<br>\n   two</p>");
    caretAt(textNode(u"two"), 4);
    checkUndoableStep(*view, [&] { backspace(); }, [&] { EXPECT_EQ(html(), "<p>onetwo</p>"); });
    // From the gap after the break, the white space that begins the next line goes too.
    loadBody("<p>one<br>  two</p>");
    auto paragraph = body()->firstChild()->shared_from_this();
    checkUndoableStep(*view, [&] { backspaceAt(paragraph, 2); }, [&] { EXPECT_EQ(html(), "<p>onetwo</p>"); }, { std::nullopt, false });
}

TEST_F(ClipboardAndDeletion, BackspaceDeletesAnElementWithoutTextAndOtherwiseOnlyMovesTheCaret)
{
    loadBody("<p>a<img src=\"x.png\">b</p>");
    caretAt(textNode(u"b"), 0);
    checkUndoableStep(*view, [&] { backspace(); }, [&] { EXPECT_EQ(html(), "<p>ab</p>"); });
    // At the very end of the children: the image before the caret goes.
    loadBody("<p>a<img src=\"x.png\"></p>");
    auto paragraph = body()->firstChild()->shared_from_this();
    checkUndoableStep(*view, [&] { backspaceAt(paragraph, 2); }, [&] { EXPECT_EQ(html(), "<p>a</p>"); }, { std::nullopt, false });

    // Text at the end of the previous element takes the caret.
    loadBody("<p><b>bold</b>x</p>");
    expectNothingHappens([&] {
        caretAt(textNode(u"x"), 0);
        backspace();
    });
    auto caret = view->effectiveOperationRange();
    ASSERT_TRUE(caret);
    EXPECT_EQ(caret->startContainer(), textNode(u"bold"));
    EXPECT_EQ(caret->startOffset(), 4u);
}

TEST_F(ClipboardAndDeletion, BackspaceWithOnlyWhiteSpaceAndCommentsBeforeTheCaretDeletesNothing)
{
    loadBody("<p><!--note-->  <img src=\"x.png\"></p><div> <!--a--> <!--b--></div>");
    auto paragraph = body()->firstChild()->shared_from_this();
    auto division = body()->first()->next()->shared_from_this();
    expectNothingHappens([&] { backspaceAt(paragraph, 2); });
    expectNothingHappens([&] { backspaceAt(division, division->childCount()); });
    expectNothingHappens([&] { backspaceAt(division, 1); });
}

TEST_F(ClipboardAndDeletion, BackspaceAtTheStartOfAnElementJoinsItToAnIdenticalPreviousSibling)
{
    loadBody("<p class=\"a\">one</p>\n<p class=\"a\">two</p>");
    caretAt(textNode(u"two"), 0);
    checkUndoableStep(
        *view, [&] { backspace(); },
        [&] {
            EXPECT_EQ(html(), "<p class=\"a\">onetwo</p>");
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret && caret->collapsed());
            EXPECT_EQ(caret->startContainer(), textNode(u"onetwo"));
            EXPECT_EQ(caret->startOffset(), 3u);
        },
        { u"Join elements" });

    // Blocks of text of another kind or with other attributes join too, into
    // the earlier one; an element first in its parent joins as the parent.
    const std::pair<const char*, const char*> joins[] = {
        { "<p class=\"a\">one</p><p class=\"b\">two</p>", "<p class=\"a\">onetwo</p>" },
        { "<h2>one</h2><p>two</p>", "<h2>onetwo</h2>" },
        { "<ul><li><p>one</p></li><li><p>two</p></li></ul>", "<ul><li><p>one</p><p>two</p></li></ul>" },
        { "<p>one</p><p><em>two</em></p>", "<p>one<em>two</em></p>" },
    };
    for (const auto& [body, expected] : joins) {
        loadBody(body);
        caretAt(textNode(u"two"), 0);
        const char* joined = expected;
        checkUndoableStep(
            *view, [&] { backspace(); }, [&] { EXPECT_EQ(html(), joined); }, { u"Join elements" });
    }

    // Before something else the caret goes into its end where that holds
    // text, and nothing happens where it holds none.
    loadBody("<ul><li>one</li></ul><h2>two</h2>");
    caretAt(textNode(u"two"), 0);
    backspace();
    EXPECT_EQ(html(), "<ul><li>one</li></ul><h2>two</h2>");
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), textNode(u"one"));
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 3u);
    loadBody("<div><img src=\"a.png\"></div><p>two</p><table><tbody><tr><td>three</td></tr></tbody></table>");
    expectNothingHappens([&] {
        caretAt(textNode(u"two"), 0);
        backspace();
    });
    expectNothingHappens([&] {
        caretAt(textNode(u"three"), 0);
        backspace();
    });
}

// --- Deleting the selection in an attachment point

class ByIdLocator : public VornickAttachmentPointLocator {
public:
    explicit ByIdLocator(std::u16string id) : m_id(std::move(id)) {}
    std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(m_id); }

private:
    std::u16string m_id;
};

class PlaceholderDelegate : public EditingRecorder {
public:
    std::optional<std::u16string> placeholder;
    std::optional<std::u16string> vornickContentEditingViewPlaceholderContentStringForEmptiedAttachmentPoint(VornickContentEditingView&,
                                                                                                          VornickAttachmentPoint&) override
    {
        return placeholder;
    }
};

class AttachmentPointDeletion : public ClipboardAndDeletion {
protected:
    void SetUp() override
    {
        ClipboardAndDeletion::SetUp();
        view->setDelegate(&placeholderDelegate);
        view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
            std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> { { u"content", std::make_shared<ByIdLocator>(u"content") } }));
        loadBody("<div id=\"content\"><p>Body text</p></div><p>After</p>");
        ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"content", VornickAttachmentType::SingleElement, nullptr));
        content = document()->getElementById(u"content");
    }
    void TearDown() override
    {
        view->setDelegate(nullptr);
        ClipboardAndDeletion::TearDown();
    }
    void selectAllContent()
    {
        auto range = document()->createRange();
        range->selectNodeContents(content);
        select(range);
    }
    PlaceholderDelegate placeholderDelegate;
    std::shared_ptr<DOMElement> content;
};

// An element of white space only goes with a backspace inside an attachment
// point, but a table cell does not: its row would be one cell short.
TEST_F(AttachmentPointDeletion, BackspaceInACellOfWhiteSpaceLeavesTheCell)
{
    loadBody("<div id=\"content\"><table><tbody><tr><td>a</td><td> </td></tr></tbody></table><p> </p></div>");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"content", VornickAttachmentType::SingleElement, nullptr));
    auto before = documentSnapshot(*document());
    auto cell = document()->getElementsByTagName(u"TD")->item(1);
    ASSERT_TRUE(cell && cell->firstChild());
    VornickContentEditingViewTestPeer::deleteRange(*view, rangeIn(cell->firstChild()->shared_from_this(), 0, 0));
    EXPECT_EQ(documentSnapshot(*document()), before);

    // The paragraph of white space beside it does go.
    auto paragraph = document()->getElementsByTagName(u"P")->item(0);
    VornickContentEditingViewTestPeer::deleteRange(*view, rangeIn(paragraph->firstChild()->shared_from_this(), 0, 0));
    EXPECT_FALSE(body()->contains(paragraph.get())) << bodyHTML();
}

TEST_F(AttachmentPointDeletion, EmptyingAnAttachmentPointLeavesASpaceInsideTheSameStep)
{
    selectAllContent();
    checkUndoableStep(
        *view, [&] { view->deleteSelection(); },
        [&] {
            ASSERT_EQ(content->childCount(), 1u);
            ASSERT_TRUE(content->first()->isTextNode());
            EXPECT_EQ(toUTF8(downcast<DOMCharacterData>(content->first())->data()), " ");
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret && caret->collapsed());
            EXPECT_EQ(caret->startContainer().get(), content->first());
        });
}

TEST_F(AttachmentPointDeletion, EmptyingAnAttachmentPointTakesTheDelegatesPlaceholderContent)
{
    placeholderDelegate.placeholder = u"<p>Write here</p>";
    selectAllContent();
    checkUndoableStep(
        *view, [&] { view->deleteSelection(); },
        [&] { EXPECT_EQ(toUTF8(content->innerHTML()), "<p>Write here</p>"); });
}

// --- Copies

TEST_F(ClipboardAndDeletion, CopyWritesTheArchiveAndTheTextWithRealNonBreakingSpaces)
{
    loadBody("<p>one&nbsp;two <b>three</b></p>");
    auto frame = view->mainFrame();
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame);
    ASSERT_NE(substitute, 0) << "a page with non-breaking spaces shows them as a substitute";
    auto text = textNode(u"one");
    // A U+00A0 of the web view's own stands for a space.
    text->setData(text->data() + u"\u00A0");
    auto range = document()->createRange();
    range->selectNodeContents(body()->firstChild()->shared_from_this());
    select(range);
    view->copy(nullptr);
    EXPECT_EQ(beeps(), 0u);
    EXPECT_EQ(toUTF8(general()->stringForType(PasteboardTypeString).value_or(u"")), toUTF8(u"one\u00A0two  three"));
    auto archive = general()->dataForType(WebArchivePboardType);
    ASSERT_TRUE(archive);
    auto webArchive = WebArchive::create(*archive);
    ASSERT_TRUE(webArchive && webArchive->mainResource());

    // As HTML source: only the markup, as text.
    VornickContentEditingViewTestPeer::copyAsHTMLSourceCode(*view, nullptr);
    EXPECT_FALSE(general()->dataForType(WebArchivePboardType));
    auto source = toUTF8(general()->stringForType(PasteboardTypeString).value_or(u""));
    EXPECT_NE(source.find("<b>three</b>"), std::string::npos) << source;
}

TEST_F(ClipboardAndDeletion, CopiesThatHaveNothingToWriteBeepAndLeaveThePasteboard)
{
    loadBody("<p>one <b>two</b></p>");
    ASSERT_TRUE(general()->setString(u"kept", PasteboardTypeString));
    auto count = general()->changeCount();
    caretAt(textNode(u"one"), 2);
    view->copy(nullptr);
    VornickContentEditingViewTestPeer::copyAsHTMLSourceCode(*view, nullptr);
    VornickContentEditingViewTestPeer::cut(*view, nullptr);
    VornickContentEditingViewTestPeer::copyElementInteriorAsHTMLSourceCode(*view, nullptr);
    EXPECT_EQ(beeps(), 4u);
    EXPECT_EQ(general()->changeCount(), count);
    EXPECT_EQ(toUTF8(general()->stringForType(PasteboardTypeString).value_or(u"")), "kept");

    // An element selected exactly: its interior's source.
    auto bold = body()->firstChild()->lastChild()->shared_from_this();
    auto outer = document()->createRange();
    outer->selectNode(*bold);
    select(outer);
    VornickContentEditingViewTestPeer::copyElementInteriorAsHTMLSourceCode(*view, nullptr);
    EXPECT_EQ(toUTF8(general()->stringForType(PasteboardTypeString).value_or(u"")).substr(0, 4), "two\n");
}

TEST_F(ClipboardAndDeletion, CopyLinkWritesOnlyAURLThatResolves)
{
    loadBody("<p><a href=\"http://example.com/x\">good</a> <a href=\"\">empty</a> <a href=\"http://[bad\">bad</a> plain</p>");
    caretAt(textNode(u"good"), 2);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canCopyLink(*view));
    VornickContentEditingViewTestPeer::copyLink(*view, nullptr);
    auto urls = general()->readObjectsForClasses({ PasteboardReadingClass::URL });
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(toUTF8(std::get<URL>(urls.front()).absoluteString()), "http://example.com/x");

    for (const char16_t* text : { u"empty", u"bad" }) {
        SCOPED_TRACE(toUTF8(text));
        ASSERT_TRUE(general()->setString(u"kept", PasteboardTypeString));
        auto count = general()->changeCount();
        Sound::clearPlayedSounds();
        caretAt(textNode(text), 2);
        EXPECT_FALSE(VornickContentEditingViewTestPeer::canCopyLink(*view));
        VornickContentEditingViewTestPeer::copyLink(*view, nullptr);
        EXPECT_EQ(beeps(), 1u);
        EXPECT_EQ(general()->changeCount(), count);
        EXPECT_EQ(toUTF8(general()->stringForType(PasteboardTypeString).value_or(u"")), "kept");
    }
    // No link at all: nothing, and no beep.
    Sound::clearPlayedSounds();
    caretAt(textNode(u"plain"), 2);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canCopyLink(*view));
    VornickContentEditingViewTestPeer::copyLink(*view, nullptr);
    EXPECT_EQ(beeps(), 0u);
}

TEST_F(ClipboardAndDeletion, CutCopiesThenDeletesAsOneStep)
{
    loadBody("<p>one <b>two</b> three</p>");
    select(rangeBetween(textNode(u"one"), 2, textNode(u"three"), 3));
    checkUndoableStep(
        *view, [&] { VornickContentEditingViewTestPeer::cut(*view, nullptr); },
        [&] { EXPECT_EQ(html(), "<p>onree</p>"); }, { u"Cut" });
    EXPECT_EQ(toUTF8(general()->stringForType(PasteboardTypeString).value_or(u"")), "e two th");
}

// --- Pastes

TEST_F(ClipboardAndDeletion, PasteboardContentIsReadInTheOrderDropsUse)
{
    auto pasteboard = std::make_shared<Pasteboard>(u"test");
    auto urlItem = [](const char16_t* string, std::optional<std::u16string> title = std::nullopt) {
        return PasteboardItem::itemWithURL(*URL::create(string), title);
    };
    // Two URLs win over everything.
    ASSERT_TRUE(pasteboard->writeObjects({ urlItem(u"http://a.example/"), urlItem(u"http://b.example/") }));
    ASSERT_TRUE(pasteboard->writeObjects({ pasteboardItemWithWebArchiveData(Data { 1, 2, 3 }) }));
    auto content = VornickReadPasteboardContent(*pasteboard);
    EXPECT_EQ(content.kind, VornickPasteboardContentKind::URLs);
    EXPECT_EQ(content.urls.size(), 2u);

    // Then the archive, before one URL.
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->writeObjects({ urlItem(u"http://a.example/", u"A"), pasteboardItemWithWebArchiveData(Data { 1, 2, 3 }) }));
    EXPECT_EQ(VornickReadPasteboardContent(*pasteboard).kind, VornickPasteboardContentKind::WebArchive);

    // One URL with its title, before the text.
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->writeObjects({ urlItem(u"http://a.example/", u"A") }));
    content = VornickReadPasteboardContent(*pasteboard);
    EXPECT_EQ(content.kind, VornickPasteboardContentKind::URL);
    EXPECT_EQ(toUTF8(content.urlTitle.value_or(u"")), "A");

    // A URL of an unknown scheme is read as text.
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"x-unknown:thing", PasteboardTypeString));
    content = VornickReadPasteboardContent(*pasteboard);
    EXPECT_EQ(content.kind, VornickPasteboardContentKind::String);
    EXPECT_EQ(toUTF8(content.string), "x-unknown:thing");

    pasteboard->clearContents();
    EXPECT_EQ(VornickReadPasteboardContent(*pasteboard).kind, VornickPasteboardContentKind::None);
}

TEST_F(ClipboardAndDeletion, PasteTurnsURLsIntoLinksAndInsertsTextAsText)
{
    loadBody("<p>one two</p>");
    ASSERT_TRUE(general()->writeObjects({ PasteboardItem::itemWithURL(*URL::create(u"http://example.com/"), u"Example") }));
    caretAt(textNode(u"one"), 4);
    checkUndoableStep(
        *view, [&] { VornickContentEditingViewTestPeer::paste(*view, nullptr); },
        [&] { EXPECT_EQ(html(), "<p>one <a href=\"http://example.com/\">Example</a>two</p>"); }, { u"Paste of URL" });

    general()->clearContents();
    ASSERT_TRUE(general()->writeObjects({ PasteboardItem::itemWithURL(*URL::create(u"http://a.example/")),
                                          PasteboardItem::itemWithURL(*URL::create(u"http://b.example/")) }));
    caretAt(textNode(u"two"), 3);
    checkUndoableStep(
        *view, [&] { VornickContentEditingViewTestPeer::paste(*view, nullptr); },
        [&] {
            EXPECT_NE(html().find("<a href=\"http://a.example/\">http://a.example/</a> <a href=\"http://b.example/\">http://b.example/</a>"),
                      std::string::npos)
                << bodyHTML();
        },
        { u"Paste of URL" });

    // Text is no markup, however much it looks like some.
    general()->clearContents();
    ASSERT_TRUE(general()->setString(u"<i>italic</i> & more", PasteboardTypeString));
    caretAt(textNode(u"one"), 0);
    checkUndoableStep(
        *view, [&] { VornickContentEditingViewTestPeer::paste(*view, nullptr); },
        [&] { EXPECT_EQ(html().rfind("<p>&lt;i&gt;italic&lt;/i&gt; &amp; moreone", 0), 0u) << bodyHTML(); }, { u"Paste" });

    general()->clearContents();
    Sound::clearPlayedSounds();
    expectNothingHappens([&] { VornickContentEditingViewTestPeer::paste(*view, nullptr); });
    EXPECT_EQ(beeps(), 1u);
}

TEST_F(ClipboardAndDeletion, OnlyTheEditorsOwnCopyIsPastedAsItWasCopied)
{
    loadBody("<p>one <span style=\"color: red\">red</span> two</p><p>end</p>");
    select(rangeBetween(textNode(u"one"), 0, textNode(u"two"), 4));
    view->copy(nullptr);
    auto archive = general()->dataForType(WebArchivePboardType);
    ASSERT_TRUE(archive);
    caretAt(textNode(u"end"), 3);
    VornickContentEditingViewTestPeer::paste(*view, nullptr);
    EXPECT_EQ(html(), "<p>one <span style=\"color: red\">red</span> two</p><p>endone <span style=\"color: red\">red</span> two</p>");
    view->undoManager()->undo();
    endEvent();

    // The same archive put there by someone else is foreign markup: cleaned up.
    general()->clearContents();
    ASSERT_TRUE(general()->writeObjects({ pasteboardItemWithWebArchiveData(*archive) }));
    caretAt(textNode(u"end"), 3);
    VornickContentEditingViewTestPeer::paste(*view, nullptr);
    EXPECT_EQ(html().rfind("<p>one <span style=\"color: red\">red</span> two</p><p>endone red two", 0), 0u) << html();
}

TEST_F(ClipboardAndDeletion, TheCommandsAnswerTheirActions)
{
    loadBody("<p>one two</p>");
    select(rangeIn(textNode(u"one"), 0, 4));
    ASSERT_TRUE(view->tryToPerform("cut:", nullptr));
    endEvent();
    EXPECT_EQ(html(), "<p>two</p>");
    caretAt(textNode(u"two"), 3);
    ASSERT_TRUE(view->tryToPerform("pasteAsRichText:", nullptr));
    endEvent();
    EXPECT_EQ(html(), "<p>twoone </p>");
    select(rangeIn(textNode(u"twoone"), 0, 3));
    ASSERT_TRUE(view->tryToPerform("deleteNonEmptySelection:", nullptr));
    endEvent();
    EXPECT_EQ(html(), "<p>one </p>");
    // Not for a caret.
    caretAt(textNode(u"one"), 2);
    expectNothingHappens([&] { ASSERT_TRUE(view->tryToPerform("deleteNonEmptySelection:", nullptr)); });
    for (const char* action : { "copy:", "copyAsHTMLSourceCode:", "copyElementInteriorAsHTMLSourceCode:", "copyLink:", "paste:",
                                "pasteAsPlainText:", "deleteSelection:" })
        EXPECT_TRUE(view->respondsToAction(action)) << action;
}

// --- Copy, then paste into an empty division, on real pages

std::string fragmentStructure(const DOMNode& container)
{
    std::string out;
    for (DOMNode* child = container.first(); child; child = child->next())
        appendNodeStructure(*child, 0, out);
    return out;
}

TEST_F(ClipboardAndDeletion, CopyThenPasteIntoAnEmptyDivisionReproducesTheSelection)
{
    const char* pages[] = { "editing/page.html", "html-pages/blog-post.html", "html-pages/legacy.html", "html-pages/malformed.html",
                            "html-pages/xhtml-served-as-html.html", "html-writer/html5.html", "html-writer/html401-strict.html",
                            "html-writer/xhtml11.xhtml", "save-roundtrip/deep-outline.xhtml", "html-writer/wordpress-blocks.html" };
    std::mt19937 random(20261207);
    size_t compared = 0;
    for (const char* page : pages) {
        SCOPED_TRACE(page);
        auto markup = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/" + page);
        ASSERT_TRUE(markup);
        writePage("roundtrip.html", *markup);
        load("roundtrip.html");
        // Every text position of the body, as selection ends.
        std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> places;
        for (DOMNode* node = body().get(); node; node = node->traverseNext(body().get())) {
            if (node->isTextNode()) {
                auto length = node->length();
                for (unsigned offset = 0; offset <= length; offset += std::max(1u, length / 3))
                    places.emplace_back(node->shared_from_this(), offset);
            }
        }
        ASSERT_GE(places.size(), 2u);
        for (int trial = 0; trial < 40; ++trial) {
            auto a = places[random() % places.size()];
            auto b = places[random() % places.size()];
            auto range = document()->createRange();
            range->setStart(a.first, a.second);
            range->setEnd(a.first, a.second);
            if (range->comparePoint(*b.first, b.second) < 0)
                range->setStart(b.first, b.second);
            else
                range->setEnd(b.first, b.second);
            if (range->collapsed())
                continue;
            SCOPED_TRACE(toUTF8(vornick_description(*range)));
            // What pasting brings is the selection as the page holds it, its
            // loose table or list parts put in their containers as every
            // insertion does (and no empty text, which markup cannot hold).
            auto expected = range->cloneContents();
            expected->normalize();
            select(range);
            view->copy(nullptr);

            // (A division holds blocks and text alike: nothing is split.)
            auto division = document()->createElement(u"div");
            body()->appendChild(division);
            std::shared_ptr<DOMElement> insertionElement;
            vornick_modifyFragmentForInsertionAt(*expected, VornickMakeDOMPosition(division, 0), insertionElement);
            endEvent();
            caretAt(division, 0);
            VornickContentEditingViewTestPeer::paste(*view, nullptr);
            endEvent();
            EXPECT_EQ(fragmentStructure(*division), fragmentStructure(*expected));
            view->undoManager()->undo();
            endEvent();
            EXPECT_FALSE(division->hasChildNodes());
            body()->removeChild(division);
            ++compared;
        }
    }
    EXPECT_GT(compared, 100u);
}

} // namespace
