// Times the hunspell command listing the misspelt words of a text with the
// en_US dictionary, the peer the spelling benchmarks set our checker beside;
// the words it lists are reported as the counter "misspellings".
#pragma once

#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace brevanton::bench {

// False, the benchmark skipped, when the command did not run.
inline bool timeHunspellCommand(benchmark::State& state, std::string text)
{
    ProcessLaunch launch;
    launch.executable = "hunspell";
    launch.arguments = { "-d", "en_US", "-l" };
    launch.standardInput = std::move(text);
    launch.environment["LANG"] = "C.UTF-8";
    for (auto _ : state) {
        Error error;
        auto result = Process::run(launch, &error);
        if (!result || !result->succeeded()) {
            state.SkipWithError("hunspell did not run");
            return false;
        }
        state.counters["misspellings"] = static_cast<double>(std::count(result->standardOutput.begin(), result->standardOutput.end(), '\n'));
    }
    return true;
}

} // namespace brevanton::bench
