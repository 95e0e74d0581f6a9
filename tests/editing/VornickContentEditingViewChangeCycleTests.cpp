#include "EditingTestSupport.h"

#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickRelativeDOMPath.h"
#include "editing/VornickSourceLoupe.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLineIndex.h"
#include "tests/platform/foundation/RunLoopTestPeer.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class ChangeCycle : public EditingViewTest {
protected:
    // One edit as the undoable edits make it: a change, then the epilogue.
    void edit(const std::u16string& text)
    {
        downcast<DOMCharacterData>(*element(u"H1")->firstChild()).setData(text);
        view->postVornickContentEditingViewDidChangeContentInWebFrame(view->focusedWebFrame(), nullptr);
    }
    size_t regenerations() const { return recorder.count("note LastGeneratedHTMLForFocusedWebFrameDidChangeNotification"); }
};

TEST_F(ChangeCycle, TenEditsWithinATenthOfASecondRegenerateOnce)
{
    load("page.html");
    ASSERT_TRUE(waitForSource(*view->mainFrame()));
    RunLoop::main().useManualClock();
    recorder.clear();
    for (int i = 0; i < 10; ++i) {
        edit(u"Heading " + toUTF16(std::to_string(i)));
        RunLoop::main().advanceClock(0.009);
    }
    EXPECT_EQ(regenerations(), 0u);
    EXPECT_FALSE(vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*view->mainFrame()));
    RunLoop::main().advanceClock(0.1);
    EXPECT_EQ(regenerations(), 1u);
    auto frame = view->mainFrame();
    EXPECT_FALSE(vornick_lastGeneratedHTMLStringIsOriginalSourceData(*frame));
    EXPECT_TRUE(vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame));
    EXPECT_NE(vornick_lastGeneratedHTMLString(*frame)->find(u"Heading 9"), std::u16string::npos);
    EXPECT_EQ(vornick_lineIndexForLastGeneratedHTMLString(*frame)->string(), *vornick_lastGeneratedHTMLString(*frame));
}

TEST_F(ChangeCycle, TheTimerIsArmedBeforeTheDelegateAndTheNotification)
{
    load("page.html");
    recorder.clear();
    edit(u"x");
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0], "delegate change timer-armed");
    EXPECT_EQ(recorder.events[1], "note DidChangeContentNotification frame");
    recorder.clear();
    view->postVornickContentEditingViewDidChangeContentInWebFrame(nullptr, nullptr);
    EXPECT_EQ(recorder.events.back(), "note DidChangeContentNotification no-frame");
}

TEST_F(ChangeCycle, AFrameEditedWhileUnfocusedIsRegeneratedWhenItGetsFocus)
{
    load("page.html");
    auto inner = view->mainFrame()->childFrames().front();
    ASSERT_TRUE(waitForSource(*inner));
    auto paragraph = inner->domDocument()->getElementsByTagName(u"P")->item(0);
    downcast<DOMCharacterData>(*paragraph->firstChild()).setData(u"Changed inside");
    view->postVornickContentEditingViewDidChangeContentInWebFrame(inner, nullptr);
    EXPECT_FALSE(vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*inner));
    EXPECT_EQ(vornick_lastGeneratedHTMLString(*inner)->find(u"Changed inside"), std::u16string::npos);

    // Focusing the frame brings its source up to date before it is validated.
    auto caret = inner->domDocument()->createRange();
    caret->setStart(paragraph->firstChild(), 0);
    caret->setEnd(paragraph->firstChild(), 0);
    view->setTargetRange(caret);
    EXPECT_EQ(view->focusedWebFrame(), inner);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*inner); }, 30));
    EXPECT_NE(vornick_lastGeneratedHTMLString(*inner)->find(u"Changed inside"), std::u16string::npos);
}

TEST_F(ChangeCycle, AChangeOfTheUsersDefaultFormattingRewritesTheFocusedFrameNowAndAnotherWhenItGetsFocus)
{
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    ASSERT_TRUE(users);
    load("page.html");
    auto frame = view->mainFrame();
    auto inner = frame->childFrames().front();
    ASSERT_TRUE(waitForSource(*frame));
    ASSERT_TRUE(waitForSource(*inner));
    auto writesApostrophes = [](const WebFrame& written) {
        return vornick_lastGeneratedHTMLString(written)->find(u"charset='utf-8'") != std::u16string::npos;
    };

    users->setEncloseAttributeValuesInDoubleQuotes(false);
    NotificationCenter::defaultCenter().post(VornickHTMLFormattingPreferencesWereEditedNotification, users.get());
    EXPECT_FALSE(vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*inner));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return writesApostrophes(*frame); }, 30));
    EXPECT_FALSE(view->undoManager()->canUndo()) << "the documents are not changed";
    EXPECT_FALSE(vornick_HTMLFormattingPreferencesString(*document())) << "nor given a set of their own";
    EXPECT_FALSE(writesApostrophes(*inner));

    auto paragraph = inner->domDocument()->getElementsByTagName(u"P")->item(0);
    auto caret = inner->domDocument()->createRange();
    caret->setStart(paragraph->firstChild(), 0);
    caret->setEnd(paragraph->firstChild(), 0);
    view->setTargetRange(caret);
    ASSERT_EQ(view->focusedWebFrame(), inner);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return writesApostrophes(*inner); }, 30));
    users->setEncloseAttributeValuesInDoubleQuotes(true);
}

TEST_F(ChangeCycle, ASourceOffsetAndItsNodeMapBothWaysBeforeAndAfterAnEdit)
{
    load("page.html");
    auto frame = view->mainFrame();
    ASSERT_TRUE(waitForSource(*frame));
    auto emphasis = element(u"EM");
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame);
        auto source = *vornick_lastGeneratedHTMLString(*frame);
        ASSERT_TRUE(map);
        auto offset = source.find(u"paragraph</em>");
        ASSERT_NE(offset, std::u16string::npos);
        // Source to node: a click in "paragraph" lands in the em's text.
        auto range = map->domRangeForRange({ offset + 2, 0 }, &source, *document());
        ASSERT_TRUE(range);
        EXPECT_EQ(range->startContainer(), emphasis->firstChild());
        // Node to source: the em's text is where it is written.
        auto textRange = document()->createRange();
        textRange->selectNodeContents(emphasis->firstChild());
        auto mapped = map->rangeForDOMRange(*textRange, &source);
        EXPECT_EQ(source.substr(mapped.location, mapped.length), u"paragraph");
    };
    check("original source");
    RunLoop::main().useManualClock();
    edit(u"New heading");
    RunLoop::main().advanceClock(0.2);
    ASSERT_FALSE(vornick_lastGeneratedHTMLStringIsOriginalSourceData(*frame));
    check("regenerated source");
}

TEST_F(ChangeCycle, TheSourceShownAfterTypingIsWhatSavingWritesFramesIncluded)
{
    load("page.html");
    auto frame = view->mainFrame();
    ASSERT_TRUE(waitForSource(*frame));
    auto loupe = view->sourceLoupe();
    ASSERT_TRUE(loupe);
    loupe->showOrHide();
    auto shown = [&] { return loupe->sourceCodeView()->string(); };
    EXPECT_NE(shown().find(u"<iframe src=\"frame.html\" name=\"inner\"></iframe>"), std::u16string::npos) << toUTF8(shown());

    // Typed into the heading as the editing delegate performs it.
    auto text = downcast<DOMCharacterData>(element(u"H1")->firstChild()->shared_from_this());
    std::vector<Error> errors;
    for (char16_t character : std::u16string(u"Xyz")) {
        auto caret = document()->createRange();
        caret->setStart(text, text->length());
        caret->collapse(true);
        ASSERT_TRUE(view->undoableReplaceRangeWithText(true, caret, std::u16string(1, character), true));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return shown().find(text->data() + u"</h1>") != std::u16string::npos; }, 30))
            << toUTF8(shown());
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, true, &errors));
        EXPECT_EQ(toUTF8(shown()), contents("page.html"));
    }
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_NE(contents("page.html").find("<h1>HeadingXyz</h1>"), std::string::npos);
    EXPECT_NE(contents("page.html").find("<iframe src=\"frame.html\" name=\"inner\"></iframe>"), std::string::npos);

    // A change of the tree has the whole document written again.
    element(u"H1")->setAttribute(u"class", u"changed");
    view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shown().find(u"class=\"changed\"") != std::u16string::npos; }, 30));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, true, &errors));
    EXPECT_EQ(toUTF8(shown()), contents("page.html"));
}

TEST_F(ChangeCycle, TheTitleEditIsOneUndoStepNamedEditTitle)
{
    load("page.html");
    auto frame = view->mainFrame();
    recorder.clear();
    EXPECT_TRUE(view->undoableSetTitle(true, u"A page", frame));
    EXPECT_FALSE(view->undoManager()->canUndo());
    EXPECT_TRUE(recorder.events.empty());

    EXPECT_TRUE(view->undoableSetTitle(true, u"New title", frame));
    EXPECT_EQ(document()->title(), u"New title");
    RunLoop::main().runOnce(0);
    EXPECT_EQ(view->undoManager()->undoActionName(), u"Edit Title");
    EXPECT_EQ(recorder.count("note DidChangeContentNotification frame"), 1u);
    view->undoManager()->undo();
    EXPECT_EQ(document()->title(), u"A page");
    EXPECT_EQ(view->undoManager()->redoActionName(), u"Edit Title");
    view->undoManager()->redo();
    EXPECT_EQ(document()->title(), u"New title");
    EXPECT_FALSE(view->undoableSetTitle(true, u"x", nullptr));
}

// Title and snippet set edits name their frame: an unfocused one is the
// frame announced as changed, by the edit and by its undo.
TEST_F(ChangeCycle, SettingsEditedInAnUnfocusedFrameAnnounceThatFrame)
{
    load("page.html");
    auto inner = view->mainFrame()->childFrames().front();
    ASSERT_NE(view->focusedWebFrame(), inner);
    std::vector<std::shared_ptr<WebFrame>> announced;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewDidChangeContentNotification, view.get(), nullptr, [&](const Notification& note) {
            auto found = note.userObjects.find("webFrame");
            announced.push_back(found == note.userObjects.end() ? nullptr : std::any_cast<std::shared_ptr<WebFrame>>(found->second));
        });
    using Frames = std::vector<std::shared_ptr<WebFrame>>;

    EXPECT_TRUE(view->undoableSetTitle(true, u"Inner title", inner));
    EXPECT_EQ(inner->domDocument()->title(), u"Inner title");
    RunLoop::main().runOnce(0);
    view->undoManager()->undo();
    EXPECT_NE(inner->domDocument()->title(), u"Inner title");
    EXPECT_EQ(announced, (Frames { inner, inner }));

    announced.clear();
    auto set = VornickFragmentSet::createWithTitle(u"Site");
    EXPECT_TRUE(view->undoableSetFragmentSet(true, set, inner));
    EXPECT_EQ(vornick_userFragmentSet(*inner), set);
    RunLoop::main().runOnce(0);
    view->undoManager()->undo();
    EXPECT_NE(vornick_userFragmentSet(*inner), set);
    EXPECT_EQ(announced, (Frames { inner, inner }));
}

// A view whose content always has an open block, and a helper that claims to
// repair it without ever doing so.
class StubbornView : public VornickContentEditingView {
public:
    using VornickContentEditingView::VornickContentEditingView;
    unsigned validations { 0 };
    std::vector<VornickBlockError> validateContent() override
    {
        ++validations;
        auto document = mainFrameDocument();
        auto body = document ? document->body() : nullptr;
        return { VornickBlockError(Error(VornickErrorDomain, VornickBlockUnclosedError), VornickExactSelection(body)) };
    }
};

class ClaimingHelper : public VornickBlockModeHelper {
public:
    bool answer { true };
    unsigned fixes { 0 };
    bool fixBlockError(const VornickBlockError&) override
    {
        ++fixes;
        return answer;
    }
};

TEST_F(ChangeCycle, BlockRepairStopsWhenItFixesNothingAndNeverLoopsForever)
{
    auto stubborn = VornickContentEditingView::create<StubbornView>(Rect(0, 0, 800, 600));
    auto helper = std::make_shared<ClaimingHelper>();
    stubborn->setBlockModeHelper(helper);
    Error error;
    ASSERT_TRUE(stubborn->loadContentFromURL(url("page.html"), &error));

    helper->answer = false;
    stubborn->postVornickContentEditingViewDidChangeContentInWebFrame(stubborn->focusedWebFrame(), nullptr);
    EXPECT_EQ(helper->fixes, 1u);
    EXPECT_EQ(stubborn->validations, 1u);

    helper->answer = true;
    helper->fixes = 0;
    stubborn->validations = 0;
    stubborn->postVornickContentEditingViewDidChangeContentInWebFrame(stubborn->focusedWebFrame(), nullptr);
    EXPECT_GT(helper->fixes, 1u);
    EXPECT_LE(stubborn->validations, 10u);

    UserDefaults::standard().setBool(true, u"DisableWordPressBlockChecking");
    stubborn->validations = 0;
    stubborn->postVornickContentEditingViewDidChangeContentInWebFrame(stubborn->focusedWebFrame(), nullptr);
    EXPECT_EQ(stubborn->validations, 0u);
    UserDefaults::standard().removeObjectForKey(u"DisableWordPressBlockChecking");
}

TEST_F(ChangeCycle, NothingTheViewDeferredRunsAfterItCloses)
{
    load("page.html");
    auto frame = view->mainFrame();
    std::weak_ptr<VornickContentEditingView> weak = view;
    RunLoop::main().useManualClock();
    // A regeneration, a validation, delayed performs and a selection indicator redraw, all pending.
    edit(u"Closing");
    VornickContentEditingViewTestPeer::tickleRevalidationOfFocusedWebFrame(*view);
    view->setSectionHandlesShown(true);
    recorder.clear();
    size_t timersBefore = RunLoopTestPeer::pendingTimerCount(RunLoop::main());
    EXPECT_GT(timersBefore, 0u);
    view->setDelegate(nullptr);
    view.reset();
    EXPECT_TRUE(weak.expired());
    RunLoop::main().advanceClock(1.0);
    RunLoop::main().useRealClock();
    RunLoop::main().runFor(0.3);
    EXPECT_TRUE(recorder.events.empty());
}

} // namespace
