// The media library window, each beside its peer in the same run:
// - opening a blog's library of 5,000 items (a fresh context on the saved
//   index, the browser's window, its items sorted and the first page drawn)
//   beside raw SQLite reading the same columns in the same order (closing
//   and freeing left out of both);
// - the first 60 thumbnails of 12-megapixel JPEGs decoded at the cell's size
//   by the thumbnail cache's workers beside QImageReader at that size on as
//   many threads; and the paint of their placeholders while they decode;
// - a page scroll over cached thumbnails (the grid recorded and replayed by
//   the Qt painter) beside QPainter drawing the same images in the same places.
// The memory a thumbnail takes is given as a counter.
#include "QtBenchApplication.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtImageFileCache.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QImage>
#include <QFont>
#include <QImageReader>
#include <QPainter>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>

using namespace brevanton;

namespace {

constexpr int libraryItemCount = 5000;

// A WordPress account project whose blog holds 5,000 media items, saved.
struct SavedLibrary {
    SavedLibrary()
    {
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        auto& context = *project->index()->managedObjectContext();
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"site.brevantonwordpressblog");
        blog->setValueForKey(Value(u"https://site.example"), u"browseURLString");
        blog->setValueForKey(Value(u"Site"), u"title");
        for (int i = 0; i < libraryItemCount; ++i) {
            auto item = context.insertNewObject(u"MediaItem");
            std::u16string number = toUTF16(std::to_string(i));
            item->setValueForKey(Value(u"Picture " + number), u"title");
            item->setValueForKey(Value(Date(1.7e9 + (i * 7919 % libraryItemCount) * 60.0)), u"dateCreated");
            item->setValueForKey(Value(number), u"identifierUsedByBlogService");
            item->setValueForKey(Value(u"https://site.example/uploads/picture" + number + u".jpg"), u"remoteURLString");
            item->setValueForKey(Value(int64_t(4000)), u"pixelsWide");
            item->setValueForKey(Value(int64_t(3000)), u"pixelsHigh");
            item->setObjectForKey(blog, u"blog");
        }
        if (!context.save(&error))
            project.reset();
        blogID = blog->objectID();
    }
    ~SavedLibrary()
    {
        project.reset();
        std::filesystem::remove_all(folder);
    }

    std::string folder = createTemporaryDirectory("brevanton-media-bench").value_or("/tmp");
    std::shared_ptr<VornickWordPressBlogProject> project;
    ManagedObjectID blogID;
};

void BM_MediaLibraryOpen5000Items(benchmark::State& state)
{
    ensureQtBenchApplication();
    SavedLibrary library;
    if (!library.project) {
        state.SkipWithError("no project");
        return;
    }
    auto store = library.project->index()->managedObjectContext()->persistentStore();
    size_t drawn = 0;
    for (auto _ : state) {
        auto context = ManagedObjectContext::create(store);
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context->existingObjectWithID(library.blogID));
        auto browser = std::make_shared<VornickWordPressMediaLibraryBrowser>();
        browser->loadWindow();
        browser->setBlog(blog);
        GraphicsContext page;
        browser->window()->contentView()->display(page);
        drawn = page.commands().size();
        benchmark::DoNotOptimize(browser->mediaItems().size());
        // Closing the window and freeing the objects are not part of opening.
        state.PauseTiming();
        browser->window()->close();
        browser.reset();
        blog.reset();
        context.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = libraryItemCount;
    state.counters["commands"] = static_cast<double>(drawn);
}
BENCHMARK(BM_MediaLibraryOpen5000Items)->Unit(benchmark::kMillisecond);

void BM_MediaLibraryOpen5000ItemsPeerRawSQLite(benchmark::State& state)
{
    SavedLibrary library;
    if (!library.project) {
        state.SkipWithError("no project");
        return;
    }
    sqlite3* database = nullptr;
    sqlite3_open_v2(library.project->index()->managedObjectContext()->persistentStore()->path().c_str(), &database,
                    SQLITE_OPEN_READONLY, nullptr);
    int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database,
                           "SELECT id, title, dateCreated, uniqueIdentifier, localURLString, remoteURLString, pixelsWide, pixelsHigh, "
                           "identifierUsedByBlogService FROM MediaItem WHERE blog = (SELECT min(id) FROM Blog) "
                           "ORDER BY dateCreated DESC, title, uniqueIdentifier",
                           -1, &statement, nullptr);
        rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
            for (int column = 1; column < 9; ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, column));
            ++rows;
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    state.counters["items"] = static_cast<double>(rows);
}
BENCHMARK(BM_MediaLibraryOpen5000ItemsPeerRawSQLite)->Unit(benchmark::kMillisecond);

// 60 copies of one 12-megapixel JPEG (encoded once).
struct LargeJPEGs {
    LargeJPEGs()
    {
        QImage picture(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                line[x] = qRgb(x * 255 / 4000, y * 255 / 3000, (x ^ y) & 0xff);
        }
        std::string first = folder + "/picture0.jpg";
        picture.save(QString::fromStdString(first), "JPEG", 85);
        paths.push_back(first);
        for (int i = 1; i < 60; ++i) {
            paths.push_back(folder + "/picture" + std::to_string(i) + ".jpg");
            std::filesystem::copy_file(first, paths.back());
        }
    }
    ~LargeJPEGs() { std::filesystem::remove_all(folder); }

    std::string folder = createTemporaryDirectory("brevanton-thumbnail-bench").value_or("/tmp");
    std::vector<std::string> paths;
};

constexpr QSize cellPixels(120, 120);

void BM_MediaLibraryFirst60Thumbnails(benchmark::State& state)
{
    ensureQtBenchApplication();
    LargeJPEGs files;
    int64_t bytes = 0;
    size_t images = 0;
    int threads = 0;
    for (auto _ : state) {
        QtImageFileCache cache;
        threads = cache.workerThreadCount();
        cache.beginPaint();
        for (auto& path : files.paths)
            (void)cache.thumbnail(path, cellPixels, nullptr);
        if (!cache.waitForDecodes(120000))
            state.SkipWithError("decodes did not land");
        bytes = cache.byteCount();
        images = cache.imageCount();
    }
    state.counters["threads"] = threads;
    state.counters["bytesPerThumbnail"] = images ? static_cast<double>(bytes) / static_cast<double>(images) : 0;
}
BENCHMARK(BM_MediaLibraryFirst60Thumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

void BM_MediaLibraryFirst60ThumbnailsPeerQImageReader(benchmark::State& state)
{
    ensureQtBenchApplication();
    LargeJPEGs files;
    QThreadPool pool;
    pool.setMaxThreadCount(QtImageFileCache().workerThreadCount());
    for (auto _ : state) {
        std::atomic<int> decoded { 0 };
        for (auto& path : files.paths) {
            pool.start([&decoded, path] {
                QImageReader reader(QString::fromStdString(path));
                reader.setScaledSize(reader.size().scaled(cellPixels, Qt::KeepAspectRatio));
                if (!reader.read().isNull())
                    ++decoded;
            });
        }
        pool.waitForDone();
        if (decoded != 60)
            state.SkipWithError("not every picture decoded");
    }
    state.counters["threads"] = pool.maxThreadCount();
}
BENCHMARK(BM_MediaLibraryFirst60ThumbnailsPeerQImageReader)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// A grid of file items in a 1200 by 800 scroll view: 8 columns, about 4.5 rows a page.
class Pictures : public ImageBrowserDataSource {
public:
    explicit Pictures(const std::vector<std::string>& paths, int count)
    {
        for (int i = 0; i < count; ++i)
            m_items.push_back(std::make_shared<Item>(paths[static_cast<size_t>(i) % paths.size()], i));
    }
    long numberOfItemsInImageBrowser(ImageBrowserView&) override { return static_cast<long>(m_items.size()); }
    std::shared_ptr<ImageBrowserItem> imageBrowserItemAtIndex(ImageBrowserView&, long index) override
    {
        return m_items[static_cast<size_t>(index)];
    }

private:
    // Each keeps its file's URL, as the library's items do once read.
    struct Item : ImageBrowserItem {
        Item(const std::string& path, int number)
            : url(URL::fileURLWithPath(path, false))
            , title(u"Picture " + toUTF16(std::to_string(number)))
        {
        }
        std::u16string imageUID() const override { return title; }
        std::optional<URL> imageRepresentation() const override { return url; }
        std::u16string imageTitle() const override { return title; }
        std::u16string imageSubtitle() const override { return u"4000 x 3000"; }
        URL url;
        std::u16string title;
    };
    std::vector<std::shared_ptr<Item>> m_items;
};

struct Grid {
    explicit Grid(Pictures& pictures)
    {
        window = Window::create(Rect(0, 0, 1200, 800));
        scrollView = std::make_shared<ScrollView>(Rect(0, 0, 1200, 800));
        scrollView->setHasVerticalScroller(true);
        scrollView->setOverlaysScrollers(true);
        browser = std::make_shared<ImageBrowserView>(Rect(0, 0, 1200, 800));
        browser->setDataSource(&pictures);
        scrollView->setDocumentView(browser);
        window->contentView()->addSubview(scrollView);
        browser->reloadData();
    }
    std::vector<DrawCommand> page()
    {
        GraphicsContext context;
        window->contentView()->display(context);
        return context.commands();
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<ImageBrowserView> browser;
};

void BM_MediaLibraryPlaceholdersPaint(benchmark::State& state)
{
    ensureQtBenchApplication();
    LargeJPEGs files;
    Pictures pictures(files.paths, 60);
    Grid grid(pictures);
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        QtImageFileCache::shared().clear();
        state.ResumeTiming();
        auto commands = grid.page();
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(800)).paint(commands);
        painter.end();
        state.PauseTiming();
        (void)QtImageFileCache::shared().waitForDecodes(120000);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MediaLibraryPlaceholdersPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

// Pages of the grid over 120 cached thumbnails, scrolled a page at a time.
struct ScrolledGrid {
    ScrolledGrid() : pictures(files.paths, 120), grid(pictures)
    {
        auto& cache = QtImageFileCache::shared();
        cache.clear();
        cache.beginPaint();
        for (auto& path : files.paths)
            (void)cache.thumbnail(path, cellPixels, nullptr);
        (void)cache.waitForDecodes(120000);
    }
    struct QtReady {
        QtReady() { ensureQtBenchApplication(); }
    } ready;
    LargeJPEGs files;
    Pictures pictures;
    Grid grid;
};

void BM_MediaLibraryPageScrollOverCachedThumbnails(benchmark::State& state)
{
    ScrolledGrid scrolled;
    auto clip = scrolled.grid.scrollView->contentView();
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    double y = 0;
    size_t files = 0;
    for (auto _ : state) {
        y = y + 800 > scrolled.grid.browser->frame().height() - 800 ? 0 : y + 800;
        clip->scrollToPoint({ 0, y });
        auto commands = scrolled.grid.page();
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(800)).paint(commands);
        files = static_cast<size_t>(std::count_if(commands.begin(), commands.end(),
                                                   [](auto& command) { return command.kind == DrawCommand::Kind::ImageFile; }));
    }
    state.counters["thumbnails"] = static_cast<double>(files);
    state.counters["decoding"] = QtImageFileCache::shared().decodesInFlight();
    state.counters["cached"] = static_cast<double>(QtImageFileCache::shared().imageCount());
}
BENCHMARK(BM_MediaLibraryPageScrollOverCachedThumbnails)->Unit(benchmark::kMillisecond);

// The same page drawn straight with QPainter: the background, each cell's
// thumbnail fitted in its box, its title and its subtitle.
void BM_MediaLibraryPageScrollOverCachedThumbnailsPeerQPainter(benchmark::State& state)
{
    ScrolledGrid scrolled;
    auto& browser = *scrolled.grid.browser;
    std::vector<QImage> thumbnails;
    for (auto& path : scrolled.files.paths)
        thumbnails.push_back(QtImageFileCache::shared().thumbnail(path, cellPixels, nullptr).image);
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    double y = 0;
    for (auto _ : state) {
        y = y + 800 > browser.frame().height() - 800 ? 0 : y + 800;
        QPainter painter(&image);
        painter.fillRect(QRectF(0, 0, 1200, 800), Qt::white);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setFont(font);
        for (long index : browser.indexesOfItemsInRect(Rect(0, y, 1200, 800))) {
            Rect box = browser.thumbnailFrameAtIndex(index);
            const QImage& thumbnail = thumbnails[static_cast<size_t>(index) % thumbnails.size()];
            QSizeF fitted = QSizeF(thumbnail.size()).scaled(QSizeF(box.width(), box.height()), Qt::KeepAspectRatio);
            painter.drawImage(QRectF(box.midX() - fitted.width() / 2, box.midY() - y - fitted.height() / 2, fitted.width(), fitted.height()),
                              thumbnail);
            painter.drawText(QPointF(box.minX(), box.maxY() - y + 14), QStringLiteral("Picture %1").arg(index));
            painter.drawText(QPointF(box.minX(), box.maxY() - y + 28), QStringLiteral("4000 x 3000"));
        }
    }
}
BENCHMARK(BM_MediaLibraryPageScrollOverCachedThumbnailsPeerQPainter)->Unit(benchmark::kMillisecond);

} // namespace
