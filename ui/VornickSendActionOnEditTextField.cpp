#include "ui/VornickSendActionOnEditTextField.h"

namespace brevanton {

bool VornickSendActionOnEditTextField::becomeFirstResponder()
{
    if (auto target = this->target(); target && target->respondsToAction(BecameFirstResponderAction))
        target->performAction(BecameFirstResponderAction, this);
    return TextField::becomeFirstResponder();
}

void VornickSendActionOnEditTextField::textDidChange()
{
    sendAction();
    TextField::textDidChange();
}

} // namespace brevanton
