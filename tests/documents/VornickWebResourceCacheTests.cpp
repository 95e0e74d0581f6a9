#include "documents/VornickWebResourceCache.h"

#include "platform/net/WebResource.h"

#include <gtest/gtest.h>

using namespace brevanton;

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
