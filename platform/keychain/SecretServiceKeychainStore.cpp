#include "platform/keychain/SecretServiceKeychainStore.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cstdlib>
#include <libsecret/secret.h>

namespace brevanton {

namespace {

const SecretSchema* schema()
{
    static const SecretSchema genericPassword = {
        "com.Orbendalworks.Brevanton.GenericPassword",
        SECRET_SCHEMA_NONE,
        {
            { "service", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { "account", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING },
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    return &genericPassword;
}

Error errorFrom(GError* error)
{
    Error result = keychainError(KeychainStoreUnavailable,
                                 u"The Secret Service failed: " + toUTF16(error && error->message ? error->message : "unknown error"));
    if (error)
        g_error_free(error);
    return result;
}

} // namespace

bool SecretServiceKeychainStore::isAvailable()
{
    // Without a configured session bus, asking would try to start one.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    bool haveBus = (address && *address) || (runtime && *runtime && fileExists(std::string(runtime) + "/bus"));
    if (!haveBus)
        return false;
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_LOAD_COLLECTIONS, nullptr, &error);
    if (error)
        g_error_free(error);
    if (!service)
        return false;
    g_object_unref(service);
    return true;
}

std::optional<Data> SecretServiceKeychainStore::findPassword(std::string_view service, std::string_view account,
                                                             Error* outError)
{
    std::string serviceName(service), accountName(account);
    GError* error = nullptr;
    SecretValue* value = secret_password_lookup_binary_sync(schema(), nullptr, &error, "service", serviceName.c_str(),
                                                            "account", accountName.c_str(), nullptr);
    if (error) {
        setError(outError, errorFrom(error));
        return std::nullopt;
    }
    if (!value) {
        setError(outError, keychainError(KeychainItemNotFound, u"The keychain item was not found."));
        return std::nullopt;
    }
    gsize length = 0;
    const gchar* bytes = secret_value_get(value, &length);
    Data data(reinterpret_cast<const uint8_t*>(bytes), reinterpret_cast<const uint8_t*>(bytes) + length);
    secret_value_unref(value);
    return data;
}

bool SecretServiceKeychainStore::store(std::string_view service, std::string_view account, const Data& secret,
                                       Error* outError)
{
    std::string serviceName(service), accountName(account);
    std::string label = serviceName + " (" + accountName + ")";
    SecretValue* value = secret_value_new(reinterpret_cast<const gchar*>(secret.data()),
                                          static_cast<gssize>(secret.size()), "application/octet-stream");
    GError* error = nullptr;
    gboolean stored = secret_password_store_binary_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), value,
                                                        nullptr, &error, "service", serviceName.c_str(), "account",
                                                        accountName.c_str(), nullptr);
    secret_value_unref(value);
    if (error || !stored)
        return setError(outError, errorFrom(error));
    return true;
}

bool SecretServiceKeychainStore::addPassword(std::string_view service, std::string_view account, const Data& secret,
                                             Error* outError)
{
    Error findError;
    if (findPassword(service, account, &findError))
        return setError(outError, keychainError(KeychainDuplicateItem, u"The keychain item already exists."));
    if (!findError.is(KeychainErrorDomain, KeychainItemNotFound))
        return setError(outError, findError);
    return store(service, account, secret, outError);
}

bool SecretServiceKeychainStore::updatePassword(std::string_view service, std::string_view account, const Data& secret,
                                                Error* outError)
{
    Error findError;
    if (!findPassword(service, account, &findError))
        return setError(outError, findError);
    return store(service, account, secret, outError);
}

bool SecretServiceKeychainStore::deletePassword(std::string_view service, std::string_view account, Error* outError)
{
    std::string serviceName(service), accountName(account);
    GError* error = nullptr;
    gboolean removed = secret_password_clear_sync(schema(), nullptr, &error, "service", serviceName.c_str(), "account",
                                                  accountName.c_str(), nullptr);
    if (error)
        return setError(outError, errorFrom(error));
    if (!removed)
        return setError(outError, keychainError(KeychainItemNotFound, u"The keychain item was not found."));
    return true;
}

} // namespace brevanton
