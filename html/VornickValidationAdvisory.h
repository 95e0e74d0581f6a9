// VornickValidationAdvisory: one finding about an HTML text (an error or a
// warning at a line and column, with a message), marked structural when it
// concerns the document's structure. Made by the HTML scanner and by the
// tidy filter; immutable once made.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMRange;
class VornickDOMToNSRangeMap;
class WebFrame;

using VornickValidationAdvisoryKind = int32_t;

enum : VornickValidationAdvisoryKind {
    VornickValidationAdvisoryKindUnknown = 0,
    VornickValidationAdvisoryKindWarning = 1,
    VornickValidationAdvisoryKindError = 2,
};

class VornickValidationAdvisory {
public:
    VornickValidationAdvisory(VornickValidationAdvisoryKind kind, uint64_t offset, int64_t line, int64_t column,
                              std::u16string message, bool isStructuralIssue)
        : m_kind(kind), m_offset(offset), m_line(line), m_column(column), m_message(std::move(message))
        , m_isStructuralIssue(isStructuralIssue)
    {
    }

    VornickValidationAdvisoryKind kind() const { return m_kind; }
    // UTF-16 offset in the validated text; 0 for findings of the tidy tool.
    uint64_t offset() const { return m_offset; }
    int64_t line() const { return m_line; }
    int64_t column() const { return m_column; }
    const std::u16string& message() const { return m_message; }
    bool isStructuralIssue() const { return m_isStructuralIssue; }

    // The attribute the message refers to, when one of the attribute
    // referencing patterns recognises it.
    std::optional<std::u16string> attributeName() const;

    // The outer range of the DOM node at the finding's line and column in
    // the generated HTML that was validated, through the HTML's range map;
    // null at any missing step. Tidy's columns count code points and expand
    // tabs to multiples of 8.
    std::shared_ptr<DOMRange> resolveDOMRange(const std::u16string& generatedHTML, const VornickDOMToNSRangeMap&,
                                              DOMDocument&) const;
    // The same over the frame's last generated HTML, its range map and its
    // document; null when the frame lacks any of them.
    std::shared_ptr<DOMRange> resolveDOMRangeInWebFrame(const WebFrame&) const;

    // "line 3, column 5: Warning: message" with " (STRUCTURAL)" for structural findings.
    std::u16string description() const;

private:
    VornickValidationAdvisoryKind m_kind;
    uint64_t m_offset;
    int64_t m_line;
    int64_t m_column;
    std::u16string m_message;
    bool m_isStructuralIssue;
};

} // namespace brevanton
