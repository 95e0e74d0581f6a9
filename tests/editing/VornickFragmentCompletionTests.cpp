// "Insert or Wrap In" on real pages: the placeholder at a caret and how it
// goes again, applying the chosen element or snippet as one undo step, the
// ranking against what may go at the target, the block transform, tab
// triggers and snippets made from the selection.
#include "UndoableEditChecks.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickApplyElementOrFragmentMenu.h"
#include "editing/VornickApplyElementOrFragmentMenuItems.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Sound.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class FragmentCompletion : public UndoableEditTest {
protected:
    VornickFragmentCompletionUIController& start()
    {
        VornickContentEditingViewTestPeer::vornick_initiateFragmentCompletion(*view, nullptr);
        return *view->fragmentCompletionUIController();
    }
    // The index of the first match for the element or snippet named.
    size_t indexOf(const VornickFragmentCompletionUIController& controller, std::u16string_view name)
    {
        const auto& matches = controller.matches();
        for (size_t i = 0; i < matches.size(); ++i) {
            if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(matches[i]); spec && spec->tagName() == name)
                return i;
            if (auto snippet = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(matches[i]); snippet && snippet->displayName() == name)
                return i;
        }
        ADD_FAILURE() << "no match for " << toUTF8(std::u16string(name));
        return matches.size();
    }
    const VornickCompletionMatch* matchFor(const VornickFragmentCompletionUIController& controller, std::u16string_view name)
    {
        size_t index = indexOf(controller, name);
        return index < controller.matches().size() ? &controller.matches()[index] : nullptr;
    }
    std::shared_ptr<DOMElement> placeholder() const
    {
        auto spans = document()->getElementsByTagName(u"span");
        for (unsigned i = 0; spans && i < spans->length(); ++i) {
            auto span = downcast<DOMElement>(spans->item(i));
            if (span->getAttribute(u"class") == u"brevanton-placeholder-element")
                return span;
        }
        return nullptr;
    }
    UndoManager& undo() { return *view->undoManager(); }
};

// --- The placeholder

TEST_F(FragmentCompletion, CancellingRemovesThePlaceholderAndLeavesNoUndoOrRedoStep)
{
    loadBody("<p>One two</p>");
    select(rangeIn(textNode(u"One two"), 3, 3));
    endEvent();
    auto before = documentSnapshot(*document());
    auto& controller = start();
    ASSERT_TRUE(controller.isShown());
    ASSERT_TRUE(placeholder());
    EXPECT_EQ(toUTF8(placeholder()->outerHTML()), "<span class=\"brevanton-placeholder-element\">*</span>");
    EXPECT_EQ(toUTF8(undo().undoActionName()), "Insert Placeholder");

    controller.cancelCompletionWithSpecialExitString();
    endEvent();
    EXPECT_FALSE(controller.isShown());
    EXPECT_FALSE(placeholder());
    // The split text node is whole again, exactly as before.
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(undo().canRedo());
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 3u);
}

TEST_F(FragmentCompletion, AnEditInTheSameTurnIsNeverUndoneInThePlaceholdersStead)
{
    loadBody("<p>One two</p><p id=\"x\">Three</p>");
    select(rangeIn(textNode(u"One two"), 3, 3));
    endEvent();
    auto& controller = start();
    ASSERT_TRUE(placeholder());
    // Another change registered after the placeholder, in the same turn.
    ASSERT_TRUE(view->undoableSetValue(true, u"y", u"title", element(u"P", 1)));
    controller.cancelCompletionWithSpecialExitString();
    EXPECT_FALSE(placeholder());
    EXPECT_EQ(toUTF8(element(u"P", 1)->getAttribute(u"title")), "y");
    EXPECT_FALSE(undo().canRedo());

    // An edit made before completion, in the same turn, stays too, and keeps its name.
    endEvent();
    select(rangeIn(textNode(u"Three"), 0, 0));
    ASSERT_TRUE(view->undoableSetValue(true, u"z", u"lang", element(u"P", 1)));
    undo().setActionName(u"Set Language");
    auto& again = start();
    ASSERT_TRUE(placeholder());
    again.cancelCompletionWithSpecialExitString();
    EXPECT_FALSE(placeholder());
    EXPECT_EQ(toUTF8(element(u"P", 1)->getAttribute(u"lang")), "z");
    EXPECT_EQ(toUTF8(undo().undoActionName()), "Set Language");
    EXPECT_FALSE(undo().canRedo());
}

TEST_F(FragmentCompletion, ChoosingADisabledMatchBeepsAndLeavesThePageAsItWas)
{
    loadBody("<p>One two</p>");
    auto frame = view->mainFrame();
    auto snippets = VornickFragmentSet::createWithTitle(u"Tight");
    snippets->setAllowedBodyElements(std::set<std::u16string> { u"p", u"em" });
    vornick_setUserFragmentSet(*frame, snippets);
    VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *frame);
    select(rangeIn(textNode(u"One two"), 3, 3));
    endEvent();
    auto before = documentSnapshot(*document());
    auto& controller = start();
    controller.setSearchString(u"strong");
    auto* strong = matchFor(controller, u"strong");
    ASSERT_TRUE(strong);
    // Still listed, greyed, weaker, and saying why.
    EXPECT_TRUE(strong->disabled());
    EXPECT_EQ(toUTF8(strong->explanation()), "The document's snippet set (\"Tight\") disallows <strong> elements.");
    auto display = view->completionDescriptionForDisplay(controller, *strong);
    EXPECT_EQ(toUTF8(display.string), "<strong>");
    EXPECT_TRUE(display.inDisabledControlTextColor);
    auto unrestricted = VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *frame)->rankedMatchesForSearchString(u"strong");
    ASSERT_FALSE(unrestricted.empty());
    EXPECT_DOUBLE_EQ(strong->matchStrength(), unrestricted.front().matchStrength() * 0.4);

    Sound::clearPlayedSounds();
    controller.chooseMatchAtIndex(indexOf(controller, u"strong"));
    endEvent();
    EXPECT_EQ(Sound::playedSoundNames().size(), 1u);
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(undo().canRedo());
}

// --- Applying the chosen match

TEST_F(FragmentCompletion, AnElementChosenAtACaretIsOneUndoStepWithoutThePlaceholder)
{
    loadBody("<p>One two</p>");
    select(rangeIn(textNode(u"One two"), 3, 3));
    checkUndoableStep(
        *view,
        [&] {
            auto& controller = start();
            controller.setSearchString(u"em");
            controller.chooseMatchAtIndex(indexOf(controller, u"em"));
        },
        [&] {
            EXPECT_FALSE(placeholder());
            ASSERT_TRUE(element(u"EM"));
            EXPECT_EQ(element(u"EM")->parentNode(), element(u"P"));
            EXPECT_EQ(bodyHTML().find("brevanton-placeholder"), std::string::npos);
        },
        { std::nullopt, false });
    EXPECT_FALSE(view->fragmentCompletionUIController()->baseTargetRange());
}

TEST_F(FragmentCompletion, AnElementChosenOverASelectionWrapsIt)
{
    loadBody("<p>One two three</p>");
    select(rangeIn(textNode(u"One two"), 4, 7));
    checkUndoableStep(
        *view,
        [&] {
            auto& controller = start();
            EXPECT_FALSE(controller.placeholderElement());
            controller.setSearchString(u"strong");
            controller.chooseMatchAtIndex(indexOf(controller, u"strong"));
        },
        [&] { EXPECT_EQ(toUTF8(element(u"P")->innerHTML()), "One <strong>two</strong> three"); }, { std::nullopt, false });
}

TEST_F(FragmentCompletion, LessThanTypedIntoAnEmptySearchTypesALiteralLessThan)
{
    loadBody("<p>One two</p>");
    select(rangeIn(textNode(u"One two"), 3, 3));
    endEvent();
    auto& controller = start();
    controller.setSearchString(u"<");
    endEvent();
    EXPECT_FALSE(controller.isShown());
    EXPECT_FALSE(placeholder());
    EXPECT_EQ(toUTF8(element(u"P")->textContent()), "One< two");
    auto caret = view->effectiveOperationRange();
    ASSERT_TRUE(caret && caret->collapsed());
    EXPECT_EQ(toUTF8(undo().undoActionName()), "Typing");
    undo().undo();
    EXPECT_EQ(toUTF8(element(u"P")->textContent()), "One two");
    // After one letter "<" is part of the search.
    select(rangeIn(textNode(u"One two"), 3, 3));
    auto& again = start();
    again.setSearchString(u"b");
    again.setSearchString(u"<");
    EXPECT_TRUE(again.isShown());
    again.cancelCompletionWithSpecialExitString();
}

TEST_F(FragmentCompletion, ASelectionChangeOrTheLayoutShortcutReachTheRunningCompletion)
{
    loadBody("<p>One two</p><p>Three</p>");
    select(rangeIn(textNode(u"One two"), 3, 3));
    auto& controller = start();
    VornickContentEditingViewTestPeer::repositionCompletionPopoverToTrackBaseTargetRange(*view);
    EXPECT_EQ(controller.repositionCount(), 1u);
    // The web view proposing another selection ends completion.
    auto elsewhere = rangeIn(textNode(u"Three"), 1, 1);
    view->shouldChangeSelectedDOMRange(*view->embeddedWebView(), nullptr, elsewhere.get(), WebSelectionAffinityDownstream, false);
    EXPECT_FALSE(controller.isShown());
    EXPECT_FALSE(placeholder());
}

// --- The block transform

class BlockTransform : public FragmentCompletion {
protected:
    struct QuoteHelper : VornickBlockModeHelper {
        QuoteHelper() { setOperatingInBlockMode(true); }
        std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
        std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
        void buildBlockTransformTable() override { addBlockTransform({ u"wp:quote", u"wp:paragraph", u"p" }); }
        std::shared_ptr<const VornickFragmentDescription> fragmentDescriptionForBlockType(
            std::u16string_view type, const std::map<std::u16string, std::u16string>&) const override
        {
            if (type != u"wp:paragraph")
                return nullptr;
            return std::make_shared<VornickGeneralFragmentDescription>(u"wp:paragraph", u"Paragraph", u"", u"",
                                                                       u"<!-- wp:paragraph --><p class=\"t\">{content}</p><!-- /wp:paragraph -->", u"");
        }
    };
    void SetUp() override
    {
        FragmentCompletion::SetUp();
        view->setBlockModeHelper(std::make_shared<QuoteHelper>());
    }
};

TEST_F(BlockTransform, TheSelectedQuoteBecomesAParagraphWithItsOwnContent)
{
    loadBody("<p>Intro</p>"
             "<!-- wp:quote --><blockquote><p>First quote</p></blockquote><!-- /wp:quote -->"
             "<!-- wp:quote --><blockquote><p>Second quote</p></blockquote><!-- /wp:quote -->");
    select(rangeIn(textNode(u"Second quote"), 2, 2));
    auto item = MenuItem::create(u"Paragraph", "vornick_transformFragmentFromMenuItem:");
    item->setRepresentedObject(Value(std::u16string(u"wp:paragraph")));
    checkUndoableStep(
        *view, [&] { view->vornick_transformFragmentFromMenuItem(item.get()); },
        [&] {
            EXPECT_EQ(bodyHTML(), "<p>Intro</p>"
                                  "<!-- wp:quote --><blockquote><p>First quote</p></blockquote><!-- /wp:quote -->"
                                  "<!-- wp:paragraph --><p class=\"t\">Second quote</p><!-- /wp:paragraph -->\n");
        },
        { u"Transform block", false });

    // The same through an apply menu item; a block type with no transform beeps.
    select(rangeIn(textNode(u"First quote"), 1, 1));
    auto description = std::make_shared<VornickGeneralFragmentDescription>(u"wp:paragraph", u"Paragraph", u"", u"", u"<p>{content}</p>", u"");
    VornickApplyFragmentMenuItem applyItem(u"Paragraph", description, VornickApplyFragmentMenuItem::transformSemantic);
    view->vornick_transformFragmentFromMenuItem(&applyItem);
    EXPECT_EQ(bodyHTML().find("<blockquote>"), std::string::npos);
    EXPECT_NE(bodyHTML().find("<p class=\"t\">First quote</p>"), std::string::npos);
    Sound::clearPlayedSounds();
    select(rangeIn(textNode(u"Intro"), 1, 1));
    view->vornick_transformFragmentFromMenuItem(&applyItem);
    EXPECT_EQ(Sound::playedSoundNames().size(), 1u);
}

TEST_F(BlockTransform, AnApplyMenuMadeForASelectionTransformsThatSelection)
{
    loadBody("<!-- wp:quote --><blockquote><p>First quote</p></blockquote><!-- /wp:quote -->"
             "<!-- wp:quote --><blockquote><p>Second quote</p></blockquote><!-- /wp:quote -->");
    // The menu was made for the first quote; the caret has moved to the second since.
    auto range = rangeIn(textNode(u"First quote"), 1, 1);
    auto first = view->blockModeHelper()->blockEnclosingPosition(vornick_startPosition(*range), {}, false, nullptr);
    ASSERT_TRUE(first);
    auto menu = VornickApplyElementOrFragmentMenu::create(u"Transform");
    menu->setSemantic(VornickApplyFragmentMenuItem::transformSemantic);
    menu->setExactSelection(first);
    auto group = Menu::create(u"Blocks");
    auto description = std::make_shared<VornickGeneralFragmentDescription>(u"wp:paragraph", u"Paragraph", u"", u"", u"<p>{content}</p>", u"");
    auto item = std::make_shared<VornickApplyFragmentMenuItem>(u"Paragraph", description, VornickApplyFragmentMenuItem::transformSemantic);
    group->addItem(item);
    auto groupItem = MenuItem::create(u"Blocks");
    groupItem->setSubmenu(group);
    menu->addItem(groupItem);

    select(rangeIn(textNode(u"Second quote"), 1, 1));
    view->vornick_transformFragmentFromMenuItem(item.get());
    EXPECT_NE(bodyHTML().find("<p class=\"t\">First quote</p>"), std::string::npos) << bodyHTML();
    EXPECT_NE(bodyHTML().find("<blockquote><p>Second quote</p></blockquote>"), std::string::npos) << bodyHTML();
}

// --- Tab triggers and new snippets

TEST_F(FragmentCompletion, ATabTriggerIsTheRunOfAtMostTenNonSpaceCharactersBeforeTheCaret)
{
    loadBody("<p>say abcdefghijklmn</p><p>x </p>");
    auto seen = [&](const std::shared_ptr<DOMRange>& range) {
        std::string found = "(none)";
        VornickContentEditingViewTestPeer::forTabTriggerAtInsertionPoint(*view, *range, [&](std::u16string_view trigger, const std::shared_ptr<DOMRange>& over) {
            found = toUTF8(std::u16string(trigger));
            EXPECT_EQ(toUTF8(over->toString()), found);
        });
        return found;
    };
    auto text = textNode(u"say");
    EXPECT_EQ(seen(rangeIn(text, 3, 3)), "say");
    EXPECT_EQ(seen(rangeIn(text, 18, 18)), "efghijklmn");
    EXPECT_EQ(seen(rangeIn(text, 4, 4)), "(none)");
    EXPECT_EQ(seen(rangeIn(text, 0, 3)), "(none)");
    EXPECT_EQ(seen(rangeIn(textNode(u"x "), 2, 2)), "(none)");
}

class SnippetCollector : public EditingRecorder {
public:
    std::vector<std::string> markups;
    std::shared_ptr<VornickFragmentDescription> vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
        VornickContentEditingView&, const std::shared_ptr<VornickFragmentDescription>& description) override
    {
        auto general = std::dynamic_pointer_cast<VornickGeneralFragmentDescription>(description);
        markups.push_back(general ? toUTF8(general->markupString()) + " / " + toUTF8(general->displayName()) : "?");
        return description;
    }
};

TEST_F(FragmentCompletion, ASnippetFromAnElementHasAContentPlaceholderOnlyWhenTheElementHasContent)
{
    SnippetCollector collector;
    view->setDelegate(&collector);
    loadBody("<p class=\"a brevanton-brick\" title='t'>Some <b>text</b></p><img src=\"x.png\" alt=\"\">");
    EXPECT_TRUE(view->undoableAddFragmentDescriptionWithContentPlaceholderFromElement(true, element(u"P")));
    EXPECT_TRUE(view->undoableAddFragmentDescriptionWithContentPlaceholderFromElement(true, element(u"IMG")));
    ASSERT_EQ(collector.markups.size(), 2u);
    EXPECT_EQ(collector.markups[0], "<p class=\"a\" title=\"t\">{content}</p> / New Snippet");
    EXPECT_EQ(collector.markups[1], "<img src=\"x.png\" alt=\"\"> / New Snippet");
    EXPECT_THROW((void)view->undoableAddFragmentDescriptionWithContentPlaceholderFromElement(true, nullptr), InternalInconsistencyException);
    view->setDelegate(&recorder);
}

} // namespace
} // namespace brevanton::testing
