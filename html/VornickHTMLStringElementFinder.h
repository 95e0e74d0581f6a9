// Pulling every element of one tag out of an HTML text, with its attributes
// and text, without a DOM.
#pragma once

#include "html/VornickHTMLScanner.h"

#include <map>
#include <optional>
#include <vector>

namespace brevanton {

class VornickHTMLStringElementFinderMatch {
public:
    VornickHTMLStringElementFinderMatch(std::u16string tagName, std::map<std::u16string, std::u16string> attributes, std::u16string text)
        : m_tagName(std::move(tagName)), m_attributes(std::move(attributes)), m_text(std::move(text))
    {
    }
    // Lower case.
    const std::u16string& tagName() const { return m_tagName; }
    // Lower-case attribute names to values without quotes.
    const std::map<std::u16string, std::u16string>& attributes() const { return m_attributes; }
    // Character references stay as written.
    const std::u16string& text() const { return m_text; }

private:
    std::u16string m_tagName;
    std::map<std::u16string, std::u16string> m_attributes;
    std::u16string m_text;
};

class VornickHTMLStringElementFinder : public VornickHTMLScannerDelegate {
public:
    static std::vector<VornickHTMLStringElementFinderMatch> elementsWithTagName(std::u16string_view tagName, std::u16string_view htmlString);

    VornickHTMLStringElementFinder(std::u16string tagName, std::u16string htmlString);
    const std::vector<VornickHTMLStringElementFinderMatch>& parseHTMLString();

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    std::u16string m_htmlString;
    std::u16string m_tagNameToFind;
    std::optional<std::map<std::u16string, std::u16string>> m_attributes;
    std::u16string m_currentAttributeName;
    std::u16string m_text;
    VornickHTMLScanner m_scanner;
    std::vector<VornickHTMLStringElementFinderMatch> m_matches;
};

} // namespace brevanton
