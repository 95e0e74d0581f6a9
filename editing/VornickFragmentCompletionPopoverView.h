// VornickFragmentCompletionPopoverView: what the "Insert or Wrap In"
// popover draws: the search typed so far, then a window of the ranked rows
// (each its description, disabled ones greyed, and its fine print), the
// highlighted row filled. A click on a row chooses it; keys that reach the
// popover go to its controller as they would from the editing view.
#pragma once

#include "platform/views/View.h"

#include <memory>
#include <optional>

namespace brevanton {

class VornickFragmentCompletionUIController;

class VornickFragmentCompletionPopoverView final : public View {
public:
    static constexpr double width = 360;
    static constexpr double searchLineHeight = 24;
    static constexpr double rowHeight = 20;

    explicit VornickFragmentCompletionPopoverView(const std::shared_ptr<VornickFragmentCompletionUIController>&);

    // The height that shows the search line and `rows` rows.
    static double heightForRows(size_t rows);
    // The rectangle of the `shown`th row on view (0 the first shown).
    static Rect rectOfShownRow(size_t shown, double width);
    // The row under a point in the view's coordinates, or none.
    std::optional<size_t> rowAtPoint(Point) const;

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;
    void keyDown(const Event&) override;

private:
    std::weak_ptr<VornickFragmentCompletionUIController> m_controller;
};

} // namespace brevanton
