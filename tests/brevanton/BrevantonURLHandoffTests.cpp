// `brevanton brvn://...`, as the desktop runs it with the browser's answer to
// a sign-in: the address goes to the process whose sign-in waits for it, and
// is never printed.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLHandoff.h"

#include <future>
#include <sys/stat.h>

namespace brevanton {
namespace {

class BrevantonURLHandoff : public BrevantonExecutable {
protected:
    ProcessResult runServed(const std::string& address)
    {
        auto result = std::async(std::launch::async, [&] { return runBrevanton({ address }, { { "XDG_RUNTIME_DIR", m_folder } }); });
        while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            RunLoop::main().runOnce(0.01);
        return result.get();
    }
};

TEST_F(BrevantonURLHandoff, TheAddressGoesToTheWaitingProcess)
{
    ASSERT_EQ(::chmod(m_folder.c_str(), 0700), 0);
    const std::string address = "brvn://oauth2?code=secret-code&state=s1";
    auto result = runServed(address);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(contains(result.standardError, "no Brevanton waits for a sign-in")) << result.standardError;

    ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    std::vector<std::string> received;
    bool take = false;
    Error error;
    auto listener = URLHandoffListener::start([&](const std::string& url) { received.push_back(url); return take; }, &error);
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(listener) << error;
    result = runServed(address);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(contains(result.standardError, "no sign-in in progress took this address")) << result.standardError;
    take = true;
    result = runServed("BRVN://oauth2?code=secret-code&state=s2");
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(received, (std::vector<std::string> { address, "BRVN://oauth2?code=secret-code&state=s2" }));
    EXPECT_FALSE(contains(result.standardOutput + result.standardError, "secret-code"));
}

} // namespace
} // namespace brevanton
