#include "tests/platform/views/qt/QtBackendWindowTest.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/views/Button.h"
#include "platform/views/ControlSizing.h"
#include "platform/views/FindBarView.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/TextFinder.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/Window.h"
#include "platform/views/TextField.h"
#include "platform/views/qt/QtControlStyle.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtFontMetricsProvider.h"

#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QToolTip>

#include <functional>

using namespace brevanton;

namespace {

QFont controlFont()
{
    return QtDrawCommandPainter::qtFont(*systemFontOfSize(0));
}

QImage paintedControl(const ControlDrawing& control, std::u16string title, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawCommand command;
    command.kind = DrawCommand::Kind::Control;
    command.control = control;
    command.text = std::move(title);
    qtPaintControl(painter, command, QRect(QPoint(), size), controlFont());
    return image;
}

// The bounding rectangle of the pixels where two pictures differ.
QRect differences(const QImage& one, const QImage& other)
{
    QRect found;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            if (one.pixel(x, y) != other.pixel(x, y))
                found |= QRect(x, y, 1, 1);
        }
    }
    return found;
}

// Where a change of state must show.
enum class Where { Anywhere, BeforeLabel, InLabelRoom, LeftPart, EachSegment };

class ControlStyle : public ::testing::Test {
protected:
    void SetUp() override { brevanton::testing::qtApplication(); }
};

} // namespace

TEST_F(ControlStyle, EachStateOfEachControlShowsWhereTheDesktopShowsIt)
{
    const QSize size(160, 26);
    auto with = [](ControlKind kind, auto change) {
        ControlDrawing drawing;
        drawing.kind = kind;
        change(drawing);
        return drawing;
    };
    auto same = [](ControlDrawing&) {};
    struct Case {
        const char* name;
        ControlDrawing before;
        ControlDrawing after;
        std::u16string title;
        Where where;
    };
    const Case cases[] = {
        { "check box checked", with(ControlKind::CheckBox, same), with(ControlKind::CheckBox, [](auto& d) { d.state = 1; }), u"Ignore Case", Where::BeforeLabel },
        { "check box mixed", with(ControlKind::CheckBox, same), with(ControlKind::CheckBox, [](auto& d) { d.state = -1; }), u"Ignore Case", Where::BeforeLabel },
        { "radio button on", with(ControlKind::RadioButton, same), with(ControlKind::RadioButton, [](auto& d) { d.state = 1; }), u"Full Word", Where::BeforeLabel },
        { "push button pressed", with(ControlKind::PushButton, same), with(ControlKind::PushButton, [](auto& d) { d.pressed = true; }), u"Done", Where::Anywhere },
        { "default push button", with(ControlKind::PushButton, same), with(ControlKind::PushButton, [](auto& d) { d.isDefault = true; }), u"Done", Where::Anywhere },
        { "focused push button", with(ControlKind::PushButton, same), with(ControlKind::PushButton, [](auto& d) { d.focused = true; }), u"Done", Where::Anywhere },
        { "disabled push button", with(ControlKind::PushButton, same), with(ControlKind::PushButton, [](auto& d) { d.enabled = false; }), u"Done", Where::Anywhere },
        { "tool button on", with(ControlKind::ToolButton, same), with(ControlKind::ToolButton, [](auto& d) { d.state = 1; }), u"Bold", Where::Anywhere },
        { "pop-up shows its choice", with(ControlKind::PopUpButton, same), with(ControlKind::PopUpButton, same), u"Published", Where::InLabelRoom },
        { "segment selected", with(ControlKind::SegmentedControl, [](auto& d) { d.segmentLabels = { u"A", u"B" }; d.selectedSegment = 0; }),
          with(ControlKind::SegmentedControl, [](auto& d) { d.segmentLabels = { u"A", u"B" }; d.selectedSegment = 1; }), u"", Where::EachSegment },
        { "progress made", with(ControlKind::ProgressBar, [](auto& d) { d.maxValue = 100; }),
          with(ControlKind::ProgressBar, [](auto& d) { d.maxValue = 100; d.value = 50; }), u"", Where::LeftPart },
        { "focused text field", with(ControlKind::TextFieldFrame, same), with(ControlKind::TextFieldFrame, [](auto& d) { d.focused = true; }), u"", Where::Anywhere },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        QImage before = paintedControl(test.before, test.where == Where::InLabelRoom ? u"" : test.title, size);
        QImage after = paintedControl(test.after, test.title, size);
        QRect changed = differences(before, after);
        ASSERT_FALSE(changed.isEmpty());
        EXPECT_TRUE(QRect(QPoint(), size).contains(changed));
        auto labels = qtControlLabels(test.after, test.title, QRect(QPoint(), size), controlFont());
        switch (test.where) {
        case Where::Anywhere:
            break;
        case Where::BeforeLabel:
            ASSERT_EQ(labels.size(), 1u);
            EXPECT_LE(changed.right(), labels[0].room.left()) << "the indicator, not the label";
            break;
        case Where::InLabelRoom:
            ASSERT_EQ(labels.size(), 1u);
            EXPECT_TRUE(labels[0].room.adjusted(-1, -1, 1, 1).contains(QRectF(changed)));
            break;
        case Where::LeftPart:
            EXPECT_LT(changed.right(), size.width() / 2 + 2) << "half the bar, no more";
            break;
        case Where::EachSegment:
            EXPECT_LT(changed.left(), size.width() / 2);
            EXPECT_GT(changed.right(), size.width() / 2);
            break;
        }
    }
}

TEST_F(ControlStyle, ALabelThatDoesNotFitIsShortenedAndShownWholeAsTheToolTip)
{
    struct Case {
        ControlKind kind;
        double width;
        std::u16string title;
        bool fits;
    };
    const Case cases[] = {
        { ControlKind::PushButton, 120, u"Replace & Find", true },
        { ControlKind::PushButton, 40, u"Replace & Find", false },
        { ControlKind::CheckBox, 140, u"Ignore Case", true },
        { ControlKind::CheckBox, 60, u"Ignore Case", false },
        { ControlKind::PopUpButton, 60, u"Pending Review", false },
        { ControlKind::ToolButton, 30, u"Bold Italic", false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(qtString(test.title).toStdString() + " in " + std::to_string(test.width));
        ControlDrawing control;
        control.kind = test.kind;
        QString tip = qtControlToolTip(control, test.title, Size { test.width, 24 }, controlFont());
        EXPECT_EQ(tip.isEmpty(), test.fits);
        if (!test.fits) {
            EXPECT_EQ(tip, qtString(test.title));
        }
        // Shortened or not, the label is drawn inside the control.
        QSize size(static_cast<int>(test.width), 24);
        QImage wide = paintedControl(control, test.title, size);
        EXPECT_TRUE(QRect(QPoint(), size).contains(brevanton::testing::inkBounds(wide)));
    }
}

TEST_F(ControlStyle, AStatusLabelCutWithAnEllipsisIsShownWholeAsTheToolTip)
{
    const std::u16string status = u"Sync failed: could not find the host site.example.org";
    for (double width : { 400.0, 120.0 }) {
        SCOPED_TRACE(width);
        auto label = TextField::labelWithString(status);
        label->setFrameSize(Size { width, 17 });
        EXPECT_EQ(qtControlToolTip(*label), width < label->naturalSize().width ? qtString(status) : QString());
    }
}

TEST_F(ControlStyle, AWindowsButtonIsDrawnInTheStyleInPlaceOfItsPlainDrawing)
{
    auto window = Window::create(Rect(0, 0, 200, 60));
    auto button = std::make_shared<Button>(Rect(20, 10, 100, 26), u"Publish");
    button->setKeyEquivalent(u"\r");
    window->contentView()->addSubview(button);
    GraphicsContext context;
    window->contentView()->display(context);

    QImage replayed(200, 60, QImage::Format_RGB32);
    replayed.fill(Qt::white);
    {
        QPainter painter(&replayed);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(60)).paintWithinVisibleRects(context.commands());
    }
    QImage styled(200, 60, QImage::Format_RGB32);
    styled.fill(Qt::white);
    {
        QPainter painter(&styled);
        for (const auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::Control)
                qtPaintControl(painter, command, QRect(20, 60 - 36, 100, 26), controlFont());
        }
    }
    EXPECT_TRUE(differences(replayed, styled).isEmpty()) << "the plain frame and title are passed over";
}

TEST_F(ControlStyle, TextInEveryScriptIsDrawnInGlyphsNotMissingGlyphBoxes)
{
    QFont interface = controlFont();
    QFont page = qtFont(FontDescriptor(u"serif", 16).withMetricsRole(FontMetricsRole::Page));
    auto picture = [](const QFont& font, const QString& text) {
        QImage image(160, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(4, 28), text);
        return image;
    };
    auto hasColour = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                QColor pixel = image.pixelColor(x, y);
                if (std::abs(pixel.red() - pixel.green()) > 40 || std::abs(pixel.green() - pixel.blue()) > 40)
                    return true;
            }
        }
        return false;
    };
    struct Case {
        const char* name;
        QString text;
        bool colour;
    };
    const Case cases[] = {
        { "Arabic", QStringLiteral("مرحبا"), false },
        { "Chinese", QStringLiteral("汉字"), false },
        { "Japanese", QStringLiteral("ひらがな"), false },
        { "emoji", QStringLiteral("🎉"), true },
    };
    for (const QFont& font : { interface, page }) {
        for (const auto& test : cases) {
            SCOPED_TRACE(std::string(test.name) + " in " + font.family().toStdString());
            // An unassigned code point is drawn as the missing-glyph box, as often as the text has characters.
            QString missing(test.text.toUcs4().size(), QChar(0x0378));
            QImage drawn = picture(font, test.text);
            EXPECT_FALSE(brevanton::testing::inkBounds(drawn).isEmpty());
            EXPECT_NE(drawn, picture(font, missing));
            if (test.colour) {
                EXPECT_TRUE(hasColour(drawn)) << "the colour emoji";
            }
        }
    }
}

TEST_F(ControlStyle, NoControlOfTheFindBarOrTheSpellingPanelHasItsLabelCut)
{
    // Measured and laid out as the windows are on the desktop.
    FontMetricsProvider::setCurrent(std::make_shared<QtFontMetricsProvider>());
    installQtControlLabelMargins();
    TextFinder finder;
    SpellingPanel spelling;
    struct Case {
        const char* name;
        std::function<std::shared_ptr<View>()> view;
    };
    const Case cases[] = {
        { "find bar", [&] { return FindBarView::create(&finder); } },
        { "find bar with its replace row", [&] {
              auto bar = FindBarView::create(&finder);
              EXPECT_TRUE(bar->setReplaceRowShown(true));
              return bar;
          } },
        { "spelling panel", [&] { return spelling.window()->contentView(); } },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto view = test.view();
        GraphicsContext context;
        view->display(context);
        size_t labels = 0;
        for (const auto& command : context.commands()) {
            if (command.kind != DrawCommand::Kind::Control || command.view->isHidden())
                continue;
            QRect box(QPoint(), qtRect(command.rect).toRect().size());
            for (const auto& label : qtControlLabels(*command.control, command.text, box, controlFont())) {
                ++labels;
                EXPECT_TRUE(label.fits()) << label.text.toStdString() << ": " << label.width << " in " << label.room.width();
            }
        }
        EXPECT_GT(labels, 2u);
    }
    setControlLabelMarginsMeasure({});
    FontMetricsProvider::setCurrent(nullptr);
}

namespace {
using ControlToolTipWindow = brevanton::testing::QtBackendWindowTest<View>;
} // namespace

TEST_F(ControlToolTipWindow, TheWindowShowsAShortenedLabelWholeAsTheControlsToolTip)
{
    auto shortened = std::make_shared<Button>(Rect(10, 10, 40, 24), u"Replace & Find");
    auto whole = std::make_shared<Button>(Rect(100, 10, 140, 24), u"Replace & Find");
    view->addSubview(shortened);
    view->addSubview(whole);
    struct Case {
        std::shared_ptr<Button> button;
        QString tip;
    };
    // The whole label first: a tool tip once shown fades out over a while.
    const Case cases[] = { { whole, QString() }, { shortened, QStringLiteral("Replace & Find") } };
    for (const auto& test : cases) {
        QToolTip::hideText();
        QPoint at = brevanton::testing::centreInWidget(*widget(), *test.button);
        QHelpEvent help(QEvent::ToolTip, at, widget()->mapToGlobal(at));
        QCoreApplication::sendEvent(widget(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), test.tip);
    }
    QToolTip::hideText();
}
