/* The mappers of the ACIS-based entities REGION, BODY and 3DSOLID: the
 * entity keeps the text lines of its ACIS data, each in a 512-byte slot (at
 * most 511 characters), the last one ending in a line feed. The toolkit's
 * record carries no location, so xyzloc is the origin. These entities have
 * no extruded form. */
#include "dnfp/dnfp_int.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

constexpr long kSlot = 512;

/* Number of lines the blob holds (counting stops at the first empty one). */
int32_t count_lines(AdBlob *blob)
{
    AdBlobCursor *reader = adStartBlobRead(blob);
    if (!reader) return 0;
    char line[kSlot];
    int32_t n = 0;
    int more = 0;
    while (adReadAcisStringn(reader, line, kSlot - 1, &more) > 0) ++n;
    adEndBlobRead(reader);
    return n;
}

int read_acis(dxf_3dsolid *s, AdBlob *blob, bool *opened)
{
    AdBlobCursor *reader = adStartBlobRead(blob);
    dnfp__ReportToolkitError();
    *opened = reader != nullptr;
    if (!reader) return 0;
    adEndBlobRead(reader);
    dnfp__ReportToolkitError();

    const int32_t n = count_lines(blob);
    if (n <= 0) return 0;
    int status = mda_Malloc(0, s, size_t(n) * size_t(kSlot), &s->text);
    if (status) return status;
    s->numline = n;
    char *text = static_cast<char *>(mda_Deref(s->text));
    reader = adStartBlobRead(blob);
    dnfp__ReportToolkitError();
    int more = 0;
    for (int32_t i = 0; reader && i < n; ++i) {
        char *slot = text + size_t(i) * size_t(kSlot);
        long got = adReadAcisStringn(reader, slot, kSlot - 1, &more);
        slot[got > 0 ? got : 0] = '\0';
    }
    if (reader) adEndBlobRead(reader);
    dnfp__ReportToolkitError();
    char *last = text + size_t(n - 1) * size_t(kSlot);
    size_t len = strlen(last);
    if (len >= size_t(kSlot - 2)) len -= 2;
    last[len] = '\n';
    last[len + 1] = '\0';
    return 0;
}

int map_acis(mda_tf tf, const char *type_name, db_ptr *out)
{
    static_assert(sizeof(dxf_3dsolid) == sizeof(dxf_region) && sizeof(dxf_3dsolid) == sizeof(dxf_body),
                  "the ACIS entities share one layout");
    *out = MDA_NULL_PTR;
    void *memory = nullptr;
    int created = 0;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), tf, &memory);
    if (!status) {
        dxf_3dsolid *s = static_cast<dxf_3dsolid *>(memory);
        status = dnfp__MapSubent(&s->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&s->dxfxed, memory, 0);
        bool opened = false;
        if (!status) status = read_acis(s, dnfp_g.entrec->acis.acisblob, &opened);
        if (!status && !opened) {
            char handle[DNFP_HANDLE_TEXT];
            dnfp__HandleText(dnfp_g.enthdr->handle, handle);
            mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, type_name, handle);
        }
        if (!status) status = dnfp__CreateEntity(0, dnfp_g.enthdr->handle, nullptr, memory, out, &created);
    }
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

} // namespace

extern "C" {

int dnfp__ParseRegion(db_ptr *out) { return map_acis(DXFI_TF_dxf_region, "REGION", out); }

int dnfp__ParseBody(db_ptr *out) { return map_acis(DXFI_TF_dxf_body, "BODY", out); }

int dnfp__Parse3DSolid(db_ptr *out) { return map_acis(DXFI_TF_dxf_3dsolid, "3DSOLID", out); }

int dnfp__ReadAcisLines(dxf_3dsolid *solid, AdBlob *blob, int *opened)
{
    bool open = false;
    const int status = read_acis(solid, blob, &open);
    *opened = open ? 1 : 0;
    return status;
}

} // extern "C"
