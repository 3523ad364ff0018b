/* The parts every entity shares: the common entity header (dxfhdr), filled
 * from the toolkit's entity header, and the extended entity data (dxfxed),
 * read from a record's extended-data blob.
 *
 * Extended data is a sequence of items; each application's items start with
 * a 1001 item naming it (by the handle of its registered application). The
 * blob is read twice: once to count the applications that are kept (all, or
 * only "ACAD" ones under the ACAD-only option), once to collect each kept
 * application's items into arrays that belong to the owning record. Name
 * lookups go through a scratch record of this file, so that they never
 * disturb the table record a caller is working on. */
#include "dnfp/dnfp_int.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

AdTableRecord g_scratch;

/* The name and pointer of the last layer and the last linetype looked up:
 * entities mostly come in runs on one layer and linetype, and a handle's
 * pointer does not change during a parse. */
struct NameCache {
    bool valid;
    bool found;
    AdObjhandle handle;
    char name[DNFP_NAME_MAX + 1];
    bool has_ptr;
    db_ptr ptr;
};
NameCache g_layer, g_linetype;

/* The name of the table entry a handle designates, through the cache;
 * false when there is none (the toolkit's error is then cleared). */
template <class Rec>
bool cached_name(NameCache &cache, const unsigned char *handle,
                 int (*seek)(AdDrawing *, const unsigned char *, Rec *), Rec *record)
{
    if (cache.valid && memcmp(cache.handle, handle, sizeof cache.handle) == 0) return cache.found;
    cache.valid = true;
    cache.has_ptr = false;
    memcpy(cache.handle, handle, sizeof cache.handle);
    cache.found = !adObjhandleIsNull(handle) && seek(dnfp_g.drawing, handle, record);
    if (cache.found)
        dnfp__CopyName(cache.name, sizeof cache.name, record->name);
    else
        adErrorClear();
    return cache.found;
}

/* Name of a registered application, "" when its handle is unknown. */
void app_name(const handle8 *handle, char *name, size_t size)
{
    if (adSeekRegapp(dnfp_g.drawing, handle, &g_scratch.app)) {
        dnfp__CopyName(name, size, g_scratch.app.name);
    } else {
        adErrorClear();
        name[0] = '\0';
    }
}

bool retained(const char *name) { return !dnfp__OnlyAcadXdata || strcmp(name, "ACAD") == 0; }

/* Converts the collected items into the xdata array of one application. */
int convert_items(OlmList *items, dxfxed_appxdata *app, void *owner)
{
    const int n = olm_GetCount(items);
    app->ngroups = n;
    if (n == 0) return 0;
    int status = mda_Malloc(0, owner, size_t(n) * sizeof(dxfxed_appxdata_xdata), &app->xdata);
    if (status) return status;
    dxfxed_appxdata_xdata *out = static_cast<dxfxed_appxdata_xdata *>(mda_Deref(app->xdata));
    olm_ResetCycle(items);
    for (int i = 0; i < n; ++i) {
        const AdXdataItem *item = static_cast<const AdXdataItem *>(olm_CycleList(0, items));
        if (!item) break;
        dxfxed_appxdata_xdata &x = out[i];
        x.gc = item->code;
        switch (item->code) {
        case 1070:
            x.gc_data.selector = DXFXED_GC_DATA_IVAL;
            x.gc_data.ival = item->v.i16;
            break;
        case 1071:
            x.gc_data.selector = DXFXED_GC_DATA_LVAL;
            x.gc_data.lval = item->v.i32;
            break;
        case 1040:
        case 1041:
        case 1042:
            x.gc_data.selector = DXFXED_GC_DATA_FVAL;
            x.gc_data.fval = item->v.real;
            break;
        case 1000:
        case 1004: {
            size_t len = item->code == 1000
                             ? strnlen(item->v.str, sizeof item->v.str - 1)
                             : (item->length < sizeof item->v.bytes ? item->length : sizeof item->v.bytes);
            x.gc_data.selector = DXFXED_GC_DATA_TVAL;
            status = mda_Malloc(0, owner, (len + 1) * 4, &x.gc_data.tval);
            if (status) return status;
            char *text = static_cast<char *>(mda_Deref(x.gc_data.tval));
            memcpy(text, item->v.str, len);
            text[len] = '\0';
            break;
        }
        case 1002: {
            x.gc_data.selector = DXFXED_GC_DATA_TVAL;
            status = mda_Malloc(0, owner, 8, &x.gc_data.tval);
            if (status) return status;
            char *text = static_cast<char *>(mda_Deref(x.gc_data.tval));
            text[0] = item->v.brace == 0 ? '{' : '}';
            text[1] = '\0';
            break;
        }
        case 1003:
        case 1005:
            x.gc_data.selector = DXFXED_GC_DATA_PVAL;
            status = dnfp__GetPtrFromObjHandle(item->v.handle, &x.gc_data.pval);
            if (status) return status;
            break;
        case 1010:
        case 1011:
        case 1012:
        case 1013:
            x.gc_data.selector = DXFXED_GC_DATA_PNT;
            memcpy(x.gc_data.pnt, item->v.pt, sizeof x.gc_data.pnt);
            break;
        default: break;
        }
    }
    return 0;
}

/* The counting pass over an open reader: the number of kept applications,
 * -1 when the data does not start with an application name. */
int count_applications(AdBlobCursor *reader)
{
    AdXdataItem *item = dnfp_g.xditem;
    if (!adReadExtendeddata(reader, item)) return 0;
    if (item->code != 1001) return -1;
    int count = 0;
    do {
        if (item->code != 1001) continue;
        char name[256];
        app_name(item->v.handle, name, sizeof name);
        if (retained(name)) ++count;
    } while (adReadExtendeddata(reader, item));
    return count;
}

/* The pointer of the cached handle (cached_name was called for it). */
int cached_ptr(NameCache &cache, const unsigned char *handle, db_ptr *out)
{
    if (cache.has_ptr) {
        *out = cache.ptr;
        return 0;
    }
    int status = dnfp__GetPtrFromObjHandle(handle, out);
    if (!status) {
        cache.ptr = *out;
        cache.has_ptr = true;
    }
    return status;
}

} // namespace

extern "C" {

void dnfp__ForgetNames(void)
{
    g_layer.valid = false;
    g_linetype.valid = false;
}

int dnfp__MapSubent(dxfhdr *h)
{
    const AdEntityHeader *e = dnfp_g.enthdr;
    if (cached_name(g_linetype, e->ltypehandle, adSeekLinetype, &g_scratch.ltype))
        strcpy(h->line_type, g_linetype.name);
    else
        strcpy(h->line_type, "CONTIUOUS");
    if (cached_name(g_layer, e->layerhandle, adSeekLayer, &g_scratch.layer))
        strcpy(h->lay_name, g_layer.name);
    else
        strcpy(h->lay_name, "0");
    h->elevation = 0.0;
    h->thickness = e->thickness;
    h->ltype_scale = e->ltscale;
    h->lineweight = double(e->lineweight);
    h->color = e->color;
    h->space = (e->flags & AD_EHF_PAPERSPACE) ? 1 : 0;
    h->visibility = (e->flags & AD_EHF_INVISIBLE) ? 1 : 0;
    memcpy(h->extrusion, e->extrusion, sizeof h->extrusion);
    h->block_flag = char(dnfp__BlockFlag);
    h->entflags = char(e->flags);
    int status = cached_ptr(g_layer, e->layerhandle, &h->entlayerobjhandle);
    if (!status) status = cached_ptr(g_linetype, e->ltypehandle, &h->entltypeobjhandle);
    return status;
}

int dnfp__MapExtEntData(dxfxed *xed, void *owner, int table_entry)
{
    xed->napps = 0;
    xed->appxdata = MDA_NULL_REF;
    if (adFileVersionLoaded(dnfp_g.drawing) >= AD_ACAD11 && dnfp_g.enthdr->xdblob)
        return dnfp__ReadExtEntData(dnfp_g.enthdr->xdblob, xed, owner, table_entry);
    return 0;
}

int dnfp__ReadExtEntData(AdBlob *blob, dxfxed *xed, void *owner, int table_entry)
{
    xed->napps = 0;
    xed->appxdata = MDA_NULL_REF;
    AdBlobCursor *reader = adStartBlobRead(blob);
    dnfp__ReportToolkitError();
    if (!reader) {
        mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, "XDATA", " ");
        return 0;
    }
    const int count = count_applications(reader);
    adEndBlobRead(reader);
    if (count < 0) {
        mpm__IssueError(0, DNFP_INVALID_XDATA_APPID, MPM_ERROR);
        return 0;
    }
    if (count == 0) return 0;
    int status = mda_Malloc(0, owner, size_t(count) * sizeof(dxfxed_appxdata), &xed->appxdata);
    if (status) return status;
    xed->napps = count;
    dxfxed_appxdata *apps = static_cast<dxfxed_appxdata *>(mda_Deref(xed->appxdata));

    OlmList *items = olm_CreateList(0, int(sizeof(AdXdataItem)), 16, nullptr);
    if (!items) return mpm_GetLastError();
    reader = adStartBlobRead(blob);
    dnfp__ReportToolkitError();
    AdXdataItem *item = dnfp_g.xditem;
    int stored = 0;
    char name[256] = "";
    bool pending = false;
    while (!status && reader && adReadExtendeddata(reader, item)) {
        if (item->code != 1001) {
            if (pending && !olm_AddObject(0, items, OLM_LAST, item)) status = mpm_GetLastError();
            continue;
        }
        if (pending && stored < count && retained(name)) {
            dnfp__CopyName(apps[stored].appid, sizeof apps[stored].appid, name);
            apps[stored].table_entry = table_entry;
            status = convert_items(items, &apps[stored], owner);
            ++stored;
        }
        olm_RemoveAll(0, items);
        app_name(item->v.handle, name, sizeof name);
        pending = true;
    }
    if (!status && pending && stored < count && retained(name)) {
        dnfp__CopyName(apps[stored].appid, sizeof apps[stored].appid, name);
        apps[stored].table_entry = table_entry;
        if (olm_GetCount(items) > 0) status = convert_items(items, &apps[stored], owner);
        ++stored;
    }
    if (reader) adEndBlobRead(reader);
    olm_DeleteList(0, items);
    return status;
}

} // extern "C"
