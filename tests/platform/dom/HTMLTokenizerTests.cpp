#include "platform/dom/HTMLTokenizer.h"

#include "platform/dom/HTMLNamedCharacterReferences.h"
#include "platform/dom/HTMLTagNames.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace brevanton;

namespace {

// The tokens of `markup` in a compact form: S<name a="v"/>, E</name>, C<!--x-->, D<!DOCTYPE ...>, "text".
// With `zeroSettled`, the tokenizer reads a copy of the markup whose settled
// part is overwritten with zeros after each token, as released pages read.
std::vector<std::string> tokenize(std::u16string_view markup, HTMLTokenizer::State state = HTMLTokenizer::State::Data,
                                  const std::u16string& lastStartTag = {}, bool zeroSettled = false)
{
    std::u16string copy(markup);
    HTMLTokenizer tokenizer(zeroSettled ? std::u16string_view(copy) : markup);
    tokenizer.setState(state);
    if (!lastStartTag.empty())
        tokenizer.setLastStartTagName(lastStartTag);
    std::vector<std::string> tokens;
    for (;;) {
        auto& token = tokenizer.nextToken();
        std::string text;
        switch (token.kind) {
        case HTMLToken::Kind::StartTag:
        case HTMLToken::Kind::EndTag:
            text = (token.kind == HTMLToken::Kind::StartTag ? "<" : "</") + toUTF8(token.name);
            for (auto& attribute : token.attributes)
                text += " " + toUTF8(attribute.name) + "=\"" + toUTF8(attribute.value) + "\"";
            text += token.selfClosing ? "/>" : ">";
            break;
        case HTMLToken::Kind::Comment:
            text = "<!--" + toUTF8(token.data) + "-->";
            break;
        case HTMLToken::Kind::DOCTYPE:
            text = "<!DOCTYPE " + toUTF8(token.name);
            if (token.hasPublicIdentifier)
                text += " PUBLIC \"" + toUTF8(token.publicIdentifier) + "\"";
            if (token.hasSystemIdentifier)
                text += " SYSTEM \"" + toUTF8(token.systemIdentifier) + "\"";
            text += token.forceQuirks ? " quirks>" : ">";
            break;
        case HTMLToken::Kind::Characters:
            text = "\"" + toUTF8(token.text()) + "\"";
            break;
        case HTMLToken::Kind::EndOfFile:
            return tokens;
        }
        tokens.push_back(text);
        if (zeroSettled)
            std::fill_n(copy.begin(), tokenizer.settledLength(), u'\0');
    }
}

using Tokens = std::vector<std::string>;

} // namespace

TEST(HTMLTokenizer, CharacterReferencesTakeTheLongestNameAndTheAttributeRules)
{
    // The longest name that matches wins, with or without its semicolon.
    EXPECT_EQ(tokenize(u"&notin; &notit; &not &amp;&AMP"), Tokens({ "\"∉ ¬it; ¬ &&\"" }));
    EXPECT_EQ(tokenize(u"&unknown; &; & x &#"), Tokens({ "\"&unknown; &; & x &#\"" }));
    // In an attribute a legacy name followed by "=" or an alphanumeric stays as written.
    EXPECT_EQ(tokenize(u"<a href='?a=1&copy=2&copyx&copy;&copy'>"),
              Tokens({ "<a href=\"?a=1&copy=2&copyx©©\">" }));
    EXPECT_EQ(tokenize(u"&copyx"), Tokens({ "\"©x\"" }));
    // Numeric references: windows-1252 for C1 controls, U+FFFD for what cannot be a character.
    EXPECT_EQ(tokenize(u"&#x80;&#150;&#0;&#xD800;&#x110000;&#99999999999;&#x41&#65"), Tokens({ "\"€–\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "AA\"" }));
    EXPECT_EQ(tokenize(u"&#x1F600;&#X41;&#xg"), Tokens({ "\"😀A&#xg\"" }));
    // Astral and two-character references.
    EXPECT_EQ(tokenize(u"&Afr;&NotEqualTilde;"), Tokens({ "\"𝔄≂̸\"" }));
    // Every name of the table, in text and in an attribute value.
    for (auto& reference : htmlNamedCharacterReferences()) {
        std::u16string name = toUTF16(reference.name);
        std::u16string characters(reference.characters, reference.length);
        SCOPED_TRACE(reference.name);
        std::u16string text = u"&" + name + u" ";
        HTMLTokenizer inText(text);
        EXPECT_EQ(std::u16string(inText.nextToken().text()), characters + u" ");
        std::u16string tag = u"<p a=\"&" + name + u" \">";
        HTMLTokenizer inAttribute(tag);
        auto& token = inAttribute.nextToken();
        ASSERT_EQ(token.attributes.size(), 1u);
        EXPECT_EQ(token.attributes[0].value, characters + u" ");
    }
    // No references in RAWTEXT; RCDATA has them.
    EXPECT_EQ(tokenize(u"&amp;</style>", HTMLTokenizer::State::RAWTEXT, u"style"), Tokens({ "\"&amp;\"", "</style>" }));
    EXPECT_EQ(tokenize(u"&amp;</title>", HTMLTokenizer::State::RCDATA, u"title"), Tokens({ "\"&\"", "</title>" }));
}

TEST(HTMLTokenizer, TagsAttributesAndTheirQuirks)
{
    EXPECT_EQ(tokenize(u"<DIV Class=A id = \"b\" data-x='c' checked/>"),
              Tokens({ "<div class=\"A\" id=\"b\" data-x=\"c\" checked=\"\"/>" }));
    // A repeated attribute keeps its first value, however long the list.
    EXPECT_EQ(tokenize(u"<p a=1 b=2 a=3>"), Tokens({ "<p a=\"1\" b=\"2\">" }));
    std::u16string many = u"<p";
    for (int i = 0; i < 40; ++i)
        many += u" a" + toUTF16(std::to_string(i % 20)) + u"=" + toUTF16(std::to_string(i));
    many += u">";
    HTMLTokenizer tokenizer(many);
    auto& token = tokenizer.nextToken();
    ASSERT_EQ(token.attributes.size(), 20u);
    EXPECT_EQ(token.attributes[19].value, u"19");
    // Odd characters in names and values, and "=" starting a name.
    EXPECT_EQ(tokenize(u"<a =b c\"d=e f=g`h <i>"), Tokens({ "<a =b=\"\" c\"d=\"e\" f=\"g`h\" <i=\"\">" }));
    EXPECT_EQ(tokenize(u"<a b='c'd>"), Tokens({ "<a b=\"c\" d=\"\">" }));
    // NULs in names become U+FFFD; "<" not followed by a letter is text.
    EXPECT_EQ(tokenize(std::u16string(u"<a\0b>", 5)), Tokens({ "<a\xEF\xBF\xBD" "b>" }));
    EXPECT_EQ(tokenize(u"a < b <3 </ >x</>y"), Tokens({ "\"a < b <3 \"", "<!-- -->", "\"xy\"" }));
    // An unfinished tag at the end of the file is dropped.
    EXPECT_EQ(tokenize(u"text<div class='a"), Tokens({ "\"text\"" }));
    EXPECT_EQ(tokenize(u"text<"), Tokens({ "\"text<\"" }));
    // Long values of one tag leave nothing in the next tags' values, empty,
    // short, dropped as repeated, or in a comment or DOCTYPE in between.
    EXPECT_EQ(tokenize(u"<a href='https://example.com/a/long/path' title=\"a long title text\">"
                       u"<b c d=x><!--n--><e f=\"first long value\" f=\"second long value\" g=\"\"><!DOCTYPE html>"
                       u"<h i='another long value &amp; more'>"),
              Tokens({ "<a href=\"https://example.com/a/long/path\" title=\"a long title text\">", "<b c=\"\" d=\"x\">",
                       "<!--n-->", "<e f=\"first long value\" g=\"\">", "<!DOCTYPE html>",
                       "<h i=\"another long value & more\">" }));
}

TEST(HTMLTokenizer, NamesAndValuesThatDifferFromTheMarkupStayWhole)
{
    // Lowered names, references, NULs and line breaks part way through a name
    // or value, after a plain run of it and before another.
    EXPECT_EQ(tokenize(std::u16string(u"<dIv aB-c=\"x&lt;y\" d=e&gt;f\r\ng='h\0i' J k=\"l\r\nm\" n=o=p>", 54)),
              Tokens({ "<div ab-c=\"x<y\" d=\"e>f\" g=\"h\xEF\xBF\xBDi\" j=\"\" k=\"l\nm\" n=\"o=p\">" }));
    EXPECT_EQ(tokenize(u"a</TiTle>", HTMLTokenizer::State::RCDATA, u"title"), Tokens({ "\"a\"", "</title>" }));
    EXPECT_EQ(tokenize(u"<!DOCTYPE HtMl>"), Tokens({ "<!DOCTYPE html>" }));
    // More attributes than any tag before, each rewritten: the later ones
    // leave the earlier ones as they were.
    std::u16string markup = u"<p a=1><P";
    std::string expected = "<p";
    for (int i = 0; i < 70; ++i) {
        auto number = std::to_string(i);
        markup += u" Na" + toUTF16(number) + u"=\"v&amp;\r\n" + toUTF16(number) + u"\"";
        expected += " na" + number + "=\"v&\n" + number + "\"";
    }
    markup += u"><q b=2>";
    EXPECT_EQ(tokenize(markup), Tokens({ "<p a=\"1\">", expected + ">", "<q b=\"2\">" }));
}

TEST(HTMLTokenizer, TagNamesAreKnownWhole)
{
    // Names as the tokenizer hands them out, lowered, to the table of known tags.
    const std::pair<std::u16string, HTMLTag> names[] = {
        { u"a", HTMLTag::a }, { u"A", HTMLTag::a }, { u"h1", HTMLTag::h1 }, { u"BlockQuote", HTMLTag::blockquote },
        { u"annotation-xml", HTMLTag::annotation_xml }, { u"foreignObject", HTMLTag::foreignobject },
        { u"template", HTMLTag::template_ }, { u"ab", HTMLTag::Unknown }, { u"a\u00E9", HTMLTag::Unknown },
        { u"a\uAC00", HTMLTag::Unknown }, { u"a\u0100", HTMLTag::Unknown },
        { u"foreignobjectxyz", HTMLTag::Unknown }, { u"annotation-xml-annotation", HTMLTag::Unknown },
        // Long names that begin and end as a known one, of its length.
        { u"blockxuote", HTMLTag::Unknown }, { u"annotatiom-xml", HTMLTag::Unknown },
        { u"foreignxbject", HTMLTag::Unknown }, { u"figcaptiom", HTMLTag::Unknown },
    };
    for (auto& [name, tag] : names) {
        SCOPED_TRACE(toUTF8(name));
        std::u16string markup = u"<" + name + u" class='one'></" + name + u">";
        HTMLTokenizer tokenizer(markup);
        EXPECT_EQ(htmlTagForName(tokenizer.nextToken().name), tag);
        EXPECT_EQ(htmlTagForName(tokenizer.nextToken().name), tag);
    }
    // A U+0000 (only callers other than the tokenizer can hand one over) ends no name.
    EXPECT_EQ(htmlTagForName(std::u16string_view(u"p\0", 2)), HTMLTag::Unknown);
    EXPECT_EQ(htmlTagForName(std::u16string_view(u"em\0", 3)), HTMLTag::Unknown);
    EXPECT_EQ(htmlTagForName(std::u16string_view(u"div\0\0", 5)), HTMLTag::Unknown);
    EXPECT_EQ(htmlTagForName(std::u16string_view(u"\0\0\0\0", 4)), HTMLTag::Unknown);
    // Every tag by its name, its name with one more letter by none.
    for (size_t i = 1; i < static_cast<size_t>(HTMLTag::Count); ++i) {
        auto tag = static_cast<HTMLTag>(i);
        std::u16string name(htmlTagName(tag));
        SCOPED_TRACE(toUTF8(name));
        EXPECT_EQ(htmlTagForName(name), tag);
        EXPECT_EQ(htmlTagForName(name + u"q"), HTMLTag::Unknown);
    }
}

TEST(HTMLTokenizer, CommentsDoctypesAndCDATA)
{
    EXPECT_EQ(tokenize(u"<!--a-- b--!><!----><!--><!---><!--<!--x-->"),
              Tokens({ "<!--a-- b-->", "<!---->", "<!---->", "<!---->", "<!--<!--x-->" }));
    EXPECT_EQ(tokenize(u"<?php x ?><!x><!--open"), Tokens({ "<!--?php x ?-->", "<!--x-->", "<!--open-->" }));
    EXPECT_EQ(tokenize(u"<!DOCTYPE html><!doctype HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" 'http://x'>"),
              Tokens({ "<!DOCTYPE html>", "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\" SYSTEM \"http://x\">" }));
    EXPECT_EQ(tokenize(u"<!DOCTYPE><!DOCTYPE html SYSTEM><!DOCTYPE html bogus>"),
              Tokens({ "<!DOCTYPE  quirks>", "<!DOCTYPE html quirks>", "<!DOCTYPE html quirks>" }));
    // CDATA is a section only where the tree builder allows one.
    EXPECT_EQ(tokenize(u"<![CDATA[a<b]]>"), Tokens({ "<!--[CDATA[a<b]]-->" }));
    HTMLTokenizer foreign(u"x<![CDATA[a<b]]]>y");
    EXPECT_EQ(std::u16string(foreign.nextToken().text()), u"x");
    foreign.setAllowsCDATA(true);
    EXPECT_EQ(std::u16string(foreign.nextToken().text()), u"a<b]y");
}

TEST(HTMLTokenizer, TextStatesEndOnlyAtTheirOwnEndTag)
{
    EXPECT_EQ(tokenize(u"a</b></titlex></title >", HTMLTokenizer::State::RCDATA, u"title"),
              Tokens({ "\"a</b></titlex>\"", "</title>" }));
    EXPECT_EQ(tokenize(u"<p>x", HTMLTokenizer::State::PLAINTEXT), Tokens({ "\"<p>x\"" }));
    // Script data: an end tag inside an escaped "<!--<script>" block is text.
    EXPECT_EQ(tokenize(u"<!--<script></script>--></script>", HTMLTokenizer::State::ScriptData, u"script"),
              Tokens({ "\"<!--<script></script>-->\"", "</script>" }));
    EXPECT_EQ(tokenize(u"a<!--b</script>c", HTMLTokenizer::State::ScriptData, u"script"),
              Tokens({ "\"a<!--b\"", "</script>", "\"c\"" }));
    // NULs become U+FFFD in the text states but stay in data.
    EXPECT_EQ(tokenize(std::u16string(u"a\0b", 3), HTMLTokenizer::State::RAWTEXT), Tokens({ "\"a\xEF\xBF\xBD" "b\"" }));
    EXPECT_EQ(tokenize(std::u16string(u"a\0b", 3)), Tokens({ std::string("\"a\0b\"", 5) }));
}

TEST(HTMLTokenizer, NoTokenReadsTheSettledMarkupAgain)
{
    struct Case {
        std::u16string markup;
        HTMLTokenizer::State state { HTMLTokenizer::State::Data };
        std::u16string lastStartTag;
    };
    const Case cases[] = {
        { u"<!DOCTYPE html><p class=a id='b' title=\"c&amp;d\">text &amp; more&notit; &#x41;</p>\r\nline<!-- c -->", HTMLTokenizer::State::Data, {} },
        { u"one run of text then <b>a tag</b> and text<br/>< not a tag <3 </ also &ampx", HTMLTokenizer::State::Data, {} },
        { u"<svg><![CDATA[x]]></svg><x y=1 y=2 z>", HTMLTokenizer::State::Data, {} },
        { u"a</b></titlex></title >tail", HTMLTokenizer::State::RCDATA, u"title" },
        { u"<!--<script></script>--></script>after", HTMLTokenizer::State::ScriptData, u"script" },
        { u"<p>x", HTMLTokenizer::State::PLAINTEXT, {} },
    };
    for (const auto& test : cases) {
        auto expected = tokenize(test.markup, test.state, test.lastStartTag);
        EXPECT_EQ(tokenize(test.markup, test.state, test.lastStartTag, true), expected) << toUTF8(test.markup);
    }
    // Characters not yet handed out hold the settled length back to their start.
    std::u16string markup = u"text before<p>";
    HTMLTokenizer tokenizer(markup);
    EXPECT_EQ(tokenizer.nextToken().kind, HTMLToken::Kind::Characters);
    EXPECT_EQ(tokenizer.settledLength(), 0u);
    EXPECT_EQ(tokenizer.nextToken().kind, HTMLToken::Kind::StartTag);
    EXPECT_EQ(tokenizer.settledLength(), markup.size());
    // Errors are counted in lines from the start: nothing is settled.
    HTMLTokenizer recording(markup);
    recording.setRecordsErrors(true);
    recording.nextToken();
    recording.nextToken();
    EXPECT_EQ(recording.settledLength(), 0u);
}

TEST(HTMLTokenizer, SourceRangesAndLineEndings)
{
    std::u16string markup = u"ab\r\n<p class=\"x\" id=y hidden>c&amp;d</p><!--e-->";
    HTMLTokenizer tokenizer(markup);
    auto& text = tokenizer.nextToken();
    EXPECT_EQ(std::u16string(text.text()), u"ab\n");
    EXPECT_EQ(text.range.start, 0u);
    EXPECT_EQ(text.range.end, 4u);
    auto& tag = tokenizer.nextToken();
    EXPECT_EQ(markup.substr(tag.range.start, tag.range.end - tag.range.start), u"<p class=\"x\" id=y hidden>");
    ASSERT_EQ(tag.attributes.size(), 3u);
    auto source = [&](HTMLSourceRange range) { return markup.substr(range.start, range.end - range.start); };
    EXPECT_EQ(source(tag.attributes[0].nameRange), u"class");
    EXPECT_EQ(source(tag.attributes[0].valueRange), u"x");
    EXPECT_EQ(source(tag.attributes[1].valueRange), u"y");
    EXPECT_EQ(source(tag.attributes[2].nameRange), u"hidden");
    EXPECT_EQ(tag.attributes[2].valueRange.start, tag.attributes[2].nameRange.end);
    auto& inner = tokenizer.nextToken();
    EXPECT_EQ(std::u16string(inner.text()), u"c&d");
    EXPECT_EQ(source(inner.range), u"c&amp;d");
    EXPECT_EQ(source(tokenizer.nextToken().range), u"</p>");
    EXPECT_EQ(source(tokenizer.nextToken().range), u"<!--e-->");
    EXPECT_EQ(tokenizer.nextToken().kind, HTMLToken::Kind::EndOfFile);
    EXPECT_EQ(tokenizer.nextToken().kind, HTMLToken::Kind::EndOfFile);
    // A lone CR is a line feed too.
    EXPECT_EQ(tokenize(u"a\rb\r\n\r\nc"), Tokens({ "\"a\nb\n\nc\"" }));
}

TEST(HTMLTokenizer, ParseErrorsCarryLineAndColumn)
{
    HTMLTokenizer tokenizer(u"<p>\r\n  <a =x>&#0;\n<b c c>\r<!-->");
    tokenizer.setRecordsErrors(true);
    while (tokenizer.nextToken().kind != HTMLToken::Kind::EndOfFile) {
    }
    auto& errors = tokenizer.errors();
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_STREQ(errors[0].code, "unexpected-equals-sign-before-attribute-name");
    EXPECT_EQ(errors[0].line, 2u);
    EXPECT_EQ(errors[0].column, 6u);
    EXPECT_STREQ(errors[1].code, "null-character-reference");
    EXPECT_EQ(errors[1].line, 2u);
    EXPECT_STREQ(errors[2].code, "duplicate-attribute");
    EXPECT_EQ(errors[2].line, 3u);
    EXPECT_EQ(errors[2].column, 7u);
    EXPECT_STREQ(errors[3].code, "abrupt-closing-of-empty-comment");
    EXPECT_EQ(errors[3].line, 4u);
    // Off by default.
    HTMLTokenizer quiet(u"<a =x>");
    quiet.nextToken();
    EXPECT_TRUE(quiet.errors().empty());
}
