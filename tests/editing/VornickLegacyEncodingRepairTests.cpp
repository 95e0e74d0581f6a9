// Broken pages in legacy encodings, loaded through the real load path with
// the real tidy: a page read as windows-1252 (declared ISO-8859-1, latin1 or
// windows-1252) loads from its repair when the repair keeps everything, and
// saves back in the encoding it was read in with its declaration as written;
// a repair that would lose anything is not loaded; a page declaring its
// encoding twice, in a charset and in a Content-Type META, loads from its
// repair with both; other encodings and byte-order marks load as before.
#include "EditingTestSupport.h"

#include "dom/VornickWebFrameExtensions.h"
#include "platform/dom/DOMCollections.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/web/WebDataSource.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace legacy_encoding_repair {

using LegacyEncodingRepair = EditingViewTest;

// "Café crème €5, “quoted” …" in windows-1252, with a stray </b> tidy drops.
const std::string brokenBody = "<body><p>Caf\xE9 cr\xE8me \x80" "5, \x93quoted\x94 \x85 <b>bold</b></p></b></body></html>\n";
const std::u16string shownText = u"Caf\u00E9 cr\u00E8me \u20AC5, \u201Cquoted\u201D \u2026 bold";

std::string page(const std::string& declaration, const std::string& body = brokenBody, const std::string& title = "Caf\xE9")
{
    return "<!DOCTYPE html>\n<html><head>" + declaration + "<title>" + title + "</title></head>\n" + body;
}

std::u16string paragraphText(DOMDocument& document)
{
    auto paragraph = document.getElementsByTagName(u"p")->item(0);
    return paragraph ? paragraph->textContent() : std::u16string();
}

TEST_F(LegacyEncodingRepair, PagesReadAsWindows1252LoadFromTheirRepairAndSaveBackAsDeclared)
{
    struct Case {
        const char* name;
        std::string declaration;
        // What the saved declaration names, as written.
        std::string label;
    };
    const Case cases[] = {
        { "latin1.html", "<meta charset=\"iso-8859-1\">", "iso-8859-1" },
        { "cp1252.html", "<meta charset=\"windows-1252\">", "windows-1252" },
        { "equiv.html", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">", "charset=ISO-8859-1" },
        { "label.html", "<meta charset=latin1>", "latin1" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFileAtomically(path(c.name), page(c.declaration)));
        load(c.name);
        auto frame = view->mainFrame();
        EXPECT_TRUE(vornick_isLoadedFromRepairedCopy(*frame)) << vornick_refusedRepairLoss(*frame).value_or("");
        EXPECT_NE(frame->dataSource()->request().url(), url(c.name));
        EXPECT_EQ(document()->characterSet(), u"windows-1252");
        EXPECT_EQ(toUTF8(paragraphText(*document())), toUTF8(shownText));
        EXPECT_EQ(toUTF8(document()->title()), "Caf\u00E9");

        std::vector<Error> errors;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        auto first = contents(c.name);
        EXPECT_NE(first.find(c.label), std::string::npos) << first;
        EXPECT_EQ(first.find("us-ascii"), std::string::npos) << first;
        EXPECT_NE(first.find("<p>Caf\xE9 cr\xE8me \x80" "5, \x93quoted\x94 \x85 <b>bold</b></p>"), std::string::npos) << first;
        EXPECT_EQ(first.find("</p></b>"), std::string::npos) << first;
        auto decoded = decodeDocumentText(first, DocumentTextSyntax::HTML);
        EXPECT_EQ(decoded.encoding, u"windows-1252");
        EXPECT_FALSE(decoded.replacedUndecodableBytes);
        // The save is its own fixed point.
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        EXPECT_EQ(contents(c.name), first);
    }
}

TEST_F(LegacyEncodingRepair, ARepairThatWouldLoseAnythingIsNotLoaded)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        // Tidy drops the bytes windows-1252 leaves undefined (0x81 here),
        // which the page reads as C1 controls.
        { "undefined.html", page("<meta charset=\"windows-1252\">", "<body><p>a\x81" "b \x80 <b>bold</b></p></b></body></html>\n"),
          u"a\u0081b \u20AC bold" },
        // The parser carries the open B over the paragraphs; tidy moves it.
        { "misnested.html", page("<meta charset=\"iso-8859-1\">", "<body><b><p>\x80 caf\xE9</p><p>two</p></body></html>\n"),
          u"\u20AC caf\u00E9" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFileAtomically(path(c.name), c.bytes));
        load(c.name);
        auto frame = view->mainFrame();
        EXPECT_EQ(frame->dataSource()->request().url(), url(c.name));
        EXPECT_FALSE(vornick_isLoadedFromRepairedCopy(*frame));
        EXPECT_TRUE(vornick_refusedRepairLoss(*frame));
        EXPECT_EQ(toUTF8(paragraphText(*document())), toUTF8(c.text));
        std::vector<Error> errors;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        auto first = contents(c.name);
        EXPECT_EQ(decodeDocumentText(first, DocumentTextSyntax::HTML).encoding, u"windows-1252");
        EXPECT_NE(first.find("\x80"), std::string::npos) << first;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        EXPECT_EQ(contents(c.name), first);
    }
}

// Tidy keeps the first of the two and drops the other; the page reads the
// first when they differ.
TEST_F(LegacyEncodingRepair, PagesDeclaringTwiceLoadFromTheirRepairWithBothDeclarations)
{
    const std::string charsetUTF8 = "<meta charset=\"utf-8\">";
    const std::string equivUTF8 = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
    const std::string charset1252 = "<meta charset=\"windows-1252\">";
    const std::string equivLatin1 = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\" />";
    const std::string bodyUTF8 = "<body><p>Caf\xC3\xA9 \xE2\x82\xAC <b>bold</b></p></b></body></html>\n";
    const std::string body1252 = "<body><p>Caf\xE9 \x80 <b>bold</b></p></b></body></html>\n";
    struct Case {
        const char* name;
        std::string first;
        std::string second;
        std::string body;
        std::u16string encoding;
        // What the saved declarations name, as written, in order.
        std::string firstLabel;
        std::string secondLabel;
    };
    const Case cases[] = {
        { "charset-first.html", charsetUTF8, equivUTF8, bodyUTF8, u"UTF-8", "charset=\"utf-8\"", "; charset=utf-8\"" },
        { "equiv-first.html", equivUTF8, charsetUTF8, bodyUTF8, u"UTF-8", "; charset=utf-8\"", "charset=\"utf-8\"" },
        { "charset-first-differs.html", charset1252, equivUTF8, body1252, u"windows-1252", "charset=\"windows-1252\"", "; charset=utf-8\"" },
        { "equiv-first-differs.html", equivLatin1, charsetUTF8, body1252, u"windows-1252", "; charset=ISO-8859-1\"", "charset=\"utf-8\"" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFileAtomically(path(c.name), page(c.first + "\n" + c.second, c.body, "T")));
        load(c.name);
        auto frame = view->mainFrame();
        EXPECT_TRUE(vornick_isLoadedFromRepairedCopy(*frame)) << vornick_refusedRepairLoss(*frame).value_or("");
        EXPECT_EQ(document()->characterSet(), c.encoding);
        EXPECT_EQ(toUTF8(paragraphText(*document())), "Caf\u00E9 \u20AC bold");
        EXPECT_EQ(document()->getElementsByTagName(u"meta")->length(), 2u);

        std::vector<Error> errors;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        auto saved = contents(c.name);
        auto first = saved.find(c.firstLabel);
        auto second = saved.find(c.secondLabel);
        EXPECT_NE(first, std::string::npos) << saved;
        EXPECT_NE(second, std::string::npos) << saved;
        EXPECT_LT(first, second) << saved;
        EXPECT_EQ(saved.find("us-ascii"), std::string::npos) << saved;
        EXPECT_EQ(saved.find("</p></b>"), std::string::npos) << saved;
        EXPECT_EQ(decodeDocumentText(saved, DocumentTextSyntax::HTML).encoding, c.encoding);
    }

    // Both put back, the copy still loses the misnested B's reach over the paragraphs.
    ASSERT_TRUE(writeFileAtomically(path("lossy.html"), page(charsetUTF8 + "\n" + equivUTF8, "<body><b><p>\xE2\x82\xAC</p><p>two</p></body></html>\n", "T")));
    load("lossy.html");
    EXPECT_FALSE(vornick_isLoadedFromRepairedCopy(*view->mainFrame()));
    EXPECT_TRUE(vornick_refusedRepairLoss(*view->mainFrame()));
}

TEST_F(LegacyEncodingRepair, OtherEncodingsAndByteOrderMarksLoadAsBefore)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool fromRepair;
        std::u16string encoding;
        std::u16string text;
        // Bytes the save keeps.
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        // A byte-order mark says UTF-8, the META ISO-8859-1: the mark wins,
        // and tidy, which would read the declaration, repairs nothing.
        { "marked.html", "\xEF\xBB\xBF" + page("<meta charset=\"iso-8859-1\">", "<body><p>Caf\xC3\xA9 \xE2\x82\xAC <b>b</b></p></b></body></html>\n", "T"),
          false, u"UTF-8", u"Caf\u00E9 \u20AC b", { "\xEF\xBB\xBF<!DOCTYPE html>", "iso-8859-1", "Caf\xC3\xA9 \xE2\x82\xAC" } },
        // Tidy reads no EUC-JP: the page loads as it is. "日本".
        { "eucjp.html", page("<meta charset=\"euc-jp\">", "<body><p>\xC6\xFC\xCB\xDC <b>b</b></p></b></body></html>\n", "T"), false,
          u"EUC-JP", u"\u65E5\u672C b", { "euc-jp", "\xC6\xFC\xCB\xDC" } },
        // A UTF-16 label on bytes that are ASCII is read as UTF-8, by the page and by tidy.
        { "utf16label.html", page("<meta charset=\"utf-16\">", "<body><p>\xE2\x82\xAC <b>b</b></p></b></body></html>\n", "T"), true,
          u"UTF-8", u"\u20AC b", { "utf-16", "<p>\xE2\x82\xAC <b>b</b></p>" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFileAtomically(path(c.name), c.bytes));
        load(c.name);
        auto frame = view->mainFrame();
        EXPECT_EQ(vornick_isLoadedFromRepairedCopy(*frame), c.fromRepair) << vornick_refusedRepairLoss(*frame).value_or("");
        EXPECT_EQ(document()->characterSet(), c.encoding);
        EXPECT_EQ(toUTF8(paragraphText(*document())), toUTF8(c.text));
        std::vector<Error> errors;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors))
            << (errors.empty() ? std::string() : toUTF8(errors.front().localizedDescription()));
        auto first = contents(c.name);
        for (const auto& kept : c.kept)
            EXPECT_NE(first.find(kept), std::string::npos) << kept << " in\n" << first;
        ASSERT_TRUE(view->writeHTMLDocumentToURL(url(c.name), std::nullopt, true, &errors));
        EXPECT_EQ(contents(c.name), first);
    }
}

} // namespace legacy_encoding_repair
