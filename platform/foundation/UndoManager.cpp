#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace brevanton {

namespace {

struct UndoAction {
    const void* target;
    std::function<void()> action;
};

struct UndoGroup {
    std::vector<UndoAction> actions; // in registration order
    std::u16string actionName;
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

    bool groupsByEvent { true };
    bool undoing { false };
    bool redoing { false };
    int disableCount { 0 };
    size_t levelsOfUndo { 0 };
    RunLoop::ObserverID turnObserver { 0 };

    explicit Private(UndoManager& owner) : owner(owner) { }

    void post(const char* name) { NotificationCenter::defaultCenter().post(name, &owner); }

    void trim(std::deque<UndoGroup>& stack)
    {
        while (levelsOfUndo && stack.size() > levelsOfUndo)
            stack.pop_front();
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
        if (!group.actions.empty()) {
            auto& stack = undoing ? redoStack : undoStack;
            stack.push_back(std::move(group));
            trim(stack);
        }
        post(DidCloseUndoGroupNotification);
    }

    void endOfTurn()
    {
        if (automaticGroupOpen && level == 1 && !undoing && !redoing)
            closeTopLevel();
    }

    // Runs `group`'s actions last-registered first, collecting what they
    // register into a new top-level group.
    void replay(UndoGroup group, bool asUndo)
    {
        bool& flag = asUndo ? undoing : redoing;
        flag = true;
        openGroup = UndoGroup();
        openGroup.actionName = group.actionName;
        level = 1;
        automaticGroupOpen = false;
        struct Finish {
            Private& d;
            bool& flag;
            ~Finish()
            {
                d.level = 1;
                d.closeTopLevel();
                flag = false;
            }
        } finish { *this, flag };
        for (auto it = group.actions.rbegin(); it != group.actions.rend(); ++it) {
            if (it->action)
                it->action();
        }
    }

    static void removeTarget(UndoGroup& group, const void* target)
    {
        std::erase_if(group.actions, [&](auto& action) { return action.target == target; });
    }

    static void removeTarget(std::deque<UndoGroup>& stack, const void* target)
    {
        for (auto& group : stack)
            removeTarget(group, target);
        std::erase_if(stack, [](auto& group) { return group.actions.empty(); });
    }
};

UndoManager::UndoManager()
    : m_private(std::make_unique<Private>(*this))
{
    m_private->turnObserver = RunLoop::main().addEndOfTurnObserver([d = m_private.get()] { d->endOfTurn(); });
}

UndoManager::~UndoManager()
{
    RunLoop::main().removeEndOfTurnObserver(m_private->turnObserver);
}

void UndoManager::registerUndo(const void* target, std::function<void()> action)
{
    auto& d = *m_private;
    if (d.disableCount > 0)
        return;
    if (d.level == 0) {
        BREVANTON_ASSERT(d.groupsByEvent, "registerUndo needs an open undo group when groupsByEvent is off");
        d.openTopLevel(true);
    }
    if (!d.undoing && !d.redoing)
        d.redoStack.clear(); // a new change ends what could be redone
    d.openGroup.actions.push_back({ target, std::move(action) });
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
    BREVANTON_ASSERT(!d.undoing && !d.redoing, "undo called while undoing or redoing");
    if (d.level == 1 && d.automaticGroupOpen)
        d.closeTopLevel();
    BREVANTON_ASSERT(d.level == 0, "undo called with an open undo group (missing endUndoGrouping)");
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
    BREVANTON_ASSERT(!d.undoing && !d.redoing, "redo called while undoing or redoing");
    if (d.level == 1 && d.automaticGroupOpen)
        d.closeTopLevel();
    BREVANTON_ASSERT(d.level == 0, "redo called with an open undo group (missing endUndoGrouping)");
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

size_t UndoManager::levelsOfUndo() const
{
    return m_private->levelsOfUndo;
}

void UndoManager::setLevelsOfUndo(size_t levels)
{
    auto& d = *m_private;
    d.levelsOfUndo = levels;
    d.trim(d.undoStack);
    d.trim(d.redoStack);
}

void UndoManager::removeAllActions()
{
    auto& d = *m_private;
    d.undoStack.clear();
    d.redoStack.clear();
    if (!d.undoing && !d.redoing) {
        d.openGroup = UndoGroup();
        d.level = 0;
        d.automaticGroupOpen = false;
    } else {
        d.openGroup.actions.clear();
    }
    d.disableCount = 0;
}

void UndoManager::removeAllActionsWithTarget(const void* target)
{
    auto& d = *m_private;
    Private::removeTarget(d.undoStack, target);
    Private::removeTarget(d.redoStack, target);
    Private::removeTarget(d.openGroup, target);
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
