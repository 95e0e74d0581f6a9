#include "platform/dom/DOMRange.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <vector>

namespace brevanton {

namespace {

bool isCharacterData(const DOMNode* node)
{
    return node && node->isCharacterDataNode();
}

} // namespace

std::shared_ptr<DOMRange> DOMRange::create(DOMDocument& document)
{
    return std::make_shared<DOMRange>(document);
}

DOMRange::DOMRange(DOMDocument& document)
    : m_startContainer(document.shared_from_this())
    , m_endContainer(m_startContainer)
{
    registerWith(&document);
}

DOMRange::~DOMRange()
{
    if (m_document)
        m_document->unregisterRange(this);
}

void DOMRange::registerWith(DOMDocument* document)
{
    if (document == m_document)
        return;
    if (m_document)
        m_document->unregisterRange(this);
    m_document = document;
    if (m_document)
        m_document->registerRange(this);
}

void DOMRange::setStartRaw(DOMNode* node, unsigned offset)
{
    if (m_startContainer.get() != node)
        m_startContainer = node->shared_from_this();
    m_startOffset = offset;
}

void DOMRange::setEndRaw(DOMNode* node, unsigned offset)
{
    if (m_endContainer.get() != node)
        m_endContainer = node->shared_from_this();
    m_endOffset = offset;
}

int DOMRange::compareBoundaryPointPositions(const DOMNode* nodeA, unsigned offsetA, const DOMNode* nodeB,
                                            unsigned offsetB)
{
    if (nodeA == nodeB)
        return offsetA < offsetB ? -1 : (offsetA > offsetB ? 1 : 0);
    thread_local std::vector<const DOMNode*> chainA, chainB;
    chainA.clear();
    chainB.clear();
    for (auto* node = nodeA; node; node = node->parent())
        chainA.push_back(node);
    for (auto* node = nodeB; node; node = node->parent())
        chainB.push_back(node);
    size_t i = chainA.size(), j = chainB.size();
    if (chainA[i - 1] != chainB[j - 1])
        return 0;
    while (i > 0 && j > 0 && chainA[i - 1] == chainB[j - 1]) {
        --i;
        --j;
    }
    if (i == 0) {
        // A is an ancestor of B; chainB[j - 1] is A's child on the way to B.
        return chainB[j - 1]->index() < offsetA ? 1 : -1;
    }
    if (j == 0)
        return chainA[i - 1]->index() < offsetB ? -1 : 1;
    return DOMNode::compareTreeOrder(chainA[i - 1], chainB[j - 1]);
}

std::shared_ptr<DOMNode> DOMRange::commonAncestorContainer() const
{
    auto* container = m_startContainer.get();
    while (container && !container->isInclusiveAncestorOf(m_endContainer.get()))
        container = container->parent();
    return container ? container->shared_from_this() : nullptr;
}

bool DOMRange::setBoundary(const std::shared_ptr<DOMNode>& node, unsigned offset, bool start, Error* outError)
{
    if (!node)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"No boundary node.");
    if (node->nodeType() == DOMNode::DOCUMENT_TYPE_NODE || node->nodeType() == DOMNode::ATTRIBUTE_NODE)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"A doctype cannot hold a boundary point.");
    // A container's length counts its children: an offset of 0 needs no count.
    if (offset && offset > node->length())
        return setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the node.");
    bool sameRoot = node->root() == m_startContainer->root();
    if (start) {
        if (!sameRoot || compareBoundaryPointPositions(node.get(), offset, m_endContainer.get(), m_endOffset) > 0) {
            m_endContainer = node;
            m_endOffset = offset;
        }
        m_startContainer = node;
        m_startOffset = offset;
    } else {
        if (!sameRoot || compareBoundaryPointPositions(node.get(), offset, m_startContainer.get(), m_startOffset) < 0) {
            m_startContainer = node;
            m_startOffset = offset;
        }
        m_endContainer = node;
        m_endOffset = offset;
    }
    registerWith(node->document());
    return true;
}

bool DOMRange::setStart(const std::shared_ptr<DOMNode>& node, unsigned offset, Error* outError)
{
    return setBoundary(node, offset, true, outError);
}

bool DOMRange::setEnd(const std::shared_ptr<DOMNode>& node, unsigned offset, Error* outError)
{
    return setBoundary(node, offset, false, outError);
}

bool DOMRange::setBoundaryBesideNode(const DOMNode& node, bool after, bool start, Error* outError)
{
    auto parent = node.parentNode();
    if (!parent)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"The node has no parent.");
    return setBoundary(parent, node.index() + (after ? 1 : 0), start, outError);
}

bool DOMRange::setStartBefore(const DOMNode& node, Error* outError)
{
    return setBoundaryBesideNode(node, false, true, outError);
}

bool DOMRange::setStartAfter(const DOMNode& node, Error* outError)
{
    return setBoundaryBesideNode(node, true, true, outError);
}

bool DOMRange::setEndBefore(const DOMNode& node, Error* outError)
{
    return setBoundaryBesideNode(node, false, false, outError);
}

bool DOMRange::setEndAfter(const DOMNode& node, Error* outError)
{
    return setBoundaryBesideNode(node, true, false, outError);
}

void DOMRange::collapse(bool toStart)
{
    if (toStart) {
        m_endContainer = m_startContainer;
        m_endOffset = m_startOffset;
    } else {
        m_startContainer = m_endContainer;
        m_startOffset = m_endOffset;
    }
}

bool DOMRange::selectNode(const DOMNode& node, Error* outError)
{
    auto parent = node.parentNode();
    if (!parent)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"The node has no parent.");
    unsigned index = node.index();
    m_startContainer = parent;
    m_startOffset = index;
    m_endContainer = parent;
    m_endOffset = index + 1;
    registerWith(parent->document());
    return true;
}

bool DOMRange::selectNodeContents(const std::shared_ptr<DOMNode>& node, Error* outError)
{
    if (!node || node->nodeType() == DOMNode::DOCUMENT_TYPE_NODE || node->nodeType() == DOMNode::ATTRIBUTE_NODE)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"The node cannot hold boundary points.");
    m_startContainer = node;
    m_startOffset = 0;
    m_endContainer = node;
    m_endOffset = node->length();
    registerWith(node->document());
    return true;
}

std::shared_ptr<DOMRange> DOMRange::cloneRange() const
{
    auto* document = m_startContainer->document();
    if (!document) {
        // The document is gone; a detached copy still answers its boundaries.
        auto copy = std::shared_ptr<DOMRange>(new DOMRange(*DOMDocument::create()));
        copy->registerWith(nullptr);
        copy->m_startContainer = m_startContainer;
        copy->m_startOffset = m_startOffset;
        copy->m_endContainer = m_endContainer;
        copy->m_endOffset = m_endOffset;
        return copy;
    }
    auto copy = create(*document);
    copy->m_startContainer = m_startContainer;
    copy->m_startOffset = m_startOffset;
    copy->m_endContainer = m_endContainer;
    copy->m_endOffset = m_endOffset;
    return copy;
}

int DOMRange::compareBoundaryPoints(CompareHow how, const DOMRange& source, Error* outError) const
{
    if (how > END_TO_START) {
        setDOMError(outError, DOMExceptionCode::NotSupportedError, u"Unknown comparison.");
        return 0;
    }
    if (m_startContainer->root() != source.m_startContainer->root()) {
        setDOMError(outError, DOMExceptionCode::WrongDocumentError, u"The ranges have different roots.");
        return 0;
    }
    switch (how) {
    case START_TO_START:
        return compareBoundaryPointPositions(m_startContainer.get(), m_startOffset, source.m_startContainer.get(),
                                             source.m_startOffset);
    case START_TO_END:
        return compareBoundaryPointPositions(m_endContainer.get(), m_endOffset, source.m_startContainer.get(),
                                             source.m_startOffset);
    case END_TO_END:
        return compareBoundaryPointPositions(m_endContainer.get(), m_endOffset, source.m_endContainer.get(),
                                             source.m_endOffset);
    case END_TO_START:
        return compareBoundaryPointPositions(m_startContainer.get(), m_startOffset, source.m_endContainer.get(),
                                             source.m_endOffset);
    }
    return 0;
}

bool DOMRange::isPointInRange(const DOMNode& node, unsigned offset, Error* outError) const
{
    if (node.root() != m_startContainer->root())
        return false;
    if (node.nodeType() == DOMNode::DOCUMENT_TYPE_NODE)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"A doctype has no boundary points.");
    if (offset > node.length())
        return setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the node.");
    return compareBoundaryPointPositions(&node, offset, m_startContainer.get(), m_startOffset) >= 0
        && compareBoundaryPointPositions(&node, offset, m_endContainer.get(), m_endOffset) <= 0;
}

int DOMRange::comparePoint(const DOMNode& node, unsigned offset, Error* outError) const
{
    if (node.root() != m_startContainer->root()) {
        setDOMError(outError, DOMExceptionCode::WrongDocumentError, u"The node is in another tree.");
        return 0;
    }
    if (node.nodeType() == DOMNode::DOCUMENT_TYPE_NODE) {
        setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"A doctype has no boundary points.");
        return 0;
    }
    if (offset > node.length()) {
        setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the node.");
        return 0;
    }
    if (compareBoundaryPointPositions(&node, offset, m_startContainer.get(), m_startOffset) < 0)
        return -1;
    if (compareBoundaryPointPositions(&node, offset, m_endContainer.get(), m_endOffset) > 0)
        return 1;
    return 0;
}

bool DOMRange::intersectsNode(const DOMNode& node) const
{
    if (node.root() != m_startContainer->root())
        return false;
    auto* parent = node.parent();
    if (!parent)
        return true;
    unsigned offset = node.index();
    return compareBoundaryPointPositions(parent, offset, m_endContainer.get(), m_endOffset) < 0
        && compareBoundaryPointPositions(parent, offset + 1, m_startContainer.get(), m_startOffset) > 0;
}

bool DOMRange::containsNode(const DOMNode* node) const
{
    return node->root() == m_startContainer->root()
        && compareBoundaryPointPositions(node, 0, m_startContainer.get(), m_startOffset) > 0
        && compareBoundaryPointPositions(node, node->length(), m_endContainer.get(), m_endOffset) < 0;
}

bool DOMRange::partiallyContainsNode(const DOMNode* node) const
{
    bool start = node->isInclusiveAncestorOf(m_startContainer.get());
    bool end = node->isInclusiveAncestorOf(m_endContainer.get());
    return start != end;
}

std::shared_ptr<DOMDocumentFragment> DOMRange::extractContents(Error* outError)
{
    return processContents(true, false, outError);
}

std::shared_ptr<DOMDocumentFragment> DOMRange::cloneContents(Error* outError) const
{
    return const_cast<DOMRange*>(this)->processContents(false, true, outError);
}

// Extraction and cloning share one algorithm; `extract` moves content out
// and collapses the range, cloning leaves the tree alone.
namespace {

// The inclusive ancestors of `node` up to `top`, deepest first.
std::vector<DOMNode*> ancestorChain(DOMNode& node, DOMNode& top)
{
    std::vector<DOMNode*> chain;
    for (DOMNode* ancestor = &node; ancestor; ancestor = ancestor->parent()) {
        chain.push_back(ancestor);
        if (ancestor == &top)
            break;
    }
    return chain;
}

// A copy of `data` holding only its characters from `start` to `end`.
std::shared_ptr<DOMNode> partialCopy(const DOMCharacterData& data, size_t start, size_t end, DOMDocument* document)
{
    auto copy = data.cloneNodeInto(document, false);
    auto& copied = *downcast<DOMCharacterData>(copy.get());
    copied.replaceData(0, copied.length(), data.data().substr(start, end - start));
    return copy;
}

// A contained child goes into the fragment: moved when extracting, else a deep copy.
void takeContainedChild(DOMNode& child, DOMNode& into, DOMDocument* document, bool extract)
{
    if (extract)
        into.insertChild(child.shared_from_this(), nullptr);
    else
        into.insertChild(child.cloneNodeInto(document, true), nullptr);
}

} // namespace

// What the range holds of `top` (partially contained, holding the start
// point) goes into `clone`, level by level down the start's ancestors: each
// level's ancestor as a shallow copy, followed by its later siblings whole;
// at the bottom, the start's own text from the start offset, or its children
// from it. A loop rather than one call per level, so that a page nested as
// deep as a browser builds does not exhaust the stack.
void DOMRange::processStartSide(DOMNode& top, DOMNode& startNode, unsigned startOffset, DOMNode& clone, bool extract)
{
    // Copies are made for the document found once: each change to the tree
    // makes a node's document a walk to its root again.
    DOMDocument* document = clone.document();
    auto chain = ancestorChain(startNode, top);
    DOMNode* into = &clone;
    // Each level's copy goes into the one above once all are made, deepest
    // first: a node put into a chain already deep would be checked against
    // every ancestor of its place.
    std::vector<std::pair<DOMNode*, std::shared_ptr<DOMNode>>> links;
    auto link = [&links] {
        for (auto it = links.rbegin(); it != links.rend(); ++it)
            it->first->insertChild(it->second, it->first->first());
    };
    for (size_t level = chain.size() - 1;; --level) {
        DOMNode* container = chain[level];
        if (level == 0) {
            // The start itself, an element: its children from the offset on.
            std::vector<DOMNode*> children;
            for (auto* child = container->childAt(startOffset); child; child = child->next())
                children.push_back(child);
            for (auto* child : children)
                takeContainedChild(*child, *into, document, extract);
            link();
            return;
        }
        DOMNode* holding = chain[level - 1];
        std::vector<DOMNode*> later;
        for (auto* sibling = holding->next(); sibling; sibling = sibling->next())
            later.push_back(sibling);
        std::shared_ptr<DOMNode> next;
        if (level == 1 && isCharacterData(holding)) {
            auto* data = downcast<DOMCharacterData>(holding);
            into->insertChild(partialCopy(*data, startOffset, data->length(), document), nullptr);
            if (extract)
                data->replaceData(startOffset, data->length() - startOffset, {});
        } else {
            next = holding->cloneNodeInto(document, false);
            links.emplace_back(into, next);
        }
        for (auto* sibling : later)
            takeContainedChild(*sibling, *into, document, extract);
        if (!next) {
            link();
            return;
        }
        into = next.get();
    }
}

// The mirror of processStartSide for `top` holding the end point: each
// level's earlier siblings whole, then a shallow copy of the end's ancestor;
// at the bottom, the end's own text up to the end offset, or its children
// before it.
void DOMRange::processEndSide(DOMNode& top, DOMNode& endNode, unsigned endOffset, DOMNode& clone, bool extract)
{
    // Copies are made for the document found once: each change to the tree
    // makes a node's document a walk to its root again.
    DOMDocument* document = clone.document();
    auto chain = ancestorChain(endNode, top);
    DOMNode* into = &clone;
    std::vector<std::pair<DOMNode*, std::shared_ptr<DOMNode>>> links;
    auto link = [&links] {
        for (auto it = links.rbegin(); it != links.rend(); ++it)
            it->first->insertChild(it->second, nullptr);
    };
    for (size_t level = chain.size() - 1;; --level) {
        DOMNode* container = chain[level];
        if (level == 0) {
            std::vector<DOMNode*> children;
            unsigned index = 0;
            for (auto* child = container->first(); child && index < endOffset; child = child->next(), ++index)
                children.push_back(child);
            for (auto* child : children)
                takeContainedChild(*child, *into, document, extract);
            link();
            return;
        }
        DOMNode* holding = chain[level - 1];
        std::vector<DOMNode*> earlier;
        for (auto* sibling = container->first(); sibling && sibling != holding; sibling = sibling->next())
            earlier.push_back(sibling);
        for (auto* sibling : earlier)
            takeContainedChild(*sibling, *into, document, extract);
        if (level == 1 && isCharacterData(holding)) {
            auto* data = downcast<DOMCharacterData>(holding);
            into->insertChild(partialCopy(*data, 0, endOffset, document), nullptr);
            if (extract)
                data->replaceData(0, endOffset, {});
            link();
            return;
        }
        auto next = holding->cloneNodeInto(document, false);
        links.emplace_back(into, next);
        into = next.get();
    }
}

std::shared_ptr<DOMDocumentFragment> DOMRange::processContents(bool extract, bool, Error* outError)
{
    auto* document = m_startContainer->document();
    if (!document) {
        setDOMError(outError, DOMExceptionCode::InvalidStateError, u"The range's document is gone.");
        return nullptr;
    }
    auto fragment = document->createDocumentFragment();
    if (collapsed())
        return fragment;

    auto startNode = m_startContainer;
    auto endNode = m_endContainer;
    unsigned startOffset = m_startOffset;
    unsigned endOffset = m_endOffset;

    if (startNode == endNode && isCharacterData(startNode.get())) {
        auto* data = downcast<DOMCharacterData>(startNode.get());
        fragment->insertChild(partialCopy(*data, startOffset, endOffset, document), nullptr);
        if (extract)
            data->replaceData(startOffset, endOffset - startOffset, {});
        return fragment;
    }

    auto commonAncestor = commonAncestorContainer();
    DOMNode* firstPartiallyContained = nullptr;
    if (!startNode->isInclusiveAncestorOf(endNode.get())) {
        for (auto* child = commonAncestor->first(); child; child = child->next()) {
            if (partiallyContainsNode(child)) {
                firstPartiallyContained = child;
                break;
            }
        }
    }
    DOMNode* lastPartiallyContained = nullptr;
    if (!endNode->isInclusiveAncestorOf(startNode.get())) {
        for (auto* child = commonAncestor->last(); child; child = child->previous()) {
            if (partiallyContainsNode(child)) {
                lastPartiallyContained = child;
                break;
            }
        }
    }
    // The contained children of the common ancestor are those after the
    // start's child (or from the start's gap) and before the end's child (or
    // the end's gap): found by their indices in one walk, never by comparing
    // each child with the boundaries (which costs its index every time).
    auto childOfCommonAncestorHolding = [&](DOMNode* node) {
        while (node && node->parent() != commonAncestor.get())
            node = node->parent();
        return node;
    };
    DOMNode* startChild = startNode == commonAncestor ? nullptr : childOfCommonAncestorHolding(startNode.get());
    DOMNode* endChild = endNode == commonAncestor ? nullptr : childOfCommonAncestorHolding(endNode.get());
    std::vector<std::shared_ptr<DOMNode>> containedChildren;
    bool afterStartChild = false;
    unsigned index = 0;
    for (auto* child = commonAncestor->first(); child; child = child->next(), ++index) {
        if (startChild) {
            // The start's own child holds the start: partly contained at most.
            if (child == startChild)
                afterStartChild = true;
            if (!afterStartChild || child == startChild)
                continue;
        } else if (index < startOffset) {
            continue;
        }
        if (endChild ? child == endChild : index >= endOffset)
            break;
        if (child->nodeType() == DOMNode::DOCUMENT_TYPE_NODE) {
            setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The range contains a doctype.");
            return nullptr;
        }
        containedChildren.push_back(child->shared_from_this());
    }
    auto protectedFirst = firstPartiallyContained ? firstPartiallyContained->shared_from_this() : nullptr;
    auto protectedLast = lastPartiallyContained ? lastPartiallyContained->shared_from_this() : nullptr;

    std::shared_ptr<DOMNode> newNode;
    unsigned newOffset = 0;
    if (extract) {
        if (startNode->isInclusiveAncestorOf(endNode.get())) {
            newNode = startNode;
            newOffset = startOffset;
        } else {
            auto* reference = startNode.get();
            while (reference->parent() && !reference->parent()->isInclusiveAncestorOf(endNode.get()))
                reference = reference->parent();
            newNode = reference->parent()->shared_from_this();
            newOffset = reference->index() + 1;
        }
    }

    if (isCharacterData(firstPartiallyContained)) {
        auto* data = downcast<DOMCharacterData>(startNode.get());
        fragment->insertChild(partialCopy(*data, startOffset, data->length(), document), nullptr);
        if (extract)
            data->replaceData(startOffset, data->length() - startOffset, {});
    } else if (firstPartiallyContained) {
        auto clone = firstPartiallyContained->cloneNode(false);
        fragment->insertChild(clone, nullptr);
        processStartSide(*firstPartiallyContained, *startNode, startOffset, *clone, extract);
    }

    for (auto& child : containedChildren) {
        if (extract)
            fragment->insertChild(child, nullptr);
        else
            fragment->insertChild(child->cloneNode(true), nullptr);
    }

    if (isCharacterData(lastPartiallyContained)) {
        auto* data = downcast<DOMCharacterData>(endNode.get());
        fragment->insertChild(partialCopy(*data, 0, endOffset, document), nullptr);
        if (extract)
            data->replaceData(0, endOffset, {});
    } else if (lastPartiallyContained) {
        auto clone = lastPartiallyContained->cloneNode(false);
        fragment->insertChild(clone, nullptr);
        processEndSide(*lastPartiallyContained, *endNode, endOffset, *clone, extract);
    }

    if (extract) {
        setStartRaw(newNode.get(), newOffset);
        setEndRaw(newNode.get(), newOffset);
    }
    return fragment;
}

bool DOMRange::deleteContents(Error*)
{
    if (collapsed())
        return true;
    auto startNode = m_startContainer;
    auto endNode = m_endContainer;
    unsigned startOffset = m_startOffset;
    unsigned endOffset = m_endOffset;
    if (startNode == endNode && isCharacterData(startNode.get())) {
        downcast<DOMCharacterData>(startNode.get())->replaceData(startOffset, endOffset - startOffset, {});
        return true;
    }

    // The contained nodes whose parents are not contained, in tree order.
    std::vector<std::shared_ptr<DOMNode>> nodesToRemove;
    DOMNode* node = nullptr;
    if (isCharacterData(startNode.get()))
        node = startNode->traverseNextSkippingChildren();
    else if (auto* child = startNode->childAt(startOffset))
        node = child;
    else
        node = startNode->traverseNextSkippingChildren();
    while (node) {
        if (node->isInclusiveAncestorOf(endNode.get())) {
            node = node->traverseNext();
            continue;
        }
        if (compareBoundaryPointPositions(node, node->length(), endNode.get(), endOffset) >= 0)
            break;
        nodesToRemove.push_back(node->shared_from_this());
        node = node->traverseNextSkippingChildren();
    }

    std::shared_ptr<DOMNode> newNode;
    unsigned newOffset = 0;
    if (startNode->isInclusiveAncestorOf(endNode.get())) {
        newNode = startNode;
        newOffset = startOffset;
    } else {
        auto* reference = startNode.get();
        while (reference->parent() && !reference->parent()->isInclusiveAncestorOf(endNode.get()))
            reference = reference->parent();
        newNode = reference->parent()->shared_from_this();
        newOffset = reference->index() + 1;
    }

    if (isCharacterData(startNode.get())) {
        auto* data = downcast<DOMCharacterData>(startNode.get());
        data->replaceData(startOffset, data->length() - startOffset, {});
    }
    for (auto& removed : nodesToRemove)
        removed->remove();
    if (isCharacterData(endNode.get()))
        downcast<DOMCharacterData>(endNode.get())->replaceData(0, endOffset, {});
    setStartRaw(newNode.get(), newOffset);
    setEndRaw(newNode.get(), newOffset);
    return true;
}

bool DOMRange::insertNode(const std::shared_ptr<DOMNode>& node, Error* outError)
{
    if (!node)
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"No node to insert.");
    auto startNode = m_startContainer;
    auto type = startNode->nodeType();
    if (type == DOMNode::PROCESSING_INSTRUCTION_NODE || type == DOMNode::COMMENT_NODE
        || (startNode->isTextNode() && !startNode->parent()) || startNode == node)
        return setDOMError(outError, DOMExceptionCode::HierarchyRequestError, u"The node cannot be inserted here.");
    std::shared_ptr<DOMNode> reference;
    if (startNode->isTextNode())
        reference = startNode;
    else if (auto* child = startNode->childAt(m_startOffset))
        reference = child->shared_from_this();
    auto parent = reference ? reference->parentNode() : startNode;
    if (!parent->ensurePreInsertionValidity(*node, reference.get(), outError))
        return false;
    if (startNode->isTextNode())
        reference = downcast<DOMText>(startNode.get())->splitText(m_startOffset);
    if (reference == node)
        reference = node->nextSibling();
    node->remove();
    unsigned newOffset = reference ? reference->index() : parent->length();
    newOffset += node->isDocumentFragmentNode() ? node->length() : 1;
    if (!parent->insertBefore(node, reference.get(), outError))
        return false;
    if (collapsed())
        setEndRaw(parent.get(), newOffset);
    return true;
}

bool DOMRange::surroundContents(const std::shared_ptr<DOMNode>& newParent, Error* outError)
{
    if (!newParent)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"No new parent.");
    // A partially contained node that is not text cannot be surrounded.
    for (auto* node = m_startContainer.get(); node; node = node->parent()) {
        if (!node->isTextNode() && partiallyContainsNode(node))
            return setDOMError(outError, DOMExceptionCode::InvalidStateError, u"The range partially selects a non-text node.");
    }
    for (auto* node = m_endContainer.get(); node; node = node->parent()) {
        if (!node->isTextNode() && partiallyContainsNode(node))
            return setDOMError(outError, DOMExceptionCode::InvalidStateError, u"The range partially selects a non-text node.");
    }
    auto type = newParent->nodeType();
    if (type == DOMNode::DOCUMENT_NODE || type == DOMNode::DOCUMENT_TYPE_NODE || type == DOMNode::DOCUMENT_FRAGMENT_NODE)
        return setDOMError(outError, DOMExceptionCode::InvalidNodeTypeError, u"The node cannot surround content.");
    auto fragment = extractContents(outError);
    if (!fragment)
        return false;
    newParent->removeAllChildren();
    if (!insertNode(newParent, outError))
        return false;
    if (!newParent->appendChild(fragment, outError))
        return false;
    return selectNode(*newParent, outError);
}

std::u16string DOMRange::toString() const
{
    std::u16string text;
    auto* startNode = m_startContainer.get();
    auto* endNode = m_endContainer.get();
    if (startNode == endNode && startNode->isTextNode())
        return downcast<DOMCharacterData>(startNode)->data().substr(m_startOffset, m_endOffset - m_startOffset);
    if (startNode == endNode && startNode->isCharacterDataNode())
        return text;
    if (startNode->isTextNode())
        text += downcast<DOMCharacterData>(startNode)->data().substr(m_startOffset);
    DOMNode* node = startNode->isCharacterDataNode() ? startNode->traverseNextSkippingChildren()
                                                     : (startNode->childAt(m_startOffset) ? startNode->childAt(m_startOffset)
                                                                                          : startNode->traverseNextSkippingChildren());
    // The first node in tree order at or after the end, found once: comparing
    // each node with the end would count siblings for every node.
    DOMNode* stop = endNode->isCharacterDataNode() ? endNode
                                                   : (endNode->childAt(m_endOffset) ? endNode->childAt(m_endOffset)
                                                                                    : endNode->traverseNextSkippingChildren());
    for (; node && node != stop; node = node->traverseNext()) {
        if (node->isTextNode())
            text += downcast<DOMCharacterData>(node)->data();
    }
    if (endNode->isTextNode())
        text += downcast<DOMCharacterData>(endNode)->data().substr(0, m_endOffset);
    return text;
}

} // namespace brevanton
