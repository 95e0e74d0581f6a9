#include "tests/InstrumentedBuild.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/net/URLSession.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace brevanton;
using namespace brevanton::testserver;

namespace url_session_reply_limits_tests {
namespace {

// The sanitizers' allocator keeps freed blocks: the bound grows with it.
constexpr long peakGrowthBoundKilobytes = (testsRunInstrumented ? 64 : 16) * 1024;

// Kilobytes of a /proc/self/status field.
long statusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::atol(line.c_str() + field.size() + 1);
    }
    return 0;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(directory)) {
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.emplace_back(entry->d_name);
        }
        ::closedir(directory);
    }
    return names;
}

struct Hostile {
    const char* name;
    TestHTTPResponse response;
    int64_t maximumLength;
    double deadline;
    int64_t code;
    std::string words; // what the message says happened
};

TestHTTPResponse generated(uint64_t bytes, int trickleMilliseconds = 0)
{
    TestHTTPResponse response;
    response.generatedBodyBytes = bytes;
    response.trickleMilliseconds = trickleMilliseconds;
    return response;
}

TestHTTPResponse cut(std::string body, std::optional<size_t> resetAfter, const char* announced = nullptr)
{
    TestHTTPResponse response;
    response.body = std::move(body);
    response.resetAfterBodyBytes = resetAfter;
    if (announced)
        response.headers.emplace_back("Content-Length", announced);
    response.framing = announced ? TestHTTPResponse::Framing::ContentLength : TestHTTPResponse::Framing::CloseDelimited;
    return response;
}

// Replies no client should wait for or hold: each ends the transfer with the
// limit or the event named, keeps no byte of the body (in memory or on disk)
// and leaves the process's peak memory where it was.
TEST(URLSessionReplyLimits, HostileRepliesEndBoundedWithWordsForWhatHappened)
{
    constexpr int64_t megabyte = 1024 * 1024;
    TestHTTPResponse lengthWithoutBody = cut(std::string(412, 'a'), std::nullopt, "1000");
    lengthWithoutBody.framing = TestHTTPResponse::Framing::ContentLength;
    const Hostile cases[] = {
        { "endless", generated(TestHTTPResponse::endlessBody), megabyte, 0, URLErrorDataLengthExceedsMaximum, "is larger than 1048576 bytes" },
        { "huge, announced", generated(uint64_t(8) << 30), megabyte, 0, URLErrorDataLengthExceedsMaximum, "is larger than 1048576 bytes" },
        { "a byte a second", generated(TestHTTPResponse::endlessBody, 100), 0, 1.0, URLErrorTimedOut, "took longer than 1 seconds" },
        { "reset mid-reply", cut(std::string(5000, 'r'), 412), 0, 0, URLErrorNetworkConnectionLost, "broke after 412 bytes of the reply" },
        { "ends short", lengthWithoutBody, 0, 0, URLErrorNetworkConnectionLost, "ended after 412 bytes" },
    };
    std::string folder = createTemporaryDirectory("reply-limits").value();
    for (const Hostile& hostile : cases) {
        SCOPED_TRACE(hostile.name);
        LoopbackHTTPServer server([&](const TestHTTPRequest&) { return hostile.response; });
        URLRequest request(*URL::create(server.url("/posts")), 30);
        request.setMaximumContentLength(hostile.maximumLength);
        request.setDeadlineInterval(hostile.deadline);

        static_cast<void>(std::ofstream("/proc/self/clear_refs") << "5");
        long before = statusKilobytes("VmRSS");
        for (bool download : { false, true }) {
            bool done = false;
            Data data;
            Error error;
            std::string file;
            auto task = download
                ? URLSession::shared()->downloadTask(request, folder, [&](const std::string& path, std::shared_ptr<URLResponse>, Error failed) {
                      done = true, file = path, error = std::move(failed);
                  })
                : URLSession::shared()->dataTask(request, [&](Data received, std::shared_ptr<URLResponse>, Error failed) {
                      done = true, data = std::move(received), error = std::move(failed);
                  });
            task->resume();
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
            EXPECT_EQ(error.domain(), URLErrorDomain);
            EXPECT_EQ(error.code(), hostile.code) << error;
            EXPECT_NE(toUTF8(error.localizedDescription()).find(hostile.words), std::string::npos) << error;
            EXPECT_NE(toUTF8(error.localizedDescription()).find(std::to_string(server.port())), std::string::npos) << error;
            EXPECT_TRUE(data.empty() && file.empty());
            EXPECT_TRUE(filesIn(folder).empty()) << "nothing half-received is kept: " << (filesIn(folder).empty() ? "" : filesIn(folder)[0]);
        }
        EXPECT_LT(statusKilobytes("VmHWM") - before, peakGrowthBoundKilobytes) << "peak memory grew by more than " << peakGrowthBoundKilobytes / 1024 << " MB";
    }
}

TEST(URLSessionReplyLimits, RefusedConnectionsNameTheAddressAndTheReason)
{
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe); // nobody listens there now
    std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

    bool done = false;
    Error error;
    URLSession::shared()->dataTask(*URL::create("http://" + where + "/"), [&](Data, std::shared_ptr<URLResponse>, Error failed) {
        done = true, error = std::move(failed);
    })->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    EXPECT_EQ(error.code(), URLErrorCannotConnectToHost);
    EXPECT_EQ(toUTF8(error.localizedDescription()), "could not connect to " + where + ": connection refused");
}

TEST(URLSessionReplyLimits, DownloadsHandTheWholeBodyInAFileOfTheFolder)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response = generated(3 * 1024 * 1024);
        response.body = "0123456789";
        return response;
    });
    std::string folder = createTemporaryDirectory("downloads").value();
    URLRequest request(*URL::create(server.url("/image.jpg")));
    request.setMaximumContentLength(4 * 1024 * 1024);
    bool done = false;
    std::string kept = folder + "/image.jpg";
    URLSession::shared()->downloadTask(request, folder, [&](const std::string& path, std::shared_ptr<URLResponse>, Error error) {
        done = true;
        EXPECT_TRUE(error.isEmpty()) << error;
        EXPECT_EQ(path.substr(0, folder.size() + 1), folder + "/");
        EXPECT_EQ(readFile(path).value_or("").size(), 3u * 1024 * 1024);
        EXPECT_EQ(::rename(path.c_str(), kept.c_str()), 0);
    })->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    EXPECT_EQ(filesIn(folder), std::vector<std::string> { "image.jpg" });
    EXPECT_EQ(readFile(kept).value_or("").substr(1024 * 1024 - 4, 12), "234567890123");

    // A file the handler does not take is not kept either.
    done = false;
    URLSession::shared()->downloadTask(request, folder, [&](const std::string&, std::shared_ptr<URLResponse>, Error) { done = true; })->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    EXPECT_EQ(filesIn(folder).size(), 1u);
}

} // namespace
} // namespace url_session_reply_limits_tests
