// VornickHTMLSnippetValidator: validates a snippet's markup against a
// document type's HTML specification and a snippet set's allowed body
// elements in one strict scan, and colours it for the snippet editor.
// "{content}" (where the selection goes) may appear at most once.
//
// The background form runs on the "Fragment Validation Queue" with its own
// validator and its own copy of the colouring preferences, and delivers the
// result on the main queue or on the queue the caller names.
#pragma once

#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLScanner.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/OperationQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

// On every token's range: the scanner token code, as `uint32_t`.
inline constexpr const char* VornickScannerTokenKindAttributeName = "VornickScannerTokenKindAttributeName";
// On the range of every start and end tag (from "<" to after ">"): that
// range, as a `VornickRange`.
inline constexpr const char* VornickHTMLTagSpanAttributeName = "VornickHTMLTagSpanAttributeName";

class VornickHTMLSnippetValidator : public VornickHTMLScannerDelegate {
public:
    using Advisories = std::vector<VornickValidationAdvisory>;
    using BackgroundCompletion = std::function<void(std::shared_ptr<const VornickGeneralFragmentDescription> description,
                                                    std::u16string markupString, VornickHTMLDocumentType documentType,
                                                    std::shared_ptr<const AttributedString> coloredString,
                                                    VornickFragmentValidationStatus status, Advisories advisories)>;
    using Completion = std::function<void(std::shared_ptr<const AttributedString> coloredString,
                                          VornickFragmentValidationStatus status, const Advisories& advisories)>;

    // Validates the description's markup on the validation queue; the
    // completion runs on `queue` (the main queue unless given).
    static void beginValidatingAndSyntaxColoringGeneralFragmentDescription(
        std::shared_ptr<const VornickGeneralFragmentDescription> description, VornickHTMLDocumentType documentType,
        std::optional<std::set<std::u16string>> allowedBodyElements,
        std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences, BackgroundCompletion completion);
    static void beginValidatingAndSyntaxColoringGeneralFragmentDescription(
        std::shared_ptr<const VornickGeneralFragmentDescription> description, VornickHTMLDocumentType documentType,
        std::optional<std::set<std::u16string>> allowedBodyElements,
        std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences, BackgroundCompletion completion, OperationQueue& queue);

    // "Fragment Validation Queue", made on first use.
    static OperationQueue& fragmentValidationQueue();

    // The same work on the calling thread; the document type is 1 to 8 (an
    // assertion otherwise, also for the background form). The status is 2 when any advisory
    // is an error, else 1 when any is a warning, else 0.
    void validateAndSyntaxColorHTMLSnippet(std::u16string_view markupString, VornickHTMLDocumentType documentType,
                                           std::optional<std::set<std::u16string>> allowedBodyElements,
                                           std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
                                           const Completion& completion);

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t closeTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;
    void htmlScannerValidationAdvisory(VornickHTMLScanner&, const VornickValidationAdvisory&) override;
    void htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t offset) override;

private:
    void validateAndSyntaxColorHTMLSnippet(std::u16string_view markupString, std::shared_ptr<VornickHTMLSpec> spec,
                                           std::optional<std::set<std::u16string>> allowedBodyElements,
                                           std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
                                           const Completion& completion);
    void addTagSpan(size_t start, size_t end);

    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> m_preferences;
    std::shared_ptr<AttributedString> m_attributedString;
    Advisories m_advisories;
    bool m_sawContentExpression { false };
    bool m_insideDOCTYPE { false };

    std::u16string_view m_markupString;
    std::optional<size_t> m_startTagStartedAt;
    std::map<VornickHTMLScannerToken, TextAttributes> m_tokenAttributes;
};

} // namespace brevanton
