#include "platform/foundation/Date.h"

#include <chrono>

namespace brevanton {

Date Date::now()
{
    using namespace std::chrono;
    auto since = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return Date(static_cast<double>(since) / 1e6);
}

} // namespace brevanton
