#include "platform/css/CSSStyleResolver.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace brevanton;

namespace css_import_and_size_tests {
namespace {

std::string value(const std::shared_ptr<DOMDocument>& document, std::u16string_view id, std::u16string_view property)
{
    auto element = document->getElementById(id);
    EXPECT_TRUE(element) << toUTF8(id);
    if (!element)
        return {};
    return toUTF8(getComputedStyle(*element)->getPropertyValue(property));
}

std::string cascaded(const std::shared_ptr<DOMDocument>& document, std::u16string_view id, CSSPropertyID property)
{
    auto element = document->getElementById(id);
    EXPECT_TRUE(element) << toUTF8(id);
    if (!element)
        return {};
    return toUTF8(CSSStyleResolver::computedValuesFor(*element)->value(property)->cssText());
}

class CSSImportTest : public ::testing::Test {
protected:
    void SetUp() override { folder = *createTemporaryDirectory("cssimport"); }
    void TearDown() override { EXPECT_TRUE(removeItem(folder)); }
    void write(const std::string& name, std::string_view text)
    {
        std::filesystem::create_directories(std::filesystem::path(folder + "/" + name).parent_path());
        ASSERT_TRUE(writeFileAtomically(folder + "/" + name, text));
    }
    std::shared_ptr<DOMDocument> page(std::string_view html)
    {
        return DOMDocument::parseHTML(toUTF16(html), u"file://" + toUTF16(folder) + u"/page.html");
    }

    std::string folder;
};

} // namespace

TEST(CSSStyleSheet, ImportRulesOnlyAtTheTop)
{
    auto sheet = CSSStyleSheet::parse(u"@charset \"utf-8\"; @import \"a.css\"; @import url(b.css) screen;"
                                      u"@import url('c.css') print, screen; p { color: red } @import \"late.css\";"
                                      u"@media screen { @import \"nested.css\"; }",
                                      u"file:///site/css/main.css");
    ASSERT_EQ(sheet->importRules().size(), 3u);
    EXPECT_EQ(sheet->importRules()[0].url, u"file:///site/css/a.css");
    EXPECT_EQ(sheet->importRules()[0].media, u"");
    EXPECT_EQ(sheet->importRules()[1].url, u"file:///site/css/b.css");
    EXPECT_EQ(sheet->importRules()[1].media, u"screen");
    EXPECT_EQ(sheet->importRules()[2].url, u"file:///site/css/c.css");
    EXPECT_EQ(sheet->rules().size(), 1u);
    EXPECT_EQ(CSSStyleSheet::parse(u"@import ;@import 12; @import url(x.css)", u"file:///a/")->importRules().size(), 1u);
}

TEST_F(CSSImportTest, ImportedSheetsComeBeforeTheImportingSheetInOrder)
{
    write("css/first.css", "@import 'deeper/inner.css'; p { color: red; margin-left: 1px }");
    write("css/deeper/inner.css", "p { color: blue; padding-left: 2px; margin-left: 9px } .in { color: olive }");
    write("css/second.css", "p { color: green; margin-top: 3px } #c { color: purple }");
    write("css/print.css", "p { margin-top: 40px }");
    write("site.css", "@import url(css/first.css); @import 'css/second.css'; @import 'css/print.css' print;"
                      "@import 'missing.css'; #b { color: navy }");
    auto document = page("<link rel=stylesheet href=site.css><style>@import 'css/first.css'; #c { color: teal }</style>"
                         "<p id=a>a</p><p id=b>b</p><p id=c>c</p><p id=d class=in>d</p>");
    // second.css comes after first.css, and the importing sheet's rules after both.
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)") << "first.css is imported again by the STYLE element";
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 0, 128)");
    EXPECT_EQ(value(document, u"a", u"margin-left"), "1px") << "the importer's own rules win over what it imports";
    EXPECT_EQ(value(document, u"a", u"padding-left"), "2px");
    EXPECT_EQ(value(document, u"a", u"margin-top"), "3px") << "a print-only import does not apply";
    EXPECT_EQ(value(document, u"c", u"color"), "rgb(0, 128, 128)");
    EXPECT_EQ(value(document, u"d", u"color"), "rgb(128, 128, 0)");
    EXPECT_EQ(CSSStyleResolver::forDocument(*document).authorStyleSheets().size(), 2u) << "imports are not top-level sheets";

    // A changed imported file is read again after invalidation.
    write("css/second.css", "p { margin-top: 5px }");
    CSSStyleResolver::forDocument(*document).invalidate();
    EXPECT_EQ(value(document, u"a", u"margin-top"), "5px");
}

TEST_F(CSSImportTest, CyclesAndDeepChainsEnd)
{
    write("a.css", "@import 'b.css'; .a { color: red }");
    write("b.css", "@import 'a.css'; @import 'b.css'; .b { color: green }");
    for (int i = 0; i < 40; ++i)
        write("chain" + std::to_string(i) + ".css",
              "@import 'chain" + std::to_string(i + 1) + ".css'; .c" + std::to_string(i) + " { color: blue }");
    auto document = page("<link rel=stylesheet href=a.css><link rel=stylesheet href=chain0.css>"
                         "<p id=a class=a>a</p><p id=b class=b>b</p><p id=near class=c1>c</p><p id=far class=c39>c</p>");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"near", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"far", u"color"), "rgb(0, 0, 0)") << "beyond the import depth limit";
}

TEST_F(CSSImportTest, ImportsComeFromTheProviderWhenThereIsOne)
{
    write("disk.css", ".p { color: red }");
    auto document = page("<style>@import 'disk.css'; @import 'http://example.com/remote.css';</style><p id=p class=p>p</p>");
    std::map<std::u16string, std::u16string> loaded { { u"http://example.com/remote.css", u"\uFEFF.p { margin-top: 4px }" } };
    std::vector<std::u16string> asked;
    CSSStyleResolver::forDocument(*document).setLinkedStyleSheetProvider(
        [&](const std::u16string& url) -> std::optional<std::u16string> {
            asked.push_back(url);
            auto found = loaded.find(url);
            return found == loaded.end() ? std::nullopt : std::optional<std::u16string>(found->second);
        });
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 0, 0)") << "never read from disk with a provider";
    EXPECT_EQ(value(document, u"p", u"margin-top"), "4px");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], u"file://" + toUTF16(folder) + u"/disk.css");
}

TEST(CSSStyleResolver, SpecifiedWidthsAndHeights)
{
    auto document = DOMDocument::parseHTML(
        u"<html style='font-size:10px'><style>#a { width: 12em; height: 3rem } #b { width: 50%; height: 25% }"
        u"#c { width: 20px; height: auto } #d { font-size: 20px; width: 2em }</style>"
        u"<div id=a></div><div id=b></div><div id=c></div><div id=d><p id=child></p></div><span id=e></span>",
        u"");
    EXPECT_EQ(cascaded(document, u"a", CSSPropertyID::Width), "120px") << "em of the inherited 10px";
    EXPECT_EQ(cascaded(document, u"a", CSSPropertyID::Height), "30px");
    EXPECT_EQ(cascaded(document, u"b", CSSPropertyID::Width), "50%");
    EXPECT_EQ(cascaded(document, u"b", CSSPropertyID::Height), "25%");
    EXPECT_EQ(cascaded(document, u"c", CSSPropertyID::Width), "20px");
    EXPECT_EQ(cascaded(document, u"c", CSSPropertyID::Height), "auto");
    EXPECT_EQ(cascaded(document, u"d", CSSPropertyID::Width), "40px");
    EXPECT_EQ(cascaded(document, u"child", CSSPropertyID::Width), "auto") << "widths are not inherited";
    // Without a layout the computed style has no used size to give.
    EXPECT_EQ(value(document, u"a", u"width"), "auto");
    EXPECT_EQ(value(document, u"b", u"height"), "auto");

    // With one, the used sizes in pixels; elements without a box stay "auto".
    CSSStyleResolver::forDocument(*document).setUsedSizeProvider([](const DOMElement& element) -> std::optional<CSSUsedSize> {
        if (element.id() == u"e")
            return std::nullopt;
        return CSSUsedSize { 123.5, 7 };
    });
    EXPECT_EQ(value(document, u"b", u"width"), "123.5px");
    EXPECT_EQ(value(document, u"b", u"height"), "7px");
    EXPECT_EQ(value(document, u"e", u"width"), "auto");
    auto typed = getComputedStyle(*document->getElementById(u"c"))->getPropertyCSSValue(u"width");
    EXPECT_EQ(static_cast<const CSSPrimitiveValue&>(*typed).getFloatValue(CSSPrimitiveValue::CSS_PX), 123.5);
    EXPECT_NE(getComputedStyle(*document->getElementById(u"c"))->cssText().find(u"height: 7px;"), std::u16string::npos);
    CSSStyleResolver::forDocument(*document).setUsedSizeProvider(nullptr);
    EXPECT_EQ(value(document, u"b", u"width"), "auto");
}

} // namespace css_import_and_size_tests
