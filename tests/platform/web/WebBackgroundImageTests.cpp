// Background images: found through the cascade, placed from the padding box's
// corner, repeated as background-repeat says and kept within the padding box.
#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebBackgroundImage.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class WebBackgroundImageTest : public ::testing::Test {
protected:
    void SetUp() override { webView = WebView::create(Rect(0, 0, 400, 300)); }

    // Pages stand beside tests/data/web/picture.png, 40 × 30 pixels.
    void load(const std::u16string& body)
    {
        webView->mainFrame()->loadHTMLString(u"<body style='margin:0'>" + body,
                                             URL::fileURLWithPath(folder() + "/page.html"));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->layoutIfNeeded();
    }
    static std::string folder() { return std::string(BREVANTON_TEST_DATA_DIR) + "/web"; }
    std::shared_ptr<DOMElement> element(const char16_t* id) { return webView->mainFrameDocument()->getElementById(id); }
    Rect box(const char16_t* id) { return webView->boundingBox(*element(id)); }
    std::vector<DrawCommand> images()
    {
        GraphicsContext context;
        webView->display(context);
        std::vector<DrawCommand> result;
        for (auto& command : context.commandsOfView(webView->mainFrame()->frameView()->documentView().get())) {
            if (command.kind == DrawCommand::Kind::ImageFile)
                result.push_back(command);
        }
        return result;
    }

    std::shared_ptr<WebView> webView;
};

} // namespace

TEST(WebBackgroundTiling, CopiesCoverTheClipInTheDirectionsThatRepeat)
{
    Rect clip(10, 20, 100, 50);
    Size image { 40, 30 };
    auto both = webBackgroundTiling(clip, clip.origin, image, u"repeat");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->area, clip);
    EXPECT_EQ(both->tile, Rect(10, 20, 40, 30));
    EXPECT_EQ(webBackgroundTiling(clip, clip.origin, image, u"repeat-x")->area, Rect(10, 20, 100, 30));
    EXPECT_EQ(webBackgroundTiling(clip, clip.origin, image, u"repeat-y")->area, Rect(10, 20, 40, 50));
    EXPECT_EQ(webBackgroundTiling(clip, clip.origin, image, u"no-repeat")->area, Rect(10, 20, 40, 30));
    EXPECT_EQ(webBackgroundTiling(clip, clip.origin, image, u"space")->area, clip) << "space and round repeat plainly";
    EXPECT_EQ(webBackgroundTiling(Rect(0, 0, 20, 10), { 0, 0 }, image, u"no-repeat")->area, Rect(0, 0, 20, 10))
        << "an image larger than the box is cut to it";
    // A copy placed elsewhere (the canvas's, from the root's box) shows only where it meets the clip.
    auto below = webBackgroundTiling(Rect(0, 100, 200, 100), { 0, 0 }, image, u"repeat");
    EXPECT_EQ(below->area, Rect(0, 100, 200, 100));
    EXPECT_EQ(below->tile, Rect(0, 0, 40, 30)) << "copies stay in step with the first";
    EXPECT_FALSE(webBackgroundTiling(Rect(0, 100, 200, 100), { 0, 0 }, image, u"no-repeat"));
    EXPECT_FALSE(webBackgroundTiling(Rect(0, 100, 200, 100), { 0, 0 }, image, u"repeat-x"));
    EXPECT_FALSE(webBackgroundTiling(clip, clip.origin, Size { 0, 30 }, u"repeat"));
    EXPECT_FALSE(webBackgroundTiling(Rect(), { 0, 0 }, image, u"repeat"));
}

TEST_F(WebBackgroundImageTest, ElementsDrawTheirImageInTheirPaddingBox)
{
    load(u"<div id=a style='background-image:url(picture.png);width:100px;height:50px;border:2px solid;padding:3px'>a</div>"
         u"<div id=b style='background:#fff url(\"picture.png\") no-repeat;height:80px'>b</div>"
         u"<div id=c style='background-image:url(picture.png);background-repeat:repeat-x;height:100px'>c</div>"
         u"<div id=missing style='background-image:url(missing.png);height:10px'>m</div>"
         u"<div id=remote style='background-image:url(http://example.com/a.png);height:10px'>r</div>"
         u"<div id=none style='background-image:none;height:10px'>n</div>");
    auto drawn = images();
    ASSERT_EQ(drawn.size(), 3u) << "missing and remote images draw nothing";
    for (auto& command : drawn) {
        EXPECT_EQ(command.imagePath, folder() + "/picture.png");
        ASSERT_TRUE(command.tile);
        EXPECT_EQ(command.tile->size, (Size { 40, 30 })) << "the image's own pixel size";
    }
    Rect a = box(u"a");
    Rect padding(a.minX() + 2, a.minY() + 2, a.width() - 4, a.height() - 4);
    EXPECT_EQ(drawn[0].rect, padding) << "repeated over the padding box, not the border";
    EXPECT_EQ(drawn[0].tile->origin, padding.origin);
    Rect b = box(u"b");
    EXPECT_EQ(drawn[1].rect, Rect(b.minX(), b.minY(), 40, 30)) << "the shorthand's image, drawn once";
    Rect c = box(u"c");
    EXPECT_EQ(drawn[2].rect, Rect(c.minX(), c.minY(), c.width(), 30));
}

TEST_F(WebBackgroundImageTest, TheBodysImageCoversTheCanvasOnce)
{
    load(u"<div id=d style='height:1000px'>x</div>");
    element(u"d")->parentElement()->setAttribute(u"style", u"margin:10px;background:url(picture.png)");
    webView->layoutIfNeeded();
    auto drawn = images();
    ASSERT_EQ(drawn.size(), 1u) << "not again in the body's own box";
    ASSERT_TRUE(drawn[0].tile);
    EXPECT_EQ(drawn[0].tile->origin, (Point { 0, 0 })) << "in step with the root's box";
    EXPECT_TRUE(drawn[0].rect.containsRect(Rect(0, 0, 300, 200))) << "the whole visible canvas, margins too";

    // With a background of its own, the root keeps the body's image in the body's box.
    webView->mainFrameDocument()->documentElement()->setAttribute(u"style", u"background:#eee");
    webView->layoutIfNeeded();
    drawn = images();
    ASSERT_EQ(drawn.size(), 1u);
    Rect body = webView->boundingBox(*webView->mainFrameDocument()->body());
    EXPECT_EQ(drawn[0].tile->origin, body.origin);
    EXPECT_EQ(drawn[0].rect.minX(), 10);
}
