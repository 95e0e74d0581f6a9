#include "platform/net/HostReachability.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(HostReachability, ConnectProbeCountsAnAnsweringHostAsReachable)
{
    int closedPort;
    {
        testserver::LoopbackHTTPServer server([](const testserver::TestHTTPRequest&) { return testserver::TestHTTPResponse(); });
        EXPECT_TRUE(HostReachability::probePort("127.0.0.1", server.port(), 1));
        EXPECT_TRUE(HostReachability::probePort("localhost", server.port(), 1));
        closedPort = server.port();
    }
    // The connection is refused, but the host answered.
    EXPECT_TRUE(HostReachability::probePort("127.0.0.1", closedPort, 1));
    EXPECT_FALSE(HostReachability::probeHost(""));
}
