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
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 5));

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

} // namespace
