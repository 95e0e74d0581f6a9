#include "html/VornickTextEncoding.h"

#include "platform/foundation/TextEncoding.h"

namespace brevanton {

std::optional<std::u16string> VornickDecodeText(std::string_view bytes, std::u16string_view encodingName, Error* outError)
{
    Error error;
    auto text = decodeText(bytes, encodingName, &error);
    if (!text && outError) {
        // Files report an unknown encoding as one that does not apply to them.
        *outError = std::move(error);
        if (outError->code() == TextEncodingUnknownError)
            *outError = Error(CocoaErrorDomain, TextEncodingInapplicableForReadingError, outError->localizedDescription());
    }
    return text;
}

} // namespace brevanton
