// NotificationCenter: broadcasts named notifications to observers within the
// process. Observers register for a name (empty: every name) and an object
// (null: every object), and are called either synchronously on the posting
// thread or, when they name an operation queue, through that queue (the main
// queue delivers on the main run loop). Thread-safe.
//
// An observer is removed when its ObserverToken is destroyed or reset, or
// through removeObserver. After removal returns, no delivery starts anymore,
// including deliveries already queued on an operation queue. Removing
// observers (this one or others) from inside a callback is safe. Keep the
// token as a member of the observing object so that the observation ends
// with it.
#pragma once

#include "platform/foundation/Value.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace brevanton {

class OperationQueue;

struct Notification {
    std::string name;
    const void* object { nullptr };
    Dictionary userInfo;
    // Objects with identity (frames, nodes) that a property-list value cannot carry.
    std::map<std::string, std::any, std::less<>> userObjects;
};

class NotificationCenter;

class ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken&& other) noexcept;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;
    ~ObserverToken() { reset(); }

    // Removes the observation (nothing when already removed or empty).
    void reset();
    bool isActive() const;
    uint64_t identifier() const { return m_identifier; }

private:
    friend class NotificationCenter;
    struct CenterState;
    ObserverToken(std::weak_ptr<CenterState> center, uint64_t identifier)
        : m_center(std::move(center)), m_identifier(identifier) {}
    std::weak_ptr<CenterState> m_center;
    uint64_t m_identifier { 0 };
};

class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // `name` empty: every name; `object` null: every object; `queue` null:
    // synchronous delivery on the posting thread.
    [[nodiscard]] ObserverToken addObserver(std::string name, const void* object, OperationQueue* queue,
                                            Block block);
    void removeObserver(ObserverToken&);

    // Delivers to the matching observers in the order they registered.
    void post(const Notification&);
    // The notification is made only when an observer matches.
    void post(std::string_view name, const void* object, Dictionary userInfo = {});
    // Whether a post of this name and object would now reach an observer: a
    // poster whose user info costs something to build may leave it unbuilt
    // when none would (an observer registered after the answer is one
    // registered after the post).
    bool hasObserver(std::string_view name, const void* object) const;

private:
    friend class ObserverToken;
    friend class NotificationCenterTestPeer;

    // Observers registered.
    size_t observerCount() const;

    std::shared_ptr<ObserverToken::CenterState> m_state;
};

} // namespace brevanton
