#include "blog/VornickSyncFailureMessage.h"

#include "blog/VornickSyncStep.h"
#include "blog/VornickSyncStepContainer.h"
#include "platform/foundation/Error.h"
#include "toolkit/VornickErrors.h"

namespace brevanton {

namespace {

// Codes the agents give a login the site refuses.
constexpr int64_t loginIDRejectedError = 48;
constexpr int64_t passwordRejectedError = 49;

bool isHTTPStatusError(const Error& error)
{
    return error.domain() == VornickHTTPErrorDomain || error.domain() == VornickXMLRPCHTTPStatusErrorDomain;
}

} // namespace

std::u16string VornickSyncStepFailureMessage(const VornickSyncStep& step)
{
    const Error& error = step.error();
    if (error.isEmpty())
        return step.statusMessage();
    if (isHTTPStatusError(error) && error.code() == 404)
        return u"Couldn't connect to server";
    return error.localizedDescription();
}

std::u16string VornickSyncFailureAdvice(const Error& error)
{
    if (error.domain() == VornickErrorDomain && error.code() == loginIDRejectedError)
        return u"Check the user name in the account settings, then log in again.";
    if (error.domain() == VornickErrorDomain && error.code() == passwordRejectedError)
        return u"Enter the password again in the account settings, then log in again.";
    if (isHTTPStatusError(error) && (error.code() == 401 || error.code() == 403))
        return u"Check the user name and password in the account settings, then log in again.";
    if (isHTTPStatusError(error) && error.code() == 404)
        return u"Check the site address in the account settings, then sync again.";
    if (isHTTPStatusError(error) && error.code() >= 500 && error.code() < 600)
        return u"The site could not answer: try again later, or ask the site's administrator.";
    if (error.domain() == URLErrorDomain || error.domain() == POSIXErrorDomain)
        return u"Check the site address and the network connection, then sync again.";
    return u"Check the account settings and the sync log, then sync again.";
}

std::optional<VornickSyncFailure> VornickSyncSessionFailure(VornickSyncStepContainer& session)
{
    auto step = session.firstDescendantStepWithState(VornickSyncStepState::Failed);
    if (!step)
        return std::nullopt;
    return VornickSyncFailure { step, VornickSyncStepFailureMessage(*step), VornickSyncFailureAdvice(step->error()) };
}

} // namespace brevanton
