#include "platform/foundation/UTF8SequenceLength.h"

namespace brevanton {

size_t multibyteUTF8SequenceLength(std::string_view text, size_t at)
{
    auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    auto continuation = [&](size_t i, unsigned low = 0x80, unsigned high = 0xBF) { return byte(i) >= low && byte(i) <= high; };
    unsigned lead = byte(at);
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) && continuation(at + 3) ? 4 : 0;
    }
    return 0;
}

} // namespace brevanton
