#include "toolkit/VornickMutableOrderedDictionary.h"

#include <algorithm>

namespace brevanton {

VornickMutableOrderedDictionary::VornickMutableOrderedDictionary(size_t capacity)
{
    m_keys.reserve(capacity);
}

std::shared_ptr<VornickMutableOrderedDictionary> VornickMutableOrderedDictionary::dictionaryWithCapacity(size_t capacity)
{
    return std::make_shared<VornickMutableOrderedDictionary>(capacity);
}

const Value* VornickMutableOrderedDictionary::objectForKey(std::u16string_view key) const
{
    auto it = m_dictionary.find(key);
    return it == m_dictionary.end() ? nullptr : &it->second;
}

void VornickMutableOrderedDictionary::setObject(Value value, std::u16string_view key)
{
    auto it = m_dictionary.find(key);
    if (it != m_dictionary.end()) {
        it->second = std::move(value);
        return;
    }
    m_dictionary.emplace(std::u16string(key), std::move(value));
    m_keys.emplace_back(key);
}

void VornickMutableOrderedDictionary::removeObjectForKey(std::u16string_view key)
{
    auto it = m_dictionary.find(key);
    if (it == m_dictionary.end())
        return;
    m_dictionary.erase(it);
    m_keys.erase(std::find(m_keys.begin(), m_keys.end(), key));
}

void VornickMutableOrderedDictionary::enumerateKeysObjectsAndIndexesUsingBlock(
    const std::function<void(const std::u16string& key, const Value& value, size_t index, bool& stop)>& block) const
{
    bool stop = false;
    for (size_t index = 0; index < m_keys.size() && !stop; ++index)
        block(m_keys[index], m_dictionary.find(m_keys[index])->second, index, stop);
}

} // namespace brevanton
