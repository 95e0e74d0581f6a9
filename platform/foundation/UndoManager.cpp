#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <vector>

namespace brevanton {

namespace {

struct UndoAction {
    const void* target;
    std::shared_ptr<const void> keptAlive; // the target, when the registration keeps it alive
    std::function<void()> action;
    bool removed { false }; // removed while its group was being replayed
    uint64_t serial { 0 }; // the registration's place in the order of all registrations
};

struct UndoGroup {
    std::vector<UndoAction> actions; // in registration order
    std::u16string actionName;
    // The undo positions before the group's change and after it: undoing
    // the group goes to the first, redoing it to the second.
    uint64_t positionBefore { 0 };
    uint64_t positionAfter { 0 };
};

// What a removal takes out of the stacks is released only once the stacks
// are consistent again: a closure or target being destroyed may call back
// into the undo manager.
struct Released {
    std::vector<UndoGroup> groups;
    std::vector<UndoAction> actions;
};

} // namespace

struct UndoManager::Private {
    UndoManager& owner;
    std::deque<UndoGroup> undoStack; // oldest first
    std::deque<UndoGroup> redoStack;

    // The top-level group being collected, and how deeply groups are open.
    UndoGroup openGroup;
    int level { 0 };
    bool automaticGroupOpen { false };

    // The group whose actions are running (undo or redo), held by replay().
    UndoGroup* replaying { nullptr };

    bool groupsByEvent { true };
    bool undoing { false };
    bool redoing { false };
    int disableCount { 0 };
    size_t levelsOfUndo { 0 };
    uint64_t lastSerial { 0 };
    uint64_t position { 0 };
    uint64_t lastPosition { 0 }; // the last position given out
    RunLoop::ObserverID turnObserver { 0 };

    explicit Private(UndoManager& owner) : owner(owner) { }

    void post(const char* name) { NotificationCenter::defaultCenter().post(name, &owner); }

    void trim(std::deque<UndoGroup>& stack, Released& released)
    {
        while (levelsOfUndo && stack.size() > levelsOfUndo) {
            released.groups.push_back(std::move(stack.front()));
            stack.pop_front();
        }
    }

    void openTopLevel(bool automatic)
    {
        post(CheckpointNotification);
        openGroup = UndoGroup();
        level = 1;
        automaticGroupOpen = automatic;
        post(DidOpenUndoGroupNotification);
    }

    // Closes the top-level group: an empty one is dropped; one collected while
    // undoing goes to the redo stack, any other to the undo stack.
    void closeTopLevel()
    {
        post(CheckpointNotification);
        UndoGroup group = std::move(openGroup);
        openGroup = UndoGroup();
        level = 0;
        automaticGroupOpen = false;
        Released released;
        if (!group.actions.empty()) {
            auto& stack = undoing ? redoStack : undoStack;
            stack.push_back(std::move(group));
            trim(stack, released);
        }
        post(DidCloseUndoGroupNotification);
    }

    void endOfTurn()
    {
        // A turn run from inside another (a block waiting on the loop) is
        // still part of the outer turn's event.
        if (RunLoop::main().isInNestedTurn())
            return;
        if (automaticGroupOpen && level == 1 && !undoing && !redoing)
            closeTopLevel();
    }

    // Closes the one open group before an undo or redo.
    void closeBeforeReplay(const char* operation)
    {
        BREVANTON_ASSERT(!undoing && !redoing, fmt::format("{} called while undoing or redoing", operation));
        if (level == 1)
            closeTopLevel();
        BREVANTON_ASSERT(level == 0, fmt::format("{} called with nested undo groups open", operation));
    }

    // Runs `group`'s actions last-registered first, collecting what they
    // register into a new top-level group named like `group` until an action
    // names it. The group's closures (and the targets they keep alive) live
    // until every action has run.
    void replay(UndoGroup group, bool asUndo)
    {
        bool& flag = asUndo ? undoing : redoing;
        flag = true;
        openGroup = UndoGroup();
        openGroup.actionName = group.actionName;
        // What the actions register is the same change the other way.
        openGroup.positionBefore = group.positionBefore;
        openGroup.positionAfter = group.positionAfter;
        position = asUndo ? group.positionBefore : group.positionAfter;
        level = 1;
        automaticGroupOpen = false;
        replaying = &group;
        struct Finish {
            Private& d;
            bool& flag;
            ~Finish()
            {
                d.replaying = nullptr;
                d.level = 1;
                d.closeTopLevel();
                flag = false;
            }
        } finish { *this, flag };
        for (size_t i = group.actions.size(); i-- > 0;) {
            // Indexing, not iterators: nothing is erased from a replayed
            // group, but an action may mark later ones removed.
            auto& action = group.actions[i];
            if (!action.removed && action.action)
                action.action();
        }
    }

    void removeTarget(UndoGroup& group, const void* target, Released& released)
    {
        std::vector<UndoAction> kept;
        for (auto& action : group.actions)
            (action.target == target ? released.actions : kept).push_back(std::move(action));
        group.actions = std::move(kept);
    }

    void removeTarget(std::deque<UndoGroup>& stack, const void* target, Released& released)
    {
        for (auto& group : stack)
            removeTarget(group, target, released);
        std::erase_if(stack, [](auto& group) { return group.actions.empty(); });
    }

    void markReplayingRemoved(const void* target, bool all)
    {
        if (!replaying)
            return;
        for (auto& action : replaying->actions) {
            if (all || action.target == target)
                action.removed = true;
        }
    }
};

UndoManager::UndoManager()
    : m_private(std::make_unique<Private>(*this))
{
    m_private->turnObserver = RunLoop::main().addEndOfTurnObserver([d = m_private.get()] { d->endOfTurn(); });
}

UndoManager::~UndoManager()
{
    auto& d = *m_private;
    RunLoop::main().removeEndOfTurnObserver(d.turnObserver);
    // Released while the manager is still whole: a target going away may
    // remove its actions from it.
    std::deque<UndoGroup> undoStack = std::move(d.undoStack);
    std::deque<UndoGroup> redoStack = std::move(d.redoStack);
    UndoGroup openGroup = std::move(d.openGroup);
    d.undoStack.clear();
    d.redoStack.clear();
    d.openGroup = UndoGroup();
}

void UndoManager::registerUndo(const void* target, std::function<void()> action)
{
    registerUndoKeepingAlive(target, nullptr, std::move(action));
}

void UndoManager::registerUndoKeepingAlive(const void* target, std::shared_ptr<const void> keptAlive,
                                           std::function<void()> action)
{
    auto& d = *m_private;
    if (d.disableCount > 0)
        return;
    if (d.level == 0) {
        BREVANTON_ASSERT(d.groupsByEvent, "registerUndo needs an open undo group when groupsByEvent is off");
        d.openTopLevel(true);
    }
    std::deque<UndoGroup> ended;
    if (!d.undoing && !d.redoing) {
        std::swap(ended, d.redoStack); // a new change ends what could be redone
        if (d.openGroup.actions.empty())
            d.openGroup.positionBefore = d.position;
        d.position = ++d.lastPosition;
        d.openGroup.positionAfter = d.position;
    }
    d.openGroup.actions.push_back({ target, std::move(keptAlive), std::move(action), false, ++d.lastSerial });
}

void UndoManager::beginUndoGrouping()
{
    auto& d = *m_private;
    if (d.level == 0) {
        if (d.groupsByEvent)
            d.openTopLevel(true); // the turn's group, which the explicit group folds into
        else {
            d.openTopLevel(false);
            return;
        }
    }
    d.post(CheckpointNotification);
    ++d.level;
    d.post(DidOpenUndoGroupNotification);
}

void UndoManager::endUndoGrouping()
{
    auto& d = *m_private;
    bool explicitGroupOpen = d.level > (d.automaticGroupOpen ? 1 : 0);
    BREVANTON_ASSERT(explicitGroupOpen, "endUndoGrouping called with no matching beginUndoGrouping");
    if (d.level == 1) {
        d.closeTopLevel();
        return;
    }
    d.post(CheckpointNotification);
    --d.level;
    d.post(DidCloseUndoGroupNotification);
}

int UndoManager::groupingLevel() const
{
    return m_private->level;
}

bool UndoManager::groupsByEvent() const
{
    return m_private->groupsByEvent;
}

void UndoManager::setGroupsByEvent(bool groupsByEvent)
{
    m_private->groupsByEvent = groupsByEvent;
}

bool UndoManager::canUndo() const
{
    auto& d = *m_private;
    if (!d.undoStack.empty())
        return true;
    return d.level > 0 && !d.undoing && !d.openGroup.actions.empty();
}

bool UndoManager::canRedo() const
{
    return !m_private->redoStack.empty();
}

void UndoManager::undo()
{
    auto& d = *m_private;
    d.closeBeforeReplay("undo");
    if (d.undoStack.empty())
        return;
    d.post(CheckpointNotification);
    d.post(WillUndoChangeNotification);
    UndoGroup group = std::move(d.undoStack.back());
    d.undoStack.pop_back();
    d.replay(std::move(group), true);
    d.post(DidUndoChangeNotification);
}

void UndoManager::redo()
{
    auto& d = *m_private;
    d.closeBeforeReplay("redo");
    if (d.redoStack.empty())
        return;
    d.post(CheckpointNotification);
    d.post(WillRedoChangeNotification);
    UndoGroup group = std::move(d.redoStack.back());
    d.redoStack.pop_back();
    d.replay(std::move(group), false);
    d.post(DidRedoChangeNotification);
}

bool UndoManager::isUndoing() const
{
    return m_private->undoing;
}

bool UndoManager::isRedoing() const
{
    return m_private->redoing;
}

void UndoManager::setActionName(std::u16string name)
{
    auto& d = *m_private;
    if (d.level > 0)
        d.openGroup.actionName = std::move(name);
    else if (!d.undoStack.empty())
        d.undoStack.back().actionName = std::move(name);
}

std::u16string UndoManager::undoActionName() const
{
    auto& d = *m_private;
    if (d.level > 0 && !d.undoing && !d.openGroup.actions.empty())
        return d.openGroup.actionName;
    return d.undoStack.empty() ? std::u16string() : d.undoStack.back().actionName;
}

std::u16string UndoManager::redoActionName() const
{
    auto& d = *m_private;
    return d.redoStack.empty() ? std::u16string() : d.redoStack.back().actionName;
}

uint64_t UndoManager::undoPosition() const
{
    return m_private->position;
}

size_t UndoManager::levelsOfUndo() const
{
    return m_private->levelsOfUndo;
}

void UndoManager::setLevelsOfUndo(size_t levels)
{
    auto& d = *m_private;
    d.levelsOfUndo = levels;
    Released released;
    d.trim(d.undoStack, released);
    d.trim(d.redoStack, released);
}

void UndoManager::removeAllActions()
{
    auto& d = *m_private;
    std::deque<UndoGroup> undoStack = std::move(d.undoStack);
    std::deque<UndoGroup> redoStack = std::move(d.redoStack);
    d.undoStack.clear();
    d.redoStack.clear();
    std::vector<UndoAction> openActions = std::move(d.openGroup.actions);
    d.openGroup.actions.clear();
    if (!d.undoing && !d.redoing) {
        d.openGroup = UndoGroup();
        d.level = 0;
        d.automaticGroupOpen = false;
    }
    d.markReplayingRemoved(nullptr, true);
    d.disableCount = 0;
}

void UndoManager::removeAllActionsWithTarget(const void* target)
{
    auto& d = *m_private;
    Released released;
    d.removeTarget(d.undoStack, target, released);
    d.removeTarget(d.redoStack, target, released);
    d.removeTarget(d.openGroup, target, released);
    d.markReplayingRemoved(target, false);
}

UndoManager::RegistrationMark UndoManager::registrationMark() const
{
    auto& d = *m_private;
    bool open = d.level > 0 && !d.undoing && !d.redoing;
    return { d.lastSerial, d.position, open ? d.openGroup.actionName : std::u16string(), open && !d.openGroup.actions.empty() };
}

bool UndoManager::revertRegistrationsBetween(const RegistrationMark& from, const RegistrationMark& to)
{
    auto& d = *m_private;
    if (d.undoing || d.redoing || from.serial > to.serial || to.serial != d.lastSerial)
        return false;
    uint64_t count = to.serial - from.serial;
    if (count == 0)
        return true;
    bool inOpenGroup = d.level > 0 && !d.openGroup.actions.empty();
    UndoGroup* group = inOpenGroup ? &d.openGroup : (d.undoStack.empty() ? nullptr : &d.undoStack.back());
    if (!group || group->actions.size() < count)
        return false;
    // The reverted registrations must be exactly the group's last ones, in order.
    size_t first = group->actions.size() - count;
    for (size_t i = 0; i < count; ++i) {
        if (group->actions[first + i].serial != from.serial + 1 + i)
            return false;
    }
    std::vector<UndoAction> reverted;
    std::move(group->actions.begin() + static_cast<std::ptrdiff_t>(first), group->actions.end(), std::back_inserter(reverted));
    group->actions.erase(group->actions.begin() + static_cast<std::ptrdiff_t>(first), group->actions.end());
    if (group->actions.empty()) {
        if (!inOpenGroup)
            d.undoStack.pop_back();
        else
            d.openGroup.actionName.clear();
    } else {
        if (from.openGroupHadActions)
            group->actionName = from.openGroupName;
        group->positionAfter = from.undoPosition;
    }
    d.position = from.undoPosition;
    // What the actions would register as their own inverse is not kept.
    ++d.disableCount;
    struct Enable {
        Private& d;
        ~Enable() { --d.disableCount; }
    } enable { d };
    for (size_t i = reverted.size(); i-- > 0;) {
        if (reverted[i].action)
            reverted[i].action();
    }
    return true;
}

void UndoManager::disableUndoRegistration()
{
    ++m_private->disableCount;
}

void UndoManager::enableUndoRegistration()
{
    BREVANTON_ASSERT(m_private->disableCount > 0,
                     "enableUndoRegistration called with no matching disableUndoRegistration");
    --m_private->disableCount;
}

bool UndoManager::isUndoRegistrationEnabled() const
{
    return m_private->disableCount == 0;
}

} // namespace brevanton
