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
#include <memory>
#include <utility>

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
    static bool isOpen();

    template<typename T, typename... Arguments> static std::shared_ptr<T> makeNode(Arguments&&... arguments)
    {
        if (!isOpen())
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

private:
    struct Block;
    struct Slab;
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
        static void* allocate(size_t size, size_t alignment) { return DOMNodeArena::allocate(size, alignment); }
    };

    static void* allocate(size_t size, size_t alignment);
    static void deallocate(void*);
    void* allocateHere(size_t size, size_t alignment);
    void openSlab();
    void closeSlab();
    void closeBlock();
    static void releaseSlab(Slab*);
    static void releaseBlock(Block*, size_t count);

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
