// The real WordPress site of tests/wordpress-site/, for tests that talk to it:
// where it is, its users and their application passwords (read from the
// state folder's root-only file, never from a command line), and resetting it
// between groups of tests. A test calls BREVANTON_REQUIRE_WORDPRESS_SITE()
// first: without the site it skips, saying why, except under CI, where a
// skipped suite would hide a broken one and so fails.
#pragma once

#include "platform/foundation/Process.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace brevanton::testing {

struct WordPressSiteUser {
    int64_t identifier { 0 };
    std::u16string username;
    std::u16string password;
    std::u16string applicationPassword;
};

struct WordPressSite {
    // "http://127.0.0.1:<port>", without a trailing slash.
    std::u16string url;
    std::u16string timeZone;
    WordPressSiteUser administrator;
    WordPressSiteUser author;
};

// The running site, or nullopt with the reason in `whyNot`.
std::optional<WordPressSite> wordPressSite(std::string* whyNot);

// Runs one of the site's scripts ("restore", "permalinks plain", ...); false
// with its output in `output` when it fails.
[[nodiscard]] bool runWordPressSiteScript(const std::string& script, const std::vector<std::string>& arguments, std::string* output);

} // namespace brevanton::testing

#define BREVANTON_REQUIRE_WORDPRESS_SITE(site)                                              \
    std::string whyNoWordPressSite;                                                          \
    auto site##Found = ::brevanton::testing::wordPressSite(&whyNoWordPressSite);             \
    if (!site##Found) {                                                                      \
        if (std::getenv("CI"))                                                               \
            FAIL() << "The test WordPress site is needed: " << whyNoWordPressSite;           \
        GTEST_SKIP() << "No test WordPress site: " << whyNoWordPressSite;                    \
    }                                                                                        \
    const ::brevanton::testing::WordPressSite& site = *site##Found
