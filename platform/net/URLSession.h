// URLSession: HTTP(S) transfers on libcurl, which the first task to start
// loads. Each session runs its transfers on one worker thread (a curl multi
// handle); completions are delivered on the main run loop. TLS peers and host
// names are always verified. When libcurl cannot be loaded, every task fails
// at once with the reason. Cookies: a session sends the cookies of its cookie
// storage (the shared one unless set) and keeps those the server sets, also
// on redirects it follows; a request carrying its own "Authorization" or
// "Cookie" field is sent without stored cookies.
//
//     auto task = URLSession::shared()->dataTask(request, [](Data data, std::shared_ptr<URLResponse> response, Error error) {
//         ... runs on the main run loop ...
//     });
//     task->resume();
#pragma once

#include "platform/foundation/Error.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace brevanton {

class URLSession;

class URLSessionTask : public std::enable_shared_from_this<URLSessionTask> {
public:
    // Data received (possibly partial on failure), the response (null when none
    // arrived) and the error (empty on success). A status code of 400 or more
    // is not an error at this level.
    using CompletionHandler = std::function<void(Data, std::shared_ptr<URLResponse>, Error)>;
    // A download's: the path of the file holding the whole body (empty on
    // failure), the response and the error. The file is removed once the
    // handler returns, unless the handler moved it away.
    using DownloadCompletionHandler = std::function<void(const std::string& bodyFilePath, std::shared_ptr<URLResponse>, Error)>;

    enum class State { Suspended, Running, Canceling, Completed };

    uint64_t taskIdentifier() const { return m_identifier; }
    const URLRequest& originalRequest() const { return m_request; }
    State state() const { return m_state.load(); }

    // Starts the transfer. A task starts once; later calls do nothing.
    void resume();
    // Stops the transfer. The completion handler is then called (on the main
    // run loop) with URLErrorCancelled, unless it has already run.
    void cancel();

    // Known once the task completed.
    std::shared_ptr<URLResponse> response() const;
    Error error() const;

    ~URLSessionTask();

private:
    friend class URLSession;
    friend struct URLSessionEngine;
    URLSessionTask(std::weak_ptr<struct URLSessionEngine>, URLRequest, CompletionHandler);
    URLSessionTask(std::weak_ptr<struct URLSessionEngine>, URLRequest, std::string downloadFolder, DownloadCompletionHandler);
    // On the main run loop: records the outcome and calls the handler once.
    void complete(Data, std::shared_ptr<URLResponse>, Error);

    const uint64_t m_identifier;
    const URLRequest m_request;
    std::weak_ptr<struct URLSessionEngine> m_engine;
    std::atomic<State> m_state { State::Suspended };
    std::atomic<bool> m_cancelRequested { false };

    // A download writes its body to a new file in this folder.
    const std::string m_downloadFolder;
    // Set by the worker before the outcome is delivered.
    std::string m_bodyFilePath;

    mutable std::mutex m_mutex;
    CompletionHandler m_handler;
    DownloadCompletionHandler m_downloadHandler;
    std::shared_ptr<URLResponse> m_response;
    Error m_error;

    // Owned by the worker thread while the transfer runs.
    std::unique_ptr<struct URLSessionTransfer> m_transfer;
};

class URLSession {
public:
    // The shared session of the process.
    static std::shared_ptr<URLSession> shared();
    static std::shared_ptr<URLSession> create();

    std::shared_ptr<URLSessionTask> dataTask(URLRequest, URLSessionTask::CompletionHandler);
    std::shared_ptr<URLSessionTask> dataTask(const URL&, URLSessionTask::CompletionHandler);
    // A task whose reply's body goes to a new file in `folderPath` (made
    // there, so that it can be renamed into place), never into memory; the
    // file of a failed or cancelled transfer is removed.
    std::shared_ptr<URLSessionTask> downloadTask(URLRequest, std::string folderPath, URLSessionTask::DownloadCompletionHandler);
    // A task that sends `body` as the request body (method "POST" unless the
    // request names another).
    std::shared_ptr<URLSessionTask> uploadTask(URLRequest, Data body, URLSessionTask::CompletionHandler);

    // Cancels every transfer that has not completed; the session stays usable.
    void cancelAllTasks();

    // HTTPCookieStorage::shared() unless set; null keeps no cookies at all.
    std::shared_ptr<HTTPCookieStorage> httpCookieStorage() const;
    void setHTTPCookieStorage(std::shared_ptr<HTTPCookieStorage>);

    // A test setting for every session of the process: while it is on, a
    // request to any host but 127.0.0.1 fails before any name lookup (and a
    // redirect elsewhere before connecting), and every request started is
    // counted by its URL's path.
    static void setOnlyLoopbackForTesting(bool);
    static bool onlyLoopbackForTesting();
    // Requests started per path ("/wp-json/wp/v2/posts") since the setting
    // was turned on or the counts were reset.
    static std::map<std::u16string, int> requestCountsByPathForTesting();
    static void resetRequestCountsForTesting();

    // Cancels what is running and stops the worker thread.
    ~URLSession();

    URLSession(const URLSession&) = delete;
    URLSession& operator=(const URLSession&) = delete;

private:
    URLSession();
    std::shared_ptr<struct URLSessionEngine> m_engine;
};

} // namespace brevanton
