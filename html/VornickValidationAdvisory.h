// VornickValidationAdvisory: one finding about an HTML text (an error or a
// warning at a line and column, with a message), marked structural when it
// concerns the document's structure. Made by the HTML scanner and by the
// tidy filter; immutable once made. It knows nothing of frames or of tidy:
// finding an advisory's node in a frame's document is
// VornickResolveDOMRangeInWebFrame (html/VornickWebFrameEditingState.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

enum class VornickValidationAdvisoryKind : int32_t {
    Unknown = 0,
    Warning = 1,
    Error = 2,
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
    std::optional<std::u16string> attributeName() const { return attributeNameReferencedByMessage(m_message); }
    // Every pattern of the resource "tidy-attribute-referencing-message-patterns"
    // is applied in order; capture group 1 of a match is the candidate, and a
    // pattern stops at its first non-empty candidate.
    static std::optional<std::u16string> attributeNameReferencedByMessage(std::u16string_view message);

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
