#include "platform/web/WebView.h"

#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"

#include <algorithm>

namespace brevanton {

// The first URL of the URL list; else the plain text, when it is one absolute
// URL and nothing else (surrounding whitespace aside).
std::optional<URL> WebView::URLFromPasteboard(const Pasteboard& pasteboard)
{
    if (auto list = pasteboard.stringForType(PasteboardTypeURL)) {
        auto urls = URLsFromURIList(*list);
        if (!urls.empty())
            return urls.front();
    }
    auto text = pasteboard.stringForType(PasteboardTypeString);
    if (!text)
        return std::nullopt;
    std::u16string_view string(*text);
    while (!string.empty() && isHTMLWhitespace(string.front()))
        string.remove_prefix(1);
    while (!string.empty() && isHTMLWhitespace(string.back()))
        string.remove_suffix(1);
    if (string.empty() || std::any_of(string.begin(), string.end(), [](char16_t c) { return isHTMLWhitespace(c); }))
        return std::nullopt;
    auto url = URL::create(string);
    if (!url || url->scheme().empty())
        return std::nullopt;
    return url;
}

std::optional<std::u16string> WebView::URLTitleFromPasteboard(const Pasteboard& pasteboard)
{
    return pasteboard.stringForType(PasteboardTypeURLName);
}

} // namespace brevanton
