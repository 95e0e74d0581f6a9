#include "html/VornickHTMLStringElementFinder.h"

#include "toolkit/VornickStringExtensions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

std::vector<VornickHTMLStringElementFinderMatch> VornickHTMLStringElementFinder::elementsWithTagName(std::u16string_view tagName,
                                                                                                    std::u16string_view htmlString)
{
    VornickHTMLStringElementFinder finder { std::u16string(tagName), std::u16string(htmlString) };
    return finder.parseHTMLString();
}

VornickHTMLStringElementFinder::VornickHTMLStringElementFinder(std::u16string tagName, std::u16string htmlString)
    : m_htmlString(std::move(htmlString)), m_tagNameToFind(std::move(tagName))
{
    m_scanner.setDelegate(this);
}

const std::vector<VornickHTMLStringElementFinderMatch>& VornickHTMLStringElementFinder::parseHTMLString()
{
    m_scanner.parseHTMLString(m_htmlString);
    return m_matches;
}

void VornickHTMLStringElementFinder::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    if (equalsIgnoringASCIICase(tagName, m_tagNameToFind)) {
        m_attributes.emplace();
        m_text.clear();
    }
}

void VornickHTMLStringElementFinder::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                             std::u16string_view string, VornickRange, const std::u16string*)
{
    if (!m_attributes)
        return;
    if (token == VornickHTMLScannerTokenText) {
        // Blanks between attributes are not text.
        if (!scanner.isInsideMarkup())
            m_text += string;
    } else if (token == VornickHTMLScannerTokenElementAttributeName)
        m_currentAttributeName = string;
    else if (token == VornickHTMLScannerTokenElementAttributeValue && !m_currentAttributeName.empty())
        (*m_attributes)[asciiLowercase(m_currentAttributeName)] = vornick_stringByTrimmingHTMLAttributeQuotes(string);
}

void VornickHTMLStringElementFinder::htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    if (m_attributes && equalsIgnoringASCIICase(tagName, m_tagNameToFind)) {
        m_matches.emplace_back(asciiLowercase(tagName), std::move(*m_attributes), std::move(m_text));
        m_attributes.reset();
        m_text.clear();
    }
    m_currentAttributeName.clear();
}

} // namespace brevanton
