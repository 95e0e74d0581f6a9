#include "ui/VornickStoreWebListArrayController.h"

namespace brevanton {

namespace {

constexpr const char* arrangedObjectsDidChange = "VornickStoreWebListArrangedObjectsDidChange";

} // namespace

VornickStoreWebListArrayController::VornickStoreWebListArrayController(std::shared_ptr<ArrayController> arrayController)
    : m_arrayController(std::move(arrayController))
{
    m_observation = m_arrayController->addArrangedObjectsObserver([this](ArrayController&) { m_center.post(arrangedObjectsDidChange, this); });
}

const std::vector<std::shared_ptr<ManagedObject>>& VornickStoreWebListArrayController::arrangedObjects() const
{
    return m_arrayController->arrangedObjects();
}

std::optional<VornickWebListSortDescriptor> VornickStoreWebListArrayController::firstSortDescriptor() const
{
    const auto& descriptors = m_arrayController->sortDescriptors();
    if (descriptors.empty())
        return std::nullopt;
    return VornickWebListSortDescriptor { descriptors.front().keyPath, descriptors.front().ascending };
}

void VornickStoreWebListArrayController::setSortDescriptors(std::vector<VornickWebListSortDescriptor> listDescriptors)
{
    std::vector<SortDescriptor> descriptors;
    if (m_mapping) {
        descriptors = m_mapping(listDescriptors);
    } else {
        for (auto& descriptor : listDescriptors)
            descriptors.push_back(SortDescriptor { descriptor.key, descriptor.ascending });
    }
    m_arrayController->setSortDescriptors(std::move(descriptors));
}

void VornickStoreWebListArrayController::rearrangeObjects()
{
    m_arrayController->rearrangeObjects();
}

ObserverToken VornickStoreWebListArrayController::observeArrangedObjects(std::function<void()> changed)
{
    return m_center.addObserver(arrangedObjectsDidChange, this, nullptr, [changed = std::move(changed)](const Notification&) { changed(); });
}

} // namespace brevanton
