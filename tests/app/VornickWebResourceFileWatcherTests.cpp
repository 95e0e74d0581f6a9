#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWebResourceFileWatcher.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(VornickWebResourceFileWatcher, ReportsChangesOfTheAttemptsFileWithTheAttempt)
{
    auto folder = createTemporaryDirectory("vornick-resource-watcher").value();
    auto path = folder + "/style.css";
    ASSERT_TRUE(writeFileAtomically(path, "a {}"));
    auto attempt = VornickResourceLoadAttempt::createForLoadedResourceURL(URL::fileURLWithPath(path, false), nullptr);

    std::shared_ptr<VornickResourceLoadAttempt> seen;
    auto watcher = VornickWebResourceFileWatcher::create(
        attempt, [&](VornickFileWatcher& changed) {
            seen = static_cast<VornickWebResourceFileWatcher&>(changed).resourceLoadAttempt();
        },
        &OperationQueue::main());
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(watcher->description().starts_with(u"VornickWebResourceFileWatcher("));

    ASSERT_TRUE(writeFileAtomically(path, "a { color: red }"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return seen != nullptr; }, 30));
    EXPECT_EQ(seen, attempt);

    auto other = VornickResourceLoadAttempt::createForLoadedResourceURL(URL::fileURLWithPath(path, false), nullptr);
    watcher->setResourceLoadAttempt(other);
    EXPECT_EQ(watcher->resourceLoadAttempt(), other);
    watcher.reset();
    EXPECT_TRUE(removeItem(folder));
}

TEST(VornickWebResourceFileWatcher, WatchesOnlyFileURLsAndRequiresItsParts)
{
    auto remote = VornickResourceLoadAttempt::createForLoadedResourceURL(*URL::create(u"http://example.com/a.css"), nullptr);
    auto block = [](VornickFileWatcher&) {};
    EXPECT_EQ(VornickWebResourceFileWatcher::create(remote, block, &OperationQueue::main()), nullptr);
    EXPECT_THROW(VornickWebResourceFileWatcher::create(nullptr, block, &OperationQueue::main()),
                 InternalInconsistencyException);
    EXPECT_THROW(VornickWebResourceFileWatcher::create(remote, block, nullptr), InternalInconsistencyException);
}

} // namespace
