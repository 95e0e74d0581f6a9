// An authorisation in progress in the user's web browser, waiting for the
// browser to hand the program's redirect URL back.
#pragma once

#include "platform/foundation/URL.h"

namespace brevanton {

class VornickAuthorizationFlowSession {
public:
    virtual ~VornickAuthorizationFlowSession() = default;
    // Takes the redirect URL when it is the one the flow waits for (and then
    // ends the flow); false leaves the URL to others.
    virtual bool resumeExternalUserAgentFlowWithURL(const URL&) = 0;
};

} // namespace brevanton
