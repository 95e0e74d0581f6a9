#include "platform/foundation/DocumentTextDecoding.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/TextEncodingLabels.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace brevanton {

namespace {

constexpr size_t prescanLength = 1024;

bool isSpaceByte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char lowerByte(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool startsWithIgnoringCase(std::string_view text, size_t at, std::string_view prefix)
{
    if (text.size() - at < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (lowerByte(text[at + i]) != prefix[i])
            return false;
    }
    return true;
}

// The encoding a declared label names, when it can be used to read bytes
// declared from inside them: UTF-16 labels mean UTF-8 there (the bytes were
// readable as ASCII), and an encoding without a converter here is no answer.
std::optional<std::u16string> usableDeclaredEncoding(std::string_view label)
{
    auto encoding = textEncodingForLabel(toUTF16(label));
    if (!encoding)
        return std::nullopt;
    if (isUTF16Encoding(*encoding))
        return u"UTF-8";
    if (*encoding == u"x-user-defined")
        return u"windows-1252";
    // "replacement" would read the whole file as one U+FFFD: a save would
    // destroy it.
    if (*encoding == u"replacement" || !isKnownTextEncoding(*encoding))
        return std::nullopt;
    return encoding;
}

// One attribute of a tag, in the prescan's terms; false at the tag's end.
bool nextAttribute(std::string_view text, size_t& i, std::string& name, std::string& value)
{
    name.clear();
    value.clear();
    while (i < text.size() && (isSpaceByte(text[i]) || text[i] == '/'))
        ++i;
    if (i >= text.size() || text[i] == '>')
        return false;
    while (i < text.size()) {
        char c = text[i];
        if (c == '=' && !name.empty())
            break;
        if (isSpaceByte(c) || c == '/' || c == '>')
            break;
        name += lowerByte(c);
        ++i;
    }
    while (i < text.size() && isSpaceByte(text[i]))
        ++i;
    if (i >= text.size() || text[i] != '=')
        return true;
    ++i;
    while (i < text.size() && isSpaceByte(text[i]))
        ++i;
    if (i >= text.size())
        return true;
    if (text[i] == '"' || text[i] == '\'') {
        char quote = text[i++];
        while (i < text.size() && text[i] != quote)
            value += lowerByte(text[i++]);
        if (i < text.size())
            ++i;
        return true;
    }
    while (i < text.size() && !isSpaceByte(text[i]) && text[i] != '>')
        value += lowerByte(text[i++]);
    return true;
}

// The charset of a content value such as "text/html; charset=iso-8859-1".
std::optional<std::string> charsetFromContent(std::string_view content)
{
    for (size_t at = content.find("charset"); at != std::string_view::npos; at = content.find("charset", at + 7)) {
        size_t i = at + 7;
        while (i < content.size() && isSpaceByte(content[i]))
            ++i;
        if (i >= content.size() || content[i] != '=')
            continue;
        ++i;
        while (i < content.size() && isSpaceByte(content[i]))
            ++i;
        if (i < content.size() && (content[i] == '"' || content[i] == '\'')) {
            char quote = content[i++];
            size_t end = content.find(quote, i);
            if (end == std::string_view::npos)
                return std::nullopt;
            return std::string(content.substr(i, end - i));
        }
        size_t end = i;
        while (end < content.size() && !isSpaceByte(content[end]) && content[end] != ';')
            ++end;
        if (end > i)
            return std::string(content.substr(i, end - i));
        return std::nullopt;
    }
    return std::nullopt;
}

size_t skipTag(std::string_view text, size_t i)
{
    std::string name;
    std::string value;
    while (nextAttribute(text, i, name, value)) {
    }
    return i;
}

std::optional<std::u16string> prescanHTML(std::string_view bytes)
{
    std::string_view text = bytes.substr(0, std::min(bytes.size(), prescanLength));
    size_t i = 0;
    while (i < text.size()) {
        size_t lt = text.find('<', i);
        if (lt == std::string_view::npos)
            break;
        i = lt;
        if (text.substr(i, 4) == "<!--") {
            size_t end = text.find("-->", i + 2);
            if (end == std::string_view::npos)
                break;
            i = end + 3;
            continue;
        }
        if (startsWithIgnoringCase(text, i, "<meta") && i + 5 < text.size() && (isSpaceByte(text[i + 5]) || text[i + 5] == '/')) {
            i += 5;
            std::string name;
            std::string value;
            bool gotPragma = false;
            bool needPragma = false;
            bool seenCharset = false;
            bool seenContent = false;
            std::optional<std::string> charset;
            while (nextAttribute(text, i, name, value)) {
                if (name == "http-equiv" && value == "content-type")
                    gotPragma = true;
                else if (name == "content" && !seenContent && !seenCharset) {
                    seenContent = true;
                    if (auto found = charsetFromContent(value)) {
                        charset = found;
                        needPragma = true;
                    }
                } else if (name == "charset" && !seenCharset) {
                    seenCharset = true;
                    charset = value;
                    needPragma = false;
                }
            }
            if (!charset || (needPragma && !gotPragma))
                continue;
            if (auto encoding = usableDeclaredEncoding(*charset))
                return encoding;
            continue;
        }
        bool endTag = i + 1 < text.size() && text[i + 1] == '/';
        size_t nameStart = i + (endTag ? 2 : 1);
        if (nameStart < text.size() && ((text[nameStart] | 0x20) >= 'a' && (text[nameStart] | 0x20) <= 'z')) {
            i = nameStart;
            while (i < text.size() && !isSpaceByte(text[i]) && text[i] != '>')
                ++i;
            i = skipTag(text, i);
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '!' || text[i + 1] == '/' || text[i + 1] == '?')) {
            size_t end = text.find('>', i);
            if (end == std::string_view::npos)
                break;
            i = end + 1;
            continue;
        }
        ++i;
    }
    return std::nullopt;
}

// UTF-16 by the first characters of an XML file without a byte-order mark,
// else the encoding its declaration names.
std::optional<std::u16string> declaredXMLEncoding(std::string_view bytes)
{
    if (bytes.starts_with(std::string_view("<\0?\0", 4)))
        return u"UTF-16LE";
    if (bytes.starts_with(std::string_view("\0<\0?", 4)))
        return u"UTF-16BE";
    if (!bytes.starts_with("<?xml"))
        return std::nullopt;
    auto declaration = bytes.substr(0, bytes.find("?>"));
    size_t i = 5;
    std::string name;
    std::string value;
    while (nextAttribute(declaration, i, name, value)) {
        if (name == "encoding")
            return usableDeclaredEncoding(value);
    }
    return std::nullopt;
}

// Well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool isValidUTF8(std::string_view text)
{
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    auto* end = p + text.size();
    while (p < end) {
        // Runs of ASCII, eight bytes at a time.
        uint64_t block;
        if (end - p >= 8 && (std::memcpy(&block, p, 8), !(block & 0x8080808080808080ull))) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        unsigned char lead = *p;
        size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (!length || static_cast<size_t>(end - p) < length)
            return false;
        unsigned char second = p[1];
        unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high)
            return false;
        for (size_t i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

std::u16string byteOrderMarkEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return u"UTF-8";
    if (bytes.starts_with("\xFE\xFF"))
        return u"UTF-16BE";
    if (bytes.starts_with("\xFF\xFE"))
        return u"UTF-16LE";
    return {};
}

} // namespace

std::u16string declaredHTMLEncoding(std::string_view bytes)
{
    return prescanHTML(bytes).value_or(std::u16string());
}

namespace {

// The encoding named for the bytes, in order: by a byte-order mark (taken off
// `bytes`), by the transport label, by a declaration in the file; none when
// nothing names one.
std::optional<std::u16string> namedEncoding(std::string_view& bytes, DocumentTextSyntax syntax,
                                            std::u16string_view transportLabel, bool& byteOrderMark)
{
    if (auto encoding = byteOrderMarkEncoding(bytes); !encoding.empty()) {
        byteOrderMark = true;
        bytes.remove_prefix(encoding == u"UTF-8" ? 3 : 2);
        return encoding;
    }
    if (auto transport = textEncodingForLabel(transportLabel); transport && isKnownTextEncoding(*transport))
        return transport;
    return syntax == DocumentTextSyntax::HTML ? prescanHTML(bytes) : declaredXMLEncoding(bytes);
}

// Decodes `bytes` (the byte-order mark taken off) in the encoding named for
// them, with none in UTF-8 when they are UTF-8 and windows-1252 otherwise.
DecodedDocumentText decodeInNamedEncoding(std::string_view bytes, std::optional<std::u16string> named, bool byteOrderMark)
{
    DecodedDocumentText result;
    result.byteOrderMark = byteOrderMark;
    // Whether the bytes are UTF-8, found at most once (a pass over all of them).
    std::optional<bool> validUTF8;
    auto isUTF8 = [&] {
        if (!validUTF8)
            validUTF8 = isValidUTF8(bytes);
        return *validUTF8;
    };
    if (named)
        result.encoding = std::move(*named);
    else
        result.encoding = isUTF8() ? u"UTF-8" : u"windows-1252";

    if (result.encoding == u"UTF-8") {
        // Bytes that are not UTF-8 become U+FFFD.
        result.replacedUndecodableBytes = !isUTF8();
        result.utf8 = isUTF8() ? std::string(bytes) : toUTF8(toUTF16(bytes));
        return result;
    }
    auto text = isKnownTextEncoding(result.encoding) ? decodeText(bytes, result.encoding, nullptr) : std::nullopt;
    if (!text) {
        text = decodeTextReplacingInvalid(bytes, result.encoding);
        if (!text) {
            result.encoding = u"windows-1252";
            text = decodeTextReplacingInvalid(bytes, result.encoding);
        }
        result.replacedUndecodableBytes = text.has_value();
    }
    result.utf8 = toUTF8(text.value_or(std::u16string()));
    return result;
}

} // namespace

DecodedDocumentText decodeDocumentText(std::string_view bytes, DocumentTextSyntax syntax, std::u16string_view transportLabel)
{
    bool byteOrderMark = false;
    auto named = namedEncoding(bytes, syntax, transportLabel, byteOrderMark);
    return decodeInNamedEncoding(bytes, std::move(named), byteOrderMark);
}

DecodedDocumentUTF16Text decodeDocumentTextAsUTF16(std::string_view bytes, DocumentTextSyntax syntax,
                                                   std::u16string_view transportLabel)
{
    DecodedDocumentUTF16Text result;
    auto text = bytes;
    auto named = namedEncoding(text, syntax, transportLabel, result.byteOrderMark);
    // Valid UTF-8 read as UTF-8 is checked and converted in one pass.
    if ((!named || *named == u"UTF-8") && decodeUTF8Strictly(text, result.text)) {
        result.encoding = u"UTF-8";
        return result;
    }
    // Else as decodeDocumentText decodes, in the encoding found above.
    auto decoded = decodeInNamedEncoding(text, std::move(named), result.byteOrderMark);
    result.text = toUTF16(decoded.utf8);
    result.encoding = std::move(decoded.encoding);
    result.byteOrderMark = decoded.byteOrderMark;
    result.replacedUndecodableBytes = decoded.replacedUndecodableBytes;
    return result;
}

} // namespace brevanton
