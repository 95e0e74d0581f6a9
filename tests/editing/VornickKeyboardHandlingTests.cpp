// Keys on real pages, synthesized and sent through the application and the
// window: Return, Tab, Escape, Delete, Option-Space, "<" and the arrows, each
// edit checked as one undo step (result, exact undo, redo, selection).
#include "ApplicationDelegateTestSupport.h"
#include "UndoableEditChecks.h"

#include "app/VornickWindow.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Sound.h"

namespace brevanton::testing {
namespace {

// A block format of "wp:" comments that fences paragraphs.
class CommentBlockHelper : public VornickBlockModeHelper {
public:
    CommentBlockHelper() { setOperatingInBlockMode(true); }
    std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
    std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
    std::optional<std::u16string> blockStartCommentTextForElementKind(std::u16string_view kind) const override
    {
        return kind == u"p" ? std::optional<std::u16string>(u" wp:paragraph ") : std::nullopt;
    }
    std::optional<std::u16string> blockEndCommentTextForElementKind(std::u16string_view kind) const override
    {
        return kind == u"p" ? std::optional<std::u16string>(u" /wp:paragraph ") : std::nullopt;
    }
};

class KeyboardTest : public UndoableEditTest {
protected:
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
        Application::shared().resetForTesting();
        UndoableEditTest::TearDown();
    }

    // Loads a page of tests/data/ and shows it in a document window with the page's focus.
    void open(const std::string& page)
    {
        auto source = std::string(BREVANTON_TEST_DATA_DIR) + "/" + page;
        auto name = std::filesystem::path(page).filename().string();
        if (!std::filesystem::exists(path(name)))
            std::filesystem::copy_file(source, path(name));
        load(name);
        putInWindow();
    }
    void openBody(const std::string& markup)
    {
        loadBody(markup);
        putInWindow();
    }
    void putInWindow()
    {
        if (!window) {
            window = VornickWindow::create(Rect(0, 0, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
            window->contentView()->addSubview(view);
            window->makeKeyAndOrderFront();
        }
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    }
    void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
    void press(char16_t key, ModifierFlags flags = 0)
    {
        events.pressKey(window, key, flags);
        drain();
    }
    void type(std::u16string_view text)
    {
        events.typeText(window, text);
        drain();
    }
    void backTab()
    {
        events.send(events.keyDown(window, u"\x19", KeyCode::Tab, ModifierFlag::Shift));
        drain();
    }
    void caretAt(const std::u16string& textInNode, unsigned offset)
    {
        auto node = textNode(textInNode);
        ASSERT_TRUE(node) << toUTF8(textInNode);
        select(rangeIn(node, offset, offset));
    }
    // The caret as "text|text" within its text node.
    std::string caretInText() const
    {
        auto range = view->effectiveOperationRange();
        if (!range || !range->collapsed() || !range->startNode()->isTextNode())
            return "(no caret in text)";
        const auto& data = downcast<DOMCharacterData>(*range->startNode()).data();
        size_t offset = range->startOffset();
        return toUTF8(data.substr(0, offset)) + "|" + toUTF8(data.substr(offset));
    }
    // The markup of the node the selection selects exactly.
    std::string selectedMarkup() const
    {
        auto range = view->effectiveOperationRange();
        auto node = range ? vornick_exactlySelectedNode(*range) : nullptr;
        return node && node->isElementNode() ? toUTF8(downcast<DOMElement>(*node).outerHTML()) : "(nothing selected exactly)";
    }
    std::string markupOf(const std::u16string& tag, unsigned index = 0) const
    {
        auto found = element(tag, index);
        return found ? toUTF8(found->outerHTML()) : "(no " + toUTF8(tag) + ")";
    }

    std::shared_ptr<VornickWindow> window;
    EventSynthesizer events;
};

// --- Return

TEST_F(KeyboardTest, ReturnSplitsTheParagraphItIsInOrAddsRoomBesideIt)
{
    open("editing/page.html");
    caretAt(u"First ", 3);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"P"), "<p>Fir</p>");
            EXPECT_EQ(markupOf(u"P", 1), "<p>st <em>paragraph</em> of text.</p>");
            EXPECT_EQ(caretInText(), "|st ");
        },
        { u"Split <p>" });
    // At the end of the heading: a placeholder space after it to type into, not a new heading.
    caretAt(u"Heading", 7);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            auto after = element(u"H1")->nextSibling();
            ASSERT_TRUE(after && after->isTextNode());
            EXPECT_EQ(toUTF8(downcast<DOMCharacterData>(*after).data()), "\u00A0");
            EXPECT_EQ(caretInText(), "|\u00A0");
        },
        { u"Split <h1>" });
    view->undoManager()->undo();
    RunLoop::main().runOnce(0);
    EXPECT_EQ(toUTF8(view->undoManager()->redoActionName()), "Split <h1>");
    view->undoManager()->redo();
    RunLoop::main().runOnce(0);
    EXPECT_EQ(toUTF8(view->undoManager()->undoActionName()), "Split <h1>");
    caretAt(u"Fir", 1);
    press(u'\r');
    view->undoManager()->undo();
    RunLoop::main().runOnce(0);
    EXPECT_EQ(toUTF8(view->undoManager()->redoActionName()), "Split <p>");
    view->undoManager()->redo();
    RunLoop::main().runOnce(0);
    EXPECT_EQ(toUTF8(view->undoManager()->undoActionName()), "Split <p>");
}

TEST_F(KeyboardTest, ReturnInListsAndDefinitionListsAddsTheNextItem)
{
    openBody("<ol><li>one</li><li>two</li></ol><dl><dt>term</dt><dd>meaning</dd></dl>");
    caretAt(u"one", 0);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"OL"), "<ol><li>&nbsp;</li><li>one</li><li>two</li></ol>");
            EXPECT_EQ(caretInText(), "|one");
        },
        { u"Split <li>" });
    caretAt(u"term", 4);
    press(u'\r');
    EXPECT_EQ(markupOf(u"DL"), "<dl><dt>term</dt><dd>&nbsp;</dd><dd>meaning</dd></dl>");
    caretAt(u"meaning", 7);
    press(0x03); // Enter does what Return does.
    EXPECT_EQ(markupOf(u"DL"), "<dl><dt>term</dt><dd>&nbsp;</dd><dd>meaning</dd><dt>&nbsp;</dt></dl>");
}

TEST_F(KeyboardTest, ReturnInAListItemsParagraphAddsAnItemOfTheSameShape)
{
    openBody("<ul><li><p>one</p></li><li><p>two</p></li></ul>");
    caretAt(u"one", 3);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"UL"), "<ul><li><p>one</p></li><li><p>&nbsp;</p></li><li><p>two</p></li></ul>");
            EXPECT_EQ(caretInText(), "|\u00A0");
        },
        { u"Split <li>" });
    // What is typed next goes into the new item's paragraph.
    type(u"new");
    EXPECT_EQ(markupOf(u"LI", 1), "<li><p>new</p></li>");
    // At an item's start the new item goes before it; the caret stays.
    caretAt(u"two", 0);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"LI", 2), "<li><p>&nbsp;</p></li>");
            EXPECT_EQ(markupOf(u"LI", 3), "<li><p>two</p></li>");
            EXPECT_EQ(caretInText(), "|two");
        },
        { u"Split <li>" });
    // Within the paragraph Return still splits the paragraph alone.
    caretAt(u"new", 1);
    press(u'\r');
    EXPECT_EQ(markupOf(u"LI", 1), "<li><p>n</p><p>ew</p></li>");
}

TEST_F(KeyboardTest, ReturnInPreformattedTextOrWithOptionBreaksTheLine)
{
    openBody("<pre>code line</pre><p>one two</p>");
    caretAt(u"code line", 4);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"PRE"), "<pre>code\n line</pre>");
            EXPECT_EQ(caretInText(), "code\n| line");
        },
        { u"Line Break" });
    // At the very end a space keeps the new line showing; the caret is on it.
    caretAt(u" line", 10);
    press(u'\r');
    EXPECT_EQ(caretInText(), "code\n line\n| ");
    caretAt(u"one two", 3);
    checkUndoableStep(
        *view, [&] { press(u'\r', ModifierFlag::Option); },
        [&] {
            EXPECT_EQ(markupOf(u"P"), "<p>one<br> two</p>");
            EXPECT_EQ(caretInText(), "| two");
        },
        { u"Line Break" });
}

TEST_F(KeyboardTest, ReturnInATableMovesToTheNextRowAndGivesAnEmptyRowACell)
{
    open("html-pages/blog-post.html");
    caretAt(u"Dish", 2);
    auto before = documentSnapshot(*document());
    press(u'\r');
    EXPECT_EQ(selectedMarkup(), "<td>Cod</td>");
    press(u'\r');
    EXPECT_EQ(selectedMarkup(), "<td>Peas</td>");
    EXPECT_EQ(documentSnapshot(*document()), before);
    // Inside a cell's inline element the caret is still in that cell.
    openBody("<table><tr><td><b>x</b></td></tr><tr><td></td></tr></table>");
    // (Loading gives an empty row a cell; the row is emptied here.)
    auto emptyRow = element(u"TR", 1);
    while (auto child = emptyRow->firstChild())
        emptyRow->removeChild(child);
    caretAt(u"x", 1);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"TR", 1), "<tr><td>-</td></tr>");
            EXPECT_EQ(selectedMarkup(), "<td>-</td>");
        },
        { u"Add Cell To Row" });
    // In the last row Return adds a row after it, one step under the table command's name.
    openBody("<table><tr><td>a</td><td>b</td></tr></table>");
    caretAt(u"b", 1);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            ASSERT_NE(element(u"TR", 1), nullptr);
            EXPECT_EQ(element(u"TR", 1)->getElementsByTagName(u"TD")->length(), 2u);
        },
        { u"Insert Row After" });
}

// The split of a paragraph that is a block keeps each half a whole block,
// and Undo gives back exactly the one block it was.
TEST_F(KeyboardTest, ReturnInABlockKeepsEveryBlockWholeAndUndoesExactly)
{
    view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    open("html-pages/blog-post.html");
    auto block = [&] {
        auto paragraph = element(u"P", 2);
        std::string markup;
        for (auto node = paragraph->previousSibling()->previousSibling(); node; node = node->nextSibling()) {
            if (node->isElementNode() && !equalsIgnoringASCIICase(downcast<DOMElement>(*node).tagName(), u"P"))
                break;
            markup += node->isTextNode() ? "" : toUTF8(node->isElementNode() ? downcast<DOMElement>(*node).outerHTML()
                                                                               : u"<!--" + downcast<DOMCharacterData>(*node).data() + u"-->");
        }
        return markup;
    };
    caretAt(u"Centered ", 4);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(block(), "<!-- wp:paragraph {\"align\":\"center\"} --><p style=\"text-align:center\">Cent</p>"
                               "<!-- /wp:paragraph --><!-- wp:paragraph --><p style=\"text-align:center\">ered <em>text</em> "
                               "<b>bold <i>and italic</i></b>.</p><!-- /wp:paragraph -->");
            EXPECT_EQ(caretInText(), "|ered ");
        },
        { u"Split <p>" });
    // At the end of a block: room after its end comment, not inside the block.
    auto lastText = element(u"P", 3)->lastChild();
    select(rangeIn(lastText, 1, 1));
    checkUndoableStep(*view, [&] { press(u'\r'); }, [&] {
        auto end = element(u"P", 3)->nextSibling();
        ASSERT_TRUE(end && end->nodeType() == DOMNode::COMMENT_NODE);
        ASSERT_TRUE(end->nextSibling() && end->nextSibling()->isTextNode());
        EXPECT_EQ(caretInText(), "|\u00A0");
    });
    // At the start of a block: room before its start comment.
    auto startComment = view->blockModeHelper()->blockStartCommentBeforeNode(*element(u"P", 2));
    caretAt(u"Cent", 0);
    checkUndoableStep(*view, [&] { press(u'\r'); }, [&] {
        auto before = startComment->previousSibling();
        ASSERT_TRUE(before && before->isTextNode());
        auto text = toUTF8(downcast<DOMCharacterData>(*before).data());
        EXPECT_EQ(text.substr(text.size() - 2), "\u00A0") << text;
        EXPECT_EQ(caretInText(), "|Cent");
    });
    // A whole block selected: Return puts the caret after it.
    auto paragraph = element(u"P", 2);
    auto endComment = view->blockModeHelper()->blockEndCommentAfterNode(*paragraph);
    select(view->blockModeHelper()->outerRangeOfElementIncludingBlockStartAndEndComments(*paragraph));
    press(u'\r');
    auto caret = view->effectiveOperationRange();
    ASSERT_TRUE(caret && caret->collapsed());
    EXPECT_EQ(caret->startContainer()->previousSibling(), endComment);
}

TEST_F(KeyboardTest, ReturnInAPullQuoteBlockBreaksTheLine)
{
    view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    openBody("<!-- wp:pullquote --><figure><blockquote><p>quoted words</p></blockquote></figure><!-- /wp:pullquote -->");
    caretAt(u"quoted words", 6);
    checkUndoableStep(
        *view, [&] { press(u'\r'); },
        [&] {
            EXPECT_EQ(markupOf(u"P"), "<p>quoted<br> words</p>");
            EXPECT_EQ(caretInText(), "| words");
        },
        { u"Line Break" });
}

// --- Tab

TEST_F(KeyboardTest, TabMovesFromCellToCellFromAnywhereInTheCell)
{
    openBody("<table><caption>Menu</caption><thead><tr><th>Dish</th><th><b>Price</b></th></tr></thead>"
             "<tbody><tr><td><b>Cod</b></td><td>9</td></tr></tbody></table><p>after</p>");
    caretAt(u"Cod", 1);
    press(u'\t');
    EXPECT_EQ(selectedMarkup(), "<td>9</td>");
    backTab();
    EXPECT_EQ(selectedMarkup(), "<td><b>Cod</b></td>");
    backTab();
    EXPECT_EQ(selectedMarkup(), "<th><b>Price</b></th>");
    caretAt(u"Price", 2);
    press(u'\t');
    EXPECT_EQ(selectedMarkup(), "<td><b>Cod</b></td>");
    // From the caption to the first cell; moving never edits.
    caretAt(u"Menu", 0);
    press(u'\t');
    EXPECT_EQ(selectedMarkup(), "<th>Dish</th>");
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(KeyboardTest, TabFiresASnippetTabTriggerBeforeAnythingElse)
{
    // The document's snippet set is read with the application's file access.
    TestApplicationDelegate delegate;
    delegate.install(path("defaults.plist"));
    open("editing/snippets.html");
    caretAt(u"A page", 1);
    type(u" em");
    view->endTypingRun();
    checkUndoableStep(
        *view, [&] { press(u'\t'); },
        [&] {
            EXPECT_EQ(markupOf(u"P"), "<p>A <em>*</em> page that names its snippet set.</p>");
            // The snippet's content placeholder is selected, to be typed over.
            EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "*");
        },
        { u"Insert Emphasis" });
    // A word that is no trigger: the caret pops out of its element and a space follows.
    caretAt(u"names", 5);
    press(u'\t');
    EXPECT_EQ(caretInText().rfind("\u00A0|\n", 0), 0u) << caretInText();
}

TEST_F(KeyboardTest, TabOrEscapePopTheCaretOutOfItsElement)
{
    openBody("<p>Some <em>words</em> here</p>");
    caretAt(u"words", 5);
    checkUndoableStep(
        *view, [&] { press(u'\t'); }, [&] { EXPECT_EQ(caretInText(), "\u00A0| here"); }, { u"Pop out of <em>" });
    caretAt(u"words", 2);
    press(0x1B);
    EXPECT_EQ(caretInText(), "|\u00A0 here");
}

// --- Delete, Option-Space, "<"

TEST_F(KeyboardTest, KeysOfAViewThatMayNotBeEditedChangeNothing)
{
    open("editing/page.html");
    view->setEditable(false);
    Sound::clearPlayedSounds();
    auto before = documentSnapshot(*document());
    for (char16_t key : { u'\x7f', u'\r', u'\x1b', u'\t' }) {
        caretAt(u"First ", 3);
        press(key);
    }
    press(u' ', ModifierFlag::Option);
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_TRUE(Sound::playedSoundNames().empty());
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(KeyboardTest, DeleteOptionSpaceAndLeftAngleBracketEachMakeOneStep)
{
    open("editing/page.html");
    // The user's non-breaking spaces show as the frame's substitute.
    auto nonBreakingSpace = toUTF8(std::u16string(1, vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame())));
    caretAt(u"First ", 5);
    checkUndoableStep(*view, [&] { press(0x7F); }, [&] { EXPECT_EQ(caretInText(), "Firs| "); });
    checkUndoableStep(*view, [&] { press(u' ', ModifierFlag::Option); }, [&] { EXPECT_EQ(caretInText(), "Firs" + nonBreakingSpace + "|"); });
    view->endTypingRun();
    UserDefaults::standard().setBool(false, u"LeftAngleBracketTriggersInsertOrWrapIn");
    checkUndoableStep(
        *view, [&] { press(u'<'); }, [&] { EXPECT_EQ(caretInText(), "Firs" + nonBreakingSpace + "<|"); }, { u"Typing" });
    UserDefaults::standard().removeObjectForKey(u"LeftAngleBracketTriggersInsertOrWrapIn");
}

TEST_F(KeyboardTest, LeftAngleBracketStartsCompletionWhenTheUserWantsIt)
{
    open("editing/page.html");
    caretAt(u"First ", 5);
    UserDefaults::standard().setBool(true, u"LeftAngleBracketTriggersInsertOrWrapIn");
    press(u'<');
    auto controller = view->fragmentCompletionUIController();
    EXPECT_TRUE(controller->isShown());
    ASSERT_TRUE(controller->placeholderElement());
    EXPECT_EQ(toUTF8(controller->placeholderElement()->textContent()), "*");
    // "<" typed again into the empty search is the literal character after all.
    controller->setSearchString(u"<");
    drain();
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(caretInText(), "First<| ");
    EXPECT_EQ(toUTF8(view->undoManager()->undoActionName()), "Typing");
    // With Command held the key is no completion.
    press(u'<', ModifierFlag::Command);
    EXPECT_FALSE(controller->isShown());

    // The key pressed twice, with Shift as an X server sends it, while the
    // completion's search has no focus: the second one is the literal
    // character, one "Typing" step, and the placeholder is gone.
    view->endTypingRun();
    caretAt(u"First<", 6);
    press(u'<', ModifierFlag::Shift);
    ASSERT_TRUE(controller->isShown());
    press(u'<', ModifierFlag::Shift);
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(caretInText(), "First<<| ");
    EXPECT_EQ(element(u"SPAN"), nullptr);
    EXPECT_EQ(toUTF8(view->undoManager()->undoActionName()), "Typing");
    view->undoManager()->undo();
    EXPECT_EQ(caretInText(), "First<| ");
    UserDefaults::standard().removeObjectForKey(u"LeftAngleBracketTriggersInsertOrWrapIn");
}

TEST_F(KeyboardTest, TypingOverAnElementOrBetweenElementsIsOneStep)
{
    openBody("<table><tr><td>old</td><td>keep</td></tr></table><hr>");
    // A selected cell: its contents are typed over, the cell stays.
    select(vornick_outerRange(*element(u"TD")));
    checkUndoableStep(
        *view, [&] { type(u"n"); }, [&] { EXPECT_EQ(markupOf(u"TR"), "<tr><td>n</td><td>keep</td></tr>"); },
        { u"Typing", false });
    // Undo gives back the contents that were typed over, selected.
    view->undoManager()->undo();
    EXPECT_EQ(markupOf(u"TR"), "<tr><td>old</td><td>keep</td></tr>");
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "old");
    // A caret between elements: the text gets a node (and a paragraph) of its own.
    auto gap = document()->createRange();
    gap->setStart(body(), element(u"HR")->index() + 1);
    gap->collapse(true);
    select(gap);
    checkUndoableStep(*view, [&] { type(u"z"); }, [&] { EXPECT_EQ(toUTF8(body()->lastChild()->textContent()).substr(0, 1), "z"); });
}

TEST_F(KeyboardTest, InBlockModeTypingOrReturnOverASelectionAcrossBlocksIsRefused)
{
    view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    openBody("<!-- wp:paragraph --><p>one</p><!-- /wp:paragraph --><!-- wp:paragraph --><p>two</p><!-- /wp:paragraph -->");
    auto before = documentSnapshot(*document());
    select(rangeBetween(textNode(u"one"), 1, textNode(u"two"), 1));
    Sound::clearPlayedSounds();
    type(u"x");
    // Return would delete the selection first: refused as well.
    press(u'\r');
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_EQ(Sound::playedSoundNames(), (std::vector<std::u16string> { Sound::BeepName, Sound::BeepName }));
}

// --- Arrows

TEST_F(KeyboardTest, ArrowsMoveBetweenElementsWhereTheWebViewCannot)
{
    openBody("<p>one</p><figure><img src=\"a.png\"></figure><p>two <em>three</em></p>");
    // An exactly selected element: Right goes into the next element's text, Left into the previous one's end.
    select(vornick_outerRange(*element(u"FIGURE")));
    press(FunctionKey::RightArrow);
    EXPECT_EQ(caretInText(), "|two ");
    select(vornick_outerRange(*element(u"FIGURE")));
    press(FunctionKey::LeftArrow);
    EXPECT_EQ(caretInText(), "one|");
    // A caret between elements enters the element beside it.
    auto gap = document()->createRange();
    gap->setStart(body(), element(u"FIGURE")->index() + 1);
    gap->collapse(true);
    select(gap);
    press(FunctionKey::RightArrow);
    EXPECT_EQ(caretInText(), "|two ");
    // In text the web view moves the caret.
    press(FunctionKey::RightArrow);
    EXPECT_EQ(caretInText(), "t|wo ");
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(KeyboardTest, ArrowsEnterASelectedCellAndMoveFromRowToRow)
{
    open("html-pages/blog-post.html");
    // Left and Right put the caret into a selected cell, at their side.
    select(vornick_outerRange(*element(u"TD", 1)));
    press(FunctionKey::RightArrow);
    EXPECT_EQ(caretInText(), "£9|");
    select(vornick_outerRange(*element(u"TD", 1)));
    press(FunctionKey::LeftArrow);
    EXPECT_EQ(caretInText(), "|£9");
    // Up and Down keep the column, across the table's sections.
    select(vornick_outerRange(*element(u"TD", 1)));
    press(FunctionKey::UpArrow);
    EXPECT_EQ(selectedMarkup(), "<th>Price</th>");
    caretAt(u"Cod", 1);
    press(FunctionKey::DownArrow);
    EXPECT_EQ(selectedMarkup(), "<td>Peas</td>");
    // Past the last row the caret leaves the table for the text after it.
    press(FunctionKey::DownArrow);
    auto after = view->effectiveOperationRange();
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->collapsed());
    EXPECT_TRUE(after->startNode()->isTextNode());
    EXPECT_FALSE(vornick_enclosingTable(*after->startNode())) << caretInText();
    EXPECT_GT(DOMRange::compareBoundaryPointPositions(after->startNode(), 0, element(u"TABLE").get(), 0), 0);
}

TEST_F(KeyboardTest, WithSectionHandlesUpAndDownMoveBrickByBrickAndPassBlocksWhole)
{
    view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    openBody("<h2>Title</h2><!-- wp:paragraph --><p>one</p><!-- /wp:paragraph --><p>two</p>");
    view->setSectionHandlesShown(true);
    auto gapAfter = [&](const std::shared_ptr<DOMNode>& node) {
        auto range = document()->createRange();
        range->setStart(body(), node->index() + 1);
        range->collapse(true);
        return range;
    };
    auto paragraph = element(u"P");
    auto startComment = paragraph->previousSibling();
    auto endComment = paragraph->nextSibling();
    // Right after the block's paragraph: Up goes before its start comment.
    select(gapAfter(endComment));
    press(FunctionKey::UpArrow);
    auto caret = view->effectiveOperationRange();
    ASSERT_TRUE(caret->collapsed());
    EXPECT_EQ(caret->startContainer(), body());
    EXPECT_EQ(caret->startOffset(), startComment->index());
    // Down from there goes after the end comment again.
    press(FunctionKey::DownArrow);
    caret = view->effectiveOperationRange();
    EXPECT_EQ(caret->startContainer(), body());
    EXPECT_EQ(caret->startOffset(), endComment->index() + 1);
    EXPECT_FALSE(view->undoManager()->canUndo());
}

} // namespace
} // namespace brevanton::testing
