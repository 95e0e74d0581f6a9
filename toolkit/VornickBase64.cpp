#include "toolkit/VornickBase64.h"

#include <array>

namespace brevanton {

namespace {

constexpr char16_t alphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 128> decodingTable()
{
    std::array<int8_t, 128> table {};
    table.fill(-1);
    for (int i = 0; i < 64; ++i)
        table[alphabet[i]] = static_cast<int8_t>(i);
    return table;
}

} // namespace

std::u16string base64EncodedString(const Data& data, VornickBase64Lines lines)
{
    constexpr size_t bytesPerLine = 48;
    std::u16string text;
    text.reserve((data.size() + 2) / 3 * 4 + data.size() / bytesPerLine * 2);
    for (size_t i = 0; i < data.size(); i += 3) {
        if (lines == VornickBase64Lines::Broken && i && i % bytesPerLine == 0)
            text += u"\r\n";
        uint32_t group = static_cast<uint32_t>(data[i]) << 16;
        size_t available = std::min<size_t>(3, data.size() - i);
        if (available > 1)
            group |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (available > 2)
            group |= data[i + 2];
        text.push_back(alphabet[(group >> 18) & 63]);
        text.push_back(alphabet[(group >> 12) & 63]);
        text.push_back(available > 1 ? alphabet[(group >> 6) & 63] : u'=');
        text.push_back(available > 2 ? alphabet[group & 63] : u'=');
    }
    return text;
}

Data dataFromBase64String(std::u16string_view text)
{
    static constexpr auto table = decodingTable();
    Data data;
    data.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int count = 0;
    for (char16_t c : text) {
        if (c >= 128)
            return {};
        int8_t value = table[c];
        if (value < 0)
            continue;
        group = group << 6 | static_cast<uint32_t>(value);
        if (++count == 4) {
            data.push_back(static_cast<uint8_t>(group >> 16));
            data.push_back(static_cast<uint8_t>(group >> 8));
            data.push_back(static_cast<uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    if (count == 3) {
        data.push_back(static_cast<uint8_t>(group >> 10));
        data.push_back(static_cast<uint8_t>(group >> 2));
    } else if (count == 2) {
        data.push_back(static_cast<uint8_t>(group >> 4));
    }
    return data;
}

} // namespace brevanton
