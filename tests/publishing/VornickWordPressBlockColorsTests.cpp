// Reading and writing one colour of a block: the JSON properties, the
// classes and the inline declarations the block editor keeps for it, and
// what no chooser can show staying as it was.
#include "publishing/VornickWordPressBlockColors.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace brevanton;

namespace {

using Role = VornickWordPressBlockColorRole;

const VornickColorDescriptionList& palette()
{
    return VornickColorDescriptionList::wordPressTextAndBackgroundColors();
}

std::optional<Dictionary> json(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    auto value = readJSON(text, nullptr);
    EXPECT_TRUE(value && value->isDictionary()) << text;
    return value && value->isDictionary() ? std::optional<Dictionary>(value->dictionary()) : std::nullopt;
}

std::string describe(const std::optional<Dictionary>& properties)
{
    return properties ? Value(*properties).description() : "none";
}

std::multiset<std::u16string> classSet(const DOMElement& element)
{
    std::multiset<std::u16string> names;
    std::u16string text = element.getAttribute(u"class");
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u' ', start);
        if (end == std::u16string::npos)
            end = text.size();
        if (end > start)
            names.insert(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string describeJSON(std::string_view text)
{
    return describe(json(text));
}

// One block's element and properties, written one colour at a time.
struct Block {
    Block(std::string_view properties, std::u16string_view classes, std::optional<std::u16string_view> style = std::nullopt)
        : document(DOMDocument::createHTMLDocument())
        , element(document->createElement(u"p"))
        , properties(json(properties))
    {
        if (!classes.empty())
            element->setAttribute(u"class", classes);
        if (style)
            element->setAttribute(u"style", *style);
    }
    bool write(Role role, const VornickColorDescriptionList::Description& description)
    {
        return vornick_writeWordPressBlockColor(role, description, properties, *element);
    }
    std::string propertiesText() const { return describe(properties); }

    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<DOMElement> element;
    std::optional<Dictionary> properties;
};

} // namespace

TEST(VornickWordPressBlockColors, PaletteAndCustomColoursAreWrittenAsTheBlockEditorWritesThem)
{
    // Palette Black for text on a plain paragraph: the slug and two classes
    // before the paragraph's own, no style.
    Block block("", u"has-drop-cap");
    ASSERT_TRUE(block.write(Role::Text, palette().colorDescriptionWithCSSName(u"black")));
    EXPECT_EQ(block.propertiesText(), describeJSON(R"j({"textColor":"black"})j"));
    EXPECT_EQ(block.element->getAttribute(u"class"), u"has-black-color has-text-color has-drop-cap");
    EXPECT_FALSE(block.element->hasAttribute(u"style"));

    // A custom text colour replaces the slug and its class.
    ASSERT_TRUE(block.write(Role::Text, VornickColorDescription::create(u"#123abc")));
    EXPECT_EQ(block.propertiesText(), describeJSON(R"j({"style":{"color":{"text":"#123abc"}}})j"));
    EXPECT_EQ(block.element->getAttribute(u"class"), u"has-text-color has-drop-cap");
    EXPECT_EQ(block.element->getAttribute(u"style"), u"color:#123abc");

    // Vivid red background: its classes go first, the text colour stays.
    ASSERT_TRUE(block.write(Role::Background, palette().colorDescriptionWithCSSName(u"vivid-red")));
    EXPECT_EQ(block.propertiesText(), describeJSON(R"j({"backgroundColor":"vivid-red","style":{"color":{"text":"#123abc"}}})j"));
    EXPECT_EQ(block.element->getAttribute(u"class"), u"has-vivid-red-background-color has-background has-text-color has-drop-cap");
    EXPECT_EQ(block.element->getAttribute(u"style"), u"color:#123abc");

    // A custom background, then both cleared: nothing of either is left.
    ASSERT_TRUE(block.write(Role::Background, VornickColorDescription::create(u"#ffffff")));
    EXPECT_EQ(block.element->getAttribute(u"style"), u"background-color:#ffffff;color:#123abc");
    ASSERT_TRUE(block.write(Role::Text, nullptr));
    ASSERT_TRUE(block.write(Role::Background, nullptr));
    EXPECT_FALSE(block.properties && !block.properties->empty()) << block.propertiesText();
    EXPECT_EQ(block.element->getAttribute(u"class"), u"has-drop-cap");
    EXPECT_FALSE(block.element->hasAttribute(u"style"));
}

TEST(VornickWordPressBlockColors, ChangingOneColourKeepsWhatTheOtherHoldsAndWhatNoChooserShows)
{
    // The theme's own slug for the background, a custom value that is no hex
    // for the link colour and a border colour: a text change leaves them all.
    Block block(R"j({"backgroundColor":"contrast","textColor":"white","borderColor":"vivid-red",)j"
                R"j("style":{"color":{"background":"var(--x)"},"elements":{"link":{"color":{"text":"var:preset|color|base"}}}}})j",
                u"has-white-color has-contrast-background-color has-text-color has-background has-link-color "
                u"has-border-color has-vivid-red-border-color",
                u"background-color:var(--x)");
    ASSERT_TRUE(block.write(Role::Text, palette().colorDescriptionWithCSSName(u"pale-pink")));
    EXPECT_EQ(block.propertiesText(), describeJSON(R"j({"backgroundColor":"contrast","textColor":"pale-pink","borderColor":"vivid-red",)j"
                                     R"j("style":{"color":{"background":"var(--x)"},"elements":{"link":{"color":{"text":"var:preset|color|base"}}}}})j"));
    EXPECT_EQ(classSet(*block.element),
              (std::multiset<std::u16string> { u"has-pale-pink-color", u"has-text-color", u"has-contrast-background-color", u"has-background",
                                               u"has-link-color", u"has-border-color", u"has-vivid-red-border-color" }));
    EXPECT_EQ(block.element->getAttribute(u"style"), u"background-color:var(--x)");

    // Clearing the text keeps everything that is not the text colour's.
    ASSERT_TRUE(block.write(Role::Text, nullptr));
    EXPECT_EQ(classSet(*block.element),
              (std::multiset<std::u16string> { u"has-contrast-background-color", u"has-background", u"has-link-color", u"has-border-color",
                                               u"has-vivid-red-border-color" }));

    // A gradient keeps "has-background" when the background colour goes.
    Block gradient(R"j({"backgroundColor":"black","gradient":"vivid-cyan-blue-to-vivid-purple"})j",
                   u"has-black-background-color has-vivid-cyan-blue-to-vivid-purple-gradient-background has-background");
    ASSERT_TRUE(gradient.write(Role::Background, nullptr));
    EXPECT_EQ(gradient.element->getAttribute(u"class"), u"has-vivid-cyan-blue-to-vivid-purple-gradient-background has-background");
    EXPECT_EQ(gradient.propertiesText(), describeJSON(R"j({"gradient":"vivid-cyan-blue-to-vivid-purple"})j"));
}

TEST(VornickWordPressBlockColors, OldDeclarationsGoWhateverTheirSpacingAndCase)
{
    // After "; " and in other letter case, the old colour is still the old colour.
    Block block(R"j({"style":{"color":{"text":"#111111"},"typography":{"fontSize":"12px"}}})j", u"has-text-color",
                u"font-size:12px; Color :#111111;background-color:#eeeeee");
    ASSERT_TRUE(block.write(Role::Text, VornickColorDescription::create(u"#222222")));
    EXPECT_EQ(block.element->getAttribute(u"style"), u"color:#222222;font-size:12px;background-color:#eeeeee");
    EXPECT_EQ(block.propertiesText(), describeJSON(R"j({"style":{"color":{"text":"#222222"},"typography":{"fontSize":"12px"}}})j"));
    // A border colour's declaration is no text colour.
    Block border("", u"", u"border-color:#000000;color:#ffffff");
    ASSERT_TRUE(border.write(Role::Text, nullptr));
    EXPECT_EQ(border.element->getAttribute(u"style"), u"border-color:#000000");
}

TEST(VornickWordPressBlockColors, AStyleThatIsNoObjectLeavesTheBlockAsItWas)
{
    for (auto properties : { R"j({"style":"color:red"})j", R"j({"style":{"color":"red"}})j" }) {
        Block block(properties, u"has-text-color", u"color:red");
        auto before = block.properties;
        EXPECT_FALSE(block.write(Role::Text, palette().colorDescriptionWithCSSName(u"black")));
        EXPECT_EQ(block.propertiesText(), describe(before));
        EXPECT_EQ(block.element->getAttribute(u"class"), u"has-text-color");
        EXPECT_EQ(block.element->getAttribute(u"style"), u"color:red");
    }
}

TEST(VornickWordPressBlockColors, SlugClassesAreSpelledAsTheEditorSpellsThem)
{
    EXPECT_EQ(vornick_wordPressKebabCase(u"vivid-red"), u"vivid-red");
    EXPECT_EQ(vornick_wordPressKebabCase(u"accent2"), u"accent-2");
    EXPECT_EQ(vornick_wordPressKebabCase(u"darkGray"), u"dark-gray");
    EXPECT_EQ(vornick_wordPressKebabCase(u"XMLHttp_colour"), u"xml-http-colour");
    // An old camel-case slug's class goes whichever way it was spelled.
    Block block(R"j({"textColor":"darkGray"})j", u"has-dark-gray-color has-text-color");
    ASSERT_TRUE(block.write(Role::Text, palette().colorDescriptionWithCSSName(u"white")));
    EXPECT_EQ(block.element->getAttribute(u"class"), u"has-white-color has-text-color");
}

TEST(VornickWordPressBlockColors, TheChoosersShowPaletteThemeAndCustomColours)
{
    auto theme = vornick_wordPressPresetColorsFromStyleSheetText(
        u"body{--wp--preset--color--base: #FFF;--wp--preset--color--contrast : #000000 ;--wp--preset--color--tertiary: rgb(1, 2, 3)}");
    ASSERT_EQ(theme.colorDescriptions().size(), 3u);
    EXPECT_EQ(theme.colorDescriptions()[0]->description(), u"{#ffffff base}");
    EXPECT_EQ(theme.colorDescriptions()[1]->description(), u"{#000000 contrast}");
    EXPECT_EQ(theme.colorDescriptions()[2]->description(), u"{rgb(1, 2, 3) tertiary}");

    auto properties = json(R"j({"textColor":"vivid-red","backgroundColor":"contrast"})j");
    EXPECT_EQ(vornick_wordPressBlockColorDescription(properties, Role::Text, theme), palette().colorDescriptionWithCSSName(u"vivid-red"));
    EXPECT_EQ(vornick_wordPressBlockColorDescription(properties, Role::Background, theme), theme.colorDescriptionWithCSSName(u"contrast"));
    // A slug nobody declares: named, without a colour.
    auto unknown = vornick_wordPressBlockColorDescription(json(R"j({"textColor":"primary"})j"), Role::Text, VornickColorDescriptionList());
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->cssName(), u"primary");
    EXPECT_FALSE(unknown->color());
    // Custom values, hex or not.
    properties = json(R"j({"style":{"color":{"text":"#ABCDEF","background":"var(--x)"}}})j");
    EXPECT_EQ(vornick_wordPressBlockColorDescription(properties, Role::Text, theme)->description(), u"{#ABCDEF}");
    EXPECT_EQ(vornick_wordPressBlockColorDescription(properties, Role::Background, theme)->description(), u"{var(--x)}");
    EXPECT_FALSE(vornick_wordPressBlockColorDescription(json(R"j({"style":"x"})j"), Role::Text, theme));
    EXPECT_FALSE(vornick_wordPressBlockColorDescription(std::nullopt, Role::Text, theme));

    // Declarations cut short or malformed give nothing and stop nothing.
    for (const char16_t* text : { u"--wp--preset--color--", u"--wp--preset--color--x", u"--wp--preset--color--x:",
                                  u"--wp--preset--color--x :  ;", u"--wp--preset--color--:#fff", u"--wp--preset--color--é:#fff" })
        EXPECT_TRUE(vornick_wordPressPresetColorsFromStyleSheetText(text).colorDescriptions().empty()) << toUTF8(text);
    auto cut = vornick_wordPressPresetColorsFromStyleSheetText(u"--wp--preset--color--a:#ABCDEF;--wp--preset--color--b: #123");
    ASSERT_EQ(cut.colorDescriptions().size(), 2u);
    EXPECT_EQ(cut.colorDescriptions()[0]->hexRGBString(), u"#abcdef");
    EXPECT_EQ(cut.colorDescriptions()[1]->hexRGBString(), u"#112233");

    // The theme template's own palette.
    std::ifstream stream(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-templates/twentytwentythree-post.html", std::ios::binary);
    std::stringstream contents;
    contents << stream.rdbuf();
    auto document = parseHTMLDocument(contents.str());
    ASSERT_TRUE(document);
    auto templateColors = vornick_wordPressPresetColorsInDocument(*document);
    ASSERT_TRUE(templateColors.colorDescriptionWithCSSName(u"contrast"));
    EXPECT_EQ(templateColors.colorDescriptionWithCSSName(u"contrast")->hexRGBString(), u"#000000");
    EXPECT_EQ(templateColors.colorDescriptionWithCSSName(u"base")->hexRGBString(), u"#ffffff");
}
