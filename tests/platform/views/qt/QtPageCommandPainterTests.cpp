#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtPageCommandPainter.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include "tests/platform/views/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;
using brevanton::testing::inkBounds;

namespace qt_page_command_painter_tests {
namespace {

void ensureApplication()
{
    brevanton::testing::qtApplication();
}


} // namespace

TEST(QtPageCommandPainter, ATextRunPutsItsInkInsideItsBox)
{
    ensureApplication();
    QtFontMetricsProvider provider;
    FontDescriptor font = FontDescriptor(u"serif", 20).withMetricsRole(FontMetricsRole::Page);
    std::u16string text = u"Ink here";
    auto line = provider.lineMetrics(font);
    auto positions = provider.caretPositions(font, text);
    Rect box(30, 40, positions.back(), line.lineHeight);
    for (double& x : positions)
        x += box.minX();
    GraphicsContext context;
    context.drawTextRun(text, font, box, box.minY() + line.ascent, positions, Color::black());
    const DrawCommand& command = context.commands().front();

    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    qtPaintTextRun(painter, command, QRectF(box.minX(), box.minY(), box.width(), box.height()));
    painter.end();
    QRect ink = inkBounds(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 30);
    EXPECT_LE(ink.right(), 30 + box.width() + 1);
    EXPECT_GE(ink.top(), 40);
    EXPECT_LE(ink.bottom(), 40 + box.height());
    // The second word starts where its first unit was placed.
    QImage second(200, 120, QImage::Format_RGB32);
    second.fill(Qt::white);
    QPainter secondPainter(&second);
    auto lone = command;
    lone.text = u"    here";
    qtPaintTextRun(secondPainter, lone, QRectF(box.minX(), box.minY(), box.width(), box.height()));
    secondPainter.end();
    EXPECT_NEAR(inkBounds(second).left(), 30 + command.glyphPositions[4], 3);
}

TEST(QtPageCommandPainter, ImageFilesAreDecodedIntoTheirBoxes)
{
    ensureApplication();
    auto path = std::filesystem::temp_directory_path() / "brevanton-qt-page-red.png";
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(path.string())));
    GraphicsContext context;
    context.drawImageFile(path.string(), Rect(10, 10, 20, 10));
    context.drawImageFile("/nonexistent/brevanton.png", Rect(40, 10, 20, 10));
    QImage image(80, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (auto& command : context.commands())
        qtPaintImageFile(painter, command, QRectF(command.rect.minX(), command.rect.minY(), command.rect.width(), command.rect.height()));
    painter.end();
    std::filesystem::remove(path);
    EXPECT_EQ(inkBounds(image), QRect(10, 10, 20, 10)) << "the unreadable file draws nothing";
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
}

TEST(QtPageCommandPainter, TiledImageFilesRepeatInStepWithTheirTileAndStayInTheirArea)
{
    ensureApplication();
    auto path = std::filesystem::temp_directory_path() / "brevanton-qt-page-tile.png";
    // Left half red, right half blue.
    QImage tile(4, 2, QImage::Format_RGB32);
    tile.fill(Qt::red);
    for (int y = 0; y < 2; ++y) {
        tile.setPixel(2, y, qRgb(0, 0, 255));
        tile.setPixel(3, y, qRgb(0, 0, 255));
    }
    ASSERT_TRUE(tile.save(QString::fromStdString(path.string())));
    GraphicsContext context;
    // Copies start left of the area: the first column drawn is a copy's blue half.
    context.drawTiledImageFile(path.string(), Rect(10, 10, 21, 5), Rect(8, 10, 4, 2));
    const DrawCommand& command = context.commands().front();
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QRectF tileRect(8, 10, 4, 2);
    qtPaintImageFile(painter, command, QRectF(10, 10, 21, 5), &tileRect);
    painter.end();
    std::filesystem::remove(path);
    EXPECT_EQ(inkBounds(image), QRect(10, 10, 21, 5));
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(12, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(14, 13), qRgb(0, 0, 255)) << "repeated downwards";
    EXPECT_EQ(image.pixel(28, 14), qRgb(255, 0, 0)) << "and across, five copies on";
    EXPECT_EQ(image.pixel(30, 14), qRgb(0, 0, 255));
}

namespace {

// The colour drawn in the middle of a 20 by 10 box for the file at `path`.
QRgb drawnColour(const std::string& path)
{
    GraphicsContext context;
    context.drawImageFile(path, Rect(0, 0, 20, 10));
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    qtBeginPaintingImageFiles();
    qtPaintImageFile(painter, context.commands().front(), QRectF(0, 0, 20, 10));
    painter.end();
    return image.pixel(10, 5);
}

// Writes a 4 by 4 picture of one colour at `path` through a file of its own
// renamed over it, as editors save; `inPlace` writes into the file itself.
void writePicture(const std::filesystem::path& path, QColor colour, bool inPlace = false)
{
    // The file system stamps modification times in steps of a few
    // milliseconds; a rewrite in the same step of the same size would be no
    // change anyone could see.
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(colour);
    auto written = inPlace ? path : std::filesystem::path(path.string() + ".new.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(written.string()), "PNG"));
    if (!inPlace)
        std::filesystem::rename(written, path);
}

} // namespace

TEST(QtPageCommandPainter, AnImageFileIsDrawnAsItStandsOnDiskNowAndMissingOrBrokenFilesAreTriedAgain)
{
    ensureApplication();
    auto folder = std::filesystem::temp_directory_path() / ("brevanton-qt-page-changing-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto path = folder / "picture.png";
    const QRgb white = qRgb(255, 255, 255);

    EXPECT_EQ(drawnColour(path.string()), white) << "missing";
    writePicture(path, Qt::red);
    EXPECT_EQ(drawnColour(path.string()), qRgb(255, 0, 0)) << "appeared";
    EXPECT_EQ(drawnColour(path.string()), qRgb(255, 0, 0)) << "kept";
    writePicture(path, Qt::blue, true);
    EXPECT_EQ(drawnColour(path.string()), qRgb(0, 0, 255)) << "rewritten in place, same size";
    writePicture(path, Qt::green);
    EXPECT_EQ(drawnColour(path.string()), qRgb(0, 255, 0)) << "replaced by another file";

    // A broken file draws nothing until it is mended; a deleted one nothing at all.
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    {
        std::ofstream broken(path, std::ios::binary | std::ios::trunc);
        broken << "\x89PNG\r\n\x1a\n not really";
    }
    EXPECT_EQ(drawnColour(path.string()), white) << "broken";
    EXPECT_EQ(drawnColour(path.string()), white) << "still broken";
    writePicture(path, Qt::red, true);
    EXPECT_EQ(drawnColour(path.string()), qRgb(255, 0, 0)) << "mended";
    std::filesystem::remove(path);
    EXPECT_EQ(drawnColour(path.string()), white) << "deleted";

    // A pipe named as the picture is not waited for: should the paint wait
    // all the same, a writer opened on the pipe ends the wait.
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::promise<void> painted;
    std::thread watchdog([&path, done = painted.get_future()] {
        if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            return;
        ADD_FAILURE() << "the paint waited for a pipe";
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    EXPECT_EQ(drawnColour(path.string()), white) << "a pipe";
    painted.set_value();
    watchdog.join();
    std::filesystem::remove_all(folder);
}

} // namespace qt_page_command_painter_tests
