#include "platform/foundation/URL.h"

#include "platform/foundation/HexDigits.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/utf8.h>
#include <uriparser/Uri.h>

namespace brevanton {

// MARK: Percent escaping

static const char hexDigits[] = "0123456789ABCDEF";

static void appendEscapedByte(std::string& out, unsigned char byte)
{
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0xF];
}

// `allowed` tells whether a code point is left alone.
template<typename Allowed>
static std::string percentEncodeWith(std::string_view utf8, const Allowed& allowed)
{
    std::string out;
    out.reserve(utf8.size());
    int32_t length = static_cast<int32_t>(utf8.size());
    int32_t i = 0;
    while (i < length) {
        // A run of ASCII left alone is copied at once.
        int32_t run = i;
        while (run < length && static_cast<unsigned char>(utf8[run]) < 0x80 && utf8[run] != '%'
               && allowed(static_cast<char32_t>(utf8[run])))
            ++run;
        if (run > i) {
            out.append(utf8.data() + i, static_cast<size_t>(run - i));
            i = run;
            continue;
        }
        int32_t start = i;
        UChar32 c;
        U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), i, length, c);
        if (c >= 0 && c != '%' && allowed(static_cast<char32_t>(c))) {
            out.append(utf8.substr(start, i - start));
            continue;
        }
        for (int32_t j = start; j < i; ++j)
            appendEscapedByte(out, static_cast<unsigned char>(utf8[j]));
    }
    return out;
}

std::string percentEncode(std::string_view utf8, const CharacterSet& allowed)
{
    return percentEncodeWith(utf8, [&](char32_t c) { return allowed.contains(c); });
}

std::u16string percentEncode(std::u16string_view text, const CharacterSet& allowed)
{
    return toUTF16(percentEncode(toUTF8(text), allowed));
}

std::optional<std::string> percentDecodeToBytes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            // Up to the next escape at once.
            size_t escape = std::min(text.find('%', i), text.size());
            out.append(text.substr(i, escape - i));
            i = escape - 1;
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexDigitValue(static_cast<unsigned char>(text[i + 1]));
        int low = hexDigitValue(static_cast<unsigned char>(text[i + 2]));
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<std::u16string> percentDecode(std::u16string_view text)
{
    for (char16_t c : text) {
        if (c == u'%')
            goto decode;
    }
    return std::u16string(text);
decode:
    // ASCII whose escapes are ASCII (file names with spaces, most paths)
    // decodes unit by unit; anything else goes through its UTF-8 bytes.
    {
        std::u16string ascii;
        ascii.reserve(text.size());
        size_t i = 0;
        for (; i < text.size(); ++i) {
            char16_t c = text[i];
            if (c >= 0x80)
                break;
            if (c != u'%') {
                ascii += c;
                continue;
            }
            if (i + 2 >= text.size())
                return std::nullopt;
            int high = hexDigitValue(text[i + 1]);
            int low = hexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            if (high >= 8)
                break;
            ascii += static_cast<char16_t>(high * 16 + low);
            i += 2;
        }
        if (i == text.size())
            return ascii;
    }
    auto bytes = percentDecodeToBytes(toUTF8(text));
    if (!bytes)
        return std::nullopt;
    std::u16string result;
    if (!decodeUTF8Strictly(*bytes, result))
        return std::nullopt;
    return result;
}

// MARK: Parsing and resolution

namespace {

struct ParsedUri {
    UriUriA uri {};
    bool parsed { false };
    ~ParsedUri()
    {
        if (parsed)
            uriFreeUriMembersA(&uri);
    }
    bool parse(const std::string& text)
    {
        const char* errorPosition = nullptr;
        parsed = uriParseSingleUriExA(&uri, text.data(), text.data() + text.size(), &errorPosition) == URI_SUCCESS;
        return parsed;
    }
    bool hasScheme() const { return uri.scheme.first != nullptr; }
};

std::optional<std::string> uriToString(const UriUriA& uri)
{
    int charsRequired = 0;
    if (uriToStringCharsRequiredA(&uri, &charsRequired) != URI_SUCCESS)
        return std::nullopt;
    std::string out(static_cast<size_t>(charsRequired) + 1, '\0');
    if (uriToStringA(out.data(), &uri, charsRequired + 1, nullptr) != URI_SUCCESS)
        return std::nullopt;
    out.resize(static_cast<size_t>(charsRequired));
    return out;
}

} // namespace

std::optional<URL> URL::create(std::u16string_view string, const URL* base)
{
    for (char16_t c : string) {
        if (c > 0x7F)
            return std::nullopt;
    }
    return parse(toUTF8(string), base);
}

std::optional<URL> URL::create(std::string_view string, const URL* base)
{
    return parse(std::string(string), base);
}

std::optional<URL> URL::parse(std::string&& text, const URL* base)
{
    // uriparser accepts only the URI syntax; anything outside ASCII is refused here too.
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0x7F)
            return std::nullopt;
    }
    ParsedUri reference;
    if (!reference.parse(text))
        return std::nullopt;
    // The grammar allows a bare "%"-free text; escapes must be complete.
    if (!percentDecodeToBytes(text))
        return std::nullopt;

    URL url;
    url.m_relative = toUTF16(text);
    if (base && !reference.hasScheme()) {
        if (base->scheme().empty())
            return std::nullopt;
        std::string baseString = toUTF8(base->absoluteString());
        ParsedUri baseUri;
        if (!baseUri.parse(baseString))
            return std::nullopt;
        UriUriA resolved;
        if (uriAddBaseUriExA(&resolved, &reference.uri, &baseUri.uri, URI_RESOLVE_STRICTLY) != URI_SUCCESS)
            return std::nullopt;
        auto resolvedString = uriToString(resolved);
        uriFreeUriMembersA(&resolved);
        if (!resolvedString)
            return std::nullopt;
        url.m_absolute = toUTF16(*resolvedString);
    } else
        url.m_absolute = url.m_relative;
    if (base)
        url.m_base = std::make_shared<const URL>(*base);
    url.parseComponents();
    return url;
}

// The first place at or after `from` whose unit is one of `units`; npos when there is none.
template<size_t count>
static size_t findFirstOf(std::u16string_view text, size_t from, const char16_t (&units)[count])
{
    for (size_t i = from; i < text.size(); ++i) {
        for (size_t k = 0; k + 1 < count; ++k) {
            if (text[i] == units[k])
                return i;
        }
    }
    return std::u16string::npos;
}

// Splits the absolute string into its components (RFC 3986, appendix B).
void URL::parseComponents()
{
    const std::u16string& s = m_absolute;
    size_t length = s.size();
    size_t position = 0;

    m_scheme = m_user = m_password = m_host = m_port = m_path = m_query = m_fragment = Component();
    m_hostIsIPv6 = false;

    size_t schemeEnd = findFirstOf(s, 0, u":/?#");
    if (schemeEnd != std::u16string::npos && schemeEnd > 0 && s[schemeEnd] == u':') {
        m_scheme = { true, 0, schemeEnd };
        position = schemeEnd + 1;
    }
    if (s.compare(position, 2, u"//") == 0) {
        size_t authorityStart = position + 2;
        size_t authorityEnd = findFirstOf(s, authorityStart, u"/?#");
        if (authorityEnd == std::u16string::npos)
            authorityEnd = length;
        size_t hostStart = authorityStart;
        size_t at = s.rfind(u'@', authorityEnd == 0 ? 0 : authorityEnd - 1);
        if (at != std::u16string::npos && at >= authorityStart && at < authorityEnd) {
            size_t colon = s.find(u':', authorityStart);
            if (colon != std::u16string::npos && colon < at) {
                m_user = { true, authorityStart, colon - authorityStart };
                m_password = { true, colon + 1, at - colon - 1 };
            } else
                m_user = { true, authorityStart, at - authorityStart };
            hostStart = at + 1;
        }
        size_t hostEnd = authorityEnd;
        if (hostStart < authorityEnd && s[hostStart] == u'[') {
            size_t close = s.find(u']', hostStart);
            if (close != std::u16string::npos && close < authorityEnd) {
                m_hostIsIPv6 = true;
                m_host = { true, hostStart + 1, close - hostStart - 1 };
                if (close + 1 < authorityEnd && s[close + 1] == u':')
                    m_port = { true, close + 2, authorityEnd - close - 2 };
            } else
                m_host = { true, hostStart, authorityEnd - hostStart };
        } else {
            size_t colon = std::u16string_view(s).substr(0, authorityEnd).find(u':', hostStart);
            if (colon != std::u16string::npos) {
                hostEnd = colon;
                m_port = { true, colon + 1, authorityEnd - colon - 1 };
            }
            m_host = { true, hostStart, hostEnd - hostStart };
        }
        position = authorityEnd;
    }
    size_t pathEnd = findFirstOf(s, position, u"?#");
    if (pathEnd == std::u16string::npos)
        pathEnd = length;
    m_path = { true, position, pathEnd - position };
    position = pathEnd;
    if (position < length && s[position] == u'?') {
        size_t queryEnd = s.find(u'#', position);
        if (queryEnd == std::u16string::npos)
            queryEnd = length;
        m_query = { true, position + 1, queryEnd - position - 1 };
        position = queryEnd;
    }
    if (position < length && s[position] == u'#')
        m_fragment = { true, position + 1, length - position - 1 };
}

// MARK: File URLs

static std::string currentDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    if (!getcwd(buffer.data(), buffer.size()))
        return "/";
    buffer.resize(std::char_traits<char>::length(buffer.data()));
    return buffer;
}

static const CharacterSet& filePathAllowed()
{
    static const CharacterSet set = CharacterSet::urlPathAllowed().removing(u";");
    return set;
}

// A path percent-encoded for a file URL; its ASCII characters (nearly all of
// a path) are looked up in a table.
static std::string percentEncodedFilePath(std::string_view utf8Path)
{
    static const std::array<bool, 128> asciiTable = [] {
        std::array<bool, 128> table {};
        for (char32_t c = 0; c < 128; ++c)
            table[c] = filePathAllowed().contains(c);
        return table;
    }();
    return percentEncodeWith(utf8Path, [](char32_t c) { return c < 128 ? asciiTable[c] : filePathAllowed().contains(c); });
}

URL URL::fileURLWithPath(std::string_view utf8Path, bool isDirectory)
{
    std::string path(utf8Path);
    if (path.empty() || path[0] != '/') {
        std::string directory = currentDirectory();
        if (directory.empty() || directory.back() != '/')
            directory += '/';
        path = directory + path;
    }
    if (isDirectory && path.back() != '/')
        path += '/';
    std::string encoded = "file://" + percentEncodedFilePath(path);
    URL url;
    url.m_relative = toUTF16(encoded);
    url.m_absolute = url.m_relative;
    url.parseComponents();
    return url;
}

URL URL::fileURLWithPath(std::string_view utf8Path)
{
    std::string path(utf8Path);
    struct stat status;
    bool isDirectory = !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    return fileURLWithPath(utf8Path, isDirectory);
}

URL URL::fileURLWithPath(std::u16string_view path, bool isDirectory)
{
    return fileURLWithPath(toUTF8(path), isDirectory);
}

std::optional<std::string> URL::fileSystemPath() const
{
    if (!isFileURL())
        return std::nullopt;
    auto hostName = host();
    if (hostName && !hostName->empty() && !equalsIgnoringASCIICase(*hostName, u"localhost"))
        return std::nullopt;
    auto bytes = percentDecodeToBytes(toUTF8(std::u16string_view(m_absolute).substr(m_path.start, m_path.length)));
    if (!bytes || bytes->find('\0') != std::string::npos)
        return std::nullopt;
    if (bytes->empty())
        return std::string("/");
    if (bytes->size() > 1 && bytes->back() == '/')
        bytes->pop_back();
    return bytes;
}

// MARK: Accessors

URL URL::absoluteURL() const
{
    URL url = *this;
    url.m_base = nullptr;
    url.m_relative = m_absolute;
    return url;
}

std::u16string URL::scheme() const
{
    if (!m_scheme.present)
        return {};
    return asciiLowercase(std::u16string_view(m_absolute).substr(m_scheme.start, m_scheme.length));
}

// ASCII whose escapes are of ASCII too (most components: a file name with
// blanks) decoded in one pass; nullopt for anything else.
static std::optional<std::u16string> decodedASCII(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0x80)
            return std::nullopt;
        if (c != u'%') {
            out.push_back(c);
            continue;
        }
        if (i + 2 >= text.size() || text[i + 1] >= 0x80 || text[i + 2] >= 0x80)
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]);
        int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0 || high >= 8)
            return std::nullopt;
        out.push_back(static_cast<char16_t>(high * 16 + low));
        i += 2;
    }
    return out;
}

static std::u16string decodedOrRaw(std::u16string_view text)
{
    if (auto ascii = decodedASCII(text))
        return std::move(*ascii);
    if (auto decoded = percentDecode(text))
        return *decoded;
    auto bytes = percentDecodeToBytes(toUTF8(text));
    return bytes ? toUTF16(*bytes) : std::u16string(text);
}

std::optional<std::u16string> URL::host() const
{
    if (!m_host.present)
        return std::nullopt;
    auto raw = std::u16string_view(m_absolute).substr(m_host.start, m_host.length);
    return m_hostIsIPv6 ? std::u16string(raw) : decodedOrRaw(raw);
}

std::optional<int> URL::port() const
{
    if (!m_port.present || m_port.length == 0 || m_port.length > 9)
        return std::nullopt;
    int value = 0;
    for (size_t i = 0; i < m_port.length; ++i) {
        char16_t c = m_absolute[m_port.start + i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

std::optional<std::u16string> URL::user() const
{
    if (!m_user.present)
        return std::nullopt;
    return decodedOrRaw(std::u16string_view(m_absolute).substr(m_user.start, m_user.length));
}

std::optional<std::u16string> URL::password() const
{
    if (!m_password.present)
        return std::nullopt;
    return decodedOrRaw(std::u16string_view(m_absolute).substr(m_password.start, m_password.length));
}

std::u16string URL::percentEncodedPath() const
{
    return m_absolute.substr(m_path.start, m_path.length);
}

std::u16string URL::path() const
{
    std::u16string decoded = decodedOrRaw(percentEncodedPath());
    if (decoded.size() > 1 && decoded.back() == u'/')
        decoded.pop_back();
    return decoded;
}

std::optional<std::u16string> URL::query() const
{
    if (!m_query.present)
        return std::nullopt;
    return m_absolute.substr(m_query.start, m_query.length);
}

std::optional<std::u16string> URL::fragment() const
{
    if (!m_fragment.present)
        return std::nullopt;
    return m_absolute.substr(m_fragment.start, m_fragment.length);
}

std::vector<std::u16string> URL::pathComponents() const
{
    std::u16string raw = percentEncodedPath();
    std::vector<std::u16string> components;
    if (raw.empty())
        return components;
    if (raw[0] == u'/')
        components.push_back(u"/");
    size_t start = 0;
    while (start <= raw.size()) {
        size_t end = raw.find(u'/', start);
        if (end == std::u16string::npos)
            end = raw.size();
        if (end > start)
            components.push_back(decodedOrRaw(std::u16string_view(raw).substr(start, end - start)));
        start = end + 1;
    }
    return components;
}

std::u16string URL::lastPathComponent() const
{
    // The last of pathComponents(), without decoding the others.
    std::u16string_view raw = std::u16string_view(m_absolute).substr(m_path.start, m_path.length);
    size_t end = raw.find_last_not_of(u'/');
    if (end == std::u16string_view::npos)
        return raw.empty() ? std::u16string() : std::u16string(u"/");
    size_t slash = raw.rfind(u'/', end);
    size_t start = slash == std::u16string_view::npos ? 0 : slash + 1;
    return decodedOrRaw(raw.substr(start, end + 1 - start));
}

// The extension of a file name: the text after its last ".", when that "." is
// neither the first nor the last character.
static std::u16string_view extensionOf(std::u16string_view name)
{
    size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0 || dot + 1 == name.size())
        return {};
    return name.substr(dot + 1);
}

std::u16string URL::pathExtension() const
{
    std::u16string name = lastPathComponent();
    if (name == u"/")
        return {};
    return std::u16string(extensionOf(name));
}

bool URL::hasDirectoryPath() const
{
    return m_path.length > 0 && m_absolute[m_path.start + m_path.length - 1] == u'/';
}

bool URL::isFileURL() const
{
    // scheme() == u"file", without making the scheme in lower case.
    return m_scheme.present && equalsIgnoringASCIICase(std::u16string_view(m_absolute).substr(m_scheme.start, m_scheme.length), u"file");
}

// MARK: Path operations

URL URL::fromAbsoluteComponents(const URL& model, std::string path)
{
    std::u16string s = model.m_absolute.substr(0, model.m_path.start);
    s += toUTF16(path);
    s += model.m_absolute.substr(model.m_path.start + model.m_path.length);
    URL url;
    url.m_relative = s;
    url.m_absolute = std::move(s);
    url.parseComponents();
    return url;
}

static bool isDirectoryOnDisk(const URL& url)
{
    auto path = url.fileSystemPath();
    struct stat status;
    return path && ::stat(path->c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

URL URL::URLByAppendingPathComponent(std::u16string_view component, bool isDirectory) const
{
    std::string path = toUTF8(percentEncodedPath());
    if (path.empty() ? m_host.present : path.back() != '/')
        path += '/';
    std::string encoded = percentEncodedFilePath(toUTF8(component));
    if (!path.empty() && path.back() == '/' && !encoded.empty() && encoded.front() == '/')
        encoded.erase(0, 1);
    path += encoded;
    if (isDirectory && !path.empty() && path.back() != '/')
        path += '/';
    return fromAbsoluteComponents(*this, std::move(path));
}

URL URL::URLByAppendingPathComponent(std::u16string_view component) const
{
    URL url = URLByAppendingPathComponent(component, false);
    if (url.isFileURL() && isDirectoryOnDisk(url))
        return URLByAppendingPathComponent(component, true);
    return url;
}

URL URL::URLByDeletingLastPathComponent() const
{
    std::string path = toUTF8(percentEncodedPath());
    if (path.empty() || path == "/")
        return fromAbsoluteComponents(*this, path);
    size_t end = path.size();
    if (path.back() == '/')
        --end;
    size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
    if (slash == std::string::npos)
        return fromAbsoluteComponents(*this, "./");
    return fromAbsoluteComponents(*this, path.substr(0, slash + 1));
}

URL URL::URLByAppendingPathExtension(std::u16string_view extension) const
{
    std::string path = toUTF8(percentEncodedPath());
    bool trailingSlash = path.size() > 1 && path.back() == '/';
    if (trailingSlash)
        path.pop_back();
    if (path.empty() || path.back() == '/')
        return *this;
    path += '.';
    path += percentEncode(toUTF8(extension), CharacterSet::urlPathSegmentAllowed());
    if (trailingSlash)
        path += '/';
    return fromAbsoluteComponents(*this, std::move(path));
}

URL URL::URLByDeletingPathExtension() const
{
    std::string path = toUTF8(percentEncodedPath());
    bool trailingSlash = path.size() > 1 && path.back() == '/';
    if (trailingSlash)
        path.pop_back();
    size_t nameStart = path.rfind('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart || dot + 1 == path.size())
        return *this;
    path.erase(dot);
    if (trailingSlash)
        path += '/';
    return fromAbsoluteComponents(*this, std::move(path));
}

// Removes "." and ".." segments. For a relative path, ".." segments that
// cannot go up are kept.
static std::string removeDotSegments(const std::string& path)
{
    if (path.empty())
        return path;
    bool absolute = path[0] == '/';
    std::vector<std::string> segments;
    size_t start = absolute ? 1 : 0;
    bool endsAsDirectory = false;
    while (true) {
        size_t end = path.find('/', start);
        std::string segment = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        bool last = end == std::string::npos;
        if (segment == ".") {
            endsAsDirectory = last;
        } else if (segment == "..") {
            if (!segments.empty() && segments.back() != "..")
                segments.pop_back();
            else if (!absolute)
                segments.push_back("..");
            endsAsDirectory = last;
        } else {
            segments.push_back(segment);
            endsAsDirectory = false;
        }
        if (last)
            break;
        start = end + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i)
            result += '/';
        result += segments[i];
    }
    if (endsAsDirectory && !result.empty() && result.back() != '/')
        result += '/';
    return result;
}

URL URL::standardized() const
{
    return fromAbsoluteComponents(*this, removeDotSegments(toUTF8(percentEncodedPath())));
}

// MARK: Equality

bool operator==(const URL& a, const URL& b)
{
    // Compared as bytes: equal URLs (a file's, asked again) run the whole length.
    if (a.m_relative.size() != b.m_relative.size()
        || std::memcmp(a.m_relative.data(), b.m_relative.data(), a.m_relative.size() * sizeof(char16_t)) != 0)
        return false;
    if (!a.m_base || !b.m_base)
        return !a.m_base && !b.m_base;
    return *a.m_base == *b.m_base;
}

size_t URL::hash() const
{
    size_t value = std::hash<std::u16string>()(m_relative);
    if (m_base)
        value ^= m_base->hash() * 31 + 0x9e3779b9;
    return value;
}

} // namespace brevanton
