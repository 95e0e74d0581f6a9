// The plain text of HTML markup: text and decoded character references,
// without tags, comments, scripts and style sheets.
#pragma once

#include "html/VornickHTMLScanner.h"

#include <vector>

namespace brevanton {

class VornickHTMLStringTextExtractor : public VornickHTMLScannerDelegate {
public:
    VornickHTMLStringTextExtractor();
    std::u16string extractTextFromHTMLMarkupString(std::u16string_view);

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    VornickHTMLScanner m_scanner;
    std::u16string m_result;
    std::vector<std::u16string> m_nonEmittingEnclosingElementStack;
};

std::u16string vornick_stringbyStrippingHTMLMarkup(std::u16string_view);

} // namespace brevanton
