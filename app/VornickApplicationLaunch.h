// What each of the program's executables does as it starts, before it opens
// a file: the HTML services, the user's initial defaults, the application
// delegate (launched), and the system's table of file types read on a thread
// of its own, since opening the first file asks it. The launch lives as long
// as the program runs; its end waits for that thread.
#pragma once

#include <memory>
#include <thread>

namespace brevanton {

class VornickApplicationDelegate;

class VornickApplicationLaunch {
public:
    VornickApplicationLaunch();
    ~VornickApplicationLaunch();
    VornickApplicationLaunch(const VornickApplicationLaunch&) = delete;
    VornickApplicationLaunch& operator=(const VornickApplicationLaunch&) = delete;

    const std::shared_ptr<VornickApplicationDelegate>& applicationDelegate() const { return m_applicationDelegate; }

private:
    std::thread m_typeTableReader;
    std::shared_ptr<VornickApplicationDelegate> m_applicationDelegate;
};

// Lets the memory a parse frees serve the allocations that follow instead of
// going back to the system and coming back as fresh pages. Called first thing
// in main.
void VornickTuneMemoryAllocation();

} // namespace brevanton
