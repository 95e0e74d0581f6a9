// A DOM range recorded as two relative paths from one ancestor, thawed
// against a new ancestor after the document changed (undo, reload, restoring
// a selection). A value: each end has a path of its own, also when the range
// is collapsed.
#pragma once

#include "dom/VornickRelativeDOMPath.h"

#include <optional>

namespace brevanton {

class DOMRange;

class VornickFreezeDriedDOMRange {
public:
    // None when either endpoint is not below the ancestor.
    static std::optional<VornickFreezeDriedDOMRange> freezeDriedDOMRangeFromRange(
        const DOMRange&, const std::shared_ptr<DOMNode>& ancestor, bool skipWhitespaceNodes);
    // Keeps whatever paths could be built; a missing one makes thawing fail.
    static VornickFreezeDriedDOMRange freezeDriedDOMRangeFromStartPosition(
        const VornickDOMPosition& start, const VornickDOMPosition& end, const std::shared_ptr<DOMNode>& ancestor,
        bool skipWhitespaceNodes);

    VornickFreezeDriedDOMRange(std::optional<VornickRelativeDOMPath> start, std::optional<VornickRelativeDOMPath> end)
        : m_startPositionPath(std::move(start))
        , m_endPositionPath(std::move(end))
    {
    }

    [[nodiscard]] bool thawToStartPosition(VornickDOMPosition& start, VornickDOMPosition& end,
                                           const std::shared_ptr<DOMNode>& newAncestor) const;
    std::shared_ptr<DOMRange> thawRangeRelativeToNewAncestor(const std::shared_ptr<DOMNode>& newAncestor) const;
    // Adds `delta` to the first step of both paths.
    void adjustBaseOffsetsBy(int32_t delta);

    const std::optional<VornickRelativeDOMPath>& startPositionPath() const { return m_startPositionPath; }
    const std::optional<VornickRelativeDOMPath>& endPositionPath() const { return m_endPositionPath; }

    // Keyed archiving: "startPositionPath" and "endPositionPath".
    Value encodeWithCoder() const;
    static std::optional<VornickFreezeDriedDOMRange> createWithCoder(const Value&);
    std::u16string description() const;

private:
    std::optional<VornickRelativeDOMPath> m_startPositionPath;
    std::optional<VornickRelativeDOMPath> m_endPositionPath;
};

} // namespace brevanton
