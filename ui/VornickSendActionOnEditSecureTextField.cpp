#include "ui/VornickSendActionOnEditSecureTextField.h"

namespace brevanton {

void VornickSendActionOnEditSecureTextField::textDidChange()
{
    sendAction();
    SecureTextField::textDidChange();
}

} // namespace brevanton
