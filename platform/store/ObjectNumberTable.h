// ObjectNumberTable: a context's registered objects by object number, in one
// open-addressed array (linear probing, at most half full): finding an
// object reads one slot, where a node-based map reads a bucket and a node;
// consecutive numbers lie side by side, four at a time.
// A context looks up every object of a relationship it answers this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevanton {

class ManagedObject;

class ObjectNumberTable {
public:
    // The object of that number; null when none is registered.
    ManagedObject* find(int64_t number) const
    {
        if (m_slots.empty())
            return nullptr;
        for (size_t slot = home(number);; slot = (slot + 1) & mask()) {
            const Slot& found = m_slots[slot];
            if (!found.object || found.number == number)
                return found.object;
        }
    }
    // Registers the object (not null) unless the number has one already.
    void insert(int64_t number, ManagedObject* object);
    void erase(int64_t number);
    size_t size() const { return m_count; }

private:
    struct Slot {
        int64_t number { 0 };
        ManagedObject* object { nullptr }; // null: free
    };
    size_t mask() const { return m_slots.size() - 1; }
    size_t home(int64_t number) const
    {
        // Numbers are mostly consecutive: runs of four are spread before
        // masking, each run to four neighbouring slots, so that visiting a
        // relationship's objects in number order reads a quarter as many
        // places of the array.
        auto value = static_cast<uint64_t>(number);
        size_t run = static_cast<size_t>(((value >> 2) * 0x9E3779B97F4A7C15ull) >> 32);
        return ((run << 2) | static_cast<size_t>(value & 3)) & mask();
    }
    void grow();

    std::vector<Slot> m_slots;
    size_t m_count { 0 };
};

} // namespace brevanton
