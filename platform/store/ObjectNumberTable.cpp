#include "platform/store/ObjectNumberTable.h"

#include <utility>

namespace brevanton {

void ObjectNumberTable::insert(int64_t number, ManagedObject* object)
{
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    size_t slot = home(number);
    for (; m_slots[slot].object; slot = (slot + 1) & mask()) {
        if (m_slots[slot].number == number)
            return;
    }
    m_slots[slot] = { number, object };
    ++m_count;
}

void ObjectNumberTable::erase(int64_t number)
{
    if (m_slots.empty())
        return;
    size_t slot = home(number);
    for (; m_slots[slot].object; slot = (slot + 1) & mask()) {
        if (m_slots[slot].number == number)
            break;
    }
    if (!m_slots[slot].object)
        return;
    // Backward shift: the entries after the hole that may live in it move
    // up, so that no search stops early at the hole.
    size_t hole = slot;
    for (size_t next = (hole + 1) & mask(); m_slots[next].object; next = (next + 1) & mask()) {
        size_t wanted = home(m_slots[next].number);
        // Whether `wanted` lies cyclically in (hole, next]: then the entry stays.
        bool stays = hole <= next ? (hole < wanted && wanted <= next) : (hole < wanted || wanted <= next);
        if (!stays) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = {};
    --m_count;
}

void ObjectNumberTable::grow()
{
    size_t slotCount = m_slots.empty() ? 64 : m_slots.size() * 2;
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(slotCount));
    m_count = 0;
    for (const Slot& slot : old) {
        if (slot.object)
            insert(slot.number, slot.object);
    }
}

} // namespace brevanton
