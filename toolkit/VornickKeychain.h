// VornickKeychain: the secrets of blog accounts (passwords and archived
// authorizations) as generic passwords of the user's keychain, identified by
// a service name and an account name. Class operations only; no state.
//
// Reads answer nothing when there is no item or the keychain cannot be read;
// writes answer false on failure and write the failure to the console. Each
// operation also reports the error through its optional out-parameter.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class VornickKeychain {
public:
    [[nodiscard]] static std::optional<Data> getDataForServiceName(std::u16string_view serviceName, std::u16string_view accountName,
                                                     Error* outError = nullptr);
    // Adds the item, or replaces the secret of the existing one (its other attributes unchanged).
    [[nodiscard]] static bool setData(const Data&, std::u16string_view serviceName, std::u16string_view accountName,
                        Error* outError = nullptr);
    // The secret decoded as UTF-8; nothing when it is not valid UTF-8.
    [[nodiscard]] static std::optional<std::u16string> getStringForServiceName(std::u16string_view serviceName,
                                                                 std::u16string_view accountName,
                                                                 Error* outError = nullptr);
    // False when the string cannot be encoded as UTF-8 (an unpaired surrogate) or storing fails.
    [[nodiscard]] static bool setString(std::u16string_view string, std::u16string_view serviceName, std::u16string_view accountName,
                          Error* outError = nullptr);
    // Removes the item with its secret, for an account that goes away. True
    // when no such item remains (also when there was none); false when the
    // keychain could not be changed.
    [[nodiscard]] static bool removeDataForServiceName(std::u16string_view serviceName, std::u16string_view accountName,
                                         Error* outError = nullptr);

    VornickKeychain() = delete;
};

} // namespace brevanton
