// Inside the HTML writer: what an attributed write of a document keeps so
// that a later change of text alone can be written by splicing (the writer's
// recording in VornickHTMLWriter.cpp, the splicing in
// VornickHTMLWriterRewriting.cpp).
#pragma once

#include "html/VornickHTMLWriter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

struct VornickHTMLWriter::TextRecord {
    // One text node written as text, in output order.
    struct Text {
        const DOMNode* node { nullptr };
        size_t start { 0 };
        size_t length { 0 };
        bool mapSubstitute { false };
        bool trimStart { false };
        bool trimEnd { false };
        // The leading characters trimmed (the range map counts from after them).
        size_t trimmedBefore { 0 };
        // The first child of a pre, textarea or listing: whether its data
        // starts with a line break decides a line break before it.
        bool firstInPreformatted { false };
        bool startsWithLineBreak { false };
        // A comment after it looked back at the output's last characters.
        bool followedByLookBack { false };
    };

    // What the output was written from. The nodes recorded stay in the tree
    // (and alive) as long as the tree and attribute version stays.
    std::weak_ptr<const DOMNode> document;
    uint64_t treeAndAttributeVersion { 0 };
    uint64_t characterDataVersion { 0 };
    std::u16string characterSet;
    std::u16string xmlDeclaration;
    std::u16string encodingName;
    // The substitute the editing operations of the document use, which
    // decides what they skip as whitespace.
    char16_t documentSubstitute { 0 };

    // The settings of the write.
    std::u16string formattingPreferences;
    std::optional<URL> documentURL;
    std::optional<URL> rootFileURL;
    std::optional<URL> relocatedDocumentURL;
    std::optional<Dictionary> bodyElementStyleChanges;
    std::u16string stringEncodingOverride;
    bool keepsWordPressBlockLayout { false };
    std::vector<const DOMNode*> nodesToOmit;
    // Each block comment asked for a snippet, with the answer.
    std::vector<std::pair<const DOMNode*, std::shared_ptr<const VornickGeneralFragmentDescription>>> blockLookups;

    std::vector<Text> texts;
    // Made on the first rewrite.
    std::unordered_map<const DOMNode*, uint32_t> indexOfNode;
    // The token kind of each run of the output.
    std::vector<VornickSyntaxColoringTokenKind> runKinds;
    size_t outputLength { 0 };
    // Template contents live in another document, whose changes this one does not record.
    bool wroteTemplateContents { false };
};

// The leading whitespace a write trims from a text node's data (a U+00A0 is
// written as a space where the substitute is mapped).
inline size_t VornickLeadingTrimmedLength(std::u16string_view data, bool mapSubstitute)
{
    size_t leading = 0;
    for (char16_t c : data) {
        bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || (mapSubstitute && c == 0xA0);
        if (!space)
            break;
        ++leading;
    }
    return leading;
}

// Everything of a set of formatting preferences that shapes a write.
inline std::u16string VornickFormattingFingerprint(const VornickHTMLFormattingPreferences& preferences)
{
    return preferences.stringRepresentation() + (preferences.putCommentsOnNewLine() ? u"+c" : u"-c")
        + (preferences.dontEscapeGreaterThanCharacter() ? u"+g" : u"-g");
}

// Text that some reader of the DOM takes for whitespace only: made of HTML
// spaces, no-break spaces and substitutes. Such text is never recorded, and a
// text that becomes such is written with the whole document, since what
// surrounds it is laid out by whether it is whitespace.
inline bool VornickIsWhitespaceForTextRecord(std::u16string_view data, char16_t substitute, char16_t documentSubstitute)
{
    for (char16_t c : data) {
        bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == 0xA0
            || (substitute && c == substitute) || (documentSubstitute && c == documentSubstitute);
        if (!space)
            return false;
    }
    return true;
}

} // namespace brevanton
