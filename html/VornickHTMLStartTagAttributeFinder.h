// Naming the attribute under a given character of a start tag (for the
// source and attribute editors).
#pragma once

#include "html/VornickHTMLScanner.h"

#include <optional>

namespace brevanton {

class VornickHTMLStartTagAttributeFinder : public VornickHTMLScannerDelegate {
public:
    VornickHTMLStartTagAttributeFinder();
    // The name of the attribute whose name, "=" or value covers `location`.
    std::optional<std::u16string> nameOfAttributeAtLocation(size_t location, std::u16string_view htmlElementString);

protected:
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    VornickHTMLScanner m_scanner;
    size_t m_hitTestLocation { 0 };
    VornickRange m_lastAttributeNameRange;
    VornickRange m_hitAttributeNameRange;
};

} // namespace brevanton
