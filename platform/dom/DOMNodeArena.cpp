#include "platform/dom/DOMNodeArena.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define BREVANTON_NODE_ARENA_ENABLED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BREVANTON_NODE_ARENA_ENABLED 0
#endif
#endif
#ifndef BREVANTON_NODE_ARENA_ENABLED
#define BREVANTON_NODE_ARENA_ENABLED 1
#endif

namespace brevanton {

namespace {

thread_local DOMNodeArena* currentArena = nullptr;
std::atomic<size_t> liveSlabs { 0 };

// While a slab is open its count carries this bias, so that nodes dying
// meanwhile (on any thread) never bring it to zero; closing takes the bias
// off less the nodes allocated.
constexpr uint64_t openBias = uint64_t(1) << 40;

} // namespace

struct alignas(16) DOMNodeArena::Slab {
    std::atomic<uint64_t> count;
};

DOMNodeArena::DOMNodeArena()
{
    if (!BREVANTON_NODE_ARENA_ENABLED)
        return;
    m_outer = currentArena;
    currentArena = this;
}

DOMNodeArena::~DOMNodeArena()
{
    if (!BREVANTON_NODE_ARENA_ENABLED)
        return;
    closeSlab();
    currentArena = m_outer;
}

bool DOMNodeArena::isOpen()
{
    return BREVANTON_NODE_ARENA_ENABLED && currentArena;
}

size_t DOMNodeArena::liveSlabCountForTesting()
{
    return liveSlabs.load();
}

void* DOMNodeArena::allocate(size_t size, size_t alignment)
{
    return currentArena->allocateHere(size, alignment);
}

void* DOMNodeArena::allocateHere(size_t size, size_t alignment)
{
    static_assert(slabSize >= 4096 && (slabSize & (slabSize - 1)) == 0);
    if (size > slabSize / 4 || alignment > alignof(Slab))
        throw std::bad_alloc();
    size = (size + alignof(Slab) - 1) & ~(alignof(Slab) - 1);
    if (!m_slab || static_cast<size_t>(m_end - m_next) < size) {
        closeSlab();
        void* memory = std::aligned_alloc(slabSize, slabSize);
        if (!memory)
            throw std::bad_alloc();
        m_slab = new (memory) Slab { openBias };
        m_next = static_cast<char*>(memory) + sizeof(Slab);
        m_end = static_cast<char*>(memory) + slabSize;
        m_allocated = 0;
        liveSlabs.fetch_add(1, std::memory_order_relaxed);
    }
    void* result = m_next;
    m_next += size;
    ++m_allocated;
    return result;
}

void DOMNodeArena::closeSlab()
{
    if (!m_slab)
        return;
    auto* slab = m_slab;
    m_slab = nullptr;
    m_next = m_end = nullptr;
    if (slab->count.fetch_sub(openBias - m_allocated, std::memory_order_acq_rel) == openBias - m_allocated) {
        slab->~Slab();
        std::free(slab);
        liveSlabs.fetch_sub(1, std::memory_order_relaxed);
    }
}

void DOMNodeArena::deallocate(void* pointer)
{
    auto* slab = reinterpret_cast<Slab*>(reinterpret_cast<uintptr_t>(pointer) & ~uintptr_t(slabSize - 1));
    if (slab->count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        slab->~Slab();
        std::free(slab);
        liveSlabs.fetch_sub(1, std::memory_order_relaxed);
    }
}

} // namespace brevanton
