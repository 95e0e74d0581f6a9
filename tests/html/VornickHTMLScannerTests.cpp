#include "html/VornickHTMLScanner.h"
#include "html/VornickHTMLSpec.h"

#include "HTMLScannerRecorder.h"

#include <random>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Scan {
    HTMLScannerRecorder recorder;
    bool result { false };
};

Scan scan(std::u16string_view text, bool forgiving = true, bool entities = false, bool snippets = false)
{
    Scan s;
    VornickHTMLScanner scanner;
    scanner.setDelegate(&s.recorder);
    scanner.setForgiving(forgiving);
    scanner.setIdentifiesEntityReferences(entities);
    scanner.setIdentifiesSnippetExpressions(snippets);
    s.result = scanner.parseHTMLString(text);
    return s;
}

using Events = std::vector<std::string>;

} // namespace

TEST(HTMLScanner, EventsOfSimpleDocuments)
{
    auto empty = scan(u"");
    EXPECT_TRUE(empty.result);
    EXPECT_EQ(empty.recorder.events, (Events { "begin @0", "end @0" }));

    auto paragraph = scan(u"<p>a</p>");
    EXPECT_TRUE(paragraph.result);
    EXPECT_EQ(paragraph.recorder.events, (Events {
        "begin @0", "beginElement p @0", "60 \"<\" 0+1", "262 \"p\" 1+1", "62 \">\" 2+1", "endOpenTag p from 0 @3",
        "258 \"a\" 3+1", "60 \"<\" 4+1", "47 \"/\" 5+1", "262 \"p\" 6+1", "62 \">\" 7+1", "endCloseTag p from 4 @8",
        "endElement p @8", "end @8" }));

    // Void elements end at once; so do self-closed ones.
    auto br = scan(u"<br><x/>");
    EXPECT_EQ(br.recorder.events, (Events { "begin @0", "beginElement br @0", "60 \"<\" 0+1", "262 \"br\" 1+2", "62 \">\" 3+1",
        "endElement br @4", "beginElement x @4", "60 \"<\" 4+1", "262 \"x\" 5+1", "47 \"/\" 6+1", "62 \">\" 7+1",
        "endElement x @8", "end @8" }));
}

TEST(HTMLScanner, AttributeNamesEndAtWhitespaceAndUnquotedValuesAreValues)
{
    auto boolean = scan(u"<input disabled checked>");
    EXPECT_TRUE(boolean.result);
    EXPECT_EQ(boolean.recorder.tokenTexts(VornickHTMLScannerTokenElementAttributeName), (std::vector<std::string> { "disabled", "checked" }));

    auto spaced = scan(u"<a href = \"x\">");
    EXPECT_TRUE(spaced.result);
    EXPECT_EQ(spaced.recorder.tokenTexts(VornickHTMLScannerTokenElementAttributeName), (std::vector<std::string> { "href" }));
    EXPECT_EQ(spaced.recorder.tokenTexts(VornickHTMLScannerTokenElementAttributeValue), (std::vector<std::string> { "\"x\"" }));

    auto unquoted = scan(u"<img src=x.png alt='a b'><meta charset=utf-8>");
    EXPECT_TRUE(unquoted.result);
    EXPECT_TRUE(unquoted.recorder.advisories.empty());
    EXPECT_EQ(unquoted.recorder.tokenTexts(VornickHTMLScannerTokenElementAttributeValue),
              (std::vector<std::string> { "x.png", "'a b'", "utf-8" }));

    auto missing = scan(u"<a href=>x</a>");
    EXPECT_FALSE(missing.result);
    ASSERT_EQ(missing.recorder.advisories.size(), 1u);
    EXPECT_EQ(missing.recorder.advisories[0].message(), u"Missing attribute value after '='");

    auto unmatched = scan(u"<a href=\"x>y");
    EXPECT_FALSE(unmatched.result);
    EXPECT_EQ(unmatched.recorder.advisories.at(0).message(), u"Unmatched open quote for attribute value");

    // "<" inside a name is a warning at the "<", not an error.
    auto lessThan = scan(u"<a\nb<c=\"1\">");
    ASSERT_EQ(lessThan.recorder.advisories.size(), 1u);
    auto& warning = lessThan.recorder.advisories[0];
    EXPECT_EQ(warning.kind(), VornickValidationAdvisoryKind::Warning);
    EXPECT_FALSE(warning.isStructuralIssue());
    EXPECT_EQ(warning.offset(), 4u);
    EXPECT_EQ(warning.line(), 2);
    EXPECT_EQ(warning.column(), 2);
}

TEST(HTMLScanner, RawTextElementsAreOneTextToken)
{
    auto script = scan(u"<script>if (a < b && c > d) x = \"</p>\";</script><p>t</p>", true, true);
    EXPECT_TRUE(script.result);
    auto texts = script.recorder.tokenTexts(VornickHTMLScannerTokenText);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "if (a < b && c > d) x = \"</p>\";");
    EXPECT_EQ(texts[1], "t");
    EXPECT_TRUE(script.recorder.tokenTexts(VornickHTMLScannerTokenEntityReference).empty());

    auto style = scan(u"<STYLE>a > b { x: '</styles>' }</Style >");
    EXPECT_EQ(style.recorder.tokenTexts(VornickHTMLScannerTokenText).at(0), "a > b { x: '</styles>' }");
    EXPECT_EQ(style.recorder.tokenTexts(VornickHTMLScannerTokenElementTagName), (std::vector<std::string> { "STYLE", "Style" }));

    auto title = scan(u"<title><b>x</b></title>");
    EXPECT_EQ(title.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "<b>x</b>" }));

    // Without an end tag the rest is the element's text; the scan still ends.
    auto open = scan(u"<script>var a = 1 < 2;");
    EXPECT_EQ(open.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "var a = 1 < 2;" }));
    EXPECT_EQ(open.recorder.events.back(), "end @22");
}

TEST(HTMLScanner, CharacterReferences)
{
    auto refs = scan(u"&amp;&#x1F600;&#233;&#99999999999999999999;&#0;&#xD800;", true, true);
    EXPECT_TRUE(refs.result);
    std::vector<std::string> expected { "260 \"&amp;\" 0+5 = &", "260 \"&#x1F600;\" 5+9 = \xF0\x9F\x98\x80",
        "260 \"&#233;\" 14+6 = \xC3\xA9", "260 \"&#99999999999999999999;\" 20+23 = \xEF\xBF\xBD",
        "260 \"&#0;\" 43+4 = \xEF\xBF\xBD", "260 \"&#xD800;\" 47+8 = \xEF\xBF\xBD" };
    EXPECT_EQ(std::vector<std::string>(refs.recorder.events.begin() + 1, refs.recorder.events.end() - 1), expected);

    // An unterminated reference is text; the name does not run on to the next ";".
    auto att = scan(u"AT&T <b>x</b>; &amp", true, true);
    EXPECT_TRUE(att.result);
    EXPECT_TRUE(att.recorder.tokenTexts(VornickHTMLScannerTokenEntityReference).empty());
    EXPECT_EQ(att.recorder.tokenTexts(VornickHTMLScannerTokenElementTagName), (std::vector<std::string> { "b", "b" }));
    EXPECT_EQ(att.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "AT", "&T ", "x", "; ", "&amp" }));

    auto strict = scan(u"a &amp b", false, true);
    EXPECT_FALSE(strict.result);
    EXPECT_EQ(strict.recorder.advisories.at(0).message(), u"Unterminated entity reference (missing ';')");

    auto tooLong = scan(u"&#x1234567;", false, true);
    EXPECT_EQ(tooLong.recorder.advisories.at(0).message(), u"Too many digits in numeric entity reference");
    auto badName = scan(u"&nosuchname;", false, true);
    EXPECT_EQ(badName.recorder.advisories.at(0).message(), u"Unrecognized entity name \"nosuchname\"");
}

TEST(HTMLScanner, EveryInputEnds)
{
    // Constructs that fail consume at least their first character.
    for (std::u16string_view text : { u"<?php echo 1; ?>", u"<", u"a < b", u"{", u"&", u"</ >", u"<?", u"<!", u"<!-",
                                      u"<a", u"<a b='", u"{{x}}", u"&#", u"&#x", u"<![CDATA[ x", u"<!DOCTYPE" }) {
        auto s = scan(text, true, true, true);
        EXPECT_EQ(s.recorder.concatenated, text) << toUTF8(text);
        EXPECT_EQ(s.recorder.events.back(), "end @" + std::to_string(text.size())) << toUTF8(text);
    }
    auto heart = scan(u"I <3 you</3>");
    EXPECT_TRUE(heart.recorder.tokenTexts(VornickHTMLScannerTokenElementTagName).empty());
    EXPECT_EQ(heart.recorder.concatenated, u"I <3 you</3>");

    auto snippet = scan(u"a {b} c {{d}}", true, false, true);
    EXPECT_EQ(snippet.recorder.tokens, "258:a |259:{b}|258: c {{d}}|");

    // A processing instruction reads as a comment.
    auto pi = scan(u"<?xml-stylesheet href=\"a.xsl\"?><p>");
    EXPECT_EQ(pi.recorder.tokenTexts(VornickHTMLScannerTokenComment), (std::vector<std::string> { "<?xml-stylesheet href=\"a.xsl\"?>" }));
    EXPECT_EQ(std::count(pi.recorder.events.begin(), pi.recorder.events.end(), "beginXML @0"), 0);
}

TEST(HTMLScanner, DeclarationsAndComments)
{
    auto xml = scan(u"<?xml version=\"1.0\" encoding='UTF-8'?><!DOCTYPE html><!-- c --><![CDATA[x]]>");
    EXPECT_TRUE(xml.result);
    EXPECT_EQ(xml.recorder.tokens, "60:<|63:?|266:xml|258: |267:version|61:=|268:\"1.0\"|258: |267:encoding|61:=|268:'UTF-8'|"
                                   "63:?|62:>|60:<|33:!|265:DOCTYPE|258: html|62:>|261:<!-- c -->|261:<![CDATA[x]]>|");
    EXPECT_EQ(xml.recorder.events.front(), "begin @0");
    EXPECT_EQ(xml.recorder.events[1], "beginXML @0");

    // An unfinished declaration still ends.
    auto unfinished = scan(u"<?xml version=\"1.0\" <p>");
    EXPECT_FALSE(unfinished.result);
    int begins = 0, ends = 0;
    for (auto& e : unfinished.recorder.events) {
        begins += e.rfind("beginXML", 0) == 0;
        ends += e.rfind("endXML", 0) == 0;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);

    auto comment = scan(u"<!-- open");
    EXPECT_FALSE(comment.result);
    EXPECT_EQ(comment.recorder.tokenTexts(VornickHTMLScannerTokenComment), (std::vector<std::string> { "<!-- open" }));
    EXPECT_EQ(comment.recorder.advisories.at(0).message(), u"Unterminated comment");

    // The dashes of "<!--" never close the comment they open.
    for (std::u16string_view text : { u"<!-->", u"<!--->" }) {
        auto opened = scan(text);
        EXPECT_FALSE(opened.result) << toUTF8(text);
        EXPECT_EQ(opened.recorder.tokenTexts(VornickHTMLScannerTokenComment), (std::vector<std::string> { toUTF8(text) }));
    }
    auto later = scan(u"<!-->a<b>-->c");
    EXPECT_TRUE(later.result);
    EXPECT_EQ(later.recorder.tokenTexts(VornickHTMLScannerTokenComment), (std::vector<std::string> { "<!-->a<b>-->" }));
    EXPECT_EQ(later.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "c" }));

    // A short bogus declaration does not swallow the text after it.
    auto bogus = scan(u"<!x>text");
    EXPECT_FALSE(bogus.result);
    EXPECT_EQ(bogus.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "x", "text" }));
}

TEST(HTMLScanner, StrictModeChecksNesting)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    ASSERT_TRUE(spec);
    auto run = [&](std::u16string_view text, std::optional<std::set<std::u16string>> allowed = std::nullopt) {
        Scan s;
        VornickHTMLScanner scanner;
        scanner.setDelegate(&s.recorder);
        scanner.setForgiving(false);
        scanner.setSpec(spec);
        scanner.setAllowedBodyElements(allowed);
        s.result = scanner.parseHTMLString(text);
        return s;
    };
    auto open = run(u"<div>");
    EXPECT_TRUE(open.result);
    EXPECT_EQ(open.recorder.advisories.at(0).message(), u"Missing close tag: </div>");

    auto mismatch = run(u"<div><p>x</div>after");
    EXPECT_FALSE(mismatch.result);
    EXPECT_EQ(mismatch.recorder.advisories.at(0).message(), u"Missing or misplaced </p> tag? Got </div> instead.");
    EXPECT_EQ(mismatch.recorder.tokenTexts(VornickHTMLScannerTokenText), (std::vector<std::string> { "x" }));

    auto stray = run(u"</p>");
    EXPECT_EQ(stray.recorder.advisories.at(0).message(), u"End tag without corresponding start tag");

    auto fine = run(u"<p>a<br>b<img src=x></p><div/>");
    EXPECT_TRUE(fine.result);
    EXPECT_TRUE(fine.recorder.advisories.empty());

    auto unknown = run(u"<blink>x</blink>");
    EXPECT_EQ(unknown.recorder.advisories.at(0).message(), u"<blink> is not part of HTML 5 spec");

    auto disallowed = run(u"<p>a<b>x</b></p>", std::set<std::u16string> { u"p" });
    EXPECT_EQ(disallowed.recorder.advisories.at(0).message(), u"<b> disallowed by snippet set");

    auto gt = run(u"a > b");
    EXPECT_FALSE(gt.result);
    EXPECT_EQ(gt.recorder.advisories.at(0).message(), u"Unescaped '>'");
}

TEST(HTMLScanner, StoppedScannerRefusesLaterScans)
{
    struct Stopper : HTMLScannerRecorder {
        void htmlScannerBeginElementAt(VornickHTMLScanner& scanner, size_t o, std::u16string_view t) override
        {
            HTMLScannerRecorder::htmlScannerBeginElementAt(scanner, o, t);
            scanner.stopParsing();
        }
    } stopper;
    VornickHTMLScanner scanner;
    scanner.setDelegate(&stopper);
    EXPECT_FALSE(scanner.parseHTMLString(u"a<p>b</p>"));
    EXPECT_EQ(stopper.events, (Events { "begin @0", "258 \"a\" 0+1", "beginElement p @1", "end @1" }));
    EXPECT_FALSE(scanner.parseHTMLString(u"x"));
}

TEST(HTMLScanner, ByteSoupAlwaysEndsAndReportsEveryPieceOnce)
{
    // Seeded soup of the characters that start constructs, with the odd
    // letter, surrogate half and astral character.
    const std::u16string alphabet = u"<<>>!!--??&&#;xX{}//==\"' \n\tabpsSCRIPTstyle0123[]CDATA\xD83D\xDE00\xDC00\xD800\x00A0";
    const std::vector<std::u16string> words { u"<script>", u"</script>", u"<style", u"</style >", u"<textarea>", u"<title>",
        u"<?xml", u"<?xml-stylesheet", u"<!DOCTYPE", u"<!--", u"-->", u"<![CDATA[", u"]]>", u"&amp;", u"&#x1F600;",
        u"&#99999999999;", u"<a href=x>", u"</a>", u"<br/>", u"<p", u"=\"" };
    std::mt19937 random(103);
    for (int round = 0; round < 400; ++round) {
        std::u16string text;
        for (size_t i = 0, length = random() % 60; i < length; ++i) {
            if (random() % 4 == 0)
                text += words[random() % words.size()];
            else
                text += alphabet[random() % alphabet.size()];
        }
        for (int mode = 0; mode < 4; ++mode) {
            bool forgiving = mode < 2;
            auto s = scan(text, forgiving, mode % 2, mode % 2);
            ASSERT_FALSE(s.recorder.events.empty());
            EXPECT_EQ(s.recorder.events.front(), "begin @0");
            // Every begun declaration ends.
            int open = 0;
            for (auto& event : s.recorder.events) {
                if (event.starts_with("beginXML") || event.starts_with("beginDOCTYPE"))
                    ++open;
                if (event.starts_with("endXML") || event.starts_with("endDOCTYPE"))
                    --open;
                EXPECT_TRUE(open == 0 || open == 1) << toUTF8(text);
            }
            EXPECT_EQ(open, 0) << toUTF8(text);
            if (forgiving) {
                EXPECT_EQ(s.recorder.concatenated, text) << mode << " " << toUTF8(text);
                EXPECT_EQ(s.recorder.events.back(), "end @" + std::to_string(text.size())) << toUTF8(text);
            }
        }
    }
}
