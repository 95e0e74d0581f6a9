#include "app/VornickResourceLoadAttempt.h"

#include "platform/foundation/Assertions.h"
#include "platform/net/WebResource.h"
#include "platform/web/WebDataSource.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickResourceLoadAttempt, RecordsTheRequestAndAcceptsOnlyKnownStates)
{
    URLRequest request(*URL::create(u"file:///tmp/page/style.css"));
    auto dataSource = std::make_shared<WebDataSource>(request);
    auto cached = std::make_shared<WebResource>(Data(), request.url(), u"text/css");
    auto attempt = VornickResourceLoadAttempt::create(request, dataSource, cached);

    EXPECT_EQ(attempt->url().absoluteString(), u"file:///tmp/page/style.css");
    EXPECT_EQ(attempt->dataSource(), dataSource);
    EXPECT_EQ(attempt->cachedWebResource(), cached);
    EXPECT_EQ(attempt->state(), VornickResourceLoadState::NotAttemptedYet);
    EXPECT_FALSE(attempt->failed());

    attempt->setState(VornickResourceLoadState::FailedForLackOfFileAccess);
    EXPECT_TRUE(attempt->failed());
    EXPECT_THROW(attempt->setState(static_cast<VornickResourceLoadState>(5)), InternalInconsistencyException);
    EXPECT_THROW(attempt->setState(static_cast<VornickResourceLoadState>(-1)), InternalInconsistencyException);
    EXPECT_EQ(attempt->state(), VornickResourceLoadState::FailedForLackOfFileAccess);
}
