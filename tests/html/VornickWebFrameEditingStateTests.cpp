#include "html/VornickWebFrameEditingState.h"

#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickDocumentType.h"
#include "toolkit/VornickLineIndex.h"
#include "toolkit/VornickNewlineConvention.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

std::shared_ptr<WebView> loadString(const std::u16string& html, std::optional<URL> baseURL = std::nullopt)
{
    auto webView = WebView::create(Rect(0, 0, 800, 600));
    webView->mainFrame()->loadHTMLString(html, baseURL);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    return webView;
}

class CountingObserver {
public:
    CountingObserver(const char* name, const void* object)
        : m_token(NotificationCenter::defaultCenter().addObserver(name, object, nullptr, [this](const Notification&) { ++count; }))
    {
    }
    int count { 0 };

private:
    ObserverToken m_token;
};

// A set that says it lives in `path`.
std::shared_ptr<VornickFragmentSet> fileSet(const std::string& folder, const std::string& name)
{
    auto set = VornickFragmentSet::createWithTitle(u"Blog");
    auto url = URL::fileURLWithPath(folder + "/" + name);
    Error error;
    EXPECT_TRUE(set->writeToURL(url, &error)) << error;
    return VornickFragmentSet::fragmentSetWithContentsOfURL(url, &error);
}

TEST(VornickWebFrameEditingState, FormattingPreferencesAreRecordedInTheDocument)
{
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    ASSERT_TRUE(users);

    auto webView = loadString(u"<html><head><title>t</title></head><body><p>x</p></body></html>");
    auto& frame = *webView->mainFrame();
    auto& document = *frame.domDocument();
    CountingObserver switched(VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification, &frame);

    auto applied = VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(*users, u"2,8-t");
    ASSERT_TRUE(applied);
    auto own = std::make_shared<VornickHTMLFormattingPreferences>(*applied);
    vornick_setHTMLFormattingPreferences(frame, own);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(document), own->stringRepresentation());
    EXPECT_EQ(vornick_effectiveHTMLFormattingPreferences(frame), own);
    EXPECT_EQ(switched.count, 1);

    // The same object again rewrites the field (it may have been edited away) but announces nothing.
    vornick_setHTMLFormattingPreferencesString(document, std::nullopt);
    vornick_setHTMLFormattingPreferences(frame, own);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(document), own->stringRepresentation());
    EXPECT_EQ(switched.count, 1);

    // The user's own set, or none, leaves no trace in the document.
    vornick_setHTMLFormattingPreferences(frame, users);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(document), std::nullopt);
    EXPECT_EQ(switched.count, 2);
    vornick_setHTMLFormattingPreferences(frame, nullptr);
    EXPECT_EQ(vornick_HTMLFormattingPreferences(frame), nullptr);
    EXPECT_EQ(vornick_effectiveHTMLFormattingPreferences(frame), users);
    EXPECT_EQ(switched.count, 3);
}

TEST(VornickWebFrameEditingState, WriterFollowsTheFrame)
{
    auto webView = loadString(u"<p>a\u00A0b</p>");
    auto& frame = *webView->mainFrame();
    auto plain = vornick_HTMLWriter(frame);
    EXPECT_EQ(plain->newlineConvention(), VornickNewlineConvention::LF);
    EXPECT_EQ(plain->nonBreakingSpaceSubstituteCharacter(), 0);
    EXPECT_FALSE(plain->bodyElementStyleChangesToApply());

    ASSERT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(frame));
    vornick_setLineIndexForLastGeneratedHTMLString(frame, VornickLineIndex::createByIndexingString(u"<p>\r\n</p>", 1, 1, 4));
    vornick_setBodyElementStyleChangesToApplyWhenWriting(frame, Dictionary { { u"color", Value(u"red") } });
    auto own = std::make_shared<VornickHTMLFormattingPreferences>(*VornickHTMLFormattingPreferences::createWithStringRepresentation(u"2,8-t"));
    vornick_setHTMLFormattingPreferences(frame, own);
    auto writer = vornick_HTMLWriter(frame);
    EXPECT_EQ(writer->newlineConvention(), VornickNewlineConvention::CRLF);
    EXPECT_EQ(writer->nonBreakingSpaceSubstituteCharacter(), u'\u23D8');
    EXPECT_EQ(writer->formattingPreferences().stringRepresentation(), u"2,8-t");
    ASSERT_TRUE(writer->bodyElementStyleChangesToApply());
    EXPECT_EQ(writer->bodyElementStyleChangesToApply()->at(u"color").string(), u"red");

    // The frame's encoding override decides what the writer writes in.
    EXPECT_TRUE(writer->stringEncodingOverride().empty());
    auto accented = loadString(u"<p>\u00E9</p>");
    vornick_setStringEncodingOverride(*accented->mainFrame(), VornickWindowsCP1252StringEncoding);
    auto overridden = vornick_HTMLWriter(*accented->mainFrame());
    EXPECT_EQ(overridden->stringEncodingOverride(), u"windows-1252");
    auto data = overridden->htmlDataFromDocument(*accented->mainFrame()->domDocument(), nullptr);
    ASSERT_TRUE(data);
    EXPECT_NE(data->find("<p>\xE9</p>"), std::string::npos) << *data;
}

TEST(VornickWebFrameEditingState, UserSnippetSetIsReferencedRelativeToTheDocument)
{
    auto folder = createTemporaryDirectory("brevanton-frame-sets");
    ASSERT_TRUE(folder);
    ASSERT_TRUE(createDirectory(*folder + "/site/posts"));
    ASSERT_TRUE(createDirectory(*folder + "/site/sets"));
    auto webView = loadString(u"<html><head></head><body></body></html>", URL::fileURLWithPath(*folder + "/site/posts/index.html"));
    auto& frame = *webView->mainFrame();
    auto& document = *frame.domDocument();
    CountingObserver switched(VornickWebFrameDidSwitchFragmentSetNotification, &frame);
    vornick_setFragmentCompletionSet(frame, std::make_shared<int>(1));

    auto set = fileSet(*folder + "/site/sets", "Blog.brevantonsnippets");
    ASSERT_TRUE(set);
    vornick_setUserFragmentSet(frame, set);
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(document), u"../sets/Blog.brevantonsnippets");
    EXPECT_EQ(vornick_fragmentCompletionSet(frame), nullptr);
    EXPECT_EQ(switched.count, 1);
    vornick_setUserFragmentSet(frame, set);
    EXPECT_EQ(switched.count, 1);

    // A set with no file, a set whose file went away, and no set, remove the reference.
    vornick_setUserFragmentSet(frame, VornickFragmentSet::createWithTitle(u"Scratch"));
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(document), std::nullopt);
    auto gone = fileSet(*folder + "/site/sets", "Gone.brevantonsnippets");
    ASSERT_TRUE(gone);
    ASSERT_TRUE(removeItem(*folder + "/site/sets/Gone.brevantonsnippets"));
    vornick_setUserFragmentSet(frame, set);
    vornick_setUserFragmentSet(frame, gone);
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(document), std::nullopt);
    vornick_setUserFragmentSet(frame, set);
    vornick_setUserFragmentSet(frame, nullptr);
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(document), std::nullopt);
    EXPECT_EQ(switched.count, 6);
    ASSERT_TRUE(removeItem(*folder));

    // The base set only drops the completion set when it changes.
    vornick_setBaseFragmentSet(frame, set);
    vornick_setFragmentCompletionSet(frame, std::make_shared<int>(2));
    vornick_setBaseFragmentSet(frame, set);
    EXPECT_NE(vornick_fragmentCompletionSet(frame), nullptr);
}

TEST(VornickWebFrameEditingState, DocumentTypeComesFromTheDoctype)
{
    auto typeOf = [](std::u16string_view doctype) {
        auto document = DOMDocument::parseHTML(std::u16string(doctype) + u"<html><head></head><body></body></html>");
        return VornickDocumentTypeOfDocument(*document);
    };
    EXPECT_EQ(typeOf(u"<!DOCTYPE html>"), VornickHTMLDocumentType::HTML5);
    EXPECT_EQ(typeOf(u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                     u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">"),
              VornickHTMLDocumentType::XHTML10Strict);
    EXPECT_EQ(typeOf(u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">"),
              VornickHTMLDocumentType::HTML401Strict);
    EXPECT_EQ(typeOf(u""), VornickHTMLDocumentType::Unknown);

    // An unknown doctype gets a specification of its own that keeps its identifiers.
    auto odd = DOMDocument::parseHTML(u"<!DOCTYPE html PUBLIC \"-//Example//DTD Odd//EN\" \"odd.dtd\"><p>x</p>");
    auto spec = vornick_htmlSpecForDocType(*odd);
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->documentType(), VornickHTMLDocumentType::Unknown);
    EXPECT_EQ(spec->publicId(), u"-//Example//DTD Odd//EN");
    EXPECT_EQ(spec->systemId(), u"odd.dtd");

    // A page without a doctype is edited with the user's default type, an
    // unusable default standing for HTML 5; the DOM operations still see no
    // doctype, so that saving adds none.
    auto bare = DOMDocument::parseHTML(u"<html><head></head><body><p>x</p></body></html>");
    ASSERT_TRUE(vornick_htmlSpecForDocType(*bare));
    UserDefaults::standard().setInteger(static_cast<int64_t>(VornickHTMLDocumentType::HTML401Strict), u"DefaultHTMLDocumentType");
    EXPECT_EQ(vornick_htmlSpecForDocType(*bare)->documentType(), VornickHTMLDocumentType::HTML401Strict);
    EXPECT_EQ(VornickEditingDocumentTypeOfDocument(*bare), VornickHTMLDocumentType::HTML401Strict);
    EXPECT_EQ(VornickEditingDocumentTypeOfDocument(*odd), VornickHTMLDocumentType::Unknown);
    for (int64_t unusable : { 0, 9, -1 }) {
        UserDefaults::standard().setInteger(unusable, u"DefaultHTMLDocumentType");
        EXPECT_EQ(vornick_htmlSpecForDocType(*bare)->documentType(), VornickHTMLDocumentType::HTML5) << unusable;
    }
    UserDefaults::standard().removeObjectForKey(u"DefaultHTMLDocumentType");
    EXPECT_EQ(VornickDocumentTypeOfDocument(*bare), VornickHTMLDocumentType::Unknown);

    // Installed, the DOM operations see the same answer.
    VornickInstallDocumentTypeResolver();
    auto modern = DOMDocument::parseHTML(u"<!DOCTYPE html><p>x</p>");
    EXPECT_EQ(vornick_documentType(*modern), VornickHTMLDocumentType::HTML5);
    VornickSetDocumentTypeResolver(nullptr);
}

TEST(VornickWebFrameEditingState, SubtreeDescriptionIndentsEachLevel)
{
    auto webView = loadString(u"<p>x</p>");
    auto& frame = *webView->mainFrame();
    vornick_setHTMLSpec(frame, VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
    auto line = toUTF8(vornick_briefDescription(frame));
    EXPECT_NE(line.find("<WebFrame: "), std::string::npos);
    EXPECT_NE(line.find("{{0, 0}, {800, 600}}"), std::string::npos) << line;
    EXPECT_NE(line.find("documentType: \"HTML 5\""), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(vornick_subtreeDescriptionWithDepth(frame, 2), u"\t\t" + vornick_briefDescription(frame) + u"\n");
}

TEST(VornickWebFrameEditingState, AdvisoriesResolveInTheFramesLastGeneratedSource)
{
    std::u16string html = u"<html><head><title>t</title></head><body>\n<p>a <foo>x</foo></p>\n</body></html>\n";
    auto webView = WebView::create(Rect(0, 0, 800, 600));
    auto frame = webView->mainFrame();
    frame->loadHTMLString(html, std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));

    VornickValidationAdvisory advisory(VornickValidationAdvisoryKind::Error, 0, 2, 6, u"<foo> is not recognized!", false);
    // Nothing generated or mapped yet.
    EXPECT_EQ(VornickResolveDOMRangeInWebFrame(advisory, *frame), nullptr);

    vornick_setLastGeneratedHTMLString(*frame, html);
    EXPECT_EQ(VornickResolveDOMRangeInWebFrame(advisory, *frame), nullptr);
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(html, nullptr, nullptr, true,
        [&](std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(*frame, map);
        });

    auto range = VornickResolveDOMRangeInWebFrame(advisory, *frame);
    ASSERT_TRUE(range);
    auto selected = range->startContainer()->childAt(range->startOffset());
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->nodeName(), u"FOO");
    EXPECT_EQ(selected->ownerDocument(), frame->domDocument());
}

} // namespace
} // namespace brevanton
