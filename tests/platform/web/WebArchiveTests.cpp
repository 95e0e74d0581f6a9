#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

Data bytes(std::string_view text)
{
    return Data(text.begin(), text.end());
}

TEST(WebArchiveTest, LoadedPageArchivesAndReadsBackEqual)
{
    auto webView = WebView::create(Rect(0, 0, 800, 600));
    webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/web/page.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));

    auto archive = webView->mainFrame()->dataSource()->webArchive();
    EXPECT_EQ(archive->mainResource()->MIMEType(), u"text/html");
    EXPECT_EQ(archive->subresources().size(), 3u);
    ASSERT_EQ(archive->subframeArchives().size(), 1u);
    EXPECT_EQ(archive->subframeArchives()[0]->mainResource()->frameName(), u"innerFrame");

    Data data = archive->data();
    ASSERT_GE(data.size(), 8u);
    EXPECT_EQ(std::string(data.begin(), data.begin() + 8), "bplist00");
    Error error;
    auto readBack = WebArchive::create(data, &error);
    ASSERT_TRUE(readBack) << error;
    EXPECT_EQ(*readBack, *archive);
}

TEST(WebArchiveTest, RejectsDataThatIsNotAnArchive)
{
    Error error;
    EXPECT_FALSE(WebArchive::create(bytes("<html></html>"), &error));
    EXPECT_EQ(error.code(), PropertyListReadCorruptError);

    // A property list of another layout, or a resource missing its data, is not an archive.
    Dictionary other;
    other[u"formatVersion"] = Value(1);
    other[u"mainResource"] = Value(Dictionary { { u"url", Value(u"file:///a.html") }, { u"mimeType", Value(u"text/html") } });
    auto otherData = writePropertyList(Value(other), PropertyListFormat::Binary, nullptr);
    EXPECT_FALSE(WebArchive::create(*otherData, &error));

    // The XML form of a valid archive is refused: archives are binary.
    WebArchive archive(std::make_shared<WebResource>(bytes("<p>x</p>"), *URL::create(u"file:///a.html"), u"text/html", u"UTF-8"));
    auto xml = writePropertyList(archive.propertyList(), PropertyListFormat::XML, nullptr);
    EXPECT_FALSE(WebArchive::create(*xml, &error));
    EXPECT_TRUE(WebArchive::create(archive.data(), &error));
}

TEST(WebArchiveTest, ResourcesKeepEveryFieldAndDataSourcesReplaceByURL)
{
    auto url = *URL::create(u"https://example.org/a/style.css");
    WebResource resource(bytes("p{}"), url, u"text/css", u"ISO-8859-1", u"frame");
    auto copy = WebResource::fromPropertyList(resource.propertyList());
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, resource);

    WebDataSource source(URLRequest(*URL::create(u"https://example.org/a/")));
    source.addSubresource(std::make_shared<WebResource>(bytes("one"), url, u"text/css"));
    source.addSubresource(std::make_shared<WebResource>(bytes("two"), *URL::create(u"style.css", URL::create(u"https://example.org/a/").operator->()), u"text/css"));
    ASSERT_EQ(source.subresources().size(), 1u) << "the same URL, written relatively, replaces";
    EXPECT_EQ(source.subresourceForURL(url)->data(), bytes("two"));
    EXPECT_EQ(webMIMETypeForURL(*URL::create(u"file:///x/page.xhtml")), u"application/xhtml+xml");
    EXPECT_EQ(webMIMETypeForURL(*URL::create(u"file:///x/noextension")), u"application/octet-stream");
}

TEST(WebArchiveTest, UnusualResourcesSurviveTheRoundTrip)
{
    Data binary;
    for (int i = 0; i < 512; ++i)
        binary.push_back(static_cast<uint8_t>(i * 7));
    auto special = URL::fileURLWithPath(std::u16string_view(u"/tmp/a b/\u00fcber #1?%.png"), false);
    std::vector<std::shared_ptr<WebResource>> subresources {
        std::make_shared<WebResource>(binary, special, u"image/png", u""),
        std::make_shared<WebResource>(Data(), *URL::create(u"data:text/plain,a%20b"), u"text/plain", u"windows-1252"),
        std::make_shared<WebResource>(bytes("x"), *URL::create(u"https://example.org/q?a=1&b=%C3%A9#top"), u"text/css", u"UTF-8"),
    };
    auto stringDocument = *URL::create(std::u16string(WebStringDocumentScheme) + u"://7/");
    auto inner = std::make_shared<WebArchive>(
        std::make_shared<WebResource>(bytes("<p>in</p>"), *URL::create(u"about:blank"), u"text/html", u"UTF-16", u"inner"));
    auto middle = std::make_shared<WebArchive>(
        std::make_shared<WebResource>(bytes("<iframe>"), special, u"text/html", u"Shift_JIS", u"middle"),
        std::vector<std::shared_ptr<WebResource>> {}, std::vector<std::shared_ptr<WebArchive>> { inner });
    WebArchive archive(std::make_shared<WebResource>(bytes("<p>\xe9</p>"), stringDocument, u"text/html", u"ISO-8859-1"),
                       subresources, { middle, inner });
    Error error;
    auto readBack = WebArchive::create(archive.data(), &error);
    ASSERT_TRUE(readBack) << error;
    EXPECT_EQ(*readBack, archive);
    EXPECT_EQ(readBack->subresources()[0]->url().absoluteString(), special.absoluteString());
    EXPECT_EQ(readBack->subresources()[0]->data(), binary);
    EXPECT_EQ(readBack->subframeArchives()[0]->subframeArchives()[0]->mainResource()->textEncodingName(), u"UTF-16");

    // Damaged copies fail with an error and never crash.
    Data data = archive.data();
    for (size_t cut = 0; cut < data.size(); cut += 3) {
        Data truncated(data.begin(), data.begin() + cut);
        Error damage;
        EXPECT_FALSE(WebArchive::create(truncated, &damage));
        EXPECT_FALSE(damage.isEmpty());
    }
    for (size_t i = 8; i < data.size(); i += 5) {
        Data flipped = data;
        flipped[i] ^= 0xA5;
        Error damage;
        if (!WebArchive::create(flipped, &damage)) {
            EXPECT_FALSE(damage.isEmpty());
        }
    }
}

} // namespace

TEST(WebArchiveTest, ADraggedArchiveTravelsAsOnePasteboardItem)
{
    WebArchive archive(std::make_shared<WebResource>(bytes("<p>x</p>"), *URL::create(u"file:///a.html"), u"text/html", u"UTF-8"));
    auto item = pasteboardItemWithWebArchiveData(archive.data());
    EXPECT_EQ(item.types(), (std::vector<std::u16string> { WebArchivePboardType }));
    auto readBack = WebArchive::create(*item.dataForType(WebArchivePboardType));
    ASSERT_TRUE(readBack);
    EXPECT_EQ(*readBack, archive);
    EXPECT_TRUE(pasteboardItemWithWebArchiveData({}).isEmpty());
}
