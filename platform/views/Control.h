// Control: a view that sends its action to its target (or along the
// responder chain) when the user operates it: a click that ends inside the
// control, or performClick. It holds a value as a Value.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/views/View.h"

namespace brevanton {

class Control : public View, public ActionSender {
public:
    explicit Control(Rect frame = {});

    const Action& action() const { return m_action; }
    void setAction(Action action) { m_action = std::move(action); }
    // Held weakly; null sends the action along the responder chain.
    std::shared_ptr<Responder> target() const { return m_target.lock(); }
    void setTarget(const std::shared_ptr<Responder>& target) { m_target = target; }
    long tag() const override { return View::tag(); }

    bool isEnabled() const { return m_enabled; }
    // True while a click that began in the control is held down.
    bool isHighlighted() const { return m_tracking; }
    void setEnabled(bool enabled);

    const Value& objectValue() const { return m_value; }
    virtual void setObjectValue(Value value);
    // The value as text (numbers in decimal), or the empty string.
    std::u16string stringValue() const;
    void setStringValue(std::u16string value) { setObjectValue(Value(std::move(value))); }
    // The value as an integer (text read as a decimal number), or 0.
    long integerValue() const;
    void setIntegerValue(long value) { setObjectValue(Value(value)); }

    // Sends the action through Application; false when nobody took it.
    bool sendAction();
    // Operates the control as a click would; nothing when disabled.
    virtual bool performClick();

    // A click sends the action when it ends inside the control.
    void mouseDown(const Event&) override;
    void mouseUp(const Event&) override;

    // Called on a click before the action is sent (buttons toggle their state here).
    virtual void controlWasClicked(Point) {}
    // A click ended inside the control (or performClick): by default
    // controlWasClicked, then the action; answers whether it was taken.
    virtual bool clickDidEnd(Point);

private:
    Action m_action;
    std::weak_ptr<Responder> m_target;
    bool m_enabled { true };
    bool m_tracking { false };
    Value m_value;
};

} // namespace brevanton
