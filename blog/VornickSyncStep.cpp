#include "blog/VornickSyncStep.h"

namespace brevanton {

VornickSyncStep::VornickSyncStep(std::u16string name, std::u16string title)
    : VornickSyncStepContainer(std::move(name), std::move(title))
    , m_statusMessage(u"Waiting to start")
{
}

void VornickSyncStep::setState(VornickSyncStepState state)
{
    if (state == this->state())
        return;
    // Held: a parent that finishes may let go of the tree from its end block.
    auto self = shared_from_this();
    VornickSyncStepContainer::setState(state);
    VornickSyncStepContainer* parent = parentContainer();
    if (!parent)
        return;
    parent->stepDidChangeState(*this);
    // A step the user cancelled starts nothing: its sibling's start block
    // would send requests the user no longer wants.
    if (state != VornickSyncStepState::Completed && state != VornickSyncStepState::Failed)
        return;
    auto next = parent->nextStepAfter(this);
    if (next && next->state() == VornickSyncStepState::WaitingToStart) {
        next->setState(VornickSyncStepState::Active);
        next->queueMainThreadStatusUpdateNotification();
    }
}

void VornickSyncStep::prepareUserInfoForSyncStepStatusDidChangeNotification(Dictionary& userInfo) const
{
    VornickSyncStepContainer::prepareUserInfoForSyncStepStatusDidChangeNotification(userInfo);
    setUserInfoText(userInfo, u"statusMessage", m_statusMessage);
}

} // namespace brevanton
