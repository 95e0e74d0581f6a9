// A DOM range recorded as two relative paths from one ancestor, thawed
// against a new ancestor after the document changed (undo, reload, restoring
// a selection). A collapsed range keeps one path for both ends.
#pragma once

#include "dom/VornickRelativeDOMPath.h"

namespace brevanton {

class DOMRange;

class VornickFreezeDriedDOMRange {
public:
    // Null when either endpoint is not below the ancestor.
    static std::shared_ptr<VornickFreezeDriedDOMRange> freezeDriedDOMRangeFromRange(
        const DOMRange&, const std::shared_ptr<DOMNode>& ancestor, bool skipWhitespaceNodes);
    // Keeps whatever paths could be built; a missing one makes thawing fail.
    static std::shared_ptr<VornickFreezeDriedDOMRange> freezeDriedDOMRangeFromStartPosition(
        const VornickDOMPosition& start, const VornickDOMPosition& end, const std::shared_ptr<DOMNode>& ancestor,
        bool skipWhitespaceNodes);

    VornickFreezeDriedDOMRange(std::shared_ptr<VornickRelativeDOMPath> start, std::shared_ptr<VornickRelativeDOMPath> end)
        : m_startPositionPath(std::move(start))
        , m_endPositionPath(std::move(end))
    {
    }

    bool thawToStartPosition(VornickDOMPosition& start, VornickDOMPosition& end,
                             const std::shared_ptr<DOMNode>& newAncestor) const;
    std::shared_ptr<DOMRange> thawRangeRelativeToNewAncestor(const std::shared_ptr<DOMNode>& newAncestor) const;
    // Adds `delta` to the first step of both paths (once when they are one path).
    void adjustBaseOffsetsBy(int32_t delta);

    const std::shared_ptr<VornickRelativeDOMPath>& startPositionPath() const { return m_startPositionPath; }
    const std::shared_ptr<VornickRelativeDOMPath>& endPositionPath() const { return m_endPositionPath; }

    // Keyed archiving: "startPositionPath" and "endPositionPath".
    Value encodeWithCoder() const;
    static std::shared_ptr<VornickFreezeDriedDOMRange> createWithCoder(const Value&);
    std::u16string description() const;

private:
    std::shared_ptr<VornickRelativeDOMPath> m_startPositionPath;
    std::shared_ptr<VornickRelativeDOMPath> m_endPositionPath;
};

} // namespace brevanton
