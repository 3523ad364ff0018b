/* Block allocation in a page file. A block is a 16-byte header {data size,
 * mark} followed by its data and is addressed by the offset of its data. A
 * request goes to the first size class whose limit exceeds it (else the
 * last). Free extents of a class live in slot records chained per size bin
 * (bin = highest set bit of the extent's size), with a mask of the bins that
 * hold any, so a request looks at no empty bin: it takes the first fitting
 * extent of its own bin or the head of the lowest higher bin; when more than
 * DOF_SPLIT_MIN bytes would remain the front of the extent becomes the block,
 * else the whole extent does. Without a fitting extent the block is appended
 * at the end of the allocated area. Freeing returns the extent to its class,
 * or shortens the allocated area when the extent ends it. */
#include <cstdlib>
#include <cstring>

#include "kernel/dof/dof.h"
#include "kernel/dof/dof_int.h"

namespace {

const int64_t kLiveMark = 0x4B4C42464F44LL; /* "DOFBLK" */
const int64_t kFreeMark = 0x45455246464FLL; /* "OFFREE" */

int bin_of(int64_t size)
{
    int b = 63 - __builtin_clzll(uint64_t(size));
    return b < DOF_BINS ? b : DOF_BINS - 1;
}

DofClass *class_of(DofFile *f, int64_t size)
{
    for (int32_t c = 0; c < f->nclasses; ++c)
        if (f->classes[c].limit > size) return &f->classes[c];
    return &f->classes[f->nclasses - 1];
}

int32_t write_header(DofFile *f, int64_t data_offset, int64_t size, int64_t mark)
{
    int64_t h[2] = {size, mark};
    return dof_ReadWrite(1, f, DOF_BLOCK_HEADER, data_offset - DOF_BLOCK_HEADER, h);
}

int32_t read_header(DofFile *f, int64_t data_offset, int64_t h[2])
{
    if (data_offset < DOF_BLOCK_HEADER || data_offset > f->end - 1) return dof__Error(DOF_BAD_OFFSET, f);
    int32_t status = dof_ReadWrite(0, f, DOF_BLOCK_HEADER, data_offset - DOF_BLOCK_HEADER, h);
    if (status) return status;
    if (h[0] < 1 || data_offset + h[0] > f->end) return dof__Error(DOF_BAD_OFFSET, f);
    return 0;
}

/* Takes a slot record from the class's spare chain or grows the table. */
int32_t new_slot(DofClass *c)
{
    if (c->first_free >= 0) {
        int32_t s = c->first_free;
        c->first_free = c->slots[s].next;
        return s;
    }
    if (c->nslots % c->per_table == 0) {
        size_t n = size_t(c->nslots) + size_t(c->per_table);
        DofSlot *grown = static_cast<DofSlot *>(std::realloc(c->slots, n * sizeof(DofSlot)));
        if (!grown) return -1;
        c->slots = grown;
    }
    return c->nslots++;
}

void put_in_bin(DofClass *c, int32_t s)
{
    int b = bin_of(c->slots[s].size);
    c->slots[s].next = c->bins[b];
    c->bins[b] = s;
    c->filled |= uint64_t(1) << b;
}

/* The first extent of at least `need` bytes: the first fitting one of the
 * request's own bin, else the head of the lowest filled bin above it (every
 * extent there is larger than any size of a lower bin). Unchains it and
 * returns its slot, or -1. */
int32_t take_fitting(DofClass *c, int64_t need)
{
    const int own = bin_of(need);
    int b = own;
    int32_t *link = nullptr;
    if (c->filled & (uint64_t(1) << own))
        for (int32_t *l = &c->bins[own]; *l >= 0; l = &c->slots[*l].next)
            if (c->slots[*l].size >= need) {
                link = l;
                break;
            }
    if (!link) {
        const uint64_t above = own + 1 < DOF_BINS ? c->filled & (~uint64_t(0) << (own + 1)) : 0;
        if (!above) return -1;
        b = __builtin_ctzll(above);
        link = &c->bins[b];
    }
    const int32_t found = *link;
    *link = c->slots[found].next;
    if (c->bins[b] < 0) c->filled &= ~(uint64_t(1) << b);
    return found;
}

} // namespace

extern "C" {

int32_t dof_AllocateBlock(DofFile *f, int64_t size, int64_t *offset)
{
    if (!f || !offset) return dof__Error(DOF_BAD_SLOT, f);
    *offset = -1;
    if (!f->classes) return dof__Error(DOF_BAD_SLOT, f);
    if (size <= 0) return dof__Error(DOF_BAD_SIZE, f);
    size = (size + 7) & ~int64_t(7); /* keeps every block 8-aligned in the file */
    const int64_t need = size + DOF_BLOCK_HEADER;
    DofClass *c = class_of(f, size);
    c->requests++;

    const int32_t found = take_fitting(c, need);
    if (found >= 0) {
        DofSlot &s = c->slots[found];
        c->reused++;
        int64_t data = s.offset + DOF_BLOCK_HEADER;
        if (s.size - need > DOF_SPLIT_MIN) {
            s.offset += need;
            s.size -= need;
            put_in_bin(c, found);
            c->split++;
        } else {
            size = s.size - DOF_BLOCK_HEADER;
            s.next = c->first_free;
            c->first_free = found;
            c->count--;
        }
        int32_t status = write_header(f, data, size, kLiveMark);
        if (status) return status;
        *offset = data;
        return 0;
    }
    int64_t data = f->end + DOF_BLOCK_HEADER;
    f->end += need;
    int32_t status = write_header(f, data, size, kLiveMark);
    if (status) {
        f->end -= need;
        return status;
    }
    *offset = data;
    return 0;
}

int32_t dof_GetBlockSize(DofFile *f, int64_t offset, int64_t *size)
{
    if (!f || !size) return dof__Error(DOF_BAD_SLOT, f);
    *size = 0;
    int64_t h[2];
    int32_t status = read_header(f, offset, h);
    if (status) return status;
    if (h[1] != kLiveMark) return dof__Error(DOF_BAD_OFFSET, f);
    *size = h[0];
    return 0;
}

int32_t dof_FreeBlock(DofFile *f, int64_t offset)
{
    if (!f || !f->classes) return dof__Error(DOF_BAD_SLOT, f);
    int64_t h[2];
    int32_t status = read_header(f, offset, h);
    if (status) return status;
    if (h[1] != kLiveMark) return dof__Error(DOF_BAD_OFFSET, f);
    DofClass *c = class_of(f, h[0]);
    c->freed++;
    const int64_t start = offset - DOF_BLOCK_HEADER, total = h[0] + DOF_BLOCK_HEADER;
    if (start + total == f->end) {
        f->end = start;
        return 0;
    }
    status = write_header(f, offset, h[0], kFreeMark);
    if (status) return status;
    int32_t s = new_slot(c);
    if (s < 0) return dof__Error(DOF_MALLOC_ERR, f);
    c->slots[s].offset = start;
    c->slots[s].size = total;
    put_in_bin(c, s);
    c->count++;
    return 0;
}

} // extern "C"
