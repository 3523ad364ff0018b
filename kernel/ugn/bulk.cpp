/* Bulk memory: zero-filled areas of whole 2 MiB units, aligned to 2 MiB and
 * offered to the system for huge pages (platform/base/VyrHugePages), for the
 * large tables that fill up while a drawing is read (long object lists,
 * model directories, handle maps). Where the system grants huge pages, the
 * first touch of such an area costs one page fault per 2 MiB instead of one
 * per 4 KiB page, and page faults are slow on virtual machines. Tables that
 * may stay small take ugn_BigAlloc, which keeps blocks under half a unit on
 * the C heap. */
#include <cstdint>
#include <cstdlib>

#include "kernel/ugn/ugn.h"
#include "platform/base/VyrHugePages.h"

static_assert(UGN_BULK_UNIT == VYR_HUGE_PAGE, "a unit of bulk memory is one huge page");

extern "C" {

void *ugn_BulkAlloc(size_t size, size_t *granted)
{
    if (granted) *granted = 0;
    if (size == 0 || size > SIZE_MAX / 2) return nullptr;
    void *area = VyrHugePagesMap(size);
    if (area && granted) *granted = VyrHugePagesRound(size);
    return area;
}

void ugn_BulkFree(void *area, size_t size) { VyrHugePagesUnmap(area, size); }

void *ugn_BigAlloc(size_t size, size_t *granted)
{
    if (size >= UGN_BIG_MIN) return ugn_BulkAlloc(size, granted);
    void *block = std::calloc(1, size ? size : 1);
    if (granted) *granted = block ? size : 0;
    return block;
}

void ugn_BigFree(void *block, size_t size)
{
    if (size >= UGN_BIG_MIN)
        ugn_BulkFree(block, size);
    else
        std::free(block);
}

} // extern "C"
