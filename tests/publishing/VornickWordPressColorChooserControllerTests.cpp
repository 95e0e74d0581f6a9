// The colour chooser: the palette's geometry and clicks, the hex well's
// drawing and label, and what the chooser hands its owner for each control.
#include "publishing/VornickWordPressColorChooserController.h"

#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/ColorPanel.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressHexColorWell.h"
#include "ui/VornickColorSwatchView.h"
#include "ui/VornickUITheme.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

using Description = VornickColorDescriptionList::Description;

const VornickColorDescriptionList& palette()
{
    return VornickColorDescriptionList::wordPressTextAndBackgroundColors();
}

struct ColorChooserTest : ::testing::Test {
    void SetUp() override
    {
        Application::shared().resetForTesting();
        ColorPanelDriver::shared().reset();
        window = Window::create(Rect(0, 0, 300, 120));
        window->makeKeyAndOrderFront();
        chooser = VornickWordPressColorChooserController::create();
        chooser->view()->setFrameOrigin({ 10, 10 });
        window->contentView()->addSubview(chooser->view());
        chooser->setColorChangeHandler([this](const Description& description) { changes.push_back(description); });
    }
    void TearDown() override
    {
        ColorPanelDriver::shared().reset();
        Application::shared().resetForTesting();
    }

    // The centre of a subview of the chooser, in the window.
    Point centreOf(const View& view) const
    {
        return view.convertPointToView({ view.bounds().midX(), view.bounds().midY() }, nullptr);
    }
    std::shared_ptr<VornickColorSwatchView> swatch(size_t index) const
    {
        return std::dynamic_pointer_cast<VornickColorSwatchView>(chooser->paletteView()->subviews().at(index));
    }
    std::vector<DrawCommand> drawn(const View& view)
    {
        window->graphicsContext().clear();
        window->contentView()->display(window->graphicsContext());
        return window->graphicsContext().commandsOfView(&view);
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<VornickWordPressColorChooserController> chooser;
    std::vector<Description> changes;
    EventSynthesizer events;
};

} // namespace

TEST_F(ColorChooserTest, ThePaletteLaysOutOneSwatchPerColourBetweenBorderGaps)
{
    auto paletteView = VornickWordPressColorPaletteView::create(Rect(0, 0, 241, 20));
    ASSERT_EQ(VornickUITheme::currentTheme().wordPressColorPaletteBorderWidthInPoints(), 1.0);
    EXPECT_EQ(paletteView->colorSwatchSize(), (Size { 19, 18 }));
    ASSERT_EQ(paletteView->subviews().size(), 12u);
    for (size_t index = 0; index < 12; ++index) {
        auto swatch = std::dynamic_pointer_cast<VornickColorSwatchView>(paletteView->subviews()[index]);
        ASSERT_TRUE(swatch);
        EXPECT_EQ(swatch->frame(), Rect(1 + 20.0 * index, 1, 19, 18));
        EXPECT_EQ(swatch->colorDescription(), palette().colorDescriptions()[index]);
        EXPECT_FALSE(swatch->isEnabled());
        EXPECT_FALSE(swatch->isBordered());
    }
    // Resized, the swatches follow; the ground is the border colour.
    paletteView->setFrameSize({ 481, 30 });
    EXPECT_EQ(paletteView->subviews().at(1)->frame(), Rect(41, 1, 39, 28));
    auto window = Window::create(Rect(0, 0, 500, 40));
    window->contentView()->addSubview(paletteView);
    window->contentView()->display(window->graphicsContext());
    auto ground = window->graphicsContext().commandsOfView(paletteView.get());
    ASSERT_EQ(ground.size(), 1u);
    EXPECT_EQ(ground[0].rect, Rect(0, 0, 481, 30));
    EXPECT_EQ(ground[0].color, *VornickUITheme::currentTheme().wordPressColorPaletteBorderColor());
}

TEST_F(ColorChooserTest, AClickOnASwatchChoosesItsPaletteColour)
{
    auto paletteView = chooser->paletteView();
    // Every point of the palette hits the palette, not its swatches.
    EXPECT_EQ(window->contentView()->hitTest(window->contentView()->convertPointFromView(centreOf(*swatch(3)), nullptr)), paletteView);

    events.click(window, centreOf(*swatch(4)));
    auto red = palette().colorDescriptionWithCSSName(u"vivid-red");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], red);
    EXPECT_EQ(chooser->colorDescription(), red);
    EXPECT_EQ(paletteView->selectedColorDescription(), red);
    EXPECT_TRUE(swatch(4)->showsSelection());
    EXPECT_FALSE(swatch(3)->showsSelection());
    EXPECT_EQ(chooser->colorWell()->color(), red->color());
    EXPECT_EQ(chooser->colorWell()->labelText(), u"#cf2e2e");

    // A click on the border between two swatches chooses nothing.
    Point gap = paletteView->convertPointToView({ 40.5, 10 }, nullptr);
    events.click(window, gap);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(ColorChooserTest, TheWellTakesAPickedColourAsACustomOneThatSelectsNoSwatch)
{
    chooser->setColorDescription(palette().colorDescriptionWithCSSName(u"black"));
    EXPECT_TRUE(swatch(0)->showsSelection());
    EXPECT_TRUE(changes.empty());

    // Picked equal to a palette colour, it is still custom: no name, and the
    // palette's swatch no longer shows the selection.
    ColorPanelDriver::shared().enqueueColor(Color::sRGB255(171, 184, 195));
    events.click(window, centreOf(*chooser->colorWell()));
    ASSERT_EQ(changes.size(), 1u);
    ASSERT_TRUE(changes[0]);
    EXPECT_EQ(changes[0]->hexRGBString(), u"#abb8c3");
    EXPECT_FALSE(changes[0]->cssName());
    EXPECT_EQ(chooser->colorDescription(), changes[0]);
    EXPECT_EQ(chooser->paletteView()->selectedColorDescription(), changes[0]);
    for (size_t index = 0; index < 12; ++index)
        EXPECT_FALSE(swatch(index)->showsSelection()) << index;
    EXPECT_EQ(chooser->colorWell()->labelText(), u"#abb8c3");

    // Clear: no colour, no label, and the owner told.
    events.click(window, centreOf(*chooser->clearColorButton()));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[1]);
    EXPECT_FALSE(chooser->colorDescription());
    EXPECT_EQ(chooser->colorWell()->color(), Color::clear());
    EXPECT_FALSE(chooser->colorWell()->labelText());
    EXPECT_FALSE(chooser->colorWell()->labelTextField()->superview());
}

TEST_F(ColorChooserTest, WhatThePaletteCannotShowIsLabelledWithItsSlugOrValue)
{
    // A theme's own slug: its colour under its name.
    auto contrast = VornickColorDescription::create(u"#000000", u"contrast");
    chooser->setColorDescription(contrast);
    EXPECT_EQ(chooser->colorWell()->labelText(), u"contrast");
    EXPECT_EQ(chooser->colorWell()->color(), Color::sRGB(0, 0, 0, 1));
    for (size_t index = 0; index < 12; ++index)
        EXPECT_FALSE(swatch(index)->showsSelection()) << index;

    // A value that is no "#" hex: no colour, labelled with the value.
    chooser->setColorDescription(VornickColorDescription::create(u"var(--wp--preset--color--primary)"));
    EXPECT_EQ(chooser->colorWell()->labelText(), u"var(--wp--preset--color--primary)");
    EXPECT_EQ(chooser->colorWell()->color(), Color::clear());
    EXPECT_TRUE(changes.empty());

    EXPECT_EQ(VornickWordPressColorChooserController::labelTextForColorDescription(palette().colorDescriptionWithCSSName(u"white")), u"#ffffff");
    EXPECT_FALSE(VornickWordPressColorChooserController::labelTextForColorDescription(nullptr));
}

TEST_F(ColorChooserTest, TheHexWellDrawsItsBorderItsColourAndItsLabelCentred)
{
    auto well = chooser->colorWell();
    chooser->setColorDescription(palette().colorDescriptionWithCSSName(u"vivid-purple"));
    auto commands = drawn(*well);
    auto& theme = VornickUITheme::currentTheme();
    double border = theme.wordPressHexColorWellBorderWidthInPoints();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::StrokeRect);
    EXPECT_EQ(commands[0].rect, well->bounds().insetBy(border / 2, border / 2));
    EXPECT_EQ(commands[0].lineWidth, border);
    EXPECT_EQ(commands[0].color, *theme.wordPressHexColorWellBorderColor());
    EXPECT_EQ(commands[1].kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(commands[1].rect, well->bounds().insetBy(border, border));
    EXPECT_EQ(commands[1].color, *palette().colorDescriptionWithCSSName(u"vivid-purple")->color());

    auto label = well->labelTextField();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->superview(), well);
    Size size = label->naturalSize();
    EXPECT_EQ(label->frame(), Rect(std::floor((well->bounds().width() - size.width) / 2),
                                   std::floor((well->bounds().height() - size.height) / 2), size.width, size.height));
    auto text = drawn(*label);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].text, u"#9b51e0");
    // Over a dark colour the label is white, over a light one black.
    EXPECT_EQ(text[0].color, Color::white());
    chooser->setColorDescription(palette().colorDescriptionWithCSSName(u"pale-pink"));
    text = drawn(*label);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].color, Color::black());
    // Drawing again leaves the label as it was: no redraw without end.
    EXPECT_FALSE(label->needsDisplay());
    EXPECT_FALSE(well->needsDisplay());
}
