#include "dom/VornickWebFrameExtensions.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickDocumentEncoding.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickWebFrameExtensions : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("web-frame-state").value(); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    URL write(const std::string& name, std::string_view contents)
    {
        std::string path = m_folder + "/" + name;
        EXPECT_TRUE(writeFileAtomically(path, contents));
        return URL::fileURLWithPath(std::string_view(path));
    }

    std::shared_ptr<WebView> load(const URL& url)
    {
        auto webView = WebView::create(Rect(0, 0, 800, 600));
        webView->mainFrame()->loadRequest(URLRequest(url));
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        return webView;
    }

    std::shared_ptr<WebView> loadString(const std::u16string& html)
    {
        auto webView = WebView::create(Rect(0, 0, 800, 600));
        webView->mainFrame()->loadHTMLString(html, std::nullopt);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        return webView;
    }

    std::string m_folder;
};

std::u16string bodyText(const WebFrame& frame)
{
    return frame.domDocument()->body()->textContent();
}

TEST_F(VornickWebFrameExtensions, FrameTreeWalkVisitsEveryDescendant)
{
    write("grandchild.html", "<p>g</p>");
    write("child.html", "<iframe name=grandchild src=grandchild.html></iframe>");
    write("sibling.html", "<p>s</p>");
    auto webView = load(write("main.html", "<iframe name=child src=child.html></iframe><iframe name=sibling src=sibling.html></iframe>"));
    auto main = webView->mainFrame();
    ASSERT_EQ(main->childFrames().size(), 2u);

    auto names = [&](unsigned options, std::u16string_view stopAt = {}) {
        std::vector<std::string> visited;
        bool finished = vornick_enumerateWebFrameTreeWithOptions(main, options, [&](const std::shared_ptr<WebFrame>& frame, bool& stop) {
            visited.push_back(frame->parentFrame() ? toUTF8(frame->name()) : "main");
            stop = !stopAt.empty() && frame->name() == stopAt;
        });
        if (!finished)
            visited.push_back("(stopped)");
        return visited;
    };
    EXPECT_EQ(names(0), (std::vector<std::string> { "main", "child", "grandchild", "sibling" }));
    EXPECT_EQ(names(VornickEnumerationReverse), (std::vector<std::string> { "sibling", "grandchild", "child", "main" }));
    EXPECT_EQ(names(0, u"grandchild"), (std::vector<std::string> { "main", "child", "grandchild", "(stopped)" }));
    EXPECT_EQ(names(VornickEnumerationReverse, u"grandchild"), (std::vector<std::string> { "sibling", "grandchild", "(stopped)" }));

    // Only local child documents are written when saving.
    EXPECT_TRUE(vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*main));
    EXPECT_TRUE(vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*main->childFrames()[0]));
    auto child = main->childFrames()[1];
    child->domDocument()->setURL(u"FILE:///x.html");
    EXPECT_TRUE(vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*child));
    child->domDocument()->setURL(u"https://example.com/x.html");
    EXPECT_FALSE(vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*child));
    child->domDocument()->setURL(u"file:");
    EXPECT_FALSE(vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*child));
}

TEST_F(VornickWebFrameExtensions, ValuesDefaultAttachAndDieWithTheFrame)
{
    auto webView = loadString(u"<p>x</p>");
    auto& frame = *webView->mainFrame();
    EXPECT_TRUE(vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame));
    EXPECT_TRUE(vornick_lastGeneratedHTMLStringIsOriginalSourceData(frame));
    EXPECT_FALSE(vornick_hasVornickInsertedBaseElement(frame));
    EXPECT_EQ(vornick_stringEncodingOverride(frame), 0u);
    EXPECT_EQ(vornick_lastGeneratedHTMLString(frame), std::nullopt);
    EXPECT_FALSE(vornick_hasLastGeneratedHTMLString(frame));

    // An adopted source reads back as set; none removes it.
    vornick_adoptLastGeneratedHTMLString(frame, std::make_shared<const std::u16string>(u"<p>adopted</p>"));
    EXPECT_TRUE(vornick_hasLastGeneratedHTMLString(frame));
    EXPECT_EQ(vornick_lastGeneratedHTMLString(frame), u"<p>adopted</p>");
    vornick_adoptLastGeneratedHTMLString(frame, nullptr);
    EXPECT_FALSE(vornick_hasLastGeneratedHTMLString(frame));

    // The plain string follows a newer attributed one.
    vornick_setLastGeneratedHTMLString(frame, u"<p>plain</p>");
    EXPECT_EQ(vornick_lastGeneratedHTMLString(frame), u"<p>plain</p>");
    vornick_setLastGeneratedHTMLAttributedString(frame, std::make_shared<AttributedString>(u"<p>coloured</p>"));
    EXPECT_EQ(vornick_lastGeneratedHTMLString(frame), u"<p>coloured</p>");
    vornick_setLastGeneratedHTMLString(frame, u"<p>newer</p>");
    EXPECT_EQ(vornick_lastGeneratedHTMLString(frame), u"<p>newer</p>");

    // Validation status: pending until set; only a change is announced.
    int posted = 0;
    auto observer = NotificationCenter::defaultCenter().addObserver(VornickWebFrameDidChangeValidationStatusNotification,
                                                                    &frame, nullptr, [&](const Notification&) { ++posted; });
    EXPECT_EQ(vornick_validationStatus(frame), VornickFrameValidationStatus::Pending);
    vornick_setValidationStatus(frame, VornickFrameValidationStatus::Pending);
    vornick_setValidationStatus(frame, VornickFrameValidationStatus::Warnings);
    vornick_setValidationStatus(frame, VornickFrameValidationStatus::Warnings);
    EXPECT_EQ(posted, 1);

    // Attachment points: the body stands in for none; points that find nothing are skipped.
    struct Point final : VornickAttachmentPointReference {
        std::shared_ptr<DOMElement> element;
        std::shared_ptr<DOMElement> findElement() const override { return element; }
    };
    auto body = frame.domDocument()->body();
    EXPECT_EQ(vornick_effectiveAttachmentPointElements(frame), std::vector<std::shared_ptr<DOMElement>> { body });
    auto found = std::make_shared<Point>();
    found->element = downcast<DOMElement>(body->firstChild());
    vornick_addAttachmentPoint(frame, std::make_shared<Point>());
    vornick_addAttachmentPoint(frame, nullptr);
    vornick_addAttachmentPoint(frame, found);
    EXPECT_EQ(vornick_attachmentPoints(frame).size(), 2u);
    EXPECT_EQ(vornick_effectiveAttachmentPointElements(frame), std::vector<std::shared_ptr<DOMElement>> { found->element });
    vornick_clearAttachmentPoints(frame);
    EXPECT_TRUE(vornick_attachmentPoints(frame).empty());

    // The DOM operations see where the frame's document was saved.
    VornickInstallWebFrameStateProvider();
    vornick_setURLWhereSaved(frame, URL::fileURLWithPath(std::string_view("/site/saved.html")));
    EXPECT_EQ(vornick_URL(*frame.domDocument())->absoluteString(), u"file:///site/saved.html");
    // Switching a document to UTF-8 sets its frame's override.
    EXPECT_TRUE(vornick_setStringEncoding(*frame.domDocument(), VornickUTF8StringEncoding));
    EXPECT_EQ(vornick_stringEncodingOverride(frame), VornickUTF8StringEncoding);
    EXPECT_EQ(vornick_stringEncoding(*frame.domDocument()), VornickUTF8StringEncoding);
    VornickSetFrameStateProvider(nullptr);

    // Values go with the frame.
    auto lineIndexOwner = std::make_shared<int>(0);
    std::weak_ptr<int> watched = lineIndexOwner;
    vornick_setFragmentCompletionSet(frame, std::move(lineIndexOwner));
    webView.reset();
    EXPECT_TRUE(VornickWebFramesWithAssociatedValues().empty());
    auto other = loadString(u"<p>y</p>");
    vornick_setHasVornickInsertedBaseElement(*other->mainFrame(), true);
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(vornick_validationStatus(*other->mainFrame()), VornickFrameValidationStatus::Pending);
    vornick_setHasVornickInsertedBaseElement(*other->mainFrame(), false);
    EXPECT_TRUE(VornickWebFramesWithAssociatedValues().empty());
}

TEST_F(VornickWebFrameExtensions, NonBreakingSpaceSubstitution)
{
    // The document already uses U+23D8 (in its title): U+2423 is chosen,
    // and only the body's U+00A0 stand for it.
    auto webView = loadString(u"<title>a\u23D8\u00A0b</title><p>one\u00A0two</p><p>three\u00A0four</p>");
    auto& frame = *webView->mainFrame();
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2423');
    EXPECT_EQ(bodyText(frame), u"one\u2423twothree\u2423four");
    EXPECT_EQ(frame.domDocument()->title(), u"a\u23D8\u00A0b");
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));

    // The user types the substitute itself: the editor's substitutes move to
    // another character, so the typed one is written as typed.
    vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"x\u2423y");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2395');
    auto paragraph = frame.domDocument()->body()->firstChild();
    downcast<DOMText>(paragraph->firstChild())->appendData(u"x\u2423y");
    vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"plain text");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2395');
    vornick_disableNonBreakingSpaceSubstitution(frame);
    EXPECT_EQ(bodyText(frame), u"one\u00A0twox\u2423ythree\u00A0four");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), 0);

    // No candidate left: substitution ends rather than swallowing the user's character.
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2395');
    vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"\u2395\u2337");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), 0);
    EXPECT_EQ(bodyText(frame), u"one\u00A0twox\u2423ythree\u00A0four");

    // A new document in the same frame: its own U+23D8 is the author's text,
    // not a stand-in for U+00A0 chosen for the old document.
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2395');
    webView->mainFrame()->loadHTMLString(u"<p>typed \u2395 here</p>", std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), 0);
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u23D8');
    vornick_disableNonBreakingSpaceSubstitution(frame);
    EXPECT_EQ(bodyText(frame), u"typed \u2395 here");

    // Every candidate in use: enabling fails and changes nothing.
    auto crowded = loadString(u"<p>\u23D8\u2423\u2395\u2337\u00A0</p>");
    EXPECT_FALSE(vornick_tryToEnableNonBreakingSpaceSubstitution(*crowded->mainFrame()));
    EXPECT_EQ(bodyText(*crowded->mainFrame()), u"\u23D8\u2423\u2395\u2337\u00A0");
}

// Without U+00A0 the parse's record of the text's characters answers; it
// must answer as a walk of the text nodes would.
TEST_F(VornickWebFrameExtensions, SubstituteOfAPageWithoutNonBreakingSpacesIsChosenAsAWalkWould)
{
    // Text anywhere counts, the title's too; comments and a template's contents do not.
    auto used = loadString(u"<title>\u23D8</title><!--\u2423--><template>\u2423</template><p>\u2337</p>");
    ASSERT_TRUE(used->mainFrame()->domDocument()->parsedTextUnits());
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(*used->mainFrame()));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*used->mainFrame()), u'\u2423');

    auto crowded = loadString(u"<title>\u23D8\u2423</title><p>\u2395<b>\u2337</b></p>");
    EXPECT_FALSE(vornick_tryToEnableNonBreakingSpaceSubstitution(*crowded->mainFrame()));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*crowded->mainFrame()), 0);

    // Text added since the parse is seen: the page is walked.
    auto changed = loadString(u"<p>plain</p>");
    auto& document = *changed->mainFrame()->domDocument();
    document.body()->appendChild(document.createTextNode(u"\u23D8 and\u00A0more"));
    EXPECT_FALSE(document.parsedTextUnits());
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(*changed->mainFrame()));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*changed->mainFrame()), u'\u2423');
    EXPECT_EQ(bodyText(*changed->mainFrame()), u"plain\u23D8 and\u2423more");
    auto edited = loadString(u"<p>plain</p>");
    downcast<DOMText>(edited->mainFrame()->domDocument()->body()->firstChild()->firstChild())->setData(u"\u23D8");
    EXPECT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(*edited->mainFrame()));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*edited->mainFrame()), u'\u2423');
}

TEST_F(VornickWebFrameExtensions, InsertedTextKeepsNonBreakingSpacesApartFromTheUsersOwnCharacters)
{
    auto webView = loadString(u"<p>a\u00A0b</p><p id=mine>mine:\u00A0\u2423</p>");
    auto& frame = *webView->mainFrame();
    auto& document = frame.domDocument();
    auto body = document->body();
    ASSERT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    ASSERT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u23D8');
    auto appendParagraph = [&](const std::u16string& text) {
        auto paragraph = document->createElement(u"p");
        paragraph->appendChild(document->createTextNode(text));
        body->appendChild(paragraph);
    };

    // A typed non-breaking space shows as the substitute.
    EXPECT_EQ(vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"x\u00A0y"), u"x\u23D8y");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u23D8');

    // A paragraph is deleted; its undo keeps it as it was, substitutes and
    // the user's own U+2423 alike.
    auto deleted = document->createDocumentFragment();
    deleted->appendChild(body->removeChild(document->getElementById(u"mine")));
    char16_t substituteWhenDeleted = vornick_nonBreakingSpaceSubstituteCharacter(frame);

    // Pasting the substitute itself moves the body's substitutes to the first
    // candidate free now, U+2423; the pasted one stays the user's character.
    std::u16string pasted = vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"\u23D8\u00A0");
    EXPECT_EQ(pasted, u"\u23D8\u2423");
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2423');
    appendParagraph(pasted);
    EXPECT_EQ(bodyText(frame), u"a\u2423b\u23D8\u2423");

    // Undoing the deletion: the fragment's old substitutes follow the switch,
    // and its own U+2423, now the substitute, moves the substitute once more.
    vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfFragment(frame, deleted, substituteWhenDeleted);
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), u'\u2395');
    EXPECT_EQ(deleted->textContent(), u"mine:\u2395\u2423");
    body->appendChild(deleted);

    // Saved text of an earlier substitute, put back after substitution ended.
    char16_t substituteWhenTaken = vornick_nonBreakingSpaceSubstituteCharacter(frame);
    std::u16string all = u"\u23D8\u2423\u2395\u2337";
    appendParagraph(vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, all));
    EXPECT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(frame), 0) << "no candidate left";
    EXPECT_EQ(vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"p\u2395q", substituteWhenTaken),
              u"p\u00A0q");
    EXPECT_EQ(vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(frame, u"r\u00A0s\u23D8"), u"r\u00A0s\u23D8");

    // Every non-breaking space is one again, every character of the user's is kept.
    EXPECT_EQ(bodyText(frame), u"a\u00A0b\u23D8\u00A0mine:\u00A0\u2423" + all);
}

} // namespace
} // namespace brevanton
