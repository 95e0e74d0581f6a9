// VornickHTMLWriter: turns a live DOM (a document, one element, the children
// of a node or the contents of a range) back into HTML text, laid out by a
// set of formatting preferences and the HTML specification of the document's
// type. Three outputs: plain text (optionally encoded in the document's
// character encoding), syntax-coloured text with a DOM-to-source range map,
// and search text (the text content only, with the same map).
//
// Formatting only ever adds or removes whitespace where a browser does not
// render it: whitespace between inline content is kept (as one space, or as
// the line break that the layout puts there), and the content of pre,
// textarea, script and style, and of any element whose computed white-space
// keeps its spaces, is written exactly as it is (script text so that a
// parser reads it back as itself; nothing after plaintext content).
// Text and attribute values are escaped; a character that the output
// encoding cannot hold, and a control character a parser would not give back
// raw (CR among them), is written as a numeric character reference. A
// document's byte-order mark, XML declaration and internal subset are
// written as they were read.
//
// WordPress block comments are understood: a block may be written as the
// block source of its snippet instead of its DOM, an empty block as a
// self-closing comment, an embed block's wrapper as its URL. A writer that
// keeps the block layout (a post's body) writes the whitespace between the
// parts of blocks as the DOM holds it, and the block editor's layout where
// it holds none (see setKeepsWordPressBlockLayout).
//
// After an attributed write of a document the writer keeps how it wrote each
// text node, so that when only text changed since, it can give the new output
// by writing only the changed text nodes again (see
// rewriteAttributedStringFromDocumentAfterTextChanges).
//
// The writer is reusable; each write resets the output. One thread at a time.
#pragma once

#include "toolkit/VornickNewlineConvention.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickTextSplice.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickSyntaxColoringTokenKind.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class DOMComment;
class DOMDocument;
class DOMDocumentType;
class DOMElement;
class DOMNode;
class DOMRange;
class VornickGeneralFragmentDescription;
class VornickHTMLSpec;
enum class VornickWordPressBlockCommentKind;
struct DOMQualifiedName;

// The attribute of the attributed output that holds the range (a
// VornickRange) of the run of contiguous text a character belongs to.
inline constexpr const char* VornickContiguousTextRangeAttributeName = "VornickContiguousTextRange";

// Finds the snippet whose block source replaces the block a comment opens; null for none.
using VornickCommentToFragmentDescriptionLookupBlock
    = std::function<std::shared_ptr<const VornickGeneralFragmentDescription>(const DOMComment&)>;

class VornickHTMLWriter {
public:
    using AttributedCompletion
        = std::function<void(std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap>)>;

    // Asserts a convention of LF, CR or CRLF. The writer keeps its own copy
    // of the preferences.
    static std::unique_ptr<VornickHTMLWriter> htmlWriterWithFormattingPreferences(
        const VornickHTMLFormattingPreferences&, char16_t nonBreakingSpaceSubstituteCharacter,
        VornickNewlineConvention newlineConvention);
    VornickHTMLWriter(const VornickHTMLFormattingPreferences&, char16_t nonBreakingSpaceSubstituteCharacter,
                      VornickNewlineConvention newlineConvention);
    ~VornickHTMLWriter();
    VornickHTMLWriter(const VornickHTMLWriter&) = delete;
    VornickHTMLWriter& operator=(const VornickHTMLWriter&) = delete;

    // --- Settings

    const VornickHTMLFormattingPreferences& formattingPreferences() const { return m_formattingPreferences; }
    // Asserts non-null.
    void setFormattingPreferences(const VornickHTMLFormattingPreferences& preferences) { m_formattingPreferences = preferences; }
    // The user's default syntax colouring until another is set.
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> syntaxColoringPreferences() const;
    void setSyntaxColoringPreferences(std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>);
    // Base for writing URL attribute values absolute (kept standardised).
    const std::optional<URL>& documentURLForAbsoluteURLResolution() const { return m_documentURLForAbsoluteURLResolution; }
    void setDocumentURLForAbsoluteURLResolution(std::optional<URL>);
    // Folder inside which absolute URL values are written relative to the document URL.
    const std::optional<URL>& rootFileURLWithinWhichReferencesShouldBeRelative() const { return m_rootFileURL; }
    void setRootFileURLWithinWhichReferencesShouldBeRelative(std::optional<URL>);
    // The page's address in another folder it is written to: references
    // that are paths from the page's folder are found from the document URL
    // above and written from the new folder; every other reference stays as
    // written, and none is made absolute.
    const std::optional<URL>& relocatedDocumentURL() const { return m_relocatedDocumentURL; }
    void setRelocatedDocumentURL(std::optional<URL>);
    // A change dictionary applied to the body element's style attribute,
    // which is written again from its properties only when the changes
    // change something; else it stays as written.
    const std::optional<Dictionary>& bodyElementStyleChangesToApply() const { return m_bodyElementStyleChangesToApply; }
    void setBodyElementStyleChangesToApply(std::optional<Dictionary>);
    const VornickCommentToFragmentDescriptionLookupBlock& commentToFragmentDescriptionLookupBlock() const { return m_lookup; }
    void setCommentToFragmentDescriptionLookupBlock(VornickCommentToFragmentDescriptionLookupBlock);
    // The IANA name of an encoding chosen for the document's frame, which wins
    // over the document's own character set; empty for none.
    const std::u16string& stringEncodingOverride() const { return m_stringEncodingOverride; }
    void setStringEncodingOverride(std::u16string name) { m_stringEncodingOverride = std::move(name); }

    // About how long a write of the whole document will be, in UTF-16 units
    // (the length of the source it was read from): room for it is made at
    // once rather than grown piece by piece while writing. 0 for unknown.
    void setExpectedDocumentOutputLength(size_t units) { m_expectedDocumentOutputLength = units; }

    // Whether the layout of WordPress blocks is kept (off unless set): the
    // whitespace text between a block's comments and its content, and
    // between sibling blocks, is written as it is, so that a post keeps its
    // stored text wherever it was not edited. Where a block's parts meet
    // without whitespace (a block just made), the block editor's layout is
    // written: a line break after an opening comment and before a closing
    // one, a blank line between sibling blocks, nothing between a container's
    // tags and the blocks inside. Whitespace between blocks and other content
    // follows the formatting preferences.
    bool keepsWordPressBlockLayout() const { return m_keepsWordPressBlockLayout; }
    void setKeepsWordPressBlockLayout(bool keeps) { m_keepsWordPressBlockLayout = keeps; }

    // Nodes left out of every output (each with an empty range in the map,
    // so that its siblings keep their places).
    void setNodesToOmit(std::vector<std::weak_ptr<const DOMNode>> nodes) { m_nodesToOmit = std::move(nodes); }

    // The substitute and U+00A0 are mapped in the body's text only: a
    // U+00A0 in a title is the author's own and is written as it is.
    char16_t nonBreakingSpaceSubstituteCharacter() const { return m_substitute; }
    VornickNewlineConvention newlineConvention() const { return m_newlineConvention; }
    const std::u16string& newlineString() const { return *m_newlineString; }

    // --- Writing. Each output ends with one newline string.

    std::u16string htmlStringFromDocument(DOMDocument&);
    std::u16string htmlStringFromElement(DOMElement&);
    std::u16string htmlStringFromChildrenOfNode(DOMNode&);
    // Asserts a range. The text of a range in the body is body text, the
    // substitute in it written as a non-breaking space.
    std::u16string htmlStringFromRange(const DOMRange*);

    // The same, encoded in the document's encoding; nullopt with an error
    // when the encoding cannot hold the text. A document's data begins with
    // the byte-order mark it had, and always with one in UTF-16.
    [[nodiscard]] std::optional<std::string> htmlDataFromDocument(DOMDocument&, Error* outError = nullptr);
    [[nodiscard]] std::optional<std::string> htmlDataFromElement(DOMElement&, Error* outError = nullptr);
    [[nodiscard]] std::optional<std::string> htmlDataFromChildrenOfNode(DOMNode&, Error* outError = nullptr);
    // The file data of a document whose source this writer has just written
    // (`written`): encoded as htmlDataFromDocument would, byte-order mark
    // included, without writing the document again. Nothing, with an error,
    // when the document was read with undecodable bytes and `written` still
    // holds the U+FFFD they became.
    [[nodiscard]] std::optional<std::string> documentDataFromWrittenString(const DOMDocument&, std::u16string_view written,
                                                                           Error* outError = nullptr);
    // Its last step, which needs nothing of the document but whether it had
    // a byte-order mark: `written` encoded, the mark put before it where one
    // belongs. Once the writer's write is done, this may run on another
    // thread (while nothing else uses the writer).
    [[nodiscard]] std::optional<std::string> encodedDocumentData(std::u16string_view written, bool hadByteOrderMark,
                                                                 Error* outError = nullptr);
    // Encodes with the encoding found by the last write; nullopt (logged)
    // when no write has found one.
    [[nodiscard]] std::optional<std::string> dataUsingDocumentEncodingFromString(std::u16string_view, Error* outError = nullptr);
    // The IANA name of the encoding found by the last write; empty before.
    const std::u16string& outputEncodingName() const { return m_encodingName; }
    // The override when set, else the document's character set, as the
    // encoding its label means on the web; UTF-8 for a name no converter knows.
    std::u16string detectOutputStringEncodingForDocument(const DOMDocument&) const;

    // The coloured output (or the search text) with its range map, handed to
    // `completion` before this returns. The map is made for the caller and
    // not kept by the writer: the caller may change it (see applySplices).
    void writeAttributedStringFromDocument(DOMDocument&, bool forSearch, const AttributedCompletion& completion);

    // Makes `source`, the output of this writer's last attributed write of
    // `document` (not for search), into what that write would give now, in
    // place, when all that changed since is the data of text nodes the writer
    // wrote as text: their new text replaces the old, and the runs and the
    // writer's own record move with it. The result equals writing the
    // document again. `outSplices` receives the replaced spans, in the old
    // text, for the source's map and line index to follow.
    // False, with `source` untouched, whenever the change could reach beyond
    // those text nodes or the writer cannot tell: any change of the tree or of
    // attributes, of the settings, of the document's encoding, a text that
    // becomes whitespace-only, a line break a comment looks back at, a block
    // comment's snippet, a source that is not the last output; the caller
    // then writes the document.
    [[nodiscard]] bool rewriteAttributedStringFromDocumentAfterTextChanges(DOMDocument&, AttributedString& source,
                                                                           VornickTextSplices& outSplices);

    // The indentation of one level: tabs for whole tab widths when the
    // preferences use tabs, spaces otherwise. Levels past
    // maximumIndentLevel indent as that one does, so that the written
    // text grows with a page's depth and not with its square.
    std::u16string whitespaceStringForIndentLevel(unsigned level) const;
    static constexpr unsigned maximumIndentLevel = 40;

private:
    struct ElementTraits;
    struct Block;
    struct Output;
    struct TextRecord;
    enum class Target { Document, Element, Children };

    void write(DOMNode&, Target, bool attributed = false);
    void writeOnce(DOMNode&, Target, bool attributed);
    void prepareForNode(const DOMNode&);
    void finishWrite();
    void resetOutput(bool attributed, size_t expectedLength);

    void appendString(std::u16string_view, VornickSyntaxColoringTokenKind);
    void appendStringWithNewlines(std::u16string_view, VornickSyntaxColoringTokenKind);
    void appendCharacter(char16_t, VornickSyntaxColoringTokenKind);
    bool outputEndsWith(std::u16string_view) const;
    void appendLineBreak(unsigned indentLevel, bool indent, bool blankLineFirst = false);
    void appendIndentation(unsigned level);

    void appendHTMLForNode(DOMNode&, unsigned indentLevel);
    void appendHTMLForChildrenOfNode(DOMNode&, unsigned indentLevel);
    struct OpenElement;
    void appendHTMLForOpenElements(std::optional<OpenElement> root, DOMNode* firstChild, unsigned indentLevel);
    std::optional<OpenElement> appendHTMLForNodeOpening(DOMNode&, unsigned indentLevel);
    std::optional<OpenElement> appendHTMLForElementOpening(DOMElement&, unsigned indentLevel);
    void appendHTMLForElementClosing(const OpenElement&);
    void finishElement(const OpenElement&);
    void appendAttributes(DOMElement&, const ElementTraits&);
    void appendHTMLForText(DOMNode&, unsigned indentLevel);
    // A text node's data as written outside raw text: mapped, trimmed, escaped, line breaks converted.
    std::u16string writtenText(std::u16string_view data, bool mapSubstitute, bool trimStart, bool trimEnd);
    void appendWrittenText(std::u16string& out, std::u16string_view data, bool mapSubstitute, bool trimStart, bool trimEnd);
    void recordWrittenText(DOMNode&, size_t start, bool mapSubstitute, bool trimStart, bool trimEnd);
    bool recordedSettingsAreCurrent(const DOMDocument&) const;
    TextAttributes attributesForTokenKind(VornickSyntaxColoringTokenKind,
                                          std::array<TextAttributes, TK_LAST + 1>& cache) const;
    void appendHTMLForComment(DOMComment&, unsigned indentLevel);
    void appendHTMLForDocumentTypeNode(DOMDocumentType&);
    void appendHTMLForProcessingInstruction(DOMNode&);
    bool clearBRWithIndentLevel(unsigned indentLevel);
    bool writeEmbedWrapperURL(DOMElement&);

    void skipWhitespaceNode(DOMNode&);
    void closeOpenWhitespaceNode();
    bool whitespaceNodeSeparatesInlineContent(const DOMNode&);
    bool isBlockBoundaryNeighbour(const DOMNode* neighbour, const DOMNode& parent);
    bool isLaidOutAsBlock(const DOMElement&);
    // Whether the element's computed white-space keeps its spaces (pre,
    // pre-wrap, pre-line, break-spaces), asked only where the document's
    // styles may say so.
    bool keepsWhitespaceByStyle(const DOMElement&);
    bool nonRenderedElementIsAmidInlineContent(const DOMElement&);

    const ElementTraits& traitsForElement(const DOMElement&);
    bool isAttributeBoolean(const ElementTraits&, std::u16string_view attributeName);
    bool encodingHoldsCharacter(char32_t);
    std::u16string stringByEscapingSpecialCharactersToHTMLEntitiesInString(std::u16string_view);
    unsigned escapeOptions() const;
    void appendEscapedAttributeValue(std::u16string_view, char16_t quote);
    void appendNumericReference(char32_t);
    std::u16string resolvedURLAttributeValue(const std::u16string&);

    void breakContiguousTextAtBoundaryOfElement(const ElementTraits&);
    void beginMapNode(uint16_t type, std::u16string_view name);
    void endMapNode(uint16_t type, std::u16string_view name);
    void beginMapElement(const DOMElement&);
    void endMapElement(const DOMElement&);

    bool inWordPressBlock() const { return !m_blocks.empty(); }
    bool inReplacedWordPressBlock() const { return m_replacedBlockCount > 0; }
    // The block layout (VornickHTMLWriterBlockLayout.cpp).
    VornickWordPressBlockCommentKind blockCommentKind(const DOMNode*) const;
    bool writesBlockLayoutWhitespace(const DOMNode&) const;
    std::optional<std::u16string_view> blockLayoutSeparatorBefore(const DOMNode&) const;
    void appendBlockLayoutWhitespace(DOMNode&);
    void appendLineBreaksUnlessPresent(size_t wanted);

    // Settings.
    VornickHTMLFormattingPreferences m_formattingPreferences;
    mutable std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> m_syntaxColoringPreferences;
    std::optional<URL> m_documentURLForAbsoluteURLResolution;
    std::optional<URL> m_rootFileURL;
    std::optional<URL> m_relocatedDocumentURL;
    // URL attribute values as written under these two, kept until either
    // changes: a post names the same few addresses many times.
    std::unordered_map<std::u16string, std::u16string> m_resolvedURLAttributeValues;
    // The root folder's key with its final solidus, and the document's
    // folder, worked out once for them.
    std::optional<std::u16string> m_rootFileKeyPrefix;
    std::optional<URL> m_documentFolderURL;
    std::optional<Dictionary> m_bodyElementStyleChangesToApply;
    VornickCommentToFragmentDescriptionLookupBlock m_lookup;
    std::u16string m_stringEncodingOverride;
    char16_t m_substitute { 0 };
    size_t m_expectedDocumentOutputLength { 0 };
    bool m_keepsWordPressBlockLayout { false };
    std::vector<std::weak_ptr<const DOMNode>> m_nodesToOmit;
    bool isNodeToOmit(const DOMNode&) const;
    VornickNewlineConvention m_newlineConvention { VornickNewlineConvention::LF };
    const std::u16string* m_newlineString { nullptr };

    // State of one write.
    std::shared_ptr<VornickHTMLSpec> m_spec;
    bool m_writeBooleanAttributesAsNameOnly { false };
    bool m_writingXML { false };
    bool m_generatingSearchString { false };
    bool m_suppressEscaping { false };
    bool m_writingRangeInBody { false }; // the fragment written is a range's of the body
    bool m_inPlaintext { false }; // after plaintext content nothing more is written
    // The whitespace last written as the block layout's, which the part
    // after it then needs no separator from.
    const DOMNode* m_lastBlockLayoutWhitespace { nullptr };
    // The comment the block layout read last, and its kind.
    mutable const DOMNode* m_lastClassifiedComment { nullptr };
    mutable VornickWordPressBlockCommentKind m_lastClassifiedCommentKind {};
    bool m_inReplacedWhitespace { false };
    bool m_replacedWhitespaceIsSignificant { false };
    bool m_replacedWhitespaceHasLineBreak { false };
    bool m_lastNodeWasBR { false };
    unsigned m_preformattedDepth { 0 };
    // Some style sheet or style attribute of the document written may make
    // an element keep its white space.
    bool m_stylesMayKeepWhitespace { false };
    std::u16string m_encodingName;
    bool m_encodingHoldsEverything { true };
    std::vector<uint8_t> m_encodability; // per BMP character: 0 unknown, 1 held, 2 not held

    std::vector<Block> m_blocks;
    unsigned m_replacedBlockCount { 0 };
    std::set<const DOMNode*> m_commentsNotToReplace;
    const DOMNode* m_unclosedReplacedBlockComment { nullptr };

    std::unique_ptr<Output> m_output;
    // How the last attributed write of a document wrote its text; null otherwise.
    std::unique_ptr<TextRecord> m_textRecord;
    bool m_recordingText { false };
    // By the number of the element's interned name.
    std::vector<std::unique_ptr<ElementTraits>> m_traits;
    VornickHTMLSpec* m_traitsSpec { nullptr };
};

} // namespace brevanton
