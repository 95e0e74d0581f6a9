// Menu validation on the test pages: for every command a menu item can send,
// at carets and selections of several kinds, in an editable and a read-only
// view, the item is enabled exactly when performing the command acts; and
// the titles and check marks the items get.
#include "ApplicationDelegateTestSupport.h"
#include "StructuralEditTestSupport.h"

#include "app/VornickWindow.h"
#include "editing/VornickApplyElementOrFragmentMenu.h"
#include "editing/VornickApplyElementOrFragmentMenuItems.h"
#include "editing/VornickSpellingController.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Menu.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class MenuValidation : public StructuralEditTest {
protected:
    void SetUp() override
    {
        StructuralEditTest::SetUp();
        // The application reads the document's snippet set and moves the
        // emphasis key equivalents.
        m_delegate.install(m_folder + "/defaults.plist");
    }
    void TearDown() override
    {
        view.reset();
        m_delegate.remove();
        StructuralEditTest::TearDown();
    }
    void open(const std::string& page)
    {
        load(page);
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        view->undoManager()->removeAllActions();
    }
    std::shared_ptr<MenuItem> itemFor(const char* action, long tag = 0)
    {
        auto item = MenuItem::create(u"Item", action);
        item->setTag(tag);
        return item;
    }
    bool validate(const char* action, long tag = 0)
    {
        auto item = itemFor(action, tag);
        return view->validateMenuItem(*item);
    }
public:
    // What the table of places below picks its ranges with.
    using EditingViewTest::element;
    using UndoableEditTest::textNode;
    std::shared_ptr<DOMRange> wordIn(const std::u16string& word) const
    {
        auto node = textNode(word);
        if (!node)
            return nullptr;
        auto start = static_cast<unsigned>(node->data().find(word));
        return rangeIn(node, start, start + static_cast<unsigned>(word.size()));
    }
    std::shared_ptr<DOMRange> caretBefore(const std::u16string& word) const
    {
        auto range = wordIn(word);
        if (range)
            range->collapse(true);
        return range;
    }

protected:
    TestApplicationDelegate m_delegate;
};

// The Delete key's command is offered wherever the view may be edited and
// does nothing where there is nothing to delete, so it is not in this list.
// The commands whose effect shows in the document, the selection, the
// styles pending for typing, the pasteboard or the text size.
const std::vector<std::pair<const char*, long>> actingCommands {
    { "paste:", 0 }, { "pasteAsPlainText:", 0 }, { "changeHeadingLevel:", 2 }, { "changeHeadingLevel:", 1 },
    { "clearHeadingLevel:", 0 }, { "toggleListType:", 0 }, { "indentListLevel:", 0 }, { "outdentListLevel:", 0 },
    { "moveListItemsUp:", 0 }, { "moveListItemsDown:", 0 }, { "cut:", 0 }, { "deleteNonEmptySelection:", 0 },
    { "copy:", 0 }, { "copyAsHTMLSourceCode:", 0 }, { "copyElementInteriorAsHTMLSourceCode:", 0 }, { "copyLink:", 0 },
    { "addTableCaption:", 0 }, { "addTableHeader:", 0 }, { "addTableFooter:", 0 },
    { "insertColumnBeforeTableColumn:", 0 }, { "insertColumnAfterTableColumn:", 0 }, { "deleteTableColumns:", 0 },
    { "insertRowBeforeTableRow:", 0 }, { "insertRowAfterTableRow:", 0 }, { "deleteTableRows:", 0 },
    { "popInsertionPointOutOfElement:", 0 }, { "popInsertionPointOutOfElementAndInsertSpace:", 0 }, { "unwrapElement:", 0 },
    { "makeTextLarger:", 0 }, { "makeTextSmaller:", 0 }, { "makeTextStandardSize:", 0 }, { "toggleEmphasized:", 0 },
    { "toggleStronglyEmphasized:", 0 }, { "toggleItalics:", 0 }, { "toggleBoldface:", 0 }, { "toggleSuperscript:", 0 },
    { "toggleSubscript:", 0 }, { "toggleCode:", 0 }, { "toggleDeleted:", 0 }, { "toggleInserted:", 0 }, { "toggleKbd:", 0 },
    { "toggleMarked:", 0 }, { "toggleSamp:", 0 }, { "toggleVar:", 0 }, { "insertExplicitNonBreakingSpace:", 0 },
    { "replaceWhitespaceWithNonBreakingSpaces:", 0 }, { "replaceWhitespaceWithOrdinarySpaces:", 0 }, { "removeAllElements:", 0 },
    // The text encodings: UTF-8, ISO 8859-1, and an encoding no document can declare.
    { "vornick_changeStringEncodingFromMenuItem:", 4 }, { "vornick_changeStringEncodingFromMenuItem:", 5 },
    { "vornick_changeStringEncodingFromMenuItem:", 0x80000003 },
};

struct Place {
    const char* page;
    const char* name;
    std::function<std::shared_ptr<DOMRange>(const MenuValidation&)> range;
};

TEST_F(MenuValidation, EveryItemIsEnabledExactlyWhenItsCommandActs)
{
    const std::vector<Place> places {
        { "formatting.html", "caret in bold text", [](const MenuValidation& t) { return t.caretBefore(u"weekly"); } },
        { "formatting.html", "words across a link", [](const MenuValidation& t) {
             auto range = t.wordIn(u"The ");
             range->setEnd(t.textNode(u" are "), 3);
             return range;
         } },
        { "formatting.html", "a heading's text", [](const MenuValidation& t) { return t.wordIn(u"Harbour notes"); } },
        { "formatting.html", "a paragraph exactly", [](const MenuValidation& t) { return vornick_outerRange(*t.element(u"P")); } },
        { "formatting.html", "runs of spaces", [](const MenuValidation& t) { return t.wordIn(u"Ask for   Pier"); } },
        { "formatting.html", "caret in a link", [](const MenuValidation& t) { return t.caretBefore(u"tables"); } },
        { "lists.html", "caret in a nested item", [](const MenuValidation& t) { return t.caretBefore(u"Pears"); } },
        { "lists.html", "two items", [](const MenuValidation& t) {
             auto range = t.wordIn(u"Milk");
             range->setEnd(t.textNode(u"Cheese"), 3);
             return range;
         } },
        { "lists.html", "caret in a paragraph", [](const MenuValidation& t) { return t.caretBefore(u"Second"); } },
        { "tables.html", "caret in a cell", [](const MenuValidation& t) { return t.caretBefore(u"Peas"); } },
        { "tables.html", "caret in a table without sections", [](const MenuValidation& t) { return t.caretBefore(u"Monday"); } },
        { "tables.html", "caret outside tables", [](const MenuValidation& t) { return t.caretBefore(u"catch"); } },
    };
    auto pasteboard = Pasteboard::generalPasteboard();
    std::vector<std::string> disagreements;
    unsigned enabledCount = 0, disabledCount = 0;
    for (bool editable : { true, false }) {
        std::string loaded;
        for (const auto& place : places) {
            for (const auto& [action, tag] : actingCommands) {
                if (loaded != place.page || !editable) {
                    open(place.page);
                    loaded = place.page;
                }
                view->setEditable(editable);
                view->setTextSizeMultiplier(1.0);
                auto range = place.range(*this);
                ASSERT_TRUE(range) << place.name;
                select(range);
                endEvent();
                pasteboard->clearContents();
                ASSERT_TRUE(pasteboard->setString(u"Ferry", PasteboardTypeString));

                auto item = itemFor(action, tag);
                bool enabled = view->validateMenuItem(*item);
                std::string documentBefore = documentSnapshot(*document());
                std::string selectionBefore = frozenSelection(*view);
                auto pendingStyles = VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping;
                auto changeCount = pasteboard->changeCount();
                double textSize = view->textSizeMultiplier();

                ASSERT_TRUE(view->performAction(action, item.get())) << action;
                endEvent();
                bool acted = documentSnapshot(*document()) != documentBefore || frozenSelection(*view) != selectionBefore
                             || VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping != pendingStyles || pasteboard->changeCount() != changeCount
                             || view->textSizeMultiplier() != textSize;
                if (enabled != acted) {
                    disagreements.push_back(std::string(action) + " tag " + std::to_string(tag) + " at " + place.name
                                            + (editable ? "" : " (read-only)") + ": " + (enabled ? "enabled but did nothing" : "disabled but acted"));
                }
                (enabled ? enabledCount : disabledCount)++;
                if (documentSnapshot(*document()) != documentBefore) {
                    view->undoManager()->undo();
                    endEvent();
                    if (documentSnapshot(*document()) != documentBefore)
                        loaded.clear();
                }
            }
        }
    }
    for (const auto& line : disagreements)
        ADD_FAILURE() << line;
    // Both answers occur often enough for the agreement to mean something.
    EXPECT_GT(enabledCount, 150u);
    EXPECT_GT(disabledCount, 150u);
}

TEST_F(MenuValidation, ItemsNameWhatTheirCommandActsOn)
{
    open("formatting.html");
    auto unwrap = itemFor("unwrapElement:");
    auto attributes = itemFor("vornick_editElementAttributes:");
    auto simpleSnippet = itemFor("addFragmentDescriptionWithContentPlaceholderFromSelection:");

    // A heading selected exactly: its tag, id and classes.
    select(vornick_outerRange(*element(u"H1")));
    EXPECT_TRUE(view->validateMenuItem(*unwrap));
    EXPECT_EQ(toUTF8(unwrap->title()), "Unwrap <h1>");
    EXPECT_TRUE(view->validateMenuItem(*attributes));
    EXPECT_EQ(toUTF8(attributes->title()), "Edit Attributes of <h1>...");
    view->validateMenuItem(*simpleSnippet);
    EXPECT_EQ(toUTF8(simpleSnippet->title()), "New Simple Snippet: h1#top.title");

    // An element with nothing in it is deleted rather than unwrapped.
    auto empty = document()->createElement(u"SPAN");
    element(u"DIV")->appendChild(empty);
    select(vornick_outerRange(*empty));
    EXPECT_TRUE(view->validateMenuItem(*unwrap));
    EXPECT_EQ(toUTF8(unwrap->title()), "Delete <span>");

    // Nothing selected exactly: the general titles, disabled.
    select(caretBefore(u"Loose"));
    view->validateMenuItem(*simpleSnippet);
    EXPECT_EQ(toUTF8(simpleSnippet->title()), "New Simple Snippet from Selection");
    view->setEditable(false);
    select(vornick_outerRange(*element(u"H1")));
    EXPECT_FALSE(view->validateMenuItem(*unwrap)) << "a read-only view unwraps nothing";
    EXPECT_EQ(toUTF8(unwrap->title()), "Unwrap <h1>");
    EXPECT_FALSE(view->validateMenuItem(*attributes));
}

TEST_F(MenuValidation, InsertOrWrapInIsTitledByWhatItDoesAndCarriesTheApplyMenu)
{
    open("snippets.html");
    auto text = textNode(u"A page");
    auto item = itemFor("vornick_initiateFragmentCompletion:");

    select(rangeIn(text, 2, 2));
    EXPECT_TRUE(view->validateMenuItem(*item));
    EXPECT_EQ(toUTF8(item->title()), "Insert...");
    auto submenu = std::dynamic_pointer_cast<VornickApplyElementOrFragmentMenu>(item->submenu());
    ASSERT_TRUE(submenu);
    EXPECT_EQ(toUTF8(submenu->title()), "Insert or Wrap In");
    EXPECT_EQ(submenu->semantic(), 1);
    // A submenu per snippet group of the page's set, and the elements.
    auto set = vornick_userFragmentSet(*view->mainFrame());
    ASSERT_TRUE(set && !set->groups().empty());
    auto group = submenu->itemWithTitle(set->groups().front()->title());
    ASSERT_TRUE(group && group->submenu());
    auto snippet = std::dynamic_pointer_cast<VornickApplyFragmentMenuItem>(group->submenu()->itemAtIndex(0));
    ASSERT_TRUE(snippet);
    EXPECT_EQ(snippet->action(), "vornick_invokeFragmentFromMenuItem:");
    auto elements = submenu->itemWithTitle(u"Elements");
    ASSERT_TRUE(elements && elements->submenu());
    auto paragraph = std::dynamic_pointer_cast<VornickApplyElementSpecMenuItem>(elements->submenu()->itemWithTitle(u"<p>"));
    ASSERT_TRUE(paragraph);

    // A selection; later validations retitle the item and keep its submenu,
    // also when a menu holding it is updated.
    select(rangeIn(text, 2, 6));
    auto menu = Menu::create(u"Edit");
    menu->addItem(item);
    auto window = VornickWindow::create(Rect(100, 100, 800, 600));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    menu->update();
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(toUTF8(item->title()), "Wrap In or Replace With...");
    EXPECT_EQ(item->submenu(), submenu);
    view->setEditable(false);
    EXPECT_FALSE(view->validateMenuItem(*item));
    EXPECT_EQ(toUTF8(item->title()), "Insert or Wrap In...");
    EXPECT_EQ(item->submenu(), submenu);
    view->setEditable(true);

    // Choosing an element from it applies the element to the selection.
    select(rangeIn(text, 2, 6));
    auto strong = std::dynamic_pointer_cast<VornickApplyElementSpecMenuItem>(elements->submenu()->itemWithTitle(u"<strong>"));
    ASSERT_TRUE(strong);
    VornickContentEditingViewTestPeer::vornick_invokeElementFromMenuItem(*view, strong.get());
    EXPECT_NE(bodyHTML().find("A <strong>page</strong>"), std::string::npos) << bodyHTML();
    window->close();
}

TEST_F(MenuValidation, BothNewSnippetCommandsNeedAnEditableViewAndTheUsersSnippetSet)
{
    const char* commands[] = { "addFragmentDescriptionFromSelection:", "addFragmentDescriptionWithContentPlaceholderFromSelection:" };
    // A page without a snippet set of its own.
    open("formatting.html");
    select(vornick_outerRange(*element(u"P")));
    for (const char* command : commands)
        EXPECT_FALSE(validate(command)) << command;

    open("snippets.html");
    ASSERT_TRUE(vornick_userFragmentSet(*view->mainFrame()));
    select(vornick_outerRange(*element(u"P")));
    for (const char* command : commands)
        EXPECT_TRUE(validate(command)) << command;
    view->setEditable(false);
    for (const char* command : commands)
        EXPECT_FALSE(validate(command)) << command << " in a read-only view";
    // A caret is no selection to make a snippet of.
    view->setEditable(true);
    select(caretBefore(u"page"));
    for (const char* command : commands)
        EXPECT_FALSE(validate(command)) << command;
}

TEST_F(MenuValidation, TogglesShowTheirStateAndHeadElementsNeedHeadDisplay)
{
    open("formatting.html");
    auto head = itemFor("toggleHeadElementsShown:");
    VornickContentEditingViewTestPeer::setHeadElementsShown(*view, true);
    EXPECT_TRUE(view->validateMenuItem(*head));
    EXPECT_EQ(head->state(), OnState);
    VornickContentEditingViewTestPeer::setHeadElementsShown(*view, false);
    VornickContentEditingViewTestPeer::setAllowsHeadDisplayAndEditing(*view, false);
    EXPECT_FALSE(view->validateMenuItem(*head)) << "head elements shown where head display is not allowed";
    EXPECT_EQ(head->state(), OffState);

    auto handles = itemFor("vornick_toggleSectionHandlesShown:");
    view->setSectionHandlesShown(true);
    EXPECT_TRUE(view->validateMenuItem(*handles));
    EXPECT_EQ(handles->state(), OnState);
    auto grammar = itemFor("vornick_toggleGrammarChecking:");
    VornickSpellingController::setGrammarCheckingEnabled(false);
    EXPECT_TRUE(view->validateMenuItem(*grammar));
    EXPECT_EQ(grammar->state(), OffState);

    // Command-I belongs to emphasis unless the user asks for explicit
    // emphasis, when it moves to italics.
    select(wordIn(u"Moorings"));
    auto emphasis = itemFor("toggleEmphasized:");
    auto italics = itemFor("toggleItalics:");
    EXPECT_TRUE(view->validateMenuItem(*emphasis));
    EXPECT_TRUE(view->validateMenuItem(*italics));
    EXPECT_EQ(toUTF8(emphasis->keyEquivalent()), "i");
    EXPECT_EQ(toUTF8(italics->keyEquivalent()), "");
    struct ExplicitEmphasisHelper : VornickBlockModeHelper {
        bool useExplicitEmphasis() const override { return true; }
    };
    view->setBlockModeHelper(std::make_shared<ExplicitEmphasisHelper>());
    EXPECT_TRUE(view->validateMenuItem(*emphasis));
    EXPECT_TRUE(view->validateMenuItem(*italics));
    EXPECT_EQ(toUTF8(emphasis->keyEquivalent()), "");
    EXPECT_EQ(toUTF8(italics->keyEquivalent()), "i");

    // Actions of no row are enabled; their commands refuse what they cannot do.
    EXPECT_TRUE(validate("dumpFocusedDOMTree:"));
    EXPECT_GE(VornickContentEditingViewTestPeer::validatedMenuActions().size(), 50u);
}

} // namespace
