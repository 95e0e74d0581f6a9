// VornickSyncStep: a step of a sync session (a leaf in normal use) with a
// status message and an error, and the base of every concrete step. When it
// finishes it tells its parent and starts its next Waiting sibling, unless the
// user cancelled it or failures did.
#pragma once

#include "blog/VornickSyncStepContainer.h"
#include "platform/foundation/Error.h"

namespace brevanton {

class VornickSyncStep : public VornickSyncStepContainer {
public:
    // The status message starts as "Waiting to start".
    VornickSyncStep(std::u16string name, std::u16string title);

    const std::u16string& statusMessage() const { return m_statusMessage; }
    // (Copied into the message's own storage: a listing sets one a page.)
    void setStatusMessage(std::u16string_view message) { m_statusMessage.assign(message); }

    // Empty while the step has not failed.
    const Error& error() const { return m_error; }
    void setError(Error error) { m_error = std::move(error); }

    void setState(VornickSyncStepState) override;
    void prepareUserInfoForSyncStepStatusDidChangeNotification(Dictionary& userInfo) const override;
    const char* className() const override { return "VornickSyncStep"; }

private:
    std::u16string m_statusMessage;
    Error m_error;
};

} // namespace brevanton
