// The HTML tokenizer: decoded UTF-16 markup into DOCTYPE, tag, comment,
// character and end-of-file tokens, with every state of the HTML syntax's
// tokenizer, character references by longest match, parse errors with their
// line and column, and the source range of every token and attribute.
// The tree builder drives the states that depend on the element being read
// (RCDATA, RAWTEXT, script data, PLAINTEXT) and whether CDATA sections are
// allowed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <deque>
#include <unordered_set>
#include <vector>

namespace brevanton {

struct HTMLSourceRange {
    uint32_t start { 0 };
    uint32_t end { 0 };
};

// Names and values are runs of the markup where they are the markup as it
// stands (lower case, no references, U+000D or U+0000), else kept by the
// tokenizer: either way valid until the tokenizer's next token, and while the
// markup is.
struct HTMLTokenAttribute {
    std::u16string_view name;
    std::u16string_view value;
    HTMLSourceRange nameRange;
    // Between the quotes, or the unquoted value; empty at the name's end for none.
    HTMLSourceRange valueRange;
};

struct HTMLToken {
    enum class Kind : uint8_t { DOCTYPE, StartTag, EndTag, Comment, Characters, EndOfFile };
    Kind kind { Kind::EndOfFile };
    // The tag name in lower case, or the DOCTYPE's name.
    std::u16string_view name;
    // The text of a comment; the characters of a Characters token unless
    // they are one run of the markup as it stands (see text()).
    std::u16string data;
    // A Characters token's characters when they are one run of the markup
    // itself (then `data` is empty): valid while the markup is.
    std::u16string_view markupRun;
    std::vector<HTMLTokenAttribute> attributes;
    std::u16string publicIdentifier;
    std::u16string systemIdentifier;
    bool selfClosing { false };
    bool hasName { false }; // DOCTYPE
    bool hasPublicIdentifier { false };
    bool hasSystemIdentifier { false };
    bool forceQuirks { false };
    // Whether the data of a Characters token holds a U+0000.
    bool hasNull { false };
    HTMLSourceRange range;

    const HTMLTokenAttribute* attribute(std::u16string_view attributeName) const;
    // The characters of a Characters token.
    std::u16string_view text() const { return markupRun.empty() ? std::u16string_view(data) : markupRun; }
};

struct HTMLParseError {
    const char* code; // "unexpected-null-character", "eof-in-tag", ...
    uint32_t offset;
    uint32_t line;   // from 1
    uint32_t column; // from 1, in UTF-16 units
};

class HTMLTokenizer {
public:
    enum class State : uint8_t {
        Data,
        RCDATA,
        RAWTEXT,
        ScriptData,
        PLAINTEXT,
        TagOpen,
        EndTagOpen,
        TagName,
        RCDATALessThanSign,
        RCDATAEndTagOpen,
        RCDATAEndTagName,
        RAWTEXTLessThanSign,
        RAWTEXTEndTagOpen,
        RAWTEXTEndTagName,
        ScriptDataLessThanSign,
        ScriptDataEndTagOpen,
        ScriptDataEndTagName,
        ScriptDataEscapeStart,
        ScriptDataEscapeStartDash,
        ScriptDataEscaped,
        ScriptDataEscapedDash,
        ScriptDataEscapedDashDash,
        ScriptDataEscapedLessThanSign,
        ScriptDataEscapedEndTagOpen,
        ScriptDataEscapedEndTagName,
        ScriptDataDoubleEscapeStart,
        ScriptDataDoubleEscaped,
        ScriptDataDoubleEscapedDash,
        ScriptDataDoubleEscapedDashDash,
        ScriptDataDoubleEscapedLessThanSign,
        ScriptDataDoubleEscapeEnd,
        BeforeAttributeName,
        AttributeName,
        AfterAttributeName,
        BeforeAttributeValue,
        AttributeValueDoubleQuoted,
        AttributeValueSingleQuoted,
        AttributeValueUnquoted,
        AfterAttributeValueQuoted,
        SelfClosingStartTag,
        BogusComment,
        MarkupDeclarationOpen,
        CommentStart,
        CommentStartDash,
        Comment,
        CommentLessThanSign,
        CommentLessThanSignBang,
        CommentLessThanSignBangDash,
        CommentLessThanSignBangDashDash,
        CommentEndDash,
        CommentEnd,
        CommentEndBang,
        DOCTYPE,
        BeforeDOCTYPEName,
        DOCTYPEName,
        AfterDOCTYPEName,
        AfterDOCTYPEPublicKeyword,
        BeforeDOCTYPEPublicIdentifier,
        DOCTYPEPublicIdentifierDoubleQuoted,
        DOCTYPEPublicIdentifierSingleQuoted,
        AfterDOCTYPEPublicIdentifier,
        BetweenDOCTYPEPublicAndSystemIdentifiers,
        AfterDOCTYPESystemKeyword,
        BeforeDOCTYPESystemIdentifier,
        DOCTYPESystemIdentifierDoubleQuoted,
        DOCTYPESystemIdentifierSingleQuoted,
        AfterDOCTYPESystemIdentifier,
        BogusDOCTYPE,
        CDATASection,
        CDATASectionBracket,
        CDATASectionEnd,
    };

    // `markup` must outlive the tokenizer.
    explicit HTMLTokenizer(std::u16string_view markup);

    // The next token; valid until the next call. After the end-of-file token
    // every call answers it again.
    HTMLToken& nextToken()
    {
        if (m_ready == &m_characters) {
            m_characters.data.clear();
            m_characters.markupRun = {};
            m_characters.hasNull = false;
        }
        // The tag that ended the characters just handed out.
        if (m_readyAfter) {
            m_ready = m_readyAfter;
            m_readyAfter = nullptr;
            return *m_ready;
        }
        m_ready = nullptr;
        if (m_ended) {
            m_ready = &m_tag;
            return m_tag;
        }
        readToken();
        return *m_ready;
    }

    // Entering RCDATA, RAWTEXT or script data right after a start tag
    // token makes its name the one an end tag must have to end them.
    void setState(State state);
    State state() const { return m_state; }
    // The name an end tag must have to end RCDATA, RAWTEXT or script data
    // (for text that did not follow a start tag token: fragments, tests).
    void setLastStartTagName(std::u16string name) { m_lastStartTagName = std::move(name); }
    // Whether "<![CDATA[" opens a CDATA section (in foreign content) or a bogus comment.
    void setAllowsCDATA(bool allows) { m_allowsCDATA = allows; }
    // Records parse errors (off by default: a page's errors can be many).
    void setRecordsErrors(bool records) { m_recordsErrors = records; }
    const std::vector<HTMLParseError>& errors() const { return m_errors; }
    // Between tokens: how many units at the start of the markup no later
    // token reads (the characters not yet handed out and the names and
    // values of a tag not yet handed out still point into the markup; with
    // errors recorded, none, as their lines may be counted again from the
    // start).
    size_t settledLength() const;

private:
    static constexpr char32_t endOfFile = 0xFFFFFFFF;

    char32_t peek() const
    {
        if (m_position >= m_input.size())
            return endOfFile;
        char16_t c = m_input[m_position];
        return c == u'\r' ? u'\n' : c;
    }
    void advance()
    {
        if (m_position >= m_input.size())
            return;
        if (m_input[m_position] == u'\r' && m_position + 1 < m_input.size() && m_input[m_position + 1] == u'\n')
            m_position += 2;
        else
            ++m_position;
    }
    // Past the unit peek() answered, when that was neither a line feed nor the end.
    void skip() { ++m_position; }
    bool startsWith(std::u16string_view text, bool caseInsensitive) const;

    void parseError(const char* code);
    // A name or value being read: `text` is a run of the markup while what
    // was read is the markup as it stands, and `buffer` once it is not.
    struct TextInProgress {
        std::u16string_view& text;
        bool& owned;
        std::u16string& buffer;
    };
    // Appends the markup's units [from, to) as they are.
    void appendMarkup(TextInProgress into, size_t from, size_t to)
    {
        const char16_t* run = m_input.data() + from;
        if (!into.owned && (into.text.empty() || into.text.data() + into.text.size() == run))
            into.text = std::u16string_view(into.text.empty() ? run : into.text.data(), into.text.size() + (to - from));
        else
            appendOwnedMarkup(into, from, to);
    }
    void appendOwnedMarkup(TextInProgress, size_t from, size_t to);
    // The string to append other characters to; `text` must be set to it after.
    static std::u16string& ownedText(TextInProgress);
    static void appendOther(TextInProgress, char32_t);
    TextInProgress tagName() { return { m_tag.name, m_nameOwned, m_nameBuffer }; }
    TextInProgress attributeName()
    {
        return { m_tag.attributes.back().name, m_attributeNameOwned, *m_attributeNameBuffer };
    }
    TextInProgress attributeValue()
    {
        return { m_tag.attributes.back().value, m_attributeValueOwned, *m_attributeValueBuffer };
    }
    bool hasCharacters() const { return !m_characters.data.empty() || !m_characters.markupRun.empty(); }
    // The characters read so far as a string of their own, to append to.
    std::u16string& characterData();
    void appendCharacter(char32_t);
    void appendCharacters(std::u16string_view);
    void startTag(HTMLToken::Kind);
    void startAttribute();
    void finishAttributeName();
    void emitCurrent();
    void emitEndOfFile();
    void startComment(uint32_t start);
    void startDOCTYPE(uint32_t start);
    bool isAppropriateEndTag() const;
    // In RCDATA, RAWTEXT and script data: "</" and the name read so far go out as characters.
    void emitPendingEndTagAsCharacters();
    // After "&": appends the characters a reference stands for, or "&".
    void consumeCharacterReference(std::u16string& into, bool inAttribute);
    // Runs the states until a token is ready.
    void readToken();
    void scanData(bool stopAtAmpersand);

    std::u16string_view m_input;
    size_t m_position { 0 };
    State m_state { State::Data };
    // The token being built, and the characters read before it.
    HTMLToken m_tag;
    HTMLToken m_characters;
    HTMLToken* m_ready { nullptr };
    HTMLToken* m_readyAfter { nullptr };
    bool m_ended { false };
    bool m_allowsCDATA { false };
    bool m_recordsErrors { false };
    bool m_dropAttribute { false };
    std::unordered_set<std::u16string_view> m_attributeNames;
    // What names and values that are not runs of the markup are read into: the
    // tag's or DOCTYPE's name, and two strings per attribute (name, value), in
    // a deque so that they never move while the tag's attributes grow.
    std::u16string m_nameBuffer;
    std::deque<std::u16string> m_attributeBuffers;
    // The two of the attribute being read.
    std::u16string* m_attributeNameBuffer { nullptr };
    std::u16string* m_attributeValueBuffer { nullptr };
    bool m_nameOwned { false };
    bool m_attributeNameOwned { false };
    bool m_attributeValueOwned { false };
    size_t m_stepStart { 0 };
    size_t m_tokenStart { 0 };
    std::u16string m_lastStartTagName;
    std::u16string m_temporaryBuffer;
    std::vector<HTMLParseError> m_errors;
    // Where line and column counting stands, for errors.
    size_t m_lineCursor { 0 };
    uint32_t m_line { 1 };
    size_t m_lineStart { 0 };
};

} // namespace brevanton
