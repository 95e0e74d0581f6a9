// What a web list reads of the array controller whose arranged objects it
// shows: the objects in order, the first sort descriptor, a rearrangement
// on demand, and word of each change of the arranged objects. The window
// that owns the store's array controller adapts it to this.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/store/ManagedObject.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct VornickWebListSortDescriptor {
    std::u16string key;
    bool ascending { true };
};

class VornickWebListArrayController {
public:
    virtual ~VornickWebListArrayController() = default;
    virtual const std::vector<std::shared_ptr<ManagedObject>>& arrangedObjects() const = 0;
    // The first sort descriptor; nullopt when there is none.
    virtual std::optional<VornickWebListSortDescriptor> firstSortDescriptor() const = 0;
    // The sort descriptors become these (the sorting popover chooses them).
    virtual void setSortDescriptors(std::vector<VornickWebListSortDescriptor>) = 0;
    // Sorts and filters the content again.
    virtual void rearrangeObjects() = 0;
    // `changed` runs after each change of the arranged objects, until the token goes.
    [[nodiscard]] virtual ObserverToken observeArrangedObjects(std::function<void()> changed) = 0;
};

} // namespace brevanton
