// VornickClickToEditTextField: a text field that looks like a label until
// clicked. A click tells the owner to make it look editable (the owner sets
// the bezel and editability), then focuses it once the click is over;
// losing focus tells the owner to make it look static again.
#pragma once

#include "platform/views/TextField.h"

namespace brevanton {

class VornickClickToEditTextField;

class VornickClickToEditTextFieldOwner {
public:
    virtual ~VornickClickToEditTextFieldOwner() = default;
    virtual void clickToEditTextFieldDidBecomeVisiblyEditable(VornickClickToEditTextField&) = 0;
    virtual void clickToEditTextFieldDidBecomeApparentlyStatic(VornickClickToEditTextField&) = 0;
};

class VornickClickToEditTextField : public TextField {
public:
    using TextField::TextField;

    // Not owned; the owner clears it before it goes.
    VornickClickToEditTextFieldOwner* owner() const { return m_owner; }
    void setOwner(VornickClickToEditTextFieldOwner* owner) { m_owner = owner; }

    // Whether the field shows its bezel.
    bool vornick_isVisiblyEditable() const { return isBezeled(); }
    // Tells the owner; when the field is not its window's first responder,
    // focuses it on the next turn of the main loop (after the click).
    void vornick_becomeVisiblyEditable();
    void vornick_becomeApparentlyStatic();
    // Called by the window's owner when the first responder is about to change.
    void vornick_losingFocus();
    // The window's first responder is the field or a view inside it.
    bool vornick_isFocusedForEditing() const;
    void vornick_focusForEditing();

    // Every point of the field is its editable text area: a left mouse down
    // first makes the field visibly editable.
    void mouseDown(const Event&) override;

private:
    VornickClickToEditTextFieldOwner* m_owner { nullptr };
};

} // namespace brevanton
