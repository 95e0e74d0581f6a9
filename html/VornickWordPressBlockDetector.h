// VornickWordPressBlockDetector: tells whether an HTML string holds any
// WordPress block comment, stopping the scan at the first one.
#pragma once

#include "html/VornickHTMLScanner.h"

#include <memory>

namespace brevanton {

class VornickWordPressBlockDetector : public VornickHTMLScannerDelegate {
public:
    static bool htmlStringContainsWordPressBlocksInString(std::u16string_view html);

    bool htmlStringContainsWordPressBlocks(std::u16string_view html);

protected:
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    std::unique_ptr<VornickHTMLScanner> m_scanner;
    bool m_foundBlockComment { false };
};

} // namespace brevanton
