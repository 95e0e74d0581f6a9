#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCollections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtPageCommandPainter.h"
#include "platform/web/WebView.h"

#include <QImage>
#include <QPainter>

#include "tests/platform/views/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace brevanton;
using brevanton::testing::inkBounds;

namespace qt_page_painting_tests {
namespace {

void ensureApplication()
{
    brevanton::testing::qtApplication();
}


} // namespace

TEST(QtPagePainting, PagesLaidOutWithDejaVuDrawEveryRunInItsLineBox)
{
    ensureApplication();
    installQtFontMetricsProvider();
    auto webView = WebView::create(Rect(0, 0, 300, 200));
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><p id=p style='margin:0'>Hamburgefonstiv quickly wraps "
                                         u"<b>bold words</b> and <i>slanted</i> ones</p><pre style='margin:0'>mono  code</pre>",
                                         std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    webView->layoutIfNeeded();
    GraphicsContext context;
    webView->display(context);
    auto documentView = webView->mainFrame()->frameView()->documentView();
    std::vector<DrawCommand> runs;
    for (auto& command : context.commandsOfView(documentView.get())) {
        if (command.kind == DrawCommand::Kind::TextRun)
            runs.push_back(command);
    }
    ASSERT_GE(runs.size(), 4u);
    bool fractional = false;
    for (auto& run : runs) {
        for (double x : run.glyphPositions)
            fractional = fractional || std::abs(x - std::round(x)) > 1e-3;
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        qtPaintTextRun(painter, run, QRectF(run.rect.minX(), run.rect.minY(), run.rect.width(), run.rect.height()));
        painter.end();
        QRect ink = inkBounds(image);
        ASSERT_FALSE(ink.isEmpty()) << run.rect.description();
        // Glyphs may overhang their advance by a pixel; they never leave the line.
        EXPECT_GE(ink.left(), std::floor(run.rect.minX()) - 1) << run.rect.description();
        EXPECT_LE(ink.right(), std::ceil(run.rect.maxX()) + 1) << run.rect.description();
        EXPECT_GE(ink.top(), std::floor(run.rect.minY())) << run.rect.description();
        EXPECT_LE(ink.bottom(), std::ceil(run.rect.maxY())) << run.rect.description();
    }
    EXPECT_TRUE(fractional);
    EXPECT_EQ(qtPinnedFontFamily(*runs.back().font), QStringLiteral("DejaVu Sans Mono"));

    // A click left of a glyph's middle lands before it, right of it after it.
    auto& layout = webView->mainFrame()->layout();
    auto& text = *webView->mainFrameDocument()->getElementById(u"p")->firstChild();
    auto run = layout.textRun(text, 0);
    for (unsigned k : { 1u, 5u, 9u }) {
        double middle = (run->positions[k] + run->positions[k + 1]) / 2;
        EXPECT_EQ(layout.offsetForPoint(text, { middle - 0.2, run->rect.midY() }), k);
        EXPECT_EQ(layout.offsetForPoint(text, { middle + 0.2, run->rect.midY() }), k + 1);
    }
    FontMetricsProvider::setCurrent(nullptr);
}

TEST(QtPagePainting, TheWindowPainterPutsRunsAndImagesWhereTheWindowHasTheirBoxes)
{
    ensureApplication();
    installQtFontMetricsProvider();
    auto picture = std::filesystem::temp_directory_path() / "brevanton-qt-page-blue.png";
    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(QString::fromStdString(picture.string())));
    auto window = Window::create(Rect(0, 0, 320, 240));
    auto webView = WebView::create(Rect(20, 30, 280, 180));
    window->contentView()->addSubview(webView);
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><p style='margin:0'>Placed text</p>"
                                         u"<img src='x.png' width=10 height=10></body>",
                                         std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    // The image's source is the file (set after the load, so nothing is loaded for it).
    webView->mainFrameDocument()->getElementsByTagName(u"img")->item(0)->setAttribute(
        u"src", URL::fileURLWithPath(picture.string()).absoluteString());
    GraphicsContext context;
    window->contentView()->display(context);
    auto device = [](const Rect& inWindow) {
        return QRectF(inWindow.minX(), 240 - inWindow.maxY(), inWindow.width(), inWindow.height());
    };
    int checked = 0;
    for (auto& command : context.commands()) {
        if (command.kind != DrawCommand::Kind::TextRun && command.kind != DrawCommand::Kind::ImageFile)
            continue;
        QImage pixels(320, 240, QImage::Format_RGB32);
        pixels.fill(Qt::white);
        QPainter painter(&pixels);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(240)).paint(command);
        painter.end();
        QRect ink = inkBounds(pixels);
        QRectF box = device(command.rectInWindow);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), std::floor(box.left()) - 1);
        EXPECT_LE(ink.right(), std::ceil(box.right()) + 1);
        EXPECT_GE(ink.top(), std::floor(box.top()));
        EXPECT_LE(ink.bottom(), std::ceil(box.bottom()));
        ++checked;
    }
    EXPECT_EQ(checked, 2) << "the run and the image";
    std::filesystem::remove(picture);
    FontMetricsProvider::setCurrent(nullptr);
}

TEST(QtPagePainting, BackgroundImagesStartUprightAtThePaddingBoxCornerInTheWindow)
{
    ensureApplication();
    // Four pixels of four colours: any flip or shift of the copies shows.
    auto picture = std::filesystem::temp_directory_path() / "brevanton-qt-page-quad.png";
    QImage quad(2, 2, QImage::Format_RGB32);
    quad.setPixel(0, 0, qRgb(255, 0, 0));
    quad.setPixel(1, 0, qRgb(0, 0, 255));
    quad.setPixel(0, 1, qRgb(0, 255, 0));
    quad.setPixel(1, 1, qRgb(0, 0, 0));
    ASSERT_TRUE(quad.save(QString::fromStdString(picture.string())));
    auto window = Window::create(Rect(0, 0, 320, 240));
    auto webView = WebView::create(Rect(20, 30, 280, 180));
    window->contentView()->addSubview(webView);
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><div id=d style='margin:5px;border:3px solid;padding:4px;"
                                         u"height:20px;background-image:url(brevanton-qt-page-quad.png)'>x</div></body>",
                                         URL::fileURLWithPath(picture.parent_path().string() + "/page.html"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    GraphicsContext context;
    window->contentView()->display(context);
    const DrawCommand* image = nullptr;
    for (auto& command : context.commands())
        image = command.kind == DrawCommand::Kind::ImageFile ? &command : image;
    ASSERT_TRUE(image);
    QImage pixels(320, 240, QImage::Format_RGB32);
    pixels.fill(Qt::white);
    QPainter painter(&pixels);
    QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(240)).paint(*image);
    painter.end();
    std::filesystem::remove(picture);
    // The padding box: 8px in from the view's corner (margin and border), 280 - 16 wide, 4 + 20 + 4 high.
    QRect padding(20 + 8, 30 + 8, 280 - 16, 28);
    EXPECT_EQ(inkBounds(pixels), padding);
    int x = padding.left(), y = padding.top();
    EXPECT_EQ(pixels.pixel(x, y), qRgb(255, 0, 0)) << "the image's top left pixel at the corner";
    EXPECT_EQ(pixels.pixel(x + 1, y), qRgb(0, 0, 255));
    EXPECT_EQ(pixels.pixel(x, y + 1), qRgb(0, 255, 0)) << "upright, not flipped";
    EXPECT_EQ(pixels.pixel(x + 3, y + 5), qRgb(0, 0, 0)) << "repeated in step";
    EXPECT_EQ(pixels.pixel(padding.right(), padding.bottom()), qRgb(0, 0, 0));
}

TEST(QtPagePainting, TableCellsMeasuredWithDejaVuKeepTheirTextOnOneLineWhenThereIsRoom)
{
    ensureApplication();
    installQtFontMetricsProvider();
    auto webView = WebView::create(Rect(0, 0, 700, 300));
    // Fractional advances: a cell is exactly as wide as its text, summed word by word.
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><table border=1><tr><th>Name</th><th>Role and place</th></tr>"
                                         u"<tr><td>Hamburgefonstiv quickly</td><td><b>bold words</b> and <i>slanted</i> ones</td></tr>"
                                         u"<tr><td>Ada Lovelace</td><td>Counts numbers, wi11 iii mmm WWW</td></tr>"
                                         u"<tr><td colspan=2 style='font-size:13px'>a spanning row of smaller words</td></tr></table>",
                                         std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    webView->layoutIfNeeded();
    auto document = webView->mainFrameDocument();
    auto cells = document->getElementsByTagName(u"td");
    auto& layout = webView->mainFrame()->layout();
    for (unsigned i = 0; i < cells->length(); ++i) {
        auto cell = cells->item(i);
        std::optional<double> lineTop;
        for (DOMNode* node = cell->first(); node; node = node->traverseNext(cell.get())) {
            for (auto& line : layout.lineBoxRects(*node)) {
                if (!lineTop)
                    lineTop = line.minY();
                EXPECT_EQ(line.minY(), *lineTop) << "cell " << i;
                EXPECT_LE(line.maxX(), webView->boundingBox(*cell).maxX()) << "cell " << i;
            }
        }
        EXPECT_TRUE(lineTop) << "cell " << i;
    }
    EXPECT_LT(webView->boundingBox(*document->getElementsByTagName(u"table")->item(0)).width(), 600);
    FontMetricsProvider::setCurrent(nullptr);
}

} // namespace qt_page_painting_tests
