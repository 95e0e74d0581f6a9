#include "platform/dom/DOMSerializer.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

namespace brevanton {

bool isHTMLVoidElementName(std::u16string_view name)
{
    static constexpr std::u16string_view names[] = { u"area", u"base", u"basefont", u"bgsound", u"br", u"col",
        u"embed", u"frame", u"hr", u"img", u"input", u"keygen", u"link", u"meta", u"param", u"source", u"track",
        u"wbr" };
    for (auto candidate : names) {
        if (candidate == name)
            return true;
    }
    return false;
}

void appendEscapedHTML(std::u16string& into, std::u16string_view text, bool attributeMode)
{
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t* replacement = nullptr;
        switch (text[i]) {
        case u'&':
            replacement = u"&amp;";
            break;
        case u'\u00A0':
            replacement = u"&nbsp;";
            break;
        case u'<':
            replacement = u"&lt;";
            break;
        case u'>':
            replacement = u"&gt;";
            break;
        case u'"':
            if (attributeMode)
                replacement = u"&quot;";
            break;
        default:
            break;
        }
        if (replacement) {
            into.append(text.substr(runStart, i - runStart));
            into.append(replacement);
            runStart = i + 1;
        }
    }
    into.append(text.substr(runStart));
}

namespace {

bool isRawTextParent(const DOMNode* parent)
{
    auto* element = toElement(parent);
    if (!element || !element->isHTMLElement())
        return false;
    auto& name = element->localName();
    return name == u"style" || name == u"script" || name == u"xmp" || name == u"iframe" || name == u"noembed"
        || name == u"noframes" || name == u"plaintext";
}

const std::u16string& serializedTagName(const DOMElement& element)
{
    auto& name = element.qualifiedName();
    if (name.isHTML || name.namespaceURI == SVGNamespace || name.namespaceURI == MathMLNamespace)
        return name.localName;
    return name.qualifiedName;
}

bool isXMLTree(const DOMNode& node)
{
    auto* document = node.document();
    return document && !document->isHTMLDocument();
}

// XML has no named no-break space: it stays a character there.
void appendEscaped(std::u16string& into, std::u16string_view text, bool attributeMode, bool xml)
{
    if (!xml || text.find(u'\u00A0') == std::u16string_view::npos) {
        appendEscapedHTML(into, text, attributeMode);
        return;
    }
    size_t start = 0;
    while (start <= text.size()) {
        auto space = text.find(u'\u00A0', start);
        auto end = space == std::u16string_view::npos ? text.size() : space;
        appendEscapedHTML(into, text.substr(start, end - start), attributeMode);
        if (space == std::u16string_view::npos)
            break;
        into += u'\u00A0';
        start = space + 1;
    }
}

// Writes the node's opening (all of it for a leaf); answers whether its
// children and end tag follow.
bool openNode(const DOMNode& node, std::u16string& into, bool xml)
{
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        auto& element = static_cast<const DOMElement&>(node);
        auto& tagName = serializedTagName(element);
        into += u'<';
        into += tagName;
        for (auto& attribute : element.attributeList()) {
            into += u' ';
            into += attribute.name;
            into += u"=\"";
            appendEscaped(into, attribute.value, true, xml);
            into += u'"';
        }
        if (element.isHTMLElement() && isHTMLVoidElementName(element.localName())) {
            into += xml ? u" />" : u">";
            return false;
        }
        into += u'>';
        return true;
    }
    case DOMNode::TEXT_NODE: {
        auto& data = static_cast<const DOMCharacterData&>(node).data();
        if (!xml && isRawTextParent(node.parent()))
            into += data;
        else
            appendEscaped(into, data, false, xml);
        return false;
    }
    case DOMNode::CDATA_SECTION_NODE: {
        auto& data = static_cast<const DOMCharacterData&>(node).data();
        if (xml) {
            into += u"<![CDATA[";
            into += data;
            into += u"]]>";
        } else
            appendEscapedHTML(into, data, false);
        return false;
    }
    case DOMNode::COMMENT_NODE:
        into += u"<!--";
        into += static_cast<const DOMCharacterData&>(node).data();
        into += u"-->";
        return false;
    case DOMNode::PROCESSING_INSTRUCTION_NODE: {
        auto& instruction = static_cast<const DOMProcessingInstruction&>(node);
        into += u"<?";
        into += instruction.target();
        into += u' ';
        into += instruction.data();
        into += xml ? u"?>" : u">";
        return false;
    }
    case DOMNode::DOCUMENT_TYPE_NODE:
        into += u"<!DOCTYPE ";
        into += static_cast<const DOMDocumentType&>(node).name();
        into += u'>';
        return false;
    case DOMNode::DOCUMENT_NODE:
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        return true;
    case DOMNode::ATTRIBUTE_NODE:
        return false;
    }
    return false;
}

void closeNode(const DOMNode& node, std::u16string& into)
{
    if (auto* element = toElement(&node)) {
        into += u"</";
        into += serializedTagName(*element);
        into += u'>';
    }
}

// A template's children are those of its contents.
const DOMNode& childrenSource(const DOMNode& node)
{
    auto* element = toElement(&node);
    auto* content = element ? element->templateContent() : nullptr;
    return content ? *content : node;
}

void serializeSubtree(const DOMNode& root, bool includeRoot, std::u16string& into)
{
    bool xml = isXMLTree(root);
    if (includeRoot && !openNode(root, into, xml))
        return;
    auto& source = childrenSource(root);
    const DOMNode* node = source.first();
    while (node) {
        if (openNode(*node, into, xml)) {
            auto& children = childrenSource(*node);
            if (&children != node) {
                serializeSubtree(children, false, into);
                closeNode(*node, into);
            } else if (node->first()) {
                node = node->first();
                continue;
            } else
                closeNode(*node, into);
        }
        // Climb until a next sibling, closing the ancestors left behind.
        while (node && node != &source && !node->next()) {
            node = node->parent();
            if (node && node != &source)
                closeNode(*node, into);
        }
        if (!node || node == &source)
            break;
        node = node->next();
    }
    if (includeRoot)
        closeNode(root, into);
}

} // namespace

void serializeChildrenAsHTML(const DOMNode& node, std::u16string& into)
{
    if (auto* element = toElement(&node); element && element->isHTMLElement()
        && isHTMLVoidElementName(element->localName()))
        return;
    serializeSubtree(node, false, into);
}

void serializeNodeAsHTML(const DOMNode& node, std::u16string& into)
{
    if (node.isDocumentNode() || node.isDocumentFragmentNode()) {
        serializeSubtree(node, false, into);
        return;
    }
    serializeSubtree(node, true, into);
}

} // namespace brevanton
