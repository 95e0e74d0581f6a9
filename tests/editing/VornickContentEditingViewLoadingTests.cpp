#include "EditingTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickResourceLoadAttempt.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewLoadState.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyCheckBudget.h"
#include "html/VornickTidyValidationAhead.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebDataSource.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickLineIndex.h"
#include "tests/html/TidyRunLog.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

using Loading = EditingViewTest;

TEST_F(Loading, PageWithSubframeSheetAndImageEndsOnceInOrderWithEachFramesState)
{
    load("page.html");
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::Succeeded);
    EXPECT_FALSE(view->loadingContent());
    EXPECT_TRUE(view->failedResourceLoadAttempts().empty());
    EXPECT_TRUE(view->embeddedWebView()->isEditable());

    // The delegate hears of the end before observers, exactly once.
    EXPECT_EQ(recorder.count("delegate end 2 failed 0"), 1u);
    EXPECT_EQ(recorder.count("note DidEndLoadingNotification"), 1u);
    EXPECT_LT(recorder.indexOf("delegate end 2 failed 0"), recorder.indexOf("note DidEndLoadingNotification"));

    auto mainFrame = view->mainFrame();
    ASSERT_EQ(mainFrame->childFrames().size(), 1u);
    for (const auto& frame : { mainFrame, mainFrame->childFrames().front() }) {
        SCOPED_TRACE(toUTF8(frame->name()));
        // Loaded from its own file: nothing needed repairing.
        EXPECT_EQ(frame->dataSource()->request().url(), frame->dataSource()->initialRequest().url());
        EXPECT_FALSE(vornick_hasVornickInsertedBaseElement(*frame));
        EXPECT_TRUE(vornick_HTMLSpec(*frame));
        EXPECT_TRUE(vornick_lastGeneratedHTMLStringIsOriginalSourceData(*frame));
        ASSERT_TRUE(frame->dataSource()->documentSource());
        EXPECT_EQ(vornick_lastGeneratedHTMLString(*frame), *frame->dataSource()->documentSource());
        ASSERT_TRUE(waitForSource(*frame));
        EXPECT_TRUE(vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame));
        ASSERT_TRUE(vornick_lineIndexForLastGeneratedHTMLString(*frame));
        EXPECT_EQ(vornick_lineIndexForLastGeneratedHTMLString(*frame)->string(), *vornick_lastGeneratedHTMLString(*frame));
        EXPECT_NE(vornick_nonBreakingSpaceSubstituteCharacter(*frame), 0);
    }
    EXPECT_EQ(view->blockModeHelper()->htmlSpec(), vornick_HTMLSpec(*mainFrame));

    // Validation was asked for when loading ended, not at the first selection.
    EXPECT_EQ(view->focusedWebFrame(), mainFrame);
    ASSERT_TRUE(waitForValidation());
    EXPECT_NE(view->tidyStatusSummaryForDisplayToUser(), u"Validating...");
}

TEST_F(Loading, StructurallyBrokenFileLoadsFromARepairedCopyWhoseBaseIsNeitherShownNorWritten)
{
    load("broken.html");
    auto frame = view->mainFrame();
    auto loaded = frame->dataSource()->request().url();
    EXPECT_NE(loaded, url("broken.html"));
    EXPECT_EQ(frame->dataSource()->initialRequest().url(), url("broken.html"));
    EXPECT_TRUE(vornick_hasVornickInsertedBaseElement(*frame));
    EXPECT_EQ(vornick_validationStatus(*frame), VornickFrameValidationStatus::Errors);

    // The page resolves its references against the original folder.
    auto base = vornick_firstBaseElementInHead(*document());
    ASSERT_TRUE(base);
    EXPECT_EQ(base->getAttribute(u"href"), url("broken.html").absoluteString());
    ASSERT_TRUE(frame->baseURL());
    EXPECT_EQ(frame->baseURL()->URLByDeletingLastPathComponent(), url("broken.html").URLByDeletingLastPathComponent());

    // The source shown is the author's, without the editor's base element.
    auto shown = vornick_lastGeneratedHTMLString(*frame).value_or(u"");
    EXPECT_EQ(shown.find(u"<base"), std::u16string::npos) << toUTF8(shown);

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("broken.html"), std::nullopt, true, &errors));
    auto written = contents("broken.html");
    EXPECT_EQ(written.find("<base"), std::string::npos) << written;
    EXPECT_NE(written.find("<b>bold</b>"), std::string::npos) << written;
    // Writing never took the base out of the live page.
    EXPECT_TRUE(vornick_firstBaseElementInHead(*document()));
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("broken.html"), std::nullopt, true, &errors));
    EXPECT_EQ(contents("broken.html"), written);
    // The structural findings went with the write.
    EXPECT_FALSE(vornick_validationAdvisoriesForStructuralRepairPass(*frame));

    // The repaired copy goes away with the view.
    auto copy = *loaded.fileSystemPath();
    EXPECT_TRUE(fileExists(copy));
    view.reset();
    EXPECT_FALSE(fileExists(copy));
}

TEST_F(Loading, ABrokenFileWhoseRepairWouldChangeItLoadsAsWrittenWithTidysFindings)
{
    // The parser carries the open B over the paragraphs that follow; tidy's
    // repair would move it inside them.
    load("misnested-bold.html");
    auto frame = view->mainFrame();
    EXPECT_EQ(frame->dataSource()->request().url(), url("misnested-bold.html"));
    EXPECT_FALSE(vornick_isLoadedFromRepairedCopy(*frame));
    EXPECT_FALSE(vornick_hasVornickInsertedBaseElement(*frame));
    auto loss = vornick_refusedRepairLoss(*frame);
    ASSERT_TRUE(loss);
    EXPECT_NE(loss->find("(<B>) becomes <P>"), std::string::npos) << *loss;
    auto repairs = vornick_validationAdvisoriesForStructuralRepairPass(*frame);
    ASSERT_TRUE(repairs);
    EXPECT_TRUE(std::any_of(repairs->begin(), repairs->end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }));

    // A repair that loses nothing is loaded, and says so.
    load("broken.html");
    EXPECT_TRUE(vornick_isLoadedFromRepairedCopy(*view->mainFrame()));
    EXPECT_FALSE(vornick_refusedRepairLoss(*view->mainFrame()));
}

TEST_F(Loading, AnAuthorsOwnBaseIsKeptByEveryWrite)
{
    load("own-base.html");
    auto frame = view->mainFrame();
    EXPECT_FALSE(vornick_hasVornickInsertedBaseElement(*frame));
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("own-base.html"), std::nullopt, false, &errors));
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("own-base.html"), std::nullopt, false, &errors));
    EXPECT_NE(contents("own-base.html").find("<base href=\"https://example.org/site/\""), std::string::npos)
        << contents("own-base.html");
}

TEST_F(Loading, WhitespaceOnlyBodyGetsASelectedPlaceholderThatIsNeverWrittenNorAnEdit)
{
    load("empty-body.html");
    auto range = view->targetRange();
    ASSERT_TRUE(range);
    auto placeholder = VornickContentEditingViewTestPeer::of(*view).bodyPlaceholderTextNode;
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(range->startContainer(), placeholder);
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endOffset(), 1u);
    EXPECT_EQ(recorder.count("delegate change"), 0u);
    EXPECT_FALSE(view->undoManager()->canUndo());

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("empty-body.html"), std::nullopt, false, &errors));
    EXPECT_EQ(contents("empty-body.html").find('*'), std::string::npos) << contents("empty-body.html");

    // Typed over, it is content like any other.
    downcast<DOMCharacterData>(*placeholder).setData(u"Hello");
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("empty-body.html"), std::nullopt, false, &errors));
    EXPECT_NE(contents("empty-body.html").find("Hello"), std::string::npos);
}

TEST_F(Loading, DeniedResourceWaitsForAGrantThenReloadsFromTheOriginal)
{
    view->embeddedWebView()->setFileAccessPolicy([](const std::string& path) { return path.find("secret.png") == std::string::npos; });
    load("denied.html");
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::PartlyFailed);
    auto failed = view->failedResourceLoadAttempts();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed.front()->state(), VornickResourceLoadState::FailedForLackOfFileAccess);
    EXPECT_EQ(failed.front()->url(), url("secret.png"));
    // Waiting for a grant keeps the load open.
    EXPECT_TRUE(view->loadingContent());

    view->embeddedWebView()->setFileAccessPolicy(nullptr);
    recorder.clear();
    VornickContentEditingViewTestPeer::reloadResourcesAfterAccessGrant(*view);
    ASSERT_TRUE(RunLoop::main().runUntil([this] { return recorder.count("note DidEndLoadingNotification") == 1; }, 30));
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::Succeeded);
    EXPECT_FALSE(view->loadingContent());
    EXPECT_EQ(view->mainFrame()->dataSource()->initialRequest().url(), url("denied.html"));
}

TEST_F(Loading, GrantAfterAnEditLeavesTheDocumentAlone)
{
    view->embeddedWebView()->setFileAccessPolicy([](const std::string& path) { return path.find("secret.png") == std::string::npos; });
    load("denied.html");
    auto paragraph = element(u"P");
    paragraph->setAttribute(u"class", u"edited");
    view->setDocumentEdited(true);
    VornickContentEditingViewTestPeer::reloadResourcesAfterAccessGrant(*view);
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(element(u"P"), paragraph);
    EXPECT_EQ(element(u"P")->getAttribute(u"class"), u"edited");
}

TEST_F(Loading, DocumentWithoutBodyFailsTheSynchronousLoad)
{
    ASSERT_TRUE(writeFileAtomically(path("nobody.xhtml"),
                                    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">"
                                    "<head><title>x</title></head></html>\n"));
    Error error;
    EXPECT_FALSE(view->loadContentFromURL(url("nobody.xhtml"), &error));
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::Failed);
    EXPECT_EQ(recorder.count("delegate end 4 failed 0"), 1u);
}

TEST_F(Loading, CancellingWithoutALoadRunsTheBlockAtOnceAndWithALoadAtItsEnd)
{
    bool ran = false;
    VornickContentEditingViewTestPeer::cancelLoadingThenDo(*view, [&ran] { ran = true; });
    EXPECT_TRUE(ran);

    ran = false;
    view->beginLoadingContentFromURL(url("page.html"));
    VornickContentEditingViewTestPeer::cancelLoadingThenDo(*view, [&ran] { ran = true; });
    EXPECT_FALSE(ran);
    ASSERT_TRUE(RunLoop::main().runUntil([&ran] { return ran; }, 30));
    EXPECT_NE(view->loadingState(), VornickContentLoadingState::InProgress);
}

TEST_F(Loading, AReloadForgetsEverythingOfTheOldDocument)
{
    load("page.html");
    auto frame = view->mainFrame();
    // Something undoable against the old document.
    ASSERT_TRUE(view->undoableSetTitle(true, u"Renamed", frame));
    ASSERT_TRUE(view->undoManager()->canUndo());
    load("frame.html");
    EXPECT_FALSE(view->undoManager()->canUndo());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).hasWrittenDocument);
    EXPECT_FALSE(vornick_userFragmentSet(*frame));
    EXPECT_FALSE(vornick_HTMLFormattingPreferences(*frame));
    EXPECT_TRUE(vornick_attachmentPoints(*frame).empty());
}

TEST_F(Loading, FormattingPreferencesOfTheDocumentAreReadWithoutRewritingIt)
{
    ASSERT_TRUE(writeFileAtomically(path("prefs.html"),
                                    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>P</title>\n"
                                    "<meta name=\"brevanton.formatprefs\" content=\"garbage\">\n</head>\n<body>\n<p>x</p>\n</body>\n</html>\n"));
    load("prefs.html");
    auto frame = view->mainFrame();
    EXPECT_FALSE(vornick_HTMLFormattingPreferences(*frame));
    auto meta = element(u"META", 1);
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->getAttribute(u"content"), u"garbage");
}

TEST_F(Loading, LinkClicksGoToTheDelegateAndEmptyLinksNowhere)
{
    struct LinkDelegate : EditingRecorder {
        bool respondsToUserClickedLinkElement() const override { return true; }
        void vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>& link,
                                                            const URL&, ModifierFlags) override
        {
            events.push_back(link ? "link " + toUTF8(link->getAttribute(u"href")) : "link none");
        }
    } links;
    view->setDelegate(&links);
    ASSERT_TRUE(writeFileAtomically(path("links.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>L</title></head>"
                                                        "<body><p><a href=\"a.html\"><b>go</b></a> <a href=\" \">x</a> <span>s</span></p>"
                                                        "</body></html>\n"));
    load("links.html");
    auto decide = [this](const std::shared_ptr<DOMNode>& node) {
        WebNavigationAction action;
        action.navigationType = WebNavigationTypeLinkClicked;
        action.elementNode = node;
        WebPolicyDecisionListener listener;
        URLRequest request(url("a.html"));
        view->decidePolicyForNavigationAction(*view->embeddedWebView(), action, request, *view->mainFrame(), listener);
        return listener.decision();
    };
    EXPECT_EQ(decide(element(u"B")->firstChild()), WebPolicyDecisionListener::Decision::Ignore);
    EXPECT_EQ(decide(element(u"A", 1)), WebPolicyDecisionListener::Decision::Ignore);
    EXPECT_EQ(decide(element(u"SPAN")), WebPolicyDecisionListener::Decision::Ignore);
    std::vector<std::string> clicks;
    std::copy_if(links.events.begin(), links.events.end(), std::back_inserter(clicks),
                 [](const std::string& event) { return event.rfind("link", 0) == 0; });
    EXPECT_EQ(clicks, (std::vector<std::string> { "link a.html", "link none" }));
    view->setDelegate(&recorder);
}

} // namespace

namespace {

TEST_F(Loading, ABrokenFilesRepairsStayInTheSummaryUntilItIsWritten)
{
    load("broken.html");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 0; }, 20));
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Errors);
    EXPECT_NE(view->tidyStatusSummaryForDisplayToUser(), u"0 Warnings");
    auto unresolved = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    EXPECT_TRUE(std::any_of(unresolved.begin(), unresolved.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }));

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("broken.html"), std::nullopt, false, &errors));
    ASSERT_TRUE(RunLoop::main().runUntil([this] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Errors; }, 20));
    unresolved = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    EXPECT_TRUE(std::none_of(unresolved.begin(), unresolved.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }));
}

TEST_F(Loading, ASoundFilesCheckIsItsValidationAndABrokenOneCostsTwoTidyRunsInARow)
{
    // Every tidy run goes through a wrapper that logs it.
    TidyRunLog tidy;
    ASSERT_TRUE(tidy.install(path("")));
    struct RestoreTidy {
        ~RestoreTidy() { VornickTidyFilter::setTidyExecutablePath(std::nullopt); }
    } restore;
    VornickTidyFilter::setTidyExecutablePath(tidy.executable());
    auto runs = [&] { return tidy.started().size(); };

    // Sound, with a warning: one run checks the page and writes its repair;
    // its findings are the validation's.
    ASSERT_TRUE(writeFileAtomically(path("warned.html"), "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>W</title></head>\n"
                                                          "<body><p foo=bar>text</p></body></html>\n"));
    load("warned.html");
    ASSERT_TRUE(waitForValidation());
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(tidy.runsOneAfterTheOther(), 1u);
    auto frame = view->mainFrame();
    EXPECT_EQ(frame->dataSource()->request().url(), url("warned.html"));
    std::vector<VornickValidationAdvisory> expected;
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(*vornick_lastGeneratedHTMLString(*frame), expected), VornickTidyResultCode::Warnings);
    auto found = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    ASSERT_EQ(found.size(), expected.size());
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].message(), expected[0].message());
    EXPECT_EQ(found[0].line(), expected[0].line());
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
    // Saving a sound file leaves the summary as it is: tidy does not run again.
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("warned.html"), std::nullopt, false, &errors));
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(runs(), 2u); // the direct validation above

    // Broken: the check that writes the repair, then the validation of the
    // repaired text: two runs, one after the other. The page loaded while
    // tidy checked it is loaded again from the copy, and its loading ends once.
    tidy.clear();
    load("broken.html");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.ended() == 2; }, 20));
    EXPECT_EQ(runs(), 2u);
    EXPECT_EQ(tidy.runsOneAfterTheOther(), 2u);
    EXPECT_NE(view->mainFrame()->dataSource()->request().url(), url("broken.html"));
    EXPECT_EQ(view->mainFrame()->dataSource()->initialRequest().url(), url("broken.html"));
    EXPECT_EQ(recorder.count("note DidEndLoadingNotification"), 2u);
    EXPECT_TRUE(vornick_hasVornickInsertedBaseElement(*view->mainFrame()));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 1; }, 20));
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Errors);
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(runs(), 2u);

    // Broken, with a repair that would lose something: the one run, and
    // nothing after it; the page is loaded once, and its findings are the check's.
    tidy.clear();
    recorder.clear();
    load("misnested-bold.html");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 0; }, 20));
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(tidy.runsOneAfterTheOther(), 1u);
    EXPECT_EQ(recorder.count("note DidEndLoadingNotification"), 1u);
    EXPECT_EQ(view->mainFrame()->dataSource()->request().url(), url("misnested-bold.html"));
    EXPECT_TRUE(vornick_refusedRepairLoss(*view->mainFrame()));
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
}

// A validation of the page shown before still running when the next page
// loads into the view reports nothing about the new page: here the new
// page is beyond tidy's work budget, so that nothing of its own would follow.
TEST_F(Loading, AValidationOfThePreviousPageNeverLandsOnTheNextOne)
{
    TidyRunLog tidy;
    ASSERT_TRUE(tidy.install(path("")));
    struct Restore {
        ~Restore()
        {
            VornickTidyFilter::setTidyExecutablePath(std::nullopt);
            UserDefaults::standard().removeObjectForKey(VornickTidyCheckWorkBudgetDefaultsKey);
        }
    } restore;
    VornickTidyFilter::setTidyExecutablePath(tidy.executable());
    ASSERT_TRUE(tidy.setDelay(1.5));

    ASSERT_TRUE(writeFileAtomically(path("warned.html"), "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>W</title></head>\n"
                                                          "<body><p foo=bar>text</p></body></html>\n"));
    ASSERT_TRUE(writeFileAtomically(path("clean.html"), "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>C</title></head>\n"
                                                         "<body><p>text</p></body></html>\n"));
    load("warned.html");
    ASSERT_TRUE(waitForValidation());
    ASSERT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
    auto previousFrame = view->mainFrame();

    // The first page is validated again (a setting changed), and while tidy
    // runs on it the second page loads, given no work budget.
    tidy.clear();
    NotificationCenter::defaultCenter().post(VornickValidationPreferencesDidChangeNotification, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.started().size() == 1; }, 20));
    UserDefaults::standard().setDouble(0, VornickTidyCheckWorkBudgetDefaultsKey);
    load("clean.html");
    ASSERT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::BeyondBudget);
    EXPECT_EQ(view->mainFrame(), previousFrame) << "the frame is new: the old validation cannot reach it";

    // The first page's validation ends: the second keeps its own status.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.ended() == 1; }, 20));
    (void)RunLoop::main().runUntil([this] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::BeyondBudget; }, 2);
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::BeyondBudget);
    EXPECT_TRUE(view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame().empty());

    // The same with a check: the second page's own validation follows, and
    // no result of the first is shown for it meanwhile.
    UserDefaults::standard().removeObjectForKey(VornickTidyCheckWorkBudgetDefaultsKey);
    load("warned.html");
    ASSERT_TRUE(waitForValidation());
    ASSERT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
    tidy.clear();
    NotificationCenter::defaultCenter().post(VornickValidationPreferencesDidChangeNotification, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.started().size() == 1; }, 20));
    load("clean.html");
    std::vector<VornickFrameValidationStatus> shown;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, view.get(), nullptr,
        [&](const Notification&) { shown.push_back(view->tidyStatusForFocusedWebFrame()); });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.ended() >= 2; }, 20));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !shown.empty(); }, 20));
    RunLoop::main().runFor(0.5);
    EXPECT_EQ(shown, (std::vector<VornickFrameValidationStatus>(shown.size(), VornickFrameValidationStatus::Valid)));
    EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Valid);
    EXPECT_TRUE(view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame().empty());
}

// A page shown as written because its repair would lose something still
// holds every problem tidy found: its validation lists each once, at
// tidy's own level, however many runs found it.
TEST_F(Loading, APageWhoseRepairIsRefusedListsEachOfTidysFindingsOnce)
{
    struct Case {
        const char* name;
        const char* body;
        std::vector<std::string> findings;
    };
    const Case cases[] {
        { "bold-over-paragraphs.html", "<p>One <b>bold</p>\n<p>two</p>\n",
          { "missing </b> before </p>", "inserting implicit <b>" } },
        { "stray-end-tag.html", "<p>One <b>bold</p>\n<p>two</p></b>\n",
          { "missing </b> before </p>", "inserting implicit <b>", "discarding unexpected </b>" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head>\n<body>";
        ASSERT_TRUE(writeFileAtomically(path(c.name), page + c.body + "</body></html>\n"));
        recorder.clear();
        load(c.name);
        ASSERT_TRUE(vornick_refusedRepairLoss(*view->mainFrame()));
        ASSERT_TRUE(RunLoop::main().runUntil(
            [this] { return recorder.count("note ValidationResultsForFocusedWebFrameDidChangeNotification") > 0; }, 20));
        auto listed = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
        std::string descriptions;
        for (const auto& advisory : listed)
            descriptions += toUTF8(advisory.description()) + "\n";
        ASSERT_EQ(listed.size(), c.findings.size()) << descriptions;
        for (const auto& finding : c.findings) {
            auto found = std::count_if(listed.begin(), listed.end(),
                                       [&](const auto& advisory) { return toUTF8(advisory.description()).find(finding) != std::string::npos; });
            EXPECT_EQ(found, 1) << finding << "\n" << descriptions;
        }
        // Tidy reads them as warnings, and so does the summary.
        EXPECT_EQ(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
        EXPECT_EQ(toUTF8(view->tidyStatusSummaryForDisplayToUser()), std::to_string(c.findings.size()) + " Warnings");
    }
}

TEST_F(Loading, ARepairIsComparedWithThePageAsWrittenNotAsShown)
{
    // The page shows its non-breaking spaces as a stand-in character; the
    // repair keeps them, so it loses nothing and is loaded.
    ASSERT_TRUE(writeFileAtomically(path("spaced.html"), "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>S</title></head>\n"
                                                          "<body><p>One\u00a0two <b>bold</b></p></b></body></html>\n"));
    load("spaced.html");
    auto frame = view->mainFrame();
    EXPECT_NE(vornick_nonBreakingSpaceSubstituteCharacter(*frame), 0);
    EXPECT_TRUE(vornick_isLoadedFromRepairedCopy(*frame)) << vornick_refusedRepairLoss(*frame).value_or("");
}

} // namespace

// Whether a broken page loads from its repaired copy, and whether tidy's
// verdict is waited for at all, never depends on how fast tidy answers: the
// same page loads, and writes, the same way with a tidy three seconds slow.
TEST_F(Loading, TheSamePageLoadsTheSameWayHoweverSlowlyTidyAnswers)
{
    std::string realTidy = findExecutable("tidy");
    if (realTidy.empty())
        GTEST_SKIP() << "no tidy";
    ASSERT_TRUE(createDirectory(path("slow")));
    std::string slowTidy = path("slow/tidy");
    ASSERT_TRUE(writeFileAtomically(slowTidy, "#!/bin/sh\nsleep 3\nexec '" + realTidy + "' \"$@\"\n"));
    ASSERT_EQ(chmod(slowTidy.c_str(), 0755), 0);
    struct Restore {
        ~Restore()
        {
            VornickTidyFilter::setTidyExecutablePath(std::nullopt);
            UserDefaults::standard().removeObjectForKey(VornickTidyCheckWorkBudgetDefaultsKey);
        }
    } restore;
    struct Outcome {
        bool repaired { false };
        VornickFrameValidationStatus status { VornickFrameValidationStatus::Pending };
        std::string written;
        bool operator==(const Outcome&) const = default;
    };
    auto loadWith = [&](const std::string& tidy) {
        VornickTidyFilter::setTidyExecutablePath(tidy);
        load("broken.html");
        auto frame = view->mainFrame();
        auto data = view->htmlWriterForWebFrame(*frame)->htmlDataFromDocument(*frame->domDocument());
        return Outcome { vornick_isLoadedFromRepairedCopy(*frame), vornick_validationStatus(*frame), data.value_or("") };
    };
    // Within the budget: repaired either way. Beyond it (the page holds more
    // than 10 element levels): the file as it is, not validated, either way.
    for (double budget : { 1e8, 10.0 }) {
        SCOPED_TRACE(budget);
        UserDefaults::standard().setDouble(budget, VornickTidyCheckWorkBudgetDefaultsKey);
        auto fast = loadWith(realTidy);
        EXPECT_EQ(fast.repaired, budget > 10);
        EXPECT_EQ(fast.status == VornickFrameValidationStatus::BeyondBudget, budget == 10);
        EXPECT_EQ(loadWith(slowTidy), fast);
    }
}

// A broken page in an encoding other than UTF-8, which its host read and
// started tidy's check and repair on, is repaired in the encoding it
// declares and written in it (Shift_JIS: tidy writes it as it reads it).
TEST_F(Loading, ABrokenPageRepairedAheadInTheEncodingItDeclaresIsWrittenInIt)
{
    // "日本" in Shift_JIS.
    std::string nihon = "\x93\xFA\x96\x7B";
    std::string original = "<!DOCTYPE html>\n<html><head><meta charset=\"shift_jis\"><title>" + nihon + "</title></head>\n"
                           "<body><p>" + nihon + " <b>bold</b></p></b></body></html>\n";
    ASSERT_TRUE(writeFileAtomically(path("nihon.html"), original));
    VornickDocumentFile file(path("nihon.html"));
    Error error;
    auto loaded = file.load(DocumentTextSyntax::HTML, &error);
    ASSERT_TRUE(loaded) << toUTF8(error.localizedDescription());
    VornickStartTidyValidationAhead(*loaded);
    VornickStartTidyRepairAhead(*loaded);
    view->embeddedWebView()->provideLoadedDocument(loaded);
    load("nihon.html");

    auto frame = view->mainFrame();
    EXPECT_NE(frame->dataSource()->request().url(), url("nihon.html")) << "the page comes from the repaired copy";
    auto shown = vornick_lastGeneratedHTMLString(*frame).value_or(u"");
    EXPECT_NE(shown.find(u"<p>\u65E5\u672C <b>bold</b></p>"), std::u16string::npos) << toUTF8(shown);
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("nihon.html"), std::nullopt, true, &errors));
    auto written = contents("nihon.html");
    EXPECT_NE(written.find("<title>" + nihon + "</title>"), std::string::npos) << written;
    EXPECT_NE(written.find("<p>" + nihon + " <b>bold</b></p>"), std::string::npos) << written;
    EXPECT_EQ(written.find("</p></b>"), std::string::npos) << written;
}

TEST_F(Loading, ARepairThatNeverEndsIsStoppedByTidysTimeoutAndTheBrokenPageLoadsAsItIs)
{
    // Tidy checks as ever, but its repair never ends: that of a page in
    // windows-1252, which runs beside the check.
    std::string realTidy = findExecutable("tidy");
    if (realTidy.empty())
        GTEST_SKIP() << "no tidy";
    ASSERT_TRUE(createDirectory(path("stuck")));
    std::string stuckTidy = path("stuck/tidy");
    ASSERT_TRUE(writeFileAtomically(stuckTidy, "#!/bin/sh\nfor a in \"$@\"; do [ \"$a\" = -o ] && exec sleep 600; done\nexec '" + realTidy
                                                   + "' \"$@\"\n"));
    ASSERT_EQ(chmod(stuckTidy.c_str(), 0755), 0);
    struct Restore {
        ~Restore()
        {
            VornickTidyFilter::setTidyExecutablePath(std::nullopt);
            VornickTidyFilter::setTimeout(std::chrono::milliseconds(30000));
        }
    } restore;
    VornickTidyFilter::setTidyExecutablePath(stuckTidy);
    // Long enough for the check on a busy machine, far shorter than the repair.
    VornickTidyFilter::setTimeout(std::chrono::milliseconds(8000));

    // The check finds the page broken; the repair is stopped by tidy's
    // timeout, and the page stays as the parser built it, with the check's
    // findings.
    auto broken = contents("broken.html");
    broken.replace(broken.find("utf-8"), 5, "windows-1252");
    ASSERT_TRUE(writeFileAtomically(path("broken-1252.html"), broken));
    load("broken-1252.html");
    auto frame = view->mainFrame();
    EXPECT_EQ(frame->dataSource()->request().url(), url("broken-1252.html"));
    EXPECT_FALSE(vornick_isLoadedFromRepairedCopy(*frame));
    ASSERT_TRUE(waitForValidation());
    EXPECT_NE(view->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::NotFinished);
    auto found = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }));
}
