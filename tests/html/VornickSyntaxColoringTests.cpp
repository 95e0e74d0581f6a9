#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Painted {
    bool result { false };
    std::shared_ptr<const AttributedString> string;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
};

Painted paint(std::u16string_view html, bool omitWhitespace = true)
{
    Painted painted;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painted.result = painter.paintAndMapHTMLString(html, nullptr, nullptr, omitWhitespace,
        [&](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            painted.string = std::move(string);
            painted.map = std::move(map);
        });
    return painted;
}

Color colorAt(const Painted& painted, size_t index)
{
    auto* color = painted.string->attributeAtIndex<Color>(ForegroundColorAttributeName, index);
    return color ? *color : Color::sRGB(0.1234, 0, 0);
}

Color colorOf(VornickSyntaxColoringTokenKind kind)
{
    return *VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences()->colorForTokenKind(kind);
}

} // namespace

TEST(SyntaxColoring, PresetsAndCaches)
{
    auto light = VornickHTMLSyntaxColoringPreferences::sourceLoupeLightHTMLSyntaxHighlightingPreferences();
    EXPECT_EQ(light->backgroundColor(), Color::genericGamma22White(227.0 / 255));
    EXPECT_EQ(*light->colorForTokenKind(TK_COMMENT), Color::sRGB255(0, 128, 255));
    EXPECT_EQ(*light->colorForTokenKind(TK_XML_DECLARATION), Color::sRGB255(255, 128, 0));
    EXPECT_FALSE(light->colorForTokenKind(11));
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::formattingPreviewDarkHTMLSyntaxHighlightingPreferences()->font()->pointSize(), 14);
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences()->insertionPointColor(), Color::white());
    EXPECT_EQ(VornickDefaultSourceFont()->familyName(), u"Menlo");

    auto copy = light->mutableCopy();
    auto attributes2 = copy->attributesDictionaryForTokenKind(TK_TAG_NAME, 2);
    EXPECT_EQ(attributes2, copy->attributesDictionaryForTokenKind(TK_TAG_NAME, 2));
    auto style = std::any_cast<std::shared_ptr<const ParagraphStyle>>(attributes2->at(ParagraphStyleAttributeName));
    EXPECT_DOUBLE_EQ(style->defaultTabInterval(), 2 * 18 * 0.6);
    // Another tab width rebuilds every cached dictionary.
    auto attributes4 = copy->attributesDictionaryForTokenKind(TK_TAG_NAME, 4);
    EXPECT_NE(attributes2, attributes4);
    EXPECT_DOUBLE_EQ(std::any_cast<std::shared_ptr<const ParagraphStyle>>(attributes4->at(ParagraphStyleAttributeName))->defaultTabInterval(), 4 * 18 * 0.6);
    // A copy keeps the colours, not the cache.
    auto second = copy->mutableCopy();
    EXPECT_EQ(*second->colorForTokenKind(TK_COMMENT), *copy->colorForTokenKind(TK_COMMENT));
    EXPECT_NE(second->attributesDictionaryForTokenKind(TK_TAG_NAME, 4), attributes4);
    second->setColor(Color::magenta(), 42); // ignored
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::tokenKindForHTMLScannerToken(u'?'), TK_OTHER_TEXT);
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::tokenKindForHTMLScannerToken(VornickHTMLScannerTokenXMLHeaderAttributeValue), TK_XML_DECLARATION);
}

TEST(SyntaxColoring, PaintsEveryToken)
{
    auto painted = paint(u"<?xml version=\"1.0\"?><p class=\"c\">a &amp; b<!-- c --></p>");
    EXPECT_TRUE(painted.result);
    EXPECT_EQ(colorAt(painted, 0), colorOf(TK_MARKUP_PUNCTUATION)); // "<"
    EXPECT_EQ(colorAt(painted, 1), colorOf(TK_OTHER_TEXT));         // "?"
    EXPECT_EQ(colorAt(painted, 2), colorOf(TK_XML_DECLARATION));    // "xml"
    EXPECT_EQ(colorAt(painted, 20), colorOf(TK_MARKUP_PUNCTUATION)); // ">"
    EXPECT_EQ(colorAt(painted, 22), colorOf(TK_TAG_NAME));
    EXPECT_EQ(colorAt(painted, 24), colorOf(TK_ATTRIBUTE_NAME));
    EXPECT_EQ(colorAt(painted, 30), colorOf(TK_ATTRIBUTE_VALUE));
    EXPECT_EQ(colorAt(painted, 44), colorOf(TK_COMMENT));
    EXPECT_EQ(colorAt(painted, 36), colorOf(TK_OTHER_TEXT)); // references are not told apart here
    EXPECT_EQ(painted.string->string().size(), painted.string->runs().back().location + painted.string->runs().back().length);
}

TEST(SyntaxColoring, BrokenMarkupStillDeliversABalancedMap)
{
    auto comment = paint(u"<p>a</p><!-- never closed");
    EXPECT_FALSE(comment.result);
    ASSERT_TRUE(comment.string);
    ASSERT_TRUE(comment.map);
    EXPECT_EQ(colorAt(comment, 10), colorOf(TK_COMMENT));
    EXPECT_EQ(comment.map->openNodeCount(), 1u);

    auto declaration = paint(u"<?xml version=\"1.0\" <p>x</p>");
    EXPECT_FALSE(declaration.result);
    EXPECT_EQ(declaration.map->openNodeCount(), 1u);

    // Optional end tags and unclosed elements close where the DOM closes them.
    auto lists = paint(u"<ul><li>a<li>b</ul><p>one<p>two<div>three</div><b>open");
    EXPECT_EQ(lists.map->description(),
              u"(9)Document[0:54] {\n(1)ul[0:19] {\n(1)li[4:9] {\n(3)text[8:9]},(1)li[9:19] {\n(3)text[13:14]}},"
              u"(1)p[19:25] {\n(3)text[22:25]},(1)p[25:31] {\n(3)text[28:31]},(1)div[31:47] {\n(3)text[36:41]},"
              u"(1)b[47:54] {\n(3)text[50:54]}}");
    auto stray = paint(u"<div></span>x</div>");
    EXPECT_EQ(stray.map->description(), u"(9)Document[0:19] {\n(1)div[0:19] {\n(3)text[12:13]}}");
}

TEST(SyntaxColoring, BackgroundPaintingReportsOnTheGivenQueue)
{
    bool called = false;
    VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(u"<p>x", nullptr,
        VornickHTMLSyntaxColoringPreferences::sourceLoupeLightHTMLSyntaxHighlightingPreferences(), true,
        [&](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            EXPECT_TRUE(RunLoop::isMainThread());
            EXPECT_EQ(string->string(), u"<p>x");
            EXPECT_EQ(map->rootNode().endOffset(), 4u);
            called = true;
        },
        OperationQueue::main());
    EXPECT_EQ(VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().name(), "VornickSyntaxPainterAndMapper mappingQueue");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return called; }, 10));
}

TEST(SyntaxColoring, SourceViewBuilderKeepsEveryCharacter)
{
    VornickHTMLSourceViewAttributedStringBuilder builder;
    std::u16string html = u"<!DOCTYPE html>\n<p class=\"a\"  id=b>x &amp; y {z}<br/></p><!-- c --><?pi ?>";
    auto& built = builder.generateAttributedStringFromHTMLString(html);
    EXPECT_EQ(built.string(), html);
    EXPECT_EQ(*built.attributeAtIndex<Color>(ForegroundColorAttributeName, 0), Color::orange());
    EXPECT_EQ(*built.attributeAtIndex<Color>(ForegroundColorAttributeName, html.find(u"&amp;")), Color::magenta());
    EXPECT_EQ(built.attributeAtIndex<Color>(ForegroundColorAttributeName, html.find(u"x ")), nullptr);
    builder.clearAttributedString();
    EXPECT_EQ(builder.attributedString().length(), 0u);
}
