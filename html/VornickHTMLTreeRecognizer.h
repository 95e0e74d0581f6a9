// VornickHTMLTreeRecognizer: turns the scanner's flat event stream into a
// nesting of scanned parts. Every start tag becomes a start-tag part with
// its range and attribute assignments; parts are pushed as elements open and
// popped as they close, and the delegate hears of both, so a client can
// patch attribute values in the source by range without a DOM.
#pragma once

#include "html/VornickHTMLScanner.h"
#include "html/VornickScannedHTMLPart.h"

#include <memory>
#include <optional>
#include <vector>

namespace brevanton {

class VornickHTMLTreeRecognizer;

class VornickHTMLTreeRecognizerDelegate {
public:
    virtual ~VornickHTMLTreeRecognizerDelegate() = default;
    virtual void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>&) {}
    virtual void htmlTreeRecognizerWillPopPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>&) {}
};

class VornickHTMLTreeRecognizer : public VornickHTMLScannerDelegate {
public:
    VornickHTMLTreeRecognizer();

    bool parseHTMLString(std::u16string_view);
    void stopParsing() { m_scanner.stopParsing(); }
    VornickHTMLTreeRecognizerDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickHTMLTreeRecognizerDelegate* delegate) { m_delegate = delegate; }
    VornickHTMLScanner& scanner() { return m_scanner; }

    const std::vector<std::shared_ptr<VornickScannedHTMLPart>>& partStack() const { return m_partStack; }
    void pushPartAndNotify(std::shared_ptr<VornickScannedHTMLPart>);
    void popPartAndNotify();
    // The stack index of the innermost start tag named `tagName` (ignoring case); VornickNotFound when none.
    size_t partStackIndexOfEnclosingElementWithTagName(std::u16string_view tagName) const;

protected:
    void pushPendingElementStartTag(std::u16string_view tagName, size_t startOffset, size_t endOffset);
    void completePendingAttributeAssignmentWithAttributeValue(std::optional<std::u16string> value, VornickRange valueRange);

    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t closeTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    VornickHTMLScanner m_scanner;
    std::vector<std::shared_ptr<VornickScannedHTMLPart>> m_partStack;
    std::vector<std::shared_ptr<VornickScannedHTMLAttributeAssignment>> m_pendingAttributeAssignments;
    std::optional<std::u16string> m_pendingAttributeName;
    VornickRange m_pendingAttributeNameRange;
    size_t m_pendingStartTagOffset { VornickNotFound };
    VornickHTMLTreeRecognizerDelegate* m_delegate { nullptr };
};

} // namespace brevanton
