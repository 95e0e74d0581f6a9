// The value transformers that turn a sync step's state number into what its
// row shows: whether it completed, and the name of its status image.
#pragma once

#include "platform/foundation/Value.h"

#include <string>

namespace brevanton {

// The platform's caution image, shown for anything that is not a state.
inline constexpr const char16_t* VornickCautionImageName = u"Caution";

// True exactly for Completed (2); false for anything that is not a number.
class VornickSyncStepStateToCompletedTransformer {
public:
    static Value transformedValue(const Value& state);
};

// "SyncStatusWaitingToStart", "SyncStatusActive", "SyncStatusCompleted",
// "SyncStatusFailed", and "SyncStatusCancelledByUser" for both kinds of
// cancel; the caution image for anything else.
class VornickSyncStepStateToStatusImageTransformer {
public:
    static std::u16string imageNameForState(const Value& state);
};

} // namespace brevanton
