// KeychainStore: generic passwords (secret bytes) identified by a service
// name and an account name. The default store is the desktop's Secret
// Service when one answers on the session bus, otherwise a file readable
// only by the user. Every failure is an Error: an unreachable or unwritable
// store is never a silent no-op.
#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

inline constexpr const char* KeychainErrorDomain = "KeychainErrorDomain";

enum KeychainErrorCode : int64_t {
    KeychainItemNotFound = 1,
    KeychainDuplicateItem = 2,
    // The store cannot be reached (no service, unreadable file, ...).
    KeychainStoreUnavailable = 3,
    // The stored items cannot be read back; the store is left as it is.
    KeychainStoreCorrupt = 4,
    // A service or account name that is not valid UTF-8.
    KeychainInvalidName = 5,
};

class KeychainStore {
public:
    virtual ~KeychainStore() = default;

    // The secret, or nullopt with KeychainItemNotFound when there is no such
    // item, or with another error when the store cannot be read.
    [[nodiscard]] virtual std::optional<Data> findPassword(std::string_view service, std::string_view account,
                                             Error* outError = nullptr) = 0;
    // Adds a new item; KeychainDuplicateItem when one exists already.
    [[nodiscard]] virtual bool addPassword(std::string_view service, std::string_view account, const Data& secret,
                             Error* outError = nullptr) = 0;
    // Replaces the secret of an existing item; KeychainItemNotFound when there is none.
    [[nodiscard]] virtual bool updatePassword(std::string_view service, std::string_view account, const Data& secret,
                                Error* outError = nullptr) = 0;
    // Removes the item and its secret; KeychainItemNotFound when there is none.
    [[nodiscard]] virtual bool deletePassword(std::string_view service, std::string_view account, Error* outError = nullptr) = 0;

    // Where the items live, for messages and logs.
    virtual std::string description() const = 0;

    // The store of the running program. With BREVANTON_KEYCHAIN=file in the
    // environment (as in tests) always the file store under $XDG_DATA_HOME;
    // otherwise the Secret Service when it answers, else the file store.
    static std::shared_ptr<KeychainStore> defaultStore();
    // Replaces the default store (null returns to the rule above).
    static void setDefaultStore(std::shared_ptr<KeychainStore>);
};

Error keychainError(KeychainErrorCode, std::u16string description);

} // namespace brevanton
