// XMLRPCEncoder: what turns a method name and its parameters into an XML-RPC
// methodCall document; XMLRPCDefaultEncoder is the one every request uses
// unless given another.
//
// The document is written on one line, without white space between
// elements. Parameters are values: arrays, dictionaries (as structs, their
// keys in order; a null member as <nil/>), booleans, integers (i4), reals
// (double), strings, dates (dateTime.iso8601, in UTC) and data (base64).
#pragma once

#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

namespace brevanton {

class XMLRPCEncoder {
public:
    virtual ~XMLRPCEncoder() = default;

    // The methodCall document.
    virtual std::u16string encode() const = 0;
    virtual void setMethod(std::u16string method, Array parameters) = 0;
    virtual const std::u16string& method() const = 0;
    virtual const Array& parameters() const = 0;
};

class XMLRPCDefaultEncoder final : public XMLRPCEncoder {
public:
    std::u16string encode() const override;
    void setMethod(std::u16string method, Array parameters) override;
    const std::u16string& method() const override { return m_method; }
    const Array& parameters() const override { return m_parameters; }

private:
    std::u16string m_method;
    Array m_parameters;
};

// The text as XML character data: "&", ">" and "<" as "&#38;", "&#62;" and
// "&#60;", a carriage return as "&#13;" (which a parser would otherwise turn
// into a line feed), and every character XML 1.0 forbids left out (controls
// other than tab, line feed and carriage return, U+FFFE, U+FFFF and unpaired
// surrogates). Quotes stay as they are.
std::u16string escapedString(std::u16string_view);

} // namespace brevanton
