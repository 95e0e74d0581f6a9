#include "html/VornickHTMLStartTagAttributeFinder.h"

namespace brevanton {

VornickHTMLStartTagAttributeFinder::VornickHTMLStartTagAttributeFinder()
{
    m_scanner.setDelegate(this);
}

std::optional<std::u16string> VornickHTMLStartTagAttributeFinder::nameOfAttributeAtLocation(size_t location,
                                                                                           std::u16string_view htmlElementString)
{
    m_hitTestLocation = location;
    m_lastAttributeNameRange = { VornickNotFound, 0 };
    m_hitAttributeNameRange = { VornickNotFound, 0 };
    // A scanner refuses to scan again once stopped.
    if (m_scanner.isStopped()) {
        VornickHTMLStartTagAttributeFinder fresh;
        return fresh.nameOfAttributeAtLocation(location, htmlElementString);
    }
    m_scanner.parseHTMLString(htmlElementString);
    if (m_hitAttributeNameRange.isNotFound() || m_hitAttributeNameRange.end() > htmlElementString.size())
        return std::nullopt;
    return std::u16string(htmlElementString.substr(m_hitAttributeNameRange.location, m_hitAttributeNameRange.length));
}

void VornickHTMLStartTagAttributeFinder::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                 std::u16string_view, VornickRange range, const std::u16string*)
{
    if (token == VornickHTMLScannerTokenElementAttributeName)
        m_lastAttributeNameRange = range;
    if (token == VornickHTMLScannerTokenElementAttributeName || token == u'=' || token == VornickHTMLScannerTokenElementAttributeValue) {
        if (range.contains(m_hitTestLocation)) {
            m_hitAttributeNameRange = m_lastAttributeNameRange;
            scanner.stopParsing();
        }
    }
}

void VornickHTMLStartTagAttributeFinder::htmlScannerEndElementOpenTagAt(VornickHTMLScanner& scanner, size_t, std::u16string_view, size_t)
{
    scanner.stopParsing();
}

void VornickHTMLStartTagAttributeFinder::htmlScannerEndElementAt(VornickHTMLScanner& scanner, size_t, std::u16string_view)
{
    scanner.stopParsing();
}

} // namespace brevanton
