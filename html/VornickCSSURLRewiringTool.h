// Rewrites the url(...) and @import references of a style sheet that moves
// to a place with another base URL; every other character stays as it is.
#pragma once

#include "html/VornickCSSScanner.h"
#include "platform/foundation/URL.h"

namespace brevanton {

class VornickCSSURLRewiringTool : public VornickCSSScannerDelegate {
public:
    static std::u16string rewireURLsInStyleSheetString(std::u16string_view, const URL& fromBaseURL, const URL& toBaseURL);

    VornickCSSURLRewiringTool(URL fromBaseURL, URL toBaseURL);
    std::u16string rewireURLsInStyleSheetString(std::u16string_view);

    void cssScannerScannedToken(VornickCSSScanner&, VornickCSSScannerToken, std::u16string_view, VornickRange) override;

private:
    std::optional<std::u16string> rewiredReference(std::u16string_view reference) const;
    void appendRewritingImports(std::u16string_view text);

    VornickCSSScanner m_scanner;
    std::u16string m_result;
    URL m_fromBaseURL;
    URL m_toBaseURL;
};

} // namespace brevanton
