// Times a piece of WordPress's own PHP (parse_blocks(), wpautop()) on a text
// inside php-cli, so that our code can be timed beside it in the same run.
// Only the call is timed, not the start of php or the reading of its files;
// the benchmark is skipped without php or Debian's WordPress files.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace brevanton::bench {

inline const char* const wordPressRoot = "/usr/share/wordpress";

// Runs `setup` (PHP that loads what the call needs), then times `call` on
// the text read from standard input as `$text`, once an iteration. Use with
// UseManualTime().
inline void timeWordPressPHP(benchmark::State& state, const std::string& neededFile, const std::string& setup, const std::string& call,
                             const std::string& text)
{
    if (findExecutable("php").empty() || !std::filesystem::exists(std::string(wordPressRoot) + "/" + neededFile)) {
        state.SkipWithError("php or WordPress's files are missing");
        return;
    }
    for (auto _ : state) {
        ProcessLaunch launch;
        launch.executable = "php";
        launch.arguments = { "-r", setup + "$text = file_get_contents('php://stdin'); $start = hrtime(true);" + call +
                                       "echo (hrtime(true) - $start) / 1e9;" };
        launch.standardInput = text;
        Error error;
        auto result = Process::run(launch, &error);
        if (!result || !result->succeeded()) {
            state.SkipWithError("php failed");
            return;
        }
        state.SetIterationTime(std::stod(result->standardOutput));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// parse_blocks() of the text: WordPress's block parser.
inline void timeWordPressParseBlocks(benchmark::State& state, const std::string& text)
{
    timeWordPressPHP(state, "wp-includes/class-wp-block-parser.php",
                     std::string("require '") + wordPressRoot + "/wp-includes/class-wp-block-parser.php';",
                     "$parser = new WP_Block_Parser(); $parser->parse($text);", text);
}

// wpautop() of the text.
inline void timeWordPressAutop(benchmark::State& state, const std::string& text)
{
    timeWordPressPHP(state, "wp-includes/formatting.php",
                     std::string("define('ABSPATH', '") + wordPressRoot + "/'); define('WPINC', 'wp-includes');" + "require '" + wordPressRoot +
                         "/wp-includes/formatting.php';",
                     "wpautop($text);", text);
}

} // namespace brevanton::bench
