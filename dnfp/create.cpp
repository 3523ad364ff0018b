/* Entity creation under handles and the two handle maps. Every record of the
 * drawing that has a handle becomes a model entity at the db_ptr its handle
 * maps to: the first mention of a handle (a reference from another record,
 * or the record itself) reserves the pointer, and the record is later
 * entered at that reserved pointer, so references made before and after the
 * record resolve to the same entity. The null handle ("0") maps to no
 * pointer; such records get a new pointer each.
 *
 * The style map gives every text style handle a small number, handed out in
 * the order the handles are first met; the null handle has number 1, as has
 * the first style. */
#include "dnfp/dnfp_int.h"

#include <stdlib.h>
#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_msg.h"
#include "kernel/ugn/ugn.h"

namespace {

/* The record's sub-header (every type-form above the header and below the
 * table entries has one right after the entity header). */
dxfsubhdr *subheader_of(void *memory)
{
    return reinterpret_cast<dxfsubhdr *>(static_cast<unsigned char *>(memory) + sizeof(mda_EntHdr));
}

bool has_subheader(mda_tf tf) { return tf > DXFI_TF_dxf_header && tf < mda_tf(0x27100001); }

/* Slots of the handle maps: open addressing with linear probing over a
 * power-of-two table kept at most three quarters full. Key 0 marks a free
 * slot, so the null handle's value (the style map has one) sits beside the
 * table. Handles come mostly in ascending runs: the multiplicative hash
 * spreads groups of 16 neighbouring handles over the table, and the handles
 * of a group take neighbouring slots, so a run of new handles fills the table
 * a cache line after another instead of one cache miss per handle. A slot
 * holds its key and value together: a lookup in scattered order (an insert's
 * block) then misses the cache once, not once for the key and once for the
 * value. */
constexpr size_t kFirstCapacity = 1024;

struct Slot {
    uint64_t key;
    uint32_t value;
};

size_t slot_of(uint64_t key, unsigned shift)
{
    const size_t mask = (size_t(1) << (64 - shift)) - 1;
    return (size_t(((key >> 4) * 0x9E3779B97F4A7C15ull) >> shift) + size_t(key & 15)) & mask;
}

} // namespace

struct DnfpHandleMap {
    Slot *slots;
    size_t capacity; /* a power of two */
    unsigned shift;  /* 64 - log2(capacity) */
    size_t count;    /* keys in the table, without the null handle */
    int has_null;
    uint32_t null_value;
};

namespace {

/* The slots of a large table are bulk memory (a drawing of 300,000 handles
 * fills 8 MB of them). */
bool allocate_slots(DnfpHandleMap *map, size_t capacity)
{
    Slot *slots = static_cast<Slot *>(ugn_BigAlloc(capacity * sizeof(Slot), nullptr));
    if (!slots) return false;
    map->slots = slots;
    map->capacity = capacity;
    map->shift = 64;
    for (size_t c = capacity; c > 1; c >>= 1) --map->shift;
    return true;
}

/* Moves the table to `capacity` slots (a larger power of two), entering
 * every key again. */
bool resize(DnfpHandleMap *map, size_t capacity)
{
    Slot *slots = map->slots;
    const size_t old = map->capacity;
    if (!allocate_slots(map, capacity)) return false;
    const size_t mask = map->capacity - 1;
    for (size_t i = 0; i < old; ++i) {
        if (!slots[i].key) continue;
        size_t s = slot_of(slots[i].key, map->shift);
        while (map->slots[s].key) s = (s + 1) & mask;
        map->slots[s] = slots[i];
    }
    ugn_BigFree(slots, old * sizeof(Slot));
    return true;
}

bool grow(DnfpHandleMap *map)
{
    return map->capacity <= SIZE_MAX / 2 / sizeof(Slot) && resize(map, map->capacity * 2);
}

} // namespace

static_assert(sizeof(DnfpBlockRecord) == 280, "block records are 280 bytes");

extern "C" {

void dnfp__HandleText(const handle8 *handle, char *text)
{
    static const handle8 zero[8] = {0};
    adBinaryObjhandleToAscii(handle ? handle : zero, text);
}

void dnfp__CopyName(char *dest, size_t size, const char *src)
{
    if (!dest || size == 0) return;
    size_t max = size - 1 < DNFP_NAME_MAX ? size - 1 : DNFP_NAME_MAX;
    size_t len = src ? strnlen(src, max) : 0;
    if (len) memcpy(dest, src, len);
    dest[len] = '\0';
}

DnfpHandleMap *dnfp__NewHandleMap(void)
{
    DnfpHandleMap *map = static_cast<DnfpHandleMap *>(calloc(1, sizeof(DnfpHandleMap)));
    if (map && !allocate_slots(map, kFirstCapacity)) {
        free(map);
        map = nullptr;
    }
    return map;
}

void dnfp__FreeHandleMap(DnfpHandleMap *map)
{
    if (!map) return;
    ugn_BigFree(map->slots, map->capacity * sizeof(Slot));
    free(map);
}

void dnfp__ReserveHandleMap(DnfpHandleMap *map, size_t count)
{
    if (!map || count > SIZE_MAX / 16 / sizeof(Slot)) return;
    size_t capacity = map->capacity;
    while ((map->count + count + 1) * 4 > capacity * 3) capacity *= 2;
    if (capacity > map->capacity) resize(map, capacity);
}

size_t dnfp__HandleMapCount(const DnfpHandleMap *map) { return map->count + (map->has_null ? 1 : 0); }

uint32_t *dnfp__HandleMapEnter(DnfpHandleMap *map, uint64_t key, int *added)
{
    *added = 0;
    if (key == 0) {
        if (!map->has_null) map->has_null = *added = 1, map->null_value = 0;
        return &map->null_value;
    }
    if ((map->count + 1) * 4 > map->capacity * 3 && !grow(map)) return nullptr;
    const size_t mask = map->capacity - 1;
    size_t s = slot_of(key, map->shift);
    Slot *slots = map->slots;
    while (slots[s].key && slots[s].key != key) s = (s + 1) & mask;
    if (!slots[s].key) {
        slots[s].key = key;
        slots[s].value = 0;
        ++map->count;
        *added = 1;
    }
    return &slots[s].value;
}

void dnfp__HandleMapPrefetch(const DnfpHandleMap *map, uint64_t key)
{
    if (map && key) __builtin_prefetch(&map->slots[slot_of(key, map->shift)]);
}

const uint32_t *dnfp__HandleMapFind(const DnfpHandleMap *map, uint64_t key)
{
    if (key == 0) return map->has_null ? &map->null_value : nullptr;
    const size_t mask = map->capacity - 1;
    for (size_t s = slot_of(key, map->shift); map->slots[s].key; s = (s + 1) & mask)
        if (map->slots[s].key == key) return &map->slots[s].value;
    return nullptr;
}

uint64_t dnfp__HandleNumber(const handle8 *handle)
{
    uint64_t n = 0;
    if (handle)
        for (int i = 0; i < 8; ++i) n = n << 8 | handle[i];
    return n;
}

int dnfp__GetPtrFromObjHandle(const handle8 *handle, db_ptr *out)
{
    *out = MDA_NULL_PTR;
    const uint64_t key = dnfp__HandleNumber(handle);
    if (key == 0) return 0;
    /* One probe sequence: the handle is entered with no pointer yet, or the
     * stored one is found; a new entry then gets its reserved pointer. */
    int added = 0;
    uint32_t *value = dnfp__HandleMapEnter(dnfp__EntPtrMap, key, &added);
    if (!value) return mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
    if (!added) {
        *out = *value;
        return 0;
    }
    int status = mda_ReserveEntity2(0, mda_GetCurModel(), out);
    if (status) return status;
    *value = *out;
    return 0;
}

db_ptr dnfp__ObjHandleBeenCreated(const handle8 *handle)
{
    const uint64_t key = dnfp__HandleNumber(handle);
    if (key == 0 || !dnfp__EntPtrMap) return MDA_NULL_PTR;
    const uint32_t *found = dnfp__HandleMapFind(dnfp__EntPtrMap, key);
    return found ? *found : MDA_NULL_PTR;
}

int dnfp__GetStyleFromHandle(const handle8 *handle, int *style)
{
    const uint64_t key = dnfp__HandleNumber(handle);
    int added = 0;
    uint32_t *value = dnfp__HandleMapEnter(dnfp__HandStyleMap, key, &added);
    if (!value) return mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
    if (added) *value = uint32_t(key != 0 ? dnfp__CurStyle++ : 1);
    *style = int(*value);
    return 0;
}

int dnfp__CompGrpIDs(const void *a, const void *b)
{
    uint32_t x, y;
    memcpy(&x, a, sizeof x);
    memcpy(&y, b, sizeof y);
    return x > y ? 1 : x < y ? -1 : 0;
}

int dnfp__CreateEntity(int option, const handle8 *handle, const handle8 *owner, void *memory, db_ptr *out,
                       int *created)
{
    (void)option;
    (void)owner;
    *created = 0;
    mda_EntHdr *h = static_cast<mda_EntHdr *>(memory);
    const mda_tf tf = h->tf;
    char text[DNFP_HANDLE_TEXT];
    dnfp__HandleText(handle, text);
    if (has_subheader(tf)) {
        dxfsubhdr *sub = subheader_of(memory);
        dnfp__CopyName(sub->handle, sizeof sub->handle, text);
        strcpy(sub->owner_handle, "0");
    }
    int status = dnfp__GetPtrFromObjHandle(handle, out);
    if (status) return status;
    if (*out != MDA_NULL_PTR && mda_IsValidDbptr(*out)) return 0;

    const int32_t mode = MDA_CREATE_LOCKED | MDA_CREATE_BACKPTRS;
    status = mda_CreateEntity(*out != MDA_NULL_PTR ? mode | MDA_USE_RESERVED : mode, memory, out);
    if (status == MDA_PTR_ALREADY_CREATED && tf >= DXFI_TF_dxf_block && tf < mda_tf(0x27100001)) {
        status = mda_CreateEntity(mode, memory, out);
        mpm__IssueError(0, DNFP_DUPLICATE_HANDLE, MPM_ERROR, text);
        subheader_of(memory)->handle[0] = '\0';
    }
    *created = MDA_PTR_INDEX(h->self) != 0 ? 1 : 0;
    return status;
}

int dnfp__FinishEntity(int status, void *memory, db_ptr *out, int created, const char *file, int line)
{
    if (!status && memory && !created) {
        /* the handle named an entity created before: drop this record */
        mda_FreeEntity(0, memory);
        memory = nullptr;
    }
    if (!status && dnfp__DNFPFunc) dnfp__DNFPFunc(*out, memory);
    if (memory && !created) {
        mda_FreeEntity(0, memory);
        *out = MDA_NULL_PTR;
    } else if (memory) {
        int unlocked = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, *out);
        if (unlocked) {
            mpm__SetError(0, PDX_CLEANUP_ERR, MPM_ERROR, file, line);
            if (!status) status = unlocked;
        }
    }
    return status;
}

} // extern "C"
