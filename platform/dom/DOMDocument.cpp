#include "platform/dom/DOMDocument.h"

#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/HTMLTreeBuilder.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

// The offset of the first surrogate not in a pair; the text's size for none.
size_t firstUnpairedSurrogate(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0xD800 || text[i] > 0xDFFF)
            continue;
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            ++i;
        else
            return i;
    }
    return text.size();
}

bool isNameStartCharacter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x80;
}

} // namespace

bool isValidElementName(std::u16string_view name)
{
    if (name.empty() || !isNameStartCharacter(name[0]))
        return false;
    for (auto c : name) {
        if (isHTMLWhitespace(c) || c == 0 || c == u'/' || c == u'>' || c == u'<' || c == u'=' || c == u'"'
            || c == u'\'')
            return false;
    }
    return true;
}

bool isValidAttributeName(std::u16string_view name)
{
    if (name.empty())
        return false;
    for (auto c : name) {
        if (isHTMLWhitespace(c) || c == 0 || c == u'/' || c == u'>' || c == u'=' || c == u'"' || c == u'\''
            || c == u'<')
            return false;
    }
    return true;
}

// MARK: - Document types and fragments

std::shared_ptr<DOMNode> DOMDocumentType::cloneSelf(DOMDocument* document) const
{
    auto copy = std::make_shared<DOMDocumentType>(document ? document->documentHandle() : documentHandle(), m_name,
                                                  m_publicId, m_systemId);
    copy->m_internalSubset = m_internalSubset;
    return copy;
}

std::shared_ptr<DOMNode> DOMDocumentFragment::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMDocumentFragment>(document ? document->documentHandle() : documentHandle());
}

static std::shared_ptr<DOMElement> findElementById(const DOMNode& root, std::u16string_view id)
{
    if (id.empty())
        return nullptr;
    for (auto* node = root.first(); node; node = node->traverseNext(&root)) {
        if (auto* element = toElement(node)) {
            if (auto* value = element->attributeValue(u"id"); value && *value == id)
                return downcast<DOMElement>(element->shared_from_this());
        }
    }
    return nullptr;
}

std::shared_ptr<DOMElement> DOMDocumentFragment::getElementById(std::u16string_view id) const
{
    return findElementById(*this, id);
}

// MARK: - Document

DOMDocument::DOMDocument(Kind kind)
    : DOMContainerNode(DOCUMENT_NODE, DOMDocumentHandlePtr::create())
    , m_kind(kind)
{
    rootHandle()->document = this;
    if (kind == Kind::HTML)
        m_contentType = u"text/html";
    else
        m_contentType = u"application/xml";
}

DOMDocument::~DOMDocument()
{
    for (auto* range : m_ranges)
        range->documentWillBeDestroyed();
    m_ranges.clear();
    // Children outliving the document see no document from now on.
    rootHandle()->document = nullptr;
}

std::shared_ptr<DOMDocument> DOMDocument::create(Kind kind)
{
    return std::make_shared<DOMDocument>(kind);
}

std::shared_ptr<DOMDocument> DOMDocument::createHTMLDocument(const std::u16string& title)
{
    auto document = create(Kind::HTML);
    document->insertChild(document->createDocumentType(u"html", {}, {}), nullptr);
    auto html = document->createElement(u"html");
    document->insertChild(html, nullptr);
    auto head = document->createElement(u"head");
    html->insertChild(head, nullptr);
    auto titleElement = document->createElement(u"title");
    head->insertChild(titleElement, nullptr);
    if (!title.empty())
        titleElement->insertChild(document->createTextNode(title), nullptr);
    html->insertChild(document->createElement(u"body"), nullptr);
    return document;
}

std::shared_ptr<DOMDocument> DOMDocument::parseHTML(std::string_view bytes, std::string_view encoding,
                                                    const std::u16string& url)
{
    auto text = decodeDocumentTextAsUTF16(bytes, DocumentTextSyntax::HTML, toUTF16(encoding));
    // The text is made for this parse alone: the parse gives its pages back as it goes.
    auto document = buildHTMLDocument(text.text, { .releasesParsedMarkup = true });
    document->setURL(url);
    document->setCharacterSet(text.encoding);
    document->setHasByteOrderMark(text.byteOrderMark);
    document->setHasReplacedUndecodableBytes(text.replacedUndecodableBytes);
    return document;
}

std::shared_ptr<DOMDocument> DOMDocument::parseHTML(std::u16string_view markup, const std::u16string& url)
{
    // Text already decoded reads as its UTF-8 would: a leading byte-order
    // mark is taken off and remembered, an unpaired surrogate is U+FFFD.
    bool byteOrderMark = !markup.empty() && markup.front() == u'\xFEFF';
    if (byteOrderMark)
        markup.remove_prefix(1);
    std::u16string repaired;
    if (size_t unpaired = firstUnpairedSurrogate(markup); unpaired < markup.size()) {
        repaired = markup;
        for (size_t i = unpaired; i < repaired.size(); ++i) {
            if (isHighSurrogate(repaired[i]) && i + 1 < repaired.size() && isLowSurrogate(repaired[i + 1]))
                ++i;
            else if (isHighSurrogate(repaired[i]) || isLowSurrogate(repaired[i]))
                repaired[i] = u'\xFFFD';
        }
        markup = repaired;
    }
    auto document = parseHTMLDocument(markup);
    document->setURL(url);
    document->setCharacterSet(u"UTF-8");
    document->setHasByteOrderMark(byteOrderMark);
    return document;
}

std::shared_ptr<DOMDocument> DOMDocument::parseXML(std::string_view bytes, const std::u16string& url, Error* outError)
{
    return parseDecoded(decodeDocumentText(bytes, DocumentTextSyntax::XML), DocumentTextSyntax::XML, url, outError);
}

std::shared_ptr<DOMDocument> DOMDocument::parseDecoded(const DecodedDocumentText& text, DocumentTextSyntax syntax,
                                                       const std::u16string& url, Error* outError)
{
    auto document = syntax == DocumentTextSyntax::XML ? parseXMLDocument(text.utf8, outError) : parseHTMLDocument(text.utf8);
    if (!document)
        return nullptr;
    document->setURL(url);
    document->setCharacterSet(text.encoding);
    document->setHasByteOrderMark(text.byteOrderMark);
    document->setHasReplacedUndecodableBytes(text.replacedUndecodableBytes);
    return document;
}

bool DOMDocument::isXMLPath(std::u16string_view path)
{
    auto end = path.find_first_of(u"?#");
    if (end != std::u16string_view::npos)
        path = path.substr(0, end);
    auto dot = path.rfind(u'.');
    auto slash = path.rfind(u'/');
    if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && slash > dot))
        return false;
    auto extension = asciiLowercase(path.substr(dot + 1));
    return extension == u"xhtml" || extension == u"xht" || extension == u"xml";
}

std::shared_ptr<DOMElement> DOMDocument::documentElement() const
{
    for (auto* node = first(); node; node = node->next())
        if (node->isElementNode())
            return downcast<DOMElement>(node->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMDocumentType> DOMDocument::doctype() const
{
    for (auto* node = first(); node; node = node->next())
        if (node->nodeType() == DOCUMENT_TYPE_NODE)
            return downcast<DOMDocumentType>(node->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMElement> DOMDocument::body() const
{
    auto root = documentElement();
    if (!root || !root->hasTagName(u"html"))
        return nullptr;
    for (auto* node = root->first(); node; node = node->next()) {
        if (auto* element = toElement(node); element && (element->hasTagName(u"body") || element->hasTagName(u"frameset")))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> DOMDocument::head() const
{
    auto root = documentElement();
    if (!root || !root->hasTagName(u"html"))
        return nullptr;
    for (auto* node = root->first(); node; node = node->next()) {
        if (auto* element = toElement(node); element && element->hasTagName(u"head"))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::u16string DOMDocument::title() const
{
    for (auto* node = first(); node; node = node->traverseNext(this)) {
        if (auto* element = toElement(node); element && element->hasTagName(u"title"))
            return stripAndCollapseHTMLWhitespace(element->textContent());
    }
    return {};
}

std::shared_ptr<DOMElement> DOMDocument::getElementById(std::u16string_view id) const
{
    return findElementById(*this, id);
}

std::shared_ptr<DOMHTMLCollection> DOMDocument::getElementsByTagName(std::u16string_view name)
{
    return makeElementsByTagNameCollection(shared_from_this(), name);
}

std::shared_ptr<DOMElement> DOMDocument::createElement(std::u16string_view localName, Error* outError)
{
    if (!isValidElementName(localName)) {
        setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"The element name is not valid.");
        return nullptr;
    }
    if (isHTMLDocument())
        return std::make_shared<DOMElement>(documentHandle(), DOMQualifiedName::intern(XHTMLNamespace, {}, asciiLowercase(localName)));
    bool xhtml = m_contentType == u"application/xhtml+xml";
    return std::make_shared<DOMElement>(documentHandle(),
                                        DOMQualifiedName::intern(xhtml ? XHTMLNamespace : u"", {}, localName));
}

std::shared_ptr<DOMElement> DOMDocument::createElementNS(std::u16string_view namespaceURI,
                                                         std::u16string_view qualifiedName, Error* outError)
{
    if (!isValidElementName(qualifiedName)) {
        setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"The element name is not valid.");
        return nullptr;
    }
    auto* name = DOMQualifiedName::intern(namespaceURI, qualifiedName);
    if ((!name->prefix.empty() && namespaceURI.empty()) || (name->prefix == u"xml" && namespaceURI != XMLNamespace)) {
        setDOMError(outError, DOMExceptionCode::NamespaceError, u"The prefix does not fit the namespace.");
        return nullptr;
    }
    return std::make_shared<DOMElement>(documentHandle(), name);
}

std::shared_ptr<DOMText> DOMDocument::createTextNode(std::u16string data)
{
    return std::make_shared<DOMText>(documentHandle(), std::move(data));
}

std::shared_ptr<DOMComment> DOMDocument::createComment(std::u16string data)
{
    return std::make_shared<DOMComment>(documentHandle(), std::move(data));
}

std::shared_ptr<DOMCDATASection> DOMDocument::createCDATASection(std::u16string data, Error* outError)
{
    if (isHTMLDocument()) {
        setDOMError(outError, DOMExceptionCode::NotSupportedError, u"HTML documents have no CDATA sections.");
        return nullptr;
    }
    if (data.find(u"]]>") != std::u16string::npos) {
        setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"CDATA sections cannot hold \"]]>\".");
        return nullptr;
    }
    return std::make_shared<DOMCDATASection>(documentHandle(), std::move(data));
}

std::shared_ptr<DOMProcessingInstruction> DOMDocument::createProcessingInstruction(std::u16string target,
                                                                                   std::u16string data, Error* outError)
{
    if (!isValidElementName(target) || data.find(u"?>") != std::u16string::npos) {
        setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"The processing instruction is not valid.");
        return nullptr;
    }
    return std::make_shared<DOMProcessingInstruction>(documentHandle(), std::move(target), std::move(data));
}

std::shared_ptr<DOMDocumentFragment> DOMDocument::createDocumentFragment()
{
    return std::make_shared<DOMDocumentFragment>(documentHandle());
}

std::shared_ptr<DOMAttr> DOMDocument::createAttribute(std::u16string_view name, Error* outError)
{
    if (!isValidAttributeName(name)) {
        setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"The attribute name is not valid.");
        return nullptr;
    }
    return std::make_shared<DOMAttr>(documentHandle(), isHTMLDocument() ? asciiLowercase(name) : std::u16string(name),
                                     std::u16string());
}

std::shared_ptr<DOMDocumentType> DOMDocument::createDocumentType(std::u16string name, std::u16string publicId,
                                                                 std::u16string systemId)
{
    return std::make_shared<DOMDocumentType>(documentHandle(), std::move(name), std::move(publicId),
                                             std::move(systemId));
}

std::shared_ptr<DOMRange> DOMDocument::createRange()
{
    return DOMRange::create(*this);
}

std::shared_ptr<DOMNode> DOMDocument::importNode(const DOMNode& node, bool deep, Error* outError)
{
    if (node.isDocumentNode()) {
        setDOMError(outError, DOMExceptionCode::NotSupportedError, u"A document cannot be imported.");
        return nullptr;
    }
    return node.cloneNodeInto(this, deep);
}

std::shared_ptr<DOMNode> DOMDocument::adoptNode(const std::shared_ptr<DOMNode>& node, Error* outError)
{
    if (!node || node->isDocumentNode()) {
        setDOMError(outError, DOMExceptionCode::NotSupportedError, u"A document cannot be adopted.");
        return nullptr;
    }
    if (node->nodeType() == ATTRIBUTE_NODE) {
        auto* attr = downcast<DOMAttr>(node.get());
        if (auto owner = attr->ownerElement())
            owner->removeAttribute(attr->name());
    } else
        node->remove();
    if (node->rootHandle() != rootHandle())
        node->setDocumentHandleForSubtree(documentHandle());
    return node;
}

DOMDocument& DOMDocument::templateContentsOwnerDocument()
{
    if (m_isTemplateContentsOwner)
        return *this;
    if (!m_templateContentsOwner) {
        m_templateContentsOwner = create(m_kind);
        m_templateContentsOwner->m_isTemplateContentsOwner = true;
        m_templateContentsOwner->m_contentType = m_contentType;
    }
    return *m_templateContentsOwner;
}

std::shared_ptr<DOMDocumentFragment> DOMDocument::createDocumentFragmentWithMarkupString(
    std::u16string_view markup, const std::u16string&, const DOMElement* context)
{
    return parseFragment(*this, markup, context);
}

void DOMDocument::registerRange(DOMRange* range)
{
    range->setRegistryIndex(static_cast<unsigned>(m_ranges.size()));
    m_ranges.push_back(range);
}

void DOMDocument::unregisterRange(DOMRange* range)
{
    unsigned index = range->registryIndex();
    if (index >= m_ranges.size() || m_ranges[index] != range)
        return;
    m_ranges[index] = m_ranges.back();
    m_ranges[index]->setRegistryIndex(index);
    m_ranges.pop_back();
}

void DOMDocument::characterDataChanged(DOMNode& node)
{
    // Enough for a burst of edits between two layouts; consumers that fall
    // further behind start over.
    static constexpr size_t recordedChanges = 64;
    ++m_characterDataVersion;
    if (node.isConnected())
        ++m_connectedCharacterDataVersion;
    if (m_characterDataChanges.size() == recordedChanges)
        m_characterDataChanges.pop_front();
    m_characterDataChanges.push_back(node.weak_from_this());
}

namespace {

// Enough for a batch of rows with the white space between them.
constexpr size_t recordedStructureChanges = 256;

bool isStyleSheetElement(const DOMNode& node)
{
    return node.isElementNode() && node.mayHoldStyleSheetElement()
        && DOMElement::isStyleSheetElementName(downcast<DOMElement>(node).qualifiedName());
}

bool isWithinStyleSheetElement(const DOMNode& node)
{
    for (const DOMNode* ancestor = &node; ancestor; ancestor = ancestor->parent()) {
        if (isStyleSheetElement(*ancestor))
            return true;
    }
    return false;
}

bool subtreeHasStyleSheetElement(const DOMNode& root)
{
    // Subtrees that never held one (rows parsed and put in) are not walked.
    for (const DOMNode* node = &root; node;) {
        if (!node->mayHoldStyleSheetElement()) {
            node = node->traverseNextSkippingChildren(&root);
            continue;
        }
        if (isStyleSheetElement(*node))
            return true;
        node = node->traverseNext(&root);
    }
    return false;
}

} // namespace

void DOMDocument::connectedAttributeChanged(DOMElement& element, const std::u16string& name)
{
    if (!element.isConnected())
        return;
    ++m_connectedStructureVersion;
    if (m_structureChanges.size() == recordedStructureChanges)
        m_structureChanges.pop_front();
    DOMStructureChange change;
    change.kind = DOMStructureChange::Kind::Attribute;
    change.target = element.weak_from_this();
    change.attributeName = name;
    // A document that never held a style sheet element has no ancestors of
    // one to walk, however deep the element.
    change.touchesStyleSheets = mayHoldStyleSheetElement() && isWithinStyleSheetElement(element);
    m_structureChanges.push_back(std::move(change));
}

void DOMDocument::connectedChildListWillChange(DOMNode& parent, DOMNode* inserted, DOMNode* removed)
{
    if (!parent.isConnected())
        return;
    ++m_connectedStructureVersion;
    if (m_structureChanges.size() == recordedStructureChanges)
        m_structureChanges.pop_front();
    DOMStructureChange change;
    change.kind = DOMStructureChange::Kind::ChildList;
    change.target = parent.weak_from_this();
    if (inserted)
        change.inserted = inserted->weak_from_this();
    change.removed = removed;
    // Only an element coming or going can change which element comes first;
    // a parent's run of text children is not walked for every text node.
    change.elementChildrenChanged = (inserted && inserted->isElementNode()) || (removed && removed->isElementNode());
    for (DOMNode* child = change.elementChildrenChanged ? parent.first() : nullptr; child; child = child->next()) {
        if (child->isElementNode()) {
            change.formerFirstElementChild = child->weak_from_this();
            break;
        }
    }
    change.touchesStyleSheets = isWithinStyleSheetElement(parent) || (inserted && subtreeHasStyleSheetElement(*inserted))
        || (removed && subtreeHasStyleSheetElement(*removed));
    m_structureChanges.push_back(std::move(change));
}

const std::vector<DOMElement*>* DOMDocument::parsedLoadingElements() const
{
    if (!m_parsedLoadingElementsVersion || *m_parsedLoadingElementsVersion != treeAndAttributeVersion())
        return nullptr;
    return &m_parsedLoadingElements;
}

void DOMDocument::setParsedLoadingElements(std::vector<DOMElement*> elements)
{
    m_parsedLoadingElements = std::move(elements);
    m_parsedLoadingElementsVersion = treeAndAttributeVersion();
}

const std::bitset<0x10000>* DOMDocument::parsedTextUnits() const
{
    if (!m_parsedTextUnits || m_parsedTextUnitsVersion != contentVersion())
        return nullptr;
    return m_parsedTextUnits.get();
}

void DOMDocument::setParsedTextUnits(std::unique_ptr<std::bitset<0x10000>> units)
{
    m_parsedTextUnits = std::move(units);
    m_parsedTextUnitsVersion = contentVersion();
}

void DOMDocument::treeWasBuilt(DOMNode& root)
{
    incrementDOMTreeVersion();
    if (!root.isConnected())
        return;
    ++m_connectedStructureVersion;
    m_structureChanges.clear();
}

std::optional<DOMDocument::StructureChanges> DOMDocument::structureChangesSince(uint64_t version) const
{
    if (version > m_connectedStructureVersion || m_connectedStructureVersion - version > m_structureChanges.size())
        return std::nullopt;
    auto count = static_cast<std::ptrdiff_t>(m_connectedStructureVersion - version);
    return StructureChanges(m_structureChanges.end() - count, m_structureChanges.end());
}

bool DOMDocument::characterDataChangesSince(uint64_t version, std::vector<std::shared_ptr<DOMNode>>& changes) const
{
    if (version > m_characterDataVersion || m_characterDataVersion - version > m_characterDataChanges.size())
        return false;
    for (size_t i = m_characterDataChanges.size() - static_cast<size_t>(m_characterDataVersion - version);
         i < m_characterDataChanges.size(); ++i) {
        if (auto node = m_characterDataChanges[i].lock())
            changes.push_back(std::move(node));
    }
    return true;
}

std::shared_ptr<DOMNode> DOMDocument::cloneSelf(DOMDocument*) const
{
    auto copy = create(m_kind);
    copy->m_url = m_url;
    copy->m_characterSet = m_characterSet;
    copy->m_contentType = m_contentType;
    copy->m_xmlDeclaration = m_xmlDeclaration;
    copy->m_hasByteOrderMark = m_hasByteOrderMark;
    copy->m_hasReplacedUndecodableBytes = m_hasReplacedUndecodableBytes;
    return copy;
}

} // namespace brevanton
