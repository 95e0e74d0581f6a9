#include "dom/VornickWebArchiveExtensions.h"

#include "platform/web/WebArchive.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

WebResource resource(std::string_view bytes, std::u16string mimeType, std::u16string encoding)
{
    return WebResource(Data(bytes.begin(), bytes.end()), *URL::create(u"file:///a/page.html"), std::move(mimeType),
                       std::move(encoding));
}

TEST(VornickWebArchiveExtensionsTest, TextOfResources)
{
    EXPECT_TRUE(vornick_isHTML(resource("", u"TEXT/HTML", u"")));
    EXPECT_FALSE(vornick_isHTML(resource("", u"application/xhtml+xml", u"")));

    EXPECT_EQ(vornick_stringValue(resource("caf\xc3\xa9", u"text/html", u"utf-8")), u"caf\u00e9");
    EXPECT_EQ(vornick_stringValue(resource("caf\xe9", u"text/html", u"ISO-8859-1")), u"caf\u00e9");
    EXPECT_FALSE(vornick_stringValue(resource("plain ascii", u"text/html", u""))) << "no name, no text";
    EXPECT_FALSE(vornick_stringValue(resource("x", u"text/html", u"x-no-such-encoding")));
    EXPECT_FALSE(vornick_stringValue(resource("", u"text/html", u"UTF-8")));
    EXPECT_FALSE(vornick_stringValue(resource("caf\xe9", u"text/html", u"UTF-8"))) << "bytes that are not UTF-8";

    // A byte order mark is not part of the text, in any Unicode encoding.
    EXPECT_EQ(vornick_stringValue(resource("\xEF\xBB\xBF<p>x</p>", u"text/html", u"utf-8")), u"<p>x</p>");
    EXPECT_EQ(vornick_stringValue(resource(std::string_view("\xFF\xFE<\0p\0", 6), u"text/html", u"UTF-16")), u"<p");
    EXPECT_EQ(vornick_stringValue(resource("\xEF\xBB\xBF", u"text/html", u"UTF-8")), u"");
}

TEST(VornickWebArchiveExtensionsTest, DumpsNameMissingValues)
{
    auto main = std::make_shared<WebResource>(resource("<p>x</p>", u"text/html", u"UTF-8"));
    auto image = std::make_shared<WebResource>(Data { 1, 2, 3 }, *URL::create(u"file:///a/i.png"), u"image/png");
    WebArchive archive(main, { image });
    auto text = splat(archive);
    EXPECT_NE(text.find(u"data length: 3"), std::u16string::npos);
    EXPECT_NE(text.find(u"text encoding name: nil"), std::u16string::npos);
    EXPECT_NE(text.find(u"<p>x</p>"), std::u16string::npos);
}

} // namespace
