// Button: a control with a title. A push button only sends its action; a
// switch (check box) or a radio button also toggles or sets its state.
#pragma once

#include "platform/views/Control.h"
#include "platform/views/ControlDrawing.h"
#include "platform/views/Menu.h"

namespace brevanton {

enum class ButtonType { MomentaryPushIn = 7, Switch = 3, Radio = 4, PushOnPushOff = 1 };

class Button : public Control {
public:
    explicit Button(Rect frame = {}, std::u16string title = {});

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title);
    ButtonType buttonType() const { return m_buttonType; }
    void setButtonType(ButtonType type) { m_buttonType = type; }
    ControlStateValue state() const { return m_state; }
    void setState(ControlStateValue);
    // The key that presses the button ("\r" for a default button).
    const std::u16string& keyEquivalent() const { return m_keyEquivalent; }
    void setKeyEquivalent(std::u16string key) { m_keyEquivalent = std::move(key); }

    void controlWasClicked(Point) override;
    // The button by kind and state, as its drawing records it.
    virtual ControlDrawing controlDrawing() const;
    // The control (controlDrawing) with the title, over a plain frame and title.
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::u16string m_title;
    ButtonType m_buttonType { ButtonType::MomentaryPushIn };
    ControlStateValue m_state { OffState };
    std::u16string m_keyEquivalent;
};

} // namespace brevanton
