#include "platform/keychain/FileKeychainStore.h"

#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

namespace {

constexpr int FormatVersion = 1;

std::string toHex(const Data& data)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(data.size() * 2);
    for (uint8_t byte : data) {
        result += digits[byte >> 4];
        result += digits[byte & 15];
    }
    return result;
}

std::optional<Data> fromHex(std::string_view text)
{
    if (text.size() % 2)
        return std::nullopt;
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    Data result;
    result.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = value(text[i]), low = value(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        result.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return result;
}

bool validName(std::string_view name)
{
    std::u16string ignored;
    return decodeUTF8Strictly(name, ignored);
}

// An exclusive lock on "<file>.lock" for one read-modify-write.
class FileLock {
public:
    explicit FileLock(const std::string& path)
    {
        m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        while (::flock(m_fd, LOCK_EX) < 0) {
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int error() const { return m_error; }

private:
    int m_fd { -1 };
    int m_error { 0 };
};

Error unavailable(const std::string& path, const Error& underlying)
{
    Error error = keychainError(KeychainStoreUnavailable,
                                u"The keychain file \u201C" + toUTF16(path) + u"\u201D cannot be used: "
                                    + underlying.localizedDescription());
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    error.setUnderlyingError(underlying);
    return error;
}

} // namespace

FileKeychainStore::FileKeychainStore()
    : m_path(defaultPath())
{
}

FileKeychainStore::FileKeychainStore(std::string path)
    : m_path(std::move(path))
{
}

std::string FileKeychainStore::defaultPath()
{
    return *applicationFolder(XDGFolder::Data) + "/Keychain.json";
}

std::string FileKeychainStore::description() const
{
    return "file " + m_path;
}

bool FileKeychainStore::load(std::vector<Item>& items, Error* outError)
{
    items.clear();
    if (!fileExists(m_path))
        return true;
    Error readError;
    auto contents = readFile(m_path, &readError, FileReadKind::Keychain);
    if (!contents)
        return setError(outError, unavailable(m_path, readError));
    auto corrupt = [&] {
        Error error = keychainError(KeychainStoreCorrupt,
                                    u"The keychain file \u201C" + toUTF16(m_path) + u"\u201D cannot be read.");
        error.userInfo()[Error::FilePathKey] = Value(toUTF16(m_path));
        return setError(outError, std::move(error));
    };
    auto json = nlohmann::json::parse(*contents, nullptr, false);
    if (json.is_discarded() || !json.is_object() || !json.contains("items") || !json["items"].is_array())
        return corrupt();
    for (auto& entry : json["items"]) {
        if (!entry.is_object() || !entry.contains("service") || !entry["service"].is_string()
            || !entry.contains("account") || !entry["account"].is_string() || !entry.contains("secret")
            || !entry["secret"].is_string())
            return corrupt();
        auto secret = fromHex(entry["secret"].get<std::string>());
        if (!secret)
            return corrupt();
        items.push_back({ entry["service"].get<std::string>(), entry["account"].get<std::string>(), std::move(*secret) });
    }
    return true;
}

bool FileKeychainStore::save(const std::vector<Item>& items, Error* outError)
{
    nlohmann::json list = nlohmann::json::array();
    for (auto& item : items)
        list.push_back({ { "service", item.service }, { "account", item.account }, { "secret", toHex(item.secret) } });
    nlohmann::json json = { { "formatVersion", FormatVersion }, { "items", std::move(list) } };

    // An existing file that others could read is closed to them before new secrets go in.
    struct stat info;
    if (::stat(m_path.c_str(), &info) == 0 && (info.st_mode & 07777) != 0600 && ::chmod(m_path.c_str(), 0600) < 0)
        return setError(outError, unavailable(m_path, Error::posix(errno)));
    Error writeError;
    if (!writeFileAtomically(m_path, json.dump(1, '\t'), &writeError, 0600))
        return setError(outError, unavailable(m_path, writeError));
    // The umask could have taken bits away, never added: make sure of 0600 all the same.
    if (::stat(m_path.c_str(), &info) == 0 && (info.st_mode & 07777) != 0600)
        ::chmod(m_path.c_str(), 0600);
    return true;
}

std::optional<Data> FileKeychainStore::findPassword(std::string_view service, std::string_view account, Error* outError)
{
    std::lock_guard lock(m_mutex);
    std::vector<Item> items;
    if (!load(items, outError))
        return std::nullopt;
    for (auto& item : items) {
        if (item.service == service && item.account == account)
            return item.secret;
    }
    setError(outError, keychainError(KeychainItemNotFound, u"The keychain item was not found."));
    return std::nullopt;
}

bool FileKeychainStore::change(Change change, std::string_view service, std::string_view account, const Data* secret,
                               Error* outError)
{
    if (!validName(service) || !validName(account))
        return setError(outError, keychainError(KeychainInvalidName, u"Keychain names must be valid UTF-8."));
    std::lock_guard lock(m_mutex);
    Error folderError;
    std::string folder = parentDirectory(m_path);
    if (!createDirectory(folder, true, &folderError, 0700))
        return setError(outError, unavailable(m_path, folderError));
    // A folder made before, by another part of the program, may be open to
    // others: the user's own one is closed to them before secrets go in (a
    // shared one, with its sticky bit, is left alone).
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) == 0 && folderInfo.st_uid == ::geteuid() && !(folderInfo.st_mode & S_ISVTX)
        && (folderInfo.st_mode & 077) && ::chmod(folder.c_str(), folderInfo.st_mode & 0700) < 0)
        return setError(outError, unavailable(m_path, Error::posix(errno)));
    FileLock fileLock(m_path);
    if (fileLock.error())
        return setError(outError, unavailable(m_path, Error::posix(fileLock.error())));

    std::vector<Item> items;
    if (!load(items, outError))
        return false;
    auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) {
        return item.service == service && item.account == account;
    });
    switch (change) {
    case Change::Add:
        if (found != items.end())
            return setError(outError, keychainError(KeychainDuplicateItem, u"The keychain item already exists."));
        items.push_back({ std::string(service), std::string(account), *secret });
        break;
    case Change::Update:
        if (found == items.end())
            return setError(outError, keychainError(KeychainItemNotFound, u"The keychain item was not found."));
        found->secret = *secret;
        break;
    case Change::Delete:
        if (found == items.end())
            return setError(outError, keychainError(KeychainItemNotFound, u"The keychain item was not found."));
        items.erase(found);
        break;
    }
    return save(items, outError);
}

bool FileKeychainStore::addPassword(std::string_view service, std::string_view account, const Data& secret, Error* outError)
{
    return change(Change::Add, service, account, &secret, outError);
}

bool FileKeychainStore::updatePassword(std::string_view service, std::string_view account, const Data& secret,
                                       Error* outError)
{
    return change(Change::Update, service, account, &secret, outError);
}

bool FileKeychainStore::deletePassword(std::string_view service, std::string_view account, Error* outError)
{
    return change(Change::Delete, service, account, nullptr, outError);
}

} // namespace brevanton
