// VornickProjectIndexingProgress: what the project editor shows while a
// project indexes: the indexing progress window, filled from each progress
// notification of the project (its status message, files indexed of files
// to index, and, when it first shows, "Indexing project <login> @ <site>"),
// ordered out once indexing has ended. It follows the project whose file it
// is given from before the project is read, so the first indexing shows.
// Indexing keeps the main thread busy, so the window system is let draw the
// window when it first shows and then at most every displayInterval.
// Main thread only.
#pragma once

#include "platform/foundation/NotificationCenter.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace brevanton {

class VornickProject;
class VornickProjectIndexingProgressWindowController;

class VornickProjectIndexingProgress {
public:
    // Follows the project read from this project file.
    explicit VornickProjectIndexingProgress(std::filesystem::path canonicalProjectFilePath);
    ~VornickProjectIndexingProgress();
    VornickProjectIndexingProgress(const VornickProjectIndexingProgress&) = delete;
    VornickProjectIndexingProgress& operator=(const VornickProjectIndexingProgress&) = delete;

    // From now on only this project (once it is read).
    void setProject(const VornickProject*);

    // The window's controller, made when indexing first showed.
    VornickProjectIndexingProgressWindowController* windowController() const { return m_windowController.get(); }
    // How many times the window was ordered front while indexing went on.
    size_t timesShown() const { return m_timesShown; }

    // The least time between two drawings while indexing goes on.
    static constexpr std::chrono::milliseconds displayInterval { 50 };

    // Another interval for the progress windows from now on.
    static void setDisplayIntervalForTesting(std::chrono::milliseconds);

private:
    void indexingProgressed(const VornickProject&, const Notification&);
    // Has the window system draw the window, when it was just shown or the
    // interval has passed since the last time.
    void displayDuringIndexing(bool firstShown);

    std::filesystem::path m_projectFilePath;
    const VornickProject* m_project { nullptr };
    ObserverToken m_observation;
    std::unique_ptr<VornickProjectIndexingProgressWindowController> m_windowController;
    size_t m_timesShown { 0 };
    std::chrono::steady_clock::time_point m_lastDisplayed;
};

} // namespace brevanton
