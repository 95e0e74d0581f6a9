#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileSystemCalls.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/FileWatcher.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brevanton {

namespace {

bool holdsNull(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return true;
    case Value::Type::Array:
        for (auto& element : value.array()) {
            if (holdsNull(element))
                return true;
        }
        return false;
    case Value::Type::Dictionary:
        for (auto& [key, element] : value.dictionary()) {
            if (holdsNull(element))
                return true;
        }
        return false;
    default:
        return false;
    }
}

std::u16string numberText(const Value& value)
{
    if (value.isInteger() || value.isBoolean())
        return toUTF16(std::to_string(value.integerValue()));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value.doubleValue());
    // Prefer the shortest text that reads back as the same number.
    for (int precision = 1; precision <= 17; ++precision) {
        char shorter[32];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, value.doubleValue());
        if (std::strtod(shorter, nullptr) == value.doubleValue())
            return toUTF16(shorter);
    }
    return toUTF16(buffer);
}

} // namespace

struct UserDefaults::Private {
    std::string filePath;
    mutable std::mutex mutex;
    Dictionary values;     // set by the user (here or by another process), saved
    Dictionary registered; // registered defaults, never saved
    // Keys changed here and not yet written: a write that failed leaves them,
    // and the next write takes them along.
    std::set<std::u16string, std::less<>> unsavedKeys;
    std::optional<Error> lastWriteError;
    // A write waits for the main run loop.
    bool writeScheduled { false };
    // The calls the file's write makes (tests fail them one by one).
    FileSystemCalls* calls { &FileSystemCalls::system() };
    // The file was there but could not be read: it is kept aside before the
    // first save replaces it, so that settings we failed to read are not lost.
    bool keepUnreadableFile { false };
    std::mutex watcherMutex;
    std::unique_ptr<FileWatcher> watcher;

    std::string lockFilePath() const { return filePath + ".lock"; }

    // The values in the file now; nullopt when there is none or it cannot be read.
    std::optional<Dictionary> readFileValues(bool* unreadable) const
    {
        *unreadable = false;
        if (!fileExists(filePath))
            return Dictionary();
        auto contents = readFile(filePath, nullptr, FileReadKind::Defaults);
        if (contents) {
            auto plist = readPropertyList(std::string_view(*contents), nullptr);
            if (plist && plist->isDictionary())
                return plist->dictionary();
        }
        *unreadable = true;
        return std::nullopt;
    }

    // The file's values with the keys not yet written laid over them.
    Dictionary mergedWithUnsavedKeys(Dictionary onDisk) const
    {
        for (const auto& key : unsavedKeys) {
            if (auto it = values.find(key); it != values.end())
                onDisk[key] = it->second;
            else
                onDisk.erase(key);
        }
        return onDisk;
    }

    // Under the lock. Writes the keys changed here into the file as it is
    // now, under an exclusive lock of the lock file beside it, so that the
    // changes another process wrote in between are kept (and taken in).
    bool save(Error* outError)
    {
        Error error;
        std::string folder = parentDirectory(filePath);
        if (!createDirectory(folder, true, &error, 0700))
            return failed(std::move(error), outError);
        int lockFile = ::open(lockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFile < 0)
            return failed(Error::posix(errno, u"Could not open the settings lock file"), outError);
        while (::flock(lockFile, LOCK_EX) < 0 && errno == EINTR) {
        }
        bool unreadable = false;
        Dictionary merged;
        if (auto onDisk = readFileValues(&unreadable)) {
            merged = mergedWithUnsavedKeys(std::move(*onDisk));
            keepUnreadableFile = false;
        } else {
            // What we hold replaces what cannot be read, which is kept aside.
            keepUnreadableFile = true;
            merged = values;
        }
        bool written = writeLocked(merged, &error);
        ::close(lockFile);
        if (!written)
            return failed(std::move(error), outError);
        values = std::move(merged);
        unsavedKeys.clear();
        lastWriteError.reset();
        return true;
    }

    bool writeLocked(const Dictionary& dictionary, Error* outError)
    {
        auto bytes = writePropertyList(Value(dictionary), PropertyListFormat::XML, outError);
        if (!bytes)
            return false;
        if (keepUnreadableFile) {
            std::string keptPath = filePath + ".unreadable";
            if (::rename(filePath.c_str(), keptPath.c_str()) < 0 && errno != ENOENT)
                return setError(outError, Error::posix(errno, u"Could not keep the unreadable settings file aside"));
            keepUnreadableFile = false;
        }
        std::string target;
        auto temporary = writeTemporaryFileBeside(filePath, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                                                  target, outError, 0600, *calls);
        if (!temporary)
            return false;
        if (calls->rename(*temporary, target) < 0) {
            int renameError = errno;
            calls->unlink(*temporary);
            return setError(outError, Error::posix(renameError, u"Could not write " + toUTF16(target)));
        }
        // Make the rename itself durable.
        syncFolderOf(target, *calls);
        return true;
    }

    // Under the lock: the write that waits, now.
    void writeScheduledChanges()
    {
        if (!writeScheduled)
            return;
        writeScheduled = false;
        static_cast<void>(save(nullptr));
    }

    // The folder the file goes in, so that the file is followed from the first change on.
    void createFolder() const
    {
        std::string folder = parentDirectory(filePath);
        if (!fileExists(folder))
            static_cast<void>(createDirectory(folder, true, nullptr, 0700));
    }

    bool failed(Error error, Error* outError)
    {
        consoleLog(u"The settings could not be saved to " + toUTF16(filePath) + u": " + error.localizedDescription());
        lastWriteError = error;
        return setError(outError, std::move(error));
    }

    void load()
    {
        bool unreadable = false;
        if (auto onDisk = readFileValues(&unreadable))
            values = std::move(*onDisk);
        keepUnreadableFile = unreadable;
    }

    // Under the lock. Takes in what another process wrote; answers the keys
    // whose values that changed.
    Array reload()
    {
        bool unreadable = false;
        auto onDisk = readFileValues(&unreadable);
        // A file being replaced or one another program spoiled: ours stays.
        if (!onDisk)
            return {};
        Dictionary merged = mergedWithUnsavedKeys(std::move(*onDisk));
        Array changedKeys;
        for (const auto& [key, value] : merged) {
            auto old = values.find(key);
            if (old == values.end() || old->second != value)
                changedKeys.emplace_back(key);
        }
        for (const auto& [key, value] : values) {
            if (!merged.count(key))
                changedKeys.emplace_back(key);
        }
        values = std::move(merged);
        return changedKeys;
    }
};

UserDefaults& UserDefaults::standard()
{
    // Never destroyed: settings may be read from static destructors and late threads.
    static UserDefaults* defaults = [] {
        auto* made = new UserDefaults(defaultFilePath());
        // What waits for the run loop is written when the process exits normally.
        std::atexit([] {
            std::lock_guard lock(standard().m_private->mutex);
            standard().m_private->writeScheduledChanges();
        });
        return made;
    }();
    return *defaults;
}

std::string UserDefaults::defaultFilePath()
{
    return xdgFolder(XDGFolder::Config) + "/" + ApplicationFolderName + "/UserDefaults.plist";
}

UserDefaults::UserDefaults(std::string filePath)
    : m_private(std::make_shared<Private>())
{
    m_private->filePath = std::move(filePath);
    m_private->load();
    watchFile();
}

UserDefaults::~UserDefaults()
{
    {
        std::lock_guard lock(m_private->mutex);
        m_private->writeScheduledChanges();
    }
    // Not under the values' lock: stopping waits for a delivery that may be taking it.
    std::unique_ptr<FileWatcher> watcher;
    {
        std::lock_guard lock(m_private->watcherMutex);
        watcher = std::move(m_private->watcher);
    }
    if (watcher)
        watcher->stopWatching();
}

void UserDefaults::watchFile()
{
    std::lock_guard watcherLock(m_private->watcherMutex);
    if (m_private->watcher || !fileExists(parentDirectory(m_private->filePath)))
        return;
    Private* state = m_private.get();
    m_private->watcher = FileWatcher::watch(m_private->filePath, [this, state](const FileWatcherEvent& event) {
        if (event.has(FileWatcherEvent::Removed))
            return;
        Array changedKeys;
        {
            std::lock_guard lock(state->mutex);
            changedKeys = state->reload();
        }
        if (!changedKeys.empty()) {
            NotificationCenter::defaultCenter().post(
                DidChangeNotification, this, Dictionary { { ChangedKeysKey, Value(std::move(changedKeys)) }, { ChangedElsewhereKey, Value(true) } });
        }
    });
}

const std::string& UserDefaults::filePath() const
{
    return m_private->filePath;
}

void UserDefaults::registerDefaults(const Dictionary& defaults)
{
    std::lock_guard lock(m_private->mutex);
    for (auto& [key, value] : defaults)
        m_private->registered[key] = value;
}

Value UserDefaults::objectForKey(std::u16string_view key) const
{
    std::lock_guard lock(m_private->mutex);
    if (auto it = m_private->values.find(key); it != m_private->values.end())
        return it->second;
    if (auto it = m_private->registered.find(key); it != m_private->registered.end())
        return it->second;
    return Value();
}

std::u16string UserDefaults::stringForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isString())
        return value.string();
    if (value.isInteger() || value.isReal())
        return numberText(value);
    return {};
}

bool UserDefaults::boolForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber())
        return value.boolValue();
    if (value.isString()) {
        std::u16string text = asciiLowercase(value.string());
        if (text == u"yes" || text == u"true" || text == u"y" || text == u"t")
            return true;
        return std::strtoll(toUTF8(text).c_str(), nullptr, 10) != 0;
    }
    return false;
}

int64_t UserDefaults::integerForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber()) {
        if (value.isReal() && !std::isfinite(value.doubleValue()))
            return 0;
        return value.integerValue();
    }
    if (value.isString())
        return std::strtoll(toUTF8(value.string()).c_str(), nullptr, 10);
    return 0;
}

double UserDefaults::doubleForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber())
        return value.doubleValue();
    if (value.isString())
        return std::strtod(toUTF8(value.string()).c_str(), nullptr);
    return 0;
}

Array UserDefaults::arrayForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isArray() ? value.array() : Array();
}

Dictionary UserDefaults::dictionaryForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isDictionary() ? value.dictionary() : Dictionary();
}

Data UserDefaults::dataForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isData() ? value.data() : Data();
}

void UserDefaults::setObject(const Value& value, std::u16string_view key)
{
    if (value.isNull()) {
        removeObjectForKey(key);
        return;
    }
    BREVANTON_ASSERT(!holdsNull(value),
                     "Attempt to set a non-property-list value for the user defaults key " + toUTF8(key));
    {
        std::lock_guard lock(m_private->mutex);
        m_private->values[std::u16string(key)] = value;
        m_private->unsavedKeys.emplace(key);
        scheduleWrite();
    }
    m_private->createFolder();
    watchFile();
    NotificationCenter::defaultCenter().post(DidChangeNotification, this, Dictionary { { ChangedKeysKey, Value(Array { Value(std::u16string(key)) }) } });
}

void UserDefaults::removeObjectForKey(std::u16string_view key)
{
    {
        std::lock_guard lock(m_private->mutex);
        auto it = m_private->values.find(key);
        if (it == m_private->values.end())
            return;
        m_private->values.erase(it);
        m_private->unsavedKeys.emplace(key);
        scheduleWrite();
    }
    m_private->createFolder();
    watchFile();
    NotificationCenter::defaultCenter().post(DidChangeNotification, this, Dictionary { { ChangedKeysKey, Value(Array { Value(std::u16string(key)) }) } });
}

Dictionary UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(m_private->mutex);
    Dictionary merged = m_private->registered;
    for (auto& [key, value] : m_private->values)
        merged[key] = value;
    return merged;
}

void UserDefaults::scheduleWrite()
{
    if (m_private->writeScheduled)
        return;
    m_private->writeScheduled = true;
    RunLoop::main().perform([weakState = std::weak_ptr<Private>(m_private)] {
        if (auto state = weakState.lock()) {
            std::lock_guard lock(state->mutex);
            state->writeScheduledChanges();
        }
    });
}

void UserDefaults::setFileSystemCalls(FileSystemCalls& calls)
{
    std::lock_guard lock(m_private->mutex);
    m_private->calls = &calls;
}

bool UserDefaults::synchronize(Error* outError)
{
    bool saved;
    {
        std::lock_guard lock(m_private->mutex);
        m_private->writeScheduled = false;
        saved = m_private->save(outError);
    }
    watchFile();
    return saved;
}

std::optional<Error> UserDefaults::lastWriteError() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->lastWriteError;
}

} // namespace brevanton
