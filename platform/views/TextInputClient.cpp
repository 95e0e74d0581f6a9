#include "platform/views/TextInputClient.h"

#include "platform/views/Responder.h"
#include "platform/views/Window.h"

namespace brevanton {

TextInputClient* textInputClientOfWindow(const Window& window)
{
    return dynamic_cast<TextInputClient*>(window.firstResponder().get());
}

} // namespace brevanton
