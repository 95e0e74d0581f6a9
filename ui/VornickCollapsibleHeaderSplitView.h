// VornickCollapsibleHeaderSplitView: the split view used with a collapsible
// header split view manager. The current theme draws its dividers; where the
// theme asks for it, a seam sealer strip covers the line between the window's
// title bar and the split view while the header is collapsed.
#pragma once

#include "platform/views/SplitView.h"

#include <memory>

namespace brevanton {

class VornickUITheme;

// Fills its area with the theme's divider fill for its window.
class VornickSeamSealerView : public View {
public:
    VornickSeamSealerView(Rect frame, VornickUITheme& theme) : View(frame), m_theme(theme) {}
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    VornickUITheme& m_theme;
};

class VornickCollapsibleHeaderSplitView : public SplitView {
public:
    explicit VornickCollapsibleHeaderSplitView(Rect frame = {});

    // The image of the divider knob.
    static constexpr const char16_t* SplitterKnobImageName = u"VornickSplitterKnob";
    static std::u16string vornick_splitterKnobImage() { return SplitterKnobImageName; }

    // The theme asked for dividers and the seam sealer; the current theme
    // unless one was set (previews and tests).
    VornickUITheme& theme() const;
    void setTheme(VornickUITheme*);

    // Shows the seam sealer while the header is collapsed, hides it
    // otherwise; nothing unless the theme uses a seam sealer.
    void updateSeamSealerView();
    std::shared_ptr<VornickSeamSealerView> seamSealerView() const { return m_seamSealerView; }

    void viewDidMoveToWindow() override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // The theme's divider, else the standard one with the theme's drawing over it.
    void drawDividerInRect(const Rect&, GraphicsContext&) override;

private:
    VornickUITheme* m_theme { nullptr };
    std::shared_ptr<VornickSeamSealerView> m_seamSealerView;
};

} // namespace brevanton
