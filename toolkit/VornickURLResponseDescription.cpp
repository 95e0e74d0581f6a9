#include "toolkit/VornickURLResponseDescription.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::u16string orNull(const std::u16string& text)
{
    return text.empty() ? u"(null)" : text;
}

// The header fields as "{Name = value; Name = value}", on one line.
std::u16string describeHeaderFields(const HTTPHeaderFields& fields)
{
    std::u16string text = u"{";
    bool first = true;
    for (auto& [name, value] : fields.dictionary()) {
        if (!first)
            text += u"; ";
        first = false;
        text += name + u" = " + value.stringValue();
    }
    return text + u"}";
}

} // namespace

std::u16string vornick_splat(const URLResponse& response)
{
    std::u16string text = u"{" + toUTF16(response.className()) + u": URL=" + response.url().absoluteString()
        + u", suggestedFilename=" + response.suggestedFilename() + u", MIMEType=" + orNull(response.mimeType())
        + u", textEncodingName=" + orNull(response.textEncodingName())
        + u", expectedContentLength=" + toUTF16(std::to_string(response.expectedContentLength()));
    if (auto* http = dynamic_cast<const HTTPURLResponse*>(&response)) {
        text += u", statusCode=" + toUTF16(std::to_string(http->statusCode())) + u" ("
            + HTTPURLResponse::localizedStringForStatusCode(http->statusCode()) + u"), allHeaderFields="
            + describeHeaderFields(http->allHeaderFields());
    }
    return text + u"}";
}

} // namespace brevanton
