#include "EditingTestSupport.h"

#include "html/VornickHTMLWriter.h"
#include "html/VornickValidationAdvisory.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMRange.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebNodeArchives.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLineIndex.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <sys/stat.h>


using namespace brevanton;
using namespace brevanton::testing;

namespace {

using Writing = EditingViewTest;

TEST_F(Writing, AnUntouchedDocumentSavesToExactlyWhatTheWriterRegenerates)
{
    for (const char* name : { "page.html", "broken.html", "frame.html", "own-base.html" }) {
        SCOPED_TRACE(name);
        load(name);
        auto frame = view->mainFrame();
        // What the writer makes of the page as the author wrote it.
        std::u16string regenerated = view->htmlWriterForWebFrame(*frame)->htmlStringFromDocument(*document());
        std::vector<Error> errors;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(name), std::nullopt, false, &errors));
        auto written = toUTF16(contents(name));
        EXPECT_EQ(written, regenerated);
        // Saving again changes nothing.
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(name), std::nullopt, false, &errors));
        EXPECT_EQ(toUTF16(contents(name)), written);
    }
}

TEST_F(Writing, SubframesGoBackToTheirOwnFilesEvenWhenShownFromARepairedCopy)
{
    load("frames-broken.html");
    auto inner = view->mainFrame()->childFrames().front();
    ASSERT_NE(inner->dataSource()->request().url(), url("broken.html"));
    auto paragraph = inner->domDocument()->getElementsByTagName(u"P")->item(0);
    downcast<DOMElement>(*paragraph).setAttribute(u"class", u"changed");

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("frames-broken.html"), std::nullopt, true, &errors));
    EXPECT_NE(contents("broken.html").find("class=\"changed\""), std::string::npos) << contents("broken.html");
    EXPECT_EQ(contents("broken.html").find("<base"), std::string::npos);
    EXPECT_EQ(readFile(*inner->dataSource()->request().url().fileSystemPath()).value_or("").find("changed"), std::string::npos);
}

TEST_F(Writing, AFailingSubframeDoesNotStopTheMainFrame)
{
    load("page.html");
    element(u"H1")->setAttribute(u"class", u"main");
    // The subframe's file became a folder: it cannot be replaced.
    ASSERT_TRUE(removeItem(path("frame.html")));
    ASSERT_TRUE(createDirectory(path("frame.html/inside")));
    std::vector<Error> errors;
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, true, &errors));
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_NE(contents("page.html").find("class=\"main\""), std::string::npos);
}

TEST_F(Writing, APreflightWritesNothingAndKeepsTheRepairBase)
{
    load("broken.html");
    auto before = contents("broken.html");
    Error error;
    EXPECT_TRUE(VornickContentEditingViewTestPeer::preflightWritingWebFrame(*view, *view->mainFrame(), &error));
    EXPECT_EQ(contents("broken.html"), before);
    EXPECT_TRUE(vornick_hasVornickInsertedBaseElement(*view->mainFrame()));
    EXPECT_TRUE(vornick_validationAdvisoriesForStructuralRepairPass(*view->mainFrame()));
}

TEST_F(Writing, TheValidationSummaryCountsAndPluralises)
{
    load("page.html");
    ASSERT_TRUE(waitForValidation());
    auto frame = view->mainFrame();
    auto advisory = [](VornickValidationAdvisoryKind kind) { return VornickValidationAdvisory(kind, 0, 1, 1, u"m", false); };
    auto summary = [&](VornickFrameValidationStatus status, std::vector<VornickValidationAdvisory> advisories) {
        vornick_setValidationAdvisoriesNotYetResolved(*frame, std::move(advisories));
        vornick_setValidationStatus(*frame, status);
        return toUTF8(view->tidyStatusSummaryForDisplayToUser());
    };
    using Kind = VornickValidationAdvisoryKind;
    using Status = VornickFrameValidationStatus;
    EXPECT_EQ(summary(Status::Valid, {}), "Valid HTML");
    EXPECT_EQ(summary(Status::Pending, {}), "Validating...");
    EXPECT_EQ(summary(Status::Warnings, {}), "0 Warnings");
    EXPECT_EQ(summary(Status::Warnings, { advisory(Kind::Warning) }), "1 Warning");
    EXPECT_EQ(summary(Status::Errors,
                      { advisory(Kind::Error), advisory(Kind::Warning),
                        advisory(Kind::Warning), advisory(Kind::Warning) }),
              "1 Error, 3 Warnings");
    EXPECT_EQ(summary(Status::Errors, { advisory(Kind::Error), advisory(Kind::Error) }),
              "2 Errors, 0 Warnings");
}

TEST_F(Writing, NonBreakingSpacesSurviveEditingInTheBodyAndAreLeftAloneInTheTitle)
{
    ASSERT_TRUE(writeFileAtomically(path("nbsp.html"), "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                                       "<title>A\xC2\xA0title</title>\n</head>\n<body>\n<p>one\xC2\xA0two</p>\n"
                                                       "</body>\n</html>\n"));
    load("nbsp.html");
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame());
    ASSERT_EQ(substitute, u'\u23D8');
    EXPECT_EQ(element(u"P")->textContent(), u"one\u23D8two");
    // A copy holds real non-breaking spaces again.
    auto range = document()->createRange();
    range->selectNodeContents(element(u"P"));
    auto fragment = VornickContentEditingViewTestPeer::cleanedUpDocumentFragmentForRange(*view, *range);
    EXPECT_EQ(fragment->textContent(), u"one\u00A0two");

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("nbsp.html"), std::nullopt, false, &errors));
    auto written = contents("nbsp.html");
    EXPECT_NE(written.find("one&nbsp;two"), std::string::npos) << written;
    EXPECT_NE(written.find("A&nbsp;title"), std::string::npos) << written;
}

TEST_F(Writing, ARangesArchiveIsThatOfItsCleanedUpFragment)
{
    ASSERT_TRUE(writeFileAtomically(path("copy.html"), "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                                        "<title>Copy</title>\n</head>\n<body>\n<p class=\"lead\">one\xC2\xA0two <b>three</b></p>\n"
                                                        "<ul class=\"x brevanton-brick\"><li class=\"brevanton-brick brevanton-collapsed\">four</li></ul>\n"
                                                        "<!-- note --><img src=\"missing.png\" alt=\"five\">\n</body>\n</html>\n"));
    load("copy.html");
    ASSERT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame()), u'\u23D8');
    // A real non-breaking space beside the one the page shows by its substitute.
    auto bold = downcast<DOMCharacterData>(element(u"B")->firstChild());
    bold->setData(u"th\u00A0ree");

    auto body = document()->body();
    std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> points;
    for (DOMNode* node = body.get(); node; node = node->traverseNext(body.get())) {
        for (unsigned offset = 0; offset <= node->length(); ++offset)
            points.emplace_back(node->shared_from_this(), offset);
    }
    size_t compared = 0;
    for (size_t i = 0; i < points.size(); i += 2) {
        for (size_t j = i; j < points.size(); ++j) {
            auto range = document()->createRange();
            range->setStart(points[i].first, points[i].second);
            range->setEnd(points[j].first, points[j].second);
            if (range->startContainer() != points[i].first || range->startOffset() != points[i].second)
                continue;
            auto fragment = VornickContentEditingViewTestPeer::cleanedUpDocumentFragmentForRange(*view, *range);
            ASSERT_TRUE(fragment);
            auto expected = webArchiveForNode(*fragment, *view->mainFrame())->data();
            std::u16string text;
            EXPECT_EQ(VornickContentEditingViewTestPeer::cleanedUpWebArchiveDataForRange(*view, *range, &text), expected) << toUTF8(range->toString());
            EXPECT_EQ(text, range->toString());
            ++compared;
        }
    }
    EXPECT_GT(compared, 500u);

    auto range = document()->createRange();
    range->selectNodeContents(body);
    auto archive = WebArchive::create(*VornickContentEditingViewTestPeer::cleanedUpWebArchiveDataForRange(*view, *range));
    ASSERT_TRUE(archive);
    auto& bytes = archive->mainResource()->data();
    auto markup = toUTF16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    EXPECT_NE(markup.find(u"one&nbsp;two <b>th ree</b>"), std::u16string::npos) << toUTF8(markup);
    EXPECT_NE(markup.find(u"<ul class=\"x\"><li>four</li></ul>"), std::u16string::npos) << toUTF8(markup);
    EXPECT_EQ(element(u"UL")->getAttribute(u"class"), u"x brevanton-brick") << "the page keeps its brick tags";
}

TEST_F(Writing, WebArchiveInSectionHandlesModeRestoresTheMode)
{
    load("page.html");
    view->setSectionHandlesShown(true);
    Error error;
    EXPECT_TRUE(VornickContentEditingViewTestPeer::writeWebArchiveDocumentToURL(*view, url("page.webarchive"), &error));
    EXPECT_TRUE(view->sectionHandlesShown());
    EXPECT_FALSE(contents("page.webarchive").empty());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::writeWebArchiveDocumentToURL(*view, URL::create(u"https://example.org/x").value(), &error));
    EXPECT_TRUE(view->sectionHandlesShown());
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).hasWrittenDocument);
}

} // namespace

namespace {

TEST_F(Writing, ASaveNeverOverwritesWhatAnotherProgramChangedSinceTheLoad)
{
    load("page.html");
    // Another program rewrites the file (a different size tells the change).
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "<p>theirs, written while the page was open</p>\n"));
    std::vector<Error> errors;
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, false, &errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors.front().is(VornickErrorDomain, VornickDocumentFileChangedError)) << toUTF8(errors.front().localizedDescription());
    EXPECT_EQ(contents("page.html"), "<p>theirs, written while the page was open</p>\n");
}

// A page labelled UTF-8 whose bytes are Latin-1 shows U+FFFD for them: no
// save writes that character over the bytes, edited or not, and the file
// stays as it was; once the user has removed those characters it saves.
TEST_F(Writing, BytesTheEncodingCouldNotDecodeAreNeverSavedAsReplacementCharacters)
{
    const std::string original = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head>"
                                 "<body><p>Cr\xE8me</p><p>kept</p></body></html>\n";
    ASSERT_TRUE(writeFileAtomically(path("latin1.html"), original));
    load("latin1.html");
    ASSERT_TRUE(document()->hasReplacedUndecodableBytes());
    auto expectRefused = [&](const char* when) {
        SCOPED_TRACE(when);
        std::vector<Error> errors;
        EXPECT_FALSE(view->writeHTMLDocumentToURL(url("latin1.html"), std::nullopt, false, &errors));
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors.front().is(VornickErrorDomain, VornickDocumentUndecodableBytesError));
        EXPECT_NE(errors.front().localizedDescription().find(u"not valid UTF-8"), std::u16string::npos);
        EXPECT_EQ(contents("latin1.html"), original);
    };
    expectRefused("untouched");
    auto paragraphs = document()->getElementsByTagName(u"p");
    downcast<DOMCharacterData>(*paragraphs->item(1)->firstChild()).setData(u"edited");
    expectRefused("edited elsewhere");
    // Another place is refused too: the bytes would be lost there as well.
    std::vector<Error> errors;
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("copy.html"), std::nullopt, false, &errors));
    EXPECT_FALSE(std::filesystem::exists(path("copy.html")));

    downcast<DOMCharacterData>(*paragraphs->item(0)->firstChild()).setData(u"Creme");
    errors.clear();
    EXPECT_TRUE(view->writeHTMLDocumentToURL(url("latin1.html"), std::nullopt, false, &errors));
    auto saved = contents("latin1.html");
    EXPECT_NE(saved.find("<p>Creme</p>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<p>edited</p>"), std::string::npos) << saved;
}

} // namespace

// A view that leaves its loaded source unpainted (the command-line save)
// writes every page under tests/data exactly as the editor's view does, and
// indexes the same source.
TEST_F(Writing, AnUnpaintedViewSavesEveryTestPageAsThePaintingViewDoes)
{
    std::vector<std::filesystem::path> pages;
    for (auto& entry : std::filesystem::recursive_directory_iterator(BREVANTON_TEST_DATA_DIR)) {
        auto relative = std::filesystem::relative(entry.path(), BREVANTON_TEST_DATA_DIR).string();
        if (entry.is_regular_file() && !relative.starts_with("hostile/") && VornickDocumentFile::isDocumentPath(relative))
            pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    ASSERT_GT(pages.size(), 20u);
    auto unpainted = VornickContentEditingView::create(Rect(0, 0, 800, 600));
    unpainted->setPaintsLoadedSource(false);
    for (const auto& page : pages) {
        SCOPED_TRACE(page.string());
        // Each view saves its own copy; the two lie side by side, so their references resolve alike.
        std::string painted = path("painted-" + page.filename().string());
        std::string plain = path("plain-" + page.filename().string());
        for (const auto& copy : { painted, plain })
            ASSERT_TRUE(writeFileAtomically(copy, readFile(page.string()).value()));
        std::vector<Error> errors;
        Error error;
        ASSERT_TRUE(view->loadContentFromURL(URL::fileURLWithPath(painted), &error));
        ASSERT_TRUE(unpainted->loadContentFromURL(URL::fileURLWithPath(plain), &error));
        ASSERT_TRUE(waitForSource(*view->mainFrame()));
        ASSERT_TRUE(waitForSource(*unpainted->mainFrame()));
        EXPECT_EQ(vornick_lastGeneratedHTMLString(*unpainted->mainFrame()), vornick_lastGeneratedHTMLString(*view->mainFrame()));
        auto paintedIndex = vornick_lineIndexForLastGeneratedHTMLString(*view->mainFrame());
        auto plainIndex = vornick_lineIndexForLastGeneratedHTMLString(*unpainted->mainFrame());
        EXPECT_EQ(paintedIndex ? paintedIndex->numberOfLines() : 0, plainIndex ? plainIndex->numberOfLines() : 0);
        EXPECT_FALSE(vornick_lastGeneratedHTMLAttributedString(*unpainted->mainFrame()));
        EXPECT_FALSE(vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*unpainted->mainFrame()));

        auto reasons = [&errors] {
            std::string text;
            for (const auto& error : errors)
                text += toUTF8(error.localizedDescription()) + " (" + error.domain() + " " + std::to_string(error.code()) + ")\n";
            return text;
        };
        ASSERT_TRUE(view->writeHTMLDocumentToURL(URL::fileURLWithPath(painted), std::nullopt, false, &errors)) << reasons();
        ASSERT_TRUE(unpainted->writeHTMLDocumentToURL(URL::fileURLWithPath(plain), std::nullopt, false, &errors)) << reasons();
        EXPECT_EQ(readFile(plain), readFile(painted));
    }
}

// The save compares the file with what the load read, not with what it held
// when loading ended: a change another program makes while the page is
// parsed and checked is never overwritten.
TEST_F(Writing, AChangeMadeWhileThePageLoadedIsNotOverwritten)
{
    auto realTidy = VornickTidyFilter::tidyExecutablePath();
    ASSERT_FALSE(realTidy.empty());
    // Tidy's check of the page runs while it loads, and loading ends only
    // after it: this one changes the file first, well after the load read it.
    std::string wrapper = path("changing-tidy");
    ASSERT_TRUE(writeFileAtomically(wrapper, "#!/bin/sh\nsleep 0.3\nprintf '<!-- theirs -->' >> '" + path("page.html") + "'\nexec '"
                                                 + realTidy + "' \"$@\"\n"));
    ASSERT_EQ(chmod(wrapper.c_str(), 0755), 0);
    struct RestoreTidy {
        ~RestoreTidy() { VornickTidyFilter::setTidyExecutablePath(std::nullopt); }
    } restore;
    VornickTidyFilter::setTidyExecutablePath(wrapper);
    load("page.html");
    ASSERT_NE(contents("page.html").find("<!-- theirs -->"), std::string::npos);

    std::vector<Error> errors;
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, false, &errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().code(), VornickDocumentFileChangedError);
    EXPECT_NE(contents("page.html").find("<!-- theirs -->"), std::string::npos);
}
