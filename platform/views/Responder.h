// Responder: an object in a responder chain. Events that a responder does not
// handle travel to its next responder; actions (named commands sent by
// menu items and controls) go to the first responder in the chain that
// answers to them; the undo manager is found by asking along the chain.
#pragma once

#include "platform/views/Event.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace brevanton {

class MenuItem;
class ToolbarItem;
class UndoManager;

// The name of a command, such as "copy:" or "toggleSourceView:".
using Action = std::string;

// What sends an action: a menu item or a control. Receivers read its tag or
// find out its kind with dynamic_cast.
class ActionSender {
public:
    virtual ~ActionSender() = default;
    virtual long tag() const { return 0; }
};

class Responder : public std::enable_shared_from_this<Responder> {
public:
    using ActionHandler = std::function<void(ActionSender*)>;

    Responder() = default;
    virtual ~Responder() = default;
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

    // The explicitly set next responder; views answer their superview (or
    // their window for a content view) when none is set.
    virtual std::shared_ptr<Responder> nextResponder() const { return m_nextResponder.lock(); }
    void setNextResponder(const std::shared_ptr<Responder>& responder) { m_nextResponder = responder; }

    virtual bool acceptsFirstResponder() const { return false; }
    // Asked when the responder is about to become or stop being the window's
    // first responder; answering false refuses the change.
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

    // Event messages: by default each goes on to the next responder, and is
    // dropped at the end of the chain.
    virtual void mouseDown(const Event&);
    virtual void mouseUp(const Event&);
    virtual void mouseDragged(const Event&);
    virtual void mouseMoved(const Event&);
    virtual void mouseEntered(const Event&);
    virtual void mouseExited(const Event&);
    virtual void rightMouseDown(const Event&);
    virtual void rightMouseUp(const Event&);
    virtual void keyDown(const Event&);
    virtual void keyUp(const Event&);
    virtual void flagsChanged(const Event&);
    // True when the responder handled the key event as a shortcut.
    virtual bool performKeyEquivalent(const Event&) { return false; }

    // The first undo manager along the chain, or null.
    virtual UndoManager* undoManager() const;

    // Actions this responder performs.
    void setActionHandler(const Action&, ActionHandler);
    void removeActionHandler(const Action&);
    virtual bool respondsToAction(const Action&) const;
    // Performs the action when the responder answers to it; false otherwise.
    virtual bool performAction(const Action&, ActionSender* sender);
    // Performs the action here or at the first responder along the chain that
    // answers to it; false when none does.
    bool tryToPerform(const Action&, ActionSender* sender);

    // Whether a menu item whose action goes to this responder is enabled.
    virtual bool validateMenuItem(MenuItem&) { return true; }
    // Whether a toolbar item whose action goes to this responder is enabled.
    virtual bool validateToolbarItem(ToolbarItem&) { return true; }

    template<typename T> std::shared_ptr<T> sharedAs() { return std::dynamic_pointer_cast<T>(shared_from_this()); }
    template<typename T> std::shared_ptr<const T> sharedAs() const { return std::dynamic_pointer_cast<const T>(shared_from_this()); }

private:
    std::weak_ptr<Responder> m_nextResponder;
    std::map<Action, ActionHandler, std::less<>> m_actionHandlers;
};

} // namespace brevanton
