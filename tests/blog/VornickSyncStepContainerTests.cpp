#include "blog/VornickSyncStepContainer.h"

#include "blog/VornickSyncSession.h"
#include "blog/VornickSyncStep.h"
#include "tests/blog/VornickSyncStepTestSupport.h"
#include "platform/foundation/OperationQueue.h"
#include "toolkit/VornickRange.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

using State = VornickSyncStepState;

std::shared_ptr<VornickSyncStep> leaf(const std::u16string& name)
{
    return std::make_shared<VornickSyncStep>(name, u"Step " + name);
}

// A session "root" holding a container step "blog" (a step with children)
// with the leaves a, b, c, then a leaf "after" beside the blog. Each start
// block and end block appends to `events`.
struct Tree {
    std::shared_ptr<VornickSyncSession> session = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Manual);
    std::shared_ptr<VornickSyncStep> blog = leaf(u"blog");
    std::shared_ptr<VornickSyncStep> a = leaf(u"a");
    std::shared_ptr<VornickSyncStep> b = leaf(u"b");
    std::shared_ptr<VornickSyncStep> c = leaf(u"c");
    std::shared_ptr<VornickSyncStep> after = leaf(u"after");
    std::vector<std::string> events;

    Tree()
    {
        session->addStep(blog);
        session->addStep(after);
        for (auto& step : { a, b, c })
            blog->addStep(step);
        for (VornickSyncStepContainer* node : std::initializer_list<VornickSyncStepContainer*> { session.get(), blog.get(), a.get(), b.get(), c.get(), after.get() }) {
            std::string name(node->name().begin(), node->name().end());
            node->setStartBlock([this, name] { events.push_back("start " + name); });
            node->setEndBlock([this, name] { events.push_back("end " + name); });
        }
    }
};

} // namespace

TEST(VornickSyncStepContainer, ChildrenAreKeptInOrderAndFoundByName)
{
    auto session = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Automatic);
    auto first = leaf(u"first");
    auto second = leaf(u"second");
    session->addStep(second);
    session->insertStep(first, 0);
    session->insertStep(first, 1); // already a child
    session->insertStep(nullptr, 0);
    ASSERT_EQ(session->steps().size(), 2u);
    EXPECT_EQ(session->steps()[0], first);
    EXPECT_EQ(first->parentContainer(), session.get());
    EXPECT_EQ(session->indexOfStepWithName(u"second"), 1u);
    EXPECT_EQ(session->indexOfStepWithName(u"unknown"), VornickNotFound);
    EXPECT_EQ(session->nextStepAfter(first.get()), second);
    EXPECT_EQ(session->nextStepAfter(second.get()), nullptr);
    EXPECT_EQ(session->nextStepAfter(session.get()), nullptr);

    // addStepWithName answers the existing child or appends a plain step.
    EXPECT_EQ(session->addStepWithName(u"first", u"Other"), first);
    auto added = session->addStepWithName(u"third", u"Third");
    ASSERT_TRUE(std::dynamic_pointer_cast<VornickSyncStep>(added));
    EXPECT_EQ(added->title(), u"Third");
    EXPECT_EQ(session->steps().back(), added);

    // A second child of one name is found by it; the first stays in order.
    auto twin = leaf(u"first");
    session->addStep(twin);
    EXPECT_EQ(session->stepWithName(u"first"), twin);
    EXPECT_EQ(session->indexOfStepWithName(u"first"), 0u);
    EXPECT_EQ(session->steps().size(), 4u);

    // Relations up the tree.
    auto inner = leaf(u"inner");
    first->addStep(inner);
    EXPECT_EQ(&inner->rootContainer(), session.get());
    EXPECT_EQ(inner->syncSession(), session.get());
    EXPECT_EQ(inner->blogStep(), nullptr);
    EXPECT_EQ(&session->rootContainer(), session.get());
    auto loose = leaf(u"loose");
    EXPECT_EQ(loose->syncSession(), nullptr);
    EXPECT_EQ(session->syncLog(), nullptr);
    EXPECT_EQ(inner->syncLog(), nullptr);

    // Depth first, the receiver included when it is a step.
    inner->setState(State::Active);
    EXPECT_EQ(session->firstStepWithState(State::Active), nullptr);
    EXPECT_EQ(session->firstDescendantStepWithState(State::Active), inner);
    EXPECT_EQ(session->firstDescendantStepWithState(State::WaitingToStart), first);
    EXPECT_EQ(session->firstStepWithState(State::WaitingToStart), first);
    EXPECT_EQ(session->firstDescendantStepWithState(State::Failed), nullptr);
    SyncStepStatusRecorder::drainMainQueue();

    // A child outlives its parent without pointing back at it.
    session.reset();
    EXPECT_EQ(first->parentContainer(), nullptr);
}

TEST(VornickSyncStepContainer, ProgressIsTheMeanOfTheChildren)
{
    auto session = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Manual);
    auto blog = leaf(u"blog");
    session->addStep(blog);
    blog->setProgress(0.25);
    EXPECT_DOUBLE_EQ(session->progress(), 0.25);
    auto steps = { leaf(u"a"), leaf(u"b"), leaf(u"c") };
    for (auto& step : steps)
        blog->addStep(step);
    std::vector<std::shared_ptr<VornickSyncStep>> children(steps);
    children[0]->setProgress(1.0);
    children[1]->setProgress(0.5);
    // The node's own value is ignored while it has children.
    EXPECT_DOUBLE_EQ(blog->progress(), 0.5);
    EXPECT_FALSE(blog->showIndeterminateProgress());

    auto idle = leaf(u"idle");
    idle->setState(State::Active);
    EXPECT_TRUE(idle->showIndeterminateProgress());
    idle->setProgress(0.1);
    EXPECT_FALSE(idle->showIndeterminateProgress());
    SyncStepStatusRecorder::drainMainQueue();

    // Every final state counts as done.
    for (auto& child : children)
        child->setState(State::CancelledByFailures);
    EXPECT_DOUBLE_EQ(session->progress(), 1.0);
    EXPECT_FALSE(session->showIndeterminateProgress());
    SyncStepStatusRecorder::drainMainQueue();
}

TEST(VornickSyncStepContainer, SettingTheSameStatePostsNothingAndRunsNoBlock)
{
    SyncStepStatusRecorder recorder;
    Tree tree;
    tree.a->setState(State::WaitingToStart);
    tree.session->setState(State::WaitingToStart);
    EXPECT_TRUE(tree.events.empty());
    EXPECT_EQ(recorder.takeSummary(), "");

    tree.after->setState(State::Completed);
    tree.events.clear();
    recorder.take();
    tree.after->setState(State::Completed);
    EXPECT_TRUE(tree.events.empty());
    EXPECT_EQ(recorder.takeSummary(), "");
}

TEST(VornickSyncStepContainer, SiblingsStartInOrderAndParentsFollowTheirChildren)
{
    SyncStepStatusRecorder recorder;
    Tree tree;
    tree.session->setState(State::Active);
    tree.session->queueMainThreadStatusUpdateNotification();
    EXPECT_EQ(tree.events, (std::vector<std::string> { "start root", "start blog", "start a" }));
    EXPECT_EQ(tree.a->state(), State::Active);
    EXPECT_EQ(tree.b->state(), State::WaitingToStart);
    // Notifications go through the main queue, never at once.
    EXPECT_EQ(recorder.takeSummary(), "a:1 blog:1 root:1 blog:1 root:1 root:1");

    tree.events.clear();
    tree.a->setStatusMessage(u"Done");
    tree.a->setState(State::Completed);
    EXPECT_EQ(tree.events, (std::vector<std::string> { "end a", "start b" }));
    auto posted = recorder.take();
    ASSERT_EQ(posted.size(), 6u);
    EXPECT_EQ(posted[0].name, u"a");
    EXPECT_EQ(posted[0].state, State::Completed);
    EXPECT_EQ(posted[0].statusMessage, u"Done");
    EXPECT_DOUBLE_EQ(posted[0].progress, 1.0);
    EXPECT_EQ(posted[0].object, tree.a.get());
    EXPECT_EQ(posted[1].name, u"blog");
    EXPECT_DOUBLE_EQ(posted[1].progress, 1.0 / 3);
    EXPECT_EQ(posted[2].name, u"root");
    EXPECT_EQ(posted[3].name, u"b");
    EXPECT_EQ(posted[3].state, State::Active);
    EXPECT_EQ(posted[3].statusMessage, u"Waiting to start");

    // The last child's end finishes the parent, which starts its own sibling.
    tree.events.clear();
    tree.b->setState(State::Completed);
    tree.c->setState(State::CancelledByFailures); // counts as finished, starts nothing
    EXPECT_EQ(tree.blog->state(), State::Completed);
    EXPECT_EQ(tree.after->state(), State::Active);
    EXPECT_EQ(tree.events, (std::vector<std::string> { "end b", "start c", "end c", "end blog", "start after" }));
    recorder.take();

    tree.events.clear();
    tree.after->setState(State::Completed);
    EXPECT_EQ(tree.session->state(), State::Completed);
    EXPECT_EQ(tree.events, (std::vector<std::string> { "end after", "end root" }));
    // Values are taken when a change is made: the root was still Active then.
    EXPECT_EQ(recorder.takeSummary(), "after:2 root:1 root:2");

    // A step appended after its previous sibling finished stays Waiting.
    auto late = leaf(u"late");
    tree.blog->addStep(late);
    EXPECT_EQ(late->state(), State::WaitingToStart);
}

TEST(VornickSyncStepContainer, AnEmptySessionFailsOnTheNextTurn)
{
    SyncStepStatusRecorder recorder;
    auto session = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Automatic);
    int ended = 0;
    session->setEndBlock([&] { ended++; });
    session->setState(State::Active);
    EXPECT_EQ(session->state(), State::Active);
    EXPECT_EQ(ended, 0);
    auto posted = recorder.take();
    EXPECT_EQ(session->state(), State::Failed);
    EXPECT_EQ(ended, 1);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().state, State::Failed);
    EXPECT_EQ(posted.back().object, session.get());

    // One cancelled before that turn stays cancelled and ends once.
    auto cancelled = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Automatic);
    int cancelledEnds = 0;
    cancelled->setEndBlock([&] { cancelledEnds++; });
    cancelled->setState(State::Active);
    cancelled->cancelUnfinishedStepsRecursively();
    recorder.take();
    EXPECT_EQ(cancelled->state(), State::CancelledByUser);
    EXPECT_EQ(cancelledEnds, 1);

    // A step without children inside a tree waits for its work to end.
    auto other = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Automatic);
    auto lone = leaf(u"lone");
    other->addStep(lone);
    other->setState(State::Active);
    recorder.take();
    EXPECT_EQ(lone->state(), State::Active);
    EXPECT_EQ(other->state(), State::Active);
}

TEST(VornickSyncStepContainer, AFailureCancelsEveryUnfinishedNode)
{
    SyncStepStatusRecorder recorder;
    Tree tree;
    tree.session->setState(State::Active);
    tree.a->setState(State::Completed);
    recorder.take();
    tree.events.clear();

    tree.b->setStatusMessage(u"Failed: no answer");
    tree.b->setState(State::Failed);
    EXPECT_EQ(tree.a->state(), State::Completed);
    EXPECT_EQ(tree.a->statusMessage(), u"Waiting to start");
    EXPECT_EQ(tree.b->state(), State::Failed);
    EXPECT_EQ(tree.b->statusMessage(), u"Failed: no answer");
    EXPECT_EQ(tree.c->state(), State::CancelledByFailures);
    EXPECT_EQ(tree.c->statusMessage(), u"Abandoned ship");
    EXPECT_EQ(tree.blog->state(), State::CancelledByFailures);
    EXPECT_EQ(tree.blog->statusMessage(), u"Abandoned ship");
    EXPECT_EQ(tree.after->state(), State::CancelledByFailures);
    EXPECT_EQ(tree.session->state(), State::Failed);
    // Nothing was started by the failure; every node ended once.
    EXPECT_EQ(tree.events, (std::vector<std::string> { "end b", "end c", "end blog", "end after", "end root" }));

    // Each node posts its final state, the failed step first.
    auto posted = recorder.take();
    auto finalStateOf = [&](const void* node) {
        std::optional<State> state;
        for (auto& status : posted) {
            if (status.object == node)
                state = status.state;
        }
        return state;
    };
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.front().name, u"b");
    EXPECT_EQ(posted.front().state, State::Failed);
    EXPECT_EQ(finalStateOf(tree.c.get()), State::CancelledByFailures);
    EXPECT_EQ(finalStateOf(tree.blog.get()), State::CancelledByFailures);
    EXPECT_EQ(finalStateOf(tree.after.get()), State::CancelledByFailures);
    EXPECT_EQ(finalStateOf(tree.session.get()), State::Failed);
    EXPECT_EQ(finalStateOf(tree.a.get()), std::nullopt);
    for (auto& status : posted) {
        if (status.object == tree.c.get() && status.state == State::CancelledByFailures) {
            EXPECT_EQ(status.statusMessage, u"Abandoned ship");
        }
    }

    // A parent whose children all completed or were cancelled by failures completes.
    auto parent = leaf(u"parent");
    auto done = leaf(u"done");
    auto dropped = leaf(u"dropped");
    parent->addStep(done);
    parent->addStep(dropped);
    parent->setState(State::Active);
    dropped->setState(State::CancelledByFailures);
    EXPECT_EQ(parent->state(), State::Active);
    done->setState(State::Completed);
    EXPECT_EQ(parent->state(), State::Completed);
    recorder.take();
}

TEST(VornickSyncStepContainer, AUserCancelStartsNothingAndKeepsFinishedSteps)
{
    SyncStepStatusRecorder recorder;
    Tree tree;
    tree.session->setState(State::Active);
    tree.a->setState(State::Completed);
    EXPECT_EQ(tree.b->state(), State::Active);
    recorder.take();
    tree.events.clear();

    tree.session->cancelUnfinishedStepsRecursively();
    EXPECT_EQ(tree.a->state(), State::Completed);
    EXPECT_EQ(tree.b->state(), State::CancelledByUser);
    EXPECT_EQ(tree.c->state(), State::CancelledByUser);
    EXPECT_EQ(tree.after->state(), State::CancelledByUser);
    EXPECT_EQ(tree.blog->state(), State::CancelledByUser);
    EXPECT_EQ(tree.session->state(), State::CancelledByUser);
    // No start block ran: the Waiting steps were never started.
    for (auto& event : tree.events)
        EXPECT_EQ(event.rfind("start", 0), std::string::npos) << event;
    EXPECT_EQ(std::count(tree.events.begin(), tree.events.end(), "end root"), 1);
    EXPECT_EQ(std::count(tree.events.begin(), tree.events.end(), "end a"), 0);

    for (auto& status : recorder.take()) {
        EXPECT_NE(status.object, tree.a.get());
        if (status.object == tree.c.get() || status.object == tree.after.get()) {
            EXPECT_EQ(status.state, State::CancelledByUser);
        }
    }

    // Cancelling one Active step alone stops its parent, not its sibling.
    Tree other;
    other.session->setState(State::Active);
    other.a->setState(State::CancelledByUser);
    EXPECT_EQ(other.b->state(), State::WaitingToStart);
    EXPECT_EQ(other.blog->state(), State::CancelledByUser);
    EXPECT_EQ(other.after->state(), State::WaitingToStart);
    EXPECT_EQ(other.session->state(), State::CancelledByUser);
    recorder.take();
}

TEST(VornickSyncStepContainer, DescriptionsShowTheTree)
{
    Tree tree;
    tree.a->setProgress(0.5);
    std::string description = tree.a->description();
    EXPECT_EQ(description.rfind("a (Waiting @ 50%): VornickSyncStep(0x", 0), 0u) << description;
    EXPECT_NE(description.find(") \"Step a\""), std::string::npos) << description;

    std::string splat = tree.session->splat();
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = splat.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(splat.substr(start, end - start));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("root (Waiting @ 8%): VornickSyncSession(", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("\tblog ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("\t\ta ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("\t\tc ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("\tafter ", 0), 0u);

    auto odd = leaf(u"odd");
    odd->setState(static_cast<State>(6));
    EXPECT_EQ(odd->description().rfind("odd (Unknown @ 0%)", 0), 0u) << odd->description();
}

TEST(VornickSyncStepContainer, EachStatusNotificationCarriesTheValuesOfItsOwnChange)
{
    SyncStepStatusRecorder::drainMainQueue();
    auto step = std::make_shared<VornickSyncStep>(u"syncPosts", u"Sync Posts");
    // Unobserved changes first; then kept copies, taken at once and on the main queue.
    step->setStatusMessage(u"Received 50 posts");
    step->queueMainThreadStatusUpdateNotification();
    SyncStepStatusRecorder::drainMainQueue();
    std::vector<Dictionary> heard, heardLater;
    auto now = NotificationCenter::defaultCenter().addObserver(VornickSyncStepStatusDidChangeNotification, step.get(), nullptr,
        [&](const Notification& notification) { heard.push_back(notification.userInfo); });
    auto later = NotificationCenter::defaultCenter().addObserver(VornickSyncStepStatusDidChangeNotification, step.get(),
        &OperationQueue::main(), [&](const Notification& notification) { heardLater.push_back(notification.userInfo); });

    step->setStatusMessage(u"Received 100 posts");
    step->queueMainThreadStatusUpdateNotification();
    SyncStepStatusRecorder::drainMainQueue();
    // A message and a title that go, then come back; two changes before either is posted.
    step->setStatusMessage(u"");
    step->setTitle(u"");
    step->queueMainThreadStatusUpdateNotification();
    SyncStepStatusRecorder::drainMainQueue();
    step->setTitle(u"Sync Pages");
    step->setStatusMessage(u"Received 150 posts");
    step->queueMainThreadStatusUpdateNotification();
    step->setState(State::Completed);
    SyncStepStatusRecorder::drainMainQueue();

    Dictionary second { { u"state", Value(static_cast<int64_t>(State::WaitingToStart)) }, { u"progress", Value(0.0) },
        { u"title", Value(u"Sync Posts") }, { u"name", Value(u"syncPosts") }, { u"statusMessage", Value(u"Received 100 posts") } };
    Dictionary third { { u"state", Value(static_cast<int64_t>(State::WaitingToStart)) }, { u"progress", Value(0.0) },
        { u"name", Value(u"syncPosts") } };
    Dictionary fourth = second;
    fourth[u"title"] = Value(u"Sync Pages");
    fourth[u"statusMessage"] = Value(u"Received 150 posts");
    Dictionary fifth = fourth;
    fifth[u"state"] = Value(static_cast<int64_t>(State::Completed));
    fifth[u"progress"] = Value(1.0);
    std::vector<Dictionary> expected { second, third, fourth, fifth };
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(heardLater, expected);
}
