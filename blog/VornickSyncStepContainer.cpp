#include "blog/VornickSyncStepContainer.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncSessionIntegrator.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickRange.h"

#include <fmt/format.h>

#include <algorithm>

namespace brevanton {

VornickSyncStepContainer::VornickSyncStepContainer(std::u16string name, std::u16string title)
    : m_name(std::move(name))
    , m_title(std::move(title))
{
}

VornickSyncStepContainer::~VornickSyncStepContainer()
{
    for (auto& step : m_steps) {
        if (step->m_parentContainer == this)
            step->m_parentContainer = nullptr;
    }
}

void VornickSyncStepContainer::setState(VornickSyncStepState state)
{
    if (state == m_state)
        return;
    m_state = state;

    if (state == VornickSyncStepState::Active) {
        if (m_startBlock)
            m_startBlock();
        if (!m_steps.empty()) {
            auto first = m_steps.front();
            if (first->state() == VornickSyncStepState::WaitingToStart) {
                first->setState(VornickSyncStepState::Active);
                first->queueMainThreadStatusUpdateNotification();
            }
        } else if (!m_parentContainer) {
            // A session with nothing to do fails rather than stay Active
            // (unless it ended meanwhile: its end block runs once).
            OperationQueue::main().addOperation([node = shared_from_this()] {
                if (!node->active())
                    return;
                node->setState(VornickSyncStepState::Failed);
                node->queueMainThreadStatusUpdateNotification();
            });
        }
        return;
    }

    if (VornickSyncStepStateIsFinal(state)) {
        // Held: an end block may let go of the tree.
        auto self = shared_from_this();
        m_progress = 1.0;
        queueMainThreadStatusUpdateNotification();
        if (m_endBlock)
            m_endBlock();
        if (state == VornickSyncStepState::Failed)
            rootContainer().autoCancelUnfinishedStepsRecursively();
    }
}

double VornickSyncStepContainer::progress() const
{
    if (m_steps.empty())
        return m_progress;
    double sum = 0;
    for (auto& step : m_steps)
        sum += step->progress();
    return sum / static_cast<double>(m_steps.size());
}

bool VornickSyncStepContainer::showIndeterminateProgress() const
{
    return active() && progress() == 0.0;
}

void VornickSyncStepContainer::addStep(std::shared_ptr<VornickSyncStepContainer> step)
{
    insertStep(std::move(step), m_steps.size());
}

void VornickSyncStepContainer::insertStep(std::shared_ptr<VornickSyncStepContainer> step, size_t index)
{
    if (!step || std::find(m_steps.begin(), m_steps.end(), step) != m_steps.end())
        return;
    m_stepsByName[step->name()] = step.get();
    step->m_parentContainer = this;
    index = std::min(index, m_steps.size());
    m_steps.insert(m_steps.begin() + static_cast<std::ptrdiff_t>(index), std::move(step));
    NotificationCenter::defaultCenter().post(VornickSyncStepContainerDidInsertStepNotification, this,
        { { u"index", Value(static_cast<int64_t>(index)) } });
}

std::shared_ptr<VornickSyncStepContainer> VornickSyncStepContainer::addStepWithName(const std::u16string& name, const std::u16string& title)
{
    if (auto existing = stepWithName(name))
        return existing;
    auto step = std::make_shared<VornickSyncStep>(name, title);
    addStep(step);
    return step;
}

std::shared_ptr<VornickSyncStepContainer> VornickSyncStepContainer::stepWithName(std::u16string_view name) const
{
    auto found = m_stepsByName.find(name);
    if (found == m_stepsByName.end())
        return nullptr;
    return found->second->shared_from_this();
}

size_t VornickSyncStepContainer::indexOfStepWithName(std::u16string_view name) const
{
    for (size_t index = 0; index < m_steps.size(); ++index) {
        if (m_steps[index]->name() == name)
            return index;
    }
    return VornickNotFound;
}

std::shared_ptr<VornickSyncStepContainer> VornickSyncStepContainer::firstStepWithState(VornickSyncStepState state) const
{
    for (auto& step : m_steps) {
        if (step->state() == state)
            return step;
    }
    return nullptr;
}

std::shared_ptr<VornickSyncStepContainer> VornickSyncStepContainer::nextStepAfter(const VornickSyncStepContainer* step) const
{
    for (size_t index = 0; index < m_steps.size(); ++index) {
        if (m_steps[index].get() == step)
            return index + 1 < m_steps.size() ? m_steps[index + 1] : nullptr;
    }
    return nullptr;
}

std::shared_ptr<VornickSyncStep> VornickSyncStepContainer::firstDescendantStepWithState(VornickSyncStepState state)
{
    if (m_state == state) {
        if (auto step = std::dynamic_pointer_cast<VornickSyncStep>(shared_from_this()))
            return step;
    }
    for (auto& child : m_steps) {
        if (auto found = child->firstDescendantStepWithState(state))
            return found;
    }
    return nullptr;
}

VornickSyncStepContainer& VornickSyncStepContainer::rootContainer()
{
    VornickSyncStepContainer* node = this;
    while (node->m_parentContainer)
        node = node->m_parentContainer;
    return *node;
}

VornickSyncSession* VornickSyncStepContainer::syncSession()
{
    return dynamic_cast<VornickSyncSession*>(&rootContainer());
}

VornickBlogSyncStep* VornickSyncStepContainer::blogStep()
{
    for (VornickSyncStepContainer* node = this; node; node = node->m_parentContainer) {
        if (auto* step = dynamic_cast<VornickBlogSyncStep*>(node))
            return step;
    }
    return nullptr;
}

std::shared_ptr<VornickPublishedBlog> VornickSyncStepContainer::findBlog()
{
    VornickBlogSyncStep* step = blogStep();
    BREVANTON_ASSERT(step, "blogDescription=nil");
    const Dictionary& description = step->blogDescription();
    auto* session = dynamic_cast<VornickBlogServiceSyncSession*>(syncSession());
    VornickSyncSessionIntegrator* integrator = session ? session->integrator() : nullptr;
    if (integrator) {
        if (auto blog = integrator->existingBlogForDescription(description))
            return blog;
    }

    // The blog was deleted while the session ran (or the session was let go
    // of): this node cannot do its work, and the session ends.
    if (VornickSyncStepStateIsUnfinished(m_state)) {
        std::u16string title = Value(description)[u"title"].stringValue();
        Error error(VornickErrorDomain, VornickBlogNotFoundError,
            u"The blog \u201C" + title + u"\u201D is no longer in the project.");
        if (auto* leaf = dynamic_cast<VornickSyncStep*>(this)) {
            leaf->setError(error);
            leaf->setStatusMessage(u"Failed: " + error.localizedDescription());
        }
        setState(VornickSyncStepState::Failed);
    }
    return nullptr;
}

std::shared_ptr<VornickLog> VornickSyncStepContainer::syncLog() const
{
    if (!m_parentContainer)
        return nullptr;
    const VornickSyncStepContainer* root = this;
    while (root->m_parentContainer)
        root = root->m_parentContainer;
    return root->syncLog();
}

void VornickSyncStepContainer::autoCancelUnfinishedStepsRecursively()
{
    m_autoCancellingRecursively = true;
    // A copy: a child may add steps while it finishes.
    auto children = m_steps;
    for (auto& child : children)
        child->autoCancelUnfinishedStepsRecursively();
    if (VornickSyncStepStateIsFinal(m_state)) {
        m_autoCancellingRecursively = false;
        return;
    }
    if (auto* leaf = dynamic_cast<VornickSyncStep*>(this))
        leaf->setStatusMessage(u"Abandoned ship");
    setState(m_parentContainer ? VornickSyncStepState::CancelledByFailures : VornickSyncStepState::Failed);
    queueMainThreadStatusUpdateNotification();
    m_autoCancellingRecursively = false;
}

void VornickSyncStepContainer::cancelUnfinishedStepsRecursively()
{
    if (m_steps.empty()) {
        if (VornickSyncStepStateIsUnfinished(m_state))
            setState(VornickSyncStepState::CancelledByUser);
        return;
    }
    auto children = m_steps;
    for (auto& child : children)
        child->cancelUnfinishedStepsRecursively();
}

void VornickSyncStepContainer::stepDidChangeState(VornickSyncStepContainer&)
{
    if (m_autoCancellingRecursively)
        return;
    bool anyCancelledByUser = false;
    bool anyActive = false;
    bool anyWaiting = false;
    for (auto& step : m_steps) {
        switch (step->state()) {
        case VornickSyncStepState::Failed:
            // The failure has already cancelled the session.
            return;
        case VornickSyncStepState::CancelledByUser:
            anyCancelledByUser = true;
            break;
        case VornickSyncStepState::Active:
            anyActive = true;
            break;
        case VornickSyncStepState::WaitingToStart:
            anyWaiting = true;
            break;
        default:
            break;
        }
    }
    VornickSyncStepState newState;
    if (anyCancelledByUser)
        newState = VornickSyncStepState::CancelledByUser;
    else if (anyActive)
        return;
    else if (anyWaiting)
        newState = m_state;
    else
        newState = VornickSyncStepState::Completed;
    if (newState != m_state)
        setState(newState);
}

void VornickSyncStepContainer::queueMainThreadStatusUpdateNotification()
{
    // The node's values and each ancestor's, as they are now, posted in that
    // order by one operation (a listing changes its step a page at a time:
    // one operation a change, not one a node).
    struct Change {
        std::shared_ptr<VornickSyncStepContainer> node;
        Dictionary userInfo;
    };
    std::vector<Change> changes;
    changes.reserve(4);
    for (VornickSyncStepContainer* node = this; node; node = node->m_parentContainer) {
        Change& change = changes.emplace_back(Change { node->shared_from_this(), std::exchange(node->m_lastUserInfo, {}) });
        // (At most five entries: one allocation.)
        change.userInfo.reserve(5);
        node->prepareUserInfoForSyncStepStatusDidChangeNotification(change.userInfo);
    }
    // (The operation runs once: the user infos move into the notifications.)
    OperationQueue::main().addOperation([changes = std::move(changes)]() mutable {
        // One notification, refilled for each node: its name and its "step" entry are made once.
        NotificationCenter& center = NotificationCenter::defaultCenter();
        Notification notification;
        notification.name = VornickSyncStepStatusDidChangeNotification;
        for (auto& [node, userInfo] : changes) {
            // (A node nobody observes is passed over: its "step" entry would be made for no one.)
            if (!center.hasObserver(notification.name, node.get())) {
                node->m_lastUserInfo = std::move(userInfo);
                continue;
            }
            notification.object = node.get();
            notification.userInfo = std::move(userInfo);
            notification.userObjects["step"] = node;
            center.post(notification);
            // (Observers that keep it, or are called later, were given copies.)
            node->m_lastUserInfo = std::move(notification.userInfo);
        }
    });
}

void VornickSyncStepContainer::prepareUserInfoForSyncStepStatusDidChangeNotification(Dictionary& userInfo) const
{
    userInfo[u"state"] = Value(static_cast<int64_t>(m_state));
    userInfo[u"progress"] = Value(progress());
    setUserInfoText(userInfo, u"title", m_title);
    setUserInfoText(userInfo, u"name", m_name);
}

void VornickSyncStepContainer::setUserInfoText(Dictionary& userInfo, std::u16string_view key, std::u16string_view text)
{
    if (text.empty()) {
        userInfo.erase(key);
        return;
    }
    auto found = userInfo.find(key);
    if (found == userInfo.end())
        userInfo.try_emplace(key, text);
    else if (!found->second.isString() || found->second.string() != text)
        found->second = Value(text);
}

std::string VornickSyncStepContainer::description() const
{
    auto stateName = VornickSyncStepStateDisplayName(m_state);
    return fmt::format("{} ({} @ {:.0f}%): {}({}) \"{}\"", toUTF8(m_name),
        stateName ? toUTF8(*stateName) : std::string("Unknown"), progress() * 100, className(),
        static_cast<const void*>(this), toUTF8(m_title));
}

std::string VornickSyncStepContainer::splat() const
{
    std::string text;
    splatInto(text, 0);
    return text;
}

void VornickSyncStepContainer::splatInto(std::string& text, int depth) const
{
    text.append(static_cast<size_t>(depth), '\t');
    text += description();
    text += '\n';
    for (auto& step : m_steps)
        step->splatInto(text, depth + 1);
}

} // namespace brevanton
