// VornickHTMLFilePatcher: inserts a base element right after the head
// element's start tag of an HTML file, without a DOM, so that a page loaded
// from a temporary copy resolves its relative references against the
// original folder. A file that already has a base element is left alone.
#pragma once

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

namespace brevanton {

class VornickHTMLFilePatcher : public VornickHTMLScannerDelegate {
public:
    // The file is read and written in the character encoding it declares
    // (UTF-8 when it declares none), the one tidy used for a repaired copy.
    [[nodiscard]] bool setBaseURL(const URL& baseURL, const URL& fileURL, bool* alreadyHadABaseElement, Error* outError);
    // The base element text inserted for a base URL (its "&" and quotes escaped).
    static std::u16string baseElementText(const URL& baseURL);

    size_t headStartOffset() const { return m_headStartOffset; }
    size_t baseStartOffset() const { return m_baseStartOffset; }
    VornickRange rangeToReplace() const { return m_rangeToReplace; }

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;

private:
    std::u16string m_htmlString;
    size_t m_headStartOffset { VornickNotFound };
    size_t m_baseStartOffset { VornickNotFound };
    VornickRange m_rangeToReplace;
};

} // namespace brevanton
