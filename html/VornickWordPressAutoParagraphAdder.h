// VornickWordPressAutoParagraphAdder: makes a classic WordPress post body's
// implicit paragraphs and line breaks explicit. The server turns blank lines
// into paragraphs and single newlines into line breaks when it shows a post
// written in the classic editor; the post view runs the body through this
// adder before injecting it, so that what the user edits is what the site
// shows. It works on the source text with the HTML scanner and builds no DOM:
// it records where paragraphs and line breaks go, then inserts "<p>", "</p>"
// and "<br />" (or paragraph block comments around each paragraph).
#pragma once

#include "html/VornickHTMLScanner.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickHTMLSpec;

// One open element during the scan.
struct VornickEnclosingElement {
    std::u16string tagName;
    // Just after the element's open tag.
    size_t interiorStartOffset { 0 };
    // Where the next implicit paragraph would begin.
    size_t endOfLastParagraphBreak { 0 };
    bool anyContentSinceLastParagraphBreak { false };
};

class VornickWordPressAutoParagraphAdder : public VornickHTMLScannerDelegate {
public:
    VornickWordPressAutoParagraphAdder();

    // Makes an adder, runs it once and returns the result.
    static std::u16string addImplicitParagraphsAndLineBreaksToPostBody(std::u16string_view body, bool useWordPressBlocks);
    // The run itself; every run starts from a clean state, so an adder may be
    // reused.
    std::u16string addImplicitParagraphsAndLineBreaksToPostBodyOnce(std::u16string_view body, bool useWordPressBlocks);

    // --- Stack and emission helpers

    // nullptr when the stack is empty.
    VornickEnclosingElement* topOfElementStack();
    // True when pushed.
    bool pushElement(std::u16string_view tagName, size_t interiorStartOffset);
    // Pops the top when its tag equals `tagName` ignoring case. An element
    // deeper in the stack ends the elements above it as well (their end tags
    // are implied, as for "<li>" without "</li>"). False, popping nothing,
    // when no open element has that tag.
    bool popElement(std::u16string_view tagName);
    bool allEnclosingElementsMayContainAParagraph() const;
    bool insidePRE() const;
    void emitLineBreakWithRange(VornickRange);
    void emitParagraphWithRange(VornickRange);
    void breakLineAtRange(VornickRange);
    void breakParagraphAtRange(VornickRange);
    bool flushImplicitParagraphToOffset(size_t offset);
    void clearPendingParagraphAccumulationAtOffset(size_t offset);
    // Replaces the recorded line breaks at or after `offset` that are still
    // pending, from the last backwards.
    void flushLineBreaksAfter(size_t offset);

    // Between a block start comment and its end comment (nested blocks count).
    bool inWordPressBlock() const { return m_wordPressBlockDepth > 0; }
    const std::vector<VornickRange>& rangesToWrapInParagraphs() const { return m_rangesToWrapInParagraphs; }
    const std::vector<VornickRange>& rangesToReplaceWithLineBreaks() const { return m_rangesToReplaceWithLineBreaks; }

protected:
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName,
                                        size_t openTagStartedAt) override;
    void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName,
                                         size_t closeTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndParsingAt(VornickHTMLScanner&, size_t offset) override;

private:
    // An edit of the result, in the order the edits are applied from the end.
    struct Edit {
        size_t offset;
        size_t replacedLength;
        std::u16string_view text;
    };

    bool isParagraphLevelContent(std::u16string_view tagName) const;
    bool insideElementWithoutLineBreaks() const;
    // An element below the top has content that will form a paragraph
    // around the top one ("a<a href=...>b\n\nc</a>"): a paragraph inside it
    // would nest one paragraph in another.
    bool enclosingParagraphPending() const;
    void textScanned(std::u16string_view text, size_t offset);
    void commentScanned(std::u16string_view text, VornickRange);
    void applyRecordedEdits();

    std::shared_ptr<VornickHTMLSpec> m_spec;
    std::unique_ptr<VornickHTMLScanner> m_scanner;
    std::u16string m_resultString;
    std::vector<VornickEnclosingElement> m_elementStack;
    std::vector<VornickRange> m_rangesToWrapInParagraphs;
    std::vector<VornickRange> m_rangesToReplaceWithLineBreaks;
    size_t m_wordPressBlockDepth { 0 };
    bool m_useWordPressBlocks { false };
    // A start tag was begun and has not opened an element (yet): when it ends
    // without opening one, it was a void or self-closed element.
    bool m_startTagPending { false };
    // Applying: the edits so far and the first line break not yet replaced.
    std::vector<Edit> m_edits;
    size_t m_pendingLineBreaks { 0 };
};

} // namespace brevanton
