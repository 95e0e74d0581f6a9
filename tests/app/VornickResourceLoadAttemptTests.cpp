#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWebResourceCache.h"

#include "platform/foundation/Assertions.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebResource.h"

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

TEST(VornickWebResourceCache, KeepsCopiesByURLWithoutFragment)
{
    VornickWebResourceCache cache;
    URL url = *URL::create(u"http://example.com/a.png");
    EXPECT_EQ(cache.cachedWebResourceForURL(url), nullptr);

    cache.storeCachedWebResource(WebResource(Data { 1, 2, 3 }, url, u"image/png"));
    auto found = cache.cachedWebResourceForURL(*URL::create(u"http://example.com/a.png#top"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->data(), (Data { 1, 2, 3 }));
    EXPECT_EQ(found->MIMEType(), u"image/png");

    // A newer copy replaces the older one.
    cache.storeCachedWebResource(WebResource(Data { 4 }, url, u"image/png"));
    EXPECT_EQ(cache.cachedWebResourceForURL(url)->data(), (Data { 4 }));
    EXPECT_EQ(cache.cachedSourceURLs().size(), 1u);
    EXPECT_EQ(cache.cachedWebResourceForURL(*URL::create(u"http://example.com/b.png")), nullptr);
}
