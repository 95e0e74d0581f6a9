// A small HTTP/1.1 server on 127.0.0.1 for tests: each connection is served on
// a thread of its own by a handler that maps the request to a response. The
// server closes every connection after its response. A response is scripted:
// its status, headers and body; a delay before the headers; the body framed by
// Content-Length, by closing the connection or in chunks, sent in pieces some
// time apart; or a connection reset before or during the answer. The server
// records every request (method, target, headers, body) and how many it
// answered at once.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace brevanton::testserver {

struct TestHTTPRequest {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::string header(std::string_view name) const
    {
        for (auto& [key, value] : headers) {
            if (key.size() == name.size()
                && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return value;
        }
        return {};
    }
    bool hasHeader(std::string_view name) const
    {
        for (auto& [key, value] : headers) {
            if (key.size() == name.size()
                && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return true;
        }
        return false;
    }
};

struct TestHTTPResponse {
    // How the client learns where the body ends.
    enum class Framing {
        ContentLength,  // a Content-Length field (added unless the headers give one)
        CloseDelimited, // no length: the body ends when the connection closes
        Chunked,        // Transfer-Encoding: chunked, a chunk per piece
    };

    int status { 200 };
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // Waits this long before answering (interrupted when the server stops).
    int delayMilliseconds { 0 };
    // Sends the body one byte at a time, this long apart.
    int trickleMilliseconds { 0 };
    Framing framing { Framing::ContentLength };
    // Sends the body in pieces of this many bytes (0: whole), this long apart.
    size_t pieceBytes { 0 };
    int pieceDelayMilliseconds { 0 };
    // Resets the connection (RST) instead of answering, or after this many
    // bytes of the body were sent.
    bool resetBeforeHeaders { false };
    std::optional<size_t> resetAfterBodyBytes;
    // A body made while it is sent, never held whole: `body` repeated to this
    // many bytes (a huge reply), or without end for endlessBody (framed by
    // the connection's close, which never comes); paced as above.
    static constexpr uint64_t endlessBody = UINT64_MAX;
    std::optional<uint64_t> generatedBodyBytes;

    static TestHTTPResponse redirect(int status, std::string location)
    {
        TestHTTPResponse response;
        response.status = status;
        response.headers.emplace_back("Location", std::move(location));
        return response;
    }
};

class LoopbackHTTPServer {
public:
    using Handler = std::function<TestHTTPResponse(const TestHTTPRequest&)>;

    explicit LoopbackHTTPServer(Handler handler)
        : m_handler(std::move(handler))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_stop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (m_listener < 0 || m_stop < 0
            || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0
            || ::listen(m_listener, 16) < 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_acceptThread = std::thread([this] { acceptLoop(); });
    }

    ~LoopbackHTTPServer()
    {
        uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_stop, &one, sizeof one);
        m_acceptThread.join();
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(m_mutex);
            threads.swap(m_connectionThreads);
        }
        for (auto& thread : threads)
            thread.join();
        ::close(m_listener);
        ::close(m_stop);
    }

    int port() const { return m_port; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

    std::vector<TestHTTPRequest> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    size_t requestCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests.size();
    }
    // The most requests that were being answered at one time.
    int maxConcurrentRequests() const
    {
        std::lock_guard lock(m_mutex);
        return m_maxActive;
    }

private:
    void acceptLoop()
    {
        for (;;) {
            pollfd fds[2] = { { m_listener, POLLIN, 0 }, { m_stop, POLLIN, 0 } };
            if (::poll(fds, 2, -1) < 0)
                continue;
            if (fds[1].revents)
                return;
            int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            std::lock_guard lock(m_mutex);
            m_connectionThreads.emplace_back([this, connection] { serve(connection); ::close(connection); });
        }
    }

    // Waits for `fd` to be readable; false when the server stops first or time runs out.
    bool waitReadable(int fd, int milliseconds)
    {
        pollfd fds[2] = { { fd, POLLIN, 0 }, { m_stop, POLLIN, 0 } };
        int result = ::poll(fds, 2, milliseconds);
        return result > 0 && !fds[1].revents && fds[0].revents;
    }

    void serve(int connection)
    {
        std::string buffer;
        char chunk[4096];
        size_t headerEnd;
        while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!waitReadable(connection, 30000))
                return;
            ssize_t count = ::read(connection, chunk, sizeof chunk);
            if (count <= 0)
                return;
            buffer.append(chunk, count);
        }
        TestHTTPRequest request;
        std::string head = buffer.substr(0, headerEnd);
        size_t lineEnd = head.find("\r\n");
        std::string requestLine = head.substr(0, lineEnd);
        size_t space1 = requestLine.find(' ');
        size_t space2 = requestLine.find(' ', space1 + 1);
        request.method = requestLine.substr(0, space1);
        request.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
        size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (position < head.size()) {
            size_t end = head.find("\r\n", position);
            if (end == std::string::npos)
                end = head.size();
            std::string line = head.substr(position, end - position);
            size_t colon = line.find(':');
            if (colon != std::string::npos) {
                size_t valueStart = line.find_first_not_of(' ', colon + 1);
                request.headers.emplace_back(line.substr(0, colon), valueStart == std::string::npos ? "" : line.substr(valueStart));
            }
            position = end + 2;
        }
        size_t contentLength = 0;
        if (request.hasHeader("Content-Length"))
            contentLength = std::stoul(request.header("Content-Length"));
        request.body = buffer.substr(headerEnd + 4);
        while (request.body.size() < contentLength) {
            if (!waitReadable(connection, 30000))
                return;
            ssize_t count = ::read(connection, chunk, sizeof chunk);
            if (count <= 0)
                return;
            request.body.append(chunk, count);
        }
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            m_maxActive = std::max(m_maxActive, ++m_active);
        }
        // A request stops counting as active just before its last byte is
        // sent: a client that waits for the whole answer before its next
        // request can then never be seen overlapping it.
        bool finished = false;
        auto finishing = [&] {
            if (std::exchange(finished, true))
                return;
            std::lock_guard lock(m_mutex);
            --m_active;
        };
        bool answered = respond(connection, request, m_handler(request), finishing);
        finishing();
        if (!answered)
            return;
        ::shutdown(connection, SHUT_WR);
        // Let the client read everything before the socket closes.
        while (waitReadable(connection, 1000) && ::read(connection, chunk, sizeof chunk) > 0) { }
    }

    // Waits `milliseconds`; false when the server stops first.
    bool pause(int milliseconds)
    {
        pollfd stop { m_stop, POLLIN, 0 };
        return milliseconds <= 0 || ::poll(&stop, 1, milliseconds) == 0;
    }

    // Closing with a zero linger time sends RST in place of FIN.
    static void reset(int connection)
    {
        linger abort { 1, 0 };
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }

    // False when the connection was reset or the server stopped: it is then
    // closed at once.
    bool respond(int connection, const TestHTTPRequest& request, const TestHTTPResponse& response, const std::function<void()>& finishing)
    {
        if (!pause(response.delayMilliseconds))
            return false;
        if (response.resetBeforeHeaders) {
            reset(connection);
            return false;
        }
        using Framing = TestHTTPResponse::Framing;
        std::string text = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\n";
        if (response.generatedBodyBytes)
            return respondGenerated(connection, text, response);
        bool hasLength = false;
        for (auto& [name, value] : response.headers) {
            text += name + ": " + value + "\r\n";
            hasLength = hasLength || name == "Content-Length";
        }
        if (response.framing == Framing::ContentLength && !hasLength)
            text += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        if (response.framing == Framing::Chunked)
            text += "Transfer-Encoding: chunked\r\n";
        text += "Connection: close\r\n\r\n";
        std::string body = request.method == "HEAD" ? std::string() : response.body;
        if (body.empty() && response.framing != Framing::Chunked && !response.resetAfterBodyBytes)
            finishing();
        if (!sendAll(connection, text))
            return false;

        size_t pieceBytes = response.trickleMilliseconds ? 1 : response.pieceBytes;
        int pieceDelay = response.trickleMilliseconds ? response.trickleMilliseconds : response.pieceDelayMilliseconds;
        if (!pieceBytes)
            pieceBytes = std::max<size_t>(body.size(), 1);
        for (size_t sent = 0; sent < body.size(); sent += pieceBytes) {
            if (sent > 0 && !pause(pieceDelay))
                return false;
            std::string piece = body.substr(sent, pieceBytes);
            if (response.resetAfterBodyBytes && sent + piece.size() > *response.resetAfterBodyBytes) {
                piece.resize(*response.resetAfterBodyBytes - sent);
                if (response.framing != Framing::Chunked)
                    sendAll(connection, piece);
                else if (!piece.empty())
                    sendAll(connection, hex(piece.size()) + "\r\n" + piece);
                reset(connection);
                return false;
            }
            if (response.framing == Framing::Chunked)
                piece = hex(piece.size()) + "\r\n" + piece + "\r\n";
            else if (sent + pieceBytes >= body.size() && !response.resetAfterBodyBytes)
                finishing();
            if (!sendAll(connection, piece))
                return false;
        }
        if (response.resetAfterBodyBytes) {
            reset(connection);
            return false;
        }
        if (response.framing == Framing::Chunked) {
            finishing();
            return sendAll(connection, "0\r\n\r\n");
        }
        return true;
    }

    bool respondGenerated(int connection, std::string text, const TestHTTPResponse& response)
    {
        uint64_t total = *response.generatedBodyBytes;
        for (auto& [name, value] : response.headers)
            text += name + ": " + value + "\r\n";
        if (total != TestHTTPResponse::endlessBody)
            text += "Content-Length: " + std::to_string(total) + "\r\n";
        text += "Connection: close\r\n\r\n";
        if (!sendAll(connection, text))
            return false;
        size_t pieceBytes = response.trickleMilliseconds ? 1 : (response.pieceBytes ? response.pieceBytes : 64 * 1024);
        int pieceDelay = response.trickleMilliseconds ? response.trickleMilliseconds : response.pieceDelayMilliseconds;
        std::string pattern = response.body.empty() ? std::string("x") : response.body;
        std::string piece;
        for (uint64_t sent = 0; sent < total; sent += piece.size()) {
            if (sent > 0 && !pause(pieceDelay))
                return false;
            piece.clear();
            for (uint64_t at = sent; piece.size() < pieceBytes && at < total; ++at)
                piece += pattern[at % pattern.size()];
            if (!sendAll(connection, piece))
                return false;
        }
        return true;
    }

    static std::string hex(size_t number)
    {
        char text[24];
        std::snprintf(text, sizeof text, "%zx", number);
        return text;
    }

    static bool sendAll(int connection, const std::string& text)
    {
        size_t sent = 0;
        while (sent < text.size()) {
            ssize_t count = ::send(connection, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (count <= 0)
                return false;
            sent += count;
        }
        return true;
    }

    Handler m_handler;
    int m_listener { -1 };
    int m_stop { -1 };
    int m_port { 0 };
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_connectionThreads;
    std::vector<TestHTTPRequest> m_requests;
    int m_active { 0 };
    int m_maxActive { 0 };
};

} // namespace brevanton::testserver
