// A "tidy" that runs the real one and logs each run, as "<start> <end>" in
// nanoseconds once it ends, in a folder that can stand first on PATH. Runs
// that were stopped log no end. The runs one after the other are the longest
// chain of logged runs each of which started after the one before ended.
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
        // Each run takes a second longer than tidy, so that runs started
        // side by side overlap however small the page, even when the second
        // starts late (an instrumented program on a busy machine).
        std::string script = "#!/bin/sh\necho \"$*\" >> '" + m_started + "'\nstart=$(date +%s%N)\nsleep 1\n'" + realTidy
            + "' \"$@\"\nstatus=$?\necho \"$start $(date +%s%N)\" >> '" + m_ended + "'\nexit $status\n";
        return writeFileAtomically(executable(), script) && chmod(executable().c_str(), 0755) == 0;
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

    // Forgets the runs logged so far.
    void clear() const
    {
        (void)removeItem(m_started);
        (void)removeItem(m_ended);
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
};

} // namespace brevanton::testing
