#include "platform/foundation/NotificationCenter.h"

#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace brevanton {

namespace {

struct Observation {
    uint64_t identifier;
    std::string name;
    const void* object;
    OperationQueue* queue;
    NotificationCenter::Block block;
    std::atomic<bool> removed { false };

    bool matches(const Notification& notification) const
    {
        return (name.empty() || name == notification.name) && (!object || object == notification.object);
    }
};

} // namespace

struct ObserverToken::CenterState {
    mutable std::mutex mutex;
    // In registration order. Deliveries in progress hold their own references,
    // so an observation removed meanwhile stays alive until they are done.
    std::vector<std::shared_ptr<Observation>> observations;
    uint64_t nextIdentifier { 1 };

    void remove(uint64_t identifier)
    {
        std::shared_ptr<Observation> removed; // released outside the lock
        std::lock_guard lock(mutex);
        auto it = std::find_if(observations.begin(), observations.end(),
                               [&](auto& o) { return o->identifier == identifier; });
        if (it == observations.end())
            return;
        (*it)->removed = true;
        removed = std::move(*it);
        observations.erase(it);
    }

    bool contains(uint64_t identifier) const
    {
        std::lock_guard lock(mutex);
        return std::any_of(observations.begin(), observations.end(),
                           [&](auto& o) { return o->identifier == identifier; });
    }
};

ObserverToken::ObserverToken(ObserverToken&& other) noexcept
    : m_center(std::move(other.m_center))
    , m_identifier(std::exchange(other.m_identifier, 0))
{
}

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        reset();
        m_center = std::move(other.m_center);
        m_identifier = std::exchange(other.m_identifier, 0);
    }
    return *this;
}

void ObserverToken::reset()
{
    if (auto center = m_center.lock())
        center->remove(m_identifier);
    m_center.reset();
    m_identifier = 0;
}

bool ObserverToken::isActive() const
{
    auto center = m_center.lock();
    return center && center->contains(m_identifier);
}

NotificationCenter::NotificationCenter()
    : m_state(std::make_shared<ObserverToken::CenterState>())
{
}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    // Never destroyed: observers may be removed and notifications posted
    // from static destructors and late threads.
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

ObserverToken NotificationCenter::addObserver(std::string name, const void* object, OperationQueue* queue, Block block)
{
    auto observation = std::make_shared<Observation>();
    observation->name = std::move(name);
    observation->object = object;
    observation->queue = queue;
    observation->block = std::move(block);
    std::lock_guard lock(m_state->mutex);
    observation->identifier = m_state->nextIdentifier++;
    m_state->observations.push_back(observation);
    return ObserverToken(m_state, observation->identifier);
}

void NotificationCenter::removeObserver(ObserverToken& token)
{
    token.reset();
}

void NotificationCenter::post(const Notification& notification)
{
    std::vector<std::shared_ptr<Observation>> matching;
    {
        std::lock_guard lock(m_state->mutex);
        for (auto& observation : m_state->observations) {
            if (observation->matches(notification))
                matching.push_back(observation);
        }
    }
    std::shared_ptr<const Notification> queuedCopy;
    for (auto& observation : matching) {
        if (observation->removed)
            continue;
        if (!observation->queue) {
            if (observation->block)
                observation->block(notification);
            continue;
        }
        if (!queuedCopy)
            queuedCopy = std::make_shared<const Notification>(notification);
        observation->queue->addOperation([observation, queuedCopy] {
            if (!observation->removed && observation->block)
                observation->block(*queuedCopy);
        });
    }
}

void NotificationCenter::post(std::string name, const void* object, Dictionary userInfo)
{
    post(Notification { std::move(name), object, std::move(userInfo), {} });
}

size_t NotificationCenter::observerCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->observations.size();
}

} // namespace brevanton
