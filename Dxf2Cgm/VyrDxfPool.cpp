/* The pool's size classes. Invariants: every free-list entry lies in a
 * block of the pool; live counts the objects handed out by the classes and
 * by the heap fall-back; when it drops to zero no object of the pool is in
 * use and all blocks are freed. */
#include "Dxf2Cgm/VyrDxfPool.h"

#include <sys/mman.h>

#include <cassert>
#include <cstdlib>

/* Under AddressSanitizer every object comes from the heap, so the sanitizer
 * still sees each element's lifetime. */
#if defined(__SANITIZE_ADDRESS__)
#define VYR_POOL_USES_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_POOL_USES_HEAP 1
#endif
#endif
#ifndef VYR_POOL_USES_HEAP
#define VYR_POOL_USES_HEAP 0
#endif

namespace {

const size_t kStep = 16;
const size_t kClasses = VyrDxfPool::kMaxSize / kStep;
/* Blocks of one huge page, where the system offers them: a large drawing
 * touches hundreds of megabytes of fresh memory, and one fault per 2 MiB
 * instead of one per 4 KiB saves most of the time spent faulting it in. */
const size_t kBlockSize = 2 * 1024 * 1024;

void *NewBlock()
{
    void *memory = nullptr;
    if (posix_memalign(&memory, kBlockSize, kBlockSize) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(memory, kBlockSize, MADV_HUGEPAGE);
#endif
    return memory;
}

struct FreeEntry {
    FreeEntry *next;
};

/* A block: its link and then objects, 16-byte aligned. */
struct alignas(16) Block {
    Block *next;
};

FreeEntry *freeLists[kClasses];
Block *blocks = nullptr;
char *bump = nullptr; /* next unused byte of the newest block */
char *bumpEnd = nullptr;
size_t live = 0;
size_t reserved = 0;

void FreeAllBlocks()
{
    while (blocks) {
        Block *next = blocks->next;
        std::free(blocks);
        blocks = next;
    }
    for (FreeEntry *&list : freeLists) list = nullptr;
    bump = bumpEnd = nullptr;
    reserved = 0;
}

} // namespace

void *VyrDxfPool::Allocate(size_t size) noexcept
{
    if (size == 0) size = 1;
    if (size > kMaxSize || VYR_POOL_USES_HEAP) {
        void *memory = std::malloc(size);
        if (memory) ++live;
        return memory;
    }
    const size_t index = (size - 1) / kStep;
    const size_t rounded = (index + 1) * kStep;
    if (FreeEntry *entry = freeLists[index]) {
        freeLists[index] = entry->next;
        ++live;
        return entry;
    }
    if (!bump || static_cast<size_t>(bumpEnd - bump) < rounded) {
        Block *block = static_cast<Block *>(NewBlock());
        if (!block) return nullptr;
        block->next = blocks;
        blocks = block;
        reserved += kBlockSize;
        bump = reinterpret_cast<char *>(block) + sizeof(Block);
        bumpEnd = reinterpret_cast<char *>(block) + kBlockSize;
    }
    void *memory = bump;
    bump += rounded;
    ++live;
    return memory;
}

void VyrDxfPool::Release(void *memory, size_t size) noexcept
{
    if (!memory) return;
    if (size == 0) size = 1;
    assert(live > 0);
    if (size > kMaxSize || VYR_POOL_USES_HEAP) {
        std::free(memory);
    } else {
        FreeEntry *entry = static_cast<FreeEntry *>(memory);
        const size_t index = (size - 1) / kStep;
        entry->next = freeLists[index];
        freeLists[index] = entry;
    }
    if (--live == 0) FreeAllBlocks();
}

size_t VyrDxfPool::Live() noexcept { return live; }

size_t VyrDxfPool::Reserved() noexcept { return reserved; }
