#include "toolkit/VornickFileManager.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickFileManager, UserFoldersAreTheXDGFolders)
{
    std::string folder = createTemporaryDirectory("file-manager").value();
    std::string savedCache = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);

    auto& manager = VornickFileManager::defaultManager();
    EXPECT_EQ(&manager, &VornickFileManager::defaultManager());

    Error error;
    auto caches = manager.URLForDirectory(VornickSearchPathDirectory::CachesDirectory, VornickUserDomainMask, nullptr,
                                          false, &error);
    ASSERT_TRUE(caches);
    EXPECT_EQ(caches->fileSystemPath(), folder + "/cache");
    EXPECT_TRUE(caches->hasDirectoryPath());
    EXPECT_FALSE(fileExists(folder + "/cache"));

    auto support = manager.URLForDirectory(VornickSearchPathDirectory::ApplicationSupportDirectory,
                                           VornickUserDomainMask, nullptr, true, &error);
    ASSERT_TRUE(support) << error;
    EXPECT_EQ(support->fileSystemPath(), folder + "/data");
    EXPECT_TRUE(isDirectory(folder + "/data"));

    EXPECT_FALSE(manager.URLForDirectory(VornickSearchPathDirectory::CachesDirectory, 0, nullptr, false, &error));
    EXPECT_FALSE(error.isEmpty());

    // A folder that cannot be made is an error, not a URL to nowhere.
    ASSERT_TRUE(writeFileAtomically(folder + "/plain", "x"));
    ::setenv("XDG_CACHE_HOME", (folder + "/plain/cache").c_str(), 1);
    error = Error();
    EXPECT_FALSE(manager.URLForDirectory(VornickSearchPathDirectory::CachesDirectory, VornickUserDomainMask, nullptr,
                                         true, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);

    savedCache.empty() ? ::unsetenv("XDG_CACHE_HOME") : ::setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
    savedData.empty() ? ::unsetenv("XDG_DATA_HOME") : ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    EXPECT_TRUE(removeItem(folder));
}
