// VornickDOMToNSRangeMap: which span of a generated string each DOM node
// produced, recorded while the string is generated. It answers both ways:
// the string range that shows a DOM range, and the DOM position or range
// that a string location or range stands for.
//
// Lookups descend the tree with a binary search over each node's children:
// depth times the logarithm of the fan-out, plus the span of a final text node.
#pragma once

#include "dom/VornickRelativeDOMPath.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickTextSplice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMNode;
class DOMRange;


// One step of a path from the document down to a DOM position: the node's
// type and name, and the offset in that node (a child index, or a
// character offset in a text node).
struct VornickDOMToNSRangeMapPathComponent {
    uint16_t nodeType { 0 };
    std::u16string name;
    size_t offsetInNode { 0 };
    bool offsetSkipsWhitespaceNodes { false };
};
using VornickDOMToNSRangeMapPath = std::vector<VornickDOMToNSRangeMapPathComponent>;

class VornickDOMNodeToNSRangeMap {
public:
    VornickDOMNodeToNSRangeMap(uint16_t nodeType, std::u16string name, size_t startOffset)
        : m_nodeType(nodeType), m_name(std::move(name)), m_range { startOffset, 0 }
    {
    }
    ~VornickDOMNodeToNSRangeMap();
    VornickDOMNodeToNSRangeMap(const VornickDOMNodeToNSRangeMap&) = delete;
    VornickDOMNodeToNSRangeMap& operator=(const VornickDOMNodeToNSRangeMap&) = delete;

    uint16_t nodeType() const { return m_nodeType; }
    const std::u16string& name() const { return m_name; }
    VornickRange range() const { return m_range; }
    size_t startOffset() const { return m_range.location; }
    void setStartOffset(size_t offset) { m_range.location = offset; }
    size_t endOffset() const { return m_range.location + m_range.length; }
    void setEndOffset(size_t offset) { m_range.length = offset >= m_range.location ? offset - m_range.location : 0; }
    // For a text node: how many of its characters come before its span (the
    // leading whitespace a writer trimmed), so that string offsets within
    // the span count from there.
    size_t domStartOffset() const { return m_domStartOffset; }
    void setDOMStartOffset(size_t offset) { m_domStartOffset = offset; }
    const std::vector<std::unique_ptr<VornickDOMNodeToNSRangeMap>>& childNodes() const { return m_childNodes; }
    VornickDOMNodeToNSRangeMap* addChildNode(std::unique_ptr<VornickDOMNodeToNSRangeMap>);

    // Appends one path component per node from this one down to the node at
    // `location`; false when the location lies outside this node.
    bool hitTestLocation(size_t location, std::u16string_view mappedString, bool hasString, int directionBias,
                         VornickDOMToNSRangeMapPath& components, bool skipWhitespaceNodes) const;

    // "(1)p[3:10] {\n(3)text[6:7]}"
    std::u16string description() const;

private:
    friend class VornickDOMToNSRangeMap;
    uint16_t m_nodeType;
    std::u16string m_name;
    VornickRange m_range;
    size_t m_domStartOffset { 0 };
    std::vector<std::unique_ptr<VornickDOMNodeToNSRangeMap>> m_childNodes;
};

class VornickDOMToNSRangeMap {
public:
    explicit VornickDOMToNSRangeMap(bool omittingWhitespaceNodes);

    const VornickDOMNodeToNSRangeMap& rootNode() const
    {
        settle();
        return *m_rootNode;
    }
    bool omitsWhitespaceNodes() const { return m_omitsWhitespaceNodes; }
    size_t openNodeCount() const { return m_stack.size(); }

    // Building, in string order.
    void beginNodeOfType(uint16_t nodeType, std::u16string_view name, size_t offset);
    void endNodeOfType(uint16_t nodeType, std::u16string_view name, size_t offset);
    void beginWhitespaceNodeAtOffset(size_t offset);
    void endWhitespaceNodeAtOffset(size_t offset);
    // The DOM offset at which the span of the text node being built starts.
    void setDOMStartOffsetOfOpenNode(size_t offset);

    // A copy of this finished map (nothing open but the root) for the string
    // with `splices` applied: every offset moves as VornickOffsetAfterSplices
    // says. Right for splices that each replace the whole span of one leaf
    // node: the node keeps its start, and its end and everything after move.
    std::shared_ptr<VornickDOMToNSRangeMap> mapByApplyingSplices(const VornickTextSplices& splices) const;
    // The same, in place. The offsets move when the map is next read (all
    // the splices since in one pass), so typing pays for them only when
    // somebody looks.
    void applySplices(const VornickTextSplices& splices);

    // The path from the document to the position at `location`, or none.
    // A bias above 0 prefers what follows the location, below 0 what precedes it.
    std::optional<VornickDOMToNSRangeMapPath> hitTestPathForRangeLocation(size_t location, const std::u16string* mappedString,
                                                                             int directionBias) const;
    // The string location of a path; {VornickNotFound, 0} when it does not fit the map.
    VornickRange rangeForRelativeDOMPath(const VornickDOMToNSRangeMapPath&, const std::u16string* mappedString) const;
    // The start and end tag ranges of every element along a path, root first.
    void enumerateStartAndEndTagRangesForRelativeDOMPath(
        const VornickDOMToNSRangeMapPath&, const std::function<void(const std::u16string&, VornickRange, VornickRange)>&) const;

    // The same as relative DOM paths from the document.
    std::optional<VornickRelativeDOMPath> relativeDOMPathForRangeLocation(size_t location, const std::u16string* mappedString,
                                                                            int directionBias) const;
    VornickRange rangeForRelativeDOMPath(const VornickRelativeDOMPath&, const std::u16string* mappedString) const;
    void enumerateStartAndEndTagRangesForRelativeDOMPath(
        const VornickRelativeDOMPath&, const std::function<void(const std::u16string&, VornickRange, VornickRange)>&) const;
    static VornickRelativeDOMPath relativeDOMPathFromPath(const VornickDOMToNSRangeMapPath&, bool skipsWhitespaceNodes);
    static VornickDOMToNSRangeMapPath pathFromRelativeDOMPath(const VornickRelativeDOMPath&);

    // Against a DOM: positions are resolved by child index from the document.
    std::shared_ptr<DOMRange> domRangeForRange(VornickRange, const std::u16string* mappedString, DOMDocument&) const;
    VornickRange rangeForDOMRange(const DOMRange&, const std::u16string* mappedString) const;
    // The DOM position a path leads to in `document`; none when it does not fit.
    std::optional<std::pair<std::shared_ptr<DOMNode>, unsigned>> positionForRelativeDOMPath(const VornickDOMToNSRangeMapPath&,
                                                                                           DOMDocument&) const;
    VornickDOMToNSRangeMapPath pathToPosition(DOMNode&, unsigned offset) const;

    std::u16string splat() const;
    std::u16string description() const { return rootNode().description(); }

private:
    VornickRange rangeForPath(const VornickDOMToNSRangeMapPath&, const std::u16string* mappedString, bool endOfARange) const;
    // Moves the offsets by the splices not yet applied.
    void settle() const;

    std::unique_ptr<VornickDOMNodeToNSRangeMap> m_rootNode;
    std::vector<VornickDOMNodeToNSRangeMap*> m_stack;
    bool m_omitsWhitespaceNodes;
    // Splices whose moves the offsets do not show yet, oldest first.
    mutable std::vector<VornickTextSplices> m_pendingSplices;
};

} // namespace brevanton
