#include "platform/foundation/XMLParser.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstring>
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

namespace brevanton {

namespace {

std::u16string text(const xmlChar* characters)
{
    return characters ? toUTF16(reinterpret_cast<const char*>(characters)) : std::u16string();
}

std::u16string text(const xmlChar* characters, int length)
{
    return toUTF16(std::string_view(reinterpret_cast<const char*>(characters), static_cast<size_t>(length)));
}

std::u16string qualifiedName(const xmlChar* prefix, const xmlChar* localName)
{
    if (!prefix)
        return text(localName);
    return text(prefix) + u":" + text(localName);
}

enum class PendingKind { None, Characters, CDATA };

std::string_view view(const xmlChar* characters)
{
    return characters ? std::string_view(reinterpret_cast<const char*>(characters)) : std::string_view();
}

} // namespace

struct XMLParser::Callbacks {
    // The callbacks get the XMLParser: when they got libxml2's own context,
    // libxml2 would fall back to its default entity lookup, which loads
    // external entities.
    static XMLParser& parser(void* context) { return *static_cast<XMLParser*>(context); }
    static xmlParserCtxtPtr libxmlContext(void* context)
    {
        return static_cast<xmlParserCtxtPtr>(parser(context).m_context);
    }
    static bool stopped(XMLParser& parser) { return parser.m_aborted || !parser.m_error.isEmpty(); }

    static void startDocument(void* context)
    {
        // The default handler keeps the entities of the internal subset.
        xmlSAX2StartDocument(libxmlContext(context));
        auto& self = parser(context);
        if (self.m_delegate && !stopped(self))
            self.m_delegate->parserDidStartDocument(self);
    }

    static void endDocument(void* context)
    {
        auto& self = parser(context);
        self.flushCharacters();
        if (self.m_delegate && !stopped(self))
            self.m_delegate->parserDidEndDocument(self);
    }

    // The name's text, made once per distinct name of a parse.
    static const std::u16string& name(XMLParser& self, const xmlChar* name)
    {
        static const std::u16string none;
        if (!name)
            return none;
        auto [entry, added] = self.m_names.try_emplace(name);
        if (added)
            entry->second = text(name);
        return entry->second;
    }

    // The qualified name as the UTF-8 delegate gets it.
    static std::string_view utf8Name(XMLParser& self, const xmlChar* prefix, const xmlChar* localName)
    {
        if (!prefix)
            return view(localName);
        self.m_qualifiedName.assign(view(prefix));
        self.m_qualifiedName += ':';
        self.m_qualifiedName += view(localName);
        return self.m_qualifiedName;
    }

    static void startElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                             int namespaceCount, const xmlChar** namespaces, int attributeCount, int,
                             const xmlChar** attributes)
    {
        auto& self = parser(context);
        if (self.m_utf8Delegate) {
            if (!stopped(self))
                self.m_utf8Delegate->didStartElement(self, utf8Name(self, prefix, localName));
            return;
        }
        self.flushCharacters();
        if (!self.m_delegate || stopped(self))
            return;
        if (!prefix && !namespaceCount && !attributeCount) {
            static const std::vector<XMLAttribute> noAttributes;
            self.m_delegate->didStartElement(self, name(self, localName), name(self, uri), noAttributes);
            return;
        }
        std::vector<XMLAttribute> list;
        static const std::u16string xmlnsURI = u"http://www.w3.org/2000/xmlns/";
        for (int i = 0; i < namespaceCount; ++i) {
            const xmlChar* namespacePrefix = namespaces[2 * i];
            list.push_back({ namespacePrefix ? u"xmlns:" + text(namespacePrefix) : u"xmlns",
                             text(namespaces[2 * i + 1]), xmlnsURI });
        }
        for (int i = 0; i < attributeCount; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            list.push_back({ qualifiedName(attribute[1], attribute[0]),
                             text(attribute[3], static_cast<int>(attribute[4] - attribute[3])), text(attribute[2]) });
        }
        self.m_delegate->didStartElement(self, qualifiedName(prefix, localName), text(uri), list);
    }

    static void endElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
    {
        auto& self = parser(context);
        if (self.m_utf8Delegate) {
            if (!stopped(self))
                self.m_utf8Delegate->didEndElement(self, utf8Name(self, prefix, localName));
            return;
        }
        self.flushCharacters();
        if (!self.m_delegate || stopped(self))
            return;
        if (!prefix)
            self.m_delegate->didEndElement(self, name(self, localName), name(self, uri));
        else
            self.m_delegate->didEndElement(self, qualifiedName(prefix, localName), text(uri));
    }

    static void appendPending(void* context, const xmlChar* characters, int length, PendingKind kind)
    {
        auto& self = parser(context);
        if (self.m_pendingKind != static_cast<int>(kind))
            self.flushCharacters();
        self.m_pendingKind = static_cast<int>(kind);
        self.m_pendingCharacters.append(reinterpret_cast<const char*>(characters), static_cast<size_t>(length));
    }

    // Appends character data to the UTF-8 delegate's buffer.
    [[gnu::noinline]] static void appendToBuffer(XMLParser& self, const xmlChar* characters, int length)
    {
        self.m_utf8TextBuffer->append(reinterpret_cast<const char*>(characters), static_cast<size_t>(length));
    }

    // Text for a buffer is the most frequent event of all, most often a
    // piece of one byte (a predefined entity replaced): that piece goes in
    // where the buffer has room for it without a call, the rest through
    // calls of their own.
    static void characters(void* context, const xmlChar* characters, int length)
    {
        auto& self = parser(context);
        if (self.m_utf8TextRoute != UTF8TextRoute::Buffer || stopped(self)) [[unlikely]]
            return charactersElsewhere(self, characters, length);
        std::string& buffer = *self.m_utf8TextBuffer;
        if (length == 1 && buffer.size() < buffer.capacity()) [[likely]] {
            // (Told so, the compiler leaves the string's growth out of this path.)
            if (buffer.size() + 1 > buffer.capacity())
                __builtin_unreachable();
            buffer.push_back(static_cast<char>(*characters));
            return;
        }
        return appendToBuffer(self, characters, length);
    }

    [[gnu::noinline]] static void charactersElsewhere(XMLParser& self, const xmlChar* characters, int length)
    {
        if (self.m_utf8TextRoute != UTF8TextRoute::Delegate)
            return;
        if (!self.m_utf8Delegate)
            appendPending(&self, characters, length, PendingKind::Characters);
        else if (!stopped(self))
            self.m_utf8Delegate->foundCharacters(self, std::string_view(reinterpret_cast<const char*>(characters), static_cast<size_t>(length)));
    }

    static void cdata(void* context, const xmlChar* characters, int length)
    {
        auto& self = parser(context);
        if (self.m_utf8TextRoute != UTF8TextRoute::Delegate) {
            if (self.m_utf8TextRoute == UTF8TextRoute::Buffer && !stopped(self))
                appendToBuffer(self, characters, length);
            return;
        }
        if (!self.m_utf8Delegate)
            appendPending(context, characters, length, PendingKind::CDATA);
        else if (!stopped(self))
            self.m_utf8Delegate->foundCDATA(self, std::string_view(reinterpret_cast<const char*>(characters), static_cast<size_t>(length)));
    }

    static void comment(void* context, const xmlChar* value)
    {
        auto& self = parser(context);
        self.flushCharacters();
        auto* parserContext = libxmlContext(context);
        // Comments inside the internal subset are not part of the document's content.
        if (parserContext->inSubset)
            return;
        if (self.m_delegate && !stopped(self))
            self.m_delegate->foundComment(self, text(value));
    }

    static void processingInstruction(void* context, const xmlChar* target, const xmlChar* data)
    {
        auto& self = parser(context);
        self.flushCharacters();
        if (libxmlContext(context)->inSubset)
            return;
        if (self.m_delegate && !stopped(self))
            self.m_delegate->foundProcessingInstruction(self, text(target), text(data));
    }

    // Only the predefined entities and internal ones of the internal subset
    // are ever answered: an external entity is never read.
    static xmlEntityPtr getEntity(void* context, const xmlChar* name)
    {
        if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name))
            return predefined;
        auto* parserContext = libxmlContext(context);
        if (!parserContext->myDoc)
            return nullptr;
        xmlEntityPtr entity = xmlGetDocEntity(parserContext->myDoc, name);
        if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY)
            return entity;
        return nullptr;
    }

    static xmlEntityPtr getParameterEntity(void* context, const xmlChar* name)
    {
        auto* parserContext = libxmlContext(context);
        if (!parserContext->myDoc)
            return nullptr;
        xmlEntityPtr entity = xmlGetParameterEntity(parserContext->myDoc, name);
        if (entity && entity->etype == XML_INTERNAL_PARAMETER_ENTITY)
            return entity;
        return nullptr;
    }

    // The internal subset is kept (in libxml2's document) for its entity declarations.
    static void internalSubset(void* context, const xmlChar* name, const xmlChar* externalID, const xmlChar* systemID)
    {
        xmlSAX2InternalSubset(libxmlContext(context), name, externalID, systemID);
    }
    static void entityDecl(void* context, const xmlChar* name, int type, const xmlChar* publicID,
                           const xmlChar* systemID, xmlChar* content)
    {
        xmlSAX2EntityDecl(libxmlContext(context), name, type, publicID, systemID, content);
    }
    static int isStandalone(void* context) { return xmlSAX2IsStandalone(libxmlContext(context)); }
    static int hasInternalSubset(void* context) { return xmlSAX2HasInternalSubset(libxmlContext(context)); }
    static int hasExternalSubset(void* context) { return xmlSAX2HasExternalSubset(libxmlContext(context)); }

    // libxml2 takes the document a piece at a time into a buffer it reuses,
    // rather than copying it whole into a buffer as large as the document.
    static int read(void* context, char* buffer, int length)
    {
        auto& self = parser(context);
        size_t count = std::min(static_cast<size_t>(length), self.m_data.size() - self.m_readOffset);
        // Refused, the piece ends the input: libxml2 is not stopped from
        // inside its read, which would free the buffer it reads into.
        if (count && self.m_pieceCheck && !self.m_aborted && !self.m_pieceCheck(self.m_data.substr(self.m_readOffset, count)))
            self.markAborted();
        if (self.m_aborted)
            return 0;
        // Borrowed bytes that are none may have no address at all.
        if (count)
            std::memcpy(buffer, self.m_data.data() + self.m_readOffset, count);
        self.m_readOffset += count;
        return static_cast<int>(count);
    }
    static int close(void*) { return 0; }

    static xmlParserInputPtr resolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }
    static void externalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) { }
    static void reference(void*, const xmlChar*) { }

    static void structuredError(void* userData, xmlErrorPtr error)
    {
        if (!error || error->level < XML_ERR_ERROR)
            return;
        if (!userData)
            return;
        auto& self = parser(userData);
        if (stopped(self))
            return;
        std::string message = error->message ? error->message : "XML error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        Error result(XMLParserErrorDomain, error->code, toUTF16(message));
        result.userInfo()[u"line"] = Value(static_cast<int64_t>(error->line));
        result.userInfo()[u"column"] = Value(static_cast<int64_t>(error->int2));
        self.fail(std::move(result));
        xmlStopParser(libxmlContext(userData));
    }
};

XMLParser::XMLParser(std::string data)
    : m_ownedData(std::move(data))
    , m_data(m_ownedData)
{
}

XMLParser::XMLParser(BorrowedBytes data)
    : m_data(data.bytes)
{
}

XMLParser::~XMLParser() = default;

void XMLParser::flushCharacters()
{
    if (m_pendingCharacters.empty())
        return;
    auto kind = static_cast<PendingKind>(m_pendingKind);
    m_pendingKind = static_cast<int>(PendingKind::None);
    if (!m_delegate || m_aborted || !m_error.isEmpty()) {
        m_pendingCharacters.clear();
        return;
    }
    appendUTF16(m_characters, m_pendingCharacters);
    m_pendingCharacters.clear();
    if (kind == PendingKind::CDATA)
        m_delegate->foundCDATA(*this, m_characters);
    else
        m_delegate->foundCharacters(*this, m_characters);
    m_characters.clear();
}

void XMLParser::fail(Error error)
{
    m_pendingCharacters.clear();
    m_error = std::move(error);
    if (m_delegate)
        m_delegate->parseErrorOccurred(*this, m_error);
}

bool XMLParser::parse()
{
    // libxml2 sets up its globals once, before any thread parses.
    static bool initialized = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialized;
    m_error = Error();
    m_aborted = false;
    m_pendingCharacters.clear();
    m_pendingKind = static_cast<int>(PendingKind::None);
    m_names.clear();
    m_utf8TextRoute = UTF8TextRoute::Delegate;

    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.internalSubset = Callbacks::internalSubset;
    handler.entityDecl = Callbacks::entityDecl;
    handler.isStandalone = Callbacks::isStandalone;
    handler.hasInternalSubset = Callbacks::hasInternalSubset;
    handler.hasExternalSubset = Callbacks::hasExternalSubset;
    handler.startDocument = Callbacks::startDocument;
    handler.endDocument = Callbacks::endDocument;
    handler.startElementNs = Callbacks::startElement;
    handler.endElementNs = Callbacks::endElement;
    handler.characters = Callbacks::characters;
    handler.ignorableWhitespace = Callbacks::characters;
    handler.cdataBlock = Callbacks::cdata;
    handler.comment = Callbacks::comment;
    handler.processingInstruction = Callbacks::processingInstruction;
    handler.getEntity = Callbacks::getEntity;
    handler.getParameterEntity = Callbacks::getParameterEntity;
    handler.resolveEntity = Callbacks::resolveEntity;
    handler.externalSubset = Callbacks::externalSubset;
    handler.reference = Callbacks::reference;
    handler.serror = Callbacks::structuredError;

    if (m_data.size() > static_cast<size_t>(INT32_MAX)) {
        fail(Error(XMLParserErrorDomain, XML_ERR_NO_MEMORY, u"The document is too large"));
        return false;
    }
    m_readOffset = 0;
    xmlParserCtxtPtr context = xmlCreateIOParserCtxt(nullptr, nullptr, Callbacks::read, Callbacks::close, this, XML_CHAR_ENCODING_NONE);
    if (!context) {
        fail(Error(XMLParserErrorDomain, XML_ERR_NO_MEMORY, u"Could not make an XML parser"));
        return false;
    }
    std::memcpy(context->sax, &handler, sizeof handler);
    context->userData = this;
    // Entities are replaced (only internal ones are ever found); nothing is loaded.
    xmlCtxtUseOptions(context, XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOWARNING);
    context->loadsubset = 0;
    context->validate = 0;
    m_context = context;

    xmlParseDocument(context);
    flushCharacters();
    bool wellFormed = context->wellFormed;
    if (!wellFormed && m_error.isEmpty() && !m_aborted)
        fail(Error(XMLParserErrorDomain, context->errNo ? context->errNo : XML_ERR_INTERNAL_ERROR,
                   u"The document is not well-formed"));

    m_context = nullptr;
    // The names' pointers go with libxml2's dictionary.
    m_names.clear();
    if (context->myDoc)
        xmlFreeDoc(context->myDoc);
    context->myDoc = nullptr;
    xmlFreeParserCtxt(context);
    return wellFormed && !m_aborted && m_error.isEmpty();
}

void XMLParser::abortParsing()
{
    if (!m_context || m_aborted)
        return;
    markAborted();
    xmlStopParser(static_cast<xmlParserCtxtPtr>(m_context));
}

void XMLParser::markAborted()
{
    m_aborted = true;
    m_pendingCharacters.clear();
    Error error(XMLParserErrorDomain, AbortedErrorCode, u"Parsing was aborted");
    error.userInfo()[u"line"] = Value(static_cast<int64_t>(lineNumber()));
    error.userInfo()[u"column"] = Value(static_cast<int64_t>(columnNumber()));
    m_error = error;
}

long XMLParser::lineNumber() const
{
    return m_context ? xmlSAX2GetLineNumber(m_context) : 0;
}

long XMLParser::columnNumber() const
{
    return m_context ? xmlSAX2GetColumnNumber(m_context) : 0;
}

long XMLParser::byteOffset() const
{
    return m_context ? xmlByteConsumed(static_cast<xmlParserCtxtPtr>(m_context)) : -1;
}

} // namespace brevanton
