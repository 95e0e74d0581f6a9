#include "platform/dom/DOMException.h"

namespace brevanton {

bool setDOMError(Error* out, DOMExceptionCode code, const char16_t* message)
{
    return setError(out, Error(DOMErrorDomain, static_cast<int64_t>(code), std::u16string(message)));
}

} // namespace brevanton
