// HelpManager: opens anchors of help books. Without a help viewer it
// remembers the requests and hands them to an optional handler (a backend
// that can show help, or a test).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brevanton {

class HelpManager {
public:
    using Handler = std::function<void(const std::u16string& anchor, const std::u16string& book)>;
    struct Request {
        std::u16string anchor;
        std::u16string book;
    };

    static HelpManager& shared();

    void openHelpAnchor(const std::u16string& anchor, const std::u16string& book);
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    const std::vector<Request>& requests() const { return m_requests; }

    // Forgets the handler and the requests.
    void resetForTesting();

private:
    Handler m_handler;
    std::vector<Request> m_requests;
};

} // namespace brevanton
