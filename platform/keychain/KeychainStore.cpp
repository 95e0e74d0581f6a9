#include "platform/keychain/KeychainStore.h"

#include "platform/keychain/FileKeychainStore.h"
#include "platform/keychain/SecretServiceKeychainStore.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace brevanton {

namespace {

std::mutex& defaultStoreMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<KeychainStore>& overridingStore()
{
    static std::shared_ptr<KeychainStore> store;
    return store;
}

} // namespace

Error keychainError(KeychainErrorCode code, std::u16string description)
{
    return Error(KeychainErrorDomain, code, std::move(description));
}

std::shared_ptr<KeychainStore> KeychainStore::defaultStore()
{
    std::lock_guard lock(defaultStoreMutex());
    if (overridingStore())
        return overridingStore();
    const char* selection = std::getenv("BREVANTON_KEYCHAIN");
    if (selection && !std::strcmp(selection, "file"))
        return std::make_shared<FileKeychainStore>();
    // Whether the Secret Service answers is asked once.
    static const bool secretServiceAvailable = SecretServiceKeychainStore::isAvailable();
    if (secretServiceAvailable)
        return std::make_shared<SecretServiceKeychainStore>();
    return std::make_shared<FileKeychainStore>();
}

void KeychainStore::setDefaultStore(std::shared_ptr<KeychainStore> store)
{
    std::lock_guard lock(defaultStoreMutex());
    overridingStore() = std::move(store);
}

} // namespace brevanton
