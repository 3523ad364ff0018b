/* The entity mapper pattern shared by the mappers that turn one toolkit
 * entity into one model entity: allocate the record of form 0, fill the
 * common entity header and the extended data, fill the type's own fields,
 * switch to the extruded form (form 1) when the thickness is not 0 and the
 * type has one, create the entity under the handle in the entity header
 * buffer, report it and unlock it. C++ only (the mappers' sources). */
#ifndef VYR_DNFP_DNFP_MAP_H
#define VYR_DNFP_DNFP_MAP_H

#include "dnfp/dnfp_int.h"
#include "kernel/mda/mda.h"

namespace dnfp {

/* fill(record, entity record) sets the type's own fields and returns 0 or a
 * status. `allocation` are the options of the record's allocation
 * (MDA_DEFAULTS: the catalogue's defaults first). */
template <class Rec, class Fill>
int map_entity(mda_tf tf, bool extrudable, db_ptr *out, Fill fill, int32_t allocation = 0)
{
    *out = MDA_NULL_PTR;
    void *memory = nullptr;
    int created = 0;
    int status = mda_MallocEntity2(allocation, mda_GetCurModel(), tf, &memory);
    if (!status) {
        Rec *r = static_cast<Rec *>(memory);
        status = dnfp__MapSubent(&r->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&r->dxfxed, memory, 0);
        if (!status) status = fill(r, *dnfp_g.entrec);
        if (!status && extrudable && r->dxfhdr.thickness != 0.0) status = mda_SetTF(memory, tf + 1);
        if (!status) status = dnfp__CreateEntity(0, dnfp_g.enthdr->handle, nullptr, memory, out, &created);
    }
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

template <size_t N> void copy_point(double (&to)[N], const double *from)
{
    for (size_t i = 0; i < N; ++i) to[i] = from[i];
}

} // namespace dnfp

#endif
