/* How the message formatter prints model objects: the origin of an entity
 * for %<OrigDesc> (its type name and, in a DXF model, its handle) and the
 * entity counts of the current model for %<ModelList>. These run while a
 * message is being formatted, so they neither lock entities nor touch the
 * cache: the handle is read from the record in memory or straight from the
 * stored copy. */
#include <cstring>

#include "kernel/fmt/fmt.h"
#include "kernel/mda/mda_int.h"

namespace {

/* Offset of the sub-entity header (handle first) in a record, or -1. */
int32_t subheader_offset(const DdfDef *def, int32_t tfi)
{
    for (int32_t i = def->fld_indices[tfi]; i < def->fld_indices[tfi] + def->ent_fldcnts[tfi]; ++i)
        if (def->fld_data[i].kind == DDF_KIND_SUBENT && def->fld_data[i].key == 0) return def->fld_offsets[i];
    return -1;
}

bool read_stored(MdaModel *m, MdaDirEntry *e, int32_t offset, char *out, int32_t n)
{
    if (e->mloc) {
        std::memcpy(out, static_cast<unsigned char *>(e->mloc) + offset, size_t(n));
        return true;
    }
    unsigned char image[MDA_MBLOCK_HDR + 256];
    const int64_t want = MDA_MBLOCK_HDR + offset + n;
    if (want > int64_t(sizeof image) || !mda__ReadStoredPrefix(m, e, image, want)) return false;
    std::memcpy(out, image + MDA_MBLOCK_HDR + offset, size_t(n));
    return true;
}

int describe_origin(uint32_t ptr, FmtOrigin *out)
{
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return 1;
    int32_t tfi = ddf_FindTF(m->ddf->typeforms, m->ddf->n_typeforms, e->tf);
    if (tfi < 0) return 1;
    std::memset(out, 0, sizeof *out);
    std::strncpy(out->name, m->ddf->ent_names[tfi], sizeof out->name - 1);
    out->tf = uint32_t(e->tf);
    out->ptr = ptr;
    int32_t sub = subheader_offset(m->ddf, tfi);
    if (std::strcmp(m->ddf->name, "dxfi") == 0 && sub >= 0) {
        char handle[33] = {0};
        if (!read_stored(m, e, sub, handle, 32)) return 1;
        out->kind = FMT_ORIGIN_DXF;
        std::strncpy(out->handle, handle, sizeof out->handle - 1);
    } else {
        out->kind = FMT_ORIGIN_MDA;
    }
    return 0;
}

int list_model(FmtModelRow row, void *ctx)
{
    MdaModel *m = mda__Model(mda__CurModelNum);
    if (!m || !m->entlist) return 1;
    for (int32_t t = 0; t < m->entlist->ntfi; ++t)
        if (m->entlist->count[t] > 0) row(ctx, m->ddf->ent_names[t], m->entlist->count[t]);
    return 0;
}

} // namespace

extern "C" void mda__InstallFormatHooks(int32_t install)
{
    if (!install) {
        fmt_SetModelHooks(nullptr);
        return;
    }
    FmtModelHooks hooks = {describe_origin, list_model};
    fmt_SetModelHooks(&hooks);
}
