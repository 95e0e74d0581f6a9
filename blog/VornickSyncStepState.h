// The states of a sync step and the kinds of sync session.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brevanton {

// Values above 5 are not states; they are kept as they are and have no name.
enum class VornickSyncStepState : int32_t {
    WaitingToStart = 0,
    Active = 1,
    Completed = 2,
    Failed = 3,
    CancelledByUser = 4,
    CancelledByFailures = 5,
};

// "Waiting", "Active", "Completed", "Failed", "Cancelled by User",
// "Cancelled by Failures"; nothing for other values (callers print "Unknown").
std::optional<std::u16string_view> VornickSyncStepStateDisplayName(VornickSyncStepState);

// Completed, failed or cancelled: the node's work is over.
inline bool VornickSyncStepStateIsFinal(VornickSyncStepState state)
{
    return state >= VornickSyncStepState::Completed && state <= VornickSyncStepState::CancelledByFailures;
}

// Waiting or active.
inline bool VornickSyncStepStateIsUnfinished(VornickSyncStepState state)
{
    return state == VornickSyncStepState::WaitingToStart || state == VornickSyncStepState::Active;
}

enum class VornickSyncSessionType : int64_t {
    Automatic = 1,
    Manual = 2,           // requested by the user
    ExhaustiveManual = 3,
    UploadPostChanges = 4,
    TemplateDownload = 5,
};

} // namespace brevanton
