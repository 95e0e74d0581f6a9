// HTTP header fields: an ordered list of name/value pairs whose names compare
// without regard to ASCII case, and the parsing of Content-Type values.
#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class HTTPHeaderFields {
public:
    using Field = std::pair<std::u16string, std::u16string>;

    // Replaces every field of that name by one field (appended when absent).
    void set(std::u16string_view name, std::u16string_view value);
    // Adds a field, keeping those of the same name (repeated response headers).
    void add(std::u16string_view name, std::u16string_view value);
    void remove(std::u16string_view name);

    // The value of a field; repeated fields are joined with ", " as HTTP allows.
    std::optional<std::u16string> value(std::u16string_view name) const;
    bool contains(std::u16string_view name) const { return value(name).has_value(); }

    const std::vector<Field>& fields() const { return m_fields; }
    bool isEmpty() const { return m_fields.empty(); }
    size_t count() const { return m_fields.size(); }
    void clear() { m_fields.clear(); }

    // One entry per distinct name (as first written), repeated values joined.
    Dictionary dictionary() const;

private:
    std::vector<Field> m_fields;
};

// The parts of a Content-Type value: the MIME type in lower case without its
// parameters, and the charset parameter as written (unquoted), empty when absent.
struct ContentType {
    std::u16string mimeType;
    std::u16string charset;
};
ContentType parseContentType(std::u16string_view value);

// The value of one parameter ("filename" of Content-Disposition, "charset" of
// Content-Type) of a header value of the form `token; name=value; ...`.
std::optional<std::u16string> headerParameter(std::u16string_view value, std::u16string_view name);

} // namespace brevanton
