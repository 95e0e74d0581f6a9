// Cache: a named store of values kept in memory that drops entries by itself
// when it holds more than its count limit (the least recently used first).
// It is safe to use from any thread.
//
//     Cache<std::u16string, Dictionary> cache(u"recent answers");
//     cache.setCountLimit(32);
//     cache.setObject(key, answer);
//     if (auto answer = cache.objectForKey(key)) ...
#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace brevanton {

template<typename Key, typename Object, typename Hash = std::hash<Key>>
class Cache {
public:
    explicit Cache(std::u16string name = {}) : m_name(std::move(name)) {}

    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    std::u16string name() const
    {
        std::lock_guard lock(m_mutex);
        return m_name;
    }
    void setName(std::u16string name)
    {
        std::lock_guard lock(m_mutex);
        m_name = std::move(name);
    }

    // 0 means no limit. Lowering the limit drops entries at once.
    size_t countLimit() const
    {
        std::lock_guard lock(m_mutex);
        return m_countLimit;
    }
    void setCountLimit(size_t limit)
    {
        std::lock_guard lock(m_mutex);
        m_countLimit = limit;
        evictOverLimit();
    }

    // A copy of the value stored under `key`; reading it counts as a use.
    std::optional<Object> objectForKey(const Key& key) const
    {
        std::lock_guard lock(m_mutex);
        auto found = m_index.find(key);
        if (found == m_index.end())
            return std::nullopt;
        m_entries.splice(m_entries.begin(), m_entries, found->second);
        return found->second->second;
    }

    // Stores `value` under `key`, replacing what was there.
    void setObject(const Key& key, Object value)
    {
        std::lock_guard lock(m_mutex);
        if (auto found = m_index.find(key); found != m_index.end()) {
            found->second->second = std::move(value);
            m_entries.splice(m_entries.begin(), m_entries, found->second);
            return;
        }
        m_entries.emplace_front(key, std::move(value));
        m_index.emplace(key, m_entries.begin());
        evictOverLimit();
    }

    void removeObjectForKey(const Key& key)
    {
        std::lock_guard lock(m_mutex);
        if (auto found = m_index.find(key); found != m_index.end()) {
            m_entries.erase(found->second);
            m_index.erase(found);
        }
    }

    void removeAllObjects()
    {
        std::lock_guard lock(m_mutex);
        m_index.clear();
        m_entries.clear();
    }

    size_t count() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries.size();
    }

private:
    using Entries = std::list<std::pair<Key, Object>>;

    void evictOverLimit()
    {
        while (m_countLimit && m_entries.size() > m_countLimit) {
            m_index.erase(m_entries.back().first);
            m_entries.pop_back();
        }
    }

    mutable std::mutex m_mutex;
    std::u16string m_name;
    size_t m_countLimit { 0 };
    // Most recently used first.
    mutable Entries m_entries;
    std::unordered_map<Key, typename Entries::iterator, Hash> m_index;
};

} // namespace brevanton
