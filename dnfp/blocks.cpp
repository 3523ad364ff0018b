/* The block section and the entities that refer to blocks: block
 * definitions with their attribute definitions and contents, the block list
 * from which the block record table is made, inserts with the attribute
 * instances that follow them, and the names of inserts and dimensions,
 * filled in from their blocks once every block exists.
 *
 * Blocks and inserts are linked by pointer: an insert's block header handle
 * maps to the db_ptr under which the block is later created (the handle of
 * its block header), so the order of entities and blocks in a file does not
 * matter. Entities met in a block that an earlier section has created
 * already (those of the paper-space block) are only marked as block
 * contents and listed; the paper-space block lists its entities in the order
 * of their pointers, every other block in file order.
 *
 * An insert is named when it is mapped, mostly before its block exists: it
 * takes the name its block header promises (the name the block will carry),
 * and the block confirms the promise when it is created under that name at
 * the insert's pointer. Only when an insert found no block header, or a
 * promise handed out was not kept, does the final pass read every insert
 * back to name it from its block (and warn about the missing ones). */
#include "dnfp/dnfp_int.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

/* Appends the handle text `suffix` to the name in `field` (capacity
 * `size`), cutting the name so that both fit with the terminator: the
 * suffix stays whole, the field is never overrun. */
void append_suffix(char *field, size_t size, const char *suffix)
{
    size_t keep = strnlen(field, size - 1);
    const size_t extra = strnlen(suffix, size - 1);
    if (keep + extra > size - 1) keep = size - 1 - extra;
    memcpy(field + keep, suffix, extra);
    field[keep + extra] = '\0';
}

bool has_common_header(int type) { return (type >= 200 && type < 800) || type == 10000 || type == 10002; }

/* Marks an entity created before as block contents. */
int mark_block_contents(db_ptr ptr)
{
    void *memory = nullptr;
    int status = mda_LockEntity(0, ptr, &memory);
    if (status) return status;
    if (memory && has_common_header(MDA_TF_TYPE(static_cast<mda_EntHdr *>(memory)->tf))) {
        static_cast<dxf_any *>(memory)->dxfhdr.block_flag = 1;
        return mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
    }
    return mda_UnlockEntity(0, ptr);
}

/* The pointer of the buffered entity when an earlier section created it,
 * else 0. */
db_ptr created_before(void)
{
    const db_ptr ptr = dnfp__ObjHandleBeenCreated(dnfp_g.enthdr->handle);
    return ptr != MDA_NULL_PTR && mda_IsValidDbptr(ptr) ? ptr : MDA_NULL_PTR;
}

/* Block names promised to inserts, found by the index of the pointer the
 * block header's handle reserves, and by the block header's handle in a map
 * of the block headers alone: every insert looks its block up by handle, and
 * that small map stays in the cache where the map of every handle of a large
 * drawing would miss on each of them. */
struct PromisedName {
    std::string name; /* empty: the header makes no block, or is unknown */
    bool given;       /* an insert took the name */
    bool kept;        /* the block exists under it at the reserved pointer */
};
struct InsertNames {
    std::vector<uint32_t> byindex; /* 1 + the promise's place, 0 for none */
    std::vector<PromisedName> promises;
    DnfpHandleMap *byhandle; /* block header handle -> its reserved pointer */
    bool unnamed;            /* an insert was left for the final pass */
};
InsertNames g_names;

/* The promise about the block at the reserved pointer, made empty when
 * there was none (throws when out of memory). */
PromisedName &promise_at(db_ptr reserved)
{
    const size_t index = MDA_PTR_INDEX(reserved);
    std::vector<uint32_t> &slots = g_names.byindex;
    if (index >= slots.size()) slots.resize(std::max(index + 1, 2 * slots.size()));
    if (!slots[index]) {
        g_names.promises.emplace_back();
        slots[index] = uint32_t(g_names.promises.size());
    }
    return g_names.promises[slots[index] - 1];
}

/* The pointer reserved for the block of the block header with this handle
 * (null for the null handle), as dnfp__GetPtrFromObjHandle gives it. */
int block_pointer(const handle8 *handle, db_ptr *out)
{
    const uint64_t key = dnfp__HandleNumber(handle);
    if (key != 0 && !g_names.byhandle) {
        g_names.byhandle = dnfp__NewHandleMap();
        dnfp__ReserveHandleMap(g_names.byhandle, size_t(adNumBlockheaders(dnfp_g.drawing)));
    }
    int added = 0;
    uint32_t *known =
        key != 0 && g_names.byhandle ? dnfp__HandleMapEnter(g_names.byhandle, key, &added) : nullptr;
    if (known && *known != MDA_NULL_PTR) {
        *out = *known;
        return 0;
    }
    const int status = dnfp__GetPtrFromObjHandle(handle, out);
    if (known && !status) *known = *out;
    return status;
}

/* The name parse_one_block gives the block of the block header called
 * `raw` with this handle, into `bname` (256 bytes); false when that header
 * makes no block. */
bool promised_name(const char *raw, const handle8 *handle, char *bname)
{
    char name[DNFP_NAME_MAX + 1];
    dnfp__CopyName(name, sizeof name, raw);
    char lower[sizeof name];
    memcpy(lower, name, sizeof name);
    adstrlwr(lower);
    if (strcmp(lower, "*model_space") == 0 && !dnfp__MultiPspaces) return false;
    dnfp__CopyName(bname, 256, name[0] ? name : "UNNAMED");
    if (adFileTypeLoaded(dnfp_g.drawing) == AD_FILE_DWG && strcmp(bname, "*Model_Space") != 0) {
        char text[DNFP_HANDLE_TEXT];
        dnfp__HandleText(handle, text);
        char suffix[32];
        dnfp__CopyName(suffix, sizeof suffix, text);
        append_suffix(bname, 256, suffix);
    }
    return true;
}

/* The name the block of this block header (its pointer reserved at
 * `reserved`) will carry, marked as given; null when there is none to
 * promise. */
const char *promise(const handle8 *handle, db_ptr reserved)
{
    try {
        PromisedName &p = promise_at(reserved);
        if (p.name.empty() && !p.given && !p.kept) {
            char bname[256];
            const char *raw = adBlockheaderName(dnfp_g.drawing, handle);
            if (raw && promised_name(raw, handle, bname)) p.name = bname;
        }
        p.given = true;
        return p.name.empty() ? nullptr : p.name.c_str();
    } catch (...) {
        return nullptr;
    }
}

/* Records that the block of the header with this handle now exists at `ptr`
 * under `bname`: a name promised before is kept when it is that one; inserts
 * mapped later (those inside later blocks) are given it. */
void keep_promise(const handle8 *handle, db_ptr ptr, const char *bname)
{
    const db_ptr reserved = dnfp__ObjHandleBeenCreated(handle);
    if (reserved == MDA_NULL_PTR) return;
    try {
        PromisedName &p = promise_at(reserved);
        if (!p.given) p.name = bname;
        p.kept = !p.name.empty() && ptr == reserved && p.name == bname;
    } catch (...) {
        g_names.unnamed = true;
    }
}

/* What one block header's walk collects. */
struct BlockLists {
    OlmList *attdefs;  /* attribute definitions (db_ptr) */
    OlmList *contents; /* entities in file order (db_ptr) */
    OtmTree *paper;    /* paper-space entities, ordered by pointer */
};

/* Reads the entity list of one block into `block` and the lists. The
 * sub-entities of an entity created before (the vertices of a polyline, the
 * attributes of an insert, their SEQEND) belong to that entity and are not
 * listed as contents. */
int read_block_entities(AdEntityList list, dxf_block *block, const BlockLists &lists, bool paper)
{
    dnfp_g.curlist = list;
    adStartEntityGet(list);
    dnfp__ReportToolkitError();
    dnfp__readentity_called = 0;
    for (;;) {
        if (dnfp__readentity_called) {
            dnfp__readentity_called = 0;
        } else if (adGetEntity(list, dnfp_g.enthdr, dnfp_g.entrec) != 1) {
            break;
        }
        const int type = dnfp_g.enthdr->enttype;
        db_ptr ptr = MDA_NULL_PTR;
        int status = 0;
        if (type == AD_ENT_BLOCK) {
            status = dnfp__MapSubent(&block->dxfhdr);
            if (!status) status = dnfp__MapExtEntData(&block->dxfxed, block, 0);
            if (status) return status;
            dnfp__CopyName(block->xref, sizeof block->xref, dnfp_g.entrec->block.xrefpath);
            for (int i = 0; i < 3; ++i) block->xyzloc[i] = dnfp_g.entrec->block.base[i];
            continue;
        }
        dnfp__BlockFlag = 1;
        const db_ptr before = created_before();
        if (before != MDA_NULL_PTR) {
            status = mark_block_contents(before);
            if (type != AD_ENT_VERTEX && type != AD_ENT_ATTRIB && type != AD_ENT_SEQEND) ptr = before;
        } else if (type == AD_ENT_ATTDEF) {
            status = dnfp__ParseAttributeDefinition(&ptr);
        } else if (type != AD_ENT_ENDBLK) {
            status = dnfp__GetEntityData(&ptr);
        }
        if (status) return status;
        if (ptr != MDA_NULL_PTR) {
            const void *added = type == AD_ENT_ATTDEF ? olm_AddObject(0, lists.attdefs, OLM_LAST, &ptr)
                                : paper               ? otm_AddObject(0, lists.paper, &ptr)
                                                      : olm_AddObject(0, lists.contents, OLM_LAST, &ptr);
            if (!added) return mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
        }
        if (type == AD_ENT_ENDBLK) break;
    }
    dnfp__readentity_called = 0;
    return 0;
}

/* Creates the block of one block header (`blkh`, a copy: mapping its
 * entities reuses the mapping state's record buffers). */
int parse_one_block(const AdBlockheader &blkh, const BlockLists &lists)
{
    char name[DNFP_NAME_MAX + 1];
    dnfp__CopyName(name, sizeof name, blkh.name);
    char lower[sizeof name];
    memcpy(lower, name, sizeof name);
    adstrlwr(lower);
    const bool model = strcmp(lower, "*model_space") == 0;
    const bool paper = strcmp(lower, "*paper_space") == 0;
    if (model && !dnfp__MultiPspaces) return 0;

    AdDrawing *d = dnfp_g.drawing;
    void *memory = nullptr;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_block, &memory);
    if (status) return status;
    dxf_block *block = static_cast<dxf_block *>(memory);
    dnfp__CopyName(block->bname, sizeof block->bname, name[0] ? name : "UNNAMED");
    block->bflag = static_cast<signed char>(blkh.flag);
    block->purgedflag = static_cast<char>(blkh.purgedflag);
    block->xrefindex = blkh.xrefindex;
    block->xrefblkisoverlaid = static_cast<char>(blkh.xrefblkisoverlaid);
    if (adFileVersionLoaded(d) >= AD_ACAD2000)
        dnfp__CopyName(block->description, sizeof block->description, blkh.description);
    status = dnfp__GetPtrFromObjHandle(blkh.xdicthandle, &block->xdictionary);

    if (!status && blkh.entitylist && !model)
        status = read_block_entities(blkh.entitylist, block, lists, paper);
    dnfp__BlockFlag = 0;
    db_ptr ptr = MDA_NULL_PTR;
    if (!status) {
        otm_ResetCycle(lists.paper);
        for (const void *p; (p = otm_CycleTree(0, lists.paper)) != nullptr;)
            if (!olm_AddObject(0, lists.contents, OLM_LAST, p)) {
                status = mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
                break;
            }
    }
    if (!status) status = mda_CopyFromOList(0, memory, lists.attdefs, &block->num_attr, &block->att_def);
    if (!status) status = mda_CopyFromOList(0, memory, lists.contents, &block->num_ent, &block->ent_ptr);
    olm_RemoveAll(0, lists.attdefs);
    olm_RemoveAll(0, lists.contents);
    int created = 0;
    if (!status) status = dnfp__CreateEntity(0, blkh.handle, nullptr, memory, &ptr, &created);
    if (!created) {
        mda_FreeEntity(0, memory);
        return status;
    }
    if (status) {
        mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
        return status;
    }

    /* In a DWG file every block's name carries its handle text, so that
     * names are unique; the model space is left out of the block list. */
    if (adFileTypeLoaded(d) == AD_FILE_DWG) {
        if (strcmp(block->bname, "*Model_Space") == 0) return mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
        append_suffix(block->bname, sizeof block->bname, block->dxfsubhdr.handle);
    }
    status = dnfp__DefineBlock(ptr, name, blkh.handle);
    if (!status && dnfp__DNFPFunc) dnfp__DNFPFunc(ptr, memory);
    keep_promise(blkh.handle, ptr, block->bname);
    const int unlocked = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
    return status ? status : unlocked;
}

/* Fills the name of every entity of one type-form from the block its
 * `block_field` designates; a name stays empty when that block was never
 * created (reported when `report`: an insert that names no block at all was
 * reported when it was mapped). */
/* Names of the blocks looked up so far, by pointer ("" for a pointer that
 * designates no block): a drawing of many inserts of few blocks locks each
 * block once, not once per insert. */
typedef std::unordered_map<db_ptr, std::string> BlockNames;

template <class Rec>
int resolve_names(mda_tf tf, db_ptr Rec::*block_field, char (Rec::*name_field)[256], bool report,
                  BlockNames &names)
{
    MdaModelInfo info;
    if (mda_GetModelInfo(mda_GetCurModel(), &info) != 0 || !info.entlist) return 0;
    MdaEntityList *list = info.entlist;
    const int32_t tfi = mda_tf(tf) == DXFI_TF_dxf_insert       ? DXFI_TFI_dxf_insert
                        : mda_tf(tf) == DXFI_TF_dxf_insert_ext ? DXFI_TFI_dxf_insert_ext
                        : mda_tf(tf) == DXFI_TF_dxf_dimension  ? DXFI_TFI_dxf_dimension
                                                               : DXFI_TFI_dxf_dimension_ext;
    if (tfi >= list->ntfi) return 0;
    list->cursor[tfi] = list->first[tfi];
    db_ptr ptr = MDA_NULL_PTR;
    while (mda_CycleEntityList(list, tfi, &ptr) == 0 && ptr != MDA_NULL_PTR) {
        void *memory = nullptr;
        int status = mda_LockEntity(0, ptr, &memory);
        if (status) return status;
        Rec *rec = static_cast<Rec *>(memory);
        char name[256] = "";
        const db_ptr target = rec->*block_field;
        bool found = false;
        const BlockNames::const_iterator known = names.find(target);
        if (known != names.end()) {
            found = !known->second.empty();
            dnfp__CopyName(name, sizeof name, known->second.c_str());
        } else if (target != MDA_NULL_PTR && mda_IsValidDbptr(target)) {
            void *block = nullptr;
            if (mda_LockEntity(0, target, &block) == 0) {
                if (block && MDA_TF_TYPE(static_cast<mda_EntHdr *>(block)->tf) == 200) {
                    dnfp__CopyName(name, sizeof name, static_cast<dxf_block *>(block)->bname);
                    /* a block without a name never is: bname is "UNNAMED" then */
                    found = name[0] != '\0';
                }
                mda_UnlockEntity(0, target);
            }
            try {
                names.emplace(target, name);
            } catch (...) {
                /* without memory each insert looks its block up itself */
            }
        }
        if (!found && report && target != MDA_NULL_PTR)
            mpm__IssueError(0, DNFP_UNDEFINED_BLOCK, MPM_WARNING, rec->dxfsubhdr.handle);
        memcpy(rec->*name_field, name, sizeof name);
        status = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
        if (status) return status;
    }
    return 0;
}

} // namespace

extern "C" {

int dnfp__DispatchBlock(void)
{
    if (adNumBlockheaders(dnfp_g.drawing) < 1) return 0;
    return dnfp__ParseBlock();
}

int dnfp__ParseBlock(void)
{
    AdDrawing *d = dnfp_g.drawing;
    const AdEntityList saved = dnfp_g.curlist;
    BlockLists lists = {olm_CreateList(0, 4, 256, nullptr), olm_CreateList(0, 4, 256, nullptr),
                        otm_CreateTree(0, 4, mda_CompPTRs, nullptr)};
    int status =
        lists.attdefs && lists.contents && lists.paper ? 0 : mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
    /* The block header is copied: mapping its entities reuses the record
     * buffers of the mapping state. */
    AdBlockheader *blkh = static_cast<AdBlockheader *>(malloc(sizeof(AdBlockheader)));
    if (!status && !blkh) status = mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
    if (!status) {
        adStartBlockheaderGet(d);
        dnfp__ReportToolkitError();
        const long count = adNumBlockheaders(d);
        for (long i = 0; i < count && !status; ++i) {
            const int got = adGetBlockheader(d, &dnfp_g.tblrec->blkh);
            dnfp__ReportToolkitError();
            if (!got) break;
            memcpy(blkh, &dnfp_g.tblrec->blkh, sizeof *blkh);
            status = parse_one_block(*blkh, lists);
            /* The tree has no removal: a fresh one for the next block. */
            if (otm_GetCount(lists.paper) > 0) {
                otm_DeleteTree(0, lists.paper);
                lists.paper = otm_CreateTree(0, 4, mda_CompPTRs, nullptr);
                if (!lists.paper && !status) status = mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
            }
        }
    }
    free(blkh);
    if (lists.attdefs) olm_DeleteList(0, lists.attdefs);
    if (lists.contents) olm_DeleteList(0, lists.contents);
    if (lists.paper) otm_DeleteTree(0, lists.paper);
    dnfp__BlockFlag = 0;
    dnfp__readentity_called = 0;
    dnfp_g.curlist = saved;
    return status;
}

int dnfp__DefineBlock(db_ptr block, const char *name, const handle8 *handle)
{
    DnfpBlockRecord record;
    memset(&record, 0, sizeof record);
    record.block = block;
    dnfp__CopyName(record.name, sizeof record.name, name);
    if (adFileTypeLoaded(dnfp_g.drawing) == AD_FILE_DWG) {
        void *memory = nullptr;
        if (mda_LockEntity(0, block, &memory) == 0) {
            if (memory && MDA_TF_TYPE(static_cast<mda_EntHdr *>(memory)->tf) == 200)
                append_suffix(record.name, sizeof record.name,
                              static_cast<dxf_block *>(memory)->dxfsubhdr.handle);
            mda_UnlockEntity(0, block);
        }
    }
    dnfp__HandleText(handle, record.handle);
    /* The list starts with blocks of one record; its blocks double so that
     * 20,000 block definitions cost 15 allocations, not 20,000. */
    olm_GrowBlockFactor(dnfp__BlockList);
    if (!olm_AddObject(0, dnfp__BlockList, OLM_LAST, &record))
        return mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
    return 0;
}

int dnfp__ParseInsert(db_ptr *out)
{
    *out = MDA_NULL_PTR;
    OlmList *attributes = nullptr; /* made for the first attribute instance */
    void *memory = nullptr;
    int created = 0;
    /* The block's slot in the block headers' map, met in scattered order,
     * is fetched while the insert is filled. */
    dnfp__HandleMapPrefetch(g_names.byhandle, dnfp__HandleNumber(dnfp_g.entrec->insert.blockheaderhandle));
    int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_insert, &memory);
    if (!status) {
        dxf_insert *e = static_cast<dxf_insert *>(memory);
        const AdEntInsert r = dnfp_g.entrec->insert;
        handle8 handle[8];
        memcpy(handle, dnfp_g.enthdr->handle, sizeof handle);
        dnfp__HandleText(r.blockheaderhandle, e->name);
        status = dnfp__MapSubent(&e->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&e->dxfxed, memory, 0);
        for (int i = 0; i < 3; ++i) e->xyzloc[i] = r.pt0[i];
        e->xscale = r.xscale;
        e->yscale = r.yscale;
        e->zscale = r.zscale;
        e->rang = DNFP_DEGREES(r.rotang);
        e->ccount = r.numcols;
        e->cspace = r.colspacing;
        e->rcount = r.numrows;
        e->rspace = r.rowspacing;
        e->attr_flag = r.attribsfollow;
        e->num_attr = 0;
        e->att_inst = MDA_NULL_REF;
        if (!status) status = block_pointer(r.blockheaderhandle, &e->block);
        if (!status && e->block == MDA_NULL_PTR) {
            e->name[0] = '\0';
            char text[DNFP_HANDLE_TEXT];
            dnfp__HandleText(handle, text);
            mpm__IssueError(0, DNFP_UNDEFINED_BLOCK, MPM_WARNING, text);
        } else if (!status) {
            const char *name = promise(r.blockheaderhandle, e->block);
            if (name)
                dnfp__CopyName(e->name, sizeof e->name, name);
            else
                g_names.unnamed = true;
        }
        const long rows = r.numrows > 1 ? r.numrows : 1, columns = r.numcols > 1 ? r.numcols : 1;
        if (!status && rows * columns > DNFP_MAX_INSERT_COPIES) {
            char text[DNFP_HANDLE_TEXT];
            dnfp__HandleText(handle, text);
            mpm__IssueError(0, DNFP_ARRAY_CAPPED, MPM_WARNING, text, rows * columns,
                            long(DNFP_MAX_INSERT_COPIES));
        }

        /* The attribute instances that follow; the first other entity
         * (normally the SEQEND) is left in the buffers for the walk. */
        if (!status && r.attribsfollow && dnfp_g.curlist) {
            while (adGetEntity(dnfp_g.curlist, dnfp_g.enthdr, dnfp_g.entrec) == 1) {
                if (dnfp_g.enthdr->enttype != AD_ENT_ATTRIB) {
                    dnfp__readentity_called = 1;
                    break;
                }
                db_ptr attribute = MDA_NULL_PTR;
                status = dnfp__ParseAttributeInstance(&attribute);
                if (status) break;
                if (attribute == MDA_NULL_PTR) continue;
                if (!attributes) attributes = olm_CreateList(0, 4, 16, nullptr);
                if (!attributes || !olm_AddObject(0, attributes, OLM_LAST, &attribute)) {
                    status = mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
                    break;
                }
            }
        }
        if (!status && attributes)
            status = mda_CopyFromOList(0, memory, attributes, &e->num_attr, &e->att_inst);
        if (!status && e->dxfhdr.thickness != 0.0) status = mda_SetTF(memory, DXFI_TF_dxf_insert_ext);
        if (!status) status = dnfp__CreateEntity(0, handle, nullptr, memory, out, &created);
    }
    if (attributes) olm_DeleteList(0, attributes);
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

int dnfp__ResolveInsertBlockName(int option)
{
    (void)option;
    bool kept = !g_names.unnamed;
    for (const PromisedName &promised : g_names.promises)
        if (promised.given && !promised.kept) kept = false;
    dnfp__ForgetInsertNames();
    BlockNames names;
    int status = 0;
    if (!kept) {
        status =
            resolve_names<dxf_insert>(DXFI_TF_dxf_insert, &dxf_insert::block, &dxf_insert::name, true, names);
        if (!status)
            status = resolve_names<dxf_insert>(DXFI_TF_dxf_insert_ext, &dxf_insert::block, &dxf_insert::name,
                                               true, names);
    }
    if (!status)
        status = resolve_names<dxf_dimension>(DXFI_TF_dxf_dimension, &dxf_dimension::block,
                                              &dxf_dimension::bname, false, names);
    if (!status)
        status = resolve_names<dxf_dimension>(DXFI_TF_dxf_dimension_ext, &dxf_dimension::block,
                                              &dxf_dimension::bname, false, names);
    return status;
}

void dnfp__ForgetInsertNames(void)
{
    InsertNames none;
    std::swap(g_names.byindex, none.byindex);
    std::swap(g_names.promises, none.promises);
    dnfp__FreeHandleMap(g_names.byhandle);
    g_names.byhandle = nullptr;
    g_names.unnamed = false;
}

} // extern "C"
