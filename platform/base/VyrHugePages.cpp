/* Huge-page mappings: a mapping one huge page larger than asked, trimmed at
 * both ends to the aligned part. */
#include "platform/base/VyrHugePages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define VYR_HUGE_MAPPED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_HUGE_MAPPED 0
#endif
#endif
#ifndef VYR_HUGE_MAPPED
#define VYR_HUGE_MAPPED 1
#endif

extern "C" {

size_t VyrHugePagesRound(size_t size)
{
    if (size > SIZE_MAX - 2 * VYR_HUGE_PAGE) return 0;
    return (size + VYR_HUGE_PAGE - 1) & ~(VYR_HUGE_PAGE - 1);
}

void *VyrHugePagesMap(size_t size)
{
    const size_t n = VyrHugePagesRound(size);
    if (n == 0) return nullptr;
#if VYR_HUGE_MAPPED
    void *m = mmap(nullptr, n + VYR_HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return nullptr;
    const uintptr_t u = reinterpret_cast<uintptr_t>(m);
    const uintptr_t start = (u + VYR_HUGE_PAGE - 1) & ~static_cast<uintptr_t>(VYR_HUGE_PAGE - 1);
    if (start > u) munmap(m, start - u);
    munmap(reinterpret_cast<void *>(start + n), u + VYR_HUGE_PAGE - start);
    void *area = reinterpret_cast<void *>(start);
#ifdef MADV_HUGEPAGE
    madvise(area, n, MADV_HUGEPAGE);
#endif
#else
    void *area = std::aligned_alloc(VYR_HUGE_PAGE, n);
    if (!area) return nullptr;
    std::memset(area, 0, n);
#endif
    return area;
}

void VyrHugePagesUnmap(void *area, size_t size)
{
    if (!area) return;
#if VYR_HUGE_MAPPED
    munmap(area, VyrHugePagesRound(size));
#else
    (void)size;
    std::free(area);
#endif
}

} // extern "C"
