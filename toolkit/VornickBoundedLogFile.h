// A log file that grows by appending and stays bounded: past its size limit
// its newest part (at most the limit, from a line start) moves to a file of
// earlier lines beside it ("<name>.old.txt" for "<name>.txt") and the log
// starts again empty. So the two hold between the limit and twice it of the
// newest lines, and nothing reads the log to add to it.
//
// Several processes may append at once: every append is one write to a file
// opened for appending, under a shared lock of the file that a process
// moving it away holds exclusively; an append that finds the file moved
// opens the new one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevanton {

// The general log's size limit: a run from the command line logs about a
// kilobyte and a day in the windows some tens of kilobytes, so a megabyte
// (and the megabyte before it) holds weeks of history, while a runaway
// debug log costs at most two megabytes of the user's cache.
inline constexpr size_t VornickGeneralLogSizeLimit = 1 << 20;

// "<folder>/<name>.old.txt" for "<folder>/<name>.txt".
std::string VornickEarlierLogFilePath(const std::string& logPath);

// Appends `bytes` to the file at `logPath` (created when missing) and moves
// its newest part away when it passed `sizeLimit`. False when the bytes
// could not be written (they are then not in the file).
[[nodiscard]] bool VornickAppendToBoundedLogFile(const std::string& logPath, std::string_view bytes, size_t sizeLimit);

} // namespace brevanton
