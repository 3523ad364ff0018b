/* Walks over a model's entities and over the fields of one record.
 *
 * mda_TraverseEntity follows the record's field table. Each structure
 * element opens a scope {its member records, its address}; the count of a
 * variable array is read in the innermost scope whose records include the
 * count record (its own or an enclosing one, as the data definition
 * guarantees). Variable arrays and strings are reached through their
 * references; sub-entities are walked through their own tables. */
#include <cstring>

#include "kernel/mda/mda_int.h"

namespace {

struct Scope {
    int32_t first, end; /* field records of the container */
    unsigned char *base;
    const Scope *up;
};

struct Walker {
    const DdfDef *def;
    void *entity;
    MdaFieldVisitFn fn;
    int32_t all_members;
};

int32_t count_value(const Walker &w, int32_t i, const Scope *s)
{
    int32_t c = w.def->fld_countrec[i];
    if (c < 0) return 0;
    for (; s; s = s->up)
        if (c >= s->first && c < s->end) {
            int32_t v;
            std::memcpy(&v, s->base + w.def->fld_offsets[c], 4);
            return v > 0 ? v : 0;
        }
    return 0;
}

unsigned char *deref_at(unsigned char *field)
{
    mda_ref r;
    std::memcpy(&r, field, 4);
    return static_cast<unsigned char *>(mda_Deref(r));
}

int32_t walk(const Walker &w, int32_t i, int32_t end, unsigned char *base, const Scope *up);

int32_t walk_union_element(const Walker &w, int32_t u, unsigned char *elem, const Scope *here)
{
    const DdfField &f = w.def->fld_data[u];
    int16_t selector;
    std::memcpy(&selector, elem, 2);
    for (int32_t m = u + 1; m < u + f.span;) {
        const DdfField &mf = w.def->fld_data[m];
        int32_t next = (mf.kind == DDF_KIND_STRUCT || mf.kind == DDF_KIND_UNION) ? m + mf.span + 1 : m + 1;
        if (w.all_members || m - (u + 1) == selector) {
            int32_t s = walk(w, m, next, elem, here);
            if (s) return s;
        }
        m = next;
    }
    return 0;
}

int32_t walk(const Walker &w, int32_t i, int32_t end, unsigned char *base, const Scope *up)
{
    const Scope here = {i, end, base, up};
    while (i < end) {
        const DdfField &f = w.def->fld_data[i];
        unsigned char *at = base + w.def->fld_offsets[i];
        switch (f.kind) {
        case DDF_KIND_ENDENT:
        case DDF_KIND_ENDSTRUCT:
        case DDF_KIND_ENDUNION: ++i; continue;
        case DDF_KIND_SUBENT: {
            int32_t first = w.def->fld_indices[f.key];
            int32_t s = walk(w, first, first + w.def->ent_fldcnts[f.key] - 1, at, nullptr);
            if (s) return s;
            ++i;
            continue;
        }
        case DDF_KIND_STRUCT:
        case DDF_KIND_UNION: {
            int32_t count = 1;
            unsigned char *data = at;
            if (f.flags & DDF_FLAG_PTRFIXED) {
                count = count_value(w, i, &here);
                data = deref_at(at);
            }
            if (data && count > 0) {
                if (f.kind == DDF_KIND_UNION && w.fn(w.entity, count, f.kind, data, &f)) return MDA_STOPPED;
                for (int32_t e = 0; e < count; ++e) {
                    unsigned char *elem = data + int64_t(e) * f.key;
                    int32_t s = f.kind == DDF_KIND_STRUCT ? walk(w, i + 1, i + f.span, elem, &here)
                                                          : walk_union_element(w, i, elem, &here);
                    if (s) return s;
                }
            }
            i += f.span + 1;
            continue;
        }
        default: break;
        }
        int32_t count = 1;
        unsigned char *data = at;
        const bool fstring = f.kind == DDF_KIND_FSTRING;
        if (f.flags & DDF_FLAG_PTRFIXED) {
            data = deref_at(at);
            count = count_value(w, i, &here);
            for (int32_t k = 1; k < f.ndims - (fstring ? 1 : 0); ++k) count *= f.dims[k].extent;
        } else if (f.flags & DDF_FLAG_FIXED) {
            for (int32_t k = 0; k < f.ndims; ++k) count *= f.dims[k].extent;
        } else if (fstring) {
            for (int32_t k = 0; k + 1 < f.ndims; ++k) count *= f.dims[k].extent;
        }
        if (data && count > 0 && w.fn(w.entity, count, f.kind, data, &f)) return MDA_STOPPED;
        ++i;
    }
    return 0;
}

} // namespace

extern "C" {

int32_t mda_TraverseEntity(int32_t options, void *mem, MdaFieldVisitFn fn)
{
    if (!mem || !fn) return mda__Error(MDA_NULL_MEMPTR);
    const mda_EntHdr *h = static_cast<const mda_EntHdr *>(mem);
    MdaModel *m = mda__Model(int32_t(MDA_PTR_MODEL(h->self)));
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (h->tfi < 0 || h->tfi >= m->ddf->n_typeforms) return mda__Error(MDA_INVALID_ARG);
    Walker w = {m->ddf, mem, fn, options & 1};
    int32_t first = m->ddf->fld_indices[h->tfi];
    return walk(w, first, first + m->ddf->ent_fldcnts[h->tfi] - 1, static_cast<unsigned char *>(mem),
                nullptr);
}

int32_t mda_TraverseModel(int32_t options, int32_t model, MdaEntityVisitFn fn)
{
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (!fn) return mda__Error(MDA_NULL_MEMPTR);
    const db_ptr base = MDA_MAKE_PTR(model, 0);
    if (options & 1) {
        for (uint32_t i = m->next_index; i-- > 1;) {
            if (mda__Entry(m, i)->status & (MDA_ST_DELETED | MDA_ST_RESERVED)) continue;
            db_ptr p = MDA_MAKE_PTR(model, i);
            if (fn(p, base, p)) return MDA_STOPPED;
            if (!mda__Model(model)) break;
            if (i > m->next_index) i = m->next_index;
        }
    } else {
        for (uint32_t i = 1; i < m->next_index; ++i) {
            if (mda__Entry(m, i)->status & (MDA_ST_DELETED | MDA_ST_RESERVED)) continue;
            db_ptr p = MDA_MAKE_PTR(model, i);
            if (fn(p, base, p)) return MDA_STOPPED;
            if (!mda__Model(model)) break;
        }
    }
    return 0;
}

} // extern "C"
