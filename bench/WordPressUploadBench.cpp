// Uploading 50 MB through the WordPress agent's REST request operation (a
// file payload) to a loopback sink, beside the curl tool uploading the same
// file to the same sink, in the same run; and how much the process's peak
// resident memory grew during the agent's upload.
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressRESTPayload.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

using namespace brevanton;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t uploadBytes = 50 * 1024 * 1024;

// Reads each request's body into nothing and answers 201 with a small JSON object.
class SinkServer {
public:
    SinkServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listener, 8) != 0)
            return;
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~SinkServer()
    {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }
    size_t lastBodyBytes() const { return m_lastBodyBytes; }

private:
    void serve()
    {
        while (!m_stopping) {
            int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                return;
            std::string head;
            char buffer[1 << 16];
            size_t bodyRead = 0;
            size_t contentLength = 0;
            bool inBody = false;
            for (;;) {
                ssize_t count = ::read(connection, buffer, sizeof buffer);
                if (count <= 0)
                    break;
                if (!inBody) {
                    head.append(buffer, static_cast<size_t>(count));
                    size_t end = head.find("\r\n\r\n");
                    if (end == std::string::npos)
                        continue;
                    inBody = true;
                    std::string lower;
                    for (char c : head.substr(0, end))
                        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
                    if (size_t field = lower.find("content-length:"); field != std::string::npos)
                        contentLength = std::strtoull(lower.c_str() + field + 15, nullptr, 10);
                    bodyRead = head.size() - end - 4;
                } else {
                    bodyRead += static_cast<size_t>(count);
                }
                if (bodyRead >= contentLength)
                    break;
            }
            m_lastBodyBytes = bodyRead;
            static const char reply[] = "HTTP/1.1 201 Created\r\nContent-Type: application/json\r\nContent-Length: 9\r\nConnection: close\r\n\r\n{\"id\":31}";
            [[maybe_unused]] auto written = ::write(connection, reply, sizeof reply - 1);
            ::close(connection);
        }
    }

    int m_listener { -1 };
    int m_port { 0 };
    std::atomic<bool> m_stopping { false };
    std::atomic<size_t> m_lastBodyBytes { 0 };
    std::thread m_thread;
};

// Kilobytes of a /proc/self/status field ("VmHWM", "VmRSS").
long statusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
    return 0;
}

// Starts measuring the peak resident memory afresh.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_WordPressUploadBesideCurl(benchmark::State& state)
{
    std::string folder = createTemporaryDirectory("wordpress-upload-bench").value();
    std::string file = folder + "/upload.jpg";
    {
        std::ofstream out(file, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 131) ^ (i >> 7));
        for (size_t written = 0; written < uploadBytes; written += block.size())
            out << block;
    }
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
    SinkServer sink;
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    auto account = project ? project->wordPressAccount() : nullptr;
    if (!account) {
        state.SkipWithError("no account");
        return;
    }
    std::string root = "http://127.0.0.1:" + std::to_string(sink.port()) + "/";
    account->setRootURLString(toUTF16(root));
    account->setUseXMLRPC(false);
    account->setLoginID(u"editor");
    if (!account->setPassword(u"bench password", &error)) {
        state.SkipWithError("no password");
        return;
    }
    auto agent = std::make_shared<VornickWordPressAgent>();
    agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(account));

    // One small request first, so that loading libcurl and starting the
    // session's thread do not count as the upload's memory.
    bool warmedUp = false;
    agent->postRESTRequestWithEndpointPath(u"settings", 0, u"GET", Value(), {}, nullptr, VornickReplyKind::SettingsReply,
        [&](const VornickWordPressAgent::RESTReply&) { warmedUp = true; });
    RunLoop::main().runUntil([&] { return warmedUp; }, 30);

    double agentTotal = 0, curlTotal = 0;
    long growthKilobytes = 0;
    for (auto _ : state) {
        bool done = false, succeeded = false;
        resetPeakMemory();
        long before = statusKilobytes("VmRSS");
        auto start = Clock::now();
        agent->postRESTRequestWithEndpointPath(u"media", 0, u"POST", Value(), {},
            std::make_shared<VornickWordPressFileAttachmentPayload>(URL::fileURLWithPath(file)),
            VornickReplyKind::MediaUpload, [&](const VornickWordPressAgent::RESTReply& reply) { done = true; succeeded = reply.succeeded(); });
        RunLoop::main().runUntil([&] { return done; }, 120);
        double agentSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        growthKilobytes = std::max(growthKilobytes, statusKilobytes("VmHWM") - before);
        if (!succeeded || sink.lastBodyBytes() != uploadBytes) {
            state.SkipWithError("the agent's upload failed");
            break;
        }

        ProcessLaunch curl;
        curl.executable = "curl";
        curl.arguments = { "-s", "-o", "/dev/null", "-u", "editor:bench password", "-H", "Expect:", "-H", "Content-Type: image/jpeg",
            "-H", "Content-Disposition: form-data; filename=\"upload.jpg\"", "--data-binary", "@" + file, root + "wp-json/wp/v2/media" };
        start = Clock::now();
        auto result = Process::run(curl);
        double curlSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!result || !result->exited() || sink.lastBodyBytes() != uploadBytes) {
            state.SkipWithError("the curl tool's upload failed");
            break;
        }
        state.SetIterationTime(agentSeconds);
        agentTotal += agentSeconds;
        curlTotal += curlSeconds;
    }
    double iterations = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["agent_ms"] = 1000 * agentTotal / iterations;
    state.counters["curl_ms"] = 1000 * curlTotal / iterations;
    state.counters["ratio"] = curlTotal > 0 ? agentTotal / curlTotal : 0;
    state.counters["memory_growth_kB"] = static_cast<double>(growthKilobytes);
    agent.reset();
    KeychainStore::setDefaultStore(nullptr);
    if (!removeItem(folder))
        std::fprintf(stderr, "could not remove a benchmark folder\n");
}

} // namespace

BENCHMARK(BM_WordPressUploadBesideCurl)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
