// VornickHTMLScanner: the one HTML tokenizer of the system. A single forward
// pass over an HTML string reports every piece of the text, in order, to a
// delegate, with element, DOCTYPE and XML-declaration begin and end events and
// the errors and warnings it finds. It builds no tree.
//
// Forgiving (the default) tolerates bad input and keeps no element stack;
// strict checks nesting against an HTML specification and a snippet set's
// allowed elements. Offsets are UTF-16 units from 0; lines and columns count
// from 1. The contents of script and style (and of textarea and title) are
// raw text: reported as one text token up to the matching end tag.
#pragma once

#include "toolkit/VornickRange.h"
#include "html/VornickHTMLScannerToken.h"
#include "html/VornickValidationAdvisory.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickHTMLScanner;
class VornickHTMLSpec;

// Every operation does nothing unless a client overrides it.
class VornickHTMLScannerDelegate {
public:
    virtual ~VornickHTMLScannerDelegate() = default;

    virtual void htmlScannerBeginParsingAt(VornickHTMLScanner&, size_t /*offset*/) {}
    virtual void htmlScannerEndParsingAt(VornickHTMLScanner&, size_t /*offset*/) {}
    virtual void htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t /*offset*/) {}
    virtual void htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t /*offset*/) {}
    virtual void htmlScannerBeginXMLHeaderAt(VornickHTMLScanner&, size_t /*offset*/) {}
    virtual void htmlScannerEndXMLHeaderAt(VornickHTMLScanner&, size_t /*offset*/) {}
    // The offset of "<" of a start tag.
    virtual void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t /*offset*/, std::u16string_view /*tagName*/) {}
    // The offset after ">" of a start tag that opens an element with content.
    virtual void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t /*offset*/, std::u16string_view /*tagName*/,
                                                size_t /*openTagStartedAt*/) {}
    // The offset after ">" of an end tag.
    virtual void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t /*offset*/, std::u16string_view /*tagName*/,
                                                 size_t /*closeTagStartedAt*/) {}
    // The offset after the ">" that ends the element.
    virtual void htmlScannerEndElementAt(VornickHTMLScanner&, size_t /*offset*/, std::u16string_view /*tagName*/) {}
    // The token's text is a view of the scanned string, valid during the
    // call. `value` holds the decoded characters of a character reference
    // (null for other tokens and for names the tables do not know).
    virtual void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken /*token*/,
                                         std::u16string_view /*string*/, VornickRange /*range*/,
                                         const std::u16string* /*value*/) {}
    virtual void htmlScannerValidationAdvisory(VornickHTMLScanner&, const VornickValidationAdvisory&) {}
};

class VornickHTMLScanner {
public:
    VornickHTMLScanner();
    VornickHTMLScanner(const VornickHTMLScanner&) = delete;
    VornickHTMLScanner& operator=(const VornickHTMLScanner&) = delete;

    VornickHTMLScannerDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickHTMLScannerDelegate* delegate) { m_delegate = delegate; }

    bool isForgiving() const { return m_forgiving; }
    void setForgiving(bool forgiving) { m_forgiving = forgiving; }
    bool identifiesSnippetExpressions() const { return m_identifiesSnippetExpressions; }
    void setIdentifiesSnippetExpressions(bool flag) { m_identifiesSnippetExpressions = flag; }
    bool identifiesEntityReferences() const { return m_identifiesEntityReferences; }
    void setIdentifiesEntityReferences(bool flag) { m_identifiesEntityReferences = flag; }
    // XML text: a DOCTYPE ends after its internal subset and quoted
    // identifiers, not at the first ">" as in HTML.
    bool readsInternalSubsets() const { return m_readsInternalSubsets; }
    void setReadsInternalSubsets(bool flag) { m_readsInternalSubsets = flag; }

    // The specification of strict scans, and of which elements are usually
    // empty; the HTML 5 specification unless set.
    std::shared_ptr<VornickHTMLSpec> spec() const;
    void setSpec(std::shared_ptr<VornickHTMLSpec>);
    // Lower-case tag names a snippet set allows in the body; none when unset.
    const std::optional<std::set<std::u16string>>& allowedBodyElements() const { return m_allowedBodyElements; }
    void setAllowedBodyElements(std::optional<std::set<std::u16string>> elements) { m_allowedBodyElements = std::move(elements); }

    // Scans the whole string; true when every construct scanned. A scanner
    // that was stopped refuses every later scan: make one scanner per scan.
    bool parseHTMLString(std::u16string_view);
    // Called from a delegate operation: the scan ends at the next check.
    void stopParsing() { m_stop = true; }
    bool isStopped() const { return m_stop; }

    // True while the scan is inside a tag, a DOCTYPE or an XML declaration,
    // so that clients tell the blanks between attributes from content text.
    bool isInsideMarkup() const { return m_insideMarkup; }

    // The line and column (from 1) of an offset of the string being scanned.
    std::pair<int64_t, int64_t> lineAndColumnForOffset(size_t offset);

private:
    bool scanDocument();
    bool scanText(bool consumeFirst);
    bool scanRawText(std::u16string_view tagName);
    bool scanSpaces();
    bool scanSnippetExpression();
    enum class ReferenceResult { Scanned, NotAReference, Failed };
    ReferenceResult scanEntityReference();
    bool scanComment(bool& isComment);
    bool scanDOCTYPE();
    bool scanXMLDeclaration();
    bool scanElementTag(bool& consumedAnything);
    bool scanAttributes(bool inXMLDeclaration, bool& sawLessThan);
    bool scanQuotedValue(VornickHTMLScannerToken);

    void report(VornickHTMLScannerToken, size_t start, size_t end, const std::u16string* value = nullptr);
    void reportPunctuation(size_t at) { report(m_text[at], at, at + 1); }
    void reportError(std::u16string message);
    void reportWarning(std::u16string message, size_t offset);
    bool stopped() const { return m_stop; }

    bool isUsuallyEmptyElement(std::u16string_view tagName) const;
    char16_t at(size_t index) const { return index < m_end ? m_text[index] : 0; }

    VornickHTMLScannerDelegate* m_delegate { nullptr };
    bool m_forgiving { true };
    bool m_identifiesSnippetExpressions { false };
    bool m_identifiesEntityReferences { false };
    bool m_readsInternalSubsets { false };
    mutable std::shared_ptr<VornickHTMLSpec> m_spec;
    mutable bool m_specWasSet { false };
    std::optional<std::set<std::u16string>> m_allowedBodyElements;

    // Scan state.
    std::u16string_view m_text;
    size_t m_position { 0 };
    size_t m_end { 0 };
    bool m_stop { false };
    bool m_insideMarkup { false };
    size_t m_lineCountedTo { 0 };
    int64_t m_lineAtCount { 1 };
    size_t m_lineStartAtCount { 0 };
    std::vector<std::u16string> m_elementStack;
};

} // namespace brevanton
