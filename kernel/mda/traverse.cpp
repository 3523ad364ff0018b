/* Walks over a model's entities and over the fields of one record.
 *
 * mda_TraverseEntity follows the record's field table. Each structure
 * element opens a scope {its member records, its address}; the count of a
 * variable array is read in the innermost scope whose records include the
 * count record (its own or an enclosing one, as the data definition
 * guarantees). Variable arrays and strings are reached through their
 * references; sub-entities are walked through their own tables.
 *
 * mda__TraversePtrs visits only the ptr fields, mostly without the walk:
 * a plan per TFI, made from the field table at first use, lists the ptr
 * fields that lie at fixed offsets of the record (sub-entities and inline
 * structures flattened), the variable ptr arrays whose reference and count
 * lie at fixed offsets, and the counts of the variable structures and
 * unions that hold ptr fields somewhere inside. While all of those counts
 * are 0 (an entity without extended data, attributes or the like) the plan
 * alone gives every ptr field; otherwise, and for a type with an inline
 * union holding ptr fields, the walk does. The plans follow one data
 * definition at a time and are freed at termination. */
#include <cstdlib>
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
    bool ptrs_only; /* fn sees only the ptr fields */
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
                if (f.kind == DDF_KIND_UNION && !w.ptrs_only && w.fn(w.entity, count, f.kind, data, &f))
                    return MDA_STOPPED;
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
        if (w.ptrs_only && f.kind != DDF_KIND_PTR) {
            ++i;
            continue;
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

/* A run of ptr fields of a plan: `count` pointers at offset `at` of the
 * record, or (count_at >= 0) a variable array whose reference lies at `at`
 * and whose count, times `count` pointers per counted element, at
 * count_at. */
struct PtrRun {
    uint32_t at;
    int32_t count;
    int32_t count_at;
    int32_t field; /* its field record */
};

struct PtrPlan {
    bool built;
    bool walk_always; /* an inline union holds ptr fields */
    PtrRun *runs;
    int32_t nruns;
    int32_t *guards; /* offsets of the counts of variable parts holding ptr fields */
    int32_t nguards;
};

const DdfDef *g_plan_def = nullptr;
PtrPlan *g_plans = nullptr; /* one per TFI of g_plan_def */

template <class T> bool append(T *&array, int32_t &n, const T &v)
{
    T *grown = static_cast<T *>(std::realloc(array, (size_t(n) + 1) * sizeof(T)));
    if (!grown) return false;
    array = grown;
    array[n++] = v;
    return true;
}

/* Whether the records [i, end) hold a ptr field, sub-entities included. */
bool holds_ptr(const DdfDef *def, int32_t i, int32_t end, int depth)
{
    for (; i < end; ++i) {
        const DdfField &f = def->fld_data[i];
        if (f.kind == DDF_KIND_PTR) return true;
        if (f.kind == DDF_KIND_SUBENT && depth < 16) {
            int32_t first = def->fld_indices[f.key];
            if (holds_ptr(def, first, first + def->ent_fldcnts[f.key] - 1, depth + 1)) return true;
        }
    }
    return false;
}

/* Offset within the record of the count of field i (as count_value finds
 * it), or -1 when it has none. */
struct PlanScope {
    int32_t first, end;
    uint32_t base;
    const PlanScope *up;
};
int32_t count_offset(const DdfDef *def, int32_t i, const PlanScope *s)
{
    int32_t c = def->fld_countrec[i];
    if (c < 0) return -1;
    for (; s; s = s->up)
        if (c >= s->first && c < s->end) return int32_t(s->base + def->fld_offsets[c]);
    return -1;
}

/* Adds the fields [i, end) of a scope at offset `base` to a plan, as walk
 * would visit them; false when out of memory. */
bool plan_range(const DdfDef *def, int32_t i, int32_t end, uint32_t base, const PlanScope *up, PtrPlan &plan,
                int depth)
{
    const PlanScope here = {i, end, base, up};
    while (i < end) {
        const DdfField &f = def->fld_data[i];
        const uint32_t at = base + def->fld_offsets[i];
        if (f.kind == DDF_KIND_SUBENT) {
            int32_t first = def->fld_indices[f.key];
            if (depth >= 16) {
                plan.walk_always = true;
            } else if (!plan_range(def, first, first + def->ent_fldcnts[f.key] - 1, at, nullptr, plan,
                                   depth + 1)) {
                return false;
            }
            ++i;
            continue;
        }
        if (f.kind == DDF_KIND_STRUCT || f.kind == DDF_KIND_UNION) {
            if (holds_ptr(def, i + 1, i + f.span, 0)) {
                if (f.flags & DDF_FLAG_PTRFIXED) {
                    int32_t c = count_offset(def, i, &here);
                    if (c >= 0 && !append(plan.guards, plan.nguards, c)) return false;
                } else if (f.kind == DDF_KIND_UNION || depth >= 16) {
                    plan.walk_always = true;
                } else if (!plan_range(def, i + 1, i + f.span, at, &here, plan, depth + 1)) {
                    return false;
                }
            }
            i += f.span + 1;
            continue;
        }
        if (f.kind == DDF_KIND_PTR) {
            PtrRun r = {at, 1, -1, i};
            if (f.flags & DDF_FLAG_PTRFIXED) {
                r.count_at = count_offset(def, i, &here);
                for (int32_t k = 1; k < f.ndims; ++k) r.count *= f.dims[k].extent;
            } else if (f.flags & DDF_FLAG_FIXED) {
                for (int32_t k = 0; k < f.ndims; ++k) r.count *= f.dims[k].extent;
            }
            const bool visited = (f.flags & DDF_FLAG_PTRFIXED) ? r.count_at >= 0 : r.count > 0;
            if (visited && !append(plan.runs, plan.nruns, r)) return false;
        }
        ++i;
    }
    return true;
}

void free_plans()
{
    if (g_plans && g_plan_def)
        for (int32_t t = 0; t < g_plan_def->n_typeforms; ++t) {
            std::free(g_plans[t].runs);
            std::free(g_plans[t].guards);
        }
    std::free(g_plans);
    g_plans = nullptr;
    g_plan_def = nullptr;
}

/* The plan of a TFI, or null when it cannot be made (out of memory). */
const PtrPlan *plan_of(const DdfDef *def, int32_t tfi)
{
    if (def != g_plan_def) {
        free_plans();
        g_plans = static_cast<PtrPlan *>(std::calloc(size_t(def->n_typeforms), sizeof(PtrPlan)));
        if (!g_plans) return nullptr;
        g_plan_def = def;
    }
    PtrPlan &plan = g_plans[tfi];
    if (!plan.built) {
        int32_t first = def->fld_indices[tfi];
        if (!plan_range(def, first, first + def->ent_fldcnts[tfi] - 1, 0, nullptr, plan, 0)) {
            std::free(plan.runs);
            std::free(plan.guards);
            plan = PtrPlan();
            return nullptr;
        }
        plan.built = true;
    }
    return &plan;
}

int32_t read_count(const unsigned char *at)
{
    int32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

/* The record's checks shared by both traversals; its definition and TFI. */
int32_t check_record(void *mem, MdaFieldVisitFn fn, const DdfDef **def, int32_t *tfi)
{
    if (!mem || !fn) return mda__Error(MDA_NULL_MEMPTR);
    const mda_EntHdr *h = static_cast<const mda_EntHdr *>(mem);
    MdaModel *m = mda__Model(int32_t(MDA_PTR_MODEL(h->self)));
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (h->tfi < 0 || h->tfi >= m->ddf->n_typeforms) return mda__Error(MDA_INVALID_ARG);
    *def = m->ddf;
    *tfi = h->tfi;
    return 0;
}

int32_t walk_record(void *mem, MdaFieldVisitFn fn, const DdfDef *def, int32_t tfi, int32_t all_members,
                    bool ptrs_only)
{
    Walker w = {def, mem, fn, all_members, ptrs_only};
    int32_t first = def->fld_indices[tfi];
    return walk(w, first, first + def->ent_fldcnts[tfi] - 1, static_cast<unsigned char *>(mem), nullptr);
}

} // namespace

extern "C" {

int32_t mda_TraverseEntity(int32_t options, void *mem, MdaFieldVisitFn fn)
{
    const DdfDef *def = nullptr;
    int32_t tfi = 0;
    int32_t status = check_record(mem, fn, &def, &tfi);
    return status ? status : walk_record(mem, fn, def, tfi, options & 1, false);
}

int32_t mda__TraversePtrs(void *mem, MdaFieldVisitFn fn)
{
    const DdfDef *def = nullptr;
    int32_t tfi = 0;
    int32_t status = check_record(mem, fn, &def, &tfi);
    if (status) return status;
    const PtrPlan *plan = plan_of(def, tfi);
    bool planned = plan && !plan->walk_always;
    unsigned char *rec = static_cast<unsigned char *>(mem);
    for (int32_t g = 0; planned && g < plan->nguards; ++g)
        if (read_count(rec + plan->guards[g]) > 0) planned = false;
    if (!planned) return walk_record(mem, fn, def, tfi, 0, true);
    for (int32_t r = 0; r < plan->nruns; ++r) {
        const PtrRun &run = plan->runs[r];
        unsigned char *data = rec + run.at;
        int64_t count = run.count;
        if (run.count_at >= 0) {
            int32_t n = read_count(rec + run.count_at);
            if (n <= 0) continue;
            count *= n;
            data = deref_at(data);
        }
        if (data && count > 0 &&
            fn(mem, int32_t(count < INT32_MAX ? count : INT32_MAX), DDF_KIND_PTR, data,
               &def->fld_data[run.field]))
            return MDA_STOPPED;
    }
    return 0;
}

void mda__FreePtrPlans(void) { free_plans(); }

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
