// VornickSyncStepContainer: a node of a sync session's tree of named steps,
// and the base of the session and of every step.
//
// State changes run the tree: a node that becomes Active runs its start block
// and starts its first child; a step that finishes starts its next Waiting
// sibling (not when the user or a failure cancelled it); a parent follows its children; a
// failure anywhere cancels every unfinished node of the session ("Abandoned
// ship"). Every change is announced through the main operation queue as
// VornickSyncStepStatusDidChangeNotification, with the node's values as they
// were when it changed, by the node and each of its ancestors.
//
// The tree knows nothing of servers: a step's start block (set by whoever
// builds it) starts its work, and the code that handles the server's answer
// sets the step's state. Main thread only. Nodes are held by std::shared_ptr
// (std::make_shared); a parent owns its children.
#pragma once

#include "blog/VornickSyncStepState.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickBlogSyncStep;
class VornickLog;
class VornickPublishedBlog;
class VornickSyncSession;
class VornickSyncStep;

// Object: the node (a const VornickSyncStepContainer*); user objects "step":
// the node's std::shared_ptr<VornickSyncStepContainer>. User info: "state"
// (integer), "progress" (real), "title" and "name" (when not empty) and, for
// a step, "statusMessage" (when set).
inline constexpr const char* VornickSyncStepStatusDidChangeNotification = "VornickSyncStepStatusDidChangeNotification";
// Posted at once when a node gains a child. Object: the node (a const
// VornickSyncStepContainer*); user info "index": the child's index.
inline constexpr const char* VornickSyncStepContainerDidInsertStepNotification = "VornickSyncStepContainerDidInsertStepNotification";

class VornickSyncStepContainer : public std::enable_shared_from_this<VornickSyncStepContainer> {
public:
    using Block = std::function<void()>;

    VornickSyncStepContainer(std::u16string name, std::u16string title);
    // Children no longer point back at a node that is gone.
    virtual ~VornickSyncStepContainer();

    VornickSyncStepContainer(const VornickSyncStepContainer&) = delete;
    VornickSyncStepContainer& operator=(const VornickSyncStepContainer&) = delete;

    // The key of the node in its parent.
    const std::u16string& name() const { return m_name; }
    // Shown to the user.
    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }

    VornickSyncStepState state() const { return m_state; }
    // Nothing happens when the state does not change. Active runs the start
    // block and starts the first child when it is Waiting (a session without
    // children fails on the next turn of the main queue); a final state sets
    // the progress to 1.0, announces the change, runs the end block and, for
    // Failed, cancels the rest of the session.
    virtual void setState(VornickSyncStepState);
    bool active() const { return m_state == VornickSyncStepState::Active; }

    // With children the mean of theirs; otherwise the node's own, which
    // setProgress sets.
    double progress() const;
    void setProgress(double progress) { m_progress = progress; }
    // Active with a progress of exactly 0.
    virtual bool showIndeterminateProgress() const;

    // Children, in order.
    const std::vector<std::shared_ptr<VornickSyncStepContainer>>& steps() const { return m_steps; }
    void addStep(std::shared_ptr<VornickSyncStepContainer>);
    // Does nothing for a null step or one that is already a child. A second
    // child of the same name replaces the first in stepWithName only. An index
    // past the end appends.
    void insertStep(std::shared_ptr<VornickSyncStepContainer>, size_t index);
    // The child of that name, or a new plain step appended with that title.
    std::shared_ptr<VornickSyncStepContainer> addStepWithName(const std::u16string& name, const std::u16string& title);
    std::shared_ptr<VornickSyncStepContainer> stepWithName(std::u16string_view name) const;
    // The child of that name when it is a T, the class its builder made
    // it as; null when there is none or it is another kind of step.
    template<typename T> std::shared_ptr<T> stepWithName(std::u16string_view name) const
    {
        return std::dynamic_pointer_cast<T>(stepWithName(name));
    }
    // VornickNotFound when no child has the name.
    size_t indexOfStepWithName(std::u16string_view name) const;
    // The first child in that state, or null.
    std::shared_ptr<VornickSyncStepContainer> firstStepWithState(VornickSyncStepState) const;
    // The child after `step`; null when it is the last or not a child.
    std::shared_ptr<VornickSyncStepContainer> nextStepAfter(const VornickSyncStepContainer* step) const;
    // The receiver when it is a step in that state, else the first such step
    // below it, depth first.
    std::shared_ptr<VornickSyncStep> firstDescendantStepWithState(VornickSyncStepState);

    // Not owned; cleared when the parent goes.
    VornickSyncStepContainer* parentContainer() const { return m_parentContainer; }
    void setParentContainer(VornickSyncStepContainer* parent) { m_parentContainer = parent; }
    // The topmost ancestor (the receiver when it has no parent).
    VornickSyncStepContainer& rootContainer();
    // The root when it is a session, else null.
    VornickSyncSession* syncSession();
    // The receiver or its nearest ancestor that is a blog step, else null.
    VornickBlogSyncStep* blogStep();

    // The stored blog of this node's blog step, asked of the session's
    // integrator. A node outside a blog step is a programming error
    // ("blogDescription=nil"). When the blog is gone (deleted while the
    // session ran) or the session has no integrator, the node fails with an
    // error saying so, which ends the session, and the answer is null.
    std::shared_ptr<VornickPublishedBlog> findBlog();

    // The root's sync log; null for the root itself (a session answers its own).
    virtual std::shared_ptr<VornickLog> syncLog() const;

    // Run when the node becomes Active / reaches a final state.
    const Block& startBlock() const { return m_startBlock; }
    void setStartBlock(Block block) { m_startBlock = std::move(block); }
    const Block& endBlock() const { return m_endBlock; }
    void setEndBlock(Block block) { m_endBlock = std::move(block); }

    // After a failure: every unfinished node below and including the receiver
    // becomes Cancelled by Failures ("Abandoned ship"), the root Failed.
    void autoCancelUnfinishedStepsRecursively();
    // The user's cancel: every unfinished node without children becomes
    // Cancelled by User, and the nodes above follow. Finished steps keep
    // their state, and no Waiting step is started by it.
    void cancelUnfinishedStepsRecursively();
    // Sent by a child whose state changed: the receiver follows its children.
    void stepDidChangeState(VornickSyncStepContainer& child);

    // Queues the status notification of the receiver and of every ancestor,
    // with their values as they are now.
    void queueMainThreadStatusUpdateNotification();
    // Fills the user info with the node's values, removing the entries it
    // no longer has: it may hold those of the node's last notification,
    // whose storage is refilled.
    virtual void prepareUserInfoForSyncStepStatusDidChangeNotification(Dictionary& userInfo) const;

    // "name (state @ 50%): Class(0x...) \"title\"".
    std::string description() const;
    // The tree, one node's description a line, behind a tab per level.
    std::string splat() const;

    virtual const char* className() const { return "VornickSyncStepContainer"; }

protected:
    // Sets the entry to the text (copied only when it differs from what the
    // entry holds), or removes it when the text is empty.
    static void setUserInfoText(Dictionary& userInfo, std::u16string_view key, std::u16string_view text);

private:
    void splatInto(std::string& text, int depth) const;

    std::u16string m_name;
    std::u16string m_title;
    VornickSyncStepState m_state { VornickSyncStepState::WaitingToStart };
    double m_progress { 0 };
    VornickSyncStepContainer* m_parentContainer { nullptr };
    std::vector<std::shared_ptr<VornickSyncStepContainer>> m_steps;
    std::map<std::u16string, VornickSyncStepContainer*, std::less<>> m_stepsByName;
    Block m_startBlock;
    bool m_autoCancellingRecursively { false };
    Block m_endBlock;
    // The user info of the node's last status notification, handed back
    // once posted: the next one refills it, copying only what changed (a
    // listing changes its step's status a page at a time).
    Dictionary m_lastUserInfo;
};

} // namespace brevanton
