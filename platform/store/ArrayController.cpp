#include "platform/store/ArrayController.h"

#include "platform/foundation/Assertions.h"

#include <algorithm>

namespace brevanton {

ArrangedObjectsObservation::ArrangedObjectsObservation(ArrangedObjectsObservation&& other) noexcept
    : m_controller(std::move(other.m_controller))
    , m_identifier(std::exchange(other.m_identifier, 0))
{
}

ArrangedObjectsObservation& ArrangedObjectsObservation::operator=(ArrangedObjectsObservation&& other) noexcept
{
    if (this != &other) {
        reset();
        m_controller = std::move(other.m_controller);
        m_identifier = std::exchange(other.m_identifier, 0);
    }
    return *this;
}

void ArrangedObjectsObservation::reset()
{
    if (auto controller = m_controller.lock())
        controller->removeObserver(m_identifier);
    m_controller.reset();
    m_identifier = 0;
}

bool ArrangedObjectsObservation::isActive() const
{
    auto controller = m_controller.lock();
    if (!controller)
        return false;
    return std::any_of(controller->m_observers.begin(), controller->m_observers.end(),
                       [&](auto& observer) { return observer.identifier == m_identifier; });
}

ArrayController::ArrayController(std::u16string entityName, NotificationCenter* center)
    : m_entityName(std::move(entityName))
    , m_center(center ? center : &NotificationCenter::defaultCenter())
{
}

std::shared_ptr<ArrayController> ArrayController::create(std::u16string entityName, NotificationCenter* center)
{
    return std::shared_ptr<ArrayController>(new ArrayController(std::move(entityName), center));
}

ArrayController::~ArrayController()
{
    cancelPendingRearrangement();
}

void ArrayController::setEntityName(std::u16string entityName)
{
    if (entityName == m_entityName)
        return;
    m_entityName = std::move(entityName);
    setNeedsRearrangement();
}

void ArrayController::setManagedObjectContext(std::shared_ptr<ManagedObjectContext> context)
{
    if (context == m_context)
        return;
    m_context = std::move(context);
    observeContext();
    setNeedsRearrangement();
}

void ArrayController::setFetchPredicate(std::optional<Predicate> predicate)
{
    m_fetchPredicate = std::move(predicate);
    setNeedsRearrangement();
}

void ArrayController::setFilterPredicate(std::optional<Predicate> predicate)
{
    m_filterPredicate = std::move(predicate);
    setNeedsRearrangement();
}

void ArrayController::setSortDescriptors(std::vector<SortDescriptor> sortDescriptors)
{
    if (sortDescriptors == m_sortDescriptors)
        return;
    m_sortDescriptors = std::move(sortDescriptors);
    setNeedsRearrangement();
}

void ArrayController::observeContext()
{
    m_changeToken.reset();
    m_saveToken.reset();
    if (!m_context)
        return;
    // The context's objects-did-change notification comes once per turn; a
    // save may change what the store answers for objects not registered yet.
    std::weak_ptr<ArrayController> weakThis = weak_from_this();
    auto changed = [weakThis](const Notification&) {
        if (auto strongThis = weakThis.lock())
            strongThis->contextDidChange();
    };
    m_changeToken = m_center->addObserver(ManagedObjectContextObjectsDidChangeNotification, m_context.get(), nullptr, changed);
    m_saveToken = m_center->addObserver(ManagedObjectContextDidSaveNotification, m_context.get(), nullptr, changed);
}

void ArrayController::contextDidChange()
{
    setNeedsRearrangement();
}

void ArrayController::setNeedsRearrangement()
{
    if (m_rearrangementObserver)
        return;
    RunLoop* loop = RunLoop::current();
    if (!loop) {
        rearrangeObjects();
        return;
    }
    std::weak_ptr<ArrayController> weakThis = weak_from_this();
    m_rearrangementObserver = loop->addEndOfTurnObserver([weakThis] {
        if (auto strongThis = weakThis.lock())
            strongThis->rearrangeObjects();
    });
}

void ArrayController::cancelPendingRearrangement()
{
    if (!m_rearrangementObserver)
        return;
    RunLoop::main().removeEndOfTurnObserver(m_rearrangementObserver);
    m_rearrangementObserver = 0;
}

std::optional<Predicate> ArrayController::combinedPredicate() const
{
    if (m_fetchPredicate && m_filterPredicate)
        return Predicate::andPredicate({ *m_fetchPredicate, *m_filterPredicate });
    return m_fetchPredicate ? m_fetchPredicate : m_filterPredicate;
}

bool ArrayController::fetch(Error* outError)
{
    cancelPendingRearrangement();
    ++m_arrangementCount;
    ManagedObjects arranged;
    bool succeeded = true;
    m_lastFetchError.reset();
    if (m_context && !m_entityName.empty()) {
        FetchRequest request(m_entityName);
        request.setPredicate(combinedPredicate());
        request.setSortDescriptors(m_sortDescriptors);
        Error error;
        if (auto objects = m_context->executeFetchRequest(request, &error))
            arranged = std::move(*objects);
        else {
            succeeded = false;
            m_lastFetchError = error;
            setError(outError, error);
        }
    }
    if (arranged == m_arrangedObjects)
        return succeeded;
    m_arrangedObjects = std::move(arranged);
    // Observers may remove themselves or others while being called.
    auto observers = m_observers;
    for (auto& observer : observers) {
        bool stillObserving = std::any_of(m_observers.begin(), m_observers.end(),
                                          [&](auto& current) { return current.identifier == observer.identifier; });
        if (stillObserving)
            (*observer.block)(*this);
    }
    return succeeded;
}

void ArrayController::rearrangeObjects()
{
    // A failure is kept in lastFetchError; the list shows nothing then.
    (void)fetch(nullptr);
}

ManagedObjects ArrayController::content() const
{
    if (!m_context || m_entityName.empty())
        return {};
    FetchRequest request(m_entityName);
    request.setPredicate(m_fetchPredicate);
    return m_context->executeFetchRequest(request, nullptr).value_or(ManagedObjects {});
}

ArrangedObjectsObservation ArrayController::addArrangedObjectsObserver(std::function<void(ArrayController&)> block)
{
    uint64_t identifier = m_nextObserverIdentifier++;
    m_observers.push_back({ identifier, std::make_shared<std::function<void(ArrayController&)>>(std::move(block)) });
    return ArrangedObjectsObservation(weak_from_this(), identifier);
}

void ArrayController::removeObserver(uint64_t identifier)
{
    std::erase_if(m_observers, [&](auto& observer) { return observer.identifier == identifier; });
}

} // namespace brevanton
