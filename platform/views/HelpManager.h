// HelpManager: the application's help book. Its pages are plain HTML files,
// one per anchor: "<anchor>.html" in the resources folder named after the
// book. The manager finds them and remembers every anchor asked for; showing
// a page is its caller's (views/VornickHelpExtensions.h).
#pragma once

#include "platform/foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class HelpManager {
public:
    struct Request {
        std::u16string anchor;
        std::u16string book;
    };

    static HelpManager& shared();

    // Remembers the request and answers the file URL of the anchor's page in
    // the book, from the main bundle's resources; nullopt when
    // the book has no such page, or when the anchor or the book is no plain
    // name (an anchor is letters, digits, "-" and "_"; a book name holds no
    // "/" and starts with no ".").
    std::optional<URL> pageForHelpAnchor(const std::u16string& anchor, const std::u16string& book);

    const std::vector<Request>& requests() const { return m_requests; }

    // Forgets the requests.
    void resetForTesting() { m_requests.clear(); }

private:
    std::vector<Request> m_requests;
};

} // namespace brevanton
