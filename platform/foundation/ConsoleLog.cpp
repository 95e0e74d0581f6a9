#include "platform/foundation/ConsoleLog.h"

#include "platform/foundation/Text.h"

#include <cstdio>
#include <mutex>

namespace brevanton {

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

} // namespace brevanton
