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
