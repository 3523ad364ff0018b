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

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_msg.h"

namespace {

/* The record's sub-header (every type-form above the header and below the
 * table entries has one right after the entity header). */
dxfsubhdr *subheader_of(void *memory)
{
    return reinterpret_cast<dxfsubhdr *>(static_cast<unsigned char *>(memory) + sizeof(mda_EntHdr));
}

bool has_subheader(mda_tf tf) { return tf > DXFI_TF_dxf_header && tf < mda_tf(0x27100001); }

/* True when the hexadecimal text reads as 0 (no digit or only zeros). */
bool is_null_text(const char *text)
{
    for (const char *p = text; *p; ++p) {
        const char c = *p;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) break;
        if (c != '0') return false;
    }
    return true;
}

DnfpHandleEntry key_of(const char *text)
{
    DnfpHandleEntry key;
    memset(&key, 0, sizeof key);
    size_t len = strnlen(text, sizeof key.text - 1);
    memcpy(key.text, text, len);
    return key;
}

} // namespace

static_assert(sizeof(DnfpHandleEntry) == 24, "handle map elements are 24 bytes");
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

int dnfp__GetPtrFromHandle(const char *text, db_ptr *out)
{
    *out = MDA_NULL_PTR;
    if (!text || is_null_text(text)) return 0;
    /* One descent of the tree: the entry is added with no pointer yet, or
     * the stored one is found; a new entry then gets its reserved pointer. */
    DnfpHandleEntry key = key_of(text);
    const int before = otm_GetCount(dnfp__EntPtrTree);
    DnfpHandleEntry *entry = static_cast<DnfpHandleEntry *>(otm_AddObject(0, dnfp__EntPtrTree, &key));
    if (!entry) return mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
    if (otm_GetCount(dnfp__EntPtrTree) == before) {
        *out = entry->value;
        return 0;
    }
    int status = mda_ReserveEntity2(0, mda_GetCurModel(), out);
    if (status) return status;
    entry->value = *out;
    return 0;
}

int dnfp__GetPtrFromObjHandle(const handle8 *handle, db_ptr *out)
{
    char text[DNFP_HANDLE_TEXT];
    dnfp__HandleText(handle, text);
    return dnfp__GetPtrFromHandle(text, out);
}

db_ptr dnfp__ObjHandleBeenCreated(const handle8 *handle)
{
    char text[DNFP_HANDLE_TEXT];
    dnfp__HandleText(handle, text);
    if (is_null_text(text) || !dnfp__EntPtrTree) return MDA_NULL_PTR;
    DnfpHandleEntry key = key_of(text);
    const DnfpHandleEntry *found =
        static_cast<const DnfpHandleEntry *>(otm_GetObject(OTM_SILENT, dnfp__EntPtrTree, &key));
    return found ? found->value : MDA_NULL_PTR;
}

int dnfp__GetStyleFromHandle(const handle8 *handle, int *style)
{
    char text[DNFP_HANDLE_TEXT];
    dnfp__HandleText(handle, text);
    DnfpHandleEntry key = key_of(text);
    if (const DnfpHandleEntry *found =
            static_cast<const DnfpHandleEntry *>(otm_GetObject(OTM_SILENT, dnfp__HandStyleTree, &key))) {
        *style = int(found->value);
        return 0;
    }
    *style = strcmp(text, "0") != 0 ? dnfp__CurStyle++ : 1;
    key.value = uint32_t(*style);
    if (!otm_AddObject(0, dnfp__HandStyleTree, &key)) return mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
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
    int status = dnfp__GetPtrFromHandle(text, out);
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
