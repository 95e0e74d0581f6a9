#include "wordpress/XMLRPCResponse.h"

#include "platform/foundation/Text.h"
#include "wordpress/XMLRPCEventBasedParser.h"

#include <charconv>

namespace brevanton {

std::string XMLRPCBytesWithoutForbiddenCharacters(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    size_t runStart = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        auto byte = static_cast<unsigned char>(data[i]);
        size_t length = 0;
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            length = 1;
        else if (byte == 0xEF && i + 2 < data.size() && static_cast<unsigned char>(data[i + 1]) == 0xBF
            && (static_cast<unsigned char>(data[i + 2]) == 0xBE || static_cast<unsigned char>(data[i + 2]) == 0xBF))
            length = 3;
        if (!length)
            continue;
        out.append(data.substr(runStart, i - runStart));
        i += length - 1;
        runStart = i + 1;
    }
    out.append(data.substr(runStart));
    return out;
}

XMLRPCResponse::XMLRPCResponse(std::string_view data)
    : m_bytes(XMLRPCBytesWithoutForbiddenCharacters(data))
{
    XMLRPCEventBasedParser parser(m_bytes);
    m_object = parser.parse();
    m_isFault = parser.isFault() && !m_object.isNull();
    m_parserError = parser.parserError();
}

std::optional<int64_t> XMLRPCResponse::faultCode() const
{
    if (!m_isFault)
        return std::nullopt;
    const Value& code = m_object[u"faultCode"];
    if (!code.isString())
        return code.integerValue();
    // A code sent as text.
    std::string text = toUTF8(code.string());
    int64_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

std::optional<std::u16string> XMLRPCResponse::faultString() const
{
    if (!m_isFault)
        return std::nullopt;
    return m_object[u"faultString"].stringValue();
}

std::u16string XMLRPCResponse::body() const
{
    return toUTF16(m_bytes);
}

std::string XMLRPCResponse::description() const
{
    std::string text = "[body=" + m_bytes;
    if (m_isFault)
        text += ", fault[" + std::to_string(*faultCode()) + "]='" + toUTF8(*faultString()) + "'";
    else
        text += ", object=" + m_object.description();
    return text + "]";
}

} // namespace brevanton
