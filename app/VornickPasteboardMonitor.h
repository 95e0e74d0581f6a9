// VornickPasteboardMonitor: remembers the URLs the user copies, with their
// titles, so that a new link can be filled in from the latest one and URL
// editors can offer them. It polls the general pasteboard every 0.5 s,
// announces every change of it, keeps the last 100 distinct URLs (oldest
// first) and saves them, 3 s after the last change, in
// "recentPasteboardURLs.plist" in the program's folder of the user's caches.
// Main thread only.
#pragma once

#include "app/VornickTitledURL.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace brevanton {

// Posted on the main thread after every change of the general pasteboard;
// the object is the general pasteboard.
inline constexpr const char* VornickPasteboardContentsDidChangeNotification = "VornickPasteboardContentsDidChangeNotification";

class VornickPasteboardMonitor : public std::enable_shared_from_this<VornickPasteboardMonitor> {
public:
    static constexpr size_t maximumNumberOfURLs = 100;
    static constexpr double pollInterval = 0.5;
    static constexpr double saveDelay = 3.0;

    // Starts polling from the pasteboard's present change count (what is on
    // it now is not gathered) and reads the saved list on the next turn of
    // the main run loop. `cacheFileURL` replaces the file in the caches folder.
    static std::shared_ptr<VornickPasteboardMonitor> create(std::optional<URL> cacheFileURL = std::nullopt);
    ~VornickPasteboardMonitor();

    // A copy of the list, oldest first.
    std::vector<VornickTitledURL> recentTitledPasteboardURLs() const { return m_recentTitledPasteboardURLs; }
    int64_t lastChangeCount() const { return m_lastChangeCount; }

    // The file the list is kept in; nothing when there is no caches folder.
    std::optional<URL> recentURLsCacheFileURL() const;
    // Adds the saved entries before those gathered meanwhile; a duplicate URL
    // keeps its newest place, and only the newest 100 entries stay.
    void readPersistentState();
    // Replaces the file atomically with the list; failures leave the file as it was.
    void writePersistentState();
    // The newest entry with the URL and its index.
    const VornickTitledURL* titledURLForURL(const URL&, size_t* outIndex = nullptr) const;
    void checkPasteboard();

private:
    explicit VornickPasteboardMonitor(std::optional<URL> cacheFileURL);
    void gatherURL(const URL&, std::optional<std::u16string> title);

    std::optional<URL> m_cacheFileURL;
    ScopedTimer m_timer;
    int64_t m_lastChangeCount { 0 };
    std::vector<VornickTitledURL> m_recentTitledPasteboardURLs;
};

} // namespace brevanton
