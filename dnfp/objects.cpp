/* The objects section: dictionaries (the first one met is the main
 * dictionary), dictionaries with a default, groups, multiline styles,
 * layouts, and every other object as an unsupported object that keeps only
 * its back pointers. Each object is created under its handle, so entities
 * and objects that refer to it (an entity's extension dictionary, a group's
 * members, a dictionary's entries) share its pointer whichever is mapped
 * first. After the walk each group takes its name from the dictionary entry
 * that designates it.
 *
 * Pointer lists come from blobs whose counts are checked against the bytes
 * the blob holds before anything is allocated; a damaged blob leaves the
 * list with the entries read whole, and an INCOMPLETE_DATA warning. */
#include "dnfp/dnfp_int.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

/* The object header's handle, as text. */
void object_handle_text(char *text) { dnfp__HandleText(dnfp_g.objhdr.handle, text); }

void incomplete(const char *what)
{
    char handle[DNFP_HANDLE_TEXT];
    object_handle_text(handle);
    mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, what, handle);
}

/* Reads `count` 8-byte handles from `blob` into a new pointer array of the
 * record; `what` names the list in the warning when the blob falls short. */
int read_handles(void *owner, AdBlob *blob, long count, int32_t *out_count, mda_ref *out, const char *what)
{
    *out_count = 0;
    *out = MDA_NULL_REF;
    if (count <= 0) return 0;
    AdBlobCursor *reader = blob ? adStartBlobRead(blob) : nullptr;
    if (blob) dnfp__ReportToolkitError();
    if (!reader) {
        incomplete(what);
        return 0;
    }
    const long held = (adBlobSize(blob) - adBlobTell(reader)) / 8;
    if (count > held) {
        incomplete(what);
        count = held;
    }
    int status = 0;
    if (count > 0) status = mda_Malloc(0, owner, size_t(count) * sizeof(db_ptr), out);
    db_ptr *ptrs = status ? nullptr : static_cast<db_ptr *>(mda_Deref(*out));
    for (long i = 0; ptrs && i < count && !status; ++i) {
        handle8 handle[8];
        if (!adReadBlobObjhandle(reader, handle)) break;
        status = dnfp__GetPtrFromObjHandle(handle, &ptrs[i]);
        if (!status) *out_count = int32_t(i + 1);
    }
    adEndBlobRead(reader);
    return status;
}

/* The back pointers (reactors) of the object being mapped. */
int read_back_pointers(void *owner, int32_t *count, mda_ref *out, const char *what)
{
    return read_handles(owner, dnfp_g.objhdr.reactorblob, dnfp_g.objhdr.numreactors, count, out, what);
}

/* Dictionary entries, {name, pointer} of 260 bytes each, from the item
 * blob of the dictionary record. */
template <class Entry> int read_entries(void *owner, int32_t *out_count, mda_ref *out, const char *what)
{
    static_assert(sizeof(Entry) == 260, "dictionary entries are 260 bytes");
    const AdObjDictionary &r = dnfp_g.objrec.dict;
    *out_count = 0;
    *out = MDA_NULL_REF;
    if (r.numitems <= 0) return 0;
    AdBlobCursor *reader = r.itemblob ? adStartBlobRead(r.itemblob) : nullptr;
    if (r.itemblob) dnfp__ReportToolkitError();
    if (!reader) {
        incomplete(what);
        return 0;
    }
    /* an item is at least its name's terminator and its handle */
    long count = r.numitems;
    const long held = (adBlobSize(r.itemblob) - adBlobTell(reader)) / 9;
    if (count > held) {
        incomplete(what);
        count = held;
    }
    int status = count > 0 ? mda_Malloc(0, owner, size_t(count) * sizeof(Entry), out) : 0;
    Entry *entries = status || count <= 0 ? nullptr : static_cast<Entry *>(mda_Deref(*out));
    for (long i = 0; entries && i < count && !status; ++i) {
        handle8 handle[8];
        if (!adReadDicItem(reader, entries[i].entry_desc, sizeof entries[i].entry_desc, handle)) {
            incomplete(what);
            break;
        }
        status = dnfp__GetPtrFromObjHandle(handle, &entries[i].obj_ptr);
        if (!status) *out_count = int32_t(i + 1);
    }
    adEndBlobRead(reader);
    return status;
}

/* The object mapper pattern: allocate, extended data (from release 13 on),
 * the type's own fields, creation under the object's handle, callback and
 * unlock. */
template <class Rec, class Fill> int map_object(mda_tf tf, Fill fill)
{
    void *memory = nullptr;
    db_ptr ptr = MDA_NULL_PTR;
    int created = 0;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), tf, &memory);
    if (!status) {
        Rec *r = static_cast<Rec *>(memory);
        if (adFileVersionLoaded(dnfp_g.drawing) >= AD_ACAD13 && dnfp_g.objhdr.xdblob)
            status = dnfp__ReadExtEntData(dnfp_g.objhdr.xdblob, &r->dxfxed, memory, 0);
        if (!status) status = fill(r, dnfp_g.objrec);
        if (!status)
            status = dnfp__CreateEntity(0, dnfp_g.objhdr.handle, dnfp_g.objhdr.ownerhandle, memory, &ptr,
                                        &created);
    }
    return dnfp__FinishEntity(status, memory, &ptr, created, __FILE__, __LINE__);
}

/* The pointer of the linetype entry at `index` in the model's linetype
 * table, or 0 for BYLAYER (32767), BYBLOCK (32766), an unknown linetype
 * (-1) and any index past the table. The toolkit counts the index from 0 in
 * the order of its linetype list, which is the order of the table's
 * entries. */
db_ptr linetype_at(int index)
{
    MdaModelInfo info;
    if (index < 0 || mda_GetModelInfo(mda_GetCurModel(), &info) != 0 || !info.entlist ||
        DXFI_TFI_dxf_line_type_table >= info.entlist->ntfi)
        return MDA_NULL_PTR;
    const db_ptr table = info.entlist->first[DXFI_TFI_dxf_line_type_table];
    void *memory = nullptr;
    if (table == MDA_NULL_PTR || mda_LockEntity(0, table, &memory) != 0) return MDA_NULL_PTR;
    db_ptr found = MDA_NULL_PTR;
    const dxf_line_type_table *t = static_cast<const dxf_line_type_table *>(memory);
    if (t && index < t->num_entries && t->table_data != MDA_NULL_REF)
        found = static_cast<const db_ptr *>(mda_Deref(t->table_data))[index];
    mda_UnlockEntity(0, table);
    return found;
}

/* Element of the group-name tree: the entry's pointer first (the key of
 * dnfp__CompGrpIDs), then its name. */
struct GroupName {
    db_ptr ptr;
    char name[256];
};
static_assert(sizeof(GroupName) == 260, "group-name elements are 260 bytes");

/* Every group takes the name of the dictionary entry that designates it. */
int name_groups(void)
{
    MdaModelInfo info;
    if (mda_GetModelInfo(mda_GetCurModel(), &info) != 0 || !info.entlist) return 0;
    MdaEntityList *list = info.entlist;
    if (DXFI_TFI_dxf_dictionary_object >= list->ntfi || DXFI_TFI_dxf_group_object >= list->ntfi) return 0;
    if (list->first[DXFI_TFI_dxf_group_object] == MDA_NULL_PTR) return 0;
    OtmTree *names = otm_CreateTree(0, int(sizeof(GroupName)), dnfp__CompGrpIDs, nullptr);
    if (!names) return mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
    int status = 0;
    db_ptr ptr = MDA_NULL_PTR;
    list->cursor[DXFI_TFI_dxf_dictionary_object] = list->first[DXFI_TFI_dxf_dictionary_object];
    while (!status && mda_CycleEntityList(list, DXFI_TFI_dxf_dictionary_object, &ptr) == 0 && ptr) {
        void *memory = nullptr;
        status = mda_LockEntity(0, ptr, &memory);
        if (status) break;
        const dxf_dictionary_object *d = static_cast<const dxf_dictionary_object *>(memory);
        const dxf_dictionary_object_soft_ptr *entries =
            d->soft_ptr ? static_cast<const dxf_dictionary_object_soft_ptr *>(mda_Deref(d->soft_ptr))
                        : nullptr;
        for (int32_t i = 0; entries && i < d->num_soft_ptr; ++i) {
            GroupName g;
            memset(&g, 0, sizeof g);
            g.ptr = entries[i].obj_ptr;
            dnfp__CopyName(g.name, sizeof g.name, entries[i].entry_desc);
            if (!otm_AddObject(0, names, &g)) {
                status = mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
                break;
            }
        }
        mda_UnlockEntity(0, ptr);
    }
    list->cursor[DXFI_TFI_dxf_group_object] = list->first[DXFI_TFI_dxf_group_object];
    while (!status && mda_CycleEntityList(list, DXFI_TFI_dxf_group_object, &ptr) == 0 && ptr) {
        void *memory = nullptr;
        status = mda_LockEntity(0, ptr, &memory);
        if (status) break;
        dxf_group_object *g = static_cast<dxf_group_object *>(memory);
        GroupName key;
        key.ptr = ptr;
        const GroupName *found = static_cast<const GroupName *>(otm_GetObject(OTM_SILENT, names, &key));
        dnfp__CopyName(g->name, sizeof g->name, found ? found->name : "");
        status = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
    }
    otm_DeleteTree(0, names);
    return status;
}

} // namespace

extern "C" {

int dnfp__ParseMainDictionaryObject(void)
{
    return map_object<dxf_main_dictionary_object>(
        DXFI_TF_dxf_main_dictionary_object, [](dxf_main_dictionary_object *o, const AdObjectRecord &r) {
            o->hardownerflag = r.dict.hardowner;
            o->cloningflag = r.dict.cloning;
            return read_entries<dxf_main_dictionary_object_soft_ptr>(o, &o->num_soft_ptr, &o->soft_ptr,
                                                                     "MAIN DICTIONARY");
        });
}

int dnfp__ParseDictionaryObject(void)
{
    return map_object<dxf_dictionary_object>(DXFI_TF_dxf_dictionary_object, [](dxf_dictionary_object *o,
                                                                               const AdObjectRecord &r) {
        o->hardownerflag = r.dict.hardowner;
        o->cloningflag = r.dict.cloning;
        int status = read_entries<dxf_dictionary_object_soft_ptr>(o, &o->num_soft_ptr, &o->soft_ptr,
                                                                  "DICTIONARY SOFT PTRS");
        if (!status)
            status =
                read_back_pointers(o, &o->num_soft_back_ptr, &o->soft_back_ptr, "DICTIONARY SOFT BACK PTRS");
        return status;
    });
}

int dnfp__ParseDictionarywdfltObj(void)
{
    return map_object<dxf_dictionarywdflt_object>(
        DXFI_TF_dxf_dictionarywdflt_object, [](dxf_dictionarywdflt_object *o, const AdObjectRecord &r) {
            o->cloningflag = r.dict.cloning;
            int status = dnfp__GetPtrFromObjHandle(r.dict.defaulthandle, &o->default_obj_ptr);
            if (!status)
                status = read_entries<dxf_dictionarywdflt_object_soft_ptr>(o, &o->num_soft_ptr, &o->soft_ptr,
                                                                           "DICTIONARYWDFLT SOFT PTRS");
            if (!status)
                status = read_back_pointers(o, &o->num_soft_back_ptr, &o->soft_back_ptr,
                                            "DICTIONARYWDFLT SOFT BACK PTRS");
            return status;
        });
}

int dnfp__ParseGroupObject(void)
{
    return map_object<dxf_group_object>(DXFI_TF_dxf_group_object, [](dxf_group_object *o,
                                                                     const AdObjectRecord &r) {
        dnfp__CopyName(o->description, sizeof o->description, r.group.description);
        o->name_flag = r.group.unnamed;
        o->select_flag = r.group.selectable;
        int status = read_handles(o, r.group.entityblob, r.group.numentities, &o->num_ent, &o->group_ent,
                                  "GROUP ENTITY");
        if (!status)
            status = read_back_pointers(o, &o->num_soft_back_ptr, &o->soft_back_ptr, "GROUP SOFT BACK PTRS");
        return status;
    });
}

int dnfp__ParseMlineStyleObject(void)
{
    return map_object<dxf_mlinestyle_object>(
        DXFI_TF_dxf_mlinestyle_object, [](dxf_mlinestyle_object *o, const AdObjectRecord &rec) {
            const AdObjMlinestyle &r = rec.mlstyle;
            dnfp__CopyName(o->name, sizeof o->name, r.name);
            dnfp__CopyName(o->description, sizeof o->description, r.description);
            o->start_ang = DNFP_DEGREES(r.startang);
            o->end_ang = DNFP_DEGREES(r.endang);
            o->color = r.fillcolor;
            o->attflag = r.flags;
            int status = 0;
            long count = r.numelements > 0 ? r.numelements : 0;
            AdBlobCursor *reader = count > 0 && r.elementblob ? adStartBlobRead(r.elementblob) : nullptr;
            if (count > 0 && r.elementblob) dnfp__ReportToolkitError();
            if (count > 0 && !reader) {
                incomplete("MLINE STYLE (elements)");
                count = 0;
            }
            /* an element: its offset, colour and linetype index */
            const long held = reader ? (adBlobSize(r.elementblob) - adBlobTell(reader)) / 12 : 0;
            if (count > held) {
                incomplete("MLINE STYLE (elements)");
                count = held;
            }
            if (count > 0)
                status = mda_Malloc(0, o, size_t(count) * sizeof(dxf_mlinestyle_object_element), &o->element);
            dxf_mlinestyle_object_element *elements =
                status || count <= 0 ? nullptr
                                     : static_cast<dxf_mlinestyle_object_element *>(mda_Deref(o->element));
            for (long i = 0; elements && i < count; ++i) {
                AdMlstyleSeginfo seg;
                if (!adReadMlstyleSeginfo(reader, &seg)) break;
                elements[i].elm_offset = seg.offset;
                elements[i].elm_color = seg.color;
                elements[i].ltype = linetype_at(seg.ltypeindex);
                o->num_elm = int32_t(i + 1);
            }
            o->linesinstyle = o->num_elm;
            if (reader) adEndBlobRead(reader);
            if (!status)
                status = read_back_pointers(o, &o->num_soft_back_ptr, &o->soft_back_ptr,
                                            "MLINE STYLE (soft back ptr)");
            return status;
        });
}

int dnfp__ParseLayoutObject(void)
{
    return map_object<dxf_layout_object>(
        DXFI_TF_dxf_layout_object, [](dxf_layout_object *o, const AdObjectRecord &rec) {
            const AdObjLayout &r = rec.layout;
            dnfp__CopyName(o->name, sizeof o->name, r.name);
            o->flag = r.flag;
            o->taborder = r.taborder;
            memcpy(o->limmin, r.limmin, sizeof o->limmin);
            memcpy(o->limmax, r.limmax, sizeof o->limmax);
            memcpy(o->inspt, r.inspt, sizeof o->inspt);
            memcpy(o->extmin, r.extmin, sizeof o->extmin);
            memcpy(o->extmax, r.extmax, sizeof o->extmax);
            o->elevation = r.elevation;
            memcpy(o->ucsorg, r.ucsorg, sizeof o->ucsorg);
            memcpy(o->ucsxdir, r.ucsxdir, sizeof o->ucsxdir);
            memcpy(o->ucsydir, r.ucsydir, sizeof o->ucsydir);
            o->orthotype = r.orthotype;
            int status = dnfp__GetPtrFromObjHandle(r.blockheaderhandle, &o->pspaceblock);
            if (!status) status = dnfp__GetPtrFromObjHandle(r.lastvporthandle, &o->lastvport);
            if (!status) status = dnfp__GetPtrFromObjHandle(r.ucshandle, &o->ucsobjhandle);
            if (!status) status = dnfp__GetPtrFromObjHandle(r.baseucshandle, &o->baseucsobjhandle);
            return status;
        });
}

int dnfp__ParseUnsupportedObject(void)
{
    return map_object<dxf_unsupported_object>(
        DXFI_TF_dxf_unsupported_object, [](dxf_unsupported_object *o, const AdObjectRecord &) {
            return read_back_pointers(o, &o->num_soft_back_ptr, &o->soft_back_ptr,
                                      "UNSUPPORTED OBJECT SOFT BACK PTRS");
        });
}

int dnfp__DispatchObject(unsigned options)
{
    (void)options;
    AdDrawing *d = dnfp_g.drawing;
    const int wdflt = adDictionarywdfltObjtype(d), layout = adLayoutObjtype(d);
    adStartObjectGet(d);
    dnfp__ReportToolkitError();
    bool main_seen = false;
    int status = 0;
    while (!status && adGetObject(d, &dnfp_g.objhdr, &dnfp_g.objrec)) {
        const int type = dnfp_g.objhdr.objtype;
        if (type == AD_OBJ_DICTIONARY) {
            status = main_seen ? dnfp__ParseDictionaryObject() : dnfp__ParseMainDictionaryObject();
            main_seen = true;
        } else if (type == AD_OBJ_MLINESTYLE) {
            status = dnfp__ParseMlineStyleObject();
        } else if (type == AD_OBJ_GROUP) {
            status = dnfp__ParseGroupObject();
        } else if (wdflt != 0 && type == wdflt) {
            status = dnfp__ParseDictionarywdfltObj();
        } else if (layout != 0 && type == layout) {
            status = dnfp__ParseLayoutObject();
        } else {
            status = dnfp__ParseUnsupportedObject();
        }
    }
    dnfp__ReportToolkitError();
    if (!status) status = name_groups();
    return status;
}

} // extern "C"
