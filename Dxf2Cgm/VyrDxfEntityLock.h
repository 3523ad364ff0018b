/* Scoped read access to one entity of the neutral model. The constructor
 * locks the entity (nothing for the null entity), the destructor unlocks it
 * again whenever the lock call succeeded, so an element copies what it needs
 * inside one scope and never keeps a pointer into the model.
 *
 * The record is handed out only as the record struct of the type the caller
 * expects: As<dxf_line>(300) yields null when the entity is not of type 300,
 * so no element ever reads past the end of a record of another kind.
 * Common() gives the record of any entity that carries the common entity
 * header (layer, line type, colour, line weight, extrusion). */
#ifndef VYR_DXF2CGM_VYRDXFENTITYLOCK_H
#define VYR_DXF2CGM_VYRDXFENTITYLOCK_H

#include "kernel/ddf/dxfi_records.h"
#include "kernel/mda/mda.h"

class VyrDxfEntityLock {
public:
    explicit VyrDxfEntityLock(unsigned long entity) : entity_(static_cast<db_ptr>(entity))
    {
        if (entity_ == MDA_NULL_PTR) return;
        void *memory = nullptr;
        locked_ = mda_LockEntity(0, entity_, &memory) == 0;
        if (locked_) data_ = memory;
    }
    ~VyrDxfEntityLock()
    {
        if (locked_) mda_UnlockEntity(0, entity_);
    }
    VyrDxfEntityLock(const VyrDxfEntityLock &) = delete;
    VyrDxfEntityLock &operator=(const VyrDxfEntityLock &) = delete;

    /* The lock call succeeded (the entity must be unlocked). */
    bool Locked() const { return locked_; }
    /* The record, whatever its type; null without data. */
    const void *Data() const { return data_; }
    /* Type number of the record, -1 without data. */
    int Type() const { return data_ ? MDA_TF_TYPE(static_cast<const mda_EntHdr *>(data_)->tf) : -1; }
    int Form() const { return data_ ? MDA_TF_FORM(static_cast<const mda_EntHdr *>(data_)->tf) : -1; }

    template <class Record> const Record *As(int type) const
    {
        return Type() == type ? static_cast<const Record *>(data_) : nullptr;
    }

    /* Types whose records start with the sub-header, the common entity
     * header and the extended data (the record of dxf_any). */
    static bool HasCommonHeader(int type)
    {
        return (type >= 200 && type < 800) || type == 10000 || type == 10002 || type == 10003;
    }
    const dxf_any *Common() const
    {
        return HasCommonHeader(Type()) ? static_cast<const dxf_any *>(data_) : nullptr;
    }

private:
    db_ptr entity_;
    bool locked_ = false;
    const void *data_ = nullptr;
};

/* The block behind a reference field of a locked record (a vstring, a
 * variable array), or null for the null reference. */
template <class T> inline const T *VyrDxfDeref(mda_ref ref)
{
    return ref == MDA_NULL_REF ? nullptr : static_cast<const T *>(mda_Deref(ref));
}

/* Copies a NUL-terminated text of a fixed-size record field into `out`
 * (capacity `size`), never reading past the field nor writing past `out`. */
inline void VyrDxfCopyField(char *out, int size, const char *field, int fieldSize)
{
    int n = 0;
    if (field)
        while (n < fieldSize && n < size - 1 && field[n] != '\0') {
            out[n] = field[n];
            ++n;
        }
    if (size > 0) out[n] = '\0';
}

#endif
