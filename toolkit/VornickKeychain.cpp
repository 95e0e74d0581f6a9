#include "toolkit/VornickKeychain.h"

#include "platform/foundation/ConsoleLog.h"

#include "platform/foundation/Text.h"
#include "platform/keychain/KeychainStore.h"

#include <cstdio>

namespace brevanton {

namespace {

// UTF-8 of `text`, or nothing when it holds an unpaired surrogate.
std::optional<std::string> encodeUTF8(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i])) {
            if (i + 1 == text.size() || !isLowSurrogate(text[i + 1]))
                return std::nullopt;
            ++i;
        } else if (isLowSurrogate(text[i])) {
            return std::nullopt;
        }
    }
    return toUTF8(text);
}

bool encodeNames(std::u16string_view serviceName, std::u16string_view accountName, std::string& service,
                 std::string& account, Error* outError)
{
    auto encodedService = encodeUTF8(serviceName);
    auto encodedAccount = encodeUTF8(accountName);
    if (!encodedService || !encodedAccount)
        return setError(outError, keychainError(KeychainInvalidName, u"Keychain names must be valid Unicode text."));
    service = std::move(*encodedService);
    account = std::move(*encodedAccount);
    return true;
}

void logToConsole(const char* message, const Error& error)
{
    consoleLog(std::string(message) + ": " + toUTF8(error.localizedDescription()));
}

} // namespace

std::optional<Data> VornickKeychain::getDataForServiceName(std::u16string_view serviceName,
                                                           std::u16string_view accountName, Error* outError)
{
    std::string service, account;
    if (!encodeNames(serviceName, accountName, service, account, outError))
        return std::nullopt;
    return KeychainStore::defaultStore()->findPassword(service, account, outError);
}

bool VornickKeychain::setData(const Data& data, std::u16string_view serviceName, std::u16string_view accountName,
                              Error* outError)
{
    std::string service, account;
    if (!encodeNames(serviceName, accountName, service, account, outError))
        return false;
    auto store = KeychainStore::defaultStore();
    Error error;
    if (store->findPassword(service, account, &error)) {
        if (!store->updatePassword(service, account, data, &error)) {
            logToConsole("** Error updating Keychain item", error);
            return setError(outError, error);
        }
        return true;
    }
    if (!error.is(KeychainErrorDomain, KeychainItemNotFound) || !store->addPassword(service, account, data, &error)) {
        logToConsole("** Error adding item to Keychain", error);
        return setError(outError, error);
    }
    return true;
}

std::optional<std::u16string> VornickKeychain::getStringForServiceName(std::u16string_view serviceName,
                                                                       std::u16string_view accountName, Error* outError)
{
    auto data = getDataForServiceName(serviceName, accountName, outError);
    if (!data)
        return std::nullopt;
    std::u16string string;
    if (!decodeUTF8Strictly(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()), string)) {
        setError(outError, Error(CocoaErrorDomain, 261, u"The keychain item is not UTF-8 text."));
        return std::nullopt;
    }
    return string;
}

bool VornickKeychain::setString(std::u16string_view string, std::u16string_view serviceName,
                                std::u16string_view accountName, Error* outError)
{
    auto encoded = encodeUTF8(string);
    if (!encoded)
        return setError(outError, Error(CocoaErrorDomain, 517, u"The text cannot be encoded as UTF-8."));
    return setData(Data(encoded->begin(), encoded->end()), serviceName, accountName, outError);
}

bool VornickKeychain::removeDataForServiceName(std::u16string_view serviceName, std::u16string_view accountName,
                                               Error* outError)
{
    std::string service, account;
    if (!encodeNames(serviceName, accountName, service, account, outError))
        return false;
    Error error;
    if (KeychainStore::defaultStore()->deletePassword(service, account, &error))
        return true;
    if (error.is(KeychainErrorDomain, KeychainItemNotFound))
        return true;
    logToConsole("** Error removing Keychain item", error);
    return setError(outError, error);
}

} // namespace brevanton
