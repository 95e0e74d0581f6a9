// UndoManager: undo and redo stacks of groups of closures.
//
// Registrations are collected into groups. With groupsByEvent (the default)
// the first registration of a main run-loop turn opens a group that closes at
// the end of that turn (the outermost one, when a block runs the loop while
// it waits), so everything one event does is one undo step; explicit
// beginUndoGrouping/endUndoGrouping pairs nest inside it and fold into it.
// Empty groups are dropped. Undoing a group runs its actions last-registered
// first; whatever they register while undoing forms the redo group (and while
// redoing, the undo group), so an action that registers its own inverse gives
// redo for free. The redo group keeps the undone group's name unless an action
// names it while running. There is no limit on the number of steps unless
// setLevelsOfUndo sets one.
//
// The undo position names the state the registered changes have brought
// their targets to, so that an owner can tell whether it is back where it
// was (a document at the state of its last save): every registration made
// outside undo and redo moves it to a number never given before; undoing a
// group moves it back to what it was before the group's first registration,
// redoing forward to what it was after its last. A state left by undoing and
// then registering a new change can never be reached again, so its position
// never comes back either. Removing actions or dropping old groups leaves
// the position alone.
//
// An undo manager belongs to the main thread: the end of each main run-loop
// turn closes its automatic group.
//
// Ownership: a registration owns its closure and whatever the closure
// captures (the payload of the inverse) until it runs or is removed; the
// closures of a group that is undone are released once the undo has run.
// registerUndo with a shared_ptr target keeps that target alive for as long
// as the registration stands. A plain target pointer is only compared, never
// dereferenced: its owner must remove its actions (removeAllActionsWithTarget)
// before it goes away, and from then on none of them runs, not even the rest
// of a group being undone at that moment.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // The same, keeping `target` alive while the registration stands; the
    // action is called with it. The target's address is the key that
    // removeAllActionsWithTarget takes.
    template <typename Target, typename Action>
    void registerUndo(const std::shared_ptr<Target>& target, Action action)
    {
        Target* raw = target.get();
        registerUndoKeepingAlive(raw, target, [raw, action = std::move(action)]() mutable { action(*raw); });
    }
    // Records `action` under the key `target` and keeps `keptAlive` alive
    // while the registration stands (an object that registers itself on
    // behalf of its owner, removed with the owner's actions).
    void registerUndo(const void* target, std::shared_ptr<const void> keptAlive, std::function<void()> action)
    {
        registerUndoKeepingAlive(target, std::move(keptAlive), std::move(action));
    }

    // Expires when the undo manager is destroyed: a registrant that may
    // outlive it checks this before removing its actions.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

    void beginUndoGrouping();
    // Asserts that a group is open.
    void endUndoGrouping();
    int groupingLevel() const;
    bool groupsByEvent() const;
    void setGroupsByEvent(bool);

    bool canUndo() const;
    bool canRedo() const;
    // Close the open group first when it is the only one open (the turn's
    // automatic group or a top-level explicit one); assert when groups are
    // nested.
    void undo();
    void redo();

    bool isUndoing() const;
    bool isRedoing() const;

    // Names the open group (or, with none open, the last one recorded). The
    // open group also counts for canUndo() and undoActionName().
    void setActionName(std::u16string);
    std::u16string undoActionName() const;
    std::u16string redoActionName() const;

    // Where the registered changes stand (above); 0 before any registration.
    uint64_t undoPosition() const;

    // The most undo groups kept (0: no limit); older groups are dropped.
    size_t levelsOfUndo() const;
    void setLevelsOfUndo(size_t);

    // Also discards the open group and re-enables registration. Called while
    // undoing or redoing, the rest of the group being replayed is dropped too.
    void removeAllActions();
    void removeAllActionsWithTarget(const void* target);

    // A mark of the registrations made so far. revertRegistrationsBetween
    // takes back the registrations made between two marks as if they had
    // never been: it runs them, last first, with registration disabled (so
    // no redo step is left), and drops them. It does so only while they are
    // the very last registrations (nothing registered after the second mark)
    // and still the last actions of the most recent group (nothing undone,
    // redone or removed in between); a group left empty is dropped, one that
    // keeps earlier actions gets back the name it had at the first mark, and
    // the undo position goes back to the first mark's.
    // False, with nothing run or changed, otherwise.
    struct RegistrationMark {
        uint64_t serial { 0 };
        uint64_t undoPosition { 0 };
        std::u16string openGroupName;
        bool openGroupHadActions { false };
    };
    RegistrationMark registrationMark() const;
    [[nodiscard]] bool revertRegistrationsBetween(const RegistrationMark& from, const RegistrationMark& to);

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
    void registerUndoKeepingAlive(const void* target, std::shared_ptr<const void> keptAlive, std::function<void()> action);

    struct Private;
    std::unique_ptr<Private> m_private;
    std::shared_ptr<const void> m_lifetime { std::make_shared<char>(0) };
};

} // namespace brevanton
