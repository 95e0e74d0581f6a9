#include "publishing/VornickSyncStepStateTransformers.h"

#include <cmath>
#include <optional>

namespace brevanton {

namespace {

// The state a number names, whole numbers only.
std::optional<int64_t> stateNumber(const Value& state)
{
    if (state.type() == Value::Type::Integer)
        return state.integerValue();
    if (state.type() == Value::Type::Real) {
        double number = state.doubleValue();
        if (std::isfinite(number) && std::floor(number) == number)
            return static_cast<int64_t>(number);
    }
    return std::nullopt;
}

} // namespace

Value VornickSyncStepStateToCompletedTransformer::transformedValue(const Value& state)
{
    return Value(stateNumber(state) == 2);
}

std::u16string VornickSyncStepStateToStatusImageTransformer::imageNameForState(const Value& state)
{
    switch (stateNumber(state).value_or(-1)) {
    case 0:
        return u"SyncStatusWaitingToStart";
    case 1:
        return u"SyncStatusActive";
    case 2:
        return u"SyncStatusCompleted";
    case 3:
        return u"SyncStatusFailed";
    case 4:
    case 5:
        return u"SyncStatusCancelledByUser";
    default:
        return VornickCautionImageName;
    }
}

} // namespace brevanton
