/* Zero-filled memory mapped from the kernel in whole 2 MiB huge pages,
 * aligned to one and offered to the system for huge pages: where they are
 * granted, the first touch of such memory costs one page fault per 2 MiB
 * instead of one per 4 KiB page, and page faults are slow on virtual
 * machines. Fresh mappings are zero and their untouched pages cost nothing,
 * so the memory is never cleared. Under the address sanitizer the memory
 * comes from aligned_alloc (and is cleared), so that leaks and overruns are
 * still caught. Plain functions with C linkage, for the toolkit's arenas and
 * the kernel's bulk memory. */
#ifndef VYR_PLATFORM_BASE_VYRHUGEPAGES_H
#define VYR_PLATFORM_BASE_VYRHUGEPAGES_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VYR_HUGE_PAGE ((size_t)2 << 20)

/* `size` rounded up to whole huge pages; 0 when that does not fit. */
size_t VyrHugePagesRound(size_t size);

/* A zero-filled area of VyrHugePagesRound(size) bytes aligned to
 * VYR_HUGE_PAGE, or null (also for a size of 0). */
void *VyrHugePagesMap(size_t size);

/* Gives back an area of VyrHugePagesMap; `size` is the size it was asked
 * for (or its rounded size). A null area is ignored. */
void VyrHugePagesUnmap(void *area, size_t size);

#ifdef __cplusplus
}
#endif

#endif
