#include "tests/platform/dom/DOMTreeDump.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::string namespaceName(std::u16string_view uri)
{
    if (uri == XHTMLNamespace)
        return "html";
    if (uri == SVGNamespace)
        return "svg";
    if (uri == MathMLNamespace)
        return "math";
    if (uri == XLinkNamespace)
        return "xlink";
    if (uri == XMLNamespace)
        return "xml";
    if (uri == XMLNSNamespace)
        return "xmlns";
    return toUTF8(uri);
}

std::string escaped(std::u16string_view text)
{
    std::string result;
    for (char c : toUTF8(text)) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            result += c;
        }
    }
    return result;
}

void dumpChildren(const DOMNode& parent, unsigned depth, std::string& into);

void dumpNode(const DOMNode& node, unsigned depth, std::string& into)
{
    std::string indent(depth * 2, ' ');
    if (!into.empty())
        into += '\n';
    into += indent;
    switch (node.nodeType()) {
    case DOMNode::DOCUMENT_TYPE_NODE: {
        auto& doctype = downcast<DOMDocumentType>(node);
        into += "<!DOCTYPE " + toUTF8(doctype.name()) + " \"" + toUTF8(doctype.publicId()) + "\" \""
            + toUTF8(doctype.systemId()) + "\">";
        return;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        into += '"' + escaped(downcast<DOMCharacterData>(node).data()) + '"';
        return;
    case DOMNode::COMMENT_NODE:
        into += "<!--" + escaped(downcast<DOMCharacterData>(node).data()) + "-->";
        return;
    case DOMNode::ELEMENT_NODE:
        break;
    default:
        into += "?";
        return;
    }
    auto& element = downcast<DOMElement>(node);
    auto space = namespaceName(element.namespaceURI());
    into += '<' + (space == "html" ? std::string() : space + ' ') + toUTF8(element.localName()) + '>';
    for (auto& attribute : element.attributeList()) {
        into += '\n' + indent + "  ";
        if (!attribute.namespaceURI().empty())
            into += namespaceName(attribute.namespaceURI()) + ' ';
        if (!attribute.prefix().empty())
            into += toUTF8(attribute.prefix()) + ':';
        into += toUTF8(attribute.localName()) + "=\"" + escaped(attribute.value) + '"';
    }
    if (auto* content = element.templateContent()) {
        into += '\n' + indent + "  content";
        dumpChildren(*content, depth + 2, into);
    }
    dumpChildren(element, depth + 1, into);
}

void dumpChildren(const DOMNode& parent, unsigned depth, std::string& into)
{
    for (auto* child = parent.first(); child; child = child->next())
        dumpNode(*child, depth, into);
}

} // namespace

std::string dumpDOMTree(const DOMNode& parent)
{
    std::string result;
    dumpChildren(parent, 0, result);
    return result;
}

} // namespace brevanton
