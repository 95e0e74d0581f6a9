// Times parse5 (the tests' oracle, tests/oracles/parse5) parsing a page in
// node, so that our parser can be timed beside it in the same run. Node
// reads the page, parses it a few times for its compiler to warm up, then
// times the parses the benchmark reports; the first, cold parse is reported
// as a counter. The benchmark is skipped without node or parse5.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace brevanton::bench {

// Use with Iterations(timedParses) and UseManualTime().
inline void timeParse5(benchmark::State& state, const std::string& page, int timedParses)
{
    std::string oracle = std::string(BREVANTON_TEST_DATA_DIR) + "/../oracles/parse5";
    if (findExecutable("node").empty() || !std::filesystem::exists(oracle + "/node_modules/parse5")) {
        state.SkipWithError("node or parse5 is missing");
        return;
    }
    ProcessLaunch launch;
    launch.executable = "node";
    launch.workingDirectory = oracle;
    launch.arguments = { "--input-type=module", "-e",
                         "import { parse } from 'parse5'; import { readFileSync } from 'fs';"
                         "const text = readFileSync(0, 'utf8'); const seconds = [];"
                         "for (let i = 0; i < " + std::to_string(timedParses + 3) + "; ++i) {"
                         "  const start = process.hrtime.bigint(); parse(text);"
                         "  seconds.push(Number(process.hrtime.bigint() - start) / 1e9); }"
                         "console.log(seconds.join(' '));" };
    launch.standardInput = page;
    Error error;
    auto result = Process::run(launch, &error);
    if (!result || !result->succeeded()) {
        state.SkipWithError("node failed");
        return;
    }
    std::istringstream output(result->standardOutput);
    std::vector<double> seconds;
    for (double value; output >> value;)
        seconds.push_back(value);
    if (seconds.size() != static_cast<size_t>(timedParses + 3)) {
        state.SkipWithError("node answered no times");
        return;
    }
    size_t next = 3;
    for (auto _ : state)
        state.SetIterationTime(seconds[next < seconds.size() ? next++ : seconds.size() - 1]);
    state.counters["ColdParseMilliseconds"] = seconds[0] * 1000;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

} // namespace brevanton::bench
