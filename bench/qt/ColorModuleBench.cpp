// Repainting the block colour module in a Qt window (offscreen platform):
// its two choosers (labels, palettes, hex wells with their labels, Clear
// buttons) recorded and painted by the Qt backend, beside the peer: a plain
// widget of the same size whose paint event fills and strokes the same
// rectangles with QPainter; and the peer drawing the module's six labels too
// (QPainter::drawText), which is where most of the difference goes.
#include "QtBenchApplication.h"

#include "editing/VornickElementEditorUIController.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressColorChooserController.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPainter>
#include <QWidget>

using namespace brevanton;

namespace {

struct ModuleWindow {
    QtWindowBackend backend;
    VornickElementEditorUIController editor;
    std::shared_ptr<VornickWordPressBlockColorInspectorModule> module;
    std::shared_ptr<Window> window;
    QtWindowWidget* widget { nullptr };

    ModuleWindow()
    {
        module = std::make_shared<VornickWordPressBlockColorInspectorModule>(editor);
        const auto& palette = VornickColorDescriptionList::wordPressTextAndBackgroundColors();
        module->textColorChooser()->setColorDescription(palette.colorDescriptionWithCSSName(u"black"));
        module->backgroundColorChooser()->setColorDescription(palette.colorDescriptionWithCSSName(u"vivid-red"));
        Rect frame = module->view()->frame();
        window = Window::create(Rect(100, 100, frame.width(), frame.height()));
        module->view()->setFrameOrigin({ 0, 0 });
        window->contentView()->addSubview(module->view());
        window->makeKeyAndOrderFront();
        QCoreApplication::processEvents();
        widget = backend.widgetForWindow(*window);
    }
    ~ModuleWindow()
    {
        window->close();
        QCoreApplication::processEvents();
    }
};

// Fills and strokes recorded rectangles (in window base coordinates).
class RectanglesWidget : public QWidget {
public:
    std::vector<DrawCommand> commands;
    bool drawsText { false };

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        for (const auto& command : commands) {
            const Rect& r = command.rectInWindow;
            QRectF device(r.minX(), height() - r.maxY(), r.width(), r.height());
            if (command.kind == DrawCommand::Kind::FillRect)
                painter.fillRect(device, qtColor(command.color));
            else if (command.kind == DrawCommand::Kind::Text && drawsText) {
                QFont font(QStringLiteral("DejaVu Sans"));
                font.setPixelSize(13);
                painter.setFont(font);
                painter.setPen(qtColor(command.color));
                painter.drawText(QPointF(device.left(), device.top() + 10), qtString(command.text));
            } else if (command.kind == DrawCommand::Kind::StrokeRect) {
                painter.setPen(QPen(qtColor(command.color), command.lineWidth));
                painter.drawRect(device.adjusted(command.lineWidth / 2, command.lineWidth / 2, -command.lineWidth / 2, -command.lineWidth / 2));
            }
        }
    }
};

void BM_QtColorModuleRepaint(benchmark::State& state)
{
    ensureQtBenchApplication();
    installQtFontMetricsProvider();
    ModuleWindow session;
    if (!session.widget) {
        state.SkipWithError("the module's window has no widget");
        return;
    }
    session.widget->repaint();
    for (auto _ : state)
        session.widget->repaint();
    state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
}

void paintPeer(benchmark::State& state, bool drawsText)
{
    ensureQtBenchApplication();
    installQtFontMetricsProvider();
    RectanglesWidget peer;
    peer.drawsText = drawsText;
    {
        ModuleWindow session;
        if (!session.widget) {
            state.SkipWithError("the module's window has no widget");
            return;
        }
        session.widget->repaint();
        for (const auto& command : session.widget->lastPaintedCommands()) {
            if (command.kind == DrawCommand::Kind::FillRect || command.kind == DrawCommand::Kind::StrokeRect
                || command.kind == DrawCommand::Kind::Text)
                peer.commands.push_back(command);
        }
        peer.resize(session.widget->size());
    }
    peer.show();
    QCoreApplication::processEvents();
    peer.repaint();
    for (auto _ : state)
        peer.repaint();
    state.counters["commands"] = static_cast<double>(peer.commands.size());
}

void BM_QPainterFillingTheColourModulesRectangles(benchmark::State& state)
{
    paintPeer(state, false);
}

void BM_QPainterFillingTheColourModulesRectanglesAndDrawingItsLabels(benchmark::State& state)
{
    paintPeer(state, true);
}

} // namespace

BENCHMARK(BM_QtColorModuleRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterFillingTheColourModulesRectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterFillingTheColourModulesRectanglesAndDrawingItsLabels)->Unit(benchmark::kMillisecond);
