// DOMNodeArena: the memory of the nodes a parser makes in bulk.
//
// While an arena is open on a thread, makeNode<T>() takes each node, with its
// shared_ptr control block, from 64 KiB slabs by bumping a pointer: no
// allocator header per node, no free lists, and a document's nodes die by
// slabs rather than one by one. Slabs are cut from blocks of 2 MiB mapped
// from the system. When the last node of a slab dies, on whatever thread (the
// counts are atomic), the system may take the slab's pages back; when the
// last slab of a block dies, the block is unmapped, or kept for the next
// document while few are kept. Until then a slab keeps its whole size, so
// only whole documents of some size are parsed into an arena, whose nodes
// mostly live and die together. Without an open arena, and in
// address-sanitizer builds (which must see every node on its own),
// makeNode<T>() is make_shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace brevanton {

class DOMNodeArena {
public:
    // Opens the arena on this thread (an arena opened inside it is used until it closes).
    DOMNodeArena();
    ~DOMNodeArena();
    DOMNodeArena(const DOMNodeArena&) = delete;
    DOMNodeArena& operator=(const DOMNodeArena&) = delete;

    static constexpr size_t slabSize = 64 * 1024;

    // Whether an arena is open on this thread.
    static bool isOpen() { return s_current; }

    template<typename T, typename... Arguments> static std::shared_ptr<T> makeNode(Arguments&&... arguments)
    {
        if (!s_current)
            return std::make_shared<T>(std::forward<Arguments>(arguments)...);
        return std::allocate_shared<T>(Allocator<T>(), std::forward<Arguments>(arguments)...);
    }

    // Memory for what the nodes made here own and keep (an element's
    // attribute block), from the same slabs; null without an open arena or
    // for a size too large for a slab. Given back by releaseBytes, on any thread.
    static void* allocateBytes(size_t size);
    static void releaseBytes(void* pointer) { deallocate(pointer); }

    // Slabs not yet returned to the system, in every thread.
    static size_t liveSlabCountForTesting();

    struct Block;
    struct Slab;

    // While one is open on a thread, the slabs whose last node dies on that
    // thread give their pages back when it closes, neighbours in one call to
    // the system rather than a call each: for the teardown of a whole tree.
    // One opened inside another leaves the work to the outer one.
    class ReleaseBatch {
    public:
        ReleaseBatch();
        ~ReleaseBatch();
        ReleaseBatch(const ReleaseBatch&) = delete;
        ReleaseBatch& operator=(const ReleaseBatch&) = delete;

        // Whether the slab waits for the batch (false when it could not be kept).
        bool add(Slab*, Block*);
        // Counts the death of a node of `slab`, taken off its count when a
        // node of another slab dies or the batch closes: nodes die mostly in
        // the order they were made, so a slab's count changes once for a run
        // of its nodes rather than once for each (an atomic change each).
        void noteDeath(Slab* slab)
        {
            if (slab != m_heldSlab)
                holdDeathsOf(slab);
            ++m_heldDeaths;
        }

    private:
        void holdDeathsOf(Slab*);
        void takeHeldDeaths();
        void markSparedSlabs();
        struct Dead {
            char* slab;
            Block* block;
            // Its block waits for the next document with its pages as they are.
            bool spared;
        };
        bool m_outermost { false };
        std::vector<Dead> m_dead;
        Slab* m_heldSlab { nullptr };
        uint64_t m_heldDeaths { 0 };
    };

private:
    // Stateless: allocation goes to the thread's open arena, deallocation to
    // the slab holding the address.
    template<typename T> struct Allocator {
        using value_type = T;
        Allocator() = default;
        template<typename U> Allocator(const Allocator<U>&) { }
        T* allocate(size_t count) { return static_cast<T*>(allocate(count * sizeof(T), alignof(T))); }
        void deallocate(T* pointer, size_t) { DOMNodeArena::deallocate(pointer); }
        template<typename U> bool operator==(const Allocator<U>&) const { return true; }

    private:
        static void* allocate(size_t size, size_t alignment) { return s_current->allocateHere(size, alignment); }
    };

    static void deallocate(void*);
    // Mostly a bump of the pointer in the open slab.
    void* allocateHere(size_t size, size_t alignment)
    {
        size = (size + alignof(void*) - 1) & ~(alignof(void*) - 1);
        if (size <= slabSize / 4 && alignment <= alignof(void*) && static_cast<size_t>(m_end - m_next) >= size) {
            void* result = m_next;
            m_next += size;
            ++m_allocated;
            return result;
        }
        return allocateInNewSlab(size, alignment);
    }
    void* allocateInNewSlab(size_t size, size_t alignment);
    void openSlab();
    void closeSlab();
    void closeBlock();
    static void releaseSlab(Slab*);
    static void releaseBlock(Block*, size_t count);

    // The arena open on this thread (never one in address-sanitizer builds).
    static inline thread_local DOMNodeArena* s_current = nullptr;

    DOMNodeArena* m_outer { nullptr };
    // The block slabs are cut from, the next slab's place in it, and the slabs cut.
    Block* m_block { nullptr };
    char* m_nextSlab { nullptr };
    unsigned m_slabsCut { 0 };
    Slab* m_slab { nullptr };
    char* m_next { nullptr };
    char* m_end { nullptr };
    // Allocations from the open slab, added to its count when it closes.
    unsigned m_allocated { 0 };
};

} // namespace brevanton
