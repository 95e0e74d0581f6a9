#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/qt/QtImageFileCache.h"
#include "platform/views/qt/QtPageCommandPainter.h"
#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include <QPainter>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

using namespace brevanton;
using brevanton::testing::qtApplication;

namespace {

struct PictureFolder {
    PictureFolder() { std::filesystem::create_directories(path); }
    ~PictureFolder() { std::filesystem::remove_all(path); }

    // A picture of one colour.
    std::string write(const std::string& name, QSize size, QColor colour, const char* format = "PNG") const
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        auto file = (path / name).string();
        EXPECT_TRUE(picture.save(QString::fromStdString(file), format));
        return file;
    }

    std::filesystem::path path = std::filesystem::temp_directory_path() / ("brevanton-thumbnails-" + std::to_string(::getpid()));
};

// Whether the pixel is near the colour (JPEG and scaling blur it a little).
bool near(QRgb pixel, QColor colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 24 && std::abs(qGreen(pixel) - colour.green()) < 24
        && std::abs(qBlue(pixel) - colour.blue()) < 24;
}

const QColor placeholderGrey(214, 214, 214);

} // namespace

TEST(QtImageFileCache, ThumbnailsAreDecodedAtTheirSizeOnWorkersAndKeptWithinTheByteLimit)
{
    qtApplication();
    PictureFolder folder;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i)
        files.push_back(folder.write("picture" + std::to_string(i) + ".png", QSize(400, 300), QColor(40 * i, 0, 0)));
    // A 100 by 75 thumbnail in 32 bits takes 30,000 bytes: three fit.
    QtImageFileCache cache;
    cache.setByteLimit(3 * 30000 + 100);

    cache.beginPaint();
    auto first = cache.thumbnail(files[0], QSize(100, 100), nullptr);
    EXPECT_TRUE(first.decoding);
    EXPECT_TRUE(first.image.isNull());
    ASSERT_TRUE(cache.waitForDecodes(30000));
    auto landed = cache.thumbnail(files[0], QSize(100, 100), nullptr);
    EXPECT_FALSE(landed.decoding);
    EXPECT_EQ(landed.image.size(), QSize(100, 75));
    EXPECT_EQ(cache.byteCount(), landed.image.sizeInBytes());

    // Each in a paint of its own: the oldest go once the limit is passed.
    for (auto& file : files) {
        cache.beginPaint();
        (void)cache.thumbnail(file, QSize(100, 100), nullptr);
        ASSERT_TRUE(cache.waitForDecodes(30000));
        EXPECT_LE(cache.byteCount(), cache.byteLimit());
    }
    EXPECT_EQ(cache.imageCount(), 3u);
    cache.beginPaint();
    EXPECT_TRUE(cache.thumbnail(files[0], QSize(100, 100), nullptr).decoding) << "evicted, decoded again";
    EXPECT_FALSE(cache.thumbnail(files[5], QSize(100, 100), nullptr).image.isNull()) << "recent, kept";
    ASSERT_TRUE(cache.waitForDecodes(30000));

    // A paint drawing more than the limit keeps all it draws, until a later paint draws less.
    cache.beginPaint();
    for (auto& file : files)
        (void)cache.thumbnail(file, QSize(100, 100), nullptr);
    ASSERT_TRUE(cache.waitForDecodes(30000));
    EXPECT_EQ(cache.imageCount(), 6u);
    cache.beginPaint();
    (void)cache.thumbnail(files[0], QSize(100, 100), nullptr);
    cache.setByteLimit(cache.byteLimit());
    EXPECT_LE(cache.byteCount(), cache.byteLimit());

    // Another size is another thumbnail; a missing file none, and nothing decoding.
    EXPECT_TRUE(cache.thumbnail(files[0], QSize(40, 40), nullptr).decoding);
    ASSERT_TRUE(cache.waitForDecodes(30000));
    cache.beginPaint();
    EXPECT_EQ(cache.thumbnail(files[0], QSize(40, 40), nullptr).image.size(), QSize(40, 30));
    auto missing = cache.thumbnail((folder.path / "none.png").string(), QSize(40, 40), nullptr);
    EXPECT_FALSE(missing.decoding);
    EXPECT_TRUE(missing.image.isNull());
    // A picture smaller than the size wanted keeps its own.
    auto small = folder.write("small.png", QSize(20, 10), Qt::blue);
    (void)cache.thumbnail(small, QSize(40, 40), nullptr);
    ASSERT_TRUE(cache.waitForDecodes(30000));
    EXPECT_EQ(cache.thumbnail(small, QSize(40, 40), nullptr).image.size(), QSize(20, 10));
}

TEST(QtImageFileCache, DecodesLandingAfterAClearOrAfterTheirCacheWentAreDropped)
{
    qtApplication();
    PictureFolder folder;
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(folder.write("gone" + std::to_string(i) + ".jpg", QSize(1200, 900), Qt::green, "JPEG"));

    // Cleared while decoding: nothing lands in the emptied cache.
    QtImageFileCache cleared;
    cleared.beginPaint();
    for (auto& file : files)
        (void)cleared.thumbnail(file, QSize(60, 60), nullptr);
    cleared.clear();
    EXPECT_EQ(cleared.decodesInFlight(), 0);
    RunLoop::main().runFor(0.3);
    EXPECT_EQ(cleared.imageCount(), 0u);
    EXPECT_EQ(cleared.byteCount(), 0);

    // Gone while decoding: the images it asked for still reach the main run
    // loop, and are dropped there.
    {
        QtImageFileCache gone;
        gone.beginPaint();
        for (auto& file : files)
            EXPECT_TRUE(gone.thumbnail(file, QSize(60, 60), nullptr).decoding);
    }
    RunLoop::main().runFor(0.2);

    // A cache made afterwards decodes as before.
    QtImageFileCache next;
    next.beginPaint();
    (void)next.thumbnail(files[0], QSize(60, 60), nullptr);
    ASSERT_TRUE(next.waitForDecodes(30000));
    EXPECT_EQ(next.thumbnail(files[0], QSize(60, 60), nullptr).image.size(), QSize(60, 45));
    EXPECT_EQ(next.imageCount(), 1u);
}

TEST(QtImageFileCache, AChangedFileIsDecodedAgainWhileTheOldThumbnailStaysDrawn)
{
    qtApplication();
    PictureFolder folder;
    auto file = folder.write("changing.png", QSize(80, 80), Qt::red);
    QtImageFileCache cache;
    // Long enough that the paints below come within it on a busy machine too.
    cache.setThumbnailRecheckIntervalForTesting(std::chrono::milliseconds(1000));
    cache.beginPaint();
    (void)cache.thumbnail(file, QSize(40, 40), nullptr);
    ASSERT_TRUE(cache.waitForDecodes(30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    folder.write("changing.png", QSize(60, 80), Qt::blue);
    // Paints in quick succession take the file as it was looked at.
    cache.beginPaint();
    auto soon = cache.thumbnail(file, QSize(40, 40), nullptr);
    EXPECT_FALSE(soon.decoding);
    EXPECT_EQ(soon.image.pixel(5, 5), qRgb(255, 0, 0));
    // A paint after the interval looks at it again.
    std::this_thread::sleep_for(std::chrono::milliseconds(1020));
    cache.beginPaint();
    auto during = cache.thumbnail(file, QSize(40, 40), nullptr);
    EXPECT_TRUE(during.decoding);
    ASSERT_FALSE(during.image.isNull());
    EXPECT_EQ(during.image.pixel(5, 5), qRgb(255, 0, 0));
    ASSERT_TRUE(cache.waitForDecodes(30000));
    auto after = cache.thumbnail(file, QSize(40, 40), nullptr);
    EXPECT_EQ(after.image.size(), QSize(30, 40));
    EXPECT_EQ(after.image.pixel(5, 5), qRgb(0, 0, 255));
}

TEST(QtImageFileCache, AThumbnailCommandPaintsAPlaceholderUntilItsPictureLandsThenThePictureFittedAndCentred)
{
    qtApplication();
    PictureFolder folder;
    auto file = folder.write("wide.jpg", QSize(800, 400), Qt::red, "JPEG");
    GraphicsContext context;
    context.drawImageFileAtPixelSize(file, Rect(0, 0, 60, 60), { 60, 60 });
    auto paint = [&] {
        QImage image(60, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        qtBeginPaintingImageFiles();
        qtPaintImageFile(painter, context.commands().front(), QRectF(0, 0, 60, 60));
        return image;
    };
    QImage first = paint();
    EXPECT_TRUE(near(first.pixel(30, 5), placeholderGrey)) << "the whole box, before the picture";
    EXPECT_TRUE(near(first.pixel(30, 30), placeholderGrey));
    ASSERT_TRUE(QtImageFileCache::shared().waitForDecodes(30000));
    QImage second = paint();
    // 2:1 fitted into 60 by 60: 60 by 30, from y 15.
    EXPECT_TRUE(near(second.pixel(30, 30), Qt::red));
    EXPECT_EQ(second.pixel(30, 5), qRgb(255, 255, 255));
    EXPECT_TRUE(near(second.pixel(2, 20), Qt::red));
}

namespace {

struct Picture : ImageBrowserItem {
    Picture(std::u16string title, std::string path) : title(std::move(title)), path(std::move(path)) { }
    std::u16string imageUID() const override { return title; }
    std::optional<URL> imageRepresentation() const override { return URL::fileURLWithPath(path, false); }
    std::u16string imageTitle() const override { return title; }
    std::u16string title;
    std::string path;
};

struct Pictures : ImageBrowserDataSource {
    long numberOfItemsInImageBrowser(ImageBrowserView&) override { return static_cast<long>(items.size()); }
    std::shared_ptr<ImageBrowserItem> imageBrowserItemAtIndex(ImageBrowserView&, long index) override
    {
        return index < static_cast<long>(items.size()) ? items[static_cast<size_t>(index)] : nullptr;
    }
    std::vector<std::shared_ptr<Picture>> items;
};

class GridView : public View {
public:
    using View::View;
};

class ImageBrowserWindow : public brevanton::testing::QtBackendWindowTest<GridView> {
protected:
    void prepareWindow() override
    {
        window->setFrame(Rect(100, 100, 460, 400));
        for (int i = 0; i < 30; ++i)
            pictures.items.push_back(std::make_shared<Picture>(u"Picture", folder.write("cell" + std::to_string(i) + ".jpg", QSize(640, 480), Qt::red, "JPEG")));
        auto scrollView = std::make_shared<ScrollView>(Rect(0, 0, 460, 400));
        scrollView->setHasVerticalScroller(true);
        scrollView->setOverlaysScrollers(true);
        browser = std::make_shared<ImageBrowserView>(Rect(0, 0, 460, 400));
        browser->setDataSource(&pictures);
        scrollView->setDocumentView(browser);
        view->addSubview(scrollView);
        browser->reloadData();
    }

    // The device rectangle of a cell's thumbnail, a little inside it.
    QRect thumbnailInWidget(long index) const
    {
        Rect box = browser->convertRectToView(browser->thumbnailFrameAtIndex(index), nullptr);
        int top = widget()->height() - static_cast<int>(box.maxY());
        return QRect(static_cast<int>(box.minX()) + 3, top + 3, static_cast<int>(box.width()) - 6, static_cast<int>(box.height()) - 6);
    }

    // How many pixels of the rectangle are near the colour.
    static int count(const QImage& image, const QRect& rect, QColor colour)
    {
        int found = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x)
                found += near(image.pixel(x, y), colour) ? 1 : 0;
        }
        return found;
    }

    PictureFolder folder;
    Pictures pictures;
    std::shared_ptr<ImageBrowserView> browser;
};

} // namespace

TEST_F(ImageBrowserWindow, EachVisibleCellShowsAPlaceholderThenItsThumbnailAndTheWindowRepaintsWhenTheyLand)
{
    QtImageFileCache::shared().clear();
    ASSERT_TRUE(widget());
    QImage before = widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    IndexSet visible = browser->indexesOfItemsInRect(browser->visibleRect());
    ASSERT_EQ(visible, (IndexSet { 0, 1, 2, 3, 4, 5, 6, 7, 8 }));
    // The last row shows in part: its cells are checked where they show.
    for (long index : { 0, 1, 2, 3, 4, 5 }) {
        QRect cell = thumbnailInWidget(index);
        EXPECT_GT(count(before, cell, placeholderGrey), cell.width() * cell.height() / 2) << "cell " << index;
        EXPECT_EQ(count(before, cell, Qt::red), 0) << "cell " << index;
    }

    unsigned paints = widget()->paintCount();
    ASSERT_TRUE(QtImageFileCache::shared().waitForDecodes(20000));
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (widget()->paintCount() == paints && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(widget()->paintCount(), paints) << "repainted when the thumbnails landed";

    QImage after = widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (long index : { 0, 1, 2, 3, 4, 5 }) {
        QRect cell = thumbnailInWidget(index);
        // 4:3 fitted in a square box: red across, three quarters of the height.
        EXPECT_GT(count(after, cell, Qt::red), cell.width() * cell.height() * 6 / 10) << "cell " << index;
        EXPECT_EQ(count(after, cell, placeholderGrey), 0) << "cell " << index;
    }
    // Decoded at the cell's size, not the file's.
    auto thumbnail = QtImageFileCache::shared().thumbnail(pictures.items[0]->path, QSize(120, 120), nullptr);
    EXPECT_EQ(thumbnail.image.size(), QSize(120, 90));
}
