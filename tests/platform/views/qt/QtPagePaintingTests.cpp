#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtPageCommandPainter.h"
#include "platform/web/WebView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brevanton_platform_views_qt_tests";
    static char* argv[] = { name, nullptr };
    new QApplication(argc, argv);
}

QRect inkBounds(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
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
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 5));
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
