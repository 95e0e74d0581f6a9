#include "platform/foundation/Text.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "ui/VornickColorDescription.h"
#include "ui/VornickColorDescriptionList.h"
#include "ui/VornickColorSwatchView.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickColorDescription, AColourComesBackAsTheHexItWasMadeFrom)
{
    // Every component value survives the trip through a colour, also when
    // colour conversions left it a hair below or above the whole value, and
    // the palette's colours with it ("#abb8c3" stays "#abb8c3").
    for (unsigned value = 0; value < 256; ++value) {
        unsigned green = 255 - value, blue = (value * 7) % 256;
        VornickColorDescription made(Color::sRGB((value - 0.001) / 255, (green + 0.3) / 255, (blue - 0.4) / 255));
        EXPECT_EQ(toUTF8(made.hexRGBString()), fmt::format("#{:02x}{:02x}{:02x}", value, green, blue));
    }
    for (const auto& palette : VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptions()) {
        ASSERT_TRUE(palette->color());
        VornickColorDescription made(*palette->color());
        EXPECT_EQ(made.hexRGBString(), palette->hexRGBString());
        EXPECT_FALSE(made.cssName());
        EXPECT_FALSE(made.displayName());
        // Equal by value, though it carries no name.
        EXPECT_TRUE(made == *palette);
    }
    // Greys have their value in every component; components out of range are clamped.
    EXPECT_EQ(VornickColorDescription(Color::gray()).hexRGBString(), u"#808080");
    EXPECT_EQ(VornickColorDescription(Color::sRGB(1.2, -0.1, 0.5)).hexRGBString(), u"#ff0080");
}

TEST(VornickColorDescription, OnlyAHashAndThreeHexPairsMakeAColour)
{
    auto color = VornickColorDescription(u"#0693E3").color();
    ASSERT_TRUE(color);
    EXPECT_EQ(*color, Color::sRGB(6 / 255.0, 147 / 255.0, 227 / 255.0, 1));
    for (const char16_t* text : { u"#fff", u"0693e3", u"#0693e", u"#0693e3 ", u"#0693g3", u"#+693e3", u"", u"var(--wp--preset--color--contrast)" })
        EXPECT_FALSE(VornickColorDescription(text).color()) << toUTF8(text);
}

TEST(VornickColorDescription, EqualityIsTheHexIgnoringCaseAndTheDescriptionNamesWhatIsPresent)
{
    auto palette = VornickColorDescription::create(u"#abb8c3", u"cyan-bluish-gray", u"Cyan bluish gray");
    auto upper = VornickColorDescription::create(u"#ABB8C3");
    auto other = VornickColorDescription::create(u"#abb8c4", u"cyan-bluish-gray");
    EXPECT_TRUE(*palette == *upper);
    EXPECT_FALSE(*palette == *other);
    EXPECT_TRUE(vornick_colorDescriptionsEqual(palette, upper));
    EXPECT_FALSE(vornick_colorDescriptionsEqual(palette, nullptr));
    EXPECT_FALSE(vornick_colorDescriptionsEqual(nullptr, nullptr));
    EXPECT_EQ(palette->description(), u"{#abb8c3 cyan-bluish-gray \"Cyan bluish gray\"}");
    EXPECT_EQ(upper->description(), u"{#ABB8C3}");
}

TEST(VornickColorDescriptionList, ThePaletteInOrderFoundByItsExactSlugs)
{
    const auto& palette = VornickColorDescriptionList::wordPressTextAndBackgroundColors();
    ASSERT_EQ(palette.colorDescriptions().size(), 12u);
    EXPECT_EQ(palette.colorDescriptions().front()->description(), u"{#000000 black \"Black\"}");
    EXPECT_EQ(palette.colorDescriptions()[4]->description(), u"{#cf2e2e vivid-red \"Vivid red\"}");
    EXPECT_EQ(palette.colorDescriptions().back()->description(), u"{#9b51e0 vivid-purple \"Vivid purple\"}");
    EXPECT_EQ(palette.colorDescriptionWithCSSName(u"vivid-red"), palette.colorDescriptions()[4]);
    EXPECT_FALSE(palette.colorDescriptionWithCSSName(u"Black"));
    EXPECT_FALSE(palette.colorDescriptionWithCSSName(u"contrast"));

    // A later description of a name replaces the earlier in the lookup only;
    // one without a name is listed but never found.
    VornickColorDescriptionList list;
    list.addColorDescriptionWithHexRGBString(u"#000000", u"contrast", std::nullopt);
    list.addColorDescriptionWithHexRGBString(u"#111111", u"contrast", u"Contrast");
    list.addColorDescriptionWithHexRGBString(u"#222222", std::nullopt, std::nullopt);
    ASSERT_EQ(list.colorDescriptions().size(), 3u);
    EXPECT_EQ(list.colorDescriptionWithCSSName(u"contrast"), list.colorDescriptions()[1]);
}

TEST(VornickColorSwatchView, TellsDescriptionsApartByIdentityAndFillsOnlyWithAColour)
{
    auto window = Window::create(Rect(0, 0, 100, 100));
    auto swatch = std::make_shared<VornickColorSwatchView>(Rect(10, 10, 19, 18));
    window->contentView()->addSubview(swatch);
    auto draw = [&] {
        window->graphicsContext().clear();
        window->contentView()->display(window->graphicsContext());
        return window->graphicsContext().commandsOfView(swatch.get());
    };

    auto red = VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(u"vivid-red");
    swatch->setColorDescription(red);
    auto commands = draw();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(commands[0].rect, Rect(0, 0, 19, 18));
    EXPECT_EQ(commands[0].color, *red->color());
    EXPECT_EQ(commands[0].operation, CompositingOperation::SourceOver);

    // The same description again: no redraw. An equal one (the same hex, no
    // name) is another description: stored and redrawn.
    swatch->setColorDescription(red);
    EXPECT_FALSE(swatch->needsDisplay());
    auto custom = VornickColorDescription::create(u"#CF2E2E");
    swatch->setColorDescription(custom);
    EXPECT_TRUE(swatch->needsDisplay());
    EXPECT_EQ(swatch->colorDescription(), custom);
    draw();

    // A description without a colour (a short hex) leaves the swatch empty.
    swatch->setColorDescription(VornickColorDescription::create(u"#fff"));
    EXPECT_TRUE(draw().empty());
    swatch->setColorDescription(nullptr);
    EXPECT_TRUE(draw().empty());

    // The selection is a ring inside the edge, white over a dark colour.
    swatch->setColorDescription(VornickColorDescription::create(u"#000000"));
    swatch->setShowsSelection(true);
    commands = draw();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1].kind, DrawCommand::Kind::StrokeRect);
    EXPECT_EQ(commands[1].color, Color::white());
}
