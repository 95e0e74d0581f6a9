// VornickHTMLStringSyntaxPainterAndMapper: colours an HTML string and, in the
// same scan, builds its DOM-to-source range map. Unbalanced markup still
// gives a balanced map: end tags close the elements they name, elements
// whose end tags are optional close where the next sibling begins, and what
// is open at the end closes there.
#pragma once

#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLScanner.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/OperationQueue.h"

#include <functional>
#include <memory>

namespace brevanton {

class DOMDocument;

class VornickHTMLStringSyntaxPainterAndMapper : public VornickHTMLScannerDelegate {
public:
    using Completion = std::function<void(std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap>)>;

    // Paints and maps on the mapping queue; the completion runs on `queue`.
    // A cancelled operation stops painting and delivers nothing. `document`
    // (the page the source was loaded into, if any) is looked at here, on the
    // calling thread: the operation holds no part of it, since a document and
    // its nodes belong to the thread that uses them.
    static void paintAndMapHTMLString(std::u16string htmlString, const DOMDocument* document,
                                      std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>, bool omitWhitespaceNodes,
                                      Completion, OperationQueue& queue);
    static OperationQueue& mappingQueue();

    VornickHTMLStringSyntaxPainterAndMapper();
    // The same on the calling thread; answers the scan's answer. The
    // coloured string and the map are delivered whatever the answer.
    bool paintAndMapHTMLString(std::u16string_view htmlString, const DOMDocument* document,
                               std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>, bool omitWhitespaceNodes, const Completion&);

    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> syntaxColoringPreferences() const { return m_preferences; }
    void setSyntaxColoringPreferences(std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences) { m_preferences = std::move(preferences); }

protected:
    void htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerBeginXMLHeaderAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerEndXMLHeaderAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndParsingAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    // The same; `xmlSource`: the source's DOCTYPE is read as XML declares it.
    bool paintAndMap(std::u16string_view htmlString, bool xmlSource,
                     std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>, bool omitWhitespaceNodes, const Completion&);
    void paint(size_t from, size_t to, VornickSyntaxColoringTokenKind);
    void paintToken(VornickHTMLScannerToken, VornickRange);
    void paintDOCTYPEInterior(VornickRange);
    void flushPendingText();
    void closeElementsDownTo(size_t depth, size_t offset);

    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> m_preferences;
    std::u16string_view m_string;
    std::vector<AttributedString::Run> m_runs;
    size_t m_paintedTo { 0 };
    std::array<TextAttributes, TK_LAST + 1> m_attributes;
    std::shared_ptr<VornickDOMToNSRangeMap> m_map;
    std::vector<std::u16string> m_openElements; // lower case
    VornickRange m_pendingText;
    bool m_insideDOCTYPE { false };
    bool m_sawDOCTYPEKeyword { false };
    bool m_insideXMLHeader { false };
    // The queue operation painting, polled now and then to stop early.
    Operation* m_operation { nullptr };
    size_t m_tokensSinceCancelCheck { 0 };
};

// A simply coloured attributed string of HTML source, built on the caller's thread.
class VornickHTMLSourceViewAttributedStringBuilder : public VornickHTMLScannerDelegate {
public:
    const AttributedString& generateAttributedStringFromHTMLString(std::u16string_view);
    const AttributedString& attributedString() const { return m_attributedString; }
    void clearAttributedString() { m_attributedString.clear(); }

protected:
    void htmlScannerBeginParsingAt(VornickHTMLScanner&, size_t offset) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    AttributedString m_attributedString;
    TextAttributes m_plain;
    TextAttributes m_orange;
    TextAttributes m_magenta;
};

} // namespace brevanton
