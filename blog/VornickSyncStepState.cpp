#include "blog/VornickSyncStepState.h"

#include <array>

namespace brevanton {

std::optional<std::u16string_view> VornickSyncStepStateDisplayName(VornickSyncStepState state)
{
    static constexpr std::array<std::u16string_view, 6> names {
        u"Waiting", u"Active", u"Completed", u"Failed", u"Cancelled by User", u"Cancelled by Failures",
    };
    auto index = static_cast<int32_t>(state);
    if (index < 0 || index >= static_cast<int32_t>(names.size()))
        return std::nullopt;
    return names[index];
}

} // namespace brevanton
