// VornickBezel: the shared bezel that flashes a short message centred over
// the content editing view (entering or leaving an element, moving to a
// sibling) and fades away by itself 1.0 second later. Its window lets mouse
// events through to the editor.
#pragma once

#include "platform/views/Shadow.h"
#include "platform/views/View.h"
#include "ui/VornickTransientBanner.h"

#include <memory>
#include <string>

namespace brevanton {

class TextField;

// The bezel window's content view: a dark translucent rounded backdrop.
class VornickBezelContentView : public View {
public:
    static constexpr double CornerRadius = 16;
    using View::View;
    static Color backdropColor() { return Color::genericGamma22White(0.25, 0.5); }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

class VornickBezel : public VornickTransientBanner {
public:
    static constexpr double FontSize = 18;

    // The one bezel of the process, made on first use and never released.
    static std::shared_ptr<VornickBezel> sharedContentEditingViewBezel();

    VornickBezel();
    std::u16string windowNibName() const override { return u"VornickBezel"; }

    // Shows the message centred over the view's bounds (in screen
    // coordinates, not clamped to any screen) and starts the 1.0 second
    // wait before the fade, restarting it when a message is already shown.
    void showMessage(const std::u16string& message, const View& centeredOverView);

    std::shared_ptr<TextField> messageTextField() const { return m_messageTextField; }
    // Offset (2, -2), blur radius 2, the default shadow colour.
    const Shadow& textShadow() const { return m_textShadow; }

protected:
    std::shared_ptr<Window> loadWindow() override;

private:
    std::shared_ptr<TextField> m_messageTextField;
    Shadow m_textShadow;
};

} // namespace brevanton
