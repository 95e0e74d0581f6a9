#include "html/VornickCSSScanner.h"

namespace brevanton {

namespace {
bool isCSSWhitespace(char16_t c) { return c == u'\t' || c == u'\r' || c == u'\f' || c == u'\n' || c == u' '; }
}

bool VornickCSSScanner::parseCSSString(std::u16string_view string)
{
    beginParsingCSSString(string);
    parseDocument();
    endParsing();
    return true;
}

void VornickCSSScanner::beginParsingCSSString(std::u16string_view string)
{
    m_buffer = string;
    m_next = 0;
    m_end = string.size();
    if (m_delegate)
        m_delegate->cssScannerBeginParsingAt(*this, 0);
}

void VornickCSSScanner::report(VornickCSSScannerToken token, size_t start, size_t end)
{
    if (m_delegate && end > start)
        m_delegate->cssScannerScannedToken(*this, token, m_buffer.substr(start, end - start), { start, end - start });
}

size_t VornickCSSScanner::scanComment(size_t at) const
{
    if (at + 1 >= m_end || m_buffer[at] != u'/' || m_buffer[at + 1] != u'*')
        return at;
    size_t close = m_buffer.find(u"*/", at + 2);
    return close == std::u16string_view::npos ? m_end : close + 2;
}

size_t VornickCSSScanner::scanString(size_t at) const
{
    if (at >= m_end || (m_buffer[at] != u'"' && m_buffer[at] != u'\''))
        return at;
    char16_t quote = m_buffer[at];
    for (size_t i = at + 1; i < m_end; ++i) {
        if (m_buffer[i] == u'\\') {
            ++i;
            continue;
        }
        if (m_buffer[i] == quote)
            return i + 1;
        if (m_buffer[i] == u'\n')
            return at;
    }
    return at;
}

size_t VornickCSSScanner::skipWhitespace(size_t at) const
{
    while (at < m_end && isCSSWhitespace(m_buffer[at]))
        ++at;
    return at;
}

size_t VornickCSSScanner::scanURI(size_t at) const
{
    if (m_buffer.substr(at, 4) != u"url(")
        return at;
    size_t p = skipWhitespace(at + 4);
    if (p >= m_end)
        return at;
    if (m_buffer[p] == u'"' || m_buffer[p] == u'\'') {
        size_t afterString = scanString(p);
        if (afterString == p)
            return at;
        p = afterString;
    } else {
        size_t argumentStart = p;
        while (p < m_end && !isCSSWhitespace(m_buffer[p]) && m_buffer[p] != u')')
            ++p;
        if (p == argumentStart)
            return at;
    }
    p = skipWhitespace(p);
    if (p >= m_end || m_buffer[p] != u')')
        return at;
    return p + 1;
}

void VornickCSSScanner::parseDocument()
{
    while (m_next < m_end) {
        size_t afterComment = scanComment(m_next);
        if (afterComment > m_next) {
            report(VornickCSSScannerTokenComment, m_next, afterComment);
            m_next = afterComment;
            continue;
        }
        size_t runStart = m_next;
        size_t p = m_next;
        while (p < m_end) {
            if (m_buffer[p] == u'/' && p + 1 < m_end && m_buffer[p + 1] == u'*')
                break;
            if (m_buffer[p] == u'u') {
                size_t afterURI = scanURI(p);
                if (afterURI > p) {
                    report(VornickCSSScannerTokenOther, runStart, p);
                    report(VornickCSSScannerTokenURI, p, afterURI);
                    p = runStart = afterURI;
                    continue;
                }
            }
            ++p;
        }
        report(VornickCSSScannerTokenOther, runStart, p);
        m_next = p;
    }
}

void VornickCSSScanner::endParsing()
{
    if (m_delegate)
        m_delegate->cssScannerEndParsingAt(*this, m_next);
    m_buffer = {};
    m_end = 0;
}

} // namespace brevanton
