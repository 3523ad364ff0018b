/* Module DDF: TF lookup with its one-entry memo, field defaults, computed
 * counts, section names, start-up and shutdown. The definition itself is
 * compiled in (dxfi_def.cpp). */
#include <cmath>
#include <cstring>

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/ddf_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"

extern "C" {

mda_tf ddf__SavedTF = MDA_NULL_TF;
int32_t ddf__SavedTFI = -1;
const DdfDef *ddf__Current = nullptr;

const DdfDef *ddf_DxfiDefinition(void) { return &ddf__Dxfi; }

int32_t ddf_FindTF(const mda_tf *table, int32_t count, mda_tf tf)
{
    int32_t lo = 0, hi = count - 1;
    if (!table) return -1;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (table[mid] == tf) return mid;
        if (table[mid] < tf)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

int32_t ddf_GetTFI(const DdfDef *def, mda_tf tf)
{
    if (!def) return -1;
    if (def == ddf__Current && tf == ddf__SavedTF) return ddf__SavedTFI;
    int32_t tfi = ddf_FindTF(def->typeforms, def->n_typeforms, tf);
    if (def == ddf__Current) {
        ddf__SavedTF = tf;
        ddf__SavedTFI = tfi;
    }
    return tfi;
}

void ddf__SetCurrent(const DdfDef *def)
{
    ddf__Current = def;
    ddf__SavedTF = MDA_NULL_TF;
    ddf__SavedTFI = -1;
}

int32_t ddf_KindSize(int32_t kind)
{
    switch (kind) {
    case DDF_KIND_SHORT:
    case DDF_KIND_UNION: return 2;
    case DDF_KIND_INT:
    case DDF_KIND_LONG:
    case DDF_KIND_FLOAT:
    case DDF_KIND_VSTRING:
    case DDF_KIND_PTR:
    case DDF_KIND_COUNT:
    case DDF_KIND_LET:
    case DDF_KIND_METHOD: return 4;
    case DDF_KIND_DOUBLE: return 8;
    case DDF_KIND_CHAR:
    case DDF_KIND_FSTRING: return 1;
    default: return 0;
    }
}

int32_t ddf_GetFieldDefault(const DdfField *field, void *dest)
{
    static const double constants[] = {0.0, 1.0, M_PI, M_PI_2, 0.78539816339744830962};
    if (!field || !dest) return ddf__Error(DDF_NULL_MEMPTR);
    int32_t key = field->key;
    switch (field->kind) {
    case DDF_KIND_CHAR: {
        char c = char(key);
        std::memcpy(dest, &c, 1);
        break;
    }
    case DDF_KIND_SHORT: {
        int16_t v = int16_t(key);
        std::memcpy(dest, &v, 2);
        break;
    }
    case DDF_KIND_INT:
    case DDF_KIND_LONG: {
        int32_t v = key;
        std::memcpy(dest, &v, 4);
        break;
    }
    case DDF_KIND_FLOAT:
    case DDF_KIND_DOUBLE: {
        double v = 0.0;
        if (key >= 50 && key <= 54) v = constants[key - 50];
        if (field->kind == DDF_KIND_FLOAT) {
            float f = float(v);
            std::memcpy(dest, &f, 4);
        } else {
            std::memcpy(dest, &v, 8);
        }
        break;
    }
    case DDF_KIND_FSTRING: *static_cast<char *>(dest) = 0; break;
    case DDF_KIND_VSTRING:
    case DDF_KIND_PTR:
    case DDF_KIND_COUNT:
    case DDF_KIND_LET: {
        uint32_t v = 0;
        std::memcpy(dest, &v, 4);
        break;
    }
    default: return ddf__Error(DDF_INVALID_ARG);
    }
    return 0;
}

int32_t ddf__ComputeLet(const DdfLetOp *ops, int32_t *value)
{
    int32_t counters[256] = {0};
    int32_t last = 0;
    if (!ops || !value) return ddf__Error(DDF_NULL_MEMPTR);
    for (; ops->op != 'd'; ++ops) {
        int32_t a = ops->a < 0 ? counters[(-ops->a - 1) & 0xFF] : ops->a;
        int32_t b = ops->b < 0 ? counters[(-ops->b - 1) & 0xFF] : ops->b;
        int64_t r;
        switch (ops->op) {
        case 'f': r = int64_t(a) + b; break;
        case 'g': r = int64_t(a) - b; break;
        case 'h': r = int64_t(a) * b; break;
        case 'i': r = b ? int64_t(a) / b : 0; break;
        default: *value = 0; return DDF_UNKNOWN_LET_OP;
        }
        counters[ops->result] = int32_t(r);
        last = ops->result;
    }
    *value = counters[last];
    return 0;
}

static const char *const section_names[] = {
    "attr_names",  "attr_masks",  "ptr_data",       "ptr_names",     "ptr_counts", "ptr_indices",
    "vdescs",      "opcodes",     "typeforms",      "fld_names",     "fld_descs",  "fld_data",
    "fld_indices", "ent_names",   "ent_fldcnts",    "ent_descs",     "ent_uattrs", "ent_sizes",
    "ent_info",    "subent_tfis", "sub_super_data", "supertype_tfs", "subtype_tfs"};

const char *ddf_SectionName(int32_t number)
{
    if (number < 1 || number > 23) return nullptr;
    return section_names[number - 1];
}

int32_t ddf_SectionNumber(const char *name)
{
    if (!name) return -1;
    for (int32_t i = 0; i < 23; ++i)
        if (std::strcmp(section_names[i], name) == 0) return i + 1;
    return -1;
}

int32_t ddf__Error(int32_t code) { return mpm__SetError(0, code, MPM_ERROR); }

void ddf__Register(void) { pdx__RegisterModule(&ddf__Module); }

int32_t ddf_Initialize(void)
{
    ddf__Register();
    ddf__SetCurrent(nullptr);
    return 0;
}

int32_t ddf_Terminate(void) { return 0; }

} // extern "C"
