// VornickDOMPathBar: the bar at the bottom of the editing view that names
// the elements enclosing the operation range, innermost last, and ends with
// a validation segment telling the focused frame's validation summary.
// A model: segments are label pairs, the validation segment a status and text.
#pragma once

#include "dom/VornickWebFrameExtensions.h"
#include "platform/views/View.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickContentEditingView;

class VornickDOMPathBar : public View {
public:
    struct Segment {
        std::u16string tagLabel;
        std::u16string attributesLabel;
        bool operator==(const Segment&) const = default;
    };

    static double naturalDOMPathBarHeight() { return 39.0; }

    explicit VornickDOMPathBar(Rect frame = {});

    // Not owned; the editing view clears it before it goes away.
    void setContentEditingView(VornickContentEditingView* view) { m_contentEditingView = view; }

    // Reads the view's validation status and summary.
    void updateForValidationStatusChange();
    // Rebuilds the segments from the elements enclosing the operation range.
    void updateForEffectiveOperationRangeChange();

    const std::vector<Segment>& segments() const { return m_segments; }
    VornickFrameValidationStatus validationStatus() const { return m_validationStatus; }
    const std::u16string& validationSegmentText() const { return m_validationSegmentText; }

private:
    VornickContentEditingView* m_contentEditingView { nullptr };
    std::vector<Segment> m_segments;
    VornickFrameValidationStatus m_validationStatus { VornickFrameValidationStatus::Pending };
    std::u16string m_validationSegmentText;
};

} // namespace brevanton
