// XMLParser: an event-driven (SAX) XML parser over libxml2. It never reaches
// the network and never loads an external DTD or entity; only the predefined
// entities and those declared in the document's internal subset are
// replaced. Texts reach the delegate as UTF-16; adjacent character data is
// reported in one call. A reader that keeps little of what it reads takes
// the events as UTF-8 instead (XMLParserUTF8Delegate): nothing is converted
// or copied for it.
#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevanton {

class XMLParser;

inline constexpr const char* XMLParserErrorDomain = "XMLParserErrorDomain";

struct XMLAttribute {
    // The name as written ("xml:lang", "href").
    std::u16string name;
    std::u16string value;
    std::u16string namespaceURI;
};

// Every operation does nothing unless overridden.
class XMLParserDelegate {
public:
    virtual ~XMLParserDelegate() = default;
    virtual void parserDidStartDocument(XMLParser&) { }
    virtual void parserDidEndDocument(XMLParser&) { }
    // `name` is the qualified name as written; attributes come in document order.
    virtual void didStartElement(XMLParser&, const std::u16string& /*name*/, const std::u16string& /*namespaceURI*/,
                                 const std::vector<XMLAttribute>&) { }
    virtual void didEndElement(XMLParser&, const std::u16string& /*name*/, const std::u16string& /*namespaceURI*/) { }
    virtual void foundCharacters(XMLParser&, const std::u16string&) { }
    virtual void foundCDATA(XMLParser&, const std::u16string&) { }
    virtual void foundComment(XMLParser&, const std::u16string&) { }
    virtual void foundProcessingInstruction(XMLParser&, const std::u16string& /*target*/,
                                            const std::u16string& /*data*/) { }
    // The first fatal error; parsing ends after it.
    virtual void parseErrorOccurred(XMLParser&, const Error&) { }
};

// The element and text events as UTF-8 views into the parser's buffers,
// valid only during the call. Character data may come in several pieces
// (a run of text, then a replaced entity, ...). Every operation does
// nothing unless overridden.
class XMLParserUTF8Delegate {
public:
    virtual ~XMLParserUTF8Delegate() = default;
    // `name` is the qualified name as written.
    virtual void didStartElement(XMLParser&, std::string_view /*name*/) { }
    virtual void didEndElement(XMLParser&, std::string_view /*name*/) { }
    virtual void foundCharacters(XMLParser&, std::string_view) { }
    virtual void foundCDATA(XMLParser&, std::string_view) { }
};

class XMLParser {
public:
    // `data` is the document's bytes (its encoding is read from the XML declaration or a byte order mark).
    explicit XMLParser(std::string data);
    // Bytes parsed where they are, without a copy; they must outlive parse().
    struct BorrowedBytes {
        std::string_view bytes;
    };
    explicit XMLParser(BorrowedBytes data);
    ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Not retained; it must outlive parse().
    void setDelegate(XMLParserDelegate* delegate) { m_delegate = delegate; }
    XMLParserDelegate* delegate() const { return m_delegate; }
    // Not retained either. When set, it takes the element and text events in
    // place of the delegate, which then hears only of comments, processing
    // instructions, the document's start and end, and errors.
    void setUTF8Delegate(XMLParserUTF8Delegate* delegate) { m_utf8Delegate = delegate; }
    // From the UTF-8 delegate's operations: where character data and CDATA
    // go from then on. To the delegate (the default at every parse);
    // appended to a buffer, which spares a reader gathering texts a call for
    // every piece; or nowhere, for text the reader has no use for.
    void sendUTF8TextToDelegate() { m_utf8TextRoute = UTF8TextRoute::Delegate; }
    void appendUTF8TextTo(std::string& buffer)
    {
        m_utf8TextRoute = UTF8TextRoute::Buffer;
        m_utf8TextBuffer = &buffer;
    }
    void ignoreUTF8Text() { m_utf8TextRoute = UTF8TextRoute::Ignore; }

    // Looks at each piece of borrowed bytes before libxml2 takes it (the
    // pieces follow one another from the start). Answering false ends the
    // parse as abortParsing() does, the piece unread.
    void setPieceCheck(std::function<bool(std::string_view piece)> check) { m_pieceCheck = std::move(check); }

    // Parses the whole document, calling the delegate. False when the
    // document is not well-formed or parsing was aborted; parserError() tells why.
    bool parse();
    // From a delegate operation: ends parsing; parse() answers false with the
    // error code AbortedErrorCode.
    void abortParsing();

    // The error of the last parse (code: libxml2's error number, or AbortedErrorCode),
    // with "line" and "column" in its user information.
    const Error& parserError() const { return m_error; }
    static constexpr int64_t AbortedErrorCode = 512;

    // Where the parser is, while it calls the delegate (from 1).
    long lineNumber() const;
    long columnNumber() const;
    // How many bytes of the document the parser has read, while it calls
    // the delegate: after an element's end tag, in its end event. -1 when it
    // cannot tell.
    long byteOffset() const;

    struct Callbacks;

private:
    friend struct Callbacks;
    void flushCharacters();
    void fail(Error);
    void markAborted();

    std::string m_ownedData;
    std::string_view m_data;
    // How much of the data libxml2 has taken.
    size_t m_readOffset { 0 };
    std::function<bool(std::string_view)> m_pieceCheck;
    XMLParserDelegate* m_delegate { nullptr };
    XMLParserUTF8Delegate* m_utf8Delegate { nullptr };
    enum class UTF8TextRoute { Delegate, Buffer, Ignore };
    UTF8TextRoute m_utf8TextRoute { UTF8TextRoute::Delegate };
    std::string* m_utf8TextBuffer { nullptr };
    // A prefixed name for the UTF-8 delegate, made in this buffer.
    std::string m_qualifiedName;
    void* m_context { nullptr };
    std::string m_pendingCharacters;
    int m_pendingKind { 0 };
    // The texts handed to the delegate, kept between calls: names by the
    // pointer libxml2 keeps each distinct name under while it parses.
    std::u16string m_characters;
    std::unordered_map<const void*, std::u16string> m_names;
    Error m_error;
    bool m_aborted { false };
};

} // namespace brevanton
