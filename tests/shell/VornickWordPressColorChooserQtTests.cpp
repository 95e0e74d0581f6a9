// The colour chooser in a real Qt window (offscreen): the palette's swatches
// painted in their colours, a click on one showing the selection and the
// colour in the well, and a click on the well taking its panel's colour.
#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/views/Application.h"
#include "platform/views/ColorPanel.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressColorChooserController.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressHexColorWell.h"
#include "platform/foundation/Text.h"
#include "ui/VornickColorSwatchView.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace brevanton {
namespace {

class VornickWordPressColorChooserQtTests : public ::testing::Test {
protected:
    std::unique_ptr<QtWindowBackend> backend;
    std::shared_ptr<Window> window;
    std::shared_ptr<VornickWordPressColorChooserController> chooser;
    std::vector<VornickColorDescriptionList::Description> changes;

    void SetUp() override
    {
        testing::qtApplication();
        backend = std::make_unique<QtWindowBackend>();
        window = Window::create(Rect(100, 150, 300, 120));
        chooser = VornickWordPressColorChooserController::create();
        chooser->view()->setFrameOrigin({ 20, 20 });
        window->contentView()->addSubview(chooser->view());
        chooser->setColorChangeHandler([this](const auto& description) { changes.push_back(description); });
        window->makeKeyAndOrderFront();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        ColorPanelDriver::shared().reset();
        window->close();
        window.reset();
        QCoreApplication::processEvents();
        backend.reset();
        Application::shared().resetForTesting();
    }

    QtWindowWidget* widget() const { return backend->widgetForWindow(*window); }
    // A point of a view in the widget's coordinates.
    QPoint pointIn(const View& view, Point point) const
    {
        Point base = view.convertPointToView(point, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }
    QPoint centreOf(const View& view) const { return pointIn(view, { view.bounds().midX(), view.bounds().midY() }); }
    std::shared_ptr<VornickColorSwatchView> swatch(size_t index) const
    {
        return std::dynamic_pointer_cast<VornickColorSwatchView>(chooser->paletteView()->subviews().at(index));
    }
    static QColor colorOf(const VornickColorDescriptionList::Description& description)
    {
        return QColor(QString::fromStdU16String(description->hexRGBString()));
    }
    QImage picture() const { return widget()->grab().toImage(); }
};

} // namespace

TEST_F(VornickWordPressColorChooserQtTests, SwatchesShowThePalettesColoursAndAClickedOneShowsTheSelection)
{
    ASSERT_NE(widget(), nullptr);
    QImage image = picture();
    const auto& colors = VornickWordPressColorPaletteView::colors();
    ASSERT_EQ(colors.size(), 12u);
    for (size_t index = 0; index < colors.size(); ++index)
        EXPECT_EQ(image.pixelColor(centreOf(*swatch(index))), colorOf(colors[index])) << index;

    // Vivid red clicked: the owner gets the palette's own description, the
    // swatch a white ring inside its edge, the well its colour.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreOf(*swatch(4)));
    QCoreApplication::processEvents();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], colors[4]);
    image = picture();
    EXPECT_EQ(image.pixelColor(pointIn(*swatch(4), { 1, 1 })), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(centreOf(*swatch(4))), colorOf(colors[4]));
    EXPECT_EQ(image.pixelColor(pointIn(*swatch(3), { 1, 1 })), colorOf(colors[3]));
    auto well = chooser->colorWell();
    EXPECT_EQ(image.pixelColor(pointIn(*well, { 4, 4 })), colorOf(colors[4]));
    // The well's label (its hex) is drawn over the colour, centred.
    QRect label;
    for (int y = pointIn(*well, { 0, well->bounds().height() - 3 }).y(); y <= pointIn(*well, { 0, 3 }).y(); ++y) {
        for (int x = pointIn(*well, { 3, 0 }).x(); x <= pointIn(*well, { well->bounds().width() - 3, 0 }).x(); ++x) {
            if (image.pixelColor(x, y) != colorOf(colors[4]))
                label |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(label.isEmpty());
    EXPECT_NEAR(label.center().x(), centreOf(*well).x(), 3);
}

TEST_F(VornickWordPressColorChooserQtTests, AClickOnTheWellTakesTheColourPickedInItsPanel)
{
    // The panel's answer comes from the driver (the dialog itself is tested
    // with the Qt panels): a click anywhere on the well, its label included.
    ColorPanelDriver::shared().enqueueColor(Color::sRGB255(0x12, 0x34, 0x56));
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreOf(*chooser->colorWell()));
    QCoreApplication::processEvents();
    ASSERT_EQ(changes.size(), 1u);
    ASSERT_TRUE(changes[0]);
    EXPECT_EQ(changes[0]->hexRGBString(), u"#123456");
    EXPECT_EQ(picture().pixelColor(pointIn(*chooser->colorWell(), { 4, 4 })), QColor(0x12, 0x34, 0x56));
}

// Repaints nothing asked for replay what was recorded; a colour the block's
// comment gives the chooser is painted at the very next repaint, as is the
// selection going back to none.
TEST_F(VornickWordPressColorChooserQtTests, AColourSetFromTheBlockIsPaintedAtTheNextRepaint)
{
    const auto& palette = VornickColorDescriptionList::wordPressTextAndBackgroundColors();
    auto well = chooser->colorWell();
    widget()->repaint();
    auto recorded = widget()->lastPaintedCommands().size();
    widget()->repaint();
    EXPECT_EQ(widget()->lastPaintedCommands().size(), recorded);

    for (const char16_t* name : { u"vivid-red", u"black", u"pale-cyan-blue" }) {
        auto description = palette.colorDescriptionWithCSSName(name);
        ASSERT_TRUE(description);
        chooser->setColorDescription(description);
        widget()->repaint();
        QImage image = picture();
        EXPECT_EQ(image.pixelColor(pointIn(*well, { 4, 4 })), colorOf(description)) << toUTF8(name);
        auto index = std::find(palette.colorDescriptions().begin(), palette.colorDescriptions().end(), description)
            - palette.colorDescriptions().begin();
        EXPECT_NE(image.pixelColor(pointIn(*swatch(static_cast<size_t>(index)), { 1, 1 })), colorOf(description)) << toUTF8(name);
    }
    chooser->setColorDescription(nullptr);
    widget()->repaint();
    EXPECT_NE(picture().pixelColor(pointIn(*well, { 4, 4 })), colorOf(palette.colorDescriptionWithCSSName(u"pale-cyan-blue")));
    EXPECT_TRUE(widget()->lastPaintedCommands().size() < recorded + 2);
}

} // namespace brevanton
