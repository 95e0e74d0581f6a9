#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class WebLayoutSizeTest : public ::testing::Test {
protected:
    void SetUp() override { webView = WebView::create(Rect(0, 0, 800, 600)); }

    void load(const std::u16string& html)
    {
        webView->mainFrame()->loadHTMLString(u"<body style='margin:0'>" + html, std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    }
    std::shared_ptr<DOMElement> element(const char16_t* id) { return webView->mainFrameDocument()->getElementById(id); }
    Rect box(const char16_t* id) { return webView->boundingBox(*element(id)); }
    std::string computed(const char16_t* id, std::u16string_view property)
    {
        return toUTF8(getComputedStyle(*element(id))->getPropertyValue(property));
    }

    std::shared_ptr<WebView> webView;
};

} // namespace

TEST_F(WebLayoutSizeTest, ExplicitWidthsAndHeightsOfBlocks)
{
    load(u"<div id=a style='width:200px;height:3em;padding:0 5px'><p id=in style='margin:0'>x</p></div>"
         u"<div id=b style='width:50%;margin:0'><div id=c style='width:50%;height:50%'>c</div></div>"
         u"<div id=d style='height:100px'><div id=e style='height:25%'>e</div><div id=f style='height:200%'>"
         u"<div id=g style='height:10%'>g</div></div></div>"
         u"<div id=after>z</div><img id=i src=none.png style='width:10%;height:50%'>");
    EXPECT_EQ(box(u"a"), Rect(0, 0, 210, 48)) << "padding outside the specified width";
    EXPECT_EQ(box(u"in").width(), 200);
    EXPECT_EQ(box(u"b").width(), 400);
    EXPECT_EQ(box(u"c").size, (Size { 200, 20 })) << "a percentage of an auto height is auto";
    EXPECT_EQ(box(u"d").height(), 100);
    EXPECT_EQ(box(u"e").height(), 25);
    EXPECT_EQ(box(u"f").height(), 200) << "overflows its container";
    EXPECT_EQ(box(u"g").height(), 20);
    EXPECT_EQ(box(u"after").minY(), box(u"d").maxY()) << "a fixed height ignores overflowing content";
    EXPECT_EQ(box(u"i").width(), 80);
    EXPECT_EQ(box(u"i").height(), 80) << "no definite height to take half of: the width alone keeps the shape";
}

TEST_F(WebLayoutSizeTest, ComputedSizesAreUsedSizesFromLayout)
{
    load(u"<div id=a style='width:50%;height:2em;padding:4px'>a</div><p id=p style='margin:0'>text</p>"
         u"<span id=s>inline</span><div id=hidden style='display:none;width:30px'></div>"
         u"<img id=i width=30 height=40><table id=t style='width:300px'><tr><td id=td>x</td></tr></table>");
    EXPECT_EQ(computed(u"a", u"width"), "400px") << "the content box";
    EXPECT_EQ(computed(u"a", u"height"), "32px");
    EXPECT_EQ(computed(u"p", u"width"), "800px");
    EXPECT_EQ(computed(u"p", u"height"), "20px");
    EXPECT_EQ(computed(u"s", u"width"), "auto");
    EXPECT_EQ(computed(u"hidden", u"width"), "auto");
    EXPECT_EQ(computed(u"i", u"width"), "30px");
    EXPECT_EQ(computed(u"i", u"height"), "40px");
    EXPECT_EQ(computed(u"t", u"width"), "300px");
    EXPECT_EQ(computed(u"td", u"width"), "298px") << "less the cell's padding";

    // Live: edits, style changes and a new view width show in the next query.
    downcast<DOMCharacterData>(*element(u"p")->firstChild()).appendData(std::u16string(200, u'w') + u" x");
    EXPECT_EQ(computed(u"p", u"height"), "40px");
    element(u"a")->setAttribute(u"style", u"width:25%");
    EXPECT_EQ(computed(u"a", u"width"), "200px");
    webView->setFrameSize({ 400, 600 });
    EXPECT_EQ(computed(u"a", u"width"), "100px");

    // A detached element has no box.
    auto detached = element(u"a");
    detached->remove();
    EXPECT_EQ(toUTF8(getComputedStyle(*detached)->getPropertyValue(u"width")), "auto");
}
