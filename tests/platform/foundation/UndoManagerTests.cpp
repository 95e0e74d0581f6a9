#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

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
}

} // namespace
