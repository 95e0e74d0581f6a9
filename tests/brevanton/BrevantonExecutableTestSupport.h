// The brevanton executable run as a process, on copies of pages in a
// temporary folder of each test's own.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/InstrumentedBuild.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

inline const std::string dataFolder = BREVANTON_TEST_DATA_DIR;

// Shorter than the program's own longest wait for a validation (tidy's
// timeout and 5 s), so that a wait for something that never comes fails.
// A sanitizer's build runs several times slower, and several saves at once
// on a busy machine took longer than that: there it only catches a hang.
inline constexpr std::chrono::seconds brevantonRunTimeout { testsRunInstrumented ? 300 : 30 };
// Pages of tens of megabytes take seconds on a quiet machine and over half
// a minute on a busy one: for them the bound only catches a hang.
inline constexpr std::chrono::seconds brevantonHugeInputRunTimeout { 300 };

inline ProcessResult runBrevanton(std::vector<std::string> arguments, std::map<std::string, std::string> environment = {},
                                  std::string executable = BREVANTON_EXECUTABLE, std::chrono::seconds timeout = brevantonRunTimeout)
{
    ProcessLaunch launch;
    launch.executable = std::move(executable);
    launch.arguments = std::move(arguments);
    // The report is what the program does without a display.
    for (const char* variable : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        launch.environment[variable] = std::nullopt;
    for (auto& [name, value] : environment)
        launch.environment[name] = value;
    launch.timeout = timeout;
    Error error;
    auto result = Process::run(launch, &error);
    EXPECT_TRUE(result) << "brevanton could not be run";
    if (!result)
        return {};
    EXPECT_FALSE(result->timedOut) << "brevanton " << launch.arguments.back() << " did not end";
    EXPECT_EQ(result->terminationSignal, 0) << "brevanton " << launch.arguments.back() << " was killed\n"
                                            << result->standardError;
    return *result;
}

inline bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

class BrevantonExecutable : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("brevanton-executable-test").value();
    }
    void TearDown() override
    {
        setTidyCheckWorkBudget(std::nullopt);
        EXPECT_TRUE(removeItem(m_folder));
    }

    // The program reads this process's defaults (its configuration folder is
    // this process's): the work budget it gives tidy's check, in element
    // levels, or its own.
    static void setTidyCheckWorkBudget(std::optional<double> levels)
    {
        if (levels)
            UserDefaults::standard().setDouble(*levels, u"TidyCheckWorkBudget");
        else
            UserDefaults::standard().removeObjectForKey(u"TidyCheckWorkBudget");
        EXPECT_TRUE(UserDefaults::standard().synchronize());
    }

    // A copy of a page under tests/data, named as the page.
    std::string copyOf(const std::string& relative)
    {
        std::string copy = m_folder + "/" + std::filesystem::path(relative).filename().string();
        EXPECT_TRUE(writeFileAtomically(copy, readFile(dataFolder + "/" + relative).value()));
        return copy;
    }

    std::string m_folder;
};

} // namespace brevanton
