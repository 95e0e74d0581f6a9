// XMLRPCResponse: an XML-RPC reply as read: its first value or its fault.
// Made on the connections' parsing queue from the reply's bytes, read on the
// main thread.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class XMLRPCResponse {
public:
    // Reads the bytes, leaving out every character XML 1.0 forbids first; a
    // byte that is no part of a UTF-8 sequence reads as U+FFFF in its string.
    explicit XMLRPCResponse(std::string_view data);
    // The same for bytes held elsewhere (a reply as the connection received
    // it): read where they are and kept shared, unless they hold such a
    // character; then a copy without them is read.
    explicit XMLRPCResponse(std::shared_ptr<const Data> data);

    // The value the reply carried (a fault's struct for a fault); null when
    // it carried none: the reply was no XML-RPC (parserError() says why).
    const Value& object() const { return m_object; }
    bool hasObject() const { return !m_object.isNull(); }
    bool isFault() const { return m_isFault; }
    // The fault's "faultCode" and "faultString"; nullopt unless a fault.
    std::optional<int64_t> faultCode() const;
    std::optional<std::u16string> faultString() const;
    // The reply as text (what was read, as UTF-8).
    std::u16string body() const;
    const Error& parserError() const { return m_parserError; }

    // "[body=..., object=...]", or "[body=..., fault[code]='string']".
    std::string description() const;

private:
    std::string_view bytes() const;
    // Reads the bytes, with the parser looking at each piece with `pieceCheck` when given.
    void read(std::function<bool(std::string_view)> pieceCheck);
    // A reply refused for bytes that are not UTF-8 is read again with each
    // such byte in a string marked U+FFFF (as the JSON reader marks them), so
    // that only the entries that hold one are left out.
    void readAgainIfUndecodable();

    // What was read, never null.
    std::shared_ptr<const Data> m_bytes;
    Value m_object;
    bool m_isFault { false };
    Error m_parserError;
    // Whether the piece check refused the bytes.
    bool m_refused { false };
};

// The bytes without the characters XML 1.0 forbids: controls other than
// tab, line feed and carriage return, and U+FFFE and U+FFFF in UTF-8.
std::string XMLRPCBytesWithoutForbiddenCharacters(std::string_view);

} // namespace brevanton
