// VornickStoreWebListArrayController: a store's ArrayController as a web
// list reads it. The list's sort descriptors (a key and a direction) become
// the store's through a mapping the owner may set (for instance titles in the
// user's collation, ties by date); by default each key sorts as it is.
// Observers hear of each change of the arranged objects. Main thread.
#pragma once

#include "platform/store/ArrayController.h"
#include "ui/VornickWebListArrayController.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class VornickStoreWebListArrayController final : public VornickWebListArrayController {
public:
    using SortDescriptorMapping = std::function<std::vector<SortDescriptor>(const std::vector<VornickWebListSortDescriptor>&)>;

    explicit VornickStoreWebListArrayController(std::shared_ptr<ArrayController>);

    const std::shared_ptr<ArrayController>& arrayController() const { return m_arrayController; }
    void setSortDescriptorMapping(SortDescriptorMapping mapping) { m_mapping = std::move(mapping); }

    const std::vector<std::shared_ptr<ManagedObject>>& arrangedObjects() const override;
    std::optional<VornickWebListSortDescriptor> firstSortDescriptor() const override;
    void setSortDescriptors(std::vector<VornickWebListSortDescriptor>) override;
    void rearrangeObjects() override;
    [[nodiscard]] ObserverToken observeArrangedObjects(std::function<void()> changed) override;

private:
    std::shared_ptr<ArrayController> m_arrayController;
    SortDescriptorMapping m_mapping;
    // The list's observers hear through a center of their own.
    NotificationCenter m_center;
    ArrangedObjectsObservation m_observation;
};

} // namespace brevanton
