#include "platform/foundation/NotificationCenter.h"
#include "tests/platform/foundation/NotificationCenterTestPeer.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

namespace brevanton {


} // namespace brevanton

using namespace brevanton;

namespace {

TEST(NotificationCenterTest, ObserversMatchByNameAndObject)
{
    NotificationCenter center;
    int sender = 0, otherSender = 0;
    std::vector<std::string> log;
    auto byName = center.addObserver("Changed", nullptr, nullptr, [&](auto&) { log.push_back("name"); });
    auto byObject = center.addObserver("", &sender, nullptr, [&](auto&) { log.push_back("object"); });
    auto byBoth = center.addObserver("Changed", &sender, nullptr, [&](auto&) { log.push_back("both"); });
    auto everything = center.addObserver("", nullptr, nullptr, [&](auto&) { log.push_back("all"); });

    center.post("Changed", &sender, { { u"key", Value(1) } });
    EXPECT_EQ(log, (std::vector<std::string> { "name", "object", "both", "all" }));
    log.clear();
    center.post("Changed", &otherSender);
    EXPECT_EQ(log, (std::vector<std::string> { "name", "all" }));
    log.clear();
    center.post("Other", &sender);
    EXPECT_EQ(log, (std::vector<std::string> { "object", "all" }));
    log.clear();
    center.post("Other", nullptr);
    EXPECT_EQ(log, (std::vector<std::string> { "all" }));

    // The notification reaches the block whole.
    Notification received;
    auto detail = center.addObserver("Detail", nullptr, nullptr, [&](const Notification& n) { received = n; });
    center.post("Detail", &sender, { { u"text", Value(u"x\n") } });
    EXPECT_EQ(received.name, "Detail");
    EXPECT_EQ(received.object, &sender);
    EXPECT_EQ(received.userInfo.at(u"text"), Value(u"x\n"));
}

TEST(NotificationCenterTest, TokensEndObservationsAlsoFromInsideCallbacks)
{
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.addObserver("N", nullptr, nullptr, [&](auto&) { ++calls; });
        EXPECT_TRUE(token.isActive());
        center.post("N", nullptr);
    }
    center.post("N", nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(NotificationCenterTestPeer::observerCount(center), 0u);

    // A moved token keeps the observation; the moved-from one is inert.
    ObserverToken kept;
    {
        auto token = center.addObserver("N", nullptr, nullptr, [&](auto&) { ++calls; });
        kept = std::move(token);
        EXPECT_FALSE(token.isActive());
    }
    center.post("N", nullptr);
    EXPECT_EQ(calls, 2);
    center.removeObserver(kept);
    center.post("N", nullptr);
    EXPECT_EQ(calls, 2);

    // An observer removing itself and a later observer while being called:
    // the later one is not called for this post, nor afterwards.
    std::vector<std::string> log;
    ObserverToken first, second, third;
    first = center.addObserver("N", nullptr, nullptr, [&](auto&) {
        log.push_back("first");
        first.reset();
        second.reset();
    });
    second = center.addObserver("N", nullptr, nullptr, [&](auto&) { log.push_back("second"); });
    third = center.addObserver("N", nullptr, nullptr, [&](auto&) { log.push_back("third"); });
    center.post("N", nullptr);
    center.post("N", nullptr);
    EXPECT_EQ(log, (std::vector<std::string> { "first", "third", "third" }));

    // Adding an observer from a callback: it hears later posts.
    ObserverToken added;
    auto adder = center.addObserver("Add", nullptr, nullptr, [&](auto&) {
        if (!added.isActive())
            added = center.addObserver("Add", nullptr, nullptr, [&](auto&) { log.push_back("added"); });
    });
    center.post("Add", nullptr);
    center.post("Add", nullptr);
    EXPECT_EQ(log.back(), "added");
    EXPECT_EQ(std::count(log.begin(), log.end(), "added"), 1);

    // A token outliving its center is harmless.
    auto orphan = std::make_unique<NotificationCenter>();
    auto orphanToken = orphan->addObserver("N", nullptr, nullptr, [](auto&) { });
    orphan.reset();
    EXPECT_FALSE(orphanToken.isActive());
    orphanToken.reset();
}

TEST(NotificationCenterTest, MainQueueObserversHearPostsFromAnyThreadOnTheMainThread)
{
    NotificationCenter center;
    std::vector<int> received;
    std::atomic<bool> offMainThread { false };
    auto token = center.addObserver("Progress", nullptr, &OperationQueue::main(), [&](const Notification& n) {
        if (!RunLoop::isMainThread())
            offMainThread = true;
        received.push_back(int(n.userInfo.at(u"step").integerValue()));
    });
    std::thread poster([&] {
        for (int step = 0; step < 10; ++step)
            center.post("Progress", nullptr, { { u"step", Value(step) } });
    });
    poster.join();
    EXPECT_TRUE(received.empty()); // queued, not delivered on the posting thread
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return received.size() == 10; }, 30));
    EXPECT_FALSE(offMainThread);
    EXPECT_EQ(received, (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }));

    // Removal cancels deliveries already queued.
    center.post("Progress", nullptr, { { u"step", Value(99) } });
    token.reset();
    OperationQueue::main().waitUntilAllOperationsAreFinished();
    EXPECT_EQ(received.size(), 10u);
}

TEST(NotificationCenterTest, ConcurrentPostsAndRegistrationsAreSafe)
{
    NotificationCenter center;
    std::atomic<int> heard { 0 };
    auto counter = center.addObserver("Tick", nullptr, nullptr, [&](auto&) { ++heard; });
    std::atomic<bool> stop { false };
    std::thread churn([&] {
        while (!stop) {
            auto transient = center.addObserver("Tick", nullptr, nullptr, [](auto&) { });
            transient.reset();
        }
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                center.post("Tick", nullptr);
        });
    }
    for (auto& poster : posters)
        poster.join();
    stop = true;
    churn.join();
    EXPECT_EQ(heard, 2000);
    EXPECT_EQ(NotificationCenterTestPeer::observerCount(center), 1u);
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

} // namespace

TEST(NotificationCenterTest, ObserversOfEveryKindHearInRegistrationOrderAmongThousandsOfOthers)
{
    NotificationCenter center;
    int a = 0, b = 0;
    std::vector<std::string> heard;
    // Thousands of observers of other objects (one per frame of a large page) hear nothing.
    std::vector<ObserverToken> others;
    std::vector<int> objects(5000);
    for (auto& object : objects)
        others.push_back(center.addObserver("Changed", &object, nullptr, [&](const Notification&) { heard.push_back("other"); }));
    auto named = center.addObserver("Changed", nullptr, nullptr, [&](const Notification&) { heard.push_back("named"); });
    auto anyOfA = center.addObserver("", &a, nullptr, [&](const Notification&) { heard.push_back("any of a"); });
    auto namedOfA = center.addObserver("Changed", &a, nullptr, [&](const Notification&) { heard.push_back("named of a"); });
    auto any = center.addObserver("", nullptr, nullptr, [&](const Notification&) { heard.push_back("any"); });

    center.post("Changed", &a);
    EXPECT_EQ(heard, (std::vector<std::string> { "named", "any of a", "named of a", "any" }));
    heard.clear();
    center.post("Changed", &b);
    EXPECT_EQ(heard, (std::vector<std::string> { "named", "any" }));
    heard.clear();
    center.post("Other", &a);
    EXPECT_EQ(heard, (std::vector<std::string> { "any of a", "any" }));
    heard.clear();
    center.post("Changed", &objects[42]);
    EXPECT_EQ(heard, (std::vector<std::string> { "other", "named", "any" }));

    others.clear();
    namedOfA.reset();
    EXPECT_FALSE(namedOfA.isActive());
    EXPECT_TRUE(anyOfA.isActive());
    heard.clear();
    center.post("Changed", &a);
    EXPECT_EQ(heard, (std::vector<std::string> { "named", "any of a", "any" }));
}

TEST(NotificationCenterTest, ManyObserversOfOnePostHearItWholeInRegistrationOrder)
{
    // More observers of one post than most posts reach, registered in turns
    // on the four ways a post can match.
    NotificationCenter center;
    int sender = 0;
    std::vector<int> heard;
    std::vector<ObserverToken> tokens;
    for (int index = 0; index < 21; ++index) {
        std::string name = index % 2 ? "Changed" : "";
        const void* object = index % 4 < 2 ? &sender : nullptr;
        tokens.push_back(center.addObserver(name, object, nullptr, [&heard, index](const Notification& notification) {
            if (notification.name == "Changed" && notification.userInfo.at(u"key") == Value(u"the value"))
                heard.push_back(index);
        }));
    }
    center.post("Changed", &sender, { { u"key", Value(u"the value") } });
    std::vector<int> expected(21);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(heard, expected);

    // Whether a post would reach anyone, asked before building what it carries.
    NotificationCenter quiet;
    int other = 0;
    EXPECT_FALSE(quiet.hasObserver("Changed", &sender));
    auto ofSender = quiet.addObserver("Changed", &sender, nullptr, [](auto&) { });
    EXPECT_TRUE(quiet.hasObserver("Changed", &sender));
    EXPECT_FALSE(quiet.hasObserver("Changed", &other));
    EXPECT_FALSE(quiet.hasObserver("Changed", nullptr));
    EXPECT_FALSE(quiet.hasObserver("Other", &sender));
    auto anyName = quiet.addObserver("", &other, nullptr, [](auto&) { });
    EXPECT_TRUE(quiet.hasObserver("Other", &other));
    ofSender.reset();
    anyName.reset();
    EXPECT_FALSE(quiet.hasObserver("Changed", &sender));
    EXPECT_FALSE(quiet.hasObserver("Other", &other));
    auto everything = quiet.addObserver("", nullptr, nullptr, [](auto&) { });
    EXPECT_TRUE(quiet.hasObserver("Anything", nullptr));
}
