/* Bulk memory: zero-filled areas of whole 2 MiB units, aligned to 2 MiB and
 * offered to the system for huge pages, for the large tables that fill up
 * while a drawing is read (long object lists, model directories, handle
 * maps). Where the system grants huge pages, the first touch of such an
 * area costs one page fault per 2 MiB instead of one per 4 KiB page, and
 * page faults are slow on virtual machines. Under the address sanitizer the
 * areas come from aligned_alloc, so that leaks and overruns are still
 * caught. */
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

#include "kernel/ugn/ugn.h"

#if defined(__SANITIZE_ADDRESS__)
#define VYR_UGN_MAPPED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_UGN_MAPPED 0
#endif
#endif
#ifndef VYR_UGN_MAPPED
#define VYR_UGN_MAPPED 1
#endif

namespace {

constexpr size_t kUnit = UGN_BULK_UNIT;

size_t whole_units(size_t size) { return (size + kUnit - 1) / kUnit * kUnit; }

} // namespace

extern "C" {

void *ugn_BulkAlloc(size_t size, size_t *granted)
{
    if (granted) *granted = 0;
    if (size == 0 || size > SIZE_MAX / 2) return nullptr;
    const size_t n = whole_units(size);
#if VYR_UGN_MAPPED
    /* One unit more than asked, trimmed to the aligned part. */
    void *p = mmap(nullptr, n + kUnit, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + kUnit - 1) & ~uintptr_t(kUnit - 1);
    if (aligned > start) munmap(p, aligned - start);
    munmap(reinterpret_cast<void *>(aligned + n), start + kUnit - aligned);
    void *area = reinterpret_cast<void *>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(area, n, MADV_HUGEPAGE);
#endif
#else
    void *area = std::aligned_alloc(kUnit, n);
    if (!area) return nullptr;
    std::memset(area, 0, n);
#endif
    if (granted) *granted = n;
    return area;
}

void ugn_BulkFree(void *area, size_t size)
{
    if (!area) return;
#if VYR_UGN_MAPPED
    munmap(area, whole_units(size));
#else
    (void)size;
    std::free(area);
#endif
}

} // extern "C"
