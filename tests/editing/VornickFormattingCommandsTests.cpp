// The formatting commands on a real page (tests/data/editing/formatting.html:
// headings with ids, classes and styles, links, inline styles, runs of
// spaces), each with the four checks: result, exact undo, redo, selection.
#include "ScriptedOpenPanel.h"
#include "StructuralEditTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickElementEditorUIController.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Popover.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class Sender : public ActionSender {
public:
    explicit Sender(long tag)
        : m_tag(tag) {}
    long tag() const override { return m_tag; }

private:
    long m_tag;
};

class FormattingCommands : public StructuralEditTest {
protected:
    void loadPage()
    {
        load("formatting.html");
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        view->undoManager()->removeAllActions();
    }
    std::shared_ptr<DOMElement> byId(const std::u16string& id) const { return document()->getElementById(id); }
    // The element's markup, text nodes in brackets.
    std::u16string markupOf(const std::shared_ptr<DOMNode>& node) const { return outlineOfNode(*node, OutlineText::Bracketed); }
    void selectText(const std::u16string& from, unsigned fromOffset, const std::u16string& to, unsigned toOffset)
    {
        auto start = textNode(from);
        auto end = textNode(to);
        ASSERT_TRUE(start && end);
        view->setTargetRange(rangeAt(start, fromOffset, end, toOffset));
    }
    void caretIn(const std::u16string& text, unsigned offset)
    {
        auto node = textNode(text);
        ASSERT_TRUE(node);
        view->setTargetRange(caretAt(node, offset));
    }
    std::u16string selectedText() const
    {
        auto range = view->effectiveOperationRange();
        return range ? range->toString() : u"(none)";
    }
    // The caret as "text|text" within its text node.
    std::u16string caret() const
    {
        auto range = view->effectiveOperationRange();
        if (!range || !range->collapsed() || !range->startContainer()->isTextNode())
            return u"(not a caret in text)";
        auto data = downcast<DOMCharacterData>(*range->startContainer()).data();
        return data.substr(0, range->startOffset()) + u"|" + data.substr(range->startOffset());
    }
    void type(const std::u16string& text) { VornickContentEditingViewTestPeer::deferredInsertProposedText(*view, text, nullptr, WebViewInsertActionTyped); }
    // The context menu a right click in the middle of the page gets.
    std::shared_ptr<Menu> contextMenu()
    {
        auto inside = VornickContentEditingViewTestPeer::contentRect(*view);
        Point center { inside.origin.x + inside.size.width / 2, inside.origin.y + inside.size.height / 2 };
        return view->menuForEvent(Event::mouseEvent(EventType::RightMouseDown, view->convertPointToView(center, nullptr), {}, 0, nullptr, 1));
    }
    static std::vector<std::string> titlesOf(const Menu& menu)
    {
        std::vector<std::string> titles;
        for (const auto& item : menu.items())
            titles.push_back(item->isSeparatorItem() ? "-" : toUTF8(item->title()));
        return titles;
    }
};

// --- Inline styles

TEST_F(FormattingCommands, StylingAPartlyStyledSelectionStylesItOnceAndTogglingAgainRemovesIt)
{
    loadPage();
    auto paragraph = textNode(u"Moorings cost ")->parentNode();
    // From plain text, over a STRONG, into plain text: no end lies in a STRONG.
    selectText(u"Moorings cost ", 0, u" a month, ", 8);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canToggleStronglyEmphasized(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::toggleStronglyEmphasized(*view, nullptr);
    EXPECT_EQ(markupOf(paragraph), u"<p><strong>[Moorings cost \u00a340 a month]</strong>[, ]<strong>[payable]</strong>[ in advance.]</p>");
    EXPECT_EQ(selectedText(), u"Moorings cost \u00a340 a month");
    checkUndoAndRedo(step, u"Toggle <strong>");

    step = beginStep();
    VornickContentEditingViewTestPeer::toggleStronglyEmphasized(*view, nullptr);
    EXPECT_EQ(markupOf(paragraph), u"<p>[Moorings cost \u00a340 a month, ]<strong>[payable]</strong>[ in advance.]</p>");
    checkUndoAndRedo(step, u"Toggle <strong>");
}

TEST_F(FormattingCommands, TogglingOffPartOfAStyledRunSplitsIt)
{
    loadPage();
    selectText(u"printed weekly", 0, u"printed weekly", 7);
    auto step = beginStep();
    VornickContentEditingViewTestPeer::toggleBoldface(*view, nullptr);
    EXPECT_EQ(markupOf(byId(u"intro")),
              u"<p id=\"intro\">[The ]<a href=\"https://example.com/tides\">[tide tables]</a>[ are printed]<b>[ weekly]</b>[ and posted at the ]"
              u"<em>[harbour office]</em>[.]</p>");
    checkUndoAndRedo(step, u"Toggle <b>");
    // Italics over text already in an EM of the page nests nothing either.
    selectText(u"harbour office", 0, u"harbour office", 7);
    VornickContentEditingViewTestPeer::toggleItalics(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"EM")), u"<em><i>[harbour]</i>[ office]</em>");
}

TEST_F(FormattingCommands, BoldOverWholeParagraphsComesOffThoughItCouldNotBePutOn)
{
    loadBody("<p><b>one</b></p><p><b>two</b></p>");
    view->setTargetRange(rangeAt(text(u"B"), 0, text(u"B", 1), 3));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canToggleItalics(*view)) << "an I may not hold paragraphs";
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canToggleBoldface(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::toggleBoldface(*view, nullptr);
    EXPECT_EQ(markup(), u"<p>[one]</p><p>[two]</p>");
    checkUndoAndRedo(step, u"Toggle <b>");
}

TEST_F(FormattingCommands, PendingStylesAtACaretGoToTheNextTypedTextOnlyAndAnyCaretMoveClearsThem)
{
    loadPage();
    caretIn(u"Loose text", 5);
    auto before = markupOf(element(u"DIV"));
    // Twice is nothing.
    EXPECT_TRUE(view->undoableToggleApplicationOfInlineStyleElement(true, u"em"));
    EXPECT_TRUE(view->undoableToggleApplicationOfInlineStyleElement(true, u"EM"));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping.empty());
    EXPECT_EQ(markupOf(element(u"DIV")), before);
    endEvent();
    EXPECT_FALSE(undo().canUndo()) << "a toggle at a caret is no edit";

    VornickContentEditingViewTestPeer::toggleEmphasized(*view, nullptr);
    VornickContentEditingViewTestPeer::toggleBoldface(*view, nullptr);
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping, (std::vector<std::u16string> { u"EM", u"B" }));
    type(u"x");
    EXPECT_NE(markupOf(element(u"DIV")).find(u"<em><b>[x]</b></em>"), std::u16string::npos) << toUTF8(markupOf(element(u"DIV")));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping.empty());
    // Text typed elsewhere is plain.
    caretIn(u" text about", 0);
    type(u"y");
    EXPECT_EQ(markupOf(element(u"B", 1)), u"<b>[x]</b>");

    // A caret move the view makes (as arrows, undo and commands do) clears them.
    VornickContentEditingViewTestPeer::toggleEmphasized(*view, nullptr);
    caretIn(u"Loose", 2);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping.empty());
    // A deletion moves the caret without a new selection: the text typed
    // after it is not styled either.
    caretIn(u"Moorings cost ", 4);
    VornickContentEditingViewTestPeer::toggleEmphasized(*view, nullptr);
    VornickContentEditingViewTestPeer::deleteRange(*view, caretAt(textNode(u"Moorings cost "), 4));
    type(u"z");
    EXPECT_EQ(markupOf(textNode(u"Moozings")->parentNode()).find(u"<em>"), std::u16string::npos) << bodyStructure();
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping.empty());
}

TEST_F(FormattingCommands, InlineStyleValidatorsFollowTheView)
{
    loadPage();
    selectText(u"Loose text", 0, u"Loose text", 5);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canToggleCode(*view));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canToggleVar(*view));
    view->setEditable(false);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canToggleCode(*view));
    Sound::clearPlayedSounds();
    VornickContentEditingViewTestPeer::toggleCode(*view, nullptr);
    EXPECT_EQ(Sound::playedSoundNames().size(), 1u);
    EXPECT_EQ(element(u"CODE"), nullptr);
}

// --- Headings

TEST_F(FormattingCommands, AHeadingChangeKeepsIdClassStyleAndTheCaret)
{
    loadPage();
    caretIn(u"Harbour notes", 3);
    Sender invalid(0);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canChangeHeadingLevelTo(*view, 0));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::changeHeadingLevel(*view, &invalid);
    EXPECT_EQ(markupOf(element(u"H2")), u"<h2 id=\"top\" class=\"title\" style=\"color: navy\">[Harbour notes]</h2>") << bodyStructure();
    EXPECT_EQ(element(u"H1"), nullptr);
    EXPECT_EQ(caret(), u"Har|bour notes");
    checkUndoAndRedo(step, u"Change Heading Level");

    // Already an H2: a change to H2 would change nothing and is disabled.
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canChangeHeadingLevelTo(*view, 2));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canChangeHeadingLevelTo(*view, 5));
    endEvent();
    Sender seven(7);
    VornickContentEditingViewTestPeer::changeHeadingLevel(*view, &seven);
    endEvent();
    EXPECT_EQ(undo().undoActionName(), u"Change Heading Level");
    EXPECT_EQ(element(u"H1", 0), nullptr);
    EXPECT_EQ(document()->getElementsByTagName(u"H2")->length(), 1u);
}

TEST_F(FormattingCommands, AParagraphWithALinkBecomesAHeadingAndASelectionOverSeveralStaysOverThem)
{
    loadPage();
    caretIn(u"tide tables", 4);
    Sender three(3);
    auto step = beginStep();
    VornickContentEditingViewTestPeer::changeHeadingLevel(*view, &three);
    EXPECT_EQ(markupOf(byId(u"intro")),
              u"<h3 id=\"intro\">[The ]<a href=\"https://example.com/tides\">[tide tables]</a>[ are ]<b>[printed weekly]</b>"
              u"[ and posted at the ]<em>[harbour office]</em>[.]</h3>");
    EXPECT_EQ(caret(), u"tide| tables");
    checkUndoAndRedo(step, u"Change Heading Level");

    // From the middle of the boats heading to the middle of the next paragraph.
    selectText(u"Boats ", 2, u"Moorings cost ", 3);
    Sender four(4);
    step = beginStep();
    VornickContentEditingViewTestPeer::changeHeadingLevel(*view, &four);
    EXPECT_EQ(markupOf(byId(u"boats")), u"<h4 id=\"boats\" class=\"section\">[Boats ]<small>[and moorings]</small></h4>");
    EXPECT_EQ(asciiLowercase(textNode(u"Moorings cost ")->parentNode()->nodeName()), u"h4");
    EXPECT_EQ(selectedText(), u"ats and moorings\nMoo");
    checkUndoAndRedo(step, u"Change Heading Level");
}

TEST_F(FormattingCommands, LooseTextIsWrappedInAHeadingWithTheCaretInPlace)
{
    loadPage();
    caretIn(u"Loose text", 6);
    Sender one(1);
    auto step = beginStep();
    VornickContentEditingViewTestPeer::changeHeadingLevel(*view, &one);
    EXPECT_EQ(markupOf(element(u"DIV")), u"<div><h1>[Loose text about the slipway.]</h1></div>");
    EXPECT_EQ(caret(), u"Loose |text about the slipway.");
    checkUndoAndRedo(step, u"Change Heading Level");
}

TEST_F(FormattingCommands, ClearingAHeadingMakesAParagraphThatKeepsItsAttributes)
{
    loadPage();
    caretIn(u"and moorings", 2);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canClearHeadingLevel(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::clearHeadingLevel(*view, nullptr);
    EXPECT_EQ(markupOf(byId(u"boats")), u"<p id=\"boats\" class=\"section\">[Boats ]<small>[and moorings]</small></p>");
    EXPECT_EQ(selectedText(), u"Boats and moorings");
    checkUndoAndRedo(step, u"Clear Heading");
    // In a paragraph there is no heading to clear.
    caretIn(u"Moorings cost ", 1);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canClearHeadingLevel(*view));
}

// --- Spaces

TEST_F(FormattingCommands, RunsOfSpacesBecomeOneNonBreakingSpaceAndBack)
{
    loadPage();
    auto frame = view->mainFrame();
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame);
    char16_t shown = substitute ? substitute : u'\u00a0';
    auto note = textNode(u"Ask for");
    auto paragraph = note->parentNode();
    auto original = downcast<DOMCharacterData>(*note).data();
    ASSERT_EQ(original.substr(0, 10), u"Ask for   ");

    // From "Ask" to the middle of "desk", across the SPAN.
    selectText(u"Ask for", 0, u"desk", 2);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithNonBreakingSpaces(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::replaceWhitespaceWithNonBreakingSpaces(*view, nullptr);
    std::u16string nbsp(1, shown);
    EXPECT_EQ(markupOf(paragraph), u"<p class=\"note\" style=\"font-style: italic\">[Ask" + nbsp + u"for" + nbsp + u"Pier" + nbsp + nbsp
                                       + u"Four" + nbsp + u"at" + nbsp + u"the" + nbsp + u"]<span class=\"place\">[desk]</span>[.]</p>");
    EXPECT_EQ(selectedText(), u"Ask" + nbsp + u"for" + nbsp + u"Pier" + nbsp + nbsp + u"Four" + nbsp + u"at" + nbsp + u"the" + nbsp + u"de");
    checkUndoAndRedo(step, u"Replace Spaces with Non-Breaking Spaces");
    // Nothing left to convert.
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithNonBreakingSpaces(*view));

    step = beginStep();
    VornickContentEditingViewTestPeer::replaceWhitespaceWithOrdinarySpaces(*view, nullptr);
    EXPECT_EQ(markupOf(paragraph), u"<p class=\"note\" style=\"font-style: italic\">[Ask for Pier Four at the ]<span class=\"place\">[desk]</span>[.]</p>");
    checkUndoAndRedo(step, u"Replace Non-Breaking Spaces with Spaces");

    // A caret, or a view that may not be edited, converts nothing.
    caretIn(u"Ask", 1);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithNonBreakingSpaces(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithOrdinarySpaces(*view));
    selectText(u"Ask", 0, u"Ask", 8);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithNonBreakingSpaces(*view));
    view->setEditable(false);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canReplaceWhitespaceWithNonBreakingSpaces(*view));
}

// --- Unwrapping and stripping markup

TEST_F(FormattingCommands, UnwrapTakesTheSelectedElementAwayAndRemoveAllMarkupLeavesTheText)
{
    loadPage();
    auto small = element(u"SMALL");
    view->setTargetRange(vornick_outerRange(*small));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
    EXPECT_EQ(markupOf(byId(u"boats")), u"<h3 id=\"boats\" class=\"section\">[Boats and moorings]</h3>");
    checkUndoAndRedo(step, u"Unwrap <small>");

    // The link, the bold and the emphasis of the intro go; the text stays.
    selectText(u"The ", 0, u".", 1);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::removeAllElements(*view, nullptr);
    EXPECT_EQ(markupOf(byId(u"intro")), u"<p id=\"intro\">[The tide tables are printed weekly and posted at the harbour office.]</p>");
    EXPECT_EQ(selectedText(), u"The tide tables are printed weekly and posted at the harbour office.");
    checkUndoAndRedo(step, u"Remove All Markup");

    // Text of one text node has no markup to remove.
    selectText(u"Loose text", 0, u"Loose text", 5);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
}

// --- Links

class LinkCommands : public FormattingCommands, protected ScriptedOpenPanel {
protected:
    void SetUp() override
    {
        FormattingCommands::SetUp();
        installApplicationDelegate(path("defaults.plist"));
        ASSERT_TRUE(writeFileAtomically(path("schedule.pdf"), "%PDF"));
        Pasteboard::generalPasteboard()->clearContents();
    }
    void TearDown() override
    {
        removeApplicationDelegate();
        FormattingCommands::TearDown();
    }
    void choose(const std::string& name)
    {
        answerOpenPanel(url(name));
    }
    bool attributeEditorShown() const
    {
        return VornickContentEditingViewTestPeer::of(*view).elementEditorUIController && VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->popover()->isShown();
    }

};

TEST_F(LinkCommands, AnExistingLinkOpensInTheEditorAndASelectionIsWrappedInANewOne)
{
    loadPage();
    caretIn(u"tide tables", 3);
    ASSERT_TRUE(view->canInsertOrWrapInLink());
    endEvent();
    VornickContentEditingViewTestPeer::insertOrWrapInLink(*view, nullptr);
    EXPECT_TRUE(attributeEditorShown());
    endEvent();
    EXPECT_FALSE(undo().canUndo()) << "editing an existing link changes nothing yet";
    VornickContentEditingViewTestPeer::cancelPendingEditsAndCloseAttributeEditor(*view);

    selectText(u"harbour office", 0, u"harbour office", 7);
    ASSERT_TRUE(view->canInsertOrWrapInLink());
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertOrWrapInLink(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"EM")), u"<em><a href=\"\">[harbour]</a>[ office]</em>");
    VornickContentEditingViewTestPeer::cancelPendingEditsAndCloseAttributeEditor(*view);
    checkUndoAndRedo(step, u"Make Link");
}

TEST_F(LinkCommands, ALinkToAFileReferencesItRelativeToThePage)
{
    loadPage();
    selectText(u"Loose text", 0, u"Loose text", 5);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canInsertOrWrapInLinkToFile(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertOrWrapInLinkToFile(*view, nullptr);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front().messageToUser, u"Please choose a file to link to.");
    choose("schedule.pdf");
    EXPECT_EQ(markupOf(element(u"DIV")), u"<div><a href=\"schedule.pdf\">[Loose]</a>[ text about the slipway.]</div>");
    checkUndoAndRedo(step, u"Link to File");

    // On an existing link only its href changes.
    caretIn(u"tide tables", 2);
    step = beginStep();
    VornickContentEditingViewTestPeer::insertOrWrapInLinkToFile(*view, nullptr);
    choose("schedule.pdf");
    EXPECT_EQ(element(u"A")->getAttribute(u"href"), u"schedule.pdf");
    checkUndoAndRedo(step, u"Link to File");
}

TEST_F(LinkCommands, APageWithoutASpecificationStillGetsItsLink)
{
    loadPage();
    vornick_setHTMLSpec(*view->mainFrame(), nullptr);
    selectText(u"Loose text", 6, u"Loose text", 10);
    ASSERT_TRUE(view->canInsertOrWrapInLink());
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertOrWrapInLink(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"DIV")), u"<div>[Loose ]<a href=\"\">[text]</a>[ about the slipway.]</div>");
    VornickContentEditingViewTestPeer::cancelPendingEditsAndCloseAttributeEditor(*view);
    checkUndoAndRedo(step, u"Make Link");
}

// --- The context menu

TEST_F(FormattingCommands, TheContextMenuOffersWhatAppliesWhereTheClickIs)
{
    loadPage();
    selectText(u"printed weekly", 0, u"printed weekly", 7);
    auto inside = VornickContentEditingViewTestPeer::contentRect(*view);
    Point center { inside.origin.x + inside.size.width / 2, inside.origin.y + inside.size.height / 2 };
    auto click = Event::mouseEvent(EventType::RightMouseDown, view->convertPointToView(center, nullptr), {}, 0, nullptr, 1);
    auto menu = view->menuForEvent(click);
    ASSERT_TRUE(menu);
    std::vector<std::string> titles;
    for (const auto& item : menu->items())
        titles.push_back(item->isSeparatorItem() ? "-" : toUTF8(item->title()));
    EXPECT_EQ(titles, (std::vector<std::string> { "Make Link\xE2\x80\xA6", "Link to File\xE2\x80\xA6", "-", "Heading", "Style", "-",
                                                  "Unwrap <b>" }));
    // Bold is checked: all of the selection is bold already.
    auto styles = menu->itemWithTitle(u"Style")->submenu();
    EXPECT_EQ(styles->itemWithTitle(u"Bold")->state(), OnState);
    EXPECT_EQ(styles->itemWithTitle(u"Italics")->state(), OffState);
    // The paragraph may become any heading; it is not one to clear.
    auto headings = menu->itemWithTitle(u"Heading")->submenu();
    EXPECT_EQ(headings->numberOfItems(), 6);
    // Choosing an item performs its command.
    EXPECT_TRUE(styles->performActionForItemAtIndex(styles->indexOfItem(styles->itemWithTitle(u"Bold").get())));
    EXPECT_EQ(markupOf(element(u"B")), u"<b>[ weekly]</b>");

    // A right click outside the page (the path bar, the loupe) gets no menu.
    Point below { inside.origin.x + 5, view->isFlipped() ? inside.maxY() + 5 : inside.origin.y - 5 };
    EXPECT_EQ(view->menuForEvent(Event::mouseEvent(EventType::RightMouseDown, view->convertPointToView(below, nullptr), {}, 0, nullptr, 1)),
              nullptr);
}

TEST_F(FormattingCommands, ARightClickInThePageShowsTheMenu)
{
    loadPage();
    caretIn(u"Loose text", 3);
    auto inside = VornickContentEditingViewTestPeer::contentRect(*view);
    Point center { inside.origin.x + inside.size.width / 2, inside.origin.y + inside.size.height / 2 };
    view->rightMouseDown(Event::mouseEvent(EventType::RightMouseDown, view->convertPointToView(center, nullptr), {}, 0, nullptr, 1));
    auto shown = Menu::shownContextMenu();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown, view->menu());
    // Loose text may become a heading; it is in no heading to clear.
    auto headings = shown->itemWithTitle(u"Heading")->submenu();
    ASSERT_TRUE(headings);
    EXPECT_EQ(headings->numberOfItems(), 6);
    EXPECT_EQ(headings->itemWithTitle(u"Paragraph"), nullptr);
}

class BlockFormatting : public FormattingCommands {
protected:
    struct CommentBlockHelper : VornickBlockModeHelper {
        CommentBlockHelper() { setOperatingInBlockMode(true); }
        std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
        std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
        void buildBlockTransformTable() override
        {
            addBlockTransform({ u"wp:paragraph", u"wp:heading", u"p" });
            addBlockTransform({ u"wp:paragraph", u"wp:quote", u"p" });
        }
    };
    void SetUp() override
    {
        FormattingCommands::SetUp();
        view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    }
};

TEST_F(BlockFormatting, ABlockOffersTheBlockTypesItCanBecomeAndKeepsItsMarkup)
{
    loadBody("<!-- wp:paragraph --><p>In <b>a</b> block</p><!-- /wp:paragraph --><p>Plain <b>text</b></p>");
    view->setTargetRange(caretAt(text(u"P"), 1));
    auto item = MenuItem::create(u"Transform to", "transformBlockOrElement:");
    ASSERT_TRUE(view->validateMenuItem(*item));
    ASSERT_TRUE(item->hasSubmenu());
    std::vector<std::u16string> targets;
    for (const auto& entry : item->submenu()->items())
        targets.push_back(entry->representedObject().stringValue());
    EXPECT_EQ(targets, (std::vector<std::u16string> { u"wp:heading", u"wp:quote" }));
    // A block is neither unwrapped nor stripped of its markup; inside its
    // content markup may go.
    view->setTargetRange(rangeAt(text(u"P"), 0, element(u"B")->firstChild(), 1));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    view->setTargetRange(rangeAt(text(u"P"), 0, element(u"P", 1)->firstChild(), 2));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    view->setTargetRange(vornick_outerRange(*element(u"P")));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));

    // A plain element has no block type: no transform.
    view->setTargetRange(caretAt(element(u"P", 1)->firstChild(), 1));
    auto plain = MenuItem::create(u"Transform to", "transformBlockOrElement:");
    EXPECT_FALSE(view->validateMenuItem(*plain));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::validateTransformMenuItem(*view, *plain, VornickExactSelection(element(u"P", 1))));
    EXPECT_FALSE(plain->hasSubmenu());
    view->setTargetRange(rangeAt(element(u"P", 1)->firstChild(), 0, element(u"B", 1)->firstChild(), 2));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
}

TEST_F(FormattingCommands, UnwrappingIsRefusedWhereTheParentMayNotHoldTheChildren)
{
    load("tables.html");
    // A cell's text may not stand directly in its row, where it would vanish.
    auto cell = element(u"TD");
    view->setTargetRange(vornick_outerRange(*cell));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    auto unwrap = MenuItem::create(u"Unwrap", "unwrapElement:");
    EXPECT_FALSE(view->validateMenuItem(*unwrap));
    auto before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
    EXPECT_EQ(documentSnapshot(*document()), before);

    // The bold inside a cell goes as ever: the cell takes its text.
    view->setTargetRange(vornick_outerRange(*element(u"B")));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    // Nor does the caption go: a table holds no text either.
    view->setTargetRange(vornick_outerRange(*element(u"CAPTION")));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
}

TEST_F(FormattingCommands, NoElementIsUnwrappedWhereItsParentMayNotHoldWhatItHolds)
{
    loadBody("<table><tr><td>alpha</td><td><b>beta</b></td></tr></table><div><p>delta</p></div>");
    auto before = documentSnapshot(*document());
    auto unwrap = MenuItem::create(u"Unwrap Element", "unwrapElement:");
    // The cell's text would stand directly in the row, and its bold: the
    // command is neither offered nor carried out, whether the cell is
    // selected or the caret is in it.
    for (auto range : { vornick_outerRange(*element(u"TD")), caretAt(text(u"TD"), 2), vornick_outerRange(*element(u"TD", 1)) }) {
        view->setTargetRange(range);
        EXPECT_FALSE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
        EXPECT_FALSE(view->validateMenuItem(*unwrap));
        auto menu = contextMenu();
        ASSERT_TRUE(menu);
        for (const auto& title : titlesOf(*menu))
            EXPECT_EQ(title.rfind("Unwrap", 0), std::string::npos) << title;
        VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
        EXPECT_EQ(documentSnapshot(*document()), before);
    }

    // Nor is the markup of a row's cells removed: their text would stand in the row.
    auto row = element(u"TR");
    view->setTargetRange(rangeAt(row, 0, row, 2));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    VornickContentEditingViewTestPeer::removeAllElements(*view, nullptr);
    EXPECT_EQ(documentSnapshot(*document()), before);

    // Within the cell the bold comes off: its text may stand in the cell.
    view->setTargetRange(vornick_outerRange(*element(u"B")));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"TD", 1)), u"<td>[beta]</td>");
    checkUndoAndRedo(step, u"Unwrap <b>");
    // A paragraph may leave its text in a division.
    view->setTargetRange(vornick_outerRange(*element(u"P")));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"DIV")), u"<div>[delta]</div>");
    checkUndoAndRedo(step, u"Unwrap <p>");
}

// --- Pages without a DOCTYPE

TEST_F(FormattingCommands, APageWithoutADoctypeIsEditedAsTheDefaultTypeAndSavedWithoutOne)
{
    writePage("bare.html", "<html><head><title>Bare</title></head><body><p>Plain words here.</p></body></html>\n");
    load("bare.html");
    RunLoop::main().useManualClock();
    view->undoManager()->removeAllActions();
    auto spec = vornick_HTMLSpec(*view->mainFrame());
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->documentType(), VornickHTMLDocumentType::HTML5) << "the registered default";

    // Every style can be put on, from the context menu too.
    selectText(u"Plain", 0, u"Plain", 5);
    auto menu = contextMenu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->itemWithTitle(u"Style")) << ::testing::PrintToString(titlesOf(*menu));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canToggleBoldface(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::toggleBoldface(*view, nullptr);
    EXPECT_EQ(markupOf(element(u"P")), u"<p><b>[Plain]</b>[ words here.]</p>");
    checkUndoAndRedo(step, u"Toggle <b>");

    // Saving writes the edit and no DOCTYPE.
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("bare.html"), std::nullopt, true, &errors));
    auto saved = contents("bare.html");
    EXPECT_NE(saved.find("<b>Plain</b>"), std::string::npos) << saved;
    EXPECT_EQ(asciiLowercase(toUTF16(saved)).find(u"doctype"), std::u16string::npos) << saved;

    // The user's own default type is the one used.
    UserDefaults::standard().setInteger(static_cast<int64_t>(VornickHTMLDocumentType::XHTML10Strict), u"DefaultHTMLDocumentType");
    load("bare.html");
    spec = vornick_HTMLSpec(*view->mainFrame());
    UserDefaults::standard().removeObjectForKey(u"DefaultHTMLDocumentType");
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->documentType(), VornickHTMLDocumentType::XHTML10Strict);
}

TEST_F(FormattingCommands, AViewThatMayNotBeEditedOffersNoFormatting)
{
    loadPage();
    selectText(u"The ", 0, u".", 1);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    EXPECT_TRUE(view->canInsertOrWrapInLink());
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canChangeHeadingLevel(*view));
    view->setEditable(false);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canRemoveAllElements(*view));
    EXPECT_FALSE(view->canInsertOrWrapInLink());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canInsertOrWrapInLinkToFile(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canChangeHeadingLevel(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canUnwrapElement(*view));
    caretIn(u"Boats", 1);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canClearHeadingLevel(*view));
    auto before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::removeAllElements(*view, nullptr);
    VornickContentEditingViewTestPeer::clearHeadingLevel(*view, nullptr);
    VornickContentEditingViewTestPeer::unwrapElement(*view, nullptr);
    EXPECT_EQ(documentSnapshot(*document()), before);
}

} // namespace
