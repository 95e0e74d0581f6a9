// VornickSendActionOnEditTextField: a text field that sends its action on
// every change of its text, and tells its target when it becomes first
// responder (the action "sendActionOnEditTextFieldBecameFirstResponder:",
// when the target performs it).
#pragma once

#include "platform/views/TextField.h"

namespace brevanton {

class VornickSendActionOnEditTextField : public TextField {
public:
    static constexpr const char* BecameFirstResponderAction = "sendActionOnEditTextFieldBecameFirstResponder:";

    using TextField::TextField;

    bool becomeFirstResponder() override;
    void textDidChange() override;
};

} // namespace brevanton
