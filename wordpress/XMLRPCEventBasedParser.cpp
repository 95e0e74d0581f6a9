#include "wordpress/XMLRPCEventBasedParser.h"

#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/XMLParser.h"
#include "toolkit/VornickBase64.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/XMLRPCDateText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ctime>
#include <optional>
#include <span>
#include <iterator>
#include <limits>
#include <vector>

namespace brevanton {

namespace {

// What a node of the value tree holds; the numbering is the parser's own.
enum class XMLRPCElementType {
    Array = 0,
    Dictionary = 1,
    Member = 2,
    Name = 3,
    Integer = 4,
    Double = 5,
    Boolean = 6,
    String = 7,
    Date = 8,
    Data = 9,
};

enum class NodeKind { Value, Member, Name };

// The elements the parser tells apart.
enum class Tag { Value, Member, Name, Array, Struct, Data, String, Integer, Double, Boolean, Date, Base64, Fault, Other };

Tag tagOf(std::string_view name)
{
    // Called once the name's length is known to be the literal's: compared
    // inline, without a call.
    auto is = [&]<size_t size>(const char (&known)[size], Tag tag) { return std::memcmp(name.data(), known, size - 1) == 0 ? tag : Tag::Other; };
    switch (name.size()) {
    case 2:
        return is("i4", Tag::Integer);
    case 3:
        return is("int", Tag::Integer);
    case 4:
        return name[0] == 'n' ? is("name", Tag::Name) : is("data", Tag::Data);
    case 5:
        switch (name[0]) {
        case 'v':
            return is("value", Tag::Value);
        case 'a':
            return is("array", Tag::Array);
        case 'f':
            return is("fault", Tag::Fault);
        }
        return Tag::Other;
    case 6:
        switch (name[0]) {
        case 'm':
            return is("member", Tag::Member);
        case 's':
            return name[1] == 't' && name[2] == 'r' && name[3] == 'i' ? is("string", Tag::String) : is("struct", Tag::Struct);
        case 'd':
            return is("double", Tag::Double);
        case 'b':
            return is("base64", Tag::Base64);
        }
        return Tag::Other;
    case 7:
        return is("boolean", Tag::Boolean);
    case 16:
        return is("dateTime.iso8601", Tag::Date);
    }
    return Tag::Other;
}

bool isXMLSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isXMLSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXMLSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The integer the text begins with (an optional sign, then digits); 0 when
// it begins with none, the nearest limit when it is out of range.
int64_t leadingInteger(std::string_view text)
{
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    uint64_t magnitude = 0;
    constexpr uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[at] - '0');
        if (magnitude > limit + 1) {
            magnitude = limit + 1;
            break;
        }
    }
    if (negative)
        return magnitude > limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
    return magnitude > limit ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(magnitude);
}

// The number the text begins with; 0 when it begins with none.
double leadingDouble(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
}

// The UTF-16 of a text; names and short values, mostly ASCII, are widened
// directly.
std::u16string utf16Of(std::string_view text)
{
    constexpr size_t shortText = 64;
    if (text.size() <= shortText && std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::u16string(text.begin(), text.end());
    return toUTF16(text);
}

std::string excerpt(std::string_view bytes)
{
    constexpr size_t limit = 200;
    std::string text(bytes.substr(0, limit));
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    return bytes.size() > limit ? text + "..." : text;
}

bool isBlank(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    for (char c : bytes) {
        if (!isXMLSpace(c))
            return false;
    }
    return true;
}

// Where the XML of a reply begins: at its XML declaration, else at its
// methodResponse; at the start when it has neither (it is then no reply).
size_t startOfXML(std::string_view data)
{
    size_t declaration = data.find("<?xml");
    size_t response = data.find("<methodResponse");
    if (declaration != std::string_view::npos && (response == std::string_view::npos || declaration < response))
        return declaration;
    return response != std::string_view::npos ? response : 0;
}

// Whether the prolog of the XML (declaration, white space, comments and
// processing instructions before the first element) holds a document type
// declaration.
bool prologDeclaresDocumentType(std::string_view xml)
{
    size_t at = 0;
    while (at < xml.size()) {
        if (isXMLSpace(xml[at])) {
            ++at;
            continue;
        }
        std::string_view rest = xml.substr(at);
        if (rest.starts_with("<!DOCTYPE"))
            return true;
        size_t end;
        if (rest.starts_with("<!--"))
            end = rest.find("-->", 4);
        else if (rest.starts_with("<?"))
            end = rest.find("?>", 2);
        else
            return false;
        if (end == std::string_view::npos)
            return false;
        at += end + 2;
    }
    return false;
}

struct Node {
    Node(NodeKind kind, XMLRPCElementType type, size_t textStart)
        : kind(kind)
        , type(type)
        , textStart(textStart)
    {
    }

    NodeKind kind;
    XMLRPCElementType type;
    // A value node: whether a type element was opened, and how deep inside
    // the node it was; text outside it is formatting.
    bool typed { false };
    bool unknownType { false };
    int typeElementDepth { 0 };
    // Open elements inside the node that made no node of their own.
    int innerDepth { 0 };
    // Where the node's text begins in the parser's text buffer.
    size_t textStart;
    // An array or a struct: where its elements or members begin in the
    // parser's stack of them.
    size_t elementsStart { 0 };
    // A member of a struct: where its name and value are gathered in the
    // parser's stack of members (none for a member elsewhere, which is left out).
    static constexpr size_t noMember = SIZE_MAX;
    size_t memberIndex { noMember };
    bool hasKey { false };
    bool hasValue { false };

    bool isContainer() const { return type == XMLRPCElementType::Array || type == XMLRPCElementType::Dictionary; }
};

} // namespace

// Builds the value tree from the XML parser's events.
class XMLRPCEventBasedParserDelegate final : public XMLParserUTF8Delegate {
public:
    Value result;
    bool isFault { false };
    bool rootEnded { false };
    // Where the document element ended, in bytes; -1 until it did (or when
    // the XML parser could not tell).
    long documentEnd { -1 };
    Error error;

    void didStartElement(XMLParser& parser, std::string_view name) override
    {
        startElement(parser, name);
        routeText(parser);
    }

    void didEndElement(XMLParser& parser, std::string_view) override
    {
        endElement(parser);
        routeText(parser);
    }

private:
    void startElement(XMLParser& parser, std::string_view name)
    {
        if (++m_depth > XMLRPCEventBasedParser::maximumElementDepth) {
            error = Error(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError,
                u"The reply nests its elements more than " + toUTF16(std::to_string(XMLRPCEventBasedParser::maximumElementDepth)) + u" deep.");
            parser.abortParsing();
            return;
        }
        if (rootEnded)
            return;
        Tag tag = tagOf(name);
        m_openTags[static_cast<size_t>(m_depth)] = tag;
        if (m_nodes.empty()) {
            if (tag == Tag::Fault)
                isFault = true;
            else if (tag == Tag::Value)
                m_nodes.emplace_back(NodeKind::Value, XMLRPCElementType::String, m_text.size());
            return;
        }
        switch (tag) {
        case Tag::Value:
            m_nodes.emplace_back(NodeKind::Value, XMLRPCElementType::String, m_text.size());
            return;
        case Tag::Member: {
            bool inStruct = m_nodes.back().kind == NodeKind::Value && m_nodes.back().type == XMLRPCElementType::Dictionary;
            m_nodes.emplace_back(NodeKind::Member, XMLRPCElementType::Member, m_text.size());
            if (inStruct) {
                // Its name and value go in place as they come.
                m_nodes.back().memberIndex = m_members.size();
                m_members.emplace_back();
            }
            return;
        }
        case Tag::Name:
            m_nodes.emplace_back(NodeKind::Name, XMLRPCElementType::Name, m_text.size());
            return;
        default:
            break;
        }
        Node& node = m_nodes.back();
        ++node.innerDepth;
        if (node.kind != NodeKind::Value || node.isContainer())
            return;
        if (tag == Tag::Array) {
            node.type = XMLRPCElementType::Array;
            node.elementsStart = m_elements.size();
            return;
        }
        if (tag == Tag::Struct) {
            node.type = XMLRPCElementType::Dictionary;
            node.elementsStart = m_members.size();
            return;
        }
        if (node.typed || tag == Tag::Data)
            return;
        XMLRPCElementType type = XMLRPCElementType::String;
        switch (tag) {
        case Tag::Integer:
            type = XMLRPCElementType::Integer;
            break;
        case Tag::Double:
            type = XMLRPCElementType::Double;
            break;
        case Tag::Boolean:
            type = XMLRPCElementType::Boolean;
            break;
        case Tag::Date:
            type = XMLRPCElementType::Date;
            break;
        case Tag::Base64:
            type = XMLRPCElementType::Data;
            break;
        default:
            break;
        }
        bool unknown = tag != Tag::String && type == XMLRPCElementType::String;
        node.type = type;
        node.typed = true;
        node.unknownType = unknown;
        node.typeElementDepth = node.innerDepth;
        // What came before the type element was formatting.
        m_text.resize(node.textStart);
    }

    void endElement(XMLParser& parser)
    {
        --m_depth;
        if (rootEnded) {
            // The document element ended: what follows is not read.
            if (m_depth == 0)
                endDocument(parser);
            return;
        }
        if (m_nodes.empty())
            return;
        // (The end tag is the start tag's: libxml2 refuses any other.)
        Tag tag = m_openTags[static_cast<size_t>(m_depth + 1)];
        bool endsNode = tag == Tag::Value || tag == Tag::Member || tag == Tag::Name;
        if (!endsNode) {
            --m_nodes.back().innerDepth;
            return;
        }
        // The node ends where it stands, and goes after giving its parent what it holds.
        Node& node = m_nodes.back();
        Node* parentNode = m_nodes.size() > 1 ? &m_nodes[m_nodes.size() - 2] : nullptr;
        std::string_view text = std::string_view(m_text).substr(node.textStart);
        if (node.kind == NodeKind::Name) {
            if (parentNode && parentNode->kind == NodeKind::Member) {
                if (parentNode->memberIndex != Node::noMember)
                    m_members[parentNode->memberIndex].first = utf16Of(trimmed(text));
                parentNode->hasKey = true;
            }
            m_text.resize(node.textStart);
            m_nodes.pop_back();
            return;
        }
        if (node.kind == NodeKind::Member) {
            endMember(node);
            m_text.resize(node.textStart);
            m_nodes.pop_back();
            return;
        }
        Value value = node.type == XMLRPCElementType::Array ? arrayOfNode(node)
            : node.type == XMLRPCElementType::Dictionary  ? dictionaryOfNode(node)
                                                          : valueOfNode(node, parentNode ? memberKey(*parentNode) : std::u16string_view(), text);
        m_text.resize(node.textStart);
        if (!parentNode) {
            m_nodes.pop_back();
            result = std::move(value);
            rootEnded = true;
            if (m_depth == 0)
                endDocument(parser);
            return;
        }
        giveToParent(node, *parentNode, std::move(value));
        m_nodes.pop_back();
    }

    // A value ends inside its parent.
    void giveToParent(Node& node, Node& parent, Value&& value)
    {
        if (node.kind != NodeKind::Value)
            return;
        if (parent.kind == NodeKind::Member) {
            if (parent.memberIndex != Node::noMember)
                m_members[parent.memberIndex].second = std::move(value);
            parent.hasValue = true;
            return;
        }
        if (parent.kind == NodeKind::Value && parent.type == XMLRPCElementType::Array)
            m_elements.push_back(std::move(value));
    }

    // A member of a struct ends. Without a name it is left out; without a
    // value it holds an empty string; one whose value is null removes the
    // name (see dictionaryOfNode). The members of the structs inside it
    // have left the stack: it is the last one there.
    void endMember(const Node& node)
    {
        if (node.memberIndex == Node::noMember)
            return;
        if (!node.hasKey)
            m_members.erase(m_members.begin() + static_cast<ptrdiff_t>(node.memberIndex), m_members.end());
        else if (!node.hasValue)
            m_members[node.memberIndex].second = Value(std::u16string());
    }

    // The name of a struct's member so far; empty for any other node.
    std::u16string_view memberKey(const Node& node) const
    {
        return node.kind == NodeKind::Member && node.memberIndex != Node::noMember ? std::u16string_view(m_members[node.memberIndex].first) : std::u16string_view();
    }

    // A struct ends: its members leave the stack for it, sorted once. A name
    // repeated takes the last member's value, and a null value removes it.
    Value dictionaryOfNode(const Node& node)
    {
        auto first = m_members.begin() + static_cast<ptrdiff_t>(node.elementsStart);
        // The structs at one depth of a reply mostly list the same members
        // in the same order (each post's, each term's): the order that
        // sorted the last one there is tried first.
        size_t depth = m_nodes.size();
        if (m_memberOrders.size() < depth)
            m_memberOrders.resize(depth);
        Dictionary dictionary = Dictionary::fromMembers(std::span(first, m_members.end()), m_memberOrders[depth - 1]);
        m_members.erase(first, m_members.end());
        erase_if(dictionary, [](const Dictionary::value_type& member) { return member.second.isNull(); });
        return Value(std::move(dictionary));
    }

    // An array ends: its elements leave the stack for it, allocated once.
    Value arrayOfNode(const Node& node)
    {
        auto first = m_elements.begin() + static_cast<ptrdiff_t>(node.elementsStart);
        Array array(std::make_move_iterator(first), std::make_move_iterator(m_elements.end()));
        m_elements.erase(first, m_elements.end());
        return Value(std::move(array));
    }

    void endDocument(XMLParser& parser)
    {
        documentEnd = parser.byteOffset();
        parser.abortParsing();
    }

    // Whether the text that comes now belongs to the innermost open node: a
    // name's, or a scalar value's (inside its type element, or anywhere in
    // it when it has none).
    bool collectsText() const
    {
        if (rootEnded || m_nodes.empty())
            return false;
        const Node& node = m_nodes.back();
        switch (node.kind) {
        case NodeKind::Member:
            return false;
        case NodeKind::Name:
            return true;
        case NodeKind::Value:
            if (node.isContainer())
                return false;
            return node.typed ? node.innerDepth >= node.typeElementDepth : node.innerDepth == 0;
        }
        return false;
    }

    // Texts change owner only at elements: until the next one, the XML
    // parser appends what is collected to the text buffer itself, or drops it.
    void routeText(XMLParser& parser)
    {
        if (collectsText())
            parser.appendUTF8TextTo(m_text);
        else
            parser.ignoreUTF8Text();
    }

    // The value a scalar node ends with; `memberKey` is the name of the
    // member it is the value of, if any.
    static Value valueOfNode(const Node& node, std::u16string_view memberKey, std::string_view text)
    {
        switch (node.type) {
        case XMLRPCElementType::Array:
        case XMLRPCElementType::Dictionary:
            break;
        case XMLRPCElementType::String:
            return Value(utf16Of(node.unknownType ? trimmed(text) : text));
        case XMLRPCElementType::Integer:
            return Value(leadingInteger(trimmed(text)));
        case XMLRPCElementType::Double:
            return Value(leadingDouble(trimmed(text)));
        case XMLRPCElementType::Boolean:
            return Value(trimmed(text) == "1");
        case XMLRPCElementType::Date: {
            // WordPress writes its "*_gmt" members in UTC.
            bool universal = memberKey.ends_with(u"_gmt");
            // Both forms are of ASCII alone: their bytes are their units, and
            // other texts are no date.
            std::string_view dateText = trimmed(text);
            std::array<char16_t, 19> units;
            if (dateText.size() > units.size())
                return Value();
            std::transform(dateText.begin(), dateText.end(), units.begin(), [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
            auto date = dateFromXMLRPCDateString(std::u16string_view(units.data(), dateText.size()), universal ? XMLRPCDateTimeZone::UTC : XMLRPCDateTimeZone::Local);
            return date ? Value(*date) : Value();
        }
        case XMLRPCElementType::Data:
            return Value(dataFromBase64String(toUTF16(trimmed(text))));
        case XMLRPCElementType::Member:
        case XMLRPCElementType::Name:
            break;
        }
        return Value();
    }

    std::vector<Node> m_nodes;
    // The elements of the open arrays, each array's after those of the
    // arrays around it.
    std::vector<Value> m_elements;
    Dictionary::Storage m_members;
    // By the depth of their node, the orders that sorted the last structs' members.
    std::vector<Dictionary::MemberOrder> m_memberOrders;
    // The tags of the open elements, by depth (from 1).
    std::array<Tag, XMLRPCEventBasedParser::maximumElementDepth + 1> m_openTags {};
    // The texts of the open nodes, in UTF-8, one after the other: a node's
    // text runs from its start to the end (the nodes inside it took theirs
    // away when they ended). Each is made UTF-16 once, when its node ends.
    std::string m_text;
    int m_depth { 0 };
};

Value XMLRPCEventBasedParser::parse()
{
    m_error = Error();
    m_isFault = false;
    m_pieceRefused = false;
    size_t start = startOfXML(m_data);
    std::string_view xml = m_data.substr(start);
    // How much of the XML went through the piece check.
    size_t checked = 0;
    // The bytes the XML parser did not take go through the check before
    // what is left out is written to the console.
    auto checkRest = [&] {
        if (!m_pieceRefused && m_pieceCheck && (!m_pieceCheck(m_data.substr(0, start)) || !m_pieceCheck(xml.substr(checked))))
            m_pieceRefused = true;
        if (!m_pieceRefused && !isBlank(m_data.substr(0, start)))
            consoleLog("Left out " + std::to_string(start) + " bytes before the XML-RPC reply: " + excerpt(m_data.substr(0, start)));
        return !m_pieceRefused;
    };
    if (prologDeclaresDocumentType(xml)) {
        if (checkRest())
            m_error = Error(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError, u"The reply declares a document type, which XML-RPC replies never do.");
        return Value();
    }

    // Local dates are read in the zone as it is now, read once for the reply.
    tzset();
    XMLRPCEventBasedParserDelegate delegate;
    XMLParser parser { XMLParser::BorrowedBytes { xml } };
    parser.setUTF8Delegate(&delegate);
    if (m_pieceCheck) {
        parser.setPieceCheck([&](std::string_view piece) {
            if (!m_pieceCheck(piece)) {
                m_pieceRefused = true;
                return false;
            }
            checked = static_cast<size_t>(piece.data() - xml.data()) + piece.size();
            return true;
        });
    }
    bool parsed = parser.parse();
    if (!checkRest())
        return Value();
    if (!delegate.error.isEmpty()) {
        m_error = delegate.error;
        return Value();
    }
    // Stopping at the end of the document element is the parse's own end.
    bool stoppedAtEnd = !parsed && delegate.rootEnded && parser.parserError().code() == XMLParser::AbortedErrorCode;
    if (!parsed && !stoppedAtEnd) {
        m_error = parser.parserError();
        return Value();
    }
    if (!delegate.rootEnded) {
        m_error = Error(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError, u"The reply holds no XML-RPC value.");
        return Value();
    }
    // What follows the document element is left out; the parser tells where
    // it ended, else it is found by its end tag.
    std::optional<std::string_view> rest;
    if (delegate.documentEnd >= 0 && static_cast<size_t>(delegate.documentEnd) <= xml.size()) {
        rest = xml.substr(static_cast<size_t>(delegate.documentEnd));
    } else {
        static constexpr std::string_view endTag = "</methodResponse>";
        if (size_t end = xml.find(endTag); end != std::string_view::npos)
            rest = xml.substr(end + endTag.size());
    }
    if (rest && !isBlank(*rest))
        consoleLog("Left out " + std::to_string(rest->size()) + " bytes after the XML-RPC reply: " + excerpt(*rest));
    m_isFault = delegate.isFault;
    return std::move(delegate.result);
}

} // namespace brevanton
