// URL: an RFC 3986 URL reference, parsed with uriparser. A URL made relative to
// a base keeps both (relativeString() and baseURL()); every component accessor
// answers the component of the resolved, absolute URL.
#pragma once

#include "platform/foundation/CharacterSet.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class URL {
public:
    // Parses `string` as a URL reference; with a base, a relative reference is
    // resolved against it. nullopt when the string is not a valid reference
    // (characters outside the URL syntax, a malformed escape, ...) or when the
    // base has no scheme. Without a base, a relative reference stays relative
    // (its scheme is empty).
    static std::optional<URL> create(std::string_view string, const URL* base = nullptr);
    static std::optional<URL> create(std::u16string_view string, const URL* base = nullptr);

    // The file URL of a UTF-8 file-system path. A relative path is taken from
    // the current directory. With `isDirectory` the URL ends in "/"; without the
    // argument, the file system decides.
    static URL fileURLWithPath(std::string_view utf8Path, bool isDirectory);
    static URL fileURLWithPath(std::string_view utf8Path);
    static URL fileURLWithPath(std::u16string_view path, bool isDirectory);

    // The string as given (relative to baseURL() when there is one).
    const std::u16string& relativeString() const { return m_relative; }
    // The resolved string.
    const std::u16string& absoluteString() const { return m_absolute; }
    // nullptr when the URL was not made relative to a base.
    const URL* baseURL() const { return m_base.get(); }
    // This URL without its base (absoluteString() as its own string).
    URL absoluteURL() const;

    // Components of the absolute URL. Text components are percent-decoded
    // unless their name says otherwise; nullopt means the component is absent.
    std::u16string scheme() const;                  // lower case; empty for a relative reference
    std::optional<std::u16string> host() const;     // "" for "file:///"
    std::optional<int> port() const;
    std::optional<std::u16string> user() const;
    std::optional<std::u16string> password() const;
    std::u16string path() const;                    // decoded; trailing "/" dropped except for "/"
    std::u16string percentEncodedPath() const;      // as written, trailing "/" kept
    std::optional<std::u16string> query() const;    // as written (percent-encoded)
    std::optional<std::u16string> fragment() const; // as written (percent-encoded)

    std::vector<std::u16string> pathComponents() const; // "/" first for absolute paths
    std::u16string lastPathComponent() const;
    std::u16string pathExtension() const;
    bool hasDirectoryPath() const;                  // the path ends in "/"
    bool isFileURL() const;

    // Path operations on the absolute URL; query and fragment are kept.
    URL URLByAppendingPathComponent(std::u16string_view component, bool isDirectory) const;
    URL URLByAppendingPathComponent(std::u16string_view component) const; // file URLs: file system decides
    URL URLByDeletingLastPathComponent() const;
    URL URLByAppendingPathExtension(std::u16string_view extension) const;
    URL URLByDeletingPathExtension() const;
    // The absolute URL with "." and ".." segments removed.
    URL standardized() const;

    // The file-system path of a file URL (decoded, UTF-8); nullopt for other
    // schemes, for a host other than "" or "localhost", or for an escape that
    // decodes to a NUL byte.
    std::optional<std::string> fileSystemPath() const;

    // Equal when the relative strings and the bases are equal.
    friend bool operator==(const URL& a, const URL& b);
    size_t hash() const;

private:
    URL() = default;
    static std::optional<URL> parse(std::string&& utf8, const URL* base);
    static URL fromAbsoluteComponents(const URL& model, std::string path);
    void parseComponents();

    std::u16string m_relative;
    std::u16string m_absolute;
    std::shared_ptr<const URL> m_base;

    // Ranges of the components in the absolute string (UTF-8 == UTF-16 here: the
    // stored strings are ASCII).
    struct Component {
        bool present { false };
        size_t start { 0 };
        size_t length { 0 };
    };
    Component m_scheme, m_user, m_password, m_host, m_port, m_path, m_query, m_fragment;
    bool m_hostIsIPv6 { false };
};

// Percent escaping. `percentEncode` writes each character outside `allowed`
// (and "%" always) as the %XX escapes of its UTF-8 bytes, upper case.
std::u16string percentEncode(std::u16string_view text, const CharacterSet& allowed);
std::string percentEncode(std::string_view utf8, const CharacterSet& allowed);
// nullopt on a malformed escape ("%" not followed by two hex digits) or when
// the decoded bytes are not valid UTF-8.
std::optional<std::u16string> percentDecode(std::u16string_view text);
// The decoded bytes, without the UTF-8 check.
std::optional<std::string> percentDecodeToBytes(std::string_view text);

} // namespace brevanton

template<> struct std::hash<brevanton::URL> {
    size_t operator()(const brevanton::URL& url) const { return url.hash(); }
};
