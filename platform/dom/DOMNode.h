// DOMNode: the base of every node of the DOM tree.
//
// A node owns its children (first child and next siblings are strong
// references); the parent and previous-sibling links are plain pointers that
// the owner clears when it lets a child go. Nodes reach their document through
// a small shared handle that the document clears when it goes away, so a node
// may outlive its document safely. Every mutation runs the live-range update
// steps of the DOM standard on the ranges registered with the document.
#pragma once

#include "platform/dom/DOMException.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brevanton {

class DOMAttr;
class DOMCharacterData;
class DOMDocument;
class DOMElement;
class DOMNodeList;
class DOMText;

// The link from nodes to their document: shared by the document and its
// nodes, cleared by the document when it goes away. Counted without atomics:
// a document and its nodes belong to one thread.
struct DOMDocumentHandle {
    DOMDocument* document { nullptr };
    unsigned referenceCount { 0 };
};

class DOMDocumentHandlePtr {
public:
    DOMDocumentHandlePtr() = default;
    explicit DOMDocumentHandlePtr(DOMDocumentHandle* handle)
        : m_handle(handle)
    {
        ref(handle);
    }
    static void ref(DOMDocumentHandle* handle)
    {
        if (handle)
            ++handle->referenceCount;
    }
    static void deref(DOMDocumentHandle* handle)
    {
        if (handle && !--handle->referenceCount)
            delete handle;
    }
    static DOMDocumentHandlePtr create()
    {
        DOMDocumentHandlePtr result;
        result.m_handle = new DOMDocumentHandle;
        result.m_handle->referenceCount = 1;
        return result;
    }
    DOMDocumentHandlePtr(const DOMDocumentHandlePtr& other)
        : m_handle(other.m_handle)
    {
        if (m_handle)
            ++m_handle->referenceCount;
    }
    DOMDocumentHandlePtr(DOMDocumentHandlePtr&& other) noexcept
        : m_handle(other.m_handle)
    {
        other.m_handle = nullptr;
    }
    DOMDocumentHandlePtr& operator=(const DOMDocumentHandlePtr& other)
    {
        DOMDocumentHandlePtr copy(other);
        std::swap(m_handle, copy.m_handle);
        return *this;
    }
    DOMDocumentHandlePtr& operator=(DOMDocumentHandlePtr&& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    ~DOMDocumentHandlePtr()
    {
        if (m_handle && !--m_handle->referenceCount)
            delete m_handle;
    }
    DOMDocumentHandle* operator->() const { return m_handle; }
    DOMDocumentHandle* get() const { return m_handle; }
    explicit operator bool() const { return m_handle; }
    bool operator==(const DOMDocumentHandlePtr& other) const { return m_handle == other.m_handle; }

private:
    DOMDocumentHandle* m_handle { nullptr };
};

// The place of a node's entry in a table of a layer above the DOM: the
// number of the table's owner and the entry's index there. It is never a
// pointer: the owner checks that the entry at the index still stands for the
// node before it uses it, so an entry that went, or a node or an owner that
// went, leaves nothing to follow. Each owner writes the slot whenever it
// makes an entry, so a slot naming an owner names that owner's latest entry
// for the node; a slot naming another owner (or none) sends an owner to its
// lookup by address.
struct DOMNodeSlot {
    uint32_t owner { 0 };
    uint32_t index { 0 };

    // A number for a new owner: never 0, and none handed out twice within 2^32 owners.
    static uint32_t newOwner();
};

class DOMNode : public std::enable_shared_from_this<DOMNode> {
public:
    enum NodeType : uint16_t {
        ELEMENT_NODE = 1,
        ATTRIBUTE_NODE = 2,
        TEXT_NODE = 3,
        CDATA_SECTION_NODE = 4,
        PROCESSING_INSTRUCTION_NODE = 7,
        COMMENT_NODE = 8,
        DOCUMENT_NODE = 9,
        DOCUMENT_TYPE_NODE = 10,
        DOCUMENT_FRAGMENT_NODE = 11,
    };

    // Results of compareDocumentPosition.
    enum : uint16_t {
        DOCUMENT_POSITION_DISCONNECTED = 0x01,
        DOCUMENT_POSITION_PRECEDING = 0x02,
        DOCUMENT_POSITION_FOLLOWING = 0x04,
        DOCUMENT_POSITION_CONTAINS = 0x08,
        DOCUMENT_POSITION_CONTAINED_BY = 0x10,
        DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC = 0x20,
    };

    DOMNode(const DOMNode&) = delete;
    DOMNode& operator=(const DOMNode&) = delete;
    // Not virtual: nodes are made only by make_shared (or allocate_shared,
    // DOMNodeArena.h) of their own class, whose control block destroys them
    // as what they are.
    ~DOMNode() { releaseHandle(); }

    NodeType nodeType() const { return m_nodeType; }
    std::u16string nodeName() const;
    // The data of character data and attributes, null (empty) otherwise.
    std::u16string nodeValue() const;
    void setNodeValue(const std::u16string&);

    bool isElementNode() const { return m_nodeType == ELEMENT_NODE; }
    bool isTextNode() const { return m_nodeType == TEXT_NODE || m_nodeType == CDATA_SECTION_NODE; }
    bool isCharacterDataNode() const
    {
        return isTextNode() || m_nodeType == COMMENT_NODE || m_nodeType == PROCESSING_INSTRUCTION_NODE;
    }
    bool isDocumentNode() const { return m_nodeType == DOCUMENT_NODE; }
    bool isDocumentFragmentNode() const { return m_nodeType == DOCUMENT_FRAGMENT_NODE; }
    bool isContainerNode() const
    {
        return m_nodeType == ELEMENT_NODE || m_nodeType == DOCUMENT_NODE || m_nodeType == DOCUMENT_FRAGMENT_NODE;
    }

    // Tree.
    std::shared_ptr<DOMNode> parentNode() const
    {
        auto* node = parent();
        return node ? node->shared_from_this() : nullptr;
    }
    std::shared_ptr<DOMElement> parentElement() const;
    std::shared_ptr<DOMNode> firstChild() const;
    std::shared_ptr<DOMNode> lastChild() const
    {
        auto* node = last();
        return node ? node->shared_from_this() : nullptr;
    }
    std::shared_ptr<DOMNode> previousSibling() const
    {
        return m_previousSibling ? m_previousSibling->shared_from_this() : nullptr;
    }
    std::shared_ptr<DOMNode> nextSibling() const { return m_nextSibling; }
    bool hasChildNodes() const { return first() != nullptr; }
    // A live list of the children.
    std::shared_ptr<DOMNodeList> childNodes();
    // The owner document; null for a document itself and after the document went away.
    std::shared_ptr<DOMDocument> ownerDocument() const;

    // Raw links for fast walks; valid while the tree is not mutated.
    DOMNode* parent() const
    {
        return (m_parentOrHandle & handleTag) ? nullptr : reinterpret_cast<DOMNode*>(m_parentOrHandle);
    }
    inline DOMNode* first() const;
    inline DOMNode* last() const;
    DOMNode* previous() const { return m_previousSibling; }
    DOMNode* next() const { return m_nextSibling.get(); }
    // The node after this one in tree order, staying within `stayWithin` when given.
    DOMNode* traverseNext(const DOMNode* stayWithin = nullptr) const;
    DOMNode* traverseNextSkippingChildren(const DOMNode* stayWithin = nullptr) const;
    DOMNode* traversePrevious() const;
    // The document this node belongs to (itself for a document), or null.
    DOMDocument* document() const
    {
        auto* handle = rootHandle();
        return handle ? handle->document : nullptr;
    }
    // The handle held by this node's root (every root holds one).
    DOMDocumentHandle* rootHandle() const
    {
        const DOMNode* node = shallowRootOrDeepNode();
        if (node->parent())
            node = deepRoot(node);
        return (node->m_parentOrHandle & handleTag) ? reinterpret_cast<DOMDocumentHandle*>(node->m_parentOrHandle & ~handleTag)
                                                    : nullptr;
    }

    // False when no STYLE, LINK or BASE element was ever put into this
    // subtree (or is the node itself): the subtree holds none. Set on such an
    // element when it is made and on every node it has been put under since.
    bool mayHoldStyleSheetElement() const { return m_flags & mayHoldStyleSheetElementFlag; }

    // Where a layout keeps its entry for this node (the box), so that it
    // finds it without a lookup by address (see DOMNodeSlot; an element has
    // a second slot, for the style resolver's computed values).
    DOMNodeSlot& layoutSlot() const { return m_layoutSlot; }

    // The number of children, or the length of character data.
    unsigned length() const;
    unsigned childCount() const;
    // The index among the siblings.
    unsigned index() const;
    DOMNode* childAt(unsigned index) const;
    DOMNode* root() const;
    bool isConnected() const;
    bool isInclusiveAncestorOf(const DOMNode* other) const;
    bool contains(const DOMNode* other) const { return other && isInclusiveAncestorOf(other); }
    bool isSameNode(const DOMNode* other) const { return this == other; }
    bool isEqualNode(const DOMNode* other) const;
    uint16_t compareDocumentPosition(const DOMNode* other) const;
    // -1, 0 or 1 by tree order; 0 also for nodes of different trees.
    static int compareTreeOrder(const DOMNode* a, const DOMNode* b);

    // Text content: the concatenated text of the descendants for elements and
    // fragments, the data for character data and attributes, empty otherwise.
    std::u16string textContent() const;
    void setTextContent(const std::u16string&);

    // Mutation. Failures are DOM errors (HierarchyRequestError, NotFoundError,
    // NotSupportedError, ...) with a null result; nothing changes then.
    std::shared_ptr<DOMNode> appendChild(const std::shared_ptr<DOMNode>& node, Error* outError = nullptr);
    // A null reference child appends.
    std::shared_ptr<DOMNode> insertBefore(const std::shared_ptr<DOMNode>& node, DOMNode* child, Error* outError = nullptr);
    std::shared_ptr<DOMNode> insertBefore(const std::shared_ptr<DOMNode>& node, const std::shared_ptr<DOMNode>& child,
                                          Error* outError = nullptr)
    {
        return insertBefore(node, child.get(), outError);
    }
    std::shared_ptr<DOMNode> removeChild(DOMNode* child, Error* outError = nullptr);
    std::shared_ptr<DOMNode> removeChild(const std::shared_ptr<DOMNode>& child, Error* outError = nullptr)
    {
        return removeChild(child.get(), outError);
    }
    // Answers the replaced child.
    std::shared_ptr<DOMNode> replaceChild(const std::shared_ptr<DOMNode>& node, DOMNode* child, Error* outError = nullptr);
    std::shared_ptr<DOMNode> replaceChild(const std::shared_ptr<DOMNode>& node, const std::shared_ptr<DOMNode>& child,
                                          Error* outError = nullptr)
    {
        return replaceChild(node, child.get(), outError);
    }
    // Removes this node from its parent, if any.
    void remove();
    void removeAllChildren();

    // Merges adjacent text nodes and drops empty ones in the subtree.
    void normalize();
    std::shared_ptr<DOMNode> cloneNode(bool deep = false) const;

    // Serialization of this node's children by the HTML fragment serialization algorithm.
    std::u16string innerHTML() const;

    // Internal: the pre-insertion validity checks and the insert/remove steps.
    bool ensurePreInsertionValidity(const DOMNode& node, const DOMNode* child, Error* outError) const;
    void insertChild(const std::shared_ptr<DOMNode>& node, DOMNode* child);
    // For the parsers building a tree nobody watches yet: appends `node`, a
    // new root of this node's document, as the last child, leaving ranges,
    // versions and the record of changes alone (the parser reports the
    // finished build once, see DOMDocument::treeWasBuilt).
    void appendParsedChild(std::shared_ptr<DOMNode> node);
    void removeChildInternal(DOMNode* child);
    std::shared_ptr<DOMNode> cloneNodeInto(DOMDocument* document, bool deep) const;
    void setDocumentHandleForSubtree(const DOMDocumentHandlePtr&);
    friend class DOMAttr;
    DOMDocumentHandlePtr documentHandle() const { return DOMDocumentHandlePtr(rootHandle()); }

protected:
    DOMNode(NodeType type, const DOMDocumentHandlePtr& handle)
        : m_nodeType(type)
    {
        becomeRoot(handle.get());
    }
    // A copy of this node alone, belonging to `document` (or to this node's document).
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument* document) const;


private:
    void linkChild(std::shared_ptr<DOMNode> node, DOMNode* before);

    // Finding a node's root walks up its ancestors. Most nodes stand a few
    // levels deep; the walk from one deeper than that goes on in deepRoot,
    // which remembers the root of every node it passed until the next change
    // of any parent link of the thread's trees: walks over a page nested
    // tens of thousands of levels deep (each element asked for its document)
    // then cost each level once, not once per element below it.
    static constexpr unsigned shallowWalk = 32;
    const DOMNode* shallowRootOrDeepNode() const
    {
        const DOMNode* node = this;
        for (unsigned step = 0; step < shallowWalk; ++step) {
            auto* up = node->parent();
            if (!up)
                break;
            node = up;
        }
        return node;
    }
    static const DOMNode* deepRoot(const DOMNode*);
    // isEqualNode's test of the node itself, its children left out.
    bool isEqualNodeAlone(const DOMNode&) const;
    // Moves whenever a parent link of this thread's nodes changes (nodes
    // stay on the thread that uses them), which forgets deepRoot's answers.
    static inline thread_local uint64_t s_linkGeneration = 0;
    static void noteLinkChange() { ++s_linkGeneration; }

    static constexpr uintptr_t handleTag = 1;
    // The parent, or for a root its document handle, tagged in the low bit.
    // Roots hold a reference on the handle; other nodes reach it through their root.
    void becomeRoot(DOMDocumentHandle* handle)
    {
        noteLinkChange();
        DOMDocumentHandlePtr::ref(handle);
        m_parentOrHandle = handle ? reinterpret_cast<uintptr_t>(handle) | handleTag : 0;
    }
    void releaseHandle()
    {
        if (m_parentOrHandle & handleTag)
            DOMDocumentHandlePtr::deref(reinterpret_cast<DOMDocumentHandle*>(m_parentOrHandle & ~handleTag));
        if (m_parentOrHandle)
            noteLinkChange();
        m_parentOrHandle = 0;
    }
    void setParentDroppingHandle(DOMNode* parent)
    {
        releaseHandle();
        noteLinkChange();
        m_parentOrHandle = reinterpret_cast<uintptr_t>(parent);
        // Every node that ever held one is marked: the mark stops at the first that is already.
        if (m_flags & mayHoldStyleSheetElementFlag) {
            for (DOMNode* node = parent; node && !(node->m_flags & mayHoldStyleSheetElementFlag); node = node->parent())
                node->m_flags |= mayHoldStyleSheetElementFlag;
        }
    }

    uintptr_t m_parentOrHandle { 0 };
    std::shared_ptr<DOMNode> m_nextSibling;
    DOMNode* m_previousSibling { nullptr };
    NodeType m_nodeType;

protected:
    static constexpr uint16_t mayHoldStyleSheetElementFlag = 1;
    uint16_t m_flags { 0 };
    // Spare room for subclasses (elements keep their name's number here).
    uint32_t m_data32 { 0 };

private:
    mutable DOMNodeSlot m_layoutSlot;

    friend class DOMContainerNode;
};

// Elements, documents and fragments: the nodes that hold children. Leaves
// carry no child links at all.
class DOMContainerNode : public DOMNode {
public:
    // Most elements of a page are leaves or have their children taken by
    // the destruction of an ancestor: nothing to do for them.
    ~DOMContainerNode()
    {
        if (m_firstChild)
            destroyChildren();
    }

protected:
    DOMContainerNode(NodeType type, const DOMDocumentHandlePtr& handle)
        : DOMNode(type, handle)
    {
    }

private:
    friend class DOMNode;
    void destroyChildren();
    std::shared_ptr<DOMNode> m_firstChild;
    DOMNode* m_lastChild { nullptr };
    // Counted as children are linked and unlinked: ranges check offsets
    // against it on every boundary they set.
    unsigned m_childCount { 0 };
};

// Defined with the other checked casts in DOMCasts.h, which this header ends
// by including: it needs the classes above complete.
template<typename T> const T* downcast(const DOMNode*);

inline DOMNode* DOMNode::first() const
{
    return isContainerNode() ? downcast<DOMContainerNode>(this)->m_firstChild.get() : nullptr;
}

inline DOMNode* DOMNode::last() const
{
    return isContainerNode() ? downcast<DOMContainerNode>(this)->m_lastChild : nullptr;
}

inline std::shared_ptr<DOMNode> DOMNode::firstChild() const
{
    return isContainerNode() ? downcast<DOMContainerNode>(this)->m_firstChild : nullptr;
}

} // namespace brevanton


#include "platform/dom/DOMCasts.h"
