// The words a failed sync is told in, the same in the windows and in the
// headless program: the failed step's message ("Couldn't connect to server"
// for a page the server does not have, HTTP 404; else its error's own
// description; the message it failed with when it has no error) and a line
// saying what the user can do about it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class Error;
class VornickSyncStep;
class VornickSyncStepContainer;

struct VornickSyncFailure {
    std::shared_ptr<VornickSyncStep> step;
    std::u16string message;
    std::u16string advice;
};

std::u16string VornickSyncStepFailureMessage(const VornickSyncStep&);
std::u16string VornickSyncFailureAdvice(const Error&);
// The first failed step below the session (depth first), when there is one.
std::optional<VornickSyncFailure> VornickSyncSessionFailure(VornickSyncStepContainer& session);

} // namespace brevanton
