// VornickDOMPathBar: the bar at the bottom of the editing view that names
// the elements enclosing the operation range, innermost last, and ends with
// a validation segment telling the focused frame's validation summary.
// Segments are label pairs, the validation segment a status and text. The
// bar is a window bottom bar (the theme's gradient, following whether its
// window is main) and draws over it the path on the left ("<body> › <p class=note>") and the
// summary on the right after a dot of the status's colour (saying first
// when the page is a repaired copy of its file); a click on the summary
// lists the advisories not yet resolved, the repairs among them, and
// choosing one takes the caret to the place in the page its line and
// column name.
#pragma once

#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickValidationAdvisory.h"
#include "ui/VornickWindowBottomBar.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Menu;
class VornickContentEditingView;

class VornickDOMPathBar : public VornickWindowBottomBar {
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

    // The path as drawn, segments joined by " \u203A ".
    std::u16string pathText() const;
    // Where the validation segment is drawn, in the bar's coordinates.
    Rect validationSegmentRect() const;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;

    // The menu a click on the validation segment shows: an item for each
    // advisory not yet resolved ("line 3, column 5: Warning: ..."), or one
    // disabled item saying there is none.
    std::shared_ptr<Menu> advisoriesMenu();
    // Whether the page shows a copy tidy repaired (until it is saved); the
    // summary then begins by saying so.
    bool loadedFromRepairedCopy() const;
    // Puts the caret where the advisory's line and column are in the page
    // (the nearest place the source maps to) and scrolls it into view;
    // false when the source has no such place.
    bool showAdvisoryInPage(const VornickValidationAdvisory&);

private:
    VornickContentEditingView* m_contentEditingView { nullptr };
    std::vector<Segment> m_segments;
    VornickFrameValidationStatus m_validationStatus { VornickFrameValidationStatus::Pending };
    std::u16string m_validationSegmentText;
    // The advisories the menu shown last lists, by its items' tags.
    std::vector<VornickValidationAdvisory> m_listedAdvisories;
    std::shared_ptr<Menu> m_advisoriesMenu;
};

} // namespace brevanton
