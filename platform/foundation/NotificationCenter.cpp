#include "platform/foundation/NotificationCenter.h"

#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_map>
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
};

// The observations a post delivers to. Most posts reach a few observers or
// none: those are held in place, so that a post allocates nothing for them.
class MatchingObservations {
public:
    void add(const std::shared_ptr<Observation>& observation)
    {
        if (m_count < m_inPlace.size()) {
            m_inPlace[m_count++] = observation;
            return;
        }
        if (m_more.empty())
            m_more.assign(m_inPlace.begin(), m_inPlace.end());
        m_more.push_back(observation);
        ++m_count;
    }
    std::shared_ptr<Observation>* begin() { return m_more.empty() ? m_inPlace.data() : m_more.data(); }
    std::shared_ptr<Observation>* end() { return begin() + m_count; }
    bool empty() const { return !m_count; }

private:
    std::array<std::shared_ptr<Observation>, 8> m_inPlace;
    std::vector<std::shared_ptr<Observation>> m_more;
    size_t m_count { 0 };
};

} // namespace

struct ObserverToken::CenterState {
    mutable std::mutex mutex;
    // Observations by the name and object they listen for (empty and null
    // for any), each bucket in registration order, so that a post looks only
    // at those that can match however many others there are. Deliveries in
    // progress hold their own references, so an observation removed
    // meanwhile stays alive until they are done.
    using Key = std::pair<std::string, const void*>;
    // Ordered as the keys, and found by a name seen in place: a post copies
    // no name to look its buckets up.
    using KeyView = std::pair<std::string_view, const void*>;
    struct KeyLess {
        using is_transparent = void;
        template<typename A, typename B> bool operator()(const A& a, const B& b) const
        {
            if (int order = std::string_view(a.first).compare(std::string_view(b.first)))
                return order < 0;
            return std::less<const void*> {}(a.second, b.second);
        }
    };
    std::map<Key, std::map<uint64_t, std::shared_ptr<Observation>>, KeyLess> buckets;
    std::unordered_map<uint64_t, Key> keys;
    uint64_t nextIdentifier { 1 };

    void remove(uint64_t identifier)
    {
        std::shared_ptr<Observation> removed; // released outside the lock
        std::lock_guard lock(mutex);
        auto key = keys.find(identifier);
        if (key == keys.end())
            return;
        auto bucket = buckets.find(key->second);
        auto found = bucket->second.find(identifier);
        found->second->removed = true;
        removed = std::move(found->second);
        bucket->second.erase(found);
        if (bucket->second.empty())
            buckets.erase(bucket);
        keys.erase(key);
    }

    bool contains(uint64_t identifier) const
    {
        std::lock_guard lock(mutex);
        return keys.contains(identifier);
    }

    // Calls `visit` with each observation a post of the name and object
    // reaches. Call with the lock held.
    template<typename Visit> void forEachMatching(std::string_view name, const void* object, Visit&& visit) const
    {
        auto gather = [&](std::string_view bucketName, const void* bucketObject) {
            auto bucket = buckets.find(KeyView { bucketName, bucketObject });
            if (bucket == buckets.end())
                return;
            for (auto& [identifier, observation] : bucket->second)
                visit(observation);
        };
        gather(name, nullptr);
        if (!name.empty())
            gather({}, nullptr);
        if (object) {
            gather(name, object);
            if (!name.empty())
                gather({}, object);
        }
    }

    // The observations a post of the name and object reaches, in the order they registered.
    MatchingObservations matching(std::string_view name, const void* object) const
    {
        MatchingObservations found;
        std::lock_guard lock(mutex);
        forEachMatching(name, object, [&](auto& observation) { found.add(observation); });
        std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a->identifier < b->identifier; });
        return found;
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
    ObserverToken::CenterState::Key key { observation->name, observation->object };
    m_state->keys.emplace(observation->identifier, key);
    m_state->buckets[key].emplace(observation->identifier, observation);
    return ObserverToken(m_state, observation->identifier);
}

void NotificationCenter::removeObserver(ObserverToken& token)
{
    token.reset();
}

namespace {

void deliver(MatchingObservations& matching, const Notification& notification)
{
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

} // namespace

void NotificationCenter::post(const Notification& notification)
{
    MatchingObservations matching = m_state->matching(notification.name, notification.object);
    deliver(matching, notification);
}

void NotificationCenter::post(std::string_view name, const void* object, Dictionary userInfo)
{
    MatchingObservations matching = m_state->matching(name, object);
    if (matching.empty())
        return;
    deliver(matching, Notification { std::string(name), object, std::move(userInfo), {} });
}

bool NotificationCenter::hasObserver(std::string_view name, const void* object) const
{
    bool found = false;
    std::lock_guard lock(m_state->mutex);
    m_state->forEachMatching(name, object, [&](auto&) { found = true; });
    return found;
}

size_t NotificationCenter::observerCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->keys.size();
}

} // namespace brevanton
