#include "html/VornickCSSURLRewiringTool.h"

#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

std::u16string VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(std::u16string_view string, const URL& fromBaseURL,
                                                                       const URL& toBaseURL)
{
    VornickCSSURLRewiringTool tool { fromBaseURL, toBaseURL };
    return tool.rewireURLsInStyleSheetString(string);
}

VornickCSSURLRewiringTool::VornickCSSURLRewiringTool(URL fromBaseURL, URL toBaseURL)
    : m_fromBaseURL(std::move(fromBaseURL)), m_toBaseURL(std::move(toBaseURL))
{
    m_scanner.setDelegate(this);
}

std::u16string VornickCSSURLRewiringTool::rewireURLsInStyleSheetString(std::u16string_view string)
{
    m_result.clear();
    m_result.reserve(string.size());
    m_scanner.parseCSSString(string);
    return std::move(m_result);
}

std::optional<std::u16string> VornickCSSURLRewiringTool::rewiredReference(std::u16string_view reference) const
{
    auto url = URL::create(reference, &m_fromBaseURL);
    if (!url)
        return std::nullopt;
    return vornick_URLStringRelativeToBaseURL(*url, m_toBaseURL);
}

void VornickCSSURLRewiringTool::cssScannerScannedToken(VornickCSSScanner&, VornickCSSScannerToken token, std::u16string_view text,
                                                       VornickRange)
{
    if (token == VornickCSSScannerTokenOther) {
        appendRewritingImports(text);
        return;
    }
    if (token != VornickCSSScannerTokenURI || text.size() < 6) {
        m_result += text;
        return;
    }
    // The argument between "url(" and ")", its blanks and quotes kept around the new reference.
    std::u16string_view inner = text.substr(4, text.size() - 5);
    size_t start = 0;
    while (start < inner.size() && (inner[start] == u' ' || inner[start] == u'\t' || inner[start] == u'\n' || inner[start] == u'\r' || inner[start] == u'\f'))
        ++start;
    size_t end = inner.size();
    while (end > start && (inner[end - 1] == u' ' || inner[end - 1] == u'\t' || inner[end - 1] == u'\n' || inner[end - 1] == u'\r' || inner[end - 1] == u'\f'))
        --end;
    std::u16string_view argument = inner.substr(start, end - start);
    std::u16string_view quote;
    if (argument.size() >= 2 && (argument.front() == u'"' || argument.front() == u'\'') && argument.back() == argument.front()) {
        quote = argument.substr(0, 1);
        argument = argument.substr(1, argument.size() - 2);
    }
    auto rewired = rewiredReference(argument);
    if (!rewired) {
        m_result += text;
        return;
    }
    m_result += u"url(";
    m_result += quote;
    m_result += *rewired;
    m_result += quote;
    m_result += u")";
}

// "@import" followed by a quoted string names a style sheet as well.
void VornickCSSURLRewiringTool::appendRewritingImports(std::u16string_view text)
{
    size_t copied = 0;
    size_t at = 0;
    while ((at = text.find(u"@import", at)) != std::u16string_view::npos) {
        size_t p = at + 7;
        while (p < text.size() && (text[p] == u' ' || text[p] == u'\t' || text[p] == u'\n' || text[p] == u'\r' || text[p] == u'\f'))
            ++p;
        if (p >= text.size() || (text[p] != u'"' && text[p] != u'\'')) {
            at = p;
            continue;
        }
        size_t close = text.find(text[p], p + 1);
        if (close == std::u16string_view::npos || text.substr(p, close - p).find(u'\n') != std::u16string_view::npos) {
            at = p + 1;
            continue;
        }
        if (auto rewired = rewiredReference(text.substr(p + 1, close - p - 1))) {
            m_result += text.substr(copied, p + 1 - copied);
            m_result += *rewired;
            copied = close;
        }
        at = close + 1;
    }
    m_result += text.substr(copied);
}

} // namespace brevanton
