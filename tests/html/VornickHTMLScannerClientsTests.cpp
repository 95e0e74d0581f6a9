#include "html/VornickHTMLStartTagAttributeFinder.h"
#include "html/VornickHTMLStringElementFinder.h"
#include "html/VornickHTMLStringResourceReferenceFinder.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <set>

using namespace brevanton;

namespace {

std::set<std::string> absoluteStrings(const std::unordered_set<URL>& urls)
{
    std::set<std::string> result;
    for (auto& url : urls)
        result.insert(toUTF8(url.absoluteString()));
    return result;
}

} // namespace

TEST(HTMLScannerClients, ResourceFinderFindsMediaButNotLinks)
{
    auto base = URL::create(std::string_view("https://example.com/blog/post/"));
    std::u16string html = u"<a href=\"other.html\"><img src=\"pic.png\" srcset=\"pic-2x.png 2x, /abs/pic-3x.png 3x\"></a>"
                          u"<link rel=stylesheet href='s.css'><video poster=p.jpg src=v.mp4></video><iframe src=f.html></iframe>"
                          u"<picture><source srcset=\"w1.webp 640w,w2.webp 1280w\" src=s.webp></picture>"
                          u"<embed src=e.swf><object data=o.pdf></object><input src=btn.png type=\"image\"><input type=text src=no.png>";
    auto urls = absoluteStrings(VornickHTMLStringResourceReferenceFinder::URLsReferencedInHTMLString(html, base));
    std::set<std::string> expected;
    for (const char* path : { "blog/post/pic.png", "blog/post/pic-2x.png", "abs/pic-3x.png", "blog/post/s.css", "blog/post/p.jpg",
                              "blog/post/v.mp4", "blog/post/w1.webp", "blog/post/w2.webp", "blog/post/s.webp", "blog/post/e.swf",
                              "blog/post/o.pdf", "blog/post/btn.png" })
        expected.insert(std::string("https://example.com/") + path);
    EXPECT_EQ(urls, expected);
}

TEST(HTMLScannerClients, ReplacerRewritesEveryReferenceInPlace)
{
    struct Replacer : VornickHTMLStringResourceReferenceReplacer {
        using VornickHTMLStringResourceReferenceReplacer::VornickHTMLStringResourceReferenceReplacer;
        std::u16string replacementURLStringForURLString(std::u16string_view urlString, const URL& resolvedURL) override
        {
            if (urlString == u"keep.png")
                return std::u16string(urlString);
            return u"https://cdn.example.com" + resolvedURL.percentEncodedPath();
        }
    };
    auto base = URL::fileURLWithPath(std::string_view("/cache/"), true);
    Replacer replacer { u"<p><img src=\"a b.png\" srcset='x.png 1x, y.png 2x'><img src=keep.png><img src=c.png></p>", base };
    EXPECT_EQ(replacer.replaceReferencesInHTMLString(),
              u"<p><img src=\"https://cdn.example.com/cache/a%20b.png\" srcset='https://cdn.example.com/cache/x.png 1x, "
              u"https://cdn.example.com/cache/y.png 2x'><img src=keep.png><img src=https://cdn.example.com/cache/c.png></p>");
    EXPECT_EQ(replacer.referenceRanges().size(), 5u);

    VornickHTMLStringResourceReferenceReplacer unchanged { u"<img src='a.png'>", base };
    EXPECT_EQ(unchanged.replaceReferencesInHTMLString(), u"<img src='a.png'>");
}

TEST(HTMLScannerClients, ElementFinder)
{
    auto matches = VornickHTMLStringElementFinder::elementsWithTagName(u"meta",
        u"<head><META Name=\"description\" content='A &amp; B'><meta charset=utf-8><title>t</title></head>");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].tagName(), u"meta");
    EXPECT_EQ(matches[0].attributes(), (std::map<std::u16string, std::u16string> { { u"name", u"description" }, { u"content", u"A &amp; B" } }));
    EXPECT_EQ(matches[0].text(), u"");
    EXPECT_EQ(matches[1].attributes().at(u"charset"), u"utf-8");

    auto titles = VornickHTMLStringElementFinder::elementsWithTagName(u"a", u"<a href=x>one <b class=\"c\">two</b> &amp; three</a>");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].text(), u"one two &amp; three");
    EXPECT_EQ(titles[0].attributes().at(u"class"), u"c");
}

TEST(HTMLScannerClients, AttributeAtLocation)
{
    std::u16string tag = u"<img src=\"a.png\"  alt=b title>";
    VornickHTMLStartTagAttributeFinder finder;
    EXPECT_EQ(finder.nameOfAttributeAtLocation(5, tag), u"src");   // name
    EXPECT_EQ(finder.nameOfAttributeAtLocation(8, tag), u"src");   // "="
    EXPECT_EQ(finder.nameOfAttributeAtLocation(12, tag), u"src");  // value
    EXPECT_EQ(finder.nameOfAttributeAtLocation(16, tag), std::nullopt); // blank
    EXPECT_EQ(finder.nameOfAttributeAtLocation(22, tag), u"alt");  // unquoted value
    EXPECT_EQ(finder.nameOfAttributeAtLocation(25, tag), u"title");
    EXPECT_EQ(finder.nameOfAttributeAtLocation(2, tag), std::nullopt);
}

TEST(HTMLScannerClients, TextExtraction)
{
    EXPECT_EQ(vornick_stringbyStrippingHTMLMarkup(u"<p class=\"x\" id=y>a&amp;b<script>if (a < b) x();</script></p>"), u"a&b");
    EXPECT_EQ(vornick_stringbyStrippingHTMLMarkup(u"<!DOCTYPE html><style>p{}</style><p>AT&T &#x1F600; &unknownname; <!-- c --></p>"),
              u"AT&T \U0001F600 &unknownname; ");
}
