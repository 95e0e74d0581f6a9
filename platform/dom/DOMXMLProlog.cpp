#include "platform/dom/DOMXMLProlog.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isXMLSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::u16string withLineFeeds(std::string_view text)
{
    std::string normalized;
    normalized.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            normalized += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else
            normalized += text[i];
    }
    return toUTF16(normalized);
}

// The offset after the markup declarations of an internal subset starting at
// `i` (after its "["), at its closing "]"; npos when it never closes.
size_t endOfInternalSubset(std::string_view text, size_t i)
{
    while (i < text.size()) {
        char c = text[i];
        if (c == ']')
            return i;
        if (c == '"' || c == '\'') {
            size_t end = text.find(c, i + 1);
            if (end == std::string_view::npos)
                return end;
            i = end + 1;
        } else if (text.substr(i, 4) == "<!--") {
            size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos)
                return end;
            i = end + 3;
        } else if (text.substr(i, 2) == "<?") {
            size_t end = text.find("?>", i + 2);
            if (end == std::string_view::npos)
                return end;
            i = end + 2;
        } else
            ++i;
    }
    return std::string_view::npos;
}

} // namespace

XMLProlog scanXMLProlog(std::string_view text)
{
    XMLProlog prolog;
    size_t i = 0;
    if (text.starts_with("<?xml") && text.size() > 5 && isXMLSpace(text[5])) {
        size_t end = text.find("?>");
        if (end == std::string_view::npos)
            return prolog;
        prolog.declaration = withLineFeeds(text.substr(0, end + 2));
        i = end + 2;
    }
    // Past comments, processing instructions and whitespace to the DOCTYPE.
    while (i < text.size()) {
        if (isXMLSpace(text[i])) {
            ++i;
        } else if (text.substr(i, 4) == "<!--") {
            size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos)
                return prolog;
            i = end + 3;
        } else if (text.substr(i, 2) == "<?") {
            size_t end = text.find("?>", i + 2);
            if (end == std::string_view::npos)
                return prolog;
            i = end + 2;
        } else
            break;
    }
    if (text.substr(i, 9) != "<!DOCTYPE")
        return prolog;
    for (i += 9; i < text.size(); ++i) {
        char c = text[i];
        if (c == '>')
            return prolog;
        if (c == '"' || c == '\'') {
            size_t end = text.find(c, i + 1);
            if (end == std::string_view::npos)
                return prolog;
            i = end;
        } else if (c == '[') {
            size_t end = endOfInternalSubset(text, i + 1);
            if (end != std::string_view::npos)
                prolog.internalSubset = withLineFeeds(text.substr(i + 1, end - i - 1));
            return prolog;
        }
    }
    return prolog;
}

} // namespace brevanton
