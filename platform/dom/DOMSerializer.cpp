#include "platform/dom/DOMSerializer.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

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

void writeCharacterData(const DOMCharacterData& node, std::u16string_view data, std::u16string& into, bool xml,
                        HTMLSerializationFilter* filter, const DOMNode* parent)
{
    std::optional<std::u16string> filtered;
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
        if (filter && (filtered = filter->filteredText(data)))
            data = *filtered;
        if (!xml && isRawTextParent(parent))
            into += data;
        else
            appendEscaped(into, data, false, xml);
        return;
    case DOMNode::CDATA_SECTION_NODE:
        if (filter && (filtered = filter->filteredText(data)))
            data = *filtered;
        if (xml) {
            into += u"<![CDATA[";
            into += data;
            into += u"]]>";
        } else
            appendEscapedHTML(into, data, false);
        return;
    case DOMNode::COMMENT_NODE:
        into += u"<!--";
        into += data;
        into += u"-->";
        return;
    case DOMNode::PROCESSING_INSTRUCTION_NODE: {
        auto& instruction = static_cast<const DOMProcessingInstruction&>(node);
        into += u"<?";
        into += instruction.target();
        into += u' ';
        into += data;
        into += xml ? u"?>" : u">";
        return;
    }
    default:
        return;
    }
}

// Writes the node's opening (all of it for a leaf); answers whether its
// children and end tag follow. `parent` is the parent the node is written
// under (a copy's parent may differ from the node's own).
bool openNode(const DOMNode& node, std::u16string& into, bool xml, HTMLSerializationFilter* filter,
              const DOMNode* parent)
{
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        auto& element = static_cast<const DOMElement&>(node);
        auto& tagName = serializedTagName(element);
        into += u'<';
        into += tagName;
        if (filter)
            filter->willWriteElement(element);
        std::u16string replacement;
        for (auto& attribute : element.attributeList()) {
            std::u16string_view value = attribute.value;
            if (filter) {
                auto action = filter->filterAttribute(element, attribute.name, attribute.value, replacement);
                if (action == HTMLSerializationFilter::AttributeAction::Omit)
                    continue;
                if (action == HTMLSerializationFilter::AttributeAction::Replace)
                    value = replacement;
            }
            into += u' ';
            into += attribute.name;
            into += u"=\"";
            appendEscaped(into, value, true, xml);
            into += u'"';
        }
        if (element.isHTMLElement() && isHTMLVoidElementName(element.localName())) {
            into += xml ? u" />" : u">";
            return false;
        }
        into += u'>';
        return true;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
    case DOMNode::COMMENT_NODE:
    case DOMNode::PROCESSING_INSTRUCTION_NODE: {
        auto& data = static_cast<const DOMCharacterData&>(node);
        writeCharacterData(data, data.data(), into, xml, filter, parent);
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

void serializeSubtree(const DOMNode& root, bool includeRoot, std::u16string& into, HTMLSerializationFilter* filter,
                      const DOMNode* rootParent)
{
    bool xml = isXMLTree(root);
    if (includeRoot && !openNode(root, into, xml, filter, rootParent))
        return;
    auto& source = childrenSource(root);
    const DOMNode* node = source.first();
    while (node) {
        if (openNode(*node, into, xml, filter, node->parent())) {
            auto& children = childrenSource(*node);
            if (&children != node) {
                serializeSubtree(children, false, into, filter, nullptr);
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

// The child of `ancestor` on the way down to `node`.
const DOMNode* childOnPath(const DOMNode* ancestor, const DOMNode* node)
{
    while (node && node->parent() != ancestor)
        node = node->parent();
    return node;
}

// The contents of the range from (startNode, startOffset) to (endNode,
// endOffset) the way cloning writes them: the partly selected first and last
// children of the common ancestor as shallow copies holding their selected
// part, the children between them whole. `parent` is what the written nodes
// sit in: nothing at the top (the fragment), else the copied element.
bool serializeRangeContents(const DOMNode* startNode, unsigned startOffset, const DOMNode* endNode, unsigned endOffset,
                            std::u16string& into, bool xml, HTMLSerializationFilter* filter, const DOMNode* parent)
{
    if (startNode == endNode && startOffset >= endOffset)
        return true;
    if (startNode == endNode && startNode->isCharacterDataNode()) {
        auto& data = static_cast<const DOMCharacterData&>(*startNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(startOffset, endOffset - startOffset), into, xml,
                           filter, parent);
        return true;
    }
    const DOMNode* common = startNode;
    while (common && !common->isInclusiveAncestorOf(endNode))
        common = common->parent();
    if (!common)
        return false;
    const DOMNode* firstPartial = startNode->isInclusiveAncestorOf(endNode) ? nullptr : childOnPath(common, startNode);
    const DOMNode* lastPartial = endNode->isInclusiveAncestorOf(startNode) ? nullptr : childOnPath(common, endNode);
    // The children between the partly selected ones are wholly selected.
    const DOMNode* contained = firstPartial ? firstPartial->next() : common->childAt(startOffset);
    const DOMNode* stop = lastPartial ? lastPartial : common->childAt(endOffset);
    for (auto* child = contained; child && child != stop; child = child->next()) {
        if (child->nodeType() == DOMNode::DOCUMENT_TYPE_NODE)
            return false;
    }

    if (firstPartial && firstPartial->isCharacterDataNode()) {
        auto& data = static_cast<const DOMCharacterData&>(*startNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(startOffset), into, xml, filter, parent);
    } else if (firstPartial) {
        bool children = openNode(*firstPartial, into, xml, filter, parent);
        size_t mark = into.size();
        if (!serializeRangeContents(startNode, startOffset, firstPartial, firstPartial->length(), into, xml, filter,
                                    firstPartial))
            return false;
        if (children)
            closeNode(*firstPartial, into);
        else
            into.resize(mark);
    }
    for (auto* child = contained; child && child != stop; child = child->next())
        serializeSubtree(*child, true, into, filter, parent);
    if (lastPartial && lastPartial->isCharacterDataNode()) {
        auto& data = static_cast<const DOMCharacterData&>(*endNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(0, endOffset), into, xml, filter, parent);
    } else if (lastPartial) {
        bool children = openNode(*lastPartial, into, xml, filter, parent);
        size_t mark = into.size();
        if (!serializeRangeContents(lastPartial, 0, endNode, endOffset, into, xml, filter, lastPartial))
            return false;
        if (children)
            closeNode(*lastPartial, into);
        else
            into.resize(mark);
    }
    return true;
}

} // namespace

void serializeChildrenAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* filter)
{
    if (auto* element = toElement(&node); element && element->isHTMLElement()
        && isHTMLVoidElementName(element->localName()))
        return;
    serializeSubtree(node, false, into, filter, nullptr);
}

void serializeNodeAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* filter)
{
    if (node.isDocumentNode() || node.isDocumentFragmentNode()) {
        serializeSubtree(node, false, into, filter, nullptr);
        return;
    }
    serializeSubtree(node, true, into, filter, node.parent());
}

bool serializeRangeContentsAsHTML(const DOMRange& range, std::u16string& into, HTMLSerializationFilter* filter)
{
    auto* start = range.startNode();
    if (!start || !start->document())
        return false;
    size_t mark = into.size();
    if (serializeRangeContents(start, range.startOffset(), range.endNode(), range.endOffset(), into, isXMLTree(*start),
                               filter, nullptr))
        return true;
    into.resize(mark);
    return false;
}

} // namespace brevanton
