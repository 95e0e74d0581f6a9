#include "platform/foundation/URLHandoff.h"

#include "platform/foundation/FileUtilities.h"

#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace brevanton {
namespace {

class URLHandoffTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("url-handoff").value();
        ASSERT_EQ(::chmod(m_folder.c_str(), 0700), 0);
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        m_savedRuntime = runtime ? std::optional<std::string>(runtime) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_savedRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_savedRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        EXPECT_TRUE(removeItem(m_folder));
    }

    // Hands the address off from another thread while the main loop serves the listeners.
    URLHandoffResult handOffServed(const std::string& url)
    {
        auto result = std::async(std::launch::async, [url] { return handOffURL(url, 30); });
        while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            RunLoop::main().runOnce(0.01);
        return result.get();
    }

    std::string m_folder;
    std::optional<std::string> m_savedRuntime;
};

TEST_F(URLHandoffTests, TheAddressReachesTheListenerThatTakesIt)
{
    std::vector<std::string> received;
    Error error;
    auto refusing = URLHandoffListener::start([&](const std::string& url) { received.push_back("refused " + url); return false; }, &error);
    ASSERT_TRUE(refusing) << error;
    EXPECT_EQ(handOffServed("brvn://oauth2?code=a&state=b"), URLHandoffResult::NotTaken);
    EXPECT_EQ(received, std::vector<std::string> { "refused brvn://oauth2?code=a&state=b" });

    // The socket is closed to other users, in a folder closed to them.
    struct stat status;
    ASSERT_EQ(::stat(refusing->socketPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 077, 0u);
    EXPECT_EQ(refusing->socketPath().rfind(m_folder + "/brevanton/", 0), 0u);

    // A listener that takes it ends the handoff; a listener that goes away
    // leaves no socket behind.
    std::string path = refusing->socketPath();
    refusing.reset();
    EXPECT_FALSE(fileExists(path));
    auto taking = URLHandoffListener::start([&](const std::string& url) { received.push_back("took " + url); return true; }, &error);
    ASSERT_TRUE(taking) << error;
    EXPECT_EQ(handOffServed("brvn://oauth2?code=c"), URLHandoffResult::Taken);
    EXPECT_EQ(received.back(), "took brvn://oauth2?code=c");

    // A handler may end its own listener.
    std::unique_ptr<URLHandoffListener>* self = &taking;
    taking = URLHandoffListener::start([&, self](const std::string&) { self->reset(); return true; }, &error);
    ASSERT_TRUE(taking);
    EXPECT_EQ(handOffServed("brvn://oauth2?code=d"), URLHandoffResult::Taken);
    EXPECT_FALSE(taking);
    EXPECT_EQ(handOffServed("brvn://oauth2?code=d"), URLHandoffResult::NoListener);
}

TEST_F(URLHandoffTests, StaleSocketsGoAndBadAddressesReachNobody)
{
    // A socket file whose process is gone.
    auto folder = URLHandoffFolder(nullptr);
    ASSERT_TRUE(folder);
    std::string stale = *folder + "/handoff-999999999.socket";
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    EXPECT_EQ(handOffServed("brvn://oauth2?code=a"), URLHandoffResult::NoListener);
    EXPECT_FALSE(fileExists(stale));

    int calls = 0;
    Error error;
    auto listener = URLHandoffListener::start([&](const std::string&) { ++calls; return true; }, &error);
    ASSERT_TRUE(listener) << error;
    EXPECT_EQ(handOffServed("brvn://a\nX-Other: b"), URLHandoffResult::NoListener);
    EXPECT_EQ(handOffServed(""), URLHandoffResult::NoListener);
    EXPECT_EQ(handOffServed("brvn://" + std::string(URLHandoffMaximumLength, 'a')), URLHandoffResult::NoListener);
    EXPECT_EQ(calls, 0);
}

TEST_F(URLHandoffTests, AFolderOthersCanEnterIsNotUsed)
{
    ASSERT_EQ(::mkdir((m_folder + "/brevanton").c_str(), 0755), 0);
    Error error;
    EXPECT_FALSE(URLHandoffFolder(&error));
    EXPECT_FALSE(URLHandoffListener::start([](const std::string&) { return true; }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(handOffURL("brvn://oauth2?code=a", 1), URLHandoffResult::NoListener);

    // A link in its place is no folder of the user's either.
    ASSERT_EQ(::rmdir((m_folder + "/brevanton").c_str()), 0);
    ASSERT_EQ(::mkdir((m_folder + "/elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((m_folder + "/elsewhere").c_str(), (m_folder + "/brevanton").c_str()), 0);
    EXPECT_FALSE(URLHandoffFolder(&error));
}

} // namespace
} // namespace brevanton
