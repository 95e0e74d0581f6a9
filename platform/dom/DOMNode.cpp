#include "platform/dom/DOMNode.h"

#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNodeArena.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <unordered_map>
#include <vector>

namespace brevanton {

namespace {

// Nodes whose last owner let go are destroyed from this list rather than by
// recursion, so that neither long sibling chains nor deep trees exhaust the stack.
thread_local std::vector<std::shared_ptr<DOMNode>>* pendingDestruction = nullptr;

} // namespace

uint32_t DOMNodeSlot::newOwner()
{
    // Owners live on any thread: layouts and resolvers of documents of several threads.
    static std::atomic<uint32_t> lastOwner { 0 };
    uint32_t owner = ++lastOwner;
    return owner ? owner : ++lastOwner;
}

void DOMContainerNode::destroyChildren()
{
    std::vector<std::shared_ptr<DOMNode>> local;
    std::vector<std::shared_ptr<DOMNode>> siblingsAfter;
    bool drains = !pendingDestruction;
    // The slabs of the nodes dying here give their pages back together.
    std::optional<DOMNodeArena::ReleaseBatch> batch;
    if (drains)
        batch.emplace();
    if (drains)
        pendingDestruction = &local;
    auto child = std::move(m_firstChild);
    m_lastChild = nullptr;
    m_childCount = 0;
    // Children that live on, or wait in the list, become roots of this
    // node's document; those dying here need no handle.
    auto* handle = rootHandle();
    while (child) {
        auto next = std::move(child->m_nextSibling);
        child->m_parentOrHandle = 0;
        noteLinkChange();
        bool dies = child.use_count() == 1;
        if (!dies)
            child->becomeRoot(handle);
        child->m_previousSibling = nullptr;
        if (auto* element = toElement(child.get()); element && element->templateContent() && dies) {
            // Its contents go with it: it waits in the list, so that templates
            // nested in one another's contents die one after the other.
            child->becomeRoot(handle);
            pendingDestruction->push_back(std::move(child));
        } else if (child->first()) {
            auto* container = static_cast<DOMContainerNode*>(child.get());
            if (drains && dies) {
                // It dies here, a leaf: its children go next, its siblings
                // after them. The siblings wait on a stack no deeper than the
                // tree, which stays small where the list of whole subtrees
                // would grow with the page (and its large blocks, freed,
                // would have malloc merge every small block freed before
                // them); the last child, far ahead, is not touched early.
                if (next)
                    siblingsAfter.push_back(std::move(next));
                container->m_lastChild = nullptr;
                container->m_childCount = 0;
                next = std::move(container->m_firstChild);
                child.reset();
            } else {
                // Subtrees of nodes that die inside another's destruction wait in its list.
                if (dies)
                    child->becomeRoot(handle);
                pendingDestruction->push_back(std::move(child));
            }
        } else
            child.reset();
        child = std::move(next);
        if (!child && !siblingsAfter.empty()) {
            child = std::move(siblingsAfter.back());
            siblingsAfter.pop_back();
        }
    }
    if (drains) {
        while (!local.empty()) {
            auto node = std::move(local.back());
            local.pop_back();
            node.reset();
        }
        pendingDestruction = nullptr;
    }
}

std::u16string DOMNode::nodeName() const
{
    switch (m_nodeType) {
    case ELEMENT_NODE:
        return downcast<DOMElement>(this)->tagName();
    case ATTRIBUTE_NODE:
        return downcast<DOMAttr>(this)->name();
    case TEXT_NODE:
        return u"#text";
    case CDATA_SECTION_NODE:
        return u"#cdata-section";
    case PROCESSING_INSTRUCTION_NODE:
        return downcast<DOMProcessingInstruction>(this)->target();
    case COMMENT_NODE:
        return u"#comment";
    case DOCUMENT_NODE:
        return u"#document";
    case DOCUMENT_TYPE_NODE:
        return downcast<DOMDocumentType>(this)->name();
    case DOCUMENT_FRAGMENT_NODE:
        return u"#document-fragment";
    }
    return {};
}

std::u16string DOMNode::nodeValue() const
{
    if (isCharacterDataNode())
        return downcast<DOMCharacterData>(this)->data();
    if (m_nodeType == ATTRIBUTE_NODE)
        return downcast<DOMAttr>(this)->value();
    return {};
}

void DOMNode::setNodeValue(const std::u16string& value)
{
    if (isCharacterDataNode())
        downcast<DOMCharacterData>(this)->setData(value);
    else if (m_nodeType == ATTRIBUTE_NODE)
        downcast<DOMAttr>(this)->setValue(value);
}

std::shared_ptr<DOMElement> DOMNode::parentElement() const
{
    return parent() && parent()->isElementNode() ? downcast<DOMElement>(parent()->shared_from_this())
                                                 : nullptr;
}

std::shared_ptr<DOMNodeList> DOMNode::childNodes()
{
    return std::make_shared<DOMNodeList>(shared_from_this());
}

std::shared_ptr<DOMDocument> DOMNode::ownerDocument() const
{
    if (isDocumentNode())
        return nullptr;
    auto* document = this->document();
    return document ? document->protectedThis() : nullptr;
}

DOMNode* DOMNode::traverseNext(const DOMNode* stayWithin) const
{
    if (first())
        return first();
    return traverseNextSkippingChildren(stayWithin);
}

DOMNode* DOMNode::traverseNextSkippingChildren(const DOMNode* stayWithin) const
{
    for (auto* node = this; node && node != stayWithin; node = node->parent()) {
        if (node->m_nextSibling)
            return node->m_nextSibling.get();
    }
    return nullptr;
}

DOMNode* DOMNode::traversePrevious() const
{
    if (!m_previousSibling)
        return parent();
    auto* node = m_previousSibling;
    while (node->last())
        node = node->last();
    return node;
}

unsigned DOMNode::length() const
{
    if (isCharacterDataNode())
        return downcast<DOMCharacterData>(this)->length();
    if (m_nodeType == DOCUMENT_TYPE_NODE || m_nodeType == ATTRIBUTE_NODE)
        return 0;
    return childCount();
}

unsigned DOMNode::childCount() const
{
    return isContainerNode() ? downcast<DOMContainerNode>(this)->m_childCount : 0;
}

unsigned DOMNode::index() const
{
    unsigned index = 0;
    for (auto* node = m_previousSibling; node; node = node->m_previousSibling)
        ++index;
    return index;
}

DOMNode* DOMNode::childAt(unsigned index) const
{
    auto* child = first();
    while (child && index--)
        child = child->m_nextSibling.get();
    return child;
}

DOMNode* DOMNode::root() const
{
    const DOMNode* node = shallowRootOrDeepNode();
    if (node->parent())
        node = deepRoot(node);
    return const_cast<DOMNode*>(node);
}

const DOMNode* DOMNode::deepRoot(const DOMNode* start)
{
    struct Known {
        uint64_t generation { ~0ull };
        std::unordered_map<const DOMNode*, const DOMNode*> roots;
        std::vector<const DOMNode*> walked;
    };
    thread_local Known known;
    if (known.generation != s_linkGeneration) {
        // What the last generation learnt goes at once, its table with it.
        if (!known.roots.empty())
            known.roots = {};
        known.generation = s_linkGeneration;
    }
    const DOMNode* node = start;
    const DOMNode* root = nullptr;
    known.walked.clear();
    while (!root) {
        if (auto found = known.roots.find(node); found != known.roots.end())
            root = found->second;
        else if (auto* up = node->parent()) {
            known.walked.push_back(node);
            node = up;
        } else
            root = node;
    }
    for (auto* passed : known.walked)
        known.roots.emplace(passed, root);
    return root;
}

bool DOMNode::isConnected() const
{
    return root()->isDocumentNode();
}

bool DOMNode::isInclusiveAncestorOf(const DOMNode* other) const
{
    for (; other; other = other->parent()) {
        if (other == this)
            return true;
    }
    return false;
}

bool DOMNode::isEqualNode(const DOMNode* other) const
{
    if (!other)
        return false;
    // Both trees in step, without recursion: pages nest deeper than the stack allows.
    const DOMNode* a = this;
    const DOMNode* b = other;
    for (;;) {
        if (!a->isEqualNodeAlone(*b))
            return false;
        if (a->first() || b->first()) {
            if (!a->first() || !b->first())
                return false;
            a = a->first();
            b = b->first();
            continue;
        }
        for (;;) {
            if (a == this)
                return true;
            if (a->next() || b->next())
                break;
            a = a->parent();
            b = b->parent();
        }
        if (!a->next() || !b->next())
            return false;
        a = a->next();
        b = b->next();
    }
}

bool DOMNode::isEqualNodeAlone(const DOMNode& node) const
{
    const DOMNode* other = &node;
    if (other->m_nodeType != m_nodeType)
        return false;
    switch (m_nodeType) {
    case ELEMENT_NODE: {
        auto* a = downcast<DOMElement>(this);
        auto* b = downcast<DOMElement>(other);
        if (&a->qualifiedName() != &b->qualifiedName() || a->attributeCount() != b->attributeCount())
            return false;
        for (auto& attribute : a->attributeList()) {
            auto* match = std::find_if(b->attributeList().begin(), b->attributeList().end(), [&](auto& candidate) {
                return candidate.namespaceURI() == attribute.namespaceURI()
                    && candidate.localName() == attribute.localName();
            });
            if (match == b->attributeList().end() || match->value != attribute.value)
                return false;
        }
        break;
    }
    case ATTRIBUTE_NODE:
        if (downcast<DOMAttr>(this)->namespaceURI() != downcast<DOMAttr>(other)->namespaceURI()
            || downcast<DOMAttr>(this)->localName() != downcast<DOMAttr>(other)->localName()
            || nodeValue() != other->nodeValue())
            return false;
        break;
    case PROCESSING_INSTRUCTION_NODE:
        if (downcast<DOMProcessingInstruction>(this)->target()
            != downcast<DOMProcessingInstruction>(other)->target())
            return false;
        [[fallthrough]];
    case TEXT_NODE:
    case CDATA_SECTION_NODE:
    case COMMENT_NODE:
        if (downcast<DOMCharacterData>(this)->data() != downcast<DOMCharacterData>(other)->data())
            return false;
        break;
    case DOCUMENT_TYPE_NODE: {
        auto* a = downcast<DOMDocumentType>(this);
        auto* b = downcast<DOMDocumentType>(other);
        if (a->name() != b->name() || a->publicId() != b->publicId() || a->systemId() != b->systemId())
            return false;
        break;
    }
    default:
        break;
    }
    return true;
}

int DOMNode::compareTreeOrder(const DOMNode* a, const DOMNode* b)
{
    if (a == b)
        return 0;
    // Collect both ancestor chains, root first.
    std::vector<const DOMNode*> chainA, chainB;
    for (auto* node = a; node; node = node->parent())
        chainA.push_back(node);
    for (auto* node = b; node; node = node->parent())
        chainB.push_back(node);
    if (chainA.back() != chainB.back())
        return 0;
    size_t i = chainA.size(), j = chainB.size();
    while (i > 0 && j > 0 && chainA[i - 1] == chainB[j - 1]) {
        --i;
        --j;
    }
    if (i == 0)
        return -1; // a is an ancestor of b
    if (j == 0)
        return 1;
    // chainA[i-1] and chainB[j-1] are siblings.
    auto* siblingA = chainA[i - 1];
    auto* siblingB = chainB[j - 1];
    for (auto* node = siblingA->m_nextSibling.get(); node; node = node->m_nextSibling.get()) {
        if (node == siblingB)
            return -1;
    }
    return 1;
}

uint16_t DOMNode::compareDocumentPosition(const DOMNode* other) const
{
    if (!other || other == this)
        return 0;
    const DOMNode* node1 = other;
    const DOMNode* node2 = this;
    const DOMElement* attr1Owner = nullptr;
    const DOMElement* attr2Owner = nullptr;
    if (node1->m_nodeType == ATTRIBUTE_NODE) {
        attr1Owner = downcast<DOMAttr>(node1)->ownerElementPointer();
        node1 = attr1Owner;
    }
    if (node2->m_nodeType == ATTRIBUTE_NODE) {
        attr2Owner = downcast<DOMAttr>(node2)->ownerElementPointer();
        if (attr1Owner && attr2Owner == attr1Owner) {
            for (auto& attribute : attr2Owner->attributeList()) {
                if (attribute.node.get() == other)
                    return DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC | DOCUMENT_POSITION_PRECEDING;
                if (attribute.node.get() == this)
                    return DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC | DOCUMENT_POSITION_FOLLOWING;
            }
        }
        node2 = attr2Owner;
    }
    if (!node1 || !node2 || node1->root() != node2->root())
        return DOCUMENT_POSITION_DISCONNECTED | DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC
            | (node1 < node2 ? DOCUMENT_POSITION_PRECEDING : DOCUMENT_POSITION_FOLLOWING);
    if ((node1->isInclusiveAncestorOf(node2) && !attr1Owner) || (node1 == node2 && attr2Owner))
        return DOCUMENT_POSITION_CONTAINS | DOCUMENT_POSITION_PRECEDING;
    if ((node2->isInclusiveAncestorOf(node1) && !attr2Owner) || (node1 == node2 && attr1Owner))
        return DOCUMENT_POSITION_CONTAINED_BY | DOCUMENT_POSITION_FOLLOWING;
    return compareTreeOrder(node1, node2) < 0 ? DOCUMENT_POSITION_PRECEDING : DOCUMENT_POSITION_FOLLOWING;
}

std::u16string DOMNode::textContent() const
{
    if (isCharacterDataNode())
        return downcast<DOMCharacterData>(this)->data();
    if (m_nodeType == ATTRIBUTE_NODE)
        return downcast<DOMAttr>(this)->value();
    if (m_nodeType != ELEMENT_NODE && m_nodeType != DOCUMENT_FRAGMENT_NODE)
        return {};
    std::u16string text;
    for (auto* node = first(); node; node = node->traverseNext(this)) {
        if (node->isTextNode())
            text += downcast<DOMCharacterData>(node)->data();
    }
    return text;
}

void DOMNode::setTextContent(const std::u16string& text)
{
    if (isCharacterDataNode() || m_nodeType == ATTRIBUTE_NODE) {
        setNodeValue(text);
        return;
    }
    if (m_nodeType != ELEMENT_NODE && m_nodeType != DOCUMENT_FRAGMENT_NODE)
        return;
    // Replace all: remove every child, then insert the text node, if any.
    removeAllChildren();
    if (!text.empty()) {
        if (auto* document = this->document())
            insertChild(document->createTextNode(text), nullptr);
    }
}

// MARK: - Mutation

bool DOMNode::ensurePreInsertionValidity(const DOMNode& node, const DOMNode* child, Error* outError) const
{
    if (!isContainerNode())
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The parent cannot have children.");
    // Only a node with children can be a proper ancestor.
    if (&node == this || (node.first() && node.isInclusiveAncestorOf(this)))
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError,
                           u"The node is an ancestor of the parent.");
    if (child && child->parent() != this)
        return setDOMError(outError, DOMExceptionCode::NotFoundError, u"The reference node is not a child of the parent.");
    auto type = node.m_nodeType;
    if (type == ATTRIBUTE_NODE || type == DOCUMENT_NODE)
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The node cannot be inserted.");
    if ((node.isTextNode() && isDocumentNode()) || (type == DOCUMENT_TYPE_NODE && !isDocumentNode()))
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError,
                           u"The node cannot be inserted into this parent.");
    if (!isDocumentNode())
        return true;

    auto hasElementChild = [this] {
        for (auto* c = first(); c; c = c->m_nextSibling.get())
            if (c->isElementNode())
                return true;
        return false;
    };
    auto doctypeFollows = [](const DOMNode* from) {
        for (auto* c = from; c; c = c->m_nextSibling.get())
            if (c->m_nodeType == DOCUMENT_TYPE_NODE)
                return true;
        return false;
    };
    auto fail = [outError] {
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError,
                           u"A document holds at most one element and one doctype, the doctype first.");
    };
    if (type == DOCUMENT_FRAGMENT_NODE) {
        unsigned elements = 0;
        for (auto* c = node.first(); c; c = c->m_nextSibling.get()) {
            if (c->isElementNode())
                ++elements;
            else if (c->isTextNode())
                return fail();
        }
        if (elements > 1)
            return fail();
        if (elements == 1
            && (hasElementChild() || (child && child->m_nodeType == DOCUMENT_TYPE_NODE) || (child && doctypeFollows(child))))
            return fail();
    } else if (type == ELEMENT_NODE) {
        if (hasElementChild() || (child && child->m_nodeType == DOCUMENT_TYPE_NODE) || (child && doctypeFollows(child)))
            return fail();
    } else if (type == DOCUMENT_TYPE_NODE) {
        for (auto* c = first(); c; c = c->m_nextSibling.get())
            if (c->m_nodeType == DOCUMENT_TYPE_NODE)
                return fail();
        if (child) {
            for (auto* c = child->m_previousSibling; c; c = c->m_previousSibling)
                if (c->isElementNode())
                    return fail();
        } else if (hasElementChild())
            return fail();
    }
    return true;
}

void DOMNode::linkChild(std::shared_ptr<DOMNode> node, DOMNode* before)
{
    auto& m_firstChild = downcast<DOMContainerNode>(this)->m_firstChild;
    auto* raw = node.get();
    if (auto* document = this->document())
        document->connectedChildListWillChange(*this, raw, nullptr);
    if (!before)
        appendParsedChild(std::move(node));
    else {
        raw->setParentDroppingHandle(this);
        raw->m_previousSibling = before->m_previousSibling;
        if (before->m_previousSibling) {
            raw->m_nextSibling = std::move(before->m_previousSibling->m_nextSibling);
            before->m_previousSibling->m_nextSibling = std::move(node);
        } else {
            raw->m_nextSibling = std::move(m_firstChild);
            m_firstChild = std::move(node);
        }
        before->m_previousSibling = raw;
        ++downcast<DOMContainerNode>(this)->m_childCount;
    }
    if (auto* document = this->document())
        document->incrementDOMTreeVersion();
}

void DOMNode::appendParsedChild(std::shared_ptr<DOMNode> node)
{
    auto& m_firstChild = downcast<DOMContainerNode>(this)->m_firstChild;
    auto& m_lastChild = downcast<DOMContainerNode>(this)->m_lastChild;
    auto* raw = node.get();
    raw->setParentDroppingHandle(this);
    raw->m_previousSibling = m_lastChild;
    if (m_lastChild)
        m_lastChild->m_nextSibling = std::move(node);
    else
        m_firstChild = std::move(node);
    m_lastChild = raw;
    ++downcast<DOMContainerNode>(this)->m_childCount;
}

void DOMNode::insertChild(const std::shared_ptr<DOMNode>& node, DOMNode* child)
{
    std::vector<std::shared_ptr<DOMNode>> fragmentChildren;
    unsigned count = 1;
    if (node->isDocumentFragmentNode()) {
        for (auto* c = node->first(); c; c = c->m_nextSibling.get())
            fragmentChildren.push_back(c->shared_from_this());
        count = static_cast<unsigned>(fragmentChildren.size());
        if (!count)
            return;
        for (auto& c : fragmentChildren)
            node->removeChildInternal(c.get());
    }
    auto* document = this->document();
    if (child && document && !document->ranges().empty()) {
        unsigned childIndex = child->index();
        for (auto* range : document->ranges()) {
            if (range->startNode() == this && range->startOffset() > childIndex)
                range->setStartOffsetRaw(range->startOffset() + count);
            if (range->endNode() == this && range->endOffset() > childIndex)
                range->setEndOffsetRaw(range->endOffset() + count);
        }
    }
    auto insertOne = [&](const std::shared_ptr<DOMNode>& inserted) {
        // Adopt: leave the old parent, then join this document.
        if (inserted->parent())
            inserted->parent()->removeChildInternal(inserted.get());
        if (inserted->rootHandle() != rootHandle())
            inserted->setDocumentHandleForSubtree(documentHandle());
        linkChild(inserted, child);
    };
    if (fragmentChildren.empty())
        insertOne(node);
    else {
        for (auto& c : fragmentChildren)
            insertOne(c);
    }
}

void DOMNode::removeChildInternal(DOMNode* child)
{
    auto* document = this->document();
    if (document && !document->ranges().empty()) {
        unsigned childIndex = ~0u;
        auto index = [&] {
            if (childIndex == ~0u)
                childIndex = child->index();
            return childIndex;
        };
        bool hasChildren = child->first() != nullptr;
        auto insideRemoved = [&](DOMNode* container) {
            if (container == child)
                return true;
            return hasChildren && container != this && child->isInclusiveAncestorOf(container);
        };
        for (auto* range : document->ranges()) {
            if (insideRemoved(range->startNode()))
                range->setStartRaw(this, index());
            else if (range->startNode() == this && range->startOffset() > index())
                range->setStartOffsetRaw(range->startOffset() - 1);
            if (insideRemoved(range->endNode()))
                range->setEndRaw(this, index());
            else if (range->endNode() == this && range->endOffset() > index())
                range->setEndOffsetRaw(range->endOffset() - 1);
        }
    }

    if (document)
        document->connectedChildListWillChange(*this, nullptr, child);
    // Unlink, keeping the child alive until its links are cleared.
    auto& m_firstChild = downcast<DOMContainerNode>(this)->m_firstChild;
    auto& m_lastChild = downcast<DOMContainerNode>(this)->m_lastChild;
    std::shared_ptr<DOMNode> protectedChild;
    auto* previous = child->m_previousSibling;
    if (previous) {
        protectedChild = std::move(previous->m_nextSibling);
        previous->m_nextSibling = std::move(child->m_nextSibling);
    } else {
        protectedChild = std::move(m_firstChild);
        m_firstChild = std::move(child->m_nextSibling);
    }
    if (auto* next = previous ? previous->m_nextSibling.get() : m_firstChild.get())
        next->m_previousSibling = previous;
    else
        m_lastChild = previous;
    --downcast<DOMContainerNode>(this)->m_childCount;
    auto* handle = rootHandle();
    child->m_parentOrHandle = 0;
    child->becomeRoot(handle);
    child->m_previousSibling = nullptr;
    if (document)
        document->incrementDOMTreeVersion();
}

std::shared_ptr<DOMNode> DOMNode::appendChild(const std::shared_ptr<DOMNode>& node, Error* outError)
{
    return insertBefore(node, nullptr, outError);
}

std::shared_ptr<DOMNode> DOMNode::insertBefore(const std::shared_ptr<DOMNode>& node, DOMNode* child, Error* outError)
{
    if (!node) {
        setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"No node to insert.");
        return nullptr;
    }
    if (!ensurePreInsertionValidity(*node, child, outError))
        return nullptr;
    if (child == node.get())
        child = node->m_nextSibling.get();
    insertChild(node, child);
    return node;
}

std::shared_ptr<DOMNode> DOMNode::removeChild(DOMNode* child, Error* outError)
{
    if (!child || child->parent() != this) {
        setDOMError(outError, DOMExceptionCode::NotFoundError, u"The node to remove is not a child of this node.");
        return nullptr;
    }
    auto protectedChild = child->shared_from_this();
    removeChildInternal(child);
    return protectedChild;
}

std::shared_ptr<DOMNode> DOMNode::replaceChild(const std::shared_ptr<DOMNode>& node, DOMNode* child, Error* outError)
{
    if (!node || !child) {
        setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"No node to replace with.");
        return nullptr;
    }
    if (!isContainerNode()) {
        setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The parent cannot have children.");
        return nullptr;
    }
    if (node.get() == this || (node->first() && node->isInclusiveAncestorOf(this))) {
        setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The node is an ancestor of the parent.");
        return nullptr;
    }
    if (child->parent() != this) {
        setDOMError(outError, DOMExceptionCode::NotFoundError, u"The node to replace is not a child of this node.");
        return nullptr;
    }
    auto type = node->m_nodeType;
    if (type == ATTRIBUTE_NODE || type == DOCUMENT_NODE || (node->isTextNode() && isDocumentNode())
        || (type == DOCUMENT_TYPE_NODE && !isDocumentNode())) {
        setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The node cannot be inserted here.");
        return nullptr;
    }
    if (isDocumentNode()) {
        auto fail = [outError] {
            setDOMError(outError, DOMExceptionCode::HierarchyRequestError,
                        u"A document holds at most one element and one doctype, the doctype first.");
            return nullptr;
        };
        auto elementChildOtherThanChild = [&] {
            for (auto* c = first(); c; c = c->m_nextSibling.get())
                if (c->isElementNode() && c != child)
                    return true;
            return false;
        };
        auto doctypeFollowsChild = [&] {
            for (auto* c = child->m_nextSibling.get(); c; c = c->m_nextSibling.get())
                if (c->m_nodeType == DOCUMENT_TYPE_NODE)
                    return true;
            return false;
        };
        if (type == DOCUMENT_FRAGMENT_NODE) {
            unsigned elements = 0;
            for (auto* c = node->first(); c; c = c->m_nextSibling.get()) {
                if (c->isElementNode())
                    ++elements;
                else if (c->isTextNode())
                    return fail();
            }
            if (elements > 1 || (elements == 1 && (elementChildOtherThanChild() || doctypeFollowsChild())))
                return fail();
        } else if (type == ELEMENT_NODE) {
            if (elementChildOtherThanChild() || doctypeFollowsChild())
                return fail();
        } else if (type == DOCUMENT_TYPE_NODE) {
            for (auto* c = first(); c; c = c->m_nextSibling.get())
                if (c->m_nodeType == DOCUMENT_TYPE_NODE && c != child)
                    return fail();
            for (auto* c = child->m_previousSibling; c; c = c->m_previousSibling)
                if (c->isElementNode())
                    return fail();
        }
    }
    auto protectedChild = child->shared_from_this();
    DOMNode* reference = child->m_nextSibling.get();
    if (reference == node.get())
        reference = node->m_nextSibling.get();
    removeChildInternal(child);
    insertChild(node, reference);
    return protectedChild;
}

void DOMNode::remove()
{
    if (parent())
        parent()->removeChildInternal(this);
}

void DOMNode::removeAllChildren()
{
    while (first())
        removeChildInternal(first());
}

void DOMNode::normalize()
{
    auto* document = this->document();
    auto* node = first();
    while (node) {
        if (node->m_nodeType != TEXT_NODE) {
            node = node->traverseNext(this);
            continue;
        }
        auto* text = downcast<DOMText>(node);
        unsigned length = text->length();
        if (!length) {
            auto* next = node->traverseNextSkippingChildren(this);
            node->parent()->removeChildInternal(node);
            node = next;
            continue;
        }
        std::u16string data;
        for (auto* c = node->m_nextSibling.get(); c && c->m_nodeType == TEXT_NODE; c = c->m_nextSibling.get())
            data += downcast<DOMText>(c)->data();
        if (!data.empty())
            text->replaceData(length, 0, data);
        auto* current = node->m_nextSibling.get();
        while (current && current->m_nodeType == TEXT_NODE) {
            if (document && !document->ranges().empty()) {
                unsigned currentIndex = current->index();
                for (auto* range : document->ranges()) {
                    if (range->startNode() == current)
                        range->setStartRaw(node, range->startOffset() + length);
                    else if (range->startNode() == current->parent() && range->startOffset() == currentIndex)
                        range->setStartRaw(node, length);
                    if (range->endNode() == current)
                        range->setEndRaw(node, range->endOffset() + length);
                    else if (range->endNode() == current->parent() && range->endOffset() == currentIndex)
                        range->setEndRaw(node, length);
                }
            }
            length += downcast<DOMText>(current)->length();
            current = current->m_nextSibling.get();
        }
        while (node->m_nextSibling && node->m_nextSibling->m_nodeType == TEXT_NODE)
            node->parent()->removeChildInternal(node->m_nextSibling.get());
        node = node->traverseNext(this);
    }
}

std::shared_ptr<DOMNode> DOMNode::cloneSelf(DOMDocument* document) const
{
    switch (m_nodeType) {
    case ELEMENT_NODE:
        return downcast<DOMElement>(this)->cloneSelf(document);
    case ATTRIBUTE_NODE:
        return downcast<DOMAttr>(this)->cloneSelf(document);
    case TEXT_NODE:
        return downcast<DOMText>(this)->cloneSelf(document);
    case CDATA_SECTION_NODE:
        return downcast<DOMCDATASection>(this)->cloneSelf(document);
    case PROCESSING_INSTRUCTION_NODE:
        return downcast<DOMProcessingInstruction>(this)->cloneSelf(document);
    case COMMENT_NODE:
        return downcast<DOMComment>(this)->cloneSelf(document);
    case DOCUMENT_NODE:
        return downcast<DOMDocument>(this)->cloneSelf(document);
    case DOCUMENT_TYPE_NODE:
        return downcast<DOMDocumentType>(this)->cloneSelf(document);
    case DOCUMENT_FRAGMENT_NODE:
        return downcast<DOMDocumentFragment>(this)->cloneSelf(document);
    }
    return nullptr;
}

std::shared_ptr<DOMNode> DOMNode::cloneNode(bool deep) const
{
    return cloneNodeInto(document(), deep);
}

std::shared_ptr<DOMNode> DOMNode::cloneNodeInto(DOMDocument* document, bool deep) const
{
    auto copy = cloneSelf(document);
    if (!copy || !deep)
        return copy;
    // A template's contents are copied into the copy's own contents.
    auto copyTemplateContent = [](const DOMNode& source, DOMNode& copy) {
        auto* content = toElement(&source) ? downcast<DOMElement>(source).templateContent() : nullptr;
        if (!content || !content->first())
            return;
        auto copyContent = downcast<DOMElement>(copy).content();
        auto* contentDocument = copyContent->document();
        for (auto* c = content->first(); c; c = c->m_nextSibling.get())
            copyContent->linkChild(c->cloneNodeInto(contentDocument, true), nullptr);
    };
    copyTemplateContent(*this, *copy);
    auto* childDocument = copy->isDocumentNode() ? downcast<DOMDocument>(copy.get()) : document;
    // Iterative deep copy: (source, copy parent) pairs.
    std::vector<std::pair<const DOMNode*, DOMNode*>> stack;
    for (auto* c = last(); c; c = c->m_previousSibling)
        stack.emplace_back(c, copy.get());
    while (!stack.empty()) {
        auto [source, parent] = stack.back();
        stack.pop_back();
        auto childCopy = source->cloneSelf(childDocument);
        auto* raw = childCopy.get();
        parent->linkChild(std::move(childCopy), nullptr);
        copyTemplateContent(*source, *raw);
        for (auto* c = source->last(); c; c = c->m_previousSibling)
            stack.emplace_back(c, raw);
    }
    return copy;
}

void DOMNode::setDocumentHandleForSubtree(const DOMDocumentHandlePtr& handle)
{
    auto* oldDocument = document();
    auto* newDocument = handle ? handle->document : nullptr;
    if (oldDocument && oldDocument != newDocument && !oldDocument->ranges().empty()) {
        // Ranges inside an adopted tree follow it, so that the new
        // document's mutations keep updating them.
        std::vector<DOMRange*> moving;
        for (auto* range : oldDocument->ranges()) {
            if (isInclusiveAncestorOf(range->startNode()) || isInclusiveAncestorOf(range->endNode()))
                moving.push_back(range);
        }
        for (auto* range : moving)
            range->moveToDocument(newDocument);
    }
    // Only roots and attribute nodes hold the handle; the rest find it through their root.
    if (!parent()) {
        releaseHandle();
        becomeRoot(handle.get());
    }
    for (auto* node = this; node; node = node->traverseNext(this)) {
        if (auto* element = toElement(node)) {
            for (auto& attribute : element->attributeList()) {
                if (attribute.node) {
                    attribute.node->releaseHandle();
                    attribute.node->becomeRoot(handle.get());
                }
            }
            // Template contents move to the new document's template contents owner.
            if (auto* content = element->templateContent(); content && newDocument
                && content->document() != &newDocument->templateContentsOwnerDocument())
                content->setDocumentHandleForSubtree(newDocument->templateContentsOwnerDocument().documentHandle());
        }
    }
}

std::u16string DOMNode::innerHTML() const
{
    std::u16string result;
    serializeChildrenAsHTML(*this, result);
    return result;
}

} // namespace brevanton
