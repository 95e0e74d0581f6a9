// Finds the character encoding an HTML file declares in a META element
// (charset="..." or http-equiv="Content-Type" with a text/html content) in
// its first 1024 bytes, with the HTML scanner. It answers the declared IANA name; it does not guess
// from the bytes.
#pragma once

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class VornickHTMLCharacterEncodingDetector : private VornickHTMLScannerDelegate {
public:
    static constexpr size_t bytesExamined = 1024;

    // The declared character set name of the file, or nullopt.
    static std::optional<std::u16string> detectIANACharacterEncodingDeclarationInHTMLFileAtURL(const URL&);

    // The same for the beginning of a file already read.
    std::optional<std::u16string> detectIANACharacterEncodingDeclarationInHTMLData(std::string_view bytes);

    // The character set of a META content value of the "text/html; charset=..."
    // form, in lower case; nullopt for any other value.
    static std::optional<std::u16string> characterSetFromContentValue(std::u16string_view content);

private:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t, std::u16string_view, size_t) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view, VornickRange,
                                 const std::u16string*) override;
    void endOfMetaTag();

    std::optional<std::u16string> m_detectedCharacterSetName;
    bool m_inMetaElementTag { false };
    std::u16string m_attributeName;
    bool m_gotHTTPEquivContentType { false };
    bool m_gotContentTextHTML { false };
};

} // namespace brevanton
