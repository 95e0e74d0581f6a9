#include "platform/dom/DOMParsing.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMXMLProlog.h"
#include "platform/foundation/HexDigits.h"
#include "platform/foundation/Text.h"

#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace brevanton {

namespace {

// Never in recovery mode: a tree that recovery cut short must not be taken for
// the document. No depth or text size limit either: the tree builder keeps
// every level without recursion, and entities are expanded by our own bounded code.
constexpr int xmlParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;

std::u16string fromXML(const xmlChar* text)
{
    std::u16string result;
    if (text)
        appendUTF8AsUTF16(result, reinterpret_cast<const char*>(text), std::strlen(reinterpret_cast<const char*>(text)));
    return result;
}

std::u16string attributeValue(xmlAttr* attribute)
{
    xmlChar* value = xmlNodeListGetString(attribute->doc, attribute->children, 1);
    auto result = fromXML(value);
    xmlFree(value);
    return result;
}

// Internal entities may refer to each other: expansion is bounded in depth
// and in total size per parse; a document whose entities expand past the
// bound (an entity bomb) is refused rather than loaded cut short.
constexpr size_t maximumEntityExpansion = 8 << 20;
constexpr unsigned maximumEntityDepth = 16;

void appendCodePointAsUTF8(unsigned codePoint, std::string& into)
{
    std::u16string character;
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        character += static_cast<char16_t>(0xD800 + (codePoint >> 10));
        character += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else
        character += static_cast<char16_t>(codePoint);
    into += toUTF8(character);
}

// The code point of a character reference's digits ("38", "x26"); 0 when invalid.
unsigned characterReferenceValue(std::string_view digits)
{
    bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
    if (hex)
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 8)
        return 0;
    unsigned value = 0;
    for (char c : digits) {
        int digit = hexDigitValue(static_cast<unsigned char>(c));
        if (digit < 0 || (!hex && digit > 9))
            return 0;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}

// The code point of one of HTML 4's named characters, 0 for another name.
// libxml2 looks names up one by one through its table; this map is built
// from it once (its values all lie below U+3000).
unsigned htmlNamedCharacter(const std::string& name)
{
    static const auto table = [] {
        std::unordered_map<std::string, unsigned> names;
        for (unsigned value = 1; value < 0x3000; ++value) {
            if (auto* description = htmlEntityValueLookup(value))
                names.emplace(description->name, description->value);
        }
        return names;
    }();
    auto found = table.find(name);
    return found == table.end() ? 0 : found->second;
}

void expandEntity(xmlDoc* doc, xmlEntity* entity, unsigned depth, size_t& budget, std::string& into)
{
    const char* content = reinterpret_cast<const char*>(entity->content);
    if (!content)
        return;
    size_t length = std::strlen(content);
    for (size_t i = 0; i < length && budget;) {
        if (content[i] == '&') {
            const char* semicolon = static_cast<const char*>(std::memchr(content + i, ';', length - i));
            if (semicolon && semicolon > content + i + 1 && content[i + 1] == '#') {
                // A character reference left in the replacement text (written as "&#38;#38;").
                if (unsigned codePoint = characterReferenceValue(std::string_view(content + i + 2, semicolon))) {
                    appendCodePointAsUTF8(codePoint, into);
                    --budget;
                    i = static_cast<size_t>(semicolon - content) + 1;
                    continue;
                }
            } else if (semicolon && semicolon > content + i + 1) {
                std::string name(content + i + 1, semicolon);
                xmlEntity* reference = xmlGetDocEntity(doc, reinterpret_cast<const xmlChar*>(name.c_str()));
                if (reference && reference->etype == XML_INTERNAL_GENERAL_ENTITY) {
                    if (depth < maximumEntityDepth && reference != entity)
                        expandEntity(doc, reference, depth + 1, budget, into);
                } else if (reference && reference->etype == XML_INTERNAL_PREDEFINED_ENTITY) {
                    // &amp; &lt; &gt; &quot; &apos;
                    if (reference->content)
                        into += reinterpret_cast<const char*>(reference->content);
                    --budget;
                } else if (!reference) {
                    if (unsigned codePoint = htmlNamedCharacter(name))
                        appendCodePointAsUTF8(codePoint, into);
                }
                i = static_cast<size_t>(semicolon - content) + 1;
                continue;
            }
        }
        into += content[i];
        --budget;
        ++i;
    }
}

class XMLTreeBuilder {
public:
    explicit XMLTreeBuilder(DOMDocument& document)
        : m_handle(document.documentHandle())
    {
    }

    void buildChildren(xmlNode* first, DOMNode& target)
    {
        // Nodes are made in the parsed document; a template's contents belong
        // to another document and go in through the general insertion, which adopts them.
        struct Item {
            xmlNode* node;
            DOMNode* parent;
            bool inTemplateContent;
        };
        std::vector<Item> stack;
        auto pushSiblings = [&](xmlNode* node, DOMNode* parent, bool inTemplateContent) {
            size_t mark = stack.size();
            for (; node; node = node->next)
                stack.push_back({ node, parent, inTemplateContent });
            std::reverse(stack.begin() + static_cast<long>(mark), stack.end());
        };
        pushSiblings(first, &target, false);
        while (!stack.empty()) {
            auto item = stack.back();
            stack.pop_back();
            xmlNode* node = item.node;
            auto insert = [&](std::shared_ptr<DOMNode> child) {
                if (item.inTemplateContent)
                    item.parent->insertChild(child, nullptr);
                else
                    item.parent->appendParsedChild(std::move(child));
            };
            switch (node->type) {
            case XML_ELEMENT_NODE: {
                auto element = makeElement(node);
                insert(element);
                // An XHTML template's children form its contents.
                DOMNode* childParent = element.get();
                bool inTemplateContent = item.inTemplateContent;
                if (element->hasTagName(u"template")) {
                    childParent = element->content().get();
                    inTemplateContent = true;
                }
                pushSiblings(node->children, childParent, inTemplateContent);
                break;
            }
            case XML_TEXT_NODE:
                appendText(*item.parent, fromXML(node->content), item.inTemplateContent);
                break;
            case XML_CDATA_SECTION_NODE:
                insert(std::make_shared<DOMCDATASection>(m_handle, fromXML(node->content)));
                break;
            case XML_COMMENT_NODE:
                insert(std::make_shared<DOMComment>(m_handle, fromXML(node->content)));
                break;
            case XML_PI_NODE:
                insert(std::make_shared<DOMProcessingInstruction>(m_handle, fromXML(node->name), fromXML(node->content)));
                break;
            case XML_ENTITY_REF_NODE: {
                // Internal entities expand to their text; HTML's named
                // characters are known without a DTD; anything else is dropped.
                xmlEntity* entity = xmlGetDocEntity(node->doc, node->name);
                if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY) {
                    std::string expanded;
                    expandEntity(node->doc, entity, 0, m_entityBudget, expanded);
                    appendText(*item.parent, fromXML(reinterpret_cast<const xmlChar*>(expanded.c_str())),
                               item.inTemplateContent);
                } else if (!entity || entity->etype != XML_EXTERNAL_GENERAL_PARSED_ENTITY) {
                    if (unsigned codePoint = htmlNamedCharacter(reinterpret_cast<const char*>(node->name))) {
                        std::string text;
                        appendCodePointAsUTF8(codePoint, text);
                        appendText(*item.parent, fromXML(reinterpret_cast<const xmlChar*>(text.c_str())),
                                   item.inTemplateContent);
                    }
                }
                break;
            }
            default:
                break;
            }
        }
        if (auto* document = target.document())
            document->treeWasBuilt(target);
    }

    bool exhaustedEntityExpansion() const { return !m_entityBudget; }

private:
    void appendText(DOMNode& parent, std::u16string text, bool inTemplateContent)
    {
        if (text.empty())
            return;
        if (auto* last = parent.last(); last && last->nodeType() == DOMNode::TEXT_NODE) {
            downcast<DOMText>(last)->appendData(text);
            return;
        }
        auto node = std::make_shared<DOMText>(m_handle, std::move(text));
        if (inTemplateContent)
            parent.insertChild(node, nullptr);
        else
            parent.appendParsedChild(std::move(node));
    }

    std::shared_ptr<DOMElement> makeElement(xmlNode* node)
    {
        std::u16string ns = node->ns ? fromXML(node->ns->href) : std::u16string();
        std::u16string prefix = node->ns && node->ns->prefix ? fromXML(node->ns->prefix) : std::u16string();
        auto element = std::make_shared<DOMElement>(m_handle, DOMQualifiedName::intern(ns, prefix, fromXML(node->name)));
        for (xmlNs* declaration = node->nsDef; declaration; declaration = declaration->next) {
            std::u16string prefix = declaration->prefix ? fromXML(declaration->prefix) : std::u16string();
            auto* namespacedName = prefix.empty() ? DOMQualifiedName::intern(XMLNSNamespace, {}, u"xmlns")
                                                  : DOMQualifiedName::intern(XMLNSNamespace, u"xmlns", prefix);
            element->appendAttributeWithoutChecks(namespacedName->qualifiedName, fromXML(declaration->href),
                                                  namespacedName);
        }
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            std::u16string localName = fromXML(attribute->name);
            const DOMQualifiedName* namespacedName = nullptr;
            if (attribute->ns && attribute->ns->href) {
                std::u16string prefix = attribute->ns->prefix ? fromXML(attribute->ns->prefix) : std::u16string();
                namespacedName = DOMQualifiedName::intern(fromXML(attribute->ns->href), prefix, localName);
            }
            std::u16string name = namespacedName ? namespacedName->qualifiedName : localName;
            if (!element->hasAttribute(name))
                element->appendAttributeWithoutChecks(std::move(name), attributeValue(attribute), namespacedName);
        }
        return element;
    }

    DOMDocumentHandlePtr m_handle;
    size_t m_entityBudget { maximumEntityExpansion };
};

bool startsWith(std::string_view text, size_t at, std::string_view prefix)
{
    return text.size() - at >= prefix.size() && text.substr(at, prefix.size()) == prefix;
}

size_t skipPast(std::string_view text, size_t at, std::string_view terminator)
{
    auto end = text.find(terminator, at);
    return end == std::string_view::npos ? text.size() : end + terminator.size();
}

// XHTML written by hand uses HTML's named characters (&nbsp;) without
// declaring them; the XML parser would drop them and the text around them.
// References to names that are neither predefined nor declared become
// numeric references. Comments, CDATA sections, processing instructions and
// the doctype are copied unchanged. UTF-16 input is left to the parser.
// `firstUndeclared` receives the offset of the first reference to a name that
// is none of these (which the parser would drop without failing), or npos;
// `replacements`, where each replaced reference is in the result.
struct ReplacedReference {
    size_t offset;
    // The written reference's length less its replacement's.
    long shortening;
};
std::string replaceUndeclaredHTMLReferences(std::string_view bytes, size_t* firstUndeclared = nullptr,
                                            std::vector<ReplacedReference>* replacements = nullptr)
{
    if (firstUndeclared)
        *firstUndeclared = std::string_view::npos;
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return std::string(bytes);
    if (bytes.find('&') == std::string_view::npos)
        return std::string(bytes);
    std::unordered_set<std::string> declared;
    std::string result;
    result.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        char c = bytes[i];
        if (c == '<') {
            size_t end = i;
            if (startsWith(bytes, i, "<!--"))
                end = skipPast(bytes, i + 4, "-->");
            else if (startsWith(bytes, i, "<![CDATA["))
                end = skipPast(bytes, i + 9, "]]>");
            else if (startsWith(bytes, i, "<?"))
                end = skipPast(bytes, i + 2, "?>");
            else if (startsWith(bytes, i, "<!DOCTYPE")) {
                // Through the closing '>' outside the internal subset and quotes.
                int depth = 0;
                char quote = 0;
                end = i + 9;
                for (; end < bytes.size(); ++end) {
                    char d = bytes[end];
                    if (quote) {
                        if (d == quote)
                            quote = 0;
                    } else if (d == '"' || d == '\'')
                        quote = d;
                    else if (d == '[')
                        ++depth;
                    else if (d == ']')
                        --depth;
                    else if (d == '>' && depth <= 0)
                        break;
                }
                end = std::min(end + 1, bytes.size());
                auto subset = bytes.substr(i, end - i);
                for (size_t at = subset.find("<!ENTITY"); at != std::string_view::npos; at = subset.find("<!ENTITY", at + 1)) {
                    size_t nameStart = subset.find_first_not_of(" \t\r\n%", at + 8);
                    size_t nameEnd = subset.find_first_of(" \t\r\n", nameStart);
                    if (nameStart != std::string_view::npos && nameEnd != std::string_view::npos)
                        declared.emplace(subset.substr(nameStart, nameEnd - nameStart));
                }
            }
            if (end > i) {
                result.append(bytes.substr(i, end - i));
                i = end;
                continue;
            }
        } else if (c == '&') {
            auto isNameCharacter = [](char d) {
                return (d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z') || (d >= '0' && d <= '9') || d == '-' || d == '_'
                    || d == '.' || d == ':' || static_cast<unsigned char>(d) >= 0x80;
            };
            size_t nameEnd = i + 1;
            while (nameEnd < bytes.size() && isNameCharacter(bytes[nameEnd]))
                ++nameEnd;
            bool startsName = nameEnd > i + 1 && !(bytes[i + 1] >= '0' && bytes[i + 1] <= '9') && bytes[i + 1] != '-'
                && bytes[i + 1] != '.';
            if (nameEnd < bytes.size() && bytes[nameEnd] == ';' && startsName) {
                std::string name(bytes.substr(i + 1, nameEnd - i - 1));
                bool predefined = name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
                if (!predefined && !declared.contains(name)) {
                    if (auto value = htmlNamedCharacter(name)) {
                        std::string numeric = "&#" + std::to_string(value) + ";";
                        if (replacements)
                            replacements->push_back({ result.size(), static_cast<long>(nameEnd + 1 - i) - static_cast<long>(numeric.size()) });
                        result += numeric;
                        i = nameEnd + 1;
                        continue;
                    }
                    if (firstUndeclared && *firstUndeclared == std::string_view::npos)
                        *firstUndeclared = i;
                }
            }
        }
        result += c;
        ++i;
    }
    return result;
}

void ensureParserInitialized()
{
    static bool initialized = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialized;
}

// The first error that made the document not well-formed. The parser goes
// on after it and reports what follows from it (an element left open is
// "premature end of data" at the end too): only the first tells where the
// file must be corrected.
struct FirstFatalError {
    int code { XML_ERR_OK };
    int line { 0 };
    int column { 0 };
    std::string message;
};

thread_local FirstFatalError* firstFatalErrorOfParse = nullptr;

void noteFirstFatalError(void*, xmlErrorPtr error)
{
    auto* first = firstFatalErrorOfParse;
    if (!first || !error || error->level != XML_ERR_FATAL || first->code != XML_ERR_OK)
        return;
    *first = FirstFatalError { error->code, error->line, error->int2, error->message ? error->message : "" };
}

// The column of a place in a line of `text` (counted in characters, from 1,
// as the parser counts) where the text was written before its references were
// replaced: the references replaced before it on its line count as written.
int columnAsWritten(std::string_view text, const std::vector<ReplacedReference>& replacements, int line, int column)
{
    size_t lineStart = 0;
    for (int at = 1; at < line && lineStart != std::string_view::npos; ++at) {
        lineStart = text.find('\n', lineStart);
        if (lineStart != std::string_view::npos)
            ++lineStart;
    }
    if (lineStart == std::string_view::npos)
        return column;
    size_t place = lineStart;
    for (int counted = 1; counted < column && place < text.size() && text[place] != '\n'; ++counted) {
        ++place;
        while (place < text.size() && (static_cast<unsigned char>(text[place]) & 0xC0) == 0x80)
            ++place;
    }
    long written = column;
    for (const auto& replaced : replacements) {
        if (replaced.offset >= lineStart && replaced.offset < place)
            written += replaced.shortening;
    }
    return static_cast<int>(written);
}

// Parses `input` as a well-formed XML document; null with the message, line
// and column of the parser's first fatal error otherwise (the column as
// written, when `replacements` says which references of the text were replaced).
xmlDoc* readWellFormedXML(std::string_view input, const char* encoding, int extraOptions, Error* outError,
                          const std::vector<ReplacedReference>* replacements = nullptr)
{
    xmlParserCtxt* context = xmlNewParserCtxt();
    if (!context) {
        setDOMError(outError, DOMExceptionCode::SyntaxError, u"The XML document could not be read.");
        return nullptr;
    }
    FirstFatalError first;
    context->sax->serror = noteFirstFatalError;
    firstFatalErrorOfParse = &first;
    xmlDoc* source = xmlCtxtReadMemory(context, input.data(), static_cast<int>(input.size()), nullptr, encoding,
                                       xmlParseOptions | extraOptions);
    firstFatalErrorOfParse = nullptr;
    if (source && (!context->wellFormed || !xmlDocGetRootElement(source))) {
        xmlFreeDoc(source);
        source = nullptr;
    }
    if (!source && outError) {
        xmlError* last = xmlCtxtGetLastError(context);
        if (first.code == XML_ERR_OK && last && last->code != XML_ERR_OK)
            first = FirstFatalError { last->code, last->line, last->int2, last->message ? last->message : "" };
        if (replacements && first.code != XML_ERR_OK)
            first.column = columnAsWritten(input, *replacements, first.line, first.column);
        std::u16string message = u"The XML document is not well-formed";
        Error error(DOMErrorDomain, static_cast<int64_t>(DOMExceptionCode::SyntaxError), Dictionary {});
        if (first.code != XML_ERR_OK) {
            std::string reason = first.message;
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
                reason.pop_back();
            message += u": line " + toUTF16(std::to_string(first.line)) + u", column "
                + toUTF16(std::to_string(first.column)) + u": " + toUTF16(reason);
            error.userInfo()[DOMErrorLineNumberKey] = Value(first.line);
            error.userInfo()[DOMErrorColumnNumberKey] = Value(first.column);
        } else
            message += u": it has no root element";
        error.userInfo()[Error::LocalizedDescriptionKey] = Value(message + u".");
        *outError = error;
    }
    xmlFreeParserCtxt(context);
    return source;
}

// A reference to an entity that is declared nowhere, at `offset` in `text`.
void setUndeclaredEntityError(std::string_view text, size_t offset, Error* outError)
{
    if (!outError)
        return;
    size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(lineStart), '\n'));
    // Counted in characters, as the parser counts.
    int column = 1 + static_cast<int>(std::count_if(text.begin() + static_cast<long>(lineStart), text.begin() + static_cast<long>(offset),
                                                    [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    auto end = text.find(';', offset);
    auto reference = toUTF16(text.substr(offset, end - offset + 1));
    Error error(DOMErrorDomain, static_cast<int64_t>(DOMExceptionCode::SyntaxError), Dictionary {});
    error.userInfo()[DOMErrorLineNumberKey] = Value(line);
    error.userInfo()[DOMErrorColumnNumberKey] = Value(column);
    error.userInfo()[Error::LocalizedDescriptionKey] = Value(u"The XML document is not well-formed: line "
        + toUTF16(std::to_string(line)) + u", column " + toUTF16(std::to_string(column)) + u": the entity "
        + reference + u" is not declared.");
    *outError = error;
}

// Whether the first error's place in the file comes before the second's.
bool comesBefore(const Error& first, const Error& second)
{
    auto place = [](const Error& error) {
        auto line = error.userInfo().find(DOMErrorLineNumberKey);
        auto column = error.userInfo().find(DOMErrorColumnNumberKey);
        return std::pair(line == error.userInfo().end() ? 0 : line->second.integerValue(),
                         column == error.userInfo().end() ? 0 : column->second.integerValue());
    };
    auto firstPlace = place(first);
    return firstPlace.first > 0 && firstPlace < place(second);
}

} // namespace

std::shared_ptr<DOMDocument> parseXMLDocument(std::string_view utf8, Error* outError)
{
    ensureParserInitialized();
    size_t undeclared;
    std::vector<ReplacedReference> replacements;
    auto input = replaceUndeclaredHTMLReferences(utf8, &undeclared, &replacements);
    if (undeclared != std::string_view::npos) {
        // The parser would drop the reference and go on: refuse the document
        // instead, telling the first of its faults.
        setUndeclaredEntityError(utf8, undeclared, outError);
        Error parseError;
        if (xmlDoc* parsed = readWellFormedXML(input, "UTF-8", XML_PARSE_IGNORE_ENC, &parseError, &replacements))
            xmlFreeDoc(parsed);
        else if (outError && comesBefore(parseError, *outError))
            *outError = std::move(parseError);
        return nullptr;
    }
    // The text is UTF-8 whatever the declaration says it was read from.
    xmlDoc* source = readWellFormedXML(input, "UTF-8", XML_PARSE_IGNORE_ENC, outError, &replacements);
    if (!source)
        return nullptr;
    auto document = DOMDocument::create(DOMDocument::Kind::XML);
    auto prolog = scanXMLProlog(utf8);
    document->setXMLDeclaration(std::move(prolog.declaration));
    if (xmlNode* root = xmlDocGetRootElement(source); root->ns && root->ns->href
        && fromXML(root->ns->href) == XHTMLNamespace)
        document->setContentType(u"application/xhtml+xml");
    if (xmlDtd* dtd = source->intSubset) {
        auto doctype = document->createDocumentType(fromXML(dtd->name), fromXML(dtd->ExternalID), fromXML(dtd->SystemID));
        doctype->setInternalSubset(std::move(prolog.internalSubset));
        document->insertChild(doctype, nullptr);
    }
    XMLTreeBuilder builder(*document);
    builder.buildChildren(source->children, *document);
    xmlFreeDoc(source);
    if (builder.exhaustedEntityExpansion()) {
        setDOMError(outError, DOMExceptionCode::SyntaxError,
                    u"The XML document's entities expand to more text than a document can hold.");
        return nullptr;
    }
    return document;
}

std::shared_ptr<DOMDocumentFragment> parseXMLFragment(DOMDocument& document, std::u16string_view markup,
                                                      const DOMElement* context)
{
    ensureParserInitialized();
    auto fragment = document.createDocumentFragment();
    std::u16string ns = context ? context->namespaceURI() : std::u16string(XHTMLNamespace);
    if (!context && document.contentType() != u"application/xhtml+xml")
        ns.clear();
    std::string wrapped = "<fragment-root";
    if (!ns.empty()) {
        wrapped += " xmlns=\"";
        for (char c : toUTF8(ns)) {
            if (c == '"')
                wrapped += "&quot;";
            else if (c == '&')
                wrapped += "&amp;";
            else
                wrapped += c;
        }
        wrapped += "\"";
    }
    size_t undeclared;
    wrapped += ">" + replaceUndeclaredHTMLReferences(toUTF8(markup), &undeclared) + "</fragment-root>";
    xmlDoc* source = undeclared == std::string_view::npos ? readWellFormedXML(wrapped, "UTF-8", 0, nullptr) : nullptr;
    if (!source) {
        // Markup that is not well-formed is read as HTML would read it, whole.
        return parseHTMLFragment(document, markup, context);
    }
    if (xmlNode* root = xmlDocGetRootElement(source)) {
        XMLTreeBuilder builder(document);
        builder.buildChildren(root->children, *fragment);
    }
    xmlFreeDoc(source);
    return fragment;
}

} // namespace brevanton
