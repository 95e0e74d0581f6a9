// Repainting a window of 96 controls (push buttons, check boxes, radio
// buttons, pop-ups, progress bars and text fields, a column of each) as the
// window backend does: its views recorded, then replayed with
// the desktop's style onto an 800 by 480 image; beside a plain Qt widget
// window of the same controls at the same places rendered onto the same image.
#include "QtBenchApplication.h"
#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/ProgressIndicator.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <functional>

using namespace brevanton;

namespace {

constexpr int windowWidth = 800;
constexpr int windowHeight = 480;
constexpr int columns = 6;
constexpr int rows = 16;
constexpr int cellWidth = windowWidth / columns;
constexpr int cellHeight = windowHeight / rows;

// Each cell's place; its column is the kind of its control.
void forEachCell(const std::function<void(int column, int row, int x, int top)>& make)
{
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            make(column, row, column * cellWidth + 4, row * cellHeight + 3);
    }
}

void BM_QtRepaintWindowOfControls(benchmark::State& state)
{
    ensureQtBenchApplication();
    auto window = Window::create(Rect(0, 0, windowWidth, windowHeight));
    auto content = window->contentView();
    forEachCell([&](int column, int row, int x, int top) {
        Rect frame(x, windowHeight - top - 24, cellWidth - 8, 24);
        std::shared_ptr<View> view;
        switch (column) {
        case 0: view = std::make_shared<Button>(frame, u"Publish"); break;
        case 1:
        case 2: {
            auto button = std::make_shared<Button>(frame, column == 1 ? u"Ignore Case" : u"Full Word");
            button->setButtonType(column == 1 ? ButtonType::Switch : ButtonType::Radio);
            button->setState(row % 2 ? OnState : OffState);
            view = button;
            break;
        }
        case 3: {
            auto popUp = std::make_shared<PopUpButton>(frame);
            popUp->addItemWithTitle(u"Pending Review");
            view = popUp;
            break;
        }
        case 4: {
            auto bar = std::make_shared<ProgressIndicator>(frame);
            bar->setIndeterminate(false);
            bar->setDoubleValue(row * 6);
            view = bar;
            break;
        }
        default: {
            auto field = std::make_shared<TextField>(frame);
            field->setEditable(true);
            field->setDrawsBackground(true);
            field->setStringValue(u"search words");
            view = field;
            break;
        }
        }
        content->addSubview(view);
    });
    QImage image(windowWidth, windowHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        auto recorded = content->cacheDisplayInRect(content->bounds());
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(windowHeight)).paintWithinVisibleRects(recorded->drawing());
    }
}
BENCHMARK(BM_QtRepaintWindowOfControls)->Unit(benchmark::kMicrosecond);

void BM_QtWidgetWindowOfControls(benchmark::State& state)
{
    ensureQtBenchApplication();
    QWidget window;
    window.resize(windowWidth, windowHeight);
    forEachCell([&](int column, int row, int x, int top) {
        QWidget* widget = nullptr;
        switch (column) {
        case 0: widget = new QPushButton(QStringLiteral("Publish"), &window); break;
        case 1: {
            auto* box = new QCheckBox(QStringLiteral("Ignore Case"), &window);
            box->setChecked(row % 2);
            widget = box;
            break;
        }
        case 2: {
            auto* radio = new QRadioButton(QStringLiteral("Full Word"), &window);
            radio->setAutoExclusive(false);
            radio->setChecked(row % 2);
            widget = radio;
            break;
        }
        case 3: {
            auto* popUp = new QComboBox(&window);
            popUp->addItem(QStringLiteral("Pending Review"));
            widget = popUp;
            break;
        }
        case 4: {
            auto* bar = new QProgressBar(&window);
            bar->setTextVisible(false);
            bar->setValue(row * 6);
            widget = bar;
            break;
        }
        default: widget = new QLineEdit(QStringLiteral("search words"), &window); break;
        }
        widget->setGeometry(x, top, cellWidth - 8, 24);
    });
    QImage image(windowWidth, windowHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        window.render(&image);
    }
}
BENCHMARK(BM_QtWidgetWindowOfControls)->Unit(benchmark::kMicrosecond);

} // namespace
