#include "publishing/VornickOEmbedHTMLCleaning.h"

#include "dom/VornickDocumentExtensions.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

namespace brevanton {

TEST(VornickOEmbedHTMLCleaningTests, ActiveContentGoesAndTheRestStays)
{
    auto document = DOMDocument::createHTMLDocument();
    auto fragment = vornick_createCleanedUpDocumentFragmentWithHTMLString(*document,
        u"<blockquote class=\"embed\" data-id=\"7\" ONMOUSEOVER=\"x()\"><p>Quote <img src=\"https://pics.example/a.png\" onerror=\"x()\">"
        u"<a href=\" JavaScript:x()\">a</a><a href=\"https://ok.example/\">b</a></p>"
        u"<object data=\"x.swf\"></object><embed src=\"x.swf\"><frameset></frameset>"
        u"<iframe srcdoc=\"<script>x()</script>\"></iframe><script src=\"https://evil.example/x.js\"></script></blockquote>",
        nullptr);
    ASSERT_TRUE(fragment);
    vornick_removeActiveContentFromFragment(*fragment);
    auto holder = document->createElement(u"div");
    holder->appendChild(fragment);
    for (auto name : { u"script", u"iframe", u"object", u"embed", u"frameset" })
        EXPECT_EQ(holder->getElementsByTagName(name)->length(), 0u);
    auto quote = holder->getElementsByTagName(u"blockquote")->item(0);
    ASSERT_TRUE(quote);
    EXPECT_FALSE(quote->hasAttribute(u"onmouseover"));
    EXPECT_EQ(quote->getAttribute(u"data-id"), u"7");
    auto image = holder->getElementsByTagName(u"img")->item(0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getAttribute(u"src"), u"https://pics.example/a.png");
    EXPECT_FALSE(image->hasAttribute(u"onerror"));
    auto links = holder->getElementsByTagName(u"a");
    ASSERT_EQ(links->length(), 2u);
    EXPECT_FALSE(links->item(0)->hasAttribute(u"href"));
    EXPECT_EQ(links->item(1)->getAttribute(u"href"), u"https://ok.example/");
}

} // namespace brevanton
