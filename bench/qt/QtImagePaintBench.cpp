// Painting a visible area full of pictures: 240 image file commands (files
// of 64 by 64 pixels, twelve each drawn in twenty places or 96 in two or
// three, at 40 by 40)
// replayed with QPainter onto a 1200 by 800 image, the files already decoded
// by an earlier paint, as when a window repaints a page of images.
#include "QtBenchApplication.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace brevanton;

namespace {

void BM_QtPaintVisibleAreaOfImages(benchmark::State& state)
{
    ensureQtBenchApplication();
    auto folder = createTemporaryDirectory("brevanton-image-bench");
    if (!folder) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const int files = static_cast<int>(state.range(0));
    for (int i = 0; i < files; ++i) {
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 30, 200, 220));
        picture.save(QString::fromStdString(*folder + "/picture" + std::to_string(i) + ".png"));
    }
    GraphicsContext context;
    for (int i = 0; i < 240; ++i) {
        double x = (i % 24) * 50;
        double y = (i / 24) * 80;
        context.drawImageFile(*folder + "/picture" + std::to_string(i % files) + ".png", Rect(x, y, 40, 40));
    }
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(800)).paint(context.commands());
    }
    state.counters["commands"] = static_cast<double>(context.commands().size());
    std::filesystem::remove_all(*folder);
}
// Twelve pictures, and a gallery of 96.
BENCHMARK(BM_QtPaintVisibleAreaOfImages)->Arg(12)->Arg(96)->ArgName("files")->Unit(benchmark::kMicrosecond);

} // namespace
