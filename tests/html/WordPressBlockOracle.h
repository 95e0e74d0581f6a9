// WordPress's own block parser and attribute writer as a test oracle: PHP
// from Debian's wordpress package, run with php-cli (no server, no
// database). A missing php or wordpress package fails the calling test.
#pragma once

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brevanton::testing {

inline const std::string& wordPressOracleScript()
{
    static const std::string script = std::string(BREVANTON_TEST_DATA_DIR) + "/../oracles/wordpress/parse_blocks.php";
    return script;
}

// Runs parse_blocks.php in a mode ("tree", "patterns", "attributes") with the input on standard input.
inline std::optional<std::string> runWordPressOracleText(const std::string& mode, const std::string& input)
{
    ProcessLaunch launch;
    launch.executable = "php";
    launch.arguments = { wordPressOracleScript(), mode };
    launch.standardInput = input;
    launch.timeout = std::chrono::seconds(60);
    Error error;
    auto result = Process::run(launch, &error);
    if (!result) {
        ADD_FAILURE() << "php could not be run (install php-cli through scripts/bootstrap)";
        return std::nullopt;
    }
    if (!result->succeeded()) {
        ADD_FAILURE() << "the WordPress oracle failed (install wordpress through scripts/bootstrap): " << result->standardError;
        return std::nullopt;
    }
    return result->standardOutput;
}

inline std::optional<Value> runWordPressOracle(const std::string& mode, const std::string& input)
{
    auto text = runWordPressOracleText(mode, input);
    if (!text)
        return std::nullopt;
    auto parsed = readJSON(*text, nullptr);
    if (!parsed)
        ADD_FAILURE() << "unreadable oracle output: " << *text;
    return parsed;
}

// PHP writes an empty JSON object read as an associative array back as [].
inline Value normalizedOracleValue(const Value& value)
{
    if (value.isDictionary()) {
        if (value.dictionary().empty())
            return Value(Array());
        Dictionary out;
        for (const auto& [key, element] : value.dictionary())
            out.emplace(key, normalizedOracleValue(element));
        return Value(std::move(out));
    }
    if (value.isArray()) {
        Array out;
        for (const auto& element : value.array())
            out.push_back(normalizedOracleValue(element));
        return Value(std::move(out));
    }
    return value;
}

} // namespace brevanton::testing
