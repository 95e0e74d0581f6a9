#include "blog/VornickSyncFailureMessage.h"

#include "blog/VornickSyncSession.h"
#include "blog/VornickSyncStep.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickSyncFailureMessageTests, TheFailedStepsWordsAndWhatToDoByTheKindOfFailure)
{
    struct Case {
        Error error;
        std::u16string message;
        std::u16string adviceStart;
    };
    const Case cases[] = {
        { Error(VornickErrorDomain, 48, u"WordPress rejected the user name."), u"WordPress rejected the user name.", u"Check the user name" },
        { Error(VornickErrorDomain, 49, u"WordPress rejected the password."), u"WordPress rejected the password.", u"Enter the password again" },
        { Error(VornickXMLRPCHTTPStatusErrorDomain, 404, u"HTTP Error 404"), u"Couldn't connect to server", u"Check the site address" },
        { Error(VornickHTTPErrorDomain, 503, u"HTTP Error 503"), u"HTTP Error 503", u"The site could not answer" },
        { Error(URLErrorDomain, -1004, u"could not connect"), u"could not connect", u"Check the site address and the network" },
        { Error(), u"Failed: no connection to the blog service", u"Check the account settings" },
    };
    for (const auto& test : cases) {
        VornickSyncSession session(VornickSyncSessionType::Manual);
        session.addStep(std::make_shared<VornickSyncStep>(u"done", u"Done Step"));
        auto failed = std::make_shared<VornickSyncStep>(u"failing", u"Failing Step");
        failed->setStatusMessage(u"Failed: no connection to the blog service");
        failed->setError(test.error);
        failed->setState(VornickSyncStepState::Failed);
        session.addStep(failed);
        auto failure = VornickSyncSessionFailure(session);
        ASSERT_TRUE(failure) << test.error;
        EXPECT_EQ(failure->step, failed);
        EXPECT_EQ(failure->message, test.message) << test.error;
        EXPECT_TRUE(failure->advice.starts_with(test.adviceStart)) << test.error;
    }
    VornickSyncSession completed(VornickSyncSessionType::Manual);
    EXPECT_FALSE(VornickSyncSessionFailure(completed));
}

} // namespace
} // namespace brevanton
