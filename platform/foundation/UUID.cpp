#include "platform/foundation/UUID.h"

#include "platform/foundation/HexDigits.h"

#include <mutex>
#include <random>

namespace brevanton {

UUID::UUID()
{
    static std::mutex mutex;
    static std::mt19937_64 generator { std::random_device {}() ^ (static_cast<uint64_t>(std::random_device {}()) << 32) };
    {
        std::lock_guard lock(mutex);
        for (size_t i = 0; i < m_bytes.size(); i += 8) {
            uint64_t random = generator();
            for (size_t j = 0; j < 8; ++j)
                m_bytes[i + j] = static_cast<uint8_t>(random >> (8 * j));
        }
    }
    m_bytes[6] = static_cast<uint8_t>((m_bytes[6] & 0x0F) | 0x40); // version 4
    m_bytes[8] = static_cast<uint8_t>((m_bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
}

std::optional<UUID> UUID::fromString(std::u16string_view string)
{
    if (string.size() != 36)
        return std::nullopt;
    std::array<uint8_t, 16> bytes {};
    size_t byte = 0;
    for (size_t i = 0; i < string.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (string[i] != u'-')
                return std::nullopt;
            ++i;
            continue;
        }
        int high = hexDigitValue(string[i]), low = hexDigitValue(string[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[byte++] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return UUID(bytes);
}

std::u16string UUID::UUIDString() const
{
    static const char16_t* hex = u"0123456789ABCDEF";
    std::u16string string;
    for (size_t i = 0; i < m_bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            string += u'-';
        string += hex[m_bytes[i] >> 4];
        string += hex[m_bytes[i] & 0xF];
    }
    return string;
}

} // namespace brevanton
