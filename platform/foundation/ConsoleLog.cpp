#include "platform/foundation/ConsoleLog.h"

#include "platform/foundation/Text.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace brevanton {

namespace {

std::atomic<bool>& debugLogging()
{
    static std::atomic<bool> enabled = [] {
        const char* setting = std::getenv("BREVANTON_DEBUG_LOG");
        return setting && *setting && std::strcmp(setting, "0") != 0;
    }();
    return enabled;
}

} // namespace

void consoleLog(std::string_view line)
{
    static std::mutex lock;
    std::lock_guard guard(lock);
    std::fprintf(stderr, "brevanton: %.*s\n", static_cast<int>(line.size()), line.data());
}

void consoleLog(std::u16string_view line)
{
    consoleLog(std::string_view(toUTF8(line)));
}

bool debugLoggingEnabled()
{
    return debugLogging().load(std::memory_order_relaxed);
}

void setDebugLoggingEnabled(bool enabled)
{
    debugLogging().store(enabled, std::memory_order_relaxed);
}

} // namespace brevanton
