// VornickSyncSession: the root of a sync session's tree, named "root" and
// titled by its type.
#pragma once

#include "blog/VornickSyncStepContainer.h"

#include <cstdint>

namespace brevanton {

class VornickSyncSession : public VornickSyncStepContainer {
public:
    explicit VornickSyncSession(VornickSyncSessionType);

    VornickSyncSessionType type() const { return m_type; }

    // "Automatic Sync", "User-Requested Sync", "User-Requested Sync
    // (Exhaustive)", "Upload Posts/Pages", "Download Templates"; "Unknown
    // Session Type" for any other value.
    static std::u16string defaultSessionTitleForType(VornickSyncSessionType);

    // The code of the error of the child "getBlogs"; 0 when there is no such
    // child or it has no error. Its domain is not examined.
    int64_t errorCodeGettingBlogs() const;
    // That code is 48 / 49.
    bool failedDueToInvalidLoginID() const;
    bool failedDueToInvalidPassword() const;

    // None.
    std::shared_ptr<VornickLog> syncLog() const override;
    // Never: a session shows its children's progress.
    bool showIndeterminateProgress() const override { return false; }
    const char* className() const override { return "VornickSyncSession"; }

private:
    VornickSyncSessionType m_type;
};

} // namespace brevanton
