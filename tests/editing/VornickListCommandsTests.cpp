#include "StructuralEditTestSupport.h"

#include "editing/VornickListCommandSupport.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class ListCommands : public StructuralEditTest {
protected:
    void loadListsPage()
    {
        load("lists.html");
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        view->undoManager()->removeAllActions();
    }

    // Loads the body as written: lists straight inside lists, as older
    // editors wrote them, would otherwise be repaired by tidy on the way in.
    void loadBodyAsWritten(const std::string& bodyMarkup)
    {
        VornickTidyFilter::setTidyExecutablePath(path("no-tidy"));
        loadBody(bodyMarkup);
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
    }
    void TearDown() override
    {
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
        StructuralEditTest::TearDown();
    }

    // The body without whitespace-only text, each text trimmed: what a reader sees of the structure.
    std::u16string outline() const { return outlineOfChildren(*body(), OutlineText::Trimmed); }
    // A caret inside the text node that holds `text`, after its first character.
    void caretIn(const std::u16string& text) { select(caretAt(textNode(text), 1)); }
    void selectFromTo(const std::u16string& from, const std::u16string& to)
    {
        select(rangeAt(textNode(from), 1, textNode(to), 1));
    }
    // The text the selection starts in.
    std::u16string selectedText() const
    {
        auto range = view->effectiveOperationRange();
        return range && range->startContainer()->isTextNode() ? downcast<DOMCharacterData>(*range->startContainer()).data()
                                                             : u"";
    }
};

constexpr const char16_t* ShoppingTail = u"<ol id=\"steps\" start=\"3\"><li>Mix<b>flour</b>and water.</li><li>Knead<ul><li>ten minutes</li>"
                                         u"<li>by hand</li></ul></li><li>Bake at 200\u00B0C.</li></ol><p>First paragraph.</p>"
                                         u"<p>Second paragraph.</p>";

// --- Indent

TEST_F(ListCommands, IndentNestsUnderThePreviousItemInAListOfTheSameKind)
{
    // A flat ordered list: the second item goes into a new nested list of
    // the enclosing list's kind (ordered, not always unordered); the third
    // then joins that nested list.
    loadBody("<ol start=\"2\"><li>one</li><li>two</li><li>three</li></ol>");
    view->setTargetRange(caretAt(text(u"LI", 1), 1));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canIndentListLevel(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ol start=\"2\"><li>[one]<ol><li>[two]</li></ol></li><li>[three]</li></ol>");
    EXPECT_EQ(selectedText(), u"two");
    checkUndoAndRedo(step, u"Indent list items");

    view->setTargetRange(caretAt(textNode(u"three"), 2));
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ol start=\"2\"><li>[one]<ol><li>[two]</li><li>[three]</li></ol></li></ol>");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 2u);
    checkUndoAndRedo(step, u"Indent list items");

    // The first item has nothing to nest under: disabled, and the command changes nothing.
    view->setTargetRange(caretAt(textNode(u"one"), 0));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canIndentListLevel(*view));
    auto before = markup();
    endEvent();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    endEvent();
    EXPECT_EQ(markup(), before);
    EXPECT_EQ(toUTF8(undo().undoActionName()), "Indent list items");
}

TEST_F(ListCommands, IndentOnARealPageJoinsTheNestedListOfThePreviousItem)
{
    loadListsPage();
    // "Milk" follows "Fruit", whose nested list is an ordered one of type a.
    caretIn(u"Milk");
    auto step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(outline(), std::u16string(u"<h1 id=\"top\">Shopping and steps</h1><ul id=\"shopping\" class=\"plain\"><li>Bread</li>"
                                        u"<li>Fruit<ol type=\"a\"><li>Apples</li><li>Pears</li><li>Milk</li></ol></li><li>Cheese</li></ul>")
                  + ShoppingTail);
    EXPECT_EQ(selectedText(), u"Milk");
    checkUndoAndRedo(step, u"Indent list items");

    // Two items selected together move as one run.
    undoStep();
    selectFromTo(u"Milk", u"Cheese");
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(outline(), std::u16string(u"<h1 id=\"top\">Shopping and steps</h1><ul id=\"shopping\" class=\"plain\"><li>Bread</li>"
                                        u"<li>Fruit<ol type=\"a\"><li>Apples</li><li>Pears</li><li>Milk</li><li>Cheese</li></ol></li></ul>")
                  + ShoppingTail);
    checkUndoAndRedo(step, u"Indent list items");
}

TEST_F(ListCommands, IndentMergesTheNestedListsAroundTheItem)
{
    loadBodyAsWritten("<ul><li>a</li><ul><li>b</li></ul><li>c</li><ul><li>d</li></ul></ul>");
    view->setTargetRange(caretAt(textNode(u"c"), 0));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ul><li>[a]</li><ul><li>[b]</li><li>[c]</li><li>[d]</li></ul></ul>");
    EXPECT_EQ(selectedText(), u"c");
    checkUndoAndRedo(step, u"Indent list items");

    // Lists of different kinds are not merged: the item joins the one before.
    loadBodyAsWritten("<ol><li>a<ul><li>b</li></ul></li><li>c</li><ol><li>d</li></ol></ol>");
    view->setTargetRange(caretAt(textNode(u"c"), 0));
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ol><li>[a]<ul><li>[b]</li><li>[c]</li></ul></li><ol><li>[d]</li></ol></ol>");
    checkUndoAndRedo(step, u"Indent list items");
}

TEST_F(ListCommands, IndentTurnsParagraphsAndLooseTextIntoLists)
{
    loadBody("<p>one</p><p>two</p><ol><li>three</li></ol>");
    view->setTargetRange(rangeAt(textNode(u"one"), 0, textNode(u"two"), 3));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    // Paragraphs followed by a list go to its start.
    EXPECT_EQ(markup(), u"<ol><li>[one]</li><li>[two]</li><li>[three]</li></ol>");
    checkUndoAndRedo(step, u"Indent list items");

    loadBody("<p>one</p><p>two</p><h2>end</h2>");
    view->setTargetRange(rangeAt(textNode(u"one"), 0, textNode(u"two"), 3));
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ul><li>[one]</li><li>[two]</li></ul><h2>[end]</h2>");
    checkUndoAndRedo(step, u"Indent list items");

    // Text straight in the body is wrapped in a paragraph first, in the same step.
    loadBody("<h2>end</h2>loose text");
    view->setTargetRange(caretAt(textNode(u"loose"), 3));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canIndentListLevel(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<h2>[end]</h2><ul><li>[loose text]</li></ul>");
    checkUndoAndRedo(step, u"Indent list items");

    // A heading is neither an item nor a paragraph.
    view->setTargetRange(caretAt(textNode(u"end"), 1));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canIndentListLevel(*view));
}

// --- Outdent

TEST_F(ListCommands, OutdentingAWholeTopLevelListUndoesWithoutDuplicates)
{
    // Undo used to put the list back beside the paragraphs made of it.
    loadListsPage();
    selectFromTo(u"Bread", u"Cheese");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canOutdentListLevel(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    // Nested lists leave their items: a paragraph cannot hold them.
    EXPECT_EQ(outline(), std::u16string(u"<h1 id=\"top\">Shopping and steps</h1><p>Bread</p><p>Fruit</p><ol type=\"a\"><li>Apples</li>"
                                        u"<li>Pears</li></ol><p>Milk</p><p>Cheese</p>")
                  + ShoppingTail);
    checkUndoAndRedo(step, u"Outdent list level");
    undoStep();
    EXPECT_EQ(document()->getElementsByTagName(u"UL")->length(), 2u);
    EXPECT_EQ(document()->getElementsByTagName(u"P")->length(), 2u);
}

TEST_F(ListCommands, OutdentingNestedItemsMovesThemAfterTheirParentItem)
{
    loadListsPage();
    // The only items of a nested list: the nested list goes away.
    selectFromTo(u"ten", u"by hand");
    auto step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_NE(outline().find(u"<ol id=\"steps\" start=\"3\"><li>Mix<b>flour</b>and water.</li><li>Knead</li><li>ten minutes</li>"
                             u"<li>by hand</li><li>Bake at 200\u00B0C.</li></ol>"),
              std::u16string::npos)
        << toUTF8(outline());
    checkUndoAndRedo(step, u"Outdent list level");
    undoStep();

    // The first of two: the rest of the nested list stays nested, under it.
    caretIn(u"Apples");
    step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_NE(outline().find(u"<li>Fruit</li><li>Apples<ol type=\"a\"><li>Pears</li></ol></li><li>Milk</li>"), std::u16string::npos)
        << toUTF8(outline());
    EXPECT_EQ(selectedText(), u"Apples");
    checkUndoAndRedo(step, u"Outdent list level");
    undoStep();

    // The last of two: it follows its parent item.
    caretIn(u"Pears");
    step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_NE(outline().find(u"<li>Fruit<ol type=\"a\"><li>Apples</li></ol></li><li>Pears</li><li>Milk</li>"), std::u16string::npos)
        << toUTF8(outline());
    checkUndoAndRedo(step, u"Outdent list level");
}

TEST_F(ListCommands, OutdentingFromTheThirdLevelStaysInTheSecond)
{
    load("nested-lists.html");
    if (!RunLoop::main().isUsingManualClock())
        RunLoop::main().useManualClock();
    undo().removeAllActions();
    caretIn(u"Short term");
    auto step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    // It follows "Goals" in the second level; "Long term" stays nested, now under it.
    EXPECT_NE(outline().find(u"<ul><li>Goals</li><li>Short term<ol type=\"i\"><li>Long term</li></ol></li><li>Budget</li>"),
              std::u16string::npos)
        << toUTF8(outline());
    EXPECT_EQ(selectedText(), u"Short term");
    checkUndoAndRedo(step, u"Outdent list level");
}

TEST_F(ListCommands, OutdentingTopLevelItemsMakesParagraphsAndSplitsTheList)
{
    // The middle item: a paragraph between two lists of the first one's kind
    // and attributes (the id stays with the first).
    loadBody("<ol id=\"l\" start=\"4\" class=\"c\"><li>a</li><li>b</li><li>c</li></ol><p>end</p>");
    view->setTargetRange(caretAt(textNode(u"b"), 1));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ol id=\"l\" start=\"4\" class=\"c\"><li>[a]</li></ol><p>[b]</p><ol start=\"4\" class=\"c\"><li>[c]</li></ol><p>[end]</p>");
    EXPECT_EQ(selectedText(), u"b");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 1u);
    checkUndoAndRedo(step, u"Outdent list level");
    undoStep();

    // The first item goes before the list, the last after it.
    view->setTargetRange(caretAt(textNode(u"a"), 0));
    step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<p>[a]</p><ol id=\"l\" start=\"4\" class=\"c\"><li>[b]</li><li>[c]</li></ol><p>[end]</p>");
    checkUndoAndRedo(step, u"Outdent list level");
    undoStep();
    view->setTargetRange(caretAt(textNode(u"c"), 0));
    step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ol id=\"l\" start=\"4\" class=\"c\"><li>[a]</li><li>[b]</li></ol><p>[c]</p><p>[end]</p>");
    checkUndoAndRedo(step, u"Outdent list level");

    // Outside any list there is nothing to outdent.
    view->setTargetRange(caretAt(textNode(u"end"), 0));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canOutdentListLevel(*view));
}

TEST_F(ListCommands, ASelectionAcrossTwoListsIsOneStepOverBothRuns)
{
    loadBody("<ul><li>a</li><li>b</li></ul><p>x</p><ol><li>c</li><li>f</li></ol>");
    view->setTargetRange(rangeAt(textNode(u"b"), 0, textNode(u"c"), 1));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ul><li>[a]</li></ul><p>[b]</p><p>[x]</p><p>[c]</p><ol><li>[f]</li></ol>");
    // The selection still runs from "b" to "c".
    EXPECT_EQ(view->effectiveOperationRange()->toString(), u"bxc");
    checkUndoAndRedo(step, u"Outdent list level");

    undoStep();
    view->setTargetRange(rangeAt(textNode(u"b"), 0, textNode(u"f"), 1));
    // The second list's run starts its list: it stays.
    step = beginStep();
    VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
    EXPECT_EQ(markup(), u"<ul><li>[a]<ul><li>[b]</li></ul></li></ul><p>[x]</p><ol><li>[c]</li><li>[f]</li></ol>");
    checkUndoAndRedo(step, u"Indent list items");
}

// --- Moving items and toggling

TEST_F(ListCommands, MovingItemsPassesTheNeighbourAndKeepsTheSelection)
{
    loadListsPage();
    // Two middle items move down past the one after them.
    selectFromTo(u"Fruit", u"Milk");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canMoveListItemsDown(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::moveListItemsDown(*view, nullptr);
    EXPECT_NE(outline().find(u"<li>Bread</li><li>Cheese</li><li>Fruit<ol type=\"a\"><li>Apples</li><li>Pears</li></ol></li><li>Milk</li></ul>"),
              std::u16string::npos)
        << toUTF8(outline());
    EXPECT_EQ(selectedText().substr(0, 5), u"Fruit");
    checkUndoAndRedo(step, u"Move list item(s) down");
    undoStep();

    // Up: the item before goes after them; the moved content is the
    // deletion's own copy, so Undo still has what it took.
    selectFromTo(u"Fruit", u"Milk");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canMoveListItemsUp(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::moveListItemsUp(*view, nullptr);
    EXPECT_NE(outline().find(u"<ul id=\"shopping\" class=\"plain\"><li>Fruit<ol type=\"a\"><li>Apples</li><li>Pears</li></ol></li><li>Milk</li>"
                             u"<li>Bread</li><li>Cheese</li></ul>"),
              std::u16string::npos)
        << toUTF8(outline());
    checkUndoAndRedo(step, u"Move list item(s) up");

    // The first item of a list cannot move up, nor the last down.
    caretIn(u"Apples");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canMoveListItemsUp(*view));
    caretIn(u"Pears");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canMoveListItemsDown(*view));
}

TEST_F(ListCommands, MoveValidatorsNeedAnItemToPass)
{
    // The neighbour of "y" is a list, not an item: moving would do nothing,
    // so the command is disabled.
    loadBodyAsWritten("<ul><li>x</li><ul><li>n</li></ul><li>y</li><p>z</p></ul>");
    view->setTargetRange(caretAt(textNode(u"y"), 0));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canMoveListItemsUp(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canMoveListItemsDown(*view));
    auto before = markup();
    VornickContentEditingViewTestPeer::moveListItemsUp(*view, nullptr);
    VornickContentEditingViewTestPeer::moveListItemsDown(*view, nullptr);
    EXPECT_EQ(markup(), before);
    endEvent();
    EXPECT_FALSE(undo().canUndo());

    view->setEditable(false);
    view->setTargetRange(caretAt(textNode(u"x"), 0));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canMoveListItemsDown(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canToggleListType(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canIndentListLevel(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canOutdentListLevel(*view));
}

TEST_F(ListCommands, TogglingChangesOnlyTheInnermostListAndKeepsItsAttributes)
{
    loadListsPage();
    caretIn(u"Apples");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canToggleListType(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::toggleListType(*view, nullptr);
    EXPECT_NE(outline().find(u"<ul id=\"shopping\" class=\"plain\"><li>Bread</li><li>Fruit<ul type=\"a\"><li>Apples</li>"),
              std::u16string::npos)
        << toUTF8(outline());
    EXPECT_NE(outline().find(u"<ol id=\"steps\" start=\"3\">"), std::u16string::npos);
    checkUndoAndRedo(step, u"Toggle list type");

    // Both top-level lists at once, in one step.
    selectFromTo(u"Bread", u"Bake");
    step = beginStep();
    VornickContentEditingViewTestPeer::toggleListType(*view, nullptr);
    EXPECT_NE(outline().find(u"<ol id=\"shopping\" class=\"plain\">"), std::u16string::npos);
    EXPECT_NE(outline().find(u"<ul id=\"steps\" start=\"3\">"), std::u16string::npos);
    checkUndoAndRedo(step, u"Toggle list type");

    caretIn(u"First paragraph");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canToggleListType(*view));
}

// Every validator answers as its command acts, for a caret in every text of
// the page: enabled exactly when the command changes the document, and each
// change undoes exactly.
TEST_F(ListCommands, ValidatorsAnswerAsTheCommandsAct)
{
    loadListsPage();
    struct Command {
        const char* name;
        std::function<bool()> validate;
        std::function<void()> perform;
    };
    std::vector<Command> commands {
        { "indent", [&] { return VornickContentEditingViewTestPeer::canIndentListLevel(*view); }, [&] { VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr); } },
        { "outdent", [&] { return VornickContentEditingViewTestPeer::canOutdentListLevel(*view); }, [&] { VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr); } },
        { "toggle", [&] { return VornickContentEditingViewTestPeer::canToggleListType(*view); }, [&] { VornickContentEditingViewTestPeer::toggleListType(*view, nullptr); } },
        { "up", [&] { return VornickContentEditingViewTestPeer::canMoveListItemsUp(*view); }, [&] { VornickContentEditingViewTestPeer::moveListItemsUp(*view, nullptr); } },
        { "down", [&] { return VornickContentEditingViewTestPeer::canMoveListItemsDown(*view); }, [&] { VornickContentEditingViewTestPeer::moveListItemsDown(*view, nullptr); } },
    };
    std::vector<std::u16string> texts;
    for (DOMNode* node = body().get(); node; node = node->traverseNext(body().get())) {
        if (node->isTextNode() && downcast<DOMCharacterData>(node)->data().find_first_not_of(u" \n") != std::u16string::npos)
            texts.push_back(downcast<DOMCharacterData>(node)->data());
    }
    ASSERT_GE(texts.size(), 12u);
    std::string original = documentSnapshot(*document());
    for (const auto& text : texts) {
        for (const auto& command : commands) {
            SCOPED_TRACE(std::string(command.name) + " at " + toUTF8(text));
            select(caretAt(textNode(text), 1));
            endEvent();
            bool enabled = command.validate();
            EXPECT_EQ(documentSnapshot(*document()), original) << "the validator changed the document";
            command.perform();
            endEvent();
            bool changed = documentSnapshot(*document()) != original;
            EXPECT_EQ(enabled, changed);
            if (changed) {
                undo().undo();
                endEvent();
                EXPECT_EQ(documentSnapshot(*document()), original);
            }
            undo().removeAllActions();
        }
    }
}

} // namespace

namespace {

// Seeded sequences of list commands on random selections of real pages,
// interleaved with Undo and Redo: each Undo gives back the document of
// before its step exactly, each Redo the one after it, and every command
// that the validator enabled changed the document (and no other did).
TEST_F(ListCommands, RandomCommandSequencesUndoAndRedoExactly)
{
    static const char* const pages[] = { "editing/lists.html", "editing/nested-lists.html", "html-writer/wordpress-blocks.html",
                                         "html-pages/legacy.html", "html-pages/blog-post.html" };
    for (size_t pageIndex = 0; pageIndex < std::size(pages); ++pageIndex) {
        std::string name = std::filesystem::path(pages[pageIndex]).filename().string();
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/" + pages[pageIndex], path(name),
                                   std::filesystem::copy_options::overwrite_existing);
        load(name);
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        undo().removeAllActions();
        unsigned baseSeed = 20261207;
        if (const char* seed = std::getenv("BREVANTON_LIST_SEQUENCE_SEED"))
            baseSeed = static_cast<unsigned>(std::strtoul(seed, nullptr, 10));
        SCOPED_TRACE("seed " + std::to_string(baseSeed));
        std::mt19937 random(static_cast<unsigned>(baseSeed + pageIndex));
        auto below = [&](size_t count) { return static_cast<size_t>(random() % count); };
        std::vector<std::string> undoSnapshots;
        std::vector<std::string> redoSnapshots;
        unsigned changes = 0;
        unsigned opened = 0;
        auto token = NotificationCenter::defaultCenter().addObserver(UndoManager::DidOpenUndoGroupNotification, &undo(), nullptr,
                                                                     [&opened](const Notification&) { ++opened; });
        for (unsigned step = 0; step < 400; ++step) {
            SCOPED_TRACE(std::string(pages[pageIndex]) + " step " + std::to_string(step));
            std::string before = documentSnapshot(*document());
            if (below(4) == 0 && !undoSnapshots.empty()) {
                undo().undo();
                endEvent();
                ASSERT_EQ(documentSnapshot(*document()), undoSnapshots.back()) << "undo of " << toUTF8(undo().redoActionName());
                undoSnapshots.pop_back();
                redoSnapshots.push_back(before);
                if (below(2) == 0) {
                    std::string undone = documentSnapshot(*document());
                    undo().redo();
                    endEvent();
                    ASSERT_EQ(documentSnapshot(*document()), redoSnapshots.back()) << "redo of " << toUTF8(undo().undoActionName());
                    redoSnapshots.pop_back();
                    undoSnapshots.push_back(undone);
                }
                continue;
            }
            // A caret or a selection between two texts of the body.
            std::vector<std::shared_ptr<DOMNode>> texts;
            for (DOMNode* node = body().get(); node; node = node->traverseNext(body().get())) {
                if (node->isTextNode() && node->length() > 0)
                    texts.push_back(node->shared_from_this());
            }
            ASSERT_FALSE(texts.empty());
            auto first = texts[below(texts.size())];
            auto last = below(2) ? first : texts[std::min(texts.size() - 1, first->index() + below(8) + static_cast<size_t>(
                                                              std::find(texts.begin(), texts.end(), first) - texts.begin()))];
            auto range = rangeAt(first, static_cast<unsigned>(below(first->length() + 1)), last, static_cast<unsigned>(below(last->length() + 1)));
            select(range);
            endEvent();
            opened = 0;
            bool enabled = false;
            size_t which = below(5);
            switch (which) {
            case 0:
                enabled = VornickContentEditingViewTestPeer::canIndentListLevel(*view);
                VornickContentEditingViewTestPeer::indentListLevel(*view, nullptr);
                break;
            case 1:
                enabled = VornickContentEditingViewTestPeer::canOutdentListLevel(*view);
                VornickContentEditingViewTestPeer::outdentListLevel(*view, nullptr);
                break;
            case 2:
                enabled = VornickContentEditingViewTestPeer::canToggleListType(*view);
                VornickContentEditingViewTestPeer::toggleListType(*view, nullptr);
                break;
            case 3:
                enabled = VornickContentEditingViewTestPeer::canMoveListItemsUp(*view);
                VornickContentEditingViewTestPeer::moveListItemsUp(*view, nullptr);
                break;
            default:
                enabled = VornickContentEditingViewTestPeer::canMoveListItemsDown(*view);
                VornickContentEditingViewTestPeer::moveListItemsDown(*view, nullptr);
                break;
            }
            endEvent();
            // A command that acts is one step; one that does not leaves no
            // step behind, not even one of the selection. Acting changes the
            // document, except for an item moved past an identical one.
            bool changed = documentSnapshot(*document()) != before;
            bool acted = opened != 0;
            ASSERT_EQ(enabled, acted);
            if (!(which >= 3 && acted)) {
                ASSERT_EQ(acted, changed);
            }
            if (acted) {
                ++changes;
                undoSnapshots.push_back(before);
                redoSnapshots.clear();
            }
        }
        EXPECT_GT(changes, 25u) << pages[pageIndex];
    }
}

} // namespace
