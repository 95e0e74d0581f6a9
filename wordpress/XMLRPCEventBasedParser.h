// XMLRPCEventBasedParser: reads the first value of an XML-RPC reply into a
// Value, with an event-driven XML parser.
//
// What it reads: the value of a methodResponse's first param, or of its
// fault (then isFault()). Arrays become arrays, structs dictionaries (a member
// whose value is an unreadable date is left out, a member without a value is
// the empty string), i4/int integers, double reals, boolean true exactly for
// "1", dateTime.iso8601 dates (the values of "*_gmt" members in UTC, the
// others in local time; the all-zero date is no date), base64 data, and
// string values and values without a type element strings, their text as it
// came. Other scalar texts lose edge white space; an unknown type (i8, nil)
// arrives as its text.
//
// What it refuses to be harmed by: text before the XML (a byte order mark,
// white space, notices a PHP host printed first) and anything after the
// document element are left out and written to the console; a document type
// declaration is refused (so no entity is declared, loaded or expanded), and
// elements nested more than maximumElementDepth deep end the parse.
//
// Runs on any thread; one parser per reply.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <string>
#include <string_view>

namespace brevanton {

class XMLRPCEventBasedParser {
public:
    // `data` is the reply's bytes; they must outlive parse().
    explicit XMLRPCEventBasedParser(std::string_view data)
        : m_data(data)
    {
    }

    // The first value; null when the reply holds none or is not well-formed
    // XML, or when parsing was refused (parserError() then tells why).
    Value parse();
    const Error& parserError() const { return m_error; }
    // Whether the value read is a fault's.
    bool isFault() const { return m_isFault; }

    // Looks at every byte of the reply once, in pieces (views into it):
    // those of the XML as the XML parser takes them, then those it did not
    // take, before anything is written to the console. Answering false ends
    // the parse: parse() answers null and pieceRefused() true.
    void setPieceCheck(std::function<bool(std::string_view piece)> check) { m_pieceCheck = std::move(check); }
    bool pieceRefused() const { return m_pieceRefused; }

    static constexpr int maximumElementDepth = 128;

private:
    std::string_view m_data;
    Error m_error;
    bool m_isFault { false };
    std::function<bool(std::string_view)> m_pieceCheck;
    bool m_pieceRefused { false };
};

} // namespace brevanton
