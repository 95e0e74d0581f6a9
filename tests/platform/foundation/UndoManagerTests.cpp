#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

void endTurn()
{
    RunLoop::main().runOnce(0);
}

// A model whose setter registers its own inverse, as the editor's changes do.
struct Document {
    UndoManager& undoManager;
    std::string text;
    std::vector<std::string> log;

    void setText(std::string newText)
    {
        std::string old = text;
        undoManager.registerUndo(this, [this, old] { setText(old); });
        log.push_back(undoManager.isUndoing() ? "undoing" : undoManager.isRedoing() ? "redoing" : "doing");
        text = std::move(newText);
    }
    void append(const std::string& suffix) { setText(text + suffix); }
};

TEST(UndoManagerTest, EachRunLoopTurnIsOneUndoStepUndoneLastFirst)
{
    UndoManager undo;
    std::vector<std::string> ran;
    undo.registerUndo(nullptr, [&] { ran.push_back("a"); });
    undo.registerUndo(nullptr, [&] { ran.push_back("b"); });
    EXPECT_EQ(undo.groupingLevel(), 1);
    EXPECT_TRUE(undo.canUndo()); // the open group counts
    endTurn();
    EXPECT_EQ(undo.groupingLevel(), 0);
    undo.registerUndo(nullptr, [&] { ran.push_back("c"); });
    endTurn();

    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "c" }));
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "c", "b", "a" }));
    EXPECT_FALSE(undo.canUndo());
    undo.undo(); // nothing left: no effect
    EXPECT_EQ(ran.size(), 3u);

    // Undo within the turn closes the turn's group first.
    undo.registerUndo(nullptr, [&] { ran.push_back("d"); });
    undo.undo();
    EXPECT_EQ(ran.back(), "d");
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST(UndoManagerTest, ATurnRunFromInsideAnotherStaysInTheOuterTurnsGroup)
{
    // A command that waits by running the loop (loading a fragment, say) is
    // still one undo step.
    UndoManager undo;
    std::vector<std::string> ran;
    bool registered = false;
    RunLoop::main().perform([&] {
        undo.registerUndo(nullptr, [&] { ran.push_back("before the wait"); });
        RunLoop::main().perform([] { });
        RunLoop::main().runOnce(0);
        EXPECT_EQ(undo.groupingLevel(), 1);
        undo.registerUndo(nullptr, [&] { ran.push_back("after the wait"); });
        registered = true;
    });
    endTurn();
    ASSERT_TRUE(registered);
    EXPECT_EQ(undo.groupingLevel(), 0);
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "after the wait", "before the wait" }));
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManagerTest, ExplicitGroupsFoldIntoTheTurnsGroup)
{
    UndoManager undo;
    std::vector<std::string> ran;
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { ran.push_back("a"); });
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { ran.push_back("b"); });
    undo.endUndoGrouping();
    undo.endUndoGrouping();
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { ran.push_back("c"); });
    undo.endUndoGrouping();
    EXPECT_EQ(undo.groupingLevel(), 1);
    endTurn();
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "c", "b", "a" }));
    EXPECT_FALSE(undo.canUndo());

    // Without grouping by event, each top-level explicit group is a step.
    undo.setGroupsByEvent(false);
    ran.clear();
    for (std::string name : { "x", "y" }) {
        undo.beginUndoGrouping();
        undo.registerUndo(nullptr, [&, name] { ran.push_back(name + "1"); });
        undo.beginUndoGrouping();
        undo.registerUndo(nullptr, [&, name] { ran.push_back(name + "2"); });
        undo.endUndoGrouping();
        undo.endUndoGrouping();
    }
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "y2", "y1" }));
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "y2", "y1", "x2", "x1" }));

    // Undo closes a top-level explicit group left open, as it does the turn's.
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { ran.push_back("open"); });
    undo.undo();
    EXPECT_EQ(ran.back(), "open");
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST(UndoManagerTest, EmptyGroupsAreDropped)
{
    UndoManager undo;
    undo.registerUndo(nullptr, [] { });
    undo.setActionName(u"Real");
    endTurn();
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    endTurn();
    undo.beginUndoGrouping();
    undo.setActionName(u"Empty");
    undo.endUndoGrouping();
    endTurn();
    undo.disableUndoRegistration();
    undo.registerUndo(nullptr, [] { });
    undo.enableUndoRegistration();
    endTurn();
    EXPECT_EQ(undo.undoActionName(), u"Real");
    undo.undo();
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManagerTest, UndoRegistersRedoAndRedoRegistersUndo)
{
    UndoManager undo;
    Document document { undo, "", {} };
    document.append("Hello");
    undo.setActionName(u"Typing");
    endTurn();
    document.append(" world");
    undo.setActionName(u"Paste");
    EXPECT_EQ(undo.undoActionName(), u"Paste"); // the open group's name
    endTurn();

    undo.undo();
    EXPECT_EQ(document.text, "Hello");
    EXPECT_EQ(document.log.back(), "undoing");
    EXPECT_TRUE(undo.canRedo());
    EXPECT_EQ(undo.redoActionName(), u"Paste");
    EXPECT_EQ(undo.undoActionName(), u"Typing");
    undo.undo();
    EXPECT_EQ(document.text, "");
    EXPECT_EQ(undo.redoActionName(), u"Typing");

    undo.redo();
    EXPECT_EQ(document.text, "Hello");
    EXPECT_EQ(document.log.back(), "redoing");
    EXPECT_EQ(undo.undoActionName(), u"Typing");
    undo.redo();
    EXPECT_EQ(document.text, "Hello world");
    EXPECT_FALSE(undo.canRedo());
    undo.undo();
    undo.redo();
    EXPECT_EQ(document.text, "Hello world");
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_FALSE(undo.isRedoing());

    // Redoing registers into the undo stack without ending the rest of the
    // redo stack.
    undo.undo();
    undo.undo();
    undo.redo();
    EXPECT_EQ(document.text, "Hello");
    EXPECT_TRUE(undo.canRedo());
    EXPECT_EQ(undo.redoActionName(), u"Paste");
    undo.redo();

    // A new change ends what could be redone.
    undo.undo();
    EXPECT_TRUE(undo.canRedo());
    document.append("!");
    EXPECT_FALSE(undo.canRedo());
    endTurn();
    undo.undo();
    EXPECT_EQ(document.text, "Hello");
}

TEST(UndoManagerTest, LevelsTargetsAndRegistrationControl)
{
    UndoManager undo;
    undo.setLevelsOfUndo(3);
    int value = 0;
    for (int i = 1; i <= 5; ++i) {
        undo.registerUndo(&value, [&, i] { value = i; });
        endTurn();
    }
    int undone = 0;
    while (undo.canUndo()) {
        undo.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(value, 3);

    // Removing a target drops its actions and the groups they leave empty.
    undo.removeAllActions();
    int a = 0, b = 0;
    std::vector<std::string> ran;
    undo.registerUndo(&a, [&] { ran.push_back("a1"); });
    undo.registerUndo(&b, [&] { ran.push_back("b1"); });
    endTurn();
    undo.registerUndo(&a, [&] { ran.push_back("a2"); });
    undo.setActionName(u"Only A");
    endTurn();
    undo.removeAllActionsWithTarget(&a);
    EXPECT_EQ(undo.undoActionName(), u"");
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "b1" }));
    EXPECT_FALSE(undo.canUndo());

    // Disabling is counted.
    undo.disableUndoRegistration();
    undo.disableUndoRegistration();
    undo.enableUndoRegistration();
    undo.registerUndo(&a, [&] { ran.push_back("ignored"); });
    EXPECT_FALSE(undo.isUndoRegistrationEnabled());
    undo.enableUndoRegistration();
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    endTurn();
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManagerTest, MisuseIsAnAssertion)
{
    UndoManager undo;
    EXPECT_THROW(undo.endUndoGrouping(), InternalInconsistencyException);
    undo.registerUndo(nullptr, [] { });
    EXPECT_THROW(undo.endUndoGrouping(), InternalInconsistencyException); // only the turn's group is open
    undo.beginUndoGrouping();
    EXPECT_THROW(undo.undo(), InternalInconsistencyException);
    EXPECT_THROW(undo.redo(), InternalInconsistencyException);
    undo.endUndoGrouping();
    endTurn();
    EXPECT_THROW(undo.enableUndoRegistration(), InternalInconsistencyException);

    undo.setGroupsByEvent(false);
    EXPECT_THROW(undo.registerUndo(nullptr, [] { }), InternalInconsistencyException);

    // Undoing from inside an undo action.
    undo.setGroupsByEvent(true);
    undo.registerUndo(nullptr, [&] { undo.undo(); });
    endTurn();
    EXPECT_THROW(undo.undo(), InternalInconsistencyException);
    EXPECT_FALSE(undo.isUndoing()); // the failed undo left a sane state
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST(UndoManagerTest, PostsNotificationsWithItselfAsObject)
{
    UndoManager undo;
    std::vector<std::string> names;
    auto token = NotificationCenter::defaultCenter().addObserver("", &undo, nullptr,
        [&](const Notification& n) {
            if (n.name != UndoManager::CheckpointNotification)
                names.push_back(n.name);
        });
    undo.registerUndo(nullptr, [] { });
    endTurn();
    EXPECT_EQ(names, (std::vector<std::string> { UndoManager::DidOpenUndoGroupNotification,
                                                UndoManager::DidCloseUndoGroupNotification }));
    names.clear();
    undo.undo();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), UndoManager::WillUndoChangeNotification);
    EXPECT_EQ(names.back(), UndoManager::DidUndoChangeNotification);
    names.clear();
    undo.redo(); // nothing was registered while undoing: nothing to redo
    EXPECT_TRUE(names.empty());

    // An empty group closes too, and a redo posts its own pair.
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    endTurn();
    EXPECT_EQ(names.back(), UndoManager::DidCloseUndoGroupNotification);
    names.clear();
    undo.registerUndo(&undo, [&] { undo.registerUndo(&undo, [] { }); });
    endTurn();
    undo.undo();
    names.clear();
    undo.redo();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), UndoManager::WillRedoChangeNotification);
    EXPECT_EQ(names.back(), UndoManager::DidRedoChangeNotification);
    EXPECT_TRUE(std::find(names.begin(), names.end(), UndoManager::DidCloseUndoGroupNotification) != names.end());
}

} // namespace

namespace {

// Counts how many registrations still hold a payload or a target.
struct Payload {
    int& alive;
    explicit Payload(int& alive) : alive(alive) { ++alive; }
    ~Payload() { --alive; }
};

TEST(UndoManagerTest, RevertingTheLastRegistrationsLeavesNeitherUndoNorRedo)
{
    UndoManager undoManager;
    Document document { undoManager, "a", {} };

    // Alone in its turn: reverted, the step is gone and nothing can be redone.
    auto before = undoManager.registrationMark();
    document.append("b");
    undoManager.setActionName(u"Insert Placeholder");
    auto after = undoManager.registrationMark();
    ASSERT_TRUE(undoManager.revertRegistrationsBetween(before, after));
    EXPECT_EQ(document.text, "a");
    EXPECT_FALSE(undoManager.canUndo());
    EXPECT_FALSE(undoManager.canRedo());
    endTurn();
    EXPECT_FALSE(undoManager.canUndo());

    // After a change of its own in the same turn: only the marked part goes,
    // and the turn's step keeps its name.
    document.append("x");
    undoManager.setActionName(u"Typing");
    before = undoManager.registrationMark();
    document.append("b");
    undoManager.setActionName(u"Insert Placeholder");
    after = undoManager.registrationMark();
    endTurn();
    ASSERT_TRUE(undoManager.revertRegistrationsBetween(before, after));
    EXPECT_EQ(document.text, "ax");
    EXPECT_EQ(undoManager.undoActionName(), u"Typing");
    undoManager.undo();
    EXPECT_EQ(document.text, "a");
    undoManager.redo();
    EXPECT_EQ(document.text, "ax");

    // Something registered after the marks, or an undo in between: refused, nothing runs.
    before = undoManager.registrationMark();
    document.append("b");
    after = undoManager.registrationMark();
    document.append("c");
    EXPECT_FALSE(undoManager.revertRegistrationsBetween(before, after));
    EXPECT_EQ(document.text, "axbc");
    endTurn();
    before = undoManager.registrationMark();
    document.append("d");
    after = undoManager.registrationMark();
    endTurn();
    undoManager.undo();
    EXPECT_FALSE(undoManager.revertRegistrationsBetween(before, after));
    EXPECT_EQ(document.text, "axbc");
    EXPECT_TRUE(undoManager.canRedo());
}

} // namespace

TEST(UndoManagerTest, TheUndoPositionComesBackExactlyWithTheStateItNamed)
{
    UndoManager undoManager;
    Document document { undoManager, "", {} };
    EXPECT_EQ(undoManager.undoPosition(), 0u);
    document.append("a");
    endTurn();
    auto afterA = undoManager.undoPosition();
    EXPECT_NE(afterA, 0u);
    // Every change moves it, also within the step it belongs to: a state in
    // the middle of a step is never taken for the step's end.
    document.append("b");
    auto middle = undoManager.undoPosition();
    document.append("c");
    auto afterC = undoManager.undoPosition();
    EXPECT_NE(middle, afterA);
    EXPECT_NE(afterC, middle);
    endTurn();

    undoManager.undo();
    EXPECT_EQ(document.text, "a");
    EXPECT_EQ(undoManager.undoPosition(), afterA);
    undoManager.undo();
    EXPECT_EQ(undoManager.undoPosition(), 0u);
    undoManager.redo();
    undoManager.redo();
    EXPECT_EQ(document.text, "abc");
    EXPECT_EQ(undoManager.undoPosition(), afterC);

    // A new change after undoing: the same number of steps, never the same
    // position, so the state undone past is never taken for this one.
    undoManager.undo();
    document.append("x");
    endTurn();
    auto afterX = undoManager.undoPosition();
    EXPECT_NE(afterX, afterC);
    EXPECT_NE(afterX, afterA);
    undoManager.undo();
    EXPECT_EQ(undoManager.undoPosition(), afterA);
    undoManager.redo();
    EXPECT_EQ(undoManager.undoPosition(), afterX);

    // Dropping old steps and removing actions change no state.
    undoManager.setLevelsOfUndo(1);
    undoManager.removeAllActionsWithTarget(&document);
    EXPECT_FALSE(undoManager.canUndo());
    undoManager.removeAllActions();
    EXPECT_EQ(undoManager.undoPosition(), afterX);

    // Taking registrations back returns to the position of the first mark,
    // also inside a step that keeps earlier changes (its redo ends there).
    auto before = undoManager.registrationMark();
    document.append("p");
    ASSERT_TRUE(undoManager.revertRegistrationsBetween(before, undoManager.registrationMark()));
    EXPECT_EQ(undoManager.undoPosition(), afterX);
    document.append("y");
    auto afterY = undoManager.undoPosition();
    before = undoManager.registrationMark();
    document.append("p");
    endTurn();
    ASSERT_TRUE(undoManager.revertRegistrationsBetween(before, undoManager.registrationMark()));
    EXPECT_EQ(document.text, "axy");
    EXPECT_EQ(undoManager.undoPosition(), afterY);
    undoManager.undo();
    EXPECT_EQ(undoManager.undoPosition(), afterX);
    undoManager.redo();
    EXPECT_EQ(undoManager.undoPosition(), afterY);
}

TEST(UndoManagerTest, ActionNames)
{
    UndoManager undo;
    Document document { undo, "", {} };

    // The last name set for a group wins, also from inside a nested group.
    document.append("a");
    undo.setActionName(u"Inner");
    undo.beginUndoGrouping();
    document.append("b");
    undo.setActionName(u"Nested");
    undo.endUndoGrouping();
    undo.setActionName(u"Command");
    endTurn();
    EXPECT_EQ(undo.undoActionName(), u"Command");

    // An action that names the step while undoing names the redo step;
    // otherwise it keeps the undone step's name.
    std::string value = "x";
    undo.registerUndo(&value, [&] {
        undo.registerUndo(&value, [&] { value = "x"; });
        undo.setActionName(u"Renamed While Undoing");
        value = "";
    });
    undo.setActionName(u"Original");
    endTurn();
    undo.undo();
    EXPECT_EQ(undo.redoActionName(), u"Renamed While Undoing");
    undo.redo();
    EXPECT_EQ(value, "x");
    undo.undo(); // undoes "Command": the redo step is still named "Command"
    EXPECT_EQ(undo.redoActionName(), u"Command");
    EXPECT_EQ(document.text, "");
}

TEST(UndoManagerTest, NoLimitOnStepsUnlessOneIsSet)
{
    UndoManager undo;
    EXPECT_EQ(undo.levelsOfUndo(), 0u);
    int value = 0;
    for (int i = 1; i <= 2000; ++i) {
        undo.registerUndo(&value, [&, i] { value = i - 1; });
        endTurn();
    }
    int undone = 0;
    while (undo.canUndo()) {
        undo.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 2000);
    EXPECT_EQ(value, 0);
}

TEST(UndoManagerTest, RegistrationsOwnTheirPayloadsAndKeepTheirTargetsAlive)
{
    int alive = 0;
    auto undo = std::make_unique<UndoManager>();

    // A payload lives as long as its registration: until the step is undone
    // (the redo step registers its own), or dropped by trimming, removal or
    // the manager's end.
    undo->registerUndo(nullptr, [payload = std::make_shared<Payload>(alive)] { });
    EXPECT_EQ(alive, 1);
    endTurn();
    undo->undo();
    EXPECT_EQ(alive, 0);

    // A target registered by shared_ptr stays alive while registered, even
    // when its owner lets go of it, and its action gets it.
    auto target = std::make_shared<Payload>(alive);
    std::weak_ptr<Payload> watched = target;
    Payload* seen = nullptr;
    undo->registerUndo(target, [&](Payload& run) { seen = &run; });
    target.reset();
    endTurn();
    EXPECT_FALSE(watched.expired());
    undo->undo();
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(watched.expired()); // released once the undo has run

    undo->setLevelsOfUndo(1);
    for (int i = 0; i < 3; ++i) {
        undo->registerUndo(std::make_shared<Payload>(alive), [](Payload&) { });
        endTurn();
    }
    EXPECT_EQ(alive, 1);
    auto removable = std::make_shared<Payload>(alive);
    undo->registerUndo(removable, [](Payload&) { });
    undo->removeAllActionsWithTarget(removable.get());
    removable.reset();
    EXPECT_EQ(alive, 1);
    undo->registerUndo(std::make_shared<Payload>(alive), [](Payload&) { });
    undo.reset();
    EXPECT_EQ(alive, 0);
}

TEST(UndoManagerTest, RemovedActionsNeverRunAgain)
{
    UndoManager undo;
    std::vector<std::string> ran;
    int owner = 0, other = 0;

    // An owner that goes away while its step is being undone: the rest of
    // its actions in that step do not run, the others do.
    undo.registerUndo(&owner, [&] { ran.push_back("owner first"); });
    undo.registerUndo(&other, [&] { ran.push_back("other"); });
    undo.registerUndo(&owner, [&] {
        ran.push_back("owner last, going away");
        undo.removeAllActionsWithTarget(&owner);
    });
    endTurn();
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "owner last, going away", "other" }));

    // Removing everything while undoing drops the rest of the step and what
    // the step registered so far.
    ran.clear();
    undo.registerUndo(&other, [&] { ran.push_back("not run"); });
    undo.registerUndo(&owner, [&] {
        undo.registerUndo(&owner, [] { });
        undo.removeAllActions();
        ran.push_back("reset");
    });
    endTurn();
    undo.undo();
    EXPECT_EQ(ran, (std::vector<std::string> { "reset" }));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_FALSE(undo.isUndoing());

    // A target whose end removes its actions from the manager that releases
    // it (the manager going away, or removing it) leaves the manager whole.
    struct SelfRemoving {
        UndoManager* manager;
        ~SelfRemoving()
        {
            if (manager)
                manager->removeAllActionsWithTarget(this);
        }
    };
    {
        auto manager = std::make_unique<UndoManager>();
        auto run = std::make_shared<SelfRemoving>(SelfRemoving { manager.get() });
        manager->registerUndo(run, [](SelfRemoving&) { });
        manager->registerUndo(std::make_shared<SelfRemoving>(SelfRemoving { manager.get() }), [](SelfRemoving&) { });
        endTurn();
        manager->removeAllActionsWithTarget(run.get());
        run.reset();
        EXPECT_TRUE(manager->canUndo());
        manager.reset();
    }
}

TEST(UndoManagerTest, AnObjectRegisteredForItsOwnerGoesWithTheOwnersActions)
{
    int alive = 0;
    auto undo = std::make_unique<UndoManager>();
    int owner = 0;
    auto run = std::make_shared<Payload>(alive);
    bool ran = false;
    undo->registerUndo(&owner, run, [&ran] { ran = true; });
    run.reset();
    EXPECT_EQ(alive, 1);
    undo->removeAllActionsWithTarget(&owner);
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(undo->canUndo());
    EXPECT_FALSE(ran);

    // Whoever registered may outlive the manager: its lifetime tells.
    auto lifetime = undo->lifetime();
    EXPECT_FALSE(lifetime.expired());
    undo.reset();
    EXPECT_TRUE(lifetime.expired());
}
