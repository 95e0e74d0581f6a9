#include "toolkit/VornickPasswordTransport.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickPasswordTransportTests, LoopbackHostsAreThisComputerOnly)
{
    for (const char16_t* host : { u"localhost", u"LocalHost", u"127.0.0.1", u"127.255.3.9", u"::1", u"[::1]" })
        EXPECT_TRUE(vornick_isLoopbackHost(host)) << toUTF8(host);
    for (const char16_t* host : { u"", u"128.0.0.1", u"127.0.0", u"127.0.0.1.5", u"127.0.0.256", u"127.0.0.1x", u"127..0.1",
             u"127.0.0.1.example.org", u"localhost.example.org", u"mylocalhost", u"::2", u"0.0.0.0", u"1270.0.0.1" })
        EXPECT_FALSE(vornick_isLoopbackHost(host)) << toUTF8(host);
}

TEST(VornickPasswordTransportTests, HTTPSAnywhereHTTPOnlyToThisComputer)
{
    auto may = [](const char16_t* address) { return vornick_mayCarryPasswordToURLString(address); };
    EXPECT_TRUE(may(u"https://example.org/"));
    EXPECT_TRUE(may(u"HTTPS://example.org/xmlrpc.php"));
    EXPECT_TRUE(may(u"http://127.0.0.1:8080/"));
    EXPECT_TRUE(may(u"http://127.1.2.3/"));
    EXPECT_TRUE(may(u"http://localhost/wp-json/"));
    EXPECT_TRUE(may(u"http://[::1]:8080/"));

    EXPECT_FALSE(may(u"http://example.org"));
    EXPECT_FALSE(may(u"http://127.0.0.1.example.org/")) << "a name that merely begins like a loopback address";
    EXPECT_FALSE(may(u"http://localhost.example.org/"));
    EXPECT_FALSE(may(u"ftp://127.0.0.1/"));
    EXPECT_FALSE(may(u"https://"));
    EXPECT_FALSE(may(u"example.org")) << "no scheme: not an address to send a password to";
    EXPECT_FALSE(may(u""));
}

TEST(VornickPasswordTransportTests, LoginGoesOnlyToTheOriginLoggedInTo)
{
    struct Row {
        const char16_t* login;
        const char16_t* destination;
        bool sameOrigin;
        bool mayCarry;
    };
    const Row rows[] = {
        { u"https://blog.example.org/", u"https://Blog.Example.org/wp-json/wp/v2/posts", true, true },
        { u"https://blog.example.org/", u"https://blog.example.org:443/xmlrpc.php", true, true },
        { u"http://127.0.0.1:8093/", u"http://127.0.0.1:8093/xmlrpc.php", true, true },
        { u"http://localhost/", u"http://localhost:80/", true, true },
        { u"http://blog.example.org/", u"http://blog.example.org/xmlrpc.php", true, false },
        { u"http://127.0.0.1:8093/", u"http://127.0.0.1:8094/xmlrpc.php", false, false },
        { u"https://blog.example.org/", u"https://blog.example.org:8443/", false, false },
        { u"http://127.0.0.1/", u"https://127.0.0.1/", false, false },
        { u"https://blog.example.org/", u"http://blog.example.org/", false, false },
        { u"http://127.0.0.1:8093/", u"http://localhost:8093/", false, false },
        { u"https://blog.example.org/", u"https://blog.example.org.elsewhere.example/", false, false },
        { u"file:///etc/", u"file:///etc/hostname", false, false },
    };
    for (const Row& row : rows) {
        auto login = URL::create(std::u16string_view(row.login));
        auto destination = URL::create(std::u16string_view(row.destination));
        ASSERT_TRUE(login && destination) << toUTF8(row.destination);
        EXPECT_EQ(vornick_isSameOrigin(*login, *destination), row.sameOrigin) << toUTF8(row.login) << " " << toUTF8(row.destination);
        EXPECT_EQ(vornick_isSameOrigin(*destination, *login), row.sameOrigin) << "either way round";
        EXPECT_EQ(vornick_mayCarryPasswordForLoginURLToURL(*login, *destination), row.mayCarry) << toUTF8(row.destination);
    }
    auto message = toUTF8(vornick_passwordOriginRefusalMessage(*URL::create(std::u16string_view(u"http://127.0.0.1:8093/")),
                                                               *URL::create(std::u16string_view(u"http://127.0.0.1:8094/xmlrpc.php"))));
    EXPECT_NE(message.find("http://127.0.0.1:8093/"), std::string::npos) << message;
    EXPECT_NE(message.find("http://127.0.0.1:8094/xmlrpc.php"), std::string::npos) << message;
}
