// UUID: a universally unique identifier (version 4, random), written in the
// usual form of 36 upper-case hex digits and hyphens.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class UUID {
public:
    // A new random identifier.
    UUID();
    // The identifier a string spells ("8-4-4-4-12" hex digits of either
    // case); nullopt for any other string.
    static std::optional<UUID> fromString(std::u16string_view);

    std::u16string UUIDString() const;
    const std::array<uint8_t, 16>& bytes() const { return m_bytes; }

    friend bool operator==(const UUID&, const UUID&) = default;

private:
    explicit UUID(std::array<uint8_t, 16> bytes) : m_bytes(bytes) {}
    std::array<uint8_t, 16> m_bytes {};
};

} // namespace brevanton
