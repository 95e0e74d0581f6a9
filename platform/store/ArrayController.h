// ArrayController: the objects of one entity of a context that a list shows.
// Its content is what a fetch of the entity with the fetch predicate answers;
// its arranged objects are the content that passes the filter predicate, in
// the order of the sort descriptors.
//
// The arranged objects are redone at the end of the run-loop turn in which
// something they depend on changed (the context's objects changed or were
// saved, a predicate, the sort descriptors, the context or the entity), once
// however many changes the turn made; rearrangeObjects redoes them at once.
// Observers of the arranged objects are called after each redo that changed
// them (other objects, or another order).
//
// Main thread only. An observation ends with its ArrangedObjectsObservation,
// and the controller leaves the run loop and the notification center when it
// is destroyed.
#pragma once

#include "platform/store/FetchRequest.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ArrayController;

// Removes its observer when destroyed or reset.
class ArrangedObjectsObservation {
public:
    ArrangedObjectsObservation() = default;
    ArrangedObjectsObservation(ArrangedObjectsObservation&& other) noexcept;
    ArrangedObjectsObservation& operator=(ArrangedObjectsObservation&& other) noexcept;
    ArrangedObjectsObservation(const ArrangedObjectsObservation&) = delete;
    ArrangedObjectsObservation& operator=(const ArrangedObjectsObservation&) = delete;
    ~ArrangedObjectsObservation() { reset(); }

    void reset();
    bool isActive() const;

private:
    friend class ArrayController;
    ArrangedObjectsObservation(std::weak_ptr<ArrayController> controller, uint64_t identifier)
        : m_controller(std::move(controller)), m_identifier(identifier) {}
    std::weak_ptr<ArrayController> m_controller;
    uint64_t m_identifier { 0 };
};

class ArrayController : public std::enable_shared_from_this<ArrayController> {
public:
    // Changes of the context arrive through `center` (the default center when null).
    static std::shared_ptr<ArrayController> create(std::u16string entityName, NotificationCenter* center = nullptr);
    ~ArrayController();
    ArrayController(const ArrayController&) = delete;
    ArrayController& operator=(const ArrayController&) = delete;

    const std::u16string& entityName() const { return m_entityName; }
    void setEntityName(std::u16string);

    // None: the content is empty.
    const std::shared_ptr<ManagedObjectContext>& managedObjectContext() const { return m_context; }
    void setManagedObjectContext(std::shared_ptr<ManagedObjectContext>);

    const std::optional<Predicate>& fetchPredicate() const { return m_fetchPredicate; }
    void setFetchPredicate(std::optional<Predicate>);
    const std::optional<Predicate>& filterPredicate() const { return m_filterPredicate; }
    void setFilterPredicate(std::optional<Predicate>);
    const std::vector<SortDescriptor>& sortDescriptors() const { return m_sortDescriptors; }
    void setSortDescriptors(std::vector<SortDescriptor>);

    // Redoes the arranged objects at the end of this turn.
    void prepareContent() { setNeedsRearrangement(); }
    // Redoes them now; false with the fetch's Error (the arranged objects are
    // then empty). The pending redo, if any, is dropped.
    [[nodiscard]] bool fetch(Error* outError);
    void rearrangeObjects();

    // The objects of the last arrangement.
    const ManagedObjects& arrangedObjects() const { return m_arrangedObjects; }
    // The content (fetched now, without the filter predicate, in id order).
    ManagedObjects content() const;
    // Whether a redo waits for the end of the turn.
    bool needsRearrangement() const { return m_rearrangementObserver != 0; }
    // The last fetch's failure (none after a good one).
    const std::optional<Error>& lastFetchError() const { return m_lastFetchError; }

    [[nodiscard]] ArrangedObjectsObservation addArrangedObjectsObserver(std::function<void(ArrayController&)>);

    // Arrangements done so far (for tests of the once-per-turn rule).
    uint64_t arrangementCountForTesting() const { return m_arrangementCount; }

private:
    friend class ArrangedObjectsObservation;
    ArrayController(std::u16string entityName, NotificationCenter* center);

    void setNeedsRearrangement();
    void cancelPendingRearrangement();
    void observeContext();
    void contextDidChange();
    std::optional<Predicate> combinedPredicate() const;
    void removeObserver(uint64_t identifier);

    std::u16string m_entityName;
    NotificationCenter* m_center { nullptr };
    std::shared_ptr<ManagedObjectContext> m_context;
    std::optional<Predicate> m_fetchPredicate;
    std::optional<Predicate> m_filterPredicate;
    std::vector<SortDescriptor> m_sortDescriptors;
    ManagedObjects m_arrangedObjects;
    std::optional<Error> m_lastFetchError;
    ObserverToken m_changeToken;
    ObserverToken m_saveToken;
    RunLoop::ObserverID m_rearrangementObserver { 0 };
    struct Observer {
        uint64_t identifier;
        std::shared_ptr<std::function<void(ArrayController&)>> block;
    };
    std::vector<Observer> m_observers;
    uint64_t m_nextObserverIdentifier { 1 };
    uint64_t m_arrangementCount { 0 };
};

} // namespace brevanton
