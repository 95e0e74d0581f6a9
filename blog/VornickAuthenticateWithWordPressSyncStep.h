// VornickAuthenticateWithWordPressSyncStep ("authenticate"): asks the agent
// for an interactive authorisation when the account needs one (OAuth2) and
// completes once the account is authorised. The integrator gives it its work.
#pragma once

#include "blog/VornickSyncStep.h"

namespace brevanton {

class VornickAuthenticateWithWordPressSyncStep : public VornickSyncStep {
public:
    VornickAuthenticateWithWordPressSyncStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }
    const char* className() const override { return "VornickAuthenticateWithWordPressSyncStep"; }
};

} // namespace brevanton
