// UserDefaults: the user's settings. A value set by the user wins over a
// registered default; registered defaults are never saved. Set values are
// kept in an XML property list, by default
// "$XDG_CONFIG_HOME/com.Orbendalworks.Brevanton/UserDefaults.plist". A
// change is written off its own path: by the main run loop in its next turn
// (which the application runs after each event, so before the next one), the
// changes made meanwhile in one write; synchronize() writes at once, and
// defaults destroyed, or the process exiting normally, write what waits.
// Under an exclusive lock of "<file>.lock" the file is read again, the
// changed keys alone are set or removed in it, and the result replaces it
// atomically and durably (temporary file synced, then renamed, the folder
// synced), so that several processes on one file keep each other's changes.
// A write that fails is logged, kept for the next one and told by
// lastWriteError(); the file stays as it was.
// Every change posts DidChangeNotification with the defaults as object on
// the changing thread; a change another process wrote is read when the file
// changes (a FileWatcher on the main run loop) and posted there, marked so.
// Thread-safe.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class FileSystemCalls;

class UserDefaults {
public:
    // The shared defaults on defaultFilePath().
    static UserDefaults& standard();
    static std::string defaultFilePath();

    // Defaults kept in the file at `filePath` (read now when it exists; an
    // unreadable or malformed file gives empty defaults, and the next change
    // replaces it after moving it aside to "<filePath>.unreadable").
    explicit UserDefaults(std::string filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    const std::string& filePath() const;

    // Adds to (and replaces keys of) the registered defaults.
    void registerDefaults(const Dictionary&);

    // The value set, else the registered default, else null.
    Value objectForKey(std::u16string_view key) const;
    // Typed getters answer their type's empty value when the key is missing
    // or holds another type. Strings also read numbers; bool, integer and
    // double also read numeric strings ("YES"/"true" read as true).
    std::u16string stringForKey(std::u16string_view key) const;
    bool boolForKey(std::u16string_view key) const;
    int64_t integerForKey(std::u16string_view key) const;
    double doubleForKey(std::u16string_view key) const;
    Array arrayForKey(std::u16string_view key) const;
    Dictionary dictionaryForKey(std::u16string_view key) const;
    Data dataForKey(std::u16string_view key) const;

    // Setting null removes the key. A value holding a null inside an array or
    // dictionary cannot be kept in a property list: an assertion.
    void setObject(const Value& value, std::u16string_view key);
    void setBool(bool value, std::u16string_view key) { setObject(Value(value), key); }
    void setInteger(int64_t value, std::u16string_view key) { setObject(Value(value), key); }
    void setDouble(double value, std::u16string_view key) { setObject(Value(value), key); }
    void removeObjectForKey(std::u16string_view key);

    // The set values merged over the registered defaults.
    Dictionary dictionaryRepresentation() const;

    // Writes the set values to the file now; answers whether that worked.
    [[nodiscard]] bool synchronize(Error* outError = nullptr);
    // The error of the last failed write, if the last write failed.
    std::optional<Error> lastWriteError() const;

    static constexpr const char* DidChangeNotification = "UserDefaultsDidChangeNotification";
    // The notification's userInfo: the changed keys (an array of strings),
    // and, true, when another process wrote the change.
    static constexpr const char16_t* ChangedKeysKey = u"ChangedKeys";
    static constexpr const char16_t* ChangedElsewhereKey = u"ChangedElsewhere";

private:
    friend class UserDefaultsTestPeer;
    // Follows the file once its folder exists.
    void watchFile();
    // Under the values' lock: has the run loop write the changes soon.
    void scheduleWrite();
    // The calls its writes make (the system's unless changed).
    void setFileSystemCalls(FileSystemCalls&);

    struct Private;
    // Shared with the write the run loop makes, which outlives nothing else.
    std::shared_ptr<Private> m_private;
};

} // namespace brevanton
