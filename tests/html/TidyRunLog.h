// A "tidy" that runs the real one and logs each run, as "<start> <end>" in
// nanoseconds once it ends, in a folder that can stand first on PATH. Runs
// that were stopped log no end. The runs one after the other are the longest
// chain of logged runs each of which started after the one before ended.
// Two runs started side by side overlap however late the second starts on a
// busy machine when the first is held until another starts
// (holdNextRunUntilAnotherStarts); runs started one after the other's end
// still log one after the other.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace brevanton::testing {

class TidyRunLog {
public:
    // The wrapper goes into `folder` as "tidy"; false when no real tidy is found.
    bool install(const std::string& folder)
    {
        std::string realTidy = findExecutable("tidy");
        if (realTidy.empty())
            return false;
        m_folder = folder;
        m_started = folder + "/tidy-started.log";
        m_ended = folder + "/tidy-ended.log";
        m_hold = folder + "/tidy-hold";
        m_delay = folder + "/tidy-delay";
        // A run's start is taken before it counts as started, so that a run
        // released by it ends after its start. The run that takes the hold
        // waits until a run started after it (or, its partner missing,
        // twenty seconds); the delay, when set, is slept before tidy runs.
        std::string script = "#!/bin/sh\n"
                             "start=$(date +%s%N)\n"
                             "count() { if [ -f \"$1\" ]; then wc -l < \"$1\"; else echo 0; fi; }\n"
                             "mine=$(( $(count '" + m_started + "') + 1 ))\n"
                             "echo \"$*\" >> '" + m_started + "'\n"
                             "if mv '" + m_hold + "' '" + m_hold + ".'$$ 2>/dev/null; then\n"
                             "  rm -f '" + m_hold + ".'$$\n"
                             "  until=$(( $(date +%s) + 20 ))\n"
                             "  while [ $(count '" + m_started + "') -le $mine ] && [ $(date +%s) -lt $until ]; do sleep 0.02; done\n"
                             "fi\n"
                             "if [ -f '" + m_delay + "' ]; then sleep $(cat '" + m_delay + "'); fi\n"
                             "'" + realTidy + "' \"$@\"\n"
                             "status=$?\n"
                             "echo \"$start $(date +%s%N)\" >> '" + m_ended + "'\n"
                             "exit $status\n";
        return writeFileAtomically(executable(), script) && chmod(executable().c_str(), 0755) == 0;
    }
    // The next run to start waits, before tidy runs, until another run starts.
    bool holdNextRunUntilAnotherStarts() const { return writeFileAtomically(m_hold, ""); }
    // Each run from now on sleeps that long before tidy runs; 0 for none.
    bool setDelay(double seconds) const
    {
        if (seconds <= 0)
            return removeItem(m_delay) || !fileExists(m_delay);
        return writeFileAtomically(m_delay, std::to_string(seconds));
    }
    std::string executable() const { return m_folder + "/tidy"; }
    std::string folder() const { return m_folder; }

    // The runs started so far, with their arguments.
    std::vector<std::string> started() const { return lines(m_started); }
    std::string startedText() const { return readFile(m_started).value_or(""); }
    size_t ended() const { return lines(m_ended).size(); }

    size_t runsOneAfterTheOther() const
    {
        std::vector<std::pair<int64_t, int64_t>> runs;
        for (const auto& line : lines(m_ended)) {
            std::istringstream stream(line);
            int64_t start = 0, end = 0;
            if (stream >> start >> end)
                runs.emplace_back(start, end);
        }
        // The most runs none of which overlaps the next: by earliest end.
        std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        size_t chain = 0;
        int64_t lastEnd = INT64_MIN;
        for (const auto& [start, end] : runs) {
            if (start >= lastEnd) {
                ++chain;
                lastEnd = end;
            }
        }
        return chain;
    }

    // Forgets the runs logged so far, and a hold no run took.
    void clear() const
    {
        (void)removeItem(m_started);
        (void)removeItem(m_ended);
        (void)removeItem(m_hold);
    }

private:
    static std::vector<std::string> lines(const std::string& path)
    {
        std::vector<std::string> result;
        std::istringstream stream(readFile(path).value_or(""));
        for (std::string line; std::getline(stream, line);)
            result.push_back(line);
        return result;
    }

    std::string m_folder;
    std::string m_started;
    std::string m_ended;
    std::string m_hold;
    std::string m_delay;
};

} // namespace brevanton::testing
