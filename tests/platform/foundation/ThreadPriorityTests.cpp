#include "platform/foundation/ThreadPriority.h"

#include "platform/foundation/Process.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

int currentThreadNice()
{
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    EXPECT_EQ(errno, 0);
    return nice;
}

// The nice value of a shell the calling thread starts.
int niceOfChild()
{
    ProcessLaunch launch;
    launch.executable = "/bin/sh";
    launch.arguments = { "-c", "cut -d' ' -f19 /proc/$$/stat" };
    auto result = Process::run(launch);
    EXPECT_TRUE(result && result->succeeded());
    return result ? std::stoi(result->standardOutput) : -100;
}

} // namespace

TEST(ThreadPriority, AThreadLowersItsOwnPriorityAndItsChildrensOnly)
{
    int own = currentThreadNice();
    int lowered = 0, child = 0, lowest = 0;
    std::thread([&] {
        lowerCurrentThreadPriority(5);
        lowered = currentThreadNice();
        child = niceOfChild();
        lowerCurrentThreadPriority(40);
        lowest = currentThreadNice();
    }).join();
    EXPECT_EQ(lowest, 19);
    EXPECT_EQ(lowered, std::min(own + 5, 19));
    EXPECT_EQ(child, lowered);
    EXPECT_EQ(currentThreadNice(), own);
    EXPECT_EQ(niceOfChild(), own);
}
