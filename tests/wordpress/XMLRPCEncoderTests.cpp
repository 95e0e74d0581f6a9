#include "wordpress/XMLRPCEncoder.h"

#include "platform/foundation/Text.h"
#include "wordpress/XMLRPCDateText.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <tuple>

namespace brevanton {
namespace {

std::string encoded(std::u16string method, Array parameters)
{
    XMLRPCDefaultEncoder encoder;
    encoder.setMethod(std::move(method), std::move(parameters));
    return toUTF8(encoder.encode());
}

TEST(XMLRPCEncoderTests, CallsAreOneLineOfTypedValues)
{
    EXPECT_EQ(encoded(u"wp.getOptions", { Value(u"1"), Value(u"u"), Value(u"p") }),
        "<?xml version=\"1.0\"?><methodCall><methodName>wp.getOptions</methodName><params>"
        "<param><value><string>1</string></value></param><param><value><string>u</string></value></param>"
        "<param><value><string>p</string></value></param></params></methodCall>");

    Dictionary content { { u"post_title", Value(u"A < B & C > D \"quoted\"") }, { u"post_thumbnail", Value(0) },
        { u"sticky", Value(true) }, { u"ratio", Value(1.5) }, { u"gone", Value() },
        { u"post_date_gmt", Value(Date(1704164645)) }, { u"bits", Value(Data { 'h', 'i', '!' }) },
        { u"tags", Value(Array { Value(u"x"), Value(false) }) } };
    EXPECT_EQ(encoded(u"wp.editPost", { Value(42), Value(content) }),
        "<?xml version=\"1.0\"?><methodCall><methodName>wp.editPost</methodName><params>"
        "<param><value><i4>42</i4></value></param><param><value><struct>"
        "<member><name>bits</name><value><base64>aGkh</base64></value></member>"
        "<member><name>gone</name><value><nil/></value></member>"
        "<member><name>post_date_gmt</name><value><dateTime.iso8601>20240102T03:04:05</dateTime.iso8601></value></member>"
        "<member><name>post_thumbnail</name><value><i4>0</i4></value></member>"
        "<member><name>post_title</name><value><string>A &#60; B &#38; C &#62; D \"quoted\"</string></value></member>"
        "<member><name>ratio</name><value><double>1.5</double></value></member>"
        "<member><name>sticky</name><value><boolean>1</boolean></value></member>"
        "<member><name>tags</name><value><array><data><value><string>x</string></value><value><boolean>0</boolean></value>"
        "</data></array></value></member></struct></value></param></params></methodCall>");
}

TEST(XMLRPCEncoderTests, TextSurvivesTheTripThroughXML)
{
    // Characters XML cannot carry are left out; a carriage return is kept as
    // a reference, since a parser turns a literal one into a line feed.
    std::u16string text = u"  edge\r\nline\ttab\x1C\x1F\x0B\x01\xFFFE end\xD800 \U0001F600  ";
    EXPECT_EQ(escapedString(text), u"  edge&#13;\nline\ttab end \U0001F600  ");

    XMLRPCDefaultEncoder encoder;
    encoder.setMethod(u"echo", { Value(text) });
    std::string call = toUTF8(encoder.encode());
    std::string reply = "<methodResponse><params><param>" + call.substr(call.find("<value>"), call.find("</param>") - call.find("<value>"))
        + "</param></params></methodResponse>";
    XMLRPCResponse response(reply);
    EXPECT_EQ(response.object(), Value(u"  edge\r\nline\ttab end \U0001F600  "));
}

TEST(XMLRPCEncoderTests, DatesAreWrittenInUTCAndReadInTheZoneAsked)
{
    EXPECT_EQ(XMLRPCDateStringFromDate(Date(-1.5)), u"19691231T23:59:58");
    EXPECT_EQ(XMLRPCDateStringFromDate(Date(951782400)), u"20000229T00:00:00");
    EXPECT_EQ(dateFromXMLRPCDateString(u"20000229T00:00:00", XMLRPCDateTimeZone::UTC), Date(951782400));
    EXPECT_EQ(dateFromXMLRPCDateString(u"2000-02-29T00:00:00", XMLRPCDateTimeZone::UTC), Date(951782400));
    for (auto text : { u"00000000T00:00:00", u"0000-00-00T00:00:00", u"19000229T00:00:00", u"20240102T24:00:00",
             u"20240102T03:04:05Z", u"2024010T03:04:05", u"20240102 03:04:05", u"２０２４0102T03:04:05" })
        EXPECT_FALSE(dateFromXMLRPCDateString(text, XMLRPCDateTimeZone::UTC)) << toUTF8(text);

    const char* savedZone = getenv("TZ");
    std::string saved = savedZone ? savedZone : "";
    setenv("TZ", "Asia/Kolkata", 1);
    tzset();
    EXPECT_EQ(dateFromXMLRPCDateString(u"20240102T08:34:05", XMLRPCDateTimeZone::Local), Date(1704164645));
    if (savedZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// Local dates agree with the C library's own conversion everywhere, on the
// days the zone's offset changes (skipped and repeated hours) and away from them.
TEST(XMLRPCEncoderTests, LocalDatesAgreeWithTheSystemAroundChangesOfOffset)
{
    const char* savedZone = getenv("TZ");
    std::string saved = savedZone ? savedZone : "";
    for (const char* zone : { "Europe/Berlin", "America/St_Johns", "Australia/Lord_Howe", "Pacific/Apia" }) {
        setenv("TZ", zone, 1);
        tzset();
        // Every half hour over six days around each change, and a day in each season.
        for (auto [year, month, firstDay] : { std::tuple { 2024, 3, 28 }, { 2024, 10, 24 }, { 2024, 4, 4 }, { 2011, 12, 27 }, { 2024, 1, 15 }, { 2024, 7, 15 } }) {
            for (int step = 0; step < 6 * 48; ++step) {
                std::tm fields {};
                fields.tm_year = year - 1900;
                fields.tm_mon = month - 1;
                fields.tm_mday = firstDay + step / 48;
                fields.tm_hour = step % 48 / 2;
                fields.tm_min = step % 2 * 30 + 5;
                fields.tm_sec = 7;
                fields.tm_isdst = -1;
                std::tm asked = fields;
                if (timegm(&asked) == -1)
                    continue;
                char text[80];
                std::snprintf(text, sizeof text, "%04d%02d%02dT%02d:%02d:%02d", asked.tm_year + 1900, asked.tm_mon + 1, asked.tm_mday, asked.tm_hour,
                    asked.tm_min, asked.tm_sec);
                std::tm local = asked;
                local.tm_isdst = -1;
                auto expected = Date(static_cast<double>(mktime(&local)));
                EXPECT_EQ(dateFromXMLRPCDateString(toUTF16(text), XMLRPCDateTimeZone::Local), expected) << zone << " " << text;
            }
        }
    }
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    EXPECT_EQ(dateFromXMLRPCDateString(u"20240701T12:00:00", XMLRPCDateTimeZone::Local), Date(1719828000));
    EXPECT_EQ(dateFromXMLRPCDateString(u"20240115T12:00:00", XMLRPCDateTimeZone::Local), Date(1705316400));
    if (savedZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(XMLRPCEncoderTests, TheRequestPostsTheDocumentWithItsHeaders)
{
    XMLRPCRequest request(*URL::create("https://site.example/xmlrpc.php"));
    request.setMethod(u"wp.getUsersBlogs", { Value(u"ann"), Value(u"caf\u00e9") });
    EXPECT_EQ(request.timeout(), 240.0);
    URLRequest http = request.request();
    EXPECT_EQ(http.httpMethod(), u"POST");
    EXPECT_EQ(http.valueForHTTPHeaderField(u"Content-Type"), u"text/xml");
    EXPECT_EQ(http.valueForHTTPHeaderField(u"Accept"), u"text/xml");
    EXPECT_EQ(http.valueForHTTPHeaderField(u"Content-Length"), toUTF16(std::to_string(http.httpBody().size())));
    EXPECT_EQ(std::string(http.httpBody().begin(), http.httpBody().end()), toUTF8(request.body()));
    EXPECT_TRUE(http.valueForHTTPHeaderField(u"User-Agent")->starts_with(u"Brevanton/"));

    request.setUserAgent(u"Agent/2");
    request.setEncoder(std::make_unique<XMLRPCDefaultEncoder>());
    EXPECT_EQ(request.method(), u"wp.getUsersBlogs");
    EXPECT_EQ(request.parameters().size(), 2u);
    EXPECT_EQ(request.request().valueForHTTPHeaderField(u"User-Agent"), u"Agent/2");
}

} // namespace
} // namespace brevanton
