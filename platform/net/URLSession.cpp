#include "platform/net/URLSession.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/CurlLibrary.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cmath>
#include <deque>
#include <fmt/format.h>
#include <map>
#include <thread>
#include <vector>

namespace brevanton {

namespace {

std::atomic<uint64_t> nextTaskIdentifier { 1 };

// The loopback-only test setting and its request counts.
std::atomic<bool> onlyLoopback { false };
std::mutex requestCountsMutex;
std::map<std::u16string, int> requestCounts;

void countRequest(const URL& url)
{
    if (!onlyLoopback)
        return;
    std::lock_guard lock(requestCountsMutex);
    ++requestCounts[url.path()];
}

// Refuses a connection to anything but 127.0.0.1 while the test setting is on.
curl_socket_t openSocket(void*, curlsocktype, curl_sockaddr* address)
{
    if (onlyLoopback) {
        if (address->family != AF_INET)
            return CURL_SOCKET_BAD;
        auto* inet = reinterpret_cast<const sockaddr_in*>(&address->addr);
        if (ntohl(inet->sin_addr.s_addr) != INADDR_LOOPBACK)
            return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int64_t urlErrorCode(CURLcode code)
{
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL: return URLErrorUnsupportedURL;
    case CURLE_URL_MALFORMAT: return URLErrorBadURL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return URLErrorCannotFindHost;
    case CURLE_COULDNT_CONNECT: return URLErrorCannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT: return URLErrorTimedOut;
    case CURLE_TOO_MANY_REDIRECTS: return URLErrorHTTPTooManyRedirects;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY: return URLErrorBadServerResponse;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return URLErrorNetworkConnectionLost;
    case CURLE_BAD_CONTENT_ENCODING: return URLErrorCannotDecodeContentData;
    case CURLE_FILE_COULDNT_READ_FILE: return URLErrorFileDoesNotExist;
    case CURLE_PEER_FAILED_VERIFICATION: return URLErrorServerCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return URLErrorSecureConnectionFailed;
    case CURLE_ABORTED_BY_CALLBACK: return URLErrorCancelled;
    default: return URLErrorUnknown;
    }
}

Error makeURLError(int64_t code, std::u16string description, const URL& url)
{
    Error error(URLErrorDomain, code, std::move(description));
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    return error;
}

Error cancelledError(const URL& url)
{
    return makeURLError(URLErrorCancelled, u"cancelled", url);
}

// "host:port" of a URL, the scheme's port when none is written.
std::string hostAndPort(const URL& url)
{
    std::string host = toUTF8(url.host().value_or(u""));
    int port = url.port().value_or(url.scheme() == u"https" ? 443 : 80);
    return host + ":" + std::to_string(port);
}

// The system's text for an errno value, in lower case ("connection refused").
std::string systemErrorText(long number)
{
    std::string text = std::strerror(static_cast<int>(number));
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// The MIME type of a local file, from its extension (responses to file URLs
// carry no Content-Type).
std::u16string contentTypeOfFile(const URL& url)
{
    std::u16string extension = asciiLowercase(url.pathExtension());
    if (extension == u"html" || extension == u"htm" || extension == u"shtml")
        return u"text/html";
    if (extension == u"xhtml" || extension == u"xht")
        return u"application/xhtml+xml";
    if (extension == u"xml")
        return u"application/xml";
    if (extension == u"json")
        return u"application/json";
    if (extension == u"txt")
        return u"text/plain";
    if (extension == u"css")
        return u"text/css";
    if (extension == u"js")
        return u"text/javascript";
    return u"application/octet-stream";
}

} // namespace

// A request body sent from pieces, files read as curl asks for more.
struct URLSessionBodySource {
    struct Piece {
        Data bytes;
        int fd { -1 };
        curl_off_t size { 0 };
    };
    std::vector<Piece> pieces;
    size_t current { 0 };
    curl_off_t offsetInCurrent { 0 };
    curl_off_t totalSize { 0 };

    URLSessionBodySource() = default;
    URLSessionBodySource(const URLSessionBodySource&) = delete;
    URLSessionBodySource& operator=(const URLSessionBodySource&) = delete;
    ~URLSessionBodySource()
    {
        for (auto& piece : pieces) {
            if (piece.fd >= 0)
                ::close(piece.fd);
        }
    }

    // Opens every file; false with the failing path's error.
    bool open(const std::vector<URLRequestBodyPart>& parts, std::string& failedPath, int& failure)
    {
        for (auto& part : parts) {
            Piece piece;
            if (auto* path = std::get_if<std::string>(&part.content)) {
                piece.fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
                struct stat status {};
                if (piece.fd < 0 || ::fstat(piece.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
                    failure = piece.fd < 0 ? errno : EINVAL;
                    failedPath = *path;
                    if (piece.fd >= 0)
                        ::close(piece.fd);
                    return false;
                }
                piece.size = status.st_size;
            } else {
                piece.bytes = std::get<Data>(part.content);
                piece.size = static_cast<curl_off_t>(piece.bytes.size());
            }
            totalSize += piece.size;
            pieces.push_back(std::move(piece));
        }
        return true;
    }

    size_t read(char* buffer, size_t capacity)
    {
        size_t written = 0;
        while (written < capacity && current < pieces.size()) {
            Piece& piece = pieces[current];
            curl_off_t left = piece.size - offsetInCurrent;
            if (left <= 0) {
                ++current;
                offsetInCurrent = 0;
                continue;
            }
            size_t wanted = std::min<size_t>(capacity - written, static_cast<size_t>(left));
            if (piece.fd >= 0) {
                ssize_t count = ::pread(piece.fd, buffer + written, wanted, offsetInCurrent);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count <= 0) // The file shrank or failed while it was sent.
                    return CURL_READFUNC_ABORT;
                wanted = static_cast<size_t>(count);
            } else {
                std::memcpy(buffer + written, piece.bytes.data() + offsetInCurrent, wanted);
            }
            written += wanted;
            offsetInCurrent += static_cast<curl_off_t>(wanted);
        }
        return written;
    }

    static size_t readCallback(char* buffer, size_t size, size_t count, void* context)
    {
        return static_cast<URLSessionBodySource*>(context)->read(buffer, size * count);
    }

    // curl rewinds the body to send it again (after a redirect, for instance).
    static int seekCallback(void* context, curl_off_t offset, int origin)
    {
        auto* source = static_cast<URLSessionBodySource*>(context);
        if (origin != SEEK_SET || offset < 0 || offset > source->totalSize)
            return CURL_SEEKFUNC_CANTSEEK;
        source->current = 0;
        source->offsetInCurrent = 0;
        while (source->current < source->pieces.size() && offset >= source->pieces[source->current].size) {
            offset -= source->pieces[source->current].size;
            ++source->current;
        }
        source->offsetInCurrent = offset;
        return CURL_SEEKFUNC_OK;
    }
};

// The curl side of one running task; lives on the worker thread.
struct URLSessionTransfer {
    const CurlLibrary& curl;
    CURL* easy { nullptr };
    curl_slist* headerList { nullptr };
    std::string url;
    std::string method;
    Data body;
    std::unique_ptr<URLSessionBodySource> bodySource;
    HTTPHeaderFields responseHeaders;
    Data received;
    // A download's body goes to this file instead of `received`.
    int bodyFile { -1 };
    std::string bodyFilePath;
    int bodyFileError { 0 };
    // Bytes of the current response's body so far, and the limit on them.
    int64_t bodyLength { 0 };
    int64_t maximumLength { 0 };
    bool tooLarge { false };
    int responseStatus { 0 };
    char errorBuffer[CURL_ERROR_SIZE] {};
    // The timeout counts from the last bytes that went either way, so a long
    // upload or download that keeps moving never times out.
    double idleTimeout { 0 };
    std::chrono::steady_clock::time_point lastActivity { std::chrono::steady_clock::now() };
    // The whole transfer must end within `deadline` seconds of its start.
    double deadline { 0 };
    std::chrono::steady_clock::time_point started { std::chrono::steady_clock::now() };
    curl_off_t bytesReceived { 0 };
    curl_off_t bytesSent { 0 };
    // The storage the transfer's cookies go back to, and those it was given.
    std::shared_ptr<HTTPCookieStorage> cookieStorage;
    std::vector<HTTPCookie> givenCookies;

    explicit URLSessionTransfer(const CurlLibrary& library)
        : curl(library)
    {
    }

    void noteActivity() { lastActivity = std::chrono::steady_clock::now(); }

    static int progress(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
    {
        auto* transfer = static_cast<URLSessionTransfer*>(context);
        if (received != transfer->bytesReceived || sent != transfer->bytesSent) {
            transfer->bytesReceived = received;
            transfer->bytesSent = sent;
            transfer->noteActivity();
        }
        return 0;
    }

    ~URLSessionTransfer()
    {
        if (easy)
            curl.easyCleanup(easy);
        if (headerList)
            curl.slistFreeAll(headerList);
        discardBodyFile();
    }

    // Nothing half-received is kept: the download's file goes unless it was
    // handed over.
    void discardBodyFile()
    {
        if (bodyFile >= 0)
            ::close(bodyFile);
        bodyFile = -1;
        if (!bodyFilePath.empty())
            ::unlink(bodyFilePath.c_str());
        bodyFilePath.clear();
    }

    // Closes the download's file and answers its path, which the caller now owns.
    std::string takeBodyFile()
    {
        if (bodyFile >= 0)
            ::close(bodyFile);
        bodyFile = -1;
        return std::exchange(bodyFilePath, {});
    }

    bool exceedsLimit(int64_t length) const { return maximumLength > 0 && length > maximumLength; }

    // Starts over with the body of a new response (after a redirect or an interim 1xx).
    void restartBody()
    {
        received.clear();
        bodyLength = 0;
        if (bodyFile >= 0 && (::ftruncate(bodyFile, 0) != 0 || ::lseek(bodyFile, 0, SEEK_SET) != 0))
            bodyFileError = errno;
    }

    static size_t writeBody(char* data, size_t size, size_t count, void* context)
    {
        auto* transfer = static_cast<URLSessionTransfer*>(context);
        transfer->noteActivity();
        size_t length = size * count;
        // A reply past the limit stops here: returning less than was given
        // aborts the transfer.
        if (transfer->exceedsLimit(transfer->bodyLength + static_cast<int64_t>(length))) {
            transfer->tooLarge = true;
            return 0;
        }
        if (transfer->bodyFile >= 0) {
            for (size_t written = 0; written < length;) {
                ssize_t count = ::write(transfer->bodyFile, data + written, length - written);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count <= 0) {
                    transfer->bodyFileError = count < 0 ? errno : EIO;
                    return 0;
                }
                written += static_cast<size_t>(count);
            }
        } else {
            transfer->received.insert(transfer->received.end(), data, data + length);
        }
        transfer->bodyLength += static_cast<int64_t>(length);
        return length;
    }

    static size_t writeHeader(char* data, size_t size, size_t count, void* context)
    {
        auto* transfer = static_cast<URLSessionTransfer*>(context);
        transfer->noteActivity();
        std::string_view line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.starts_with("HTTP/")) {
            // A new response (after a redirect or an interim 1xx): only the last one counts.
            transfer->responseHeaders.clear();
            transfer->restartBody();
            auto blank = line.find(' ');
            transfer->responseStatus = blank == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(blank + 1, 3)).c_str());
            return size * count;
        }
        auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return size * count;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        // Header bytes outside ASCII are taken as ISO-8859-1.
        auto latin1 = [](std::string_view bytes) {
            std::u16string text;
            for (unsigned char c : bytes)
                text.push_back(c);
            return text;
        };
        transfer->responseHeaders.add(latin1(line.substr(0, colon)), latin1(value));
        // A final reply that announces more than the limit stops before its body.
        bool final = transfer->responseStatus >= 200 && (transfer->responseStatus < 300 || transfer->responseStatus >= 400);
        if (final && equalsIgnoringASCIICase(latin1(line.substr(0, colon)), u"Content-Length")) {
            long long announced = std::strtoll(std::string(value).c_str(), nullptr, 10);
            if (transfer->exceedsLimit(announced)) {
                transfer->tooLarge = true;
                return 0;
            }
        }
        return size * count;
    }
};

struct URLSessionEngine {
    std::mutex mutex;
    std::deque<std::shared_ptr<URLSessionTask>> toStart;
    std::vector<std::shared_ptr<URLSessionTask>> toCancel;
    bool cancelAll { false };
    bool stopping { false };
    // Set by the first task to start, before the worker thread exists.
    const CurlLibrary* curl { nullptr };
    CURLM* multi { nullptr };
    std::thread thread;
    std::shared_ptr<HTTPCookieStorage> cookieStorage { HTTPCookieStorage::shared() };

    // Worker thread only.
    std::map<CURL*, std::shared_ptr<URLSessionTask>> active;

    ~URLSessionEngine()
    {
        stop();
        if (multi)
            curl->multiCleanup(multi);
    }

    void start(std::shared_ptr<URLSessionTask> task)
    {
        // libcurl is loaded by the first task of the process; when it cannot
        // be, every task fails at once with the reason.
        const CurlLibrary* library = CurlLibrary::shared();
        if (!library) {
            const URL& url = task->originalRequest().url();
            deliver(task, {}, nullptr, makeURLError(URLErrorUnknown, toUTF16(CurlLibrary::loadFailure()), url));
            return;
        }
        std::lock_guard lock(mutex);
        if (!multi) {
            curl = library;
            multi = curl->multiInit();
        }
        toStart.push_back(std::move(task));
        if (!thread.joinable())
            thread = std::thread([this] { run(); });
        wakeWorker();
    }

    // Wakes the worker; the caller holds the mutex.
    void wakeWorker()
    {
        if (multi)
            curl->multiWakeup(multi);
    }

    void cancel(std::shared_ptr<URLSessionTask> task)
    {
        std::lock_guard lock(mutex);
        toCancel.push_back(std::move(task));
        wakeWorker();
    }

    void cancelEverything()
    {
        std::lock_guard lock(mutex);
        // Tasks waiting to start are cancelled as they reach the worker;
        // running ones are stopped there. Tasks resumed later are not affected.
        for (auto& task : toStart)
            task->m_cancelRequested = true;
        cancelAll = true;
        wakeWorker();
    }

    void stop()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
            wakeWorker();
        }
        if (thread.joinable())
            thread.join();
        // Whatever never reached the worker is cancelled too.
        for (auto& task : toStart)
            deliver(task, {}, nullptr, cancelledError(task->originalRequest().url()));
        toStart.clear();
    }

    static void deliver(const std::shared_ptr<URLSessionTask>& task, Data data,
                        std::shared_ptr<URLResponse> response, Error error)
    {
        RunLoop::main().perform([task, data = std::move(data), response = std::move(response),
                                 error = std::move(error)]() mutable {
            task->complete(std::move(data), std::move(response), std::move(error));
        });
    }

    void run()
    {
        for (;;) {
            std::deque<std::shared_ptr<URLSessionTask>> starting;
            std::vector<std::shared_ptr<URLSessionTask>> cancelling;
            bool cancellingAll = false;
            {
                std::lock_guard lock(mutex);
                if (stopping)
                    break;
                starting.swap(toStart);
                cancelling.swap(toCancel);
                cancellingAll = cancelAll;
                cancelAll = false;
            }
            if (cancellingAll) {
                while (!active.empty())
                    abandon(active.begin()->first);
            }
            for (auto& task : starting)
                begin(task);
            for (auto& task : cancelling) {
                if (task->m_transfer && active.count(task->m_transfer->easy))
                    abandon(task->m_transfer->easy);
            }

            int running = 0;
            curl->multiPerform(multi, &running);
            int remaining = 0;
            while (CURLMsg* message = curl->multiInfoRead(multi, &remaining)) {
                if (message->msg == CURLMSG_DONE)
                    finish(message->easy_handle, message->data.result);
            }
            curl->multiPoll(multi, nullptr, 0, expireIdleTransfers(), nullptr);
        }
        while (!active.empty())
            abandon(active.begin()->first);
    }

    void begin(const std::shared_ptr<URLSessionTask>& task)
    {
        if (task->m_cancelRequested) {
            deliver(task, {}, nullptr, cancelledError(task->originalRequest().url()));
            return;
        }
        const URLRequest& request = task->originalRequest();
        if (onlyLoopback && request.url().host() != u"127.0.0.1" && !request.url().isFileURL()) {
            deliver(task, {}, nullptr,
                makeURLError(URLErrorCannotConnectToHost, u"Only 127.0.0.1 may be reached while testing.", request.url()));
            return;
        }
        countRequest(request.url());
        auto transfer = std::make_unique<URLSessionTransfer>(*curl);
        transfer->url = toUTF8(request.url().absoluteString());
        transfer->method = toUTF8(request.httpMethod());
        if (!request.httpBodyParts().empty()) {
            transfer->bodySource = std::make_unique<URLSessionBodySource>();
            std::string failedPath;
            int failure = 0;
            if (!transfer->bodySource->open(request.httpBodyParts(), failedPath, failure)) {
                Error error = makeURLError(URLErrorFileDoesNotExist, u"The file to send cannot be read.", request.url());
                error.setUnderlyingError(Error::posix(failure, toUTF16(failedPath)));
                deliver(task, {}, nullptr, std::move(error));
                return;
            }
        } else {
            transfer->body = request.httpBody();
        }
        transfer->maximumLength = request.maximumContentLength();
        transfer->deadline = request.deadlineInterval();
        if (!task->m_downloadFolder.empty()) {
            // A new file of our own in the destination's folder, so that the
            // caller can rename it into place; never a link someone planted.
            int fd = -1;
            Error failure;
            auto path = createTemporaryFileBeside(task->m_downloadFolder + "/download", fd, &failure);
            if (!path) {
                Error error = makeURLError(URLErrorCannotCreateFile, u"the reply cannot be written to disk", request.url());
                error.setUnderlyingError(failure);
                deliver(task, {}, nullptr, std::move(error));
                return;
            }
            transfer->bodyFile = fd;
            transfer->bodyFilePath = *path;
        }
        CURL* easy = curl->easyInit();
        transfer->easy = easy;

        curl->easySetopt(easy, CURLOPT_URL, transfer->url.c_str());
        curl->easySetopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,file");
        curl->easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl->easySetopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl->easySetopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl->easySetopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        curl->easySetopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl->easySetopt(easy, CURLOPT_USERAGENT, "Brevanton/" BREVANTON_VERSION);
        curl->easySetopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
        curl->easySetopt(easy, CURLOPT_WRITEFUNCTION, &URLSessionTransfer::writeBody);
        curl->easySetopt(easy, CURLOPT_WRITEDATA, transfer.get());
        curl->easySetopt(easy, CURLOPT_HEADERFUNCTION, &URLSessionTransfer::writeHeader);
        curl->easySetopt(easy, CURLOPT_HEADERDATA, transfer.get());
        curl->easySetopt(easy, CURLOPT_PRIVATE, task.get());
        curl->easySetopt(easy, CURLOPT_OPENSOCKETFUNCTION, &openSocket);
        {
            std::lock_guard lock(mutex);
            transfer->cookieStorage = cookieStorage;
        }
        if (transfer->cookieStorage) {
            // curl's own cookie engine, per transfer, matches the cookies to
            // every request it makes (redirects included); what it holds at
            // the end goes back to the storage.
            curl->easySetopt(easy, CURLOPT_COOKIEFILE, "");
            bool ownCredentials = request.valueForHTTPHeaderField(u"Authorization") || request.valueForHTTPHeaderField(u"Cookie");
            if (!ownCredentials)
                transfer->givenCookies = transfer->cookieStorage->cookies();
            for (auto& cookie : transfer->givenCookies)
                curl->easySetopt(easy, CURLOPT_COOKIELIST, cookie.netscapeLine().c_str());
        }

        if (request.maximumRedirects() > 0) {
            // Credentials never follow a redirect down from https to http;
            // libcurl itself keeps an Authorization field to the first host.
            if (request.valueForHTTPHeaderField(u"Authorization") && request.url().scheme() == u"https")
                curl->easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
            curl->easySetopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
            curl->easySetopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(request.maximumRedirects()));
        }
        if (request.timeoutInterval() > 0) {
            transfer->idleTimeout = request.timeoutInterval();
            auto milliseconds = static_cast<long>(std::ceil(request.timeoutInterval() * 1000));
            curl->easySetopt(easy, CURLOPT_CONNECTTIMEOUT_MS, milliseconds);
            curl->easySetopt(easy, CURLOPT_NOPROGRESS, 0L);
            curl->easySetopt(easy, CURLOPT_XFERINFOFUNCTION, &URLSessionTransfer::progress);
            curl->easySetopt(easy, CURLOPT_XFERINFODATA, transfer.get());
        }

        const std::string& method = transfer->method;
        if (method == "GET") {
            curl->easySetopt(easy, CURLOPT_HTTPGET, 1L);
        } else if (method == "HEAD") {
            curl->easySetopt(easy, CURLOPT_NOBODY, 1L);
        } else if (transfer->bodySource) {
            curl->easySetopt(easy, CURLOPT_POST, 1L);
            curl->easySetopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, transfer->bodySource->totalSize);
            curl->easySetopt(easy, CURLOPT_READFUNCTION, &URLSessionBodySource::readCallback);
            curl->easySetopt(easy, CURLOPT_READDATA, transfer->bodySource.get());
            curl->easySetopt(easy, CURLOPT_SEEKFUNCTION, &URLSessionBodySource::seekCallback);
            curl->easySetopt(easy, CURLOPT_SEEKDATA, transfer->bodySource.get());
            if (method != "POST")
                curl->easySetopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
        } else {
            if (method == "POST" || !transfer->body.empty() || method == "PUT" || method == "PATCH") {
                curl->easySetopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(transfer->body.size()));
                curl->easySetopt(easy, CURLOPT_POSTFIELDS, transfer->body.empty() ? "" : reinterpret_cast<const char*>(transfer->body.data()));
            }
            if (method != "POST")
                curl->easySetopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
        }

        bool hasExpect = false;
        for (auto& [name, value] : request.allHTTPHeaderFields().fields()) {
            std::string line = toUTF8(name);
            hasExpect = hasExpect || equalsIgnoringASCIICase(name, u"Expect");
            // "Name;" is how curl is told to send a field with an empty value.
            line += value.empty() ? ";" : ": " + toUTF8(value);
            transfer->headerList = curl->slistAppend(transfer->headerList, line.c_str());
        }
        if (!hasExpect) // No waiting for "100 Continue" before an upload.
            transfer->headerList = curl->slistAppend(transfer->headerList, "Expect:");
        curl->easySetopt(easy, CURLOPT_HTTPHEADER, transfer->headerList);

        task->m_transfer = std::move(transfer);
        active[easy] = task;
        curl->multiAddHandle(multi, easy);
    }

    // Removes a transfer before it finished (its file gone) and reports the
    // error, a cancellation unless given.
    void abandon(CURL* easy, std::optional<Error> error = std::nullopt)
    {
        auto task = active[easy];
        active.erase(easy);
        curl->multiRemoveHandle(multi, easy);
        task->m_transfer.reset();
        deliver(task, {}, nullptr, error ? std::move(*error) : cancelledError(task->originalRequest().url()));
    }

    // Ends the transfers that have been idle for longer than their timeout,
    // or have passed their deadline; answers how many milliseconds the
    // worker may wait before the next check.
    int expireIdleTransfers()
    {
        using namespace std::chrono;
        auto now = steady_clock::now();
        int wait = 1000;
        std::vector<std::pair<CURL*, Error>> expired;
        auto waitFor = [&](steady_clock::time_point limit) {
            wait = std::min<int>(wait, static_cast<int>(duration_cast<milliseconds>(limit - now).count()) + 1);
        };
        for (auto& [easy, task] : active) {
            URLSessionTransfer& transfer = *task->m_transfer;
            const URL& url = task->originalRequest().url();
            std::string where = hostAndPort(url);
            if (transfer.deadline > 0) {
                auto limit = transfer.started + duration_cast<steady_clock::duration>(duration<double>(transfer.deadline));
                if (now >= limit) {
                    Error error = makeURLError(URLErrorTimedOut,
                        toUTF16(fmt::format("the reply from {} took longer than {} seconds", where, transfer.deadline)), url);
                    error.userInfo()[URLErrorDeadlineIntervalKey] = Value(transfer.deadline);
                    expired.emplace_back(easy, std::move(error));
                    continue;
                }
                waitFor(limit);
            }
            if (transfer.idleTimeout <= 0)
                continue;
            auto limit = transfer.lastActivity + duration_cast<steady_clock::duration>(duration<double>(transfer.idleTimeout));
            if (now >= limit) {
                std::string text = transfer.responseStatus
                    ? fmt::format("{} sent nothing for {} seconds, after {} bytes of the reply", where, transfer.idleTimeout, transfer.bodyLength)
                    : fmt::format("{} did not answer within {} seconds", where, transfer.idleTimeout);
                expired.emplace_back(easy, makeURLError(URLErrorTimedOut, toUTF16(text), url));
            } else {
                waitFor(limit);
            }
        }
        for (auto& [easy, error] : expired)
            abandon(easy, std::move(error));
        return expired.empty() ? wait : 0;
    }

    // What went wrong, in words: what happened, and where.
    Error transferError(CURL* easy, CURLcode result, const URLSessionTransfer& transfer, const URL& url)
    {
        std::string where = hostAndPort(url);
        long systemError = 0;
        curl->easyGetinfo(easy, CURLINFO_OS_ERRNO, &systemError);
        std::string because = systemError ? ": " + systemErrorText(systemError) : std::string();
        std::string text;
        int64_t code = urlErrorCode(result);
        if (transfer.tooLarge) {
            code = URLErrorDataLengthExceedsMaximum;
            text = fmt::format("the reply from {} is larger than {} bytes", where, transfer.maximumLength);
        } else if (result == CURLE_WRITE_ERROR && transfer.bodyFileError) {
            code = URLErrorCannotWriteToFile;
            text = fmt::format("the reply from {} could not be written to disk: {}", where, systemErrorText(transfer.bodyFileError));
        } else {
            switch (result) {
            case CURLE_COULDNT_CONNECT:
                text = "could not connect to " + where + because;
                break;
            case CURLE_COULDNT_RESOLVE_HOST:
                text = "could not find the host " + toUTF8(url.host().value_or(u""));
                break;
            case CURLE_OPERATION_TIMEDOUT:
                text = "could not connect to " + where + ": no answer in time";
                break;
            case CURLE_GOT_NOTHING:
                text = where + " closed the connection without replying";
                break;
            case CURLE_PARTIAL_FILE:
                text = fmt::format("the reply from {} ended after {} bytes", where, transfer.bodyLength);
                break;
            case CURLE_RECV_ERROR:
                text = transfer.responseStatus
                    ? fmt::format("the connection to {} broke after {} bytes of the reply{}", where, transfer.bodyLength, because)
                    : fmt::format("the connection to {} broke before a reply came{}", where, because);
                break;
            case CURLE_SEND_ERROR:
                text = "the connection to " + where + " broke while the request was sent" + because;
                break;
            default:
                text = transfer.errorBuffer[0] ? transfer.errorBuffer : curl->easyStrerror(result);
                if (url.scheme() == u"http" || url.scheme() == u"https")
                    text = where + ": " + text;
                break;
            }
        }
        Error error = makeURLError(code, toUTF16(text), url);
        if (code == URLErrorDataLengthExceedsMaximum)
            error.userInfo()[URLErrorMaximumContentLengthKey] = Value(transfer.maximumLength);
        return error;
    }

    void finish(CURL* easy, CURLcode result)
    {
        auto task = active[easy];
        active.erase(easy);
        curl->multiRemoveHandle(multi, easy);
        auto transfer = std::move(task->m_transfer);
        const URL& requestURL = task->originalRequest().url();

        URL finalURL = requestURL;
        char* effective = nullptr;
        if (curl->easyGetinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
            if (auto parsed = URL::create(std::string_view(effective)))
                finalURL = *parsed;
        }
        char* scheme = nullptr;
        curl->easyGetinfo(easy, CURLINFO_SCHEME, &scheme);
        bool isHTTP = scheme && (equalsIgnoringASCIICase(toUTF16(scheme), u"http") || equalsIgnoringASCIICase(toUTF16(scheme), u"https"));
        long status = 0;
        curl->easyGetinfo(easy, CURLINFO_RESPONSE_CODE, &status);

        std::shared_ptr<URLResponse> response;
        if (isHTTP && status > 0)
            response = std::make_shared<HTTPURLResponse>(finalURL, static_cast<int>(status), std::move(transfer->responseHeaders));
        else if (!isHTTP && result == CURLE_OK)
            response = std::make_shared<URLResponse>(finalURL, contentTypeOfFile(finalURL), static_cast<int64_t>(transfer->received.size()));

        if (transfer->cookieStorage) {
            std::vector<HTTPCookie> kept;
            curl_slist* list = nullptr;
            if (curl->easyGetinfo(easy, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
                for (curl_slist* item = list; item; item = item->next) {
                    if (auto cookie = HTTPCookie::fromNetscapeLine(item->data))
                        kept.push_back(std::move(*cookie));
                }
                curl->slistFreeAll(list);
                transfer->cookieStorage->mergeTransferCookies(transfer->givenCookies, kept);
            }
        }

        Error error;
        if (result != CURLE_OK)
            error = transferError(easy, result, *transfer, requestURL);
        // Nothing of a failed transfer is kept; a download's file goes to the task.
        if (error.isEmpty()) {
            task->m_bodyFilePath = transfer->takeBodyFile();
        } else {
            transfer->received.clear();
            transfer->discardBodyFile();
        }
        deliver(task, std::move(transfer->received), std::move(response), std::move(error));
    }
};

URLSessionTask::URLSessionTask(std::weak_ptr<URLSessionEngine> engine, URLRequest request, CompletionHandler handler)
    : m_identifier(nextTaskIdentifier++)
    , m_request(std::move(request))
    , m_engine(std::move(engine))
    , m_handler(std::move(handler))
{
}

URLSessionTask::URLSessionTask(std::weak_ptr<URLSessionEngine> engine, URLRequest request, std::string downloadFolder,
    DownloadCompletionHandler handler)
    : m_identifier(nextTaskIdentifier++)
    , m_request(std::move(request))
    , m_engine(std::move(engine))
    , m_downloadFolder(std::move(downloadFolder))
    , m_downloadHandler(std::move(handler))
{
}

URLSessionTask::~URLSessionTask() = default;

void URLSessionTask::resume()
{
    State expected = State::Suspended;
    if (!m_state.compare_exchange_strong(expected, State::Running))
        return;
    if (auto engine = m_engine.lock())
        engine->start(shared_from_this());
    else
        URLSessionEngine::deliver(shared_from_this(), {}, nullptr, cancelledError(m_request.url()));
}

void URLSessionTask::cancel()
{
    if (m_cancelRequested.exchange(true))
        return;
    State previous = m_state.load();
    while (previous == State::Suspended || previous == State::Running) {
        if (m_state.compare_exchange_weak(previous, State::Canceling))
            break;
    }
    if (previous == State::Completed || previous == State::Canceling)
        return;
    if (previous == State::Suspended) {
        URLSessionEngine::deliver(shared_from_this(), {}, nullptr, cancelledError(m_request.url()));
        return;
    }
    if (auto engine = m_engine.lock())
        engine->cancel(shared_from_this());
}

void URLSessionTask::complete(Data data, std::shared_ptr<URLResponse> response, Error error)
{
    CompletionHandler handler;
    DownloadCompletionHandler downloadHandler;
    std::string bodyFilePath;
    {
        std::lock_guard lock(m_mutex);
        if (!m_handler && !m_downloadHandler && m_state == State::Completed)
            return;
        // A cancel that came before the outcome was delivered wins.
        if (m_cancelRequested && !error.is(URLErrorDomain, URLErrorCancelled)) {
            data.clear();
            error = cancelledError(m_request.url());
        }
        m_response = response;
        m_error = error;
        m_state = State::Completed;
        handler = std::move(m_handler);
        m_handler = nullptr;
        downloadHandler = std::move(m_downloadHandler);
        m_downloadHandler = nullptr;
        bodyFilePath = std::exchange(m_bodyFilePath, {});
    }
    if (handler)
        handler(std::move(data), std::move(response), std::move(error));
    if (downloadHandler)
        downloadHandler(error.isEmpty() ? bodyFilePath : std::string(), std::move(response), std::move(error));
    // What the handler did not take is not kept.
    if (!bodyFilePath.empty())
        ::unlink(bodyFilePath.c_str());
}

std::shared_ptr<URLResponse> URLSessionTask::response() const
{
    std::lock_guard lock(m_mutex);
    return m_response;
}

Error URLSessionTask::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

URLSession::URLSession()
    : m_engine(std::make_shared<URLSessionEngine>())
{
}

URLSession::~URLSession() = default;

std::shared_ptr<URLSession> URLSession::shared()
{
    static std::shared_ptr<URLSession> session = create();
    return session;
}

std::shared_ptr<URLSession> URLSession::create()
{
    return std::shared_ptr<URLSession>(new URLSession);
}

std::shared_ptr<URLSessionTask> URLSession::dataTask(URLRequest request, URLSessionTask::CompletionHandler handler)
{
    return std::shared_ptr<URLSessionTask>(new URLSessionTask(m_engine, std::move(request), std::move(handler)));
}

std::shared_ptr<URLSessionTask> URLSession::dataTask(const URL& url, URLSessionTask::CompletionHandler handler)
{
    return dataTask(URLRequest(url), std::move(handler));
}

std::shared_ptr<URLSessionTask> URLSession::downloadTask(URLRequest request, std::string folderPath,
    URLSessionTask::DownloadCompletionHandler handler)
{
    return std::shared_ptr<URLSessionTask>(new URLSessionTask(m_engine, std::move(request), std::move(folderPath), std::move(handler)));
}

std::shared_ptr<URLSessionTask> URLSession::uploadTask(URLRequest request, Data body, URLSessionTask::CompletionHandler handler)
{
    if (request.httpMethod() == u"GET")
        request.setHTTPMethod(u"POST");
    request.setHTTPBody(std::move(body));
    return dataTask(std::move(request), std::move(handler));
}

void URLSession::cancelAllTasks()
{
    m_engine->cancelEverything();
}

std::shared_ptr<HTTPCookieStorage> URLSession::httpCookieStorage() const
{
    std::lock_guard lock(m_engine->mutex);
    return m_engine->cookieStorage;
}

void URLSession::setHTTPCookieStorage(std::shared_ptr<HTTPCookieStorage> storage)
{
    std::lock_guard lock(m_engine->mutex);
    m_engine->cookieStorage = std::move(storage);
}

void URLSession::setOnlyLoopbackForTesting(bool on)
{
    std::lock_guard lock(requestCountsMutex);
    if (on && !onlyLoopback)
        requestCounts.clear();
    onlyLoopback = on;
}

bool URLSession::onlyLoopbackForTesting()
{
    return onlyLoopback;
}

std::map<std::u16string, int> URLSession::requestCountsByPathForTesting()
{
    std::lock_guard lock(requestCountsMutex);
    return requestCounts;
}

void URLSession::resetRequestCountsForTesting()
{
    std::lock_guard lock(requestCountsMutex);
    requestCounts.clear();
}

} // namespace brevanton
