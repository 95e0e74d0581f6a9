// SegmentedControl: a row of equally wide segments, each with a label and a
// tag; clicking a segment selects it and sends the action.
#pragma once

#include "platform/views/Control.h"

#include <vector>

namespace brevanton {

class SegmentedControl : public Control {
public:
    explicit SegmentedControl(Rect frame = {});

    long segmentCount() const { return static_cast<long>(m_segments.size()); }
    // Adds or drops segments at the end; a dropped selected segment leaves none selected.
    void setSegmentCount(long);
    std::u16string labelForSegment(long segment) const;
    void setLabel(std::u16string, long segment);
    long tagForSegment(long segment) const;
    using View::setTag;
    void setTag(long tag, long segment);
    // -1 when no segment is selected.
    long selectedSegment() const { return m_selectedSegment; }
    void setSelectedSegment(long segment);
    bool isSelectedForSegment(long segment) const { return segment == m_selectedSegment && segment >= 0; }
    // The segment under a point in the control's coordinates, or -1.
    long segmentAtPoint(Point) const;

    void controlWasClicked(Point) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    struct Segment {
        std::u16string label;
        long tag { 0 };
    };
    const Segment& segmentAt(long) const;

    std::vector<Segment> m_segments;
    long m_selectedSegment { -1 };
};

} // namespace brevanton
