// SecretServiceKeychainStore: generic passwords in the desktop's Secret
// Service (libsecret), as items of the schema
// "com.Orbendalworks.Brevanton.GenericPassword" with the attributes
// "service" and "account", in the default collection.
#pragma once

#include "platform/keychain/KeychainStore.h"

namespace brevanton {

class SecretServiceKeychainStore : public KeychainStore {
public:
    // Whether a Secret Service answers on the session bus (checked without
    // starting a bus when none is configured).
    static bool isAvailable();

    [[nodiscard]] std::optional<Data> findPassword(std::string_view service, std::string_view account, Error* = nullptr) override;
    [[nodiscard]] bool addPassword(std::string_view service, std::string_view account, const Data&, Error* = nullptr) override;
    [[nodiscard]] bool updatePassword(std::string_view service, std::string_view account, const Data&, Error* = nullptr) override;
    [[nodiscard]] bool deletePassword(std::string_view service, std::string_view account, Error* = nullptr) override;
    std::string description() const override { return "Secret Service"; }

private:
    [[nodiscard]] bool store(std::string_view service, std::string_view account, const Data&, Error*);
};

} // namespace brevanton
