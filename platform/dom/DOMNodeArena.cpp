#include "platform/dom/DOMNodeArena.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include <sys/mman.h>

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

thread_local DOMNodeArena::ReleaseBatch* currentBatch = nullptr;
std::atomic<size_t> liveSlabs { 0 };

// While a slab or block is open its count carries this bias, so that what
// dies meanwhile (on any thread) never brings it to zero; closing takes the
// bias off less what was handed out.
constexpr uint64_t openBias = uint64_t(1) << 40;

// Slabs are cut from blocks mapped from the system, whose unaligned ends are
// never touched. Blocks whose slabs all died wait for the next document, so
// that its nodes do not fault their pages in again, up to 64 MiB (what the C
// library's allocator keeps of freed memory at most); the system may take
// their pages meanwhile, but for those of blocks a tree's release left
// whole (ReleaseBatch::markSparedSlabs).
constexpr size_t blockSize = 2 * 1024 * 1024;
constexpr size_t sparedBlocks = 32;

std::mutex& sparedBlocksMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<void*>& sparedBlockList()
{
    static std::vector<void*> blocks;
    return blocks;
}

void* mapBlock()
{
    {
        std::lock_guard lock(sparedBlocksMutex());
        if (auto& spared = sparedBlockList(); !spared.empty()) {
            void* base = spared.back();
            spared.pop_back();
            return base;
        }
    }
    void* base = mmap(nullptr, blockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        throw std::bad_alloc();
    return base;
}

void unmapBlock(void* base)
{
    {
        std::lock_guard lock(sparedBlocksMutex());
        if (auto& spared = sparedBlockList(); spared.size() < sparedBlocks) {
            spared.push_back(base);
            return;
        }
    }
    munmap(base, blockSize);
}

} // namespace

struct DOMNodeArena::Block {
    void* base;
    std::atomic<uint64_t> count { openBias };
};

struct alignas(16) DOMNodeArena::Slab {
    std::atomic<uint64_t> count { openBias };
    Block* block;
};

DOMNodeArena::DOMNodeArena()
{
    if (!BREVANTON_NODE_ARENA_ENABLED)
        return;
    m_outer = s_current;
    s_current = this;
}

DOMNodeArena::~DOMNodeArena()
{
    if (!BREVANTON_NODE_ARENA_ENABLED)
        return;
    closeSlab();
    closeBlock();
    s_current = m_outer;
}

size_t DOMNodeArena::liveSlabCountForTesting()
{
    return liveSlabs.load();
}

void* DOMNodeArena::allocateBytes(size_t size)
{
    if (!s_current || size > slabSize / 4)
        return nullptr;
    return s_current->allocateHere(size, alignof(void*));
}

void* DOMNodeArena::allocateInNewSlab(size_t size, size_t alignment)
{
    static_assert(slabSize >= 4096 && (slabSize & (slabSize - 1)) == 0 && blockSize >= 4 * slabSize);
    // Every node is a multiple of the pointer alignment, which the slab's header keeps.
    if (size > slabSize / 4 || alignment > alignof(void*))
        throw std::bad_alloc();
    openSlab();
    void* result = m_next;
    m_next += size;
    ++m_allocated;
    return result;
}

void DOMNodeArena::openSlab()
{
    closeSlab();
    if (!m_block || m_nextSlab + slabSize > static_cast<char*>(m_block->base) + blockSize) {
        closeBlock();
        void* base = mapBlock();
        m_block = new Block { base };
        m_nextSlab = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(base) + slabSize - 1) & ~uintptr_t(slabSize - 1));
        m_slabsCut = 0;
    }
    m_slab = new (m_nextSlab) Slab { .block = m_block };
    m_next = m_nextSlab + sizeof(Slab);
    m_end = m_nextSlab + slabSize;
    m_nextSlab += slabSize;
    ++m_slabsCut;
    m_allocated = 0;
    liveSlabs.fetch_add(1, std::memory_order_relaxed);
}

void DOMNodeArena::closeSlab()
{
    if (!m_slab)
        return;
    auto* slab = m_slab;
    m_slab = nullptr;
    m_next = m_end = nullptr;
    if (slab->count.fetch_sub(openBias - m_allocated, std::memory_order_acq_rel) == openBias - m_allocated)
        releaseSlab(slab);
}

void DOMNodeArena::closeBlock()
{
    if (!m_block)
        return;
    auto* block = m_block;
    m_block = nullptr;
    m_nextSlab = nullptr;
    releaseBlock(block, openBias - m_slabsCut);
}

namespace {

// The system may take these pages when it needs them.
void givePagesBack(void* start, size_t length)
{
    if (madvise(start, length, MADV_FREE))
        madvise(start, length, MADV_DONTNEED);
}

} // namespace

// A slab whose last node died lets the system take its pages when it needs
// them (while its block still counts it, so that the block is mapped), then
// leaves its block; inside a release batch, when the batch closes.
void DOMNodeArena::releaseSlab(Slab* slab)
{
    auto* block = slab->block;
    slab->~Slab();
    if (currentBatch && currentBatch->add(slab, block))
        return;
    givePagesBack(slab, slabSize);
    liveSlabs.fetch_sub(1, std::memory_order_relaxed);
    releaseBlock(block, 1);
}

DOMNodeArena::ReleaseBatch::ReleaseBatch()
{
    if (!BREVANTON_NODE_ARENA_ENABLED || currentBatch)
        return;
    m_outermost = true;
    currentBatch = this;
}

bool DOMNodeArena::ReleaseBatch::add(Slab* slab, Block* block)
{
    try {
        m_dead.push_back({ reinterpret_cast<char*>(slab), block, false });
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void DOMNodeArena::ReleaseBatch::holdDeathsOf(Slab* slab)
{
    takeHeldDeaths();
    m_heldSlab = slab;
}

// The slab's count still holds the deaths counted here, so it cannot reach
// zero before they are taken off.
void DOMNodeArena::ReleaseBatch::takeHeldDeaths()
{
    if (!m_heldSlab)
        return;
    auto* slab = m_heldSlab;
    uint64_t deaths = m_heldDeaths;
    m_heldSlab = nullptr;
    m_heldDeaths = 0;
    if (slab->count.fetch_sub(deaths, std::memory_order_acq_rel) == deaths)
        releaseSlab(slab);
}

DOMNodeArena::ReleaseBatch::~ReleaseBatch()
{
    if (!m_outermost)
        return;
    takeHeldDeaths();
    currentBatch = nullptr;
    if (m_dead.empty())
        return;
    // Every block is still counted by its dead slabs, so a run of neighbours
    // may span blocks mapped next to each other; blocks go only after.
    std::sort(m_dead.begin(), m_dead.end(), [](const Dead& a, const Dead& b) { return a.slab < b.slab; });
    markSparedSlabs();
    size_t runStart = 0;
    for (size_t i = 1; i <= m_dead.size(); ++i) {
        if (i < m_dead.size() && m_dead[i].slab == m_dead[i - 1].slab + slabSize && m_dead[i].spared == m_dead[runStart].spared)
            continue;
        if (!m_dead[runStart].spared)
            givePagesBack(m_dead[runStart].slab, (i - runStart) * slabSize);
        runStart = i;
    }
    liveSlabs.fetch_sub(m_dead.size(), std::memory_order_relaxed);
    for (auto& dead : m_dead)
        releaseBlock(dead.block, 1);
}

// The slabs of blocks that die with this batch and wait for the next
// document keep their pages as they are: the next document's nodes write
// them again at once, and the system's walk over them to take them back
// costs more than its pages save (the blocks waiting are few, like the
// freed memory the C library's allocator keeps). A block dies with the batch
// when its dead slabs here are all it still counts; one counted elsewhere
// (its arena still open, a slab alive on any thread) keeps the usual course.
void DOMNodeArena::ReleaseBatch::markSparedSlabs()
{
    size_t room = 0;
    {
        std::lock_guard lock(sparedBlocksMutex());
        room = sparedBlocks - std::min(sparedBlocks, sparedBlockList().size());
    }
    // Slabs of a block lie next to each other, and blocks do not interleave.
    for (size_t start = 0; start < m_dead.size() && room;) {
        size_t end = start + 1;
        while (end < m_dead.size() && m_dead[end].block == m_dead[start].block)
            ++end;
        if (m_dead[start].block->count.load(std::memory_order_acquire) == end - start) {
            for (size_t i = start; i < end; ++i)
                m_dead[i].spared = true;
            --room;
        }
        start = end;
    }
}

void DOMNodeArena::releaseBlock(Block* block, size_t count)
{
    if (block->count.fetch_sub(count, std::memory_order_acq_rel) != count)
        return;
    unmapBlock(block->base);
    delete block;
}

void DOMNodeArena::deallocate(void* pointer)
{
    auto* slab = reinterpret_cast<Slab*>(reinterpret_cast<uintptr_t>(pointer) & ~uintptr_t(slabSize - 1));
    if (currentBatch) {
        currentBatch->noteDeath(slab);
        return;
    }
    if (slab->count.fetch_sub(1, std::memory_order_acq_rel) == 1)
        releaseSlab(slab);
}

} // namespace brevanton
