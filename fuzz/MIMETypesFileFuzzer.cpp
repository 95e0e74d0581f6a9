// The system's MIME type list: any text reads without failing, and every
// line read names a MIME type (with a "/") and at least one extension, in
// lower case, none of them empty or holding white space.
#include "platform/foundation/MIMETypesFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

namespace {

bool isWord(const std::u16string& word)
{
    if (word.empty())
        return false;
    for (char16_t c : word) {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'#'
            || (c >= u'A' && c <= u'Z'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto types = parseMIMETypesFile(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& type : types) {
        if (!isWord(type.mimeType) || type.mimeType.find(u'/') == std::u16string::npos || type.extensions.empty())
            std::abort();
        for (const auto& extension : type.extensions) {
            if (!isWord(extension))
                std::abort();
        }
    }
    return 0;
}
