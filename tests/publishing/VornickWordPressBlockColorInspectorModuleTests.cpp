// The colour module on block posts: a palette colour clicked in the
// popover and a custom one from the well, each one undo step that Undo takes
// back byte for byte; what the choosers show for palette, theme and custom
// colours; a change to one colour keeping the other as it was; and the post
// WordPress reads back, each comment's JSON as WordPress writes it.
#include "tests/publishing/BlockInspectorTestSupport.h"

#include "platform/views/ColorPanel.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressColorChooserController.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressHexColorWell.h"
#include "ui/VornickColorSwatchView.h"

#include <set>

namespace brevanton {
namespace {

constexpr const char16_t* themedPost
    = u"<!-- wp:paragraph {\"backgroundColor\":\"contrast\",\"style\":{\"color\":{\"text\":\"var(--wp--preset--color--base)\"},"
      u"\"elements\":{\"link\":{\"color\":{\"text\":\"var:preset|color|contrast\"}}}}} -->\n"
      u"<p class=\"has-text-color has-contrast-background-color has-background has-link-color\" "
      u"style=\"color:var(--wp--preset--color--base)\">Dark paragraph.</p>\n<!-- /wp:paragraph -->\n\n"
      u"<!-- wp:heading {\"placeholder\":\"a -- b \\u003c c \\u003e d \\u0026 \\u0022e\\u0022 / été\"} -->\n"
      u"<h2 class=\"wp-block-heading\">Odd heading</h2>\n<!-- /wp:heading -->\n\n"
      u"<!-- wp:paragraph {\"style\":\"color:red\"} -->\n<p style=\"color:red\">Styled by hand.</p>\n<!-- /wp:paragraph -->";

using Description = VornickColorDescriptionList::Description;

class VornickWordPressBlockColorInspectorModuleTests : public BlockInspectorTest {
protected:
    void TearDown() override
    {
        ColorPanelDriver::shared().reset();
        BlockInspectorTest::TearDown();
    }

    std::shared_ptr<VornickWordPressBlockColorInspectorModule> colors() const
    {
        return module<VornickWordPressBlockColorInspectorModule>();
    }
    // Clicks the palette's swatch of the slug in the popover, as the user does.
    void clickSwatch(const std::shared_ptr<VornickWordPressColorChooserController>& chooser, const std::u16string& slug)
    {
        ASSERT_TRUE(chooser);
        auto palette = chooser->paletteView();
        auto description = VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(slug);
        auto swatch = palette->swatchForColorDescription(description);
        ASSERT_TRUE(swatch);
        auto window = palette->window();
        ASSERT_TRUE(window) << "the popover shows the module";
        EventSynthesizer events;
        events.click(window, swatch->convertPointToView({ swatch->bounds().midX(), swatch->bounds().midY() }, nullptr));
        endEvent();
    }
    void clickWell(const std::shared_ptr<VornickWordPressColorChooserController>& chooser)
    {
        auto well = chooser->colorWell();
        EventSynthesizer events;
        events.click(well->window(), well->convertPointToView({ 4, 4 }, nullptr));
        endEvent();
    }
    static std::set<std::u16string> classSet(const DOMElement& element)
    {
        std::set<std::u16string> names;
        std::u16string text = element.getAttribute(u"class");
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(u' ', start);
            if (end == std::u16string::npos)
                end = text.size();
            if (end > start)
                names.insert(text.substr(start, end - start));
            start = end + 1;
        }
        return names;
    }
    static Value withAttributes(Value block, Dictionary attributes)
    {
        auto dictionary = block.dictionary();
        dictionary.insert_or_assign(u"attrs", attributes.empty() ? Value(Array()) : Value(std::move(attributes)));
        return Value(std::move(dictionary));
    }
    static Value json(const std::string& text)
    {
        auto value = readJSON(text, nullptr);
        EXPECT_TRUE(value) << text;
        return value.value_or(Value());
    }
};

} // namespace

TEST_F(VornickWordPressBlockColorInspectorModuleTests, APaletteColourClickedIsOneStepThatUndoTakesBackByteForByte)
{
    showDataPost("travel-article.html");
    auto treeBefore = serverTree(storedBody);
    ASSERT_TRUE(treeBefore && treeBefore->isArray());
    auto before = pointElement(u"body")->innerHTML();
    inspect(elementWithText(u"p", u"We left Lisbon"));
    ASSERT_TRUE(colors());
    EXPECT_FALSE(colors()->textColorChooser()->colorDescription());
    EXPECT_FALSE(colors()->backgroundColorChooser()->colorDescription());

    clickSwatch(colors()->backgroundColorChooser(), u"vivid-red");
    EXPECT_EQ(undo().undoActionName(), u"Change Block Property");
    auto paragraph = elementWithText(u"p", u"We left Lisbon");
    EXPECT_EQ(paragraph->getAttribute(u"class"), u"has-vivid-red-background-color has-background");
    EXPECT_FALSE(paragraph->hasAttribute(u"style"));
    EXPECT_EQ(targetStartComment(), u" wp:paragraph {\"backgroundColor\":\"vivid-red\"} ");
    // The module stays on the new block and shows the palette's own colour, chosen.
    ASSERT_TRUE(colors());
    auto red = VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(u"vivid-red");
    EXPECT_EQ(colors()->backgroundColorChooser()->colorDescription(), red);
    EXPECT_TRUE(colors()->backgroundColorChooser()->paletteView()->swatchForColorDescription(red)->showsSelection());
    EXPECT_EQ(colors()->backgroundColorChooser()->colorWell()->labelText(), u"#cf2e2e");

    // WordPress reads the same tree with only that block's attributes changed.
    auto body = writtenBody();
    auto treeAfter = serverTree(body);
    ASSERT_TRUE(treeAfter && treeAfter->isArray());
    auto expected = treeBefore->array();
    size_t index = 0;
    while (index < expected.size() && !(expected[index][u"name"] == Value(u"core/paragraph")))
        ++index;
    ASSERT_LT(index, expected.size());
    expected[index] = withAttributes(expected[index], Dictionary { { u"backgroundColor", Value(u"vivid-red") } });
    EXPECT_EQ(*treeAfter, Value(expected)) << toUTF8(body);

    // Clicking the chosen colour again is no change.
    clickSwatch(colors()->backgroundColorChooser(), u"vivid-red");
    EXPECT_EQ(writtenBody(), body);

    // Undo restores the post byte for byte and reopens the editor; Redo repeats.
    editor()->closePopover();
    undo().undo();
    endEvent();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), before);
    EXPECT_EQ(writtenBody().find(u"vivid-red"), std::u16string::npos);
    EXPECT_TRUE(editor()->popover()->isShown());
    ASSERT_TRUE(colors());
    EXPECT_FALSE(colors()->backgroundColorChooser()->colorDescription());
    undo().redo();
    endEvent();
    EXPECT_EQ(writtenBody(), body);
}

TEST_F(VornickWordPressBlockColorInspectorModuleTests, ACustomColourFromTheWellIsWrittenInlineAndInTheStyle)
{
    showDataPost("recipe-notes.html");
    auto before = pointElement(u"body")->innerHTML();
    inspect(elementWithText(u"h2", u"Sourdough"));
    // The dialog gives a colour a hair off #abb8c3: it is written as that hex.
    ColorPanelDriver::shared().enqueueColor(Color::sRGB(170.9996 / 255, 184 / 255.0, 195.0004 / 255));
    clickWell(colors()->textColorChooser());
    ASSERT_EQ(ColorPanelDriver::shared().shownPanels().size(), 1u);
    auto heading = elementWithText(u"h2", u"Sourdough");
    EXPECT_EQ(heading->getAttribute(u"class"), u"has-text-color wp-block-heading");
    EXPECT_EQ(heading->getAttribute(u"style"), u"color:#abb8c3");
    EXPECT_EQ(targetStartComment(), u" wp:heading {\"level\":2,\"style\":{\"color\":{\"text\":\"#abb8c3\"}}} ");
    EXPECT_EQ(colors()->textColorChooser()->colorWell()->labelText(), u"#abb8c3");

    auto body = writtenBody();
    auto written = writtenCommentJSON(body, u"wp:heading ");
    EXPECT_EQ(testing::runWordPressOracleText("attributes", written).value_or(""), written);
    auto tree = serverTree(body);
    ASSERT_TRUE(tree && tree->isArray() && !tree->array().empty());
    EXPECT_EQ(tree->array()[0][u"attrs"], json(R"j({"level":2,"style":{"color":{"text":"#abb8c3"}}})j"));

    // Palette Black replaces the custom colour: slug, two classes, no style.
    clickSwatch(colors()->textColorChooser(), u"black");
    heading = elementWithText(u"h2", u"Sourdough");
    EXPECT_EQ(heading->getAttribute(u"class"), u"has-black-color has-text-color wp-block-heading");
    EXPECT_FALSE(heading->hasAttribute(u"style"));
    EXPECT_EQ(targetStartComment(), u" wp:heading {\"level\":2,\"textColor\":\"black\"} ");

    // Clear: the heading is as it was stored, and the two changes are two steps.
    colors()->textColorChooser()->clearToNoColor(nullptr);
    endEvent();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), before);
    undo().undo();
    endEvent();
    undo().undo();
    endEvent();
    EXPECT_EQ(writtenBody(), body);
}

TEST_F(VornickWordPressBlockColorInspectorModuleTests, ChangingOneColourKeepsTheThemesSlugAndTheCustomValueOfTheOther)
{
    showBlockPost(themedPost);
    auto treeBefore = serverTree(storedBody);
    ASSERT_TRUE(treeBefore && treeBefore->isArray() && treeBefore->array().size() == 3);
    inspect(elementWithText(u"p", u"Dark paragraph"));
    // The theme's slug shows its colour from the theme's style sheet, under
    // its name; a custom value that is no hex shows no colour, under the value.
    auto background = colors()->backgroundColorChooser();
    ASSERT_TRUE(background->colorDescription());
    EXPECT_EQ(background->colorDescription()->cssName(), u"contrast");
    EXPECT_EQ(background->colorWell()->labelText(), u"contrast");
    EXPECT_EQ(background->colorWell()->color(), Color::sRGB(0, 0, 0, 1));
    auto text = colors()->textColorChooser();
    EXPECT_EQ(text->colorWell()->labelText(), u"var(--wp--preset--color--base)");
    EXPECT_EQ(text->colorWell()->color(), Color::clear());

    // White for the background: the text colour, its class and declaration
    // and the link colour stay.
    clickSwatch(background, u"white");
    auto paragraph = elementWithText(u"p", u"Dark paragraph");
    EXPECT_EQ(classSet(*paragraph),
              (std::set<std::u16string> { u"has-white-background-color", u"has-background", u"has-text-color", u"has-link-color" }));
    EXPECT_EQ(paragraph->getAttribute(u"style"), u"color:var(--wp--preset--color--base)");
    EXPECT_EQ(text->colorWell()->labelText(), u"var(--wp--preset--color--base)");

    // The text colour cleared: the link colour stays, in the JSON and the classes.
    clickSwatch(colors()->textColorChooser(), u"vivid-purple");
    colors()->textColorChooser()->clearToNoColor(nullptr);
    endEvent();
    paragraph = elementWithText(u"p", u"Dark paragraph");
    EXPECT_EQ(classSet(*paragraph), (std::set<std::u16string> { u"has-white-background-color", u"has-background", u"has-link-color" }));
    EXPECT_FALSE(paragraph->hasAttribute(u"style"));

    // A heading whose other attributes hold "--", "<", ">", "&", '"', "/" and
    // non-ASCII text: its comment is still what WordPress writes.
    inspect(elementWithText(u"h2", u"Odd heading"));
    clickSwatch(colors()->backgroundColorChooser(), u"pale-cyan-blue");
    // A hand-made style that is no object: the block is left alone.
    inspect(elementWithText(u"p", u"Styled by hand"));
    auto position = undo().undoPosition();
    clickSwatch(colors()->textColorChooser(), u"black");
    EXPECT_EQ(undo().undoPosition(), position);

    auto body = writtenBody();
    for (const auto* type : { u"wp:paragraph ", u"wp:heading " }) {
        auto written = writtenCommentJSON(body, type);
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(testing::runWordPressOracleText("attributes", written).value_or(""), written);
    }
    auto treeAfter = serverTree(body);
    ASSERT_TRUE(treeAfter && treeAfter->isArray());
    auto expected = treeBefore->array();
    expected[0] = withAttributes(expected[0], json(R"j({"backgroundColor":"white","style":{"elements":{"link":{"color":{"text":"var:preset|color|contrast"}}}}})j").dictionary());
    auto headingAttributes = expected[1][u"attrs"].dictionary();
    headingAttributes.insert_or_assign(u"backgroundColor", Value(u"pale-cyan-blue"));
    expected[1] = withAttributes(expected[1], headingAttributes);
    EXPECT_EQ(*treeAfter, Value(expected)) << toUTF8(body);
}

} // namespace brevanton
