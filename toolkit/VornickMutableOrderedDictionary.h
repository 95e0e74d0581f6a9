// VornickMutableOrderedDictionary: a dictionary of string keys that remembers
// the order in which keys were first added.
#pragma once

#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickMutableOrderedDictionary {
public:
    VornickMutableOrderedDictionary() : VornickMutableOrderedDictionary(8) {}
    explicit VornickMutableOrderedDictionary(size_t capacity);
    static std::shared_ptr<VornickMutableOrderedDictionary> dictionaryWithCapacity(size_t capacity);

    size_t count() const { return m_keys.size(); }
    // Null when the key is absent.
    const Value* objectForKey(std::u16string_view key) const;
    // A new key goes to the end of the order; an existing key keeps its place.
    void setObject(Value value, std::u16string_view key);
    // An absent key changes nothing.
    void removeObjectForKey(std::u16string_view key);

    // In key order; setting `stop` ends the walk.
    void enumerateKeysObjectsAndIndexesUsingBlock(
        const std::function<void(const std::u16string& key, const Value& value, size_t index, bool& stop)>& block) const;

    const std::vector<std::u16string>& keys() const { return m_keys; }
    const Dictionary& dictionary() const { return m_dictionary; }

private:
    Dictionary m_dictionary;
    std::vector<std::u16string> m_keys;
};

} // namespace brevanton
