#include "platform/dom/DOMElement.h"

#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"

namespace brevanton {

DOMElement::~DOMElement()
{
    for (auto& attribute : m_attributes) {
        if (attribute.node)
            attribute.node->detach(std::move(attribute.value));
    }
    if (auto* style = m_attributes.existingStyle())
        style->ownerDestroyed();
}

const std::u16string& DOMElement::tagName() const
{
    if (qualifiedName().isHTML) {
        auto* document = this->document();
        if (!document || document->isHTMLDocument())
            return qualifiedName().upperQualifiedName;
    }
    return qualifiedName().qualifiedName;
}

std::u16string DOMElement::adjustedAttributeName(std::u16string_view name) const
{
    if (qualifiedName().isHTML) {
        auto* document = this->document();
        if (!document || document->isHTMLDocument())
            return asciiLowercase(name);
    }
    return std::u16string(name);
}

int DOMElement::findAttribute(std::u16string_view name) const
{
    for (size_t i = 0; i < m_attributes.size(); ++i) {
        if (m_attributes[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

const std::u16string* DOMElement::attributeValue(std::u16string_view name) const
{
    int index = findAttribute(name);
    if (index < 0) {
        bool hasUpper = false;
        for (auto c : name)
            hasUpper |= c >= u'A' && c <= u'Z';
        if (!hasUpper)
            return nullptr;
        index = findAttribute(adjustedAttributeName(name));
        if (index < 0)
            return nullptr;
    }
    return &m_attributes[index].value;
}

std::u16string DOMElement::getAttribute(std::u16string_view name) const
{
    auto* value = attributeValue(name);
    return value ? *value : std::u16string();
}

bool DOMElement::setAttribute(std::u16string_view name, std::u16string_view value, Error* outError)
{
    if (!isValidAttributeName(name))
        return setDOMError(outError, DOMExceptionCode::InvalidCharacterError, u"The attribute name is not valid.");
    auto adjusted = adjustedAttributeName(name);
    int index = findAttribute(adjusted);
    if (index >= 0)
        m_attributes[index].value = value;
    else
        m_attributes.push_back({ adjusted, std::u16string(value), nullptr, nullptr });
    attributeChanged(adjusted);
    return true;
}

void DOMElement::setAttributeValueForAttr(const std::u16string& name, const std::u16string& value)
{
    int index = findAttribute(name);
    if (index < 0)
        return;
    m_attributes[index].value = value;
    attributeChanged(name);
}

void DOMElement::appendAttributeWithoutChecks(std::u16string name, std::u16string value,
                                              const DOMQualifiedName* namespacedName)
{
    m_attributes.push_back({ std::move(name), std::move(value), nullptr, namespacedName });
}

void DOMElement::removeAttribute(std::u16string_view name)
{
    int index = findAttribute(adjustedAttributeName(name));
    if (index < 0)
        return;
    auto removed = std::move(m_attributes[index]);
    m_attributes.erase(index);
    if (removed.node)
        removed.node->detach(removed.value);
    attributeChanged(removed.name);
}

bool DOMElement::toggleAttribute(std::u16string_view name)
{
    if (hasAttribute(name)) {
        removeAttribute(name);
        return false;
    }
    setAttribute(name, u"");
    return true;
}

void DOMElement::attributeChanged(const std::u16string& name)
{
    if (auto* document = this->document()) {
        document->incrementAttributeVersion();
        document->connectedAttributeChanged(*this, name);
    }
    if (auto* style = m_attributes.existingStyle(); style && name == u"style")
        style->attributeChanged(attributeValue(u"style"));
}

std::shared_ptr<DOMAttr> DOMElement::attributeNodeAt(unsigned index)
{
    if (index >= m_attributes.size())
        return nullptr;
    auto& attribute = m_attributes[index];
    if (!attribute.node) {
        attribute.node = std::make_shared<DOMAttr>(documentHandle(), attribute.name, std::u16string(),
                                                   attribute.namespacedName);
        attribute.node->attach(this);
    }
    return attribute.node;
}

std::shared_ptr<DOMAttr> DOMElement::getAttributeNode(std::u16string_view name)
{
    int index = findAttribute(adjustedAttributeName(name));
    return index < 0 ? nullptr : attributeNodeAt(index);
}

std::shared_ptr<DOMNamedNodeMap> DOMElement::attributes()
{
    return std::make_shared<DOMNamedNodeMap>(downcast<DOMElement>(shared_from_this()));
}

std::shared_ptr<DOMElement> DOMElement::previousElementSibling() const
{
    for (auto* node = previous(); node; node = node->previous())
        if (node->isElementNode())
            return downcast<DOMElement>(node->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMElement> DOMElement::nextElementSibling() const
{
    for (auto* node = next(); node; node = node->next())
        if (node->isElementNode())
            return downcast<DOMElement>(node->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMElement> DOMElement::firstElementChild() const
{
    for (auto* node = first(); node; node = node->next())
        if (node->isElementNode())
            return downcast<DOMElement>(node->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMElement> DOMElement::lastElementChild() const
{
    for (auto* node = last(); node; node = node->previous())
        if (node->isElementNode())
            return downcast<DOMElement>(node->shared_from_this());
    return nullptr;
}

unsigned DOMElement::childElementCount() const
{
    unsigned count = 0;
    for (auto* node = first(); node; node = node->next())
        count += node->isElementNode();
    return count;
}

std::shared_ptr<DOMHTMLCollection> DOMElement::children()
{
    return std::make_shared<DOMHTMLCollection>(shared_from_this(), [](DOMNode& root, std::vector<DOMElement*>& into) {
        for (auto* node = root.first(); node; node = node->next())
            if (auto* element = toElement(node))
                into.push_back(element);
    });
}

std::shared_ptr<DOMHTMLCollection> DOMElement::getElementsByTagName(std::u16string_view name)
{
    return makeElementsByTagNameCollection(shared_from_this(), name);
}

std::u16string DOMElement::outerHTML() const
{
    std::u16string result;
    serializeNodeAsHTML(*this, result);
    return result;
}

std::shared_ptr<DOMDocumentFragment> DOMElement::content()
{
    if (!hasTagName(u"template"))
        return nullptr;
    auto& content = m_attributes.templateContent();
    if (!content) {
        auto* document = this->document();
        content = document ? document->templateContentsOwnerDocument().createDocumentFragment()
                           : std::make_shared<DOMDocumentFragment>(DOMDocumentHandlePtr());
    }
    return content;
}

std::shared_ptr<DOMCSSStyleDeclaration> DOMElement::style()
{
    auto& style = m_attributes.style();
    if (!style) {
        style = std::make_shared<DOMCSSStyleDeclaration>(this);
        style->attributeChanged(attributeValue(u"style"));
    }
    return style;
}

void DOMElement::styleDidChange(std::u16string cssText)
{
    int index = findAttribute(u"style");
    if (index >= 0)
        m_attributes[index].value = std::move(cssText);
    else
        m_attributes.push_back({ u"style", std::move(cssText), nullptr, nullptr });
    if (auto* document = this->document()) {
        document->incrementAttributeVersion();
        document->connectedAttributeChanged(*this, u"style");
    }
}

std::shared_ptr<DOMNode> DOMElement::cloneSelf(DOMDocument* document) const
{
    auto copy = std::make_shared<DOMElement>(document ? document->documentHandle() : documentHandle(), &qualifiedName());
    if (!m_attributes.empty())
        copy->m_attributes.reserve(m_attributes.size());
    for (auto& attribute : m_attributes)
        copy->m_attributes.push_back({ attribute.name, attribute.value, nullptr, attribute.namespacedName });
    return copy;
}

// MARK: - Tables

namespace {

DOMElement* firstChildWithTag(const DOMNode& parent, std::u16string_view tag)
{
    for (auto* node = parent.first(); node; node = node->next()) {
        if (auto* element = toElement(node); element && element->hasTagName(tag))
            return element;
    }
    return nullptr;
}

std::shared_ptr<DOMElement> protect(DOMElement* element)
{
    return element ? downcast<DOMElement>(element->shared_from_this()) : nullptr;
}

bool isTableSection(const DOMElement& element)
{
    return element.hasTagName(u"thead") || element.hasTagName(u"tbody") || element.hasTagName(u"tfoot");
}

void collectTableRows(DOMNode& table, std::vector<DOMElement*>& into)
{
    auto rowsOf = [&](DOMNode& section) {
        for (auto* node = section.first(); node; node = node->next())
            if (auto* element = toElement(node); element && element->hasTagName(u"tr"))
                into.push_back(element);
    };
    for (auto* node = table.first(); node; node = node->next())
        if (auto* element = toElement(node); element && element->hasTagName(u"thead"))
            rowsOf(*element);
    for (auto* node = table.first(); node; node = node->next()) {
        auto* element = toElement(node);
        if (!element)
            continue;
        if (element->hasTagName(u"tr"))
            into.push_back(element);
        else if (element->hasTagName(u"tbody"))
            rowsOf(*element);
    }
    for (auto* node = table.first(); node; node = node->next())
        if (auto* element = toElement(node); element && element->hasTagName(u"tfoot"))
            rowsOf(*element);
}

} // namespace

std::shared_ptr<DOMElement> DOMElement::caption() const
{
    return protect(firstChildWithTag(*this, u"caption"));
}

std::shared_ptr<DOMElement> DOMElement::tHead() const
{
    return protect(firstChildWithTag(*this, u"thead"));
}

std::shared_ptr<DOMElement> DOMElement::tFoot() const
{
    return protect(firstChildWithTag(*this, u"tfoot"));
}

std::shared_ptr<DOMHTMLCollection> DOMElement::tBodies()
{
    return std::make_shared<DOMHTMLCollection>(shared_from_this(), [](DOMNode& root, std::vector<DOMElement*>& into) {
        for (auto* node = root.first(); node; node = node->next())
            if (auto* element = toElement(node); element && element->hasTagName(u"tbody"))
                into.push_back(element);
    });
}

std::shared_ptr<DOMHTMLCollection> DOMElement::rows()
{
    bool table = hasTagName(u"table");
    return std::make_shared<DOMHTMLCollection>(shared_from_this(),
                                               [table](DOMNode& root, std::vector<DOMElement*>& into) {
        if (table) {
            collectTableRows(root, into);
            return;
        }
        for (auto* node = root.first(); node; node = node->next())
            if (auto* element = toElement(node); element && element->hasTagName(u"tr"))
                into.push_back(element);
    });
}

std::shared_ptr<DOMHTMLCollection> DOMElement::cells()
{
    return std::make_shared<DOMHTMLCollection>(shared_from_this(), [](DOMNode& root, std::vector<DOMElement*>& into) {
        for (auto* node = root.first(); node; node = node->next())
            if (auto* element = toElement(node); element && (element->hasTagName(u"td") || element->hasTagName(u"th")))
                into.push_back(element);
    });
}

std::shared_ptr<DOMElement> DOMElement::createCaption()
{
    if (auto existing = caption())
        return existing;
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto element = document->createElement(u"caption");
    insertChild(element, first());
    return element;
}

std::shared_ptr<DOMElement> DOMElement::createTHead()
{
    if (auto existing = tHead())
        return existing;
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto element = document->createElement(u"thead");
    // Before the first child that is neither a caption nor a colgroup.
    DOMNode* reference = first();
    while (reference) {
        auto* e = toElement(reference);
        if (!e || !(e->hasTagName(u"caption") || e->hasTagName(u"colgroup")))
            break;
        reference = reference->next();
    }
    insertChild(element, reference);
    return element;
}

std::shared_ptr<DOMElement> DOMElement::createTFoot()
{
    if (auto existing = tFoot())
        return existing;
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto element = document->createElement(u"tfoot");
    insertChild(element, nullptr);
    return element;
}

std::shared_ptr<DOMElement> DOMElement::createTBody()
{
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto element = document->createElement(u"tbody");
    DOMNode* reference = nullptr;
    for (auto* node = last(); node; node = node->previous()) {
        if (auto* e = toElement(node); e && e->hasTagName(u"tbody")) {
            reference = node->next();
            break;
        }
    }
    insertChild(element, reference);
    return element;
}

void DOMElement::deleteCaption()
{
    if (auto* element = firstChildWithTag(*this, u"caption"))
        removeChildInternal(element);
}

void DOMElement::deleteTHead()
{
    if (auto* element = firstChildWithTag(*this, u"thead"))
        removeChildInternal(element);
}

void DOMElement::deleteTFoot()
{
    if (auto* element = firstChildWithTag(*this, u"tfoot"))
        removeChildInternal(element);
}

std::shared_ptr<DOMElement> DOMElement::insertRow(int index, Error* outError)
{
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto rows = this->rows();
    int count = static_cast<int>(rows->length());
    if (index < -1 || index > count) {
        setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The row index is out of range.");
        return nullptr;
    }
    auto row = document->createElement(u"tr");
    if (!hasTagName(u"table")) {
        insertChild(row, index == -1 || index == count ? nullptr : rows->item(index).get());
        return row;
    }
    if (index == -1 || index == count) {
        if (count == 0) {
            DOMElement* lastBody = nullptr;
            for (auto* node = last(); node && !lastBody; node = node->previous())
                if (auto* e = toElement(node); e && e->hasTagName(u"tbody"))
                    lastBody = e;
            if (lastBody)
                lastBody->insertChild(row, nullptr);
            else {
                auto body = createTBody();
                body->insertChild(row, nullptr);
            }
        } else {
            auto lastRow = rows->item(count - 1);
            lastRow->parent()->insertChild(row, nullptr);
        }
    } else {
        auto reference = rows->item(index);
        reference->parent()->insertChild(row, reference.get());
    }
    return row;
}

bool DOMElement::deleteRow(int index, Error* outError)
{
    auto rows = this->rows();
    int count = static_cast<int>(rows->length());
    if (index == -1)
        index = count - 1;
    if (index == -1 && count == 0)
        return true;
    if (index < 0 || index >= count)
        return setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The row index is out of range.");
    rows->item(index)->remove();
    return true;
}

std::shared_ptr<DOMElement> DOMElement::insertCell(int index, Error* outError)
{
    auto* document = this->document();
    if (!document)
        return nullptr;
    auto cells = this->cells();
    int count = static_cast<int>(cells->length());
    if (index < -1 || index > count) {
        setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The cell index is out of range.");
        return nullptr;
    }
    auto cell = document->createElement(u"td");
    insertChild(cell, index == -1 || index == count ? nullptr : cells->item(index).get());
    return cell;
}

bool DOMElement::deleteCell(int index, Error* outError)
{
    auto cells = this->cells();
    int count = static_cast<int>(cells->length());
    if (index == -1) {
        if (count == 0)
            return true;
        index = count - 1;
    }
    if (index < 0 || index >= count)
        return setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The cell index is out of range.");
    cells->item(index)->remove();
    return true;
}

int DOMElement::rowIndex() const
{
    auto* parent = toElement(this->parent());
    if (!parent)
        return -1;
    DOMElement* table = parent->hasTagName(u"table") ? parent : nullptr;
    if (!table && isTableSection(*parent))
        table = toElement(parent->parent());
    if (!table || !table->hasTagName(u"table"))
        return -1;
    std::vector<DOMElement*> rows;
    collectTableRows(*table, rows);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == this)
            return static_cast<int>(i);
    return -1;
}

int DOMElement::sectionRowIndex() const
{
    auto* parent = toElement(this->parent());
    if (!parent)
        return -1;
    int index = 0;
    for (auto* node = parent->first(); node; node = node->next()) {
        if (node == this)
            return index;
        if (auto* e = toElement(node); e && e->hasTagName(u"tr"))
            ++index;
    }
    return -1;
}

int DOMElement::cellIndex() const
{
    auto* parent = toElement(this->parent());
    if (!parent || !parent->hasTagName(u"tr"))
        return -1;
    int index = 0;
    for (auto* node = parent->first(); node; node = node->next()) {
        if (node == this)
            return index;
        if (auto* e = toElement(node); e && (e->hasTagName(u"td") || e->hasTagName(u"th")))
            ++index;
    }
    return -1;
}

} // namespace brevanton
