// VornickLog: an append-only text log kept in memory, mirrored to its file
// three seconds after a change, with a notification for every change. The
// general log is one shared instance, written through VornickGeneralLog.
//
// Lines may be appended or the log cleared from any thread; the file
// writes, the write timer and the notifications belong to the main thread.
// The general log appends its new lines to its file, which it never reads,
// and keeps the file bounded (toolkit/VornickBoundedLogFile.h); its text is
// what this process logged. Other logs start from their file's text and
// rewrite it whole.
//
// A line that begins "== BEGIN Sync Session" starts a sync session's part of
// the log; before it is appended, everything before the second-to-last
// earlier session start is removed, so the log holds the two previous
// sessions and the new one.
#pragma once

#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <fmt/format.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brevanton {

// Posted on the main thread with the log as object. Amended: user info "text"
// holds the appended line. Changed (sessions culled or log cleared): "text"
// holds the whole text after the change.
inline constexpr const char* VornickLogAmendedNotification = "VornickLogAmendedNotification";
inline constexpr const char* VornickLogChangedNotification = "VornickLogChangedNotification";

// Log arguments: UTF-16 text becomes UTF-8, a Value its text (a string) or
// its description; everything else goes to {fmt} as it is.
inline std::string vornickLogArgument(std::u16string_view text) { return toUTF8(text); }
inline std::string vornickLogArgument(const std::u16string& text) { return toUTF8(text); }
inline std::string vornickLogArgument(const char16_t* text) { return toUTF8(text ? text : u""); }
inline std::string vornickLogArgument(const Value& value)
{
    return value.isString() ? toUTF8(value.string()) : value.description();
}
template<typename T>
    requires(!std::is_convertible_v<T, std::u16string_view> && !std::is_same_v<std::decay_t<T>, Value>)
T&& vornickLogArgument(T&& argument)
{
    return std::forward<T>(argument);
}
template<typename T>
using VornickLogArgumentType = std::remove_cvref_t<decltype(vornickLogArgument(std::declval<T>()))>;

class VornickLog : public std::enable_shared_from_this<VornickLog> {
public:
    // Starts from the file's present content (UTF-8), or empty when it cannot be read.
    static std::shared_ptr<VornickLog> create(const URL& logFileURL);
    // Starts empty, leaving the file as it is: the lines appended are added
    // to it, and it is kept within `sizeLimit` bytes and as many before.
    static std::shared_ptr<VornickLog> createAppendingToFile(const URL& logFileURL, size_t sizeLimit);
    ~VornickLog();

    // "GeneralLog.txt" in "Logs" in the application's XDG cache folder.
    static URL generalLogURL();
    static VornickLog& generalLog();

    const URL& logFileURL() const { return m_logFileURL; }

    // Appends one line ("\n" added when missing); an empty line is dropped.
    // The line is copied straight into the log's text; the notification's
    // copy is made only when an observer is there to read it.
    void log(std::u16string_view line);
    void log(std::string_view utf8Line);
    // Formats with {fmt} ("{}" placeholders); UTF-16 strings and Values are
    // accepted as arguments and written as UTF-8 text. The line is formatted
    // in place: a short one takes no memory of its own.
    template<typename... Args>
    void log(fmt::format_string<VornickLogArgumentType<Args>...> format, Args&&... args)
    {
        fmt::memory_buffer line;
        fmt::vformat_to(fmt::appender(line), fmt::string_view(format),
                        fmt::make_format_args(vornickLogArgument(std::forward<Args>(args))...));
        log(std::string_view(line.data(), line.size()));
    }

    std::u16string text() const;
    // Empties the text; a log appending to its file keeps what the file holds.
    void clear();
    // Writes what waits for the write timer now (any thread).
    void flush();

    // "Brevanton <version> (<build>) running on <system> <release>".
    void logBrevantonVersionAndSystemInfo();

private:
    friend class VornickLogTestPeer;

    VornickLog(const URL& logFileURL, size_t appendedFileSizeLimit);
    bool appendsToFile() const { return m_appendedFileSizeLimit; }
    [[nodiscard]] bool writeLogFile();
    void scheduleWriteToLogFile();
    void cancelScheduledWriteToLogFile();
    bool hasScheduledWrite() const { return static_cast<bool>(m_writeTimer); }
    // Removes what precedes the second-to-last session start (the only one
    // when there is just one). Session starts count only at line starts.
    // Call with the lock held.
    bool cullSessionsLocked();
    // Appends a line given as UTF-16 or as UTF-8.
    template<typename CharType>
    void appendLine(std::basic_string_view<CharType> line);
    // After a line was appended (given in one of its forms, the other
    // empty, `endsLine` when it ends with its line break).
    void lineAppended(std::u16string_view line, std::string_view utf8Line, bool endsLine, bool culledLog);
    // The same, on the main thread, with the line as appended.
    void scheduleWriteAndPostNotification(std::u16string appendedString, bool culledLog);
    void postNotification(std::u16string appendedString, bool culledLog);
    void onMainThread(std::function<void(VornickLog&)>);

    URL m_logFileURL;
    mutable std::mutex m_lock;
    std::mutex m_writeLock;
    std::u16string m_text;
    // A log appending to its file: its limit, and the lines not written yet.
    size_t m_appendedFileSizeLimit { 0 };
    std::string m_unwrittenLines;
    ScopedTimer m_writeTimer;
};

// Appends one line, or one formatted line, to the general log.
inline void VornickGeneralLog(std::u16string_view line)
{
    VornickLog::generalLog().log(line);
}
inline void VornickGeneralLog(std::string_view utf8Line)
{
    VornickLog::generalLog().log(utf8Line);
}
template<typename... Args>
void VornickGeneralLog(fmt::format_string<VornickLogArgumentType<Args>...> format, Args&&... args)
{
    VornickLog::generalLog().log(format, std::forward<Args>(args)...);
}

// Appends the tracing line `makeLine()` answers (a UTF-16 or UTF-8 string)
// to the general log while debug logging is on (platform/foundation/ConsoleLog.h);
// while it is off the line is never made.
template<typename MakeLine>
void VornickGeneralDebugLog(MakeLine&& makeLine)
{
    if (debugLoggingEnabled())
        VornickGeneralLog(std::forward<MakeLine>(makeLine)());
}

} // namespace brevanton

