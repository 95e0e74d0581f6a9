// UndoManager: undo and redo stacks of groups of closures.
//
// Registrations are collected into groups. With groupsByEvent (the default)
// the first registration of a run-loop turn opens a group that closes at the
// end of that turn, so everything one event does is one undo step; explicit
// beginUndoGrouping/endUndoGrouping pairs nest inside it and fold into it.
// Empty groups are dropped. Undoing a group runs its actions last-registered
// first; whatever they register while undoing forms the redo group (and while
// redoing, the undo group), so an action that registers its own inverse gives
// redo for free.
//
// An undo manager belongs to the main thread: the end of each main run-loop
// turn closes its automatic group.
//
// Targets are compared only (never dereferenced); removeAllActionsWithTarget
// drops the actions of an object that goes away. Closures must not capture
// strong references that would keep their target alive through the stacks
// longer than intended: capture weak_ptrs, or remove the target's actions in
// its destructor.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class UndoManager {
public:
    UndoManager();
    ~UndoManager();
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // Records `action` as the inverse of a change to `target` in the current
    // group (opening the turn's group when groupsByEvent and none is open).
    // Ignored while registration is disabled.
    void registerUndo(const void* target, std::function<void()> action);

    void beginUndoGrouping();
    // Asserts that a group is open.
    void endUndoGrouping();
    int groupingLevel() const;
    bool groupsByEvent() const;
    void setGroupsByEvent(bool);

    bool canUndo() const;
    bool canRedo() const;
    // Closes the turn's automatic group first when it is the only one open;
    // asserts that no explicit group is open.
    void undo();
    void redo();

    bool isUndoing() const;
    bool isRedoing() const;

    // Names the open group (or, with none open, the last one recorded). The
    // open group also counts for canUndo() and undoActionName().
    void setActionName(std::u16string);
    std::u16string undoActionName() const;
    std::u16string redoActionName() const;

    // The most undo groups kept (0: no limit); older groups are dropped.
    size_t levelsOfUndo() const;
    void setLevelsOfUndo(size_t);

    // Also discards the open group and re-enables registration.
    void removeAllActions();
    void removeAllActionsWithTarget(const void* target);

    // Counted: registration resumes after as many enables as disables.
    void disableUndoRegistration();
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const;

    // Posted with the undo manager as object, synchronously on the calling thread.
    static constexpr const char* CheckpointNotification = "UndoManagerCheckpointNotification";
    static constexpr const char* WillUndoChangeNotification = "UndoManagerWillUndoChangeNotification";
    static constexpr const char* WillRedoChangeNotification = "UndoManagerWillRedoChangeNotification";
    static constexpr const char* DidUndoChangeNotification = "UndoManagerDidUndoChangeNotification";
    static constexpr const char* DidRedoChangeNotification = "UndoManagerDidRedoChangeNotification";
    static constexpr const char* DidOpenUndoGroupNotification = "UndoManagerDidOpenUndoGroupNotification";
    static constexpr const char* DidCloseUndoGroupNotification = "UndoManagerDidCloseUndoGroupNotification";

private:
    struct Private;
    std::unique_ptr<Private> m_private;
};

} // namespace brevanton
