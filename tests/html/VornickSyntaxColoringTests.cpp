#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace brevanton;

namespace vornick_syntax_coloring_tests {
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
    // The declaration is one run, as the writer writes it.
    for (size_t index = 0; index <= 20; ++index)
        EXPECT_EQ(colorAt(painted, index), colorOf(TK_XML_DECLARATION)) << index;
    EXPECT_EQ(colorAt(painted, 21), colorOf(TK_MARKUP_PUNCTUATION)); // "<"
    EXPECT_EQ(colorAt(painted, 22), colorOf(TK_TAG_NAME));
    EXPECT_EQ(colorAt(painted, 24), colorOf(TK_ATTRIBUTE_NAME));
    EXPECT_EQ(colorAt(painted, 30), colorOf(TK_MARKUP_PUNCTUATION)); // the quotes
    EXPECT_EQ(colorAt(painted, 31), colorOf(TK_ATTRIBUTE_VALUE));
    EXPECT_EQ(colorAt(painted, 32), colorOf(TK_MARKUP_PUNCTUATION));
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
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return called; }, 30));

    // The page's document stays with the caller: it goes when the caller lets
    // go of it, not later on the mapping queue's thread while the caller still
    // uses its nodes. Its XML DOCTYPE is still read as XML there.
    std::string xml = "<!DOCTYPE html [\n<!ENTITY a \"b>\">\n]>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"/>";
    std::shared_ptr<DOMDocument> document = DOMDocument::parseXML(xml);
    ASSERT_TRUE(document);
    std::weak_ptr<DOMDocument> weakDocument = document;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(toUTF16(xml), document.get(), nullptr, true,
        [&](auto, std::shared_ptr<const VornickDOMToNSRangeMap> painted) { map = std::move(painted); }, OperationQueue::main());
    // A long source keeps the operation running past the caller's release.
    std::u16string longSource;
    for (int i = 0; i < 20000; ++i)
        longSource += u"<p class=\"a\">text</p>\n";
    bool longOnePainted = false;
    VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(std::move(longSource), document.get(), nullptr, true,
        [&](auto, auto) { longOnePainted = true; }, OperationQueue::main());
    document.reset();
    EXPECT_TRUE(weakDocument.expired());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return map != nullptr && longOnePainted; }, 30));
    EXPECT_EQ(map->description(), u"(9)Document[0:81] {\n(10)DOCTYPE[0:36],(1)html[37:81]}");
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

namespace {

std::vector<std::u16string_view> linesOf(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The pairs of equal lines of two texts, as their longest common subsequence
// of lines: the offsets where each such line starts in either text.
std::vector<std::pair<size_t, size_t>> equalLines(std::u16string_view a, std::u16string_view b)
{
    auto left = linesOf(a);
    auto right = linesOf(b);
    std::vector<std::vector<uint32_t>> common(left.size() + 1, std::vector<uint32_t>(right.size() + 1));
    for (size_t i = left.size(); i-- > 0;) {
        for (size_t j = right.size(); j-- > 0;)
            common[i][j] = left[i] == right[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0, j = 0; i < left.size() && j < right.size();) {
        if (left[i] == right[j]) {
            pairs.emplace_back(left[i].data() - a.data(), right[j].data() - b.data());
            ++i;
            ++j;
        } else if (common[i + 1][j] >= common[i][j + 1])
            ++i;
        else
            ++j;
    }
    return pairs;
}

} // namespace

// A page's source as loaded is painted as the writer colours the same text
// after the first edit: every character of every line the two share has the
// same colour. Run over the real pages of every kind.
TEST(SyntaxColoring, TheLoadedSourceIsColouredAsTheRegeneratedSourceOfTheSamePage)
{
    auto preferences = VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences();
    size_t pages = 0;
    size_t comparedLines = 0;
    for (const char* folder : { "editing", "html-pages", "html-writer", "save-roundtrip", "web", "wordpress" }) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/" + folder)) {
            auto extension = entry.path().extension().string();
            if (extension != ".html" && extension != ".xhtml")
                continue;
            std::string name = std::string(folder) + "/" + entry.path().filename().string();
            auto bytes = readFile(entry.path().string());
            ASSERT_TRUE(bytes) << name;
            bool xml = extension == ".xhtml";
            auto decoded = decodeDocumentText(*bytes, xml ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML);
            auto document = xml ? DOMDocument::parseXML(*bytes) : DOMDocument::parseHTML(std::string_view(*bytes), toUTF8(decoded.encoding));
            if (!document)
                continue;
            std::u16string source = toUTF16(decoded.utf8);

            VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                                     VornickNewlineConvention::LF);
            writer.setSyntaxColoringPreferences(preferences);
            std::shared_ptr<const AttributedString> written;
            writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto) { written = std::move(string); });
            VornickHTMLStringSyntaxPainterAndMapper painter;
            std::shared_ptr<const AttributedString> painted;
            painter.paintAndMapHTMLString(source, document.get(), preferences, true, [&](auto string, auto) { painted = std::move(string); });
            ASSERT_TRUE(written && painted) << name;
            ++pages;

            const auto& loadedText = painted->string();
            const auto& writtenText = written->string();
            size_t mismatches = 0;
            for (auto [inLoaded, inWritten] : equalLines(loadedText, writtenText)) {
                ++comparedLines;
                for (size_t offset = 0; inLoaded + offset < loadedText.size() && loadedText[inLoaded + offset] != u'\n'; ++offset) {
                    auto* shown = painted->attributeAtIndex<Color>(ForegroundColorAttributeName, inLoaded + offset);
                    auto* regenerated = written->attributeAtIndex<Color>(ForegroundColorAttributeName, inWritten + offset);
                    ASSERT_TRUE(shown && regenerated) << name;
                    if (*shown != *regenerated && ++mismatches <= 3) {
                        size_t lineEnd = loadedText.find(u'\n', inLoaded);
                        ADD_FAILURE() << name << ": column " << offset << " of \""
                                      << toUTF8(std::u16string_view(loadedText).substr(inLoaded, lineEnd - inLoaded)) << "\": "
                                      << shown->description() << " loaded, " << regenerated->description() << " regenerated";
                    }
                }
            }
            EXPECT_EQ(mismatches, 0u) << name;
        }
    }
    EXPECT_GT(pages, 40u);
    EXPECT_GT(comparedLines, 300u);
}

TEST(SyntaxColoring, DOCTYPEsAreColouredAsTheWriterWritesThem)
{
    auto kindsOf = [](std::u16string_view html) {
        auto painted = paint(html);
        std::u16string kinds;
        for (size_t index = 0; index < html.size(); ++index) {
            Color color = colorAt(painted, index);
            kinds += color == colorOf(TK_OTHER_TEXT) ? u'-' : color == colorOf(TK_ATTRIBUTE_VALUE) ? u'v' : u'o';
        }
        return kinds;
    };
    // Orange: punctuation, the keyword, the name and identifiers; the blanks are text.
    EXPECT_EQ(kindsOf(u"<!DOCTYPE html>"), u"ooooooooo-ooooo");
    EXPECT_EQ(kindsOf(u"<!DOCTYPE html PUBLIC \"-//A B//EN\" 'x y'>"), u"ooooooooo-oooo-oooooo-oooooooooooo-ooooo" u"o");
    // An internal subset is the DOCTYPE's, its brackets text.
    EXPECT_EQ(kindsOf(u"<!DOCTYPE a [ x ]>"), u"ooooooooo-o--ooo-o");
    // A bogus declaration keeps its text plain.
    EXPECT_EQ(kindsOf(u"<!ELEMENT x>"), u"oo---------o");
}

// The map follows what a parser makes of raw text and of an XML DOCTYPE: an
// old page's escaped script keeps a "</script>" inside its text, plaintext
// runs to the end, and an internal subset is part of its DOCTYPE.
TEST(SyntaxColoring, RawTextAndInternalSubsetsAreMappedAsTheyAreParsed)
{
    std::u16string script = u"<script><!--\nw(\"<script>x</script>\");\n//--></script><p>a</p>";
    auto legacy = paint(script);
    EXPECT_EQ(legacy.map->description(), u"(9)Document[0:60] {\n(1)script[0:52] {\n(3)text[8:43]},(1)p[52:60] {\n(3)text[55:56]}}");
    EXPECT_EQ(colorAt(legacy, script.find(u"</script>\")")), colorOf(TK_OTHER_TEXT));
    auto plaintext = paint(u"<plaintext><b>x</b>");
    EXPECT_EQ(plaintext.map->description(), u"(9)Document[0:19] {\n(1)plaintext[0:19] {\n(3)text[11:19]}}");

    std::string xml = "<!DOCTYPE html [\n<!ENTITY a \"b>\">\n]>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"/>";
    auto document = DOMDocument::parseXML(xml);
    ASSERT_TRUE(document);
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(toUTF16(xml), document.get(), nullptr, true, [&](auto, auto painted) { map = std::move(painted); });
    ASSERT_TRUE(map);
    EXPECT_EQ(map->description(), u"(9)Document[0:81] {\n(10)DOCTYPE[0:36],(1)html[37:81]}");
}

} // namespace vornick_syntax_coloring_tests
