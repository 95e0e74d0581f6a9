// DOMRange: a live range. Every mutation of its document updates its
// boundary points by the rules of the DOM standard. A range registers itself
// with the document of its boundary nodes and unregisters when destroyed.
#pragma once

#include "platform/dom/DOMNode.h"

namespace brevanton {

class DOMDocumentFragment;

class DOMRange final : public std::enable_shared_from_this<DOMRange> {
public:
    enum CompareHow : uint16_t { START_TO_START = 0, START_TO_END = 1, END_TO_END = 2, END_TO_START = 3 };

    // A collapsed range at (document, 0).
    static std::shared_ptr<DOMRange> create(DOMDocument&);
    explicit DOMRange(DOMDocument&);
    ~DOMRange();
    DOMRange(const DOMRange&) = delete;
    DOMRange& operator=(const DOMRange&) = delete;

    std::shared_ptr<DOMNode> startContainer() const { return m_startContainer; }
    unsigned startOffset() const { return m_startOffset; }
    std::shared_ptr<DOMNode> endContainer() const { return m_endContainer; }
    unsigned endOffset() const { return m_endOffset; }
    bool collapsed() const { return m_startContainer == m_endContainer && m_startOffset == m_endOffset; }
    std::shared_ptr<DOMNode> commonAncestorContainer() const;

    // Boundary setters: a doctype is an InvalidNodeTypeError, an offset past
    // the node's length an IndexSizeError.
    bool setStart(const std::shared_ptr<DOMNode>& node, unsigned offset, Error* outError = nullptr);
    bool setEnd(const std::shared_ptr<DOMNode>& node, unsigned offset, Error* outError = nullptr);
    bool setStartBefore(const DOMNode& node, Error* outError = nullptr);
    bool setStartAfter(const DOMNode& node, Error* outError = nullptr);
    bool setEndBefore(const DOMNode& node, Error* outError = nullptr);
    bool setEndAfter(const DOMNode& node, Error* outError = nullptr);
    void collapse(bool toStart = false);
    bool selectNode(const DOMNode& node, Error* outError = nullptr);
    bool selectNodeContents(const std::shared_ptr<DOMNode>& node, Error* outError = nullptr);
    std::shared_ptr<DOMRange> cloneRange() const;
    void detach() {}

    // -1, 0 or 1; a range of another root is a WrongDocumentError.
    int compareBoundaryPoints(CompareHow how, const DOMRange& sourceRange, Error* outError = nullptr) const;
    bool isPointInRange(const DOMNode& node, unsigned offset, Error* outError = nullptr) const;
    int comparePoint(const DOMNode& node, unsigned offset, Error* outError = nullptr) const;
    bool intersectsNode(const DOMNode& node) const;

    // Content operations.
    std::shared_ptr<DOMDocumentFragment> extractContents(Error* outError = nullptr);
    std::shared_ptr<DOMDocumentFragment> cloneContents(Error* outError = nullptr) const;
    bool deleteContents(Error* outError = nullptr);
    bool insertNode(const std::shared_ptr<DOMNode>& node, Error* outError = nullptr);
    bool surroundContents(const std::shared_ptr<DOMNode>& newParent, Error* outError = nullptr);
    // The text of the Text nodes in the range.
    std::u16string toString() const;

    // The position of boundary point A relative to B: -1 before, 0 equal, 1 after.
    static int compareBoundaryPointPositions(const DOMNode* nodeA, unsigned offsetA, const DOMNode* nodeB, unsigned offsetB);

    // Internal: the document the range is registered with, and raw boundary
    // access for the mutation steps.
    DOMDocument* registeredDocument() const { return m_document; }
    void documentWillBeDestroyed() { m_document = nullptr; }
    // Re-registers the range with the document its boundary nodes were adopted into.
    void moveToDocument(DOMDocument* document) { registerWith(document); }
    unsigned registryIndex() const { return m_registryIndex; }
    void setRegistryIndex(unsigned index) { m_registryIndex = index; }
    DOMNode* startNode() const { return m_startContainer.get(); }
    DOMNode* endNode() const { return m_endContainer.get(); }
    void setStartRaw(DOMNode* node, unsigned offset);
    void setEndRaw(DOMNode* node, unsigned offset);
    void setStartOffsetRaw(unsigned offset) { m_startOffset = offset; }
    void setEndOffsetRaw(unsigned offset) { m_endOffset = offset; }

private:
    bool setBoundary(const std::shared_ptr<DOMNode>& node, unsigned offset, bool start, Error* outError);
    // The boundary just before or after the node, in its parent.
    bool setBoundaryBesideNode(const DOMNode&, bool after, bool start, Error* outError);
    void registerWith(DOMDocument*);
    bool containsNode(const DOMNode*) const;
    bool partiallyContainsNode(const DOMNode*) const;
    std::shared_ptr<DOMDocumentFragment> processContents(bool extract, bool cloneOnly, Error* outError);
    static void processStartSide(DOMNode& top, DOMNode& startNode, unsigned startOffset, DOMNode& clone, bool extract);
    static void processEndSide(DOMNode& top, DOMNode& endNode, unsigned endOffset, DOMNode& clone, bool extract);

    std::shared_ptr<DOMNode> m_startContainer;
    std::shared_ptr<DOMNode> m_endContainer;
    unsigned m_startOffset { 0 };
    unsigned m_endOffset { 0 };
    DOMDocument* m_document { nullptr };
    unsigned m_registryIndex { 0 };
};

} // namespace brevanton
