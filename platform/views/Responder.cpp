#include "platform/views/Responder.h"

namespace brevanton {

#define FORWARD_EVENT(name)                      \
    void Responder::name(const Event& event)     \
    {                                            \
        if (auto next = nextResponder())         \
            next->name(event);                   \
    }

FORWARD_EVENT(mouseDown)
FORWARD_EVENT(mouseUp)
FORWARD_EVENT(mouseDragged)
FORWARD_EVENT(mouseEntered)
FORWARD_EVENT(mouseExited)
FORWARD_EVENT(mouseMoved)
FORWARD_EVENT(rightMouseDown)
FORWARD_EVENT(rightMouseUp)
FORWARD_EVENT(keyDown)
FORWARD_EVENT(keyUp)
FORWARD_EVENT(flagsChanged)

#undef FORWARD_EVENT

UndoManager* Responder::undoManager() const
{
    auto next = nextResponder();
    return next ? next->undoManager() : nullptr;
}

void Responder::setActionHandler(const Action& action, ActionHandler handler)
{
    m_actionHandlers[action] = std::move(handler);
}

void Responder::removeActionHandler(const Action& action)
{
    m_actionHandlers.erase(action);
}

bool Responder::respondsToAction(const Action& action) const
{
    return m_actionHandlers.find(action) != m_actionHandlers.end();
}

bool Responder::performAction(const Action& action, ActionSender* sender)
{
    auto found = m_actionHandlers.find(action);
    if (found == m_actionHandlers.end())
        return false;
    // A copy: the handler may replace or remove itself.
    ActionHandler handler = found->second;
    handler(sender);
    return true;
}

bool Responder::tryToPerform(const Action& action, ActionSender* sender)
{
    if (respondsToAction(action))
        return performAction(action, sender);
    // Hold each link while it runs: an action may change the chain.
    for (auto current = nextResponder(); current; current = current->nextResponder()) {
        if (current->respondsToAction(action))
            return current->performAction(action, sender);
    }
    return false;
}

} // namespace brevanton
