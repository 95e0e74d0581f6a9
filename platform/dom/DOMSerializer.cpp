#include "platform/dom/DOMSerializer.h"

#include "platform/dom/DOMCasts.h"
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

void appendEscapedHTML(std::u16string& into, std::u16string_view text, HTMLEscaping escaping)
{
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        std::u16string_view replacement;
        switch (text[i]) {
        case u'&':
            replacement = u"&amp;";
            break;
        case u'<':
            replacement = u"&lt;";
            break;
        case u'>':
            replacement = u"&gt;";
            break;
        case u'\u00A0':
            if (escaping != HTMLEscaping::TextOrQuotedValue)
                replacement = u"&nbsp;";
            break;
        case u'"':
            if (escaping != HTMLEscaping::Text)
                replacement = u"&quot;";
            break;
        case u'\'':
            if (escaping == HTMLEscaping::TextOrQuotedValue)
                replacement = u"&#39;";
            break;
        default:
            continue;
        }
        if (!replacement.empty()) {
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
        appendEscapedHTML(into, text, attributeMode ? HTMLEscaping::AttributeValue : HTMLEscaping::Text);
        return;
    }
    size_t start = 0;
    while (start <= text.size()) {
        auto space = text.find(u'\u00A0', start);
        auto end = space == std::u16string_view::npos ? text.size() : space;
        appendEscapedHTML(into, text.substr(start, end - start), attributeMode ? HTMLEscaping::AttributeValue : HTMLEscaping::Text);
        if (space == std::u16string_view::npos)
            break;
        into += u'\u00A0';
        start = space + 1;
    }
}

// Where a serialization writes, and how.
struct Output {
    std::u16string& into;
    bool xml;
    HTMLSerializationFilter* filter;
    // The text of the Text (and CDATA) nodes the walk meets, as a range's
    // text has it; null when not asked for.
    std::u16string* text;
};

// The text of the Text nodes below `root`, in tree order.
void appendTextOfDescendants(const DOMNode& root, std::u16string& text)
{
    for (auto* node = root.traverseNext(&root); node; node = node->traverseNext(&root)) {
        if (node->isTextNode())
            text += downcast<DOMCharacterData>(*node).data();
    }
}

void writeCharacterData(const DOMCharacterData& node, std::u16string_view data, Output& out, const DOMNode* parent)
{
    auto& into = out.into;
    std::optional<std::u16string> filtered;
    if (node.isTextNode() && out.text)
        *out.text += data;
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
        if (out.filter && (filtered = out.filter->filteredText(data)))
            data = *filtered;
        if (!out.xml && isRawTextParent(parent))
            into += data;
        else
            appendEscaped(into, data, false, out.xml);
        return;
    case DOMNode::CDATA_SECTION_NODE:
        if (out.filter && (filtered = out.filter->filteredText(data)))
            data = *filtered;
        if (out.xml) {
            into += u"<![CDATA[";
            into += data;
            into += u"]]>";
        } else
            appendEscapedHTML(into, data, HTMLEscaping::Text);
        return;
    case DOMNode::COMMENT_NODE:
        into += u"<!--";
        into += data;
        into += u"-->";
        return;
    case DOMNode::PROCESSING_INSTRUCTION_NODE: {
        auto& instruction = downcast<DOMProcessingInstruction>(node);
        into += u"<?";
        into += instruction.target();
        into += u' ';
        into += data;
        into += out.xml ? u"?>" : u">";
        return;
    }
    default:
        return;
    }
}

// Writes the node's opening (all of it for a leaf); answers whether its
// children and end tag follow. `parent` is the parent the node is written
// under (a copy's parent may differ from the node's own).
bool openNode(const DOMNode& node, Output& out, const DOMNode* parent)
{
    auto& into = out.into;
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        auto& element = downcast<DOMElement>(node);
        auto& tagName = serializedTagName(element);
        into += u'<';
        into += tagName;
        if (out.filter)
            out.filter->willWriteElement(element);
        std::u16string replacement;
        for (auto& attribute : element.attributeList()) {
            std::u16string_view value = attribute.value;
            if (out.filter) {
                auto action = out.filter->filterAttribute(element, attribute.name, attribute.value, replacement);
                if (action == HTMLSerializationFilter::AttributeAction::Omit)
                    continue;
                if (action == HTMLSerializationFilter::AttributeAction::Replace)
                    value = replacement;
            }
            into += u' ';
            into += attribute.name;
            into += u"=\"";
            appendEscaped(into, value, true, out.xml);
            into += u'"';
        }
        if (element.isHTMLElement() && isHTMLVoidElementName(element.localName())) {
            into += out.xml ? u" />" : u">";
            return false;
        }
        into += u'>';
        return true;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
    case DOMNode::COMMENT_NODE:
    case DOMNode::PROCESSING_INSTRUCTION_NODE: {
        auto& data = downcast<DOMCharacterData>(node);
        writeCharacterData(data, data.data(), out, parent);
        return false;
    }
    case DOMNode::DOCUMENT_TYPE_NODE:
        into += u"<!DOCTYPE ";
        into += downcast<DOMDocumentType>(node).name();
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

void serializeSubtree(const DOMNode& root, bool includeRoot, Output& out, const DOMNode* rootParent);

// Writes a template's contents in place of its children; the text of its
// children (which only a script could give it) is still text, that of its
// contents is not.
void serializeTemplateContents(const DOMNode& element, const DOMNode& contents, Output& out)
{
    if (out.text && element.first())
        appendTextOfDescendants(element, *out.text);
    Output inner { out.into, out.xml, out.filter, nullptr };
    serializeSubtree(contents, false, inner, nullptr);
}

// Children given to a void element are not written, but are text.
void appendTextOfUnwrittenChildren(const DOMNode& node, Output& out)
{
    if (out.text && node.isElementNode() && node.first())
        appendTextOfDescendants(node, *out.text);
}

void serializeSubtree(const DOMNode& root, bool includeRoot, Output& out, const DOMNode* rootParent)
{
    if (includeRoot && !openNode(root, out, rootParent)) {
        appendTextOfUnwrittenChildren(root, out);
        return;
    }
    auto& source = childrenSource(root);
    if (&source != &root) {
        serializeTemplateContents(root, source, out);
        if (includeRoot)
            closeNode(root, out.into);
        return;
    }
    const DOMNode* node = source.first();
    while (node) {
        if (openNode(*node, out, node->parent())) {
            auto& children = childrenSource(*node);
            if (&children != node) {
                serializeTemplateContents(*node, children, out);
                closeNode(*node, out.into);
            } else if (node->first()) {
                node = node->first();
                continue;
            } else
                closeNode(*node, out.into);
        } else
            appendTextOfUnwrittenChildren(*node, out);
        // Climb until a next sibling, closing the ancestors left behind.
        while (node && node != &source && !node->next()) {
            node = node->parent();
            if (node && node != &source)
                closeNode(*node, out.into);
        }
        if (!node || node == &source)
            break;
        node = node->next();
    }
    if (includeRoot)
        closeNode(root, out.into);
}

// The child of `ancestor` on the way down to `node`.
const DOMNode* childOnPath(const DOMNode* ancestor, const DOMNode* node)
{
    while (node && node->parent() != ancestor)
        node = node->parent();
    return node;
}

bool serializeRangeContents(const DOMNode* startNode, unsigned startOffset, const DOMNode* endNode, unsigned endOffset,
                            Output& out, const DOMNode* parent);

// A partly selected child: a shallow copy of it holding its selected part
// (a void element writes none of it; a template's copy has no contents of its
// own, so it writes its children).
bool serializePartialChild(const DOMNode& child, const DOMNode* startNode, unsigned startOffset, const DOMNode* endNode,
                           unsigned endOffset, Output& out, const DOMNode* parent)
{
    bool children = openNode(child, out, parent);
    size_t mark = out.into.size();
    if (!serializeRangeContents(startNode, startOffset, endNode, endOffset, out, &child))
        return false;
    if (!children)
        out.into.resize(mark);
    if (children)
        closeNode(child, out.into);
    return true;
}

// The contents of the range from (startNode, startOffset) to (endNode,
// endOffset) the way cloning writes them: the partly selected first and last
// children of the common ancestor as shallow copies holding their selected
// part, the children between them whole. `parent` is what the written nodes
// sit in: nothing at the top (the fragment), else the copied element.
bool serializeRangeContents(const DOMNode* startNode, unsigned startOffset, const DOMNode* endNode, unsigned endOffset,
                            Output& out, const DOMNode* parent)
{
    if (startNode == endNode && startOffset >= endOffset)
        return true;
    if (startNode == endNode && startNode->isCharacterDataNode()) {
        auto& data = downcast<DOMCharacterData>(*startNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(startOffset, endOffset - startOffset), out, parent);
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
        auto& data = downcast<DOMCharacterData>(*startNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(startOffset), out, parent);
    } else if (firstPartial
               && !serializePartialChild(*firstPartial, startNode, startOffset, firstPartial, firstPartial->length(), out,
                                         parent))
        return false;
    for (auto* child = contained; child && child != stop; child = child->next())
        serializeSubtree(*child, true, out, parent);
    if (lastPartial && lastPartial->isCharacterDataNode()) {
        auto& data = downcast<DOMCharacterData>(*endNode);
        writeCharacterData(data, std::u16string_view(data.data()).substr(0, endOffset), out, parent);
    } else if (lastPartial && !serializePartialChild(*lastPartial, lastPartial, 0, endNode, endOffset, out, parent))
        return false;
    return true;
}

} // namespace

void serializeChildrenAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* filter)
{
    if (auto* element = toElement(&node); element && element->isHTMLElement()
        && isHTMLVoidElementName(element->localName()))
        return;
    Output out { into, isXMLTree(node), filter, nullptr };
    serializeSubtree(node, false, out, nullptr);
}

void serializeNodeAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* filter)
{
    Output out { into, isXMLTree(node), filter, nullptr };
    if (node.isDocumentNode() || node.isDocumentFragmentNode()) {
        serializeSubtree(node, false, out, nullptr);
        return;
    }
    serializeSubtree(node, true, out, node.parent());
}

bool serializeRangeContentsAsHTML(const DOMRange& range, std::u16string& into, HTMLSerializationFilter* filter,
                                  std::u16string* text)
{
    auto* start = range.startNode();
    if (!start || !start->document())
        return false;
    size_t mark = into.size();
    size_t textMark = text ? text->size() : 0;
    Output out { into, isXMLTree(*start), filter, text };
    if (serializeRangeContents(start, range.startOffset(), range.endNode(), range.endOffset(), out, nullptr))
        return true;
    into.resize(mark);
    if (text)
        text->resize(textMark);
    return false;
}

} // namespace brevanton
