// A copy of an account folder for the tests that lay out its windows in
// their own process while the program under test holds the account itself.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

namespace brevanton {

// A copy of the account folder, for laying out its windows in this process
// while the program under test holds the account itself: one program at a
// time may open an account.
class AccountLayoutCopy {
public:
    explicit AccountLayoutCopy(const std::string& folder)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevanton-layout-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        m_root = pattern;
        m_folder = (std::filesystem::path(m_root) / std::filesystem::path(folder).filename()).string();
        std::error_code error;
        std::filesystem::copy(folder, m_folder, std::filesystem::copy_options::recursive, error);
        EXPECT_FALSE(error) << "copying " << folder << ": " << error.message();
    }
    ~AccountLayoutCopy()
    {
        std::error_code error;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, error);
    }
    AccountLayoutCopy(const AccountLayoutCopy&) = delete;
    AccountLayoutCopy& operator=(const AccountLayoutCopy&) = delete;
    const std::string& folder() const { return m_folder; }

private:
    std::string m_root;
    std::string m_folder;
};

} // namespace brevanton
