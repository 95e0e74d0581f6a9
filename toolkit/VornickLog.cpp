#include "toolkit/VornickLog.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "toolkit/VornickBoundedLogFile.h"

#include <cstdio>
#include <cstdlib>
#include <sys/utsname.h>
#include <type_traits>

namespace brevanton {

namespace {

constexpr double writeDelay = 3.0;
constexpr std::u16string_view sessionStartMarker = u"== BEGIN Sync Session";
constexpr std::string_view sessionStartMarkerUTF8 = "== BEGIN Sync Session";

template<typename CharType>
constexpr std::basic_string_view<CharType> sessionStartMarkerAs()
{
    if constexpr (std::is_same_v<CharType, char16_t>)
        return sessionStartMarker;
    else
        return sessionStartMarkerUTF8;
}

// The positions of session starts that begin a line, in order.
std::vector<size_t> sessionStarts(const std::u16string& text)
{
    std::vector<size_t> starts;
    size_t position = 0;
    while ((position = text.find(sessionStartMarker, position)) != std::u16string::npos) {
        if (position == 0 || text[position - 1] == u'\n' || text[position - 1] == u'\r')
            starts.push_back(position);
        position += sessionStartMarker.size();
    }
    return starts;
}

} // namespace

VornickLog::VornickLog(const URL& logFileURL, size_t appendedFileSizeLimit)
    : m_logFileURL(logFileURL)
    , m_appendedFileSizeLimit(appendedFileSizeLimit)
{
    if (appendsToFile())
        return;
    if (auto path = m_logFileURL.fileSystemPath()) {
        if (auto contents = readFile(*path))
            m_text = toUTF16(*contents);
    }
}

std::shared_ptr<VornickLog> VornickLog::create(const URL& logFileURL)
{
    return std::shared_ptr<VornickLog>(new VornickLog(logFileURL, 0));
}

std::shared_ptr<VornickLog> VornickLog::createAppendingToFile(const URL& logFileURL, size_t sizeLimit)
{
    return std::shared_ptr<VornickLog>(new VornickLog(logFileURL, sizeLimit ? sizeLimit : 1));
}

VornickLog::~VornickLog()
{
    std::lock_guard lock(m_lock);
    m_text.clear();
    m_writeTimer.invalidate();
}

URL VornickLog::generalLogURL()
{
    std::string folder = xdgFolder(XDGFolder::Cache) + "/" + ApplicationFolderName + "/Logs";
    Error error;
    if (!createDirectory(folder, true, &error))
        consoleLog("Failed to create directory " + folder + ", error=" + toUTF8(error.localizedDescription()));
    return URL::fileURLWithPath(folder + "/GeneralLog.txt", false);
}

VornickLog& VornickLog::generalLog()
{
    // Lives for the whole process.
    static std::shared_ptr<VornickLog>* log = [] {
        auto* log = new std::shared_ptr<VornickLog>(createAppendingToFile(generalLogURL(), VornickGeneralLogSizeLimit));
        // The lines of the last seconds reach the file when the process ends.
        std::atexit([] { generalLog().flush(); });
        return log;
    }();
    return **log;
}

template<typename CharType>
void VornickLog::appendLine(std::basic_string_view<CharType> line)
{
    constexpr bool isUTF16 = std::is_same_v<CharType, char16_t>;
    if (line.empty())
        return;
    bool endsLine = line.back() == CharType('\n');
    bool culled = false;
    {
        std::lock_guard lock(m_lock);
        if (line.starts_with(sessionStartMarkerAs<CharType>()))
            culled = cullSessionsLocked();
        size_t start = m_text.size();
        if constexpr (isUTF16)
            m_text.append(line);
        else
            appendUTF16(m_text, line);
        if (!endsLine)
            m_text.push_back(u'\n');
        // (As the text holds it: an undecodable byte is written as U+FFFD.)
        if (appendsToFile())
            m_unwrittenLines += toUTF8(std::u16string_view(m_text).substr(start));
    }
    if constexpr (isUTF16)
        lineAppended(line, {}, endsLine, culled);
    else
        lineAppended({}, line, endsLine, culled);
}

void VornickLog::log(std::u16string_view line)
{
    appendLine(line);
}

void VornickLog::log(std::string_view utf8Line)
{
    appendLine(utf8Line);
}

std::u16string VornickLog::text() const
{
    std::lock_guard lock(m_lock);
    return m_text;
}

void VornickLog::clear()
{
    {
        std::lock_guard lock(m_lock);
        m_text.clear();
    }
    onMainThread([](VornickLog& log) {
        if (!log.appendsToFile())
            log.scheduleWriteToLogFile();
        NotificationCenter::defaultCenter().post(VornickLogChangedNotification, &log,
                                                 Dictionary { { u"text", Value(log.text()) } });
    });
}

void VornickLog::logBrevantonVersionAndSystemInfo()
{
    const Bundle& bundle = Bundle::main();
    struct utsname system {};
    uname(&system);
    log("{} {} ({}) running on {} {}", bundle.objectForInfoDictionaryKey(u"CFBundleName"),
        bundle.objectForInfoDictionaryKey(u"CFBundleShortVersionString"),
        bundle.objectForInfoDictionaryKey(u"CFBundleVersion"), std::string(system.sysname),
        std::string(system.release));
}

bool VornickLog::cullSessionsLocked()
{
    std::vector<size_t> starts = sessionStarts(m_text);
    if (starts.empty())
        return false;
    size_t keepFrom = starts.size() >= 2 ? starts[starts.size() - 2] : starts.back();
    m_text.erase(0, keepFrom);
    return true;
}

void VornickLog::onMainThread(std::function<void(VornickLog&)> work)
{
    if (RunLoop::isMainThread()) {
        work(*this);
        return;
    }
    std::weak_ptr<VornickLog> weakThis = weak_from_this();
    OperationQueue::main().addOperation([weakThis, work = std::move(work)] {
        if (auto strongThis = weakThis.lock())
            work(*strongThis);
    });
}

void VornickLog::lineAppended(std::u16string_view line, std::string_view utf8Line, bool endsLine, bool culledLog)
{
    auto appended = [&] {
        std::u16string appended = utf8Line.empty() ? std::u16string(line) : toUTF16(utf8Line);
        if (!endsLine)
            appended.push_back(u'\n');
        return appended;
    };
    if (!RunLoop::isMainThread()) {
        std::weak_ptr<VornickLog> weakThis = weak_from_this();
        OperationQueue::main().addOperation([weakThis, appendedString = appended(), culledLog]() mutable {
            if (auto strongThis = weakThis.lock())
                strongThis->scheduleWriteAndPostNotification(std::move(appendedString), culledLog);
        });
        return;
    }
    // On the main thread at once; the line is copied for the notification
    // only when an observer is there to read it (a sync logs a line for
    // every page of a listing, and mostly nobody watches).
    scheduleWriteToLogFile();
    if (!NotificationCenter::defaultCenter().hasObserver(culledLog ? VornickLogChangedNotification : VornickLogAmendedNotification, this))
        return;
    postNotification(appended(), culledLog);
}

void VornickLog::scheduleWriteAndPostNotification(std::u16string appendedString, bool culledLog)
{
    scheduleWriteToLogFile();
    postNotification(std::move(appendedString), culledLog);
}

void VornickLog::postNotification(std::u16string appendedString, bool culledLog)
{
    if (culledLog)
        NotificationCenter::defaultCenter().post(VornickLogChangedNotification, this, Dictionary { { u"text", Value(text()) } });
    else {
        // (Not a list of members: those are copied.)
        Dictionary userInfo;
        userInfo.try_emplace(u"text", std::move(appendedString));
        NotificationCenter::defaultCenter().post(VornickLogAmendedNotification, this, std::move(userInfo));
    }
}

void VornickLog::scheduleWriteToLogFile()
{
    if (m_writeTimer)
        return;
    std::weak_ptr<VornickLog> weakThis = weak_from_this();
    m_writeTimer = Timer::scheduledTimer(writeDelay, false, Timer::weakBlock<VornickLog>(weakThis, [](VornickLog& log, Timer&) {
        log.cancelScheduledWriteToLogFile();
        if (!log.writeLogFile())
            log.scheduleWriteToLogFile();
    }));
}

void VornickLog::cancelScheduledWriteToLogFile()
{
    m_writeTimer.invalidate();
}

void VornickLog::flush()
{
    static_cast<void>(writeLogFile());
}

bool VornickLog::writeLogFile()
{
    auto path = m_logFileURL.fileSystemPath();
    if (!path)
        return false;
    if (appendsToFile()) {
        // One writer at a time, so that lines reach the file in order.
        std::lock_guard writing(m_writeLock);
        std::string lines;
        {
            std::lock_guard lock(m_lock);
            lines.swap(m_unwrittenLines);
        }
        if (lines.empty() || VornickAppendToBoundedLogFile(*path, lines, m_appendedFileSizeLimit))
            return true;
        std::lock_guard lock(m_lock);
        m_unwrittenLines.insert(0, lines);
        return false;
    }
    std::string contents = toUTF8(text());
    return writeFileAtomically(*path, contents);
}

} // namespace brevanton
