#include "wordpress/XMLRPCEncoder.h"

#include "toolkit/VornickBase64.h"
#include "wordpress/XMLRPCDateText.h"

#include <charconv>

namespace brevanton {

namespace {

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

void appendEscaped(std::u16string& out, std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        switch (c) {
        case u'&':
            out += u"&#38;";
            continue;
        case u'>':
            out += u"&#62;";
            continue;
        case u'<':
            out += u"&#60;";
            continue;
        case u'\r':
            out += u"&#13;";
            continue;
        case u'\t':
        case u'\n':
            out += c;
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF)
            continue;
        if (isHighSurrogate(c)) {
            if (i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
                out += c;
                out += text[++i];
            }
            continue;
        }
        if (isLowSurrogate(c))
            continue;
        out += c;
    }
}

void appendASCII(std::u16string& out, std::string_view text)
{
    out.append(text.begin(), text.end());
}

void appendScalar(std::u16string& out, std::u16string_view tag, std::u16string_view text)
{
    out += u"<value><";
    out += tag;
    out += u'>';
    out += text;
    out += u"</";
    out += tag;
    out += u"></value>";
}

void appendValue(std::u16string& out, const Value& value)
{
    switch (value.type()) {
    case Value::Type::Array:
        out += u"<value><array><data>";
        for (auto& element : value.array())
            appendValue(out, element);
        out += u"</data></array></value>";
        return;
    case Value::Type::Dictionary:
        out += u"<value><struct>";
        for (auto& [key, member] : value.dictionary()) {
            out += u"<member><name>";
            appendEscaped(out, key);
            out += u"</name>";
            appendValue(out, member);
            out += u"</member>";
        }
        out += u"</struct></value>";
        return;
    case Value::Type::Null:
        out += u"<value><nil/></value>";
        return;
    case Value::Type::Boolean:
        appendScalar(out, u"boolean", value.boolValue() ? u"1" : u"0");
        return;
    case Value::Type::Integer: {
        char buffer[24];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.integerValue());
        out += u"<value><i4>";
        appendASCII(out, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
        out += u"</i4></value>";
        return;
    }
    case Value::Type::Real: {
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.doubleValue());
        out += u"<value><double>";
        appendASCII(out, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
        out += u"</double></value>";
        return;
    }
    case Value::Type::String:
        out += u"<value><string>";
        appendEscaped(out, value.string());
        out += u"</string></value>";
        return;
    case Value::Type::Date:
        appendScalar(out, u"dateTime.iso8601", XMLRPCDateStringFromDate(value.date()));
        return;
    case Value::Type::Data:
        appendScalar(out, u"base64", base64EncodedString(value.data()));
        return;
    }
}

} // namespace

std::u16string escapedString(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

void XMLRPCDefaultEncoder::setMethod(std::u16string method, Array parameters)
{
    m_method = std::move(method);
    m_parameters = std::move(parameters);
}

std::u16string XMLRPCDefaultEncoder::encode() const
{
    std::u16string out = u"<?xml version=\"1.0\"?><methodCall><methodName>";
    appendEscaped(out, m_method);
    out += u"</methodName><params>";
    for (auto& parameter : m_parameters) {
        out += u"<param>";
        appendValue(out, parameter);
        out += u"</param>";
    }
    out += u"</params></methodCall>";
    return out;
}

} // namespace brevanton
