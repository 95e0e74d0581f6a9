// URLHandoff: gives an address the desktop opened this program with (a
// browser's redirect back to the program) to the running process that waits
// for it.
//
// A process that waits listens on a local socket of its own in the user's
// handoff folder ($XDG_RUNTIME_DIR/brevanton, else /tmp/brevanton-UID; the
// folder must be the user's own, closed to others). Handing off tries every
// socket there: each listener answers whether it took the address; a socket
// nobody listens on any more is removed. Only processes of the same user are
// answered.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// The longest address handed off, in bytes.
inline constexpr size_t URLHandoffMaximumLength = 8192;

enum class URLHandoffResult {
    // A listener took the address.
    Taken,
    // Listeners answered, but none took it.
    NotTaken,
    // No process listens (or the folder could not be used).
    NoListener,
};

// The handoff folder, made when missing; nothing (with the error) when it
// cannot be made or is not the user's own with no access for others.
[[nodiscard]] std::optional<std::string> URLHandoffFolder(Error* outError);

// Blocking: connects to each listener in turn and waits at most `timeout`
// seconds for each answer. An address longer than the maximum or holding a
// line break is handed to nobody.
URLHandoffResult handOffURL(std::string_view url, double timeout = 5);

class URLHandoffListener {
public:
    // Answers whether the address was taken. Runs on the main run loop.
    using Handler = std::function<bool(const std::string& url)>;

    // Listens until destroyed; null with the error when no socket could be made.
    [[nodiscard]] static std::unique_ptr<URLHandoffListener> start(Handler, Error* outError);
    ~URLHandoffListener();
    URLHandoffListener(const URLHandoffListener&) = delete;
    URLHandoffListener& operator=(const URLHandoffListener&) = delete;

    const std::string& socketPath() const { return m_socketPath; }

private:
    URLHandoffListener(int fd, std::string socketPath, Handler);
    void acceptConnection();

    int m_fd;
    std::string m_socketPath;
    Handler m_handler;
    RunLoop::SourceToken m_source { 0 };
};

} // namespace brevanton
