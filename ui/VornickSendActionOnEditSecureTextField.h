// VornickSendActionOnEditSecureTextField: a secure text field that sends its
// action to its target on every change of its text, before the usual change
// handling (the change notification).
#pragma once

#include "platform/views/SecureTextField.h"

namespace brevanton {

class VornickSendActionOnEditSecureTextField : public SecureTextField {
public:
    using SecureTextField::SecureTextField;

    void textDidChange() override;
};

} // namespace brevanton
