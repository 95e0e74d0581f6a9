#include "platform/views/qt/QtSecureTextInput.h"

#include "platform/views/SecureTextField.h"

namespace brevanton {

bool qtResponderEditsSecureText(const Responder* responder)
{
    return dynamic_cast<const SecureTextField*>(responder);
}

Qt::InputMethodHints qtInputMethodHintsForResponder(const Responder* responder)
{
    return qtResponderEditsSecureText(responder) ? QtSecureTextInputHints : Qt::InputMethodHints(Qt::ImhNone);
}

} // namespace brevanton
