// FileKeychainStore: generic passwords in a JSON file of mode 0600 inside a
// folder of mode 0700, written atomically. A lock file serializes changes
// made by several processes.
#pragma once

#include "platform/keychain/KeychainStore.h"

#include <mutex>

namespace brevanton {

class FileKeychainStore : public KeychainStore {
public:
    // The file "Keychain.json" in the application's folder of $XDG_DATA_HOME.
    FileKeychainStore();
    explicit FileKeychainStore(std::string path);

    static std::string defaultPath();
    const std::string& path() const { return m_path; }

    [[nodiscard]] std::optional<Data> findPassword(std::string_view service, std::string_view account, Error* = nullptr) override;
    [[nodiscard]] bool addPassword(std::string_view service, std::string_view account, const Data&, Error* = nullptr) override;
    [[nodiscard]] bool updatePassword(std::string_view service, std::string_view account, const Data&, Error* = nullptr) override;
    [[nodiscard]] bool deletePassword(std::string_view service, std::string_view account, Error* = nullptr) override;
    std::string description() const override;

private:
    struct Item {
        std::string service;
        std::string account;
        Data secret;
    };
    enum class Change { Add, Update, Delete };

    [[nodiscard]] bool load(std::vector<Item>&, Error*);
    [[nodiscard]] bool save(const std::vector<Item>&, Error*);
    [[nodiscard]] bool change(Change, std::string_view service, std::string_view account, const Data*, Error*);

    std::string m_path;
    std::mutex m_mutex;
};

} // namespace brevanton
