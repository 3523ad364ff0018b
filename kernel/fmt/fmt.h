/* Named conversions of the message formatter (module 13, FMT).
 * fmt_Initialize registers, with mpm_AddConversion:
 *   %<PTR>      db_ptr (unsigned 32 bits)    "#model:index"
 *   %<PTR2>     db_ptr                        "0x" and the bits in hex
 *   %<TF>       TF (unsigned 32 bits)         "type:form", 16001 as "*"
 *   %<DTF>      const FmtDtf *                "ddf:type:form", "NULL" without a name
 *   %<OrigDesc> db_ptr                        the entity's origin (model hook)
 *   %<ModelList>     (no argument)            entity counts of the current model (model hook)
 *   %<ErrorSummary>  (no argument)            counted messages and severity counts
 *   %<CurDate>, %<CurTime>                    "Wed, Jun 30, 1993", "21:49:08"
 *   %<ElapsedCPU>, %<ElapsedClock>            "hh:mm:ss" since pdx_ResetElapsedTime
 *
 * The model database tells the formatter about its entities through
 * FmtModelHooks, installed with fmt_SetModelHooks at any time (before or
 * after fmt_Initialize; the hooks survive it). Without hooks %<OrigDesc>
 * prints like %<PTR> and %<ModelList> prints "No model active.". */
#ifndef VYR_KERNEL_FMT_H
#define VYR_KERNEL_FMT_H

#include <stdint.h>

#include "vyr_export.h"
#include "kernel/fmt/fmt_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The argument of %<DTF>. */
typedef struct FmtDtf {
    const char *ddf_name; /* name of the data definition, or null */
    uint32_t tf;
} FmtDtf;

/* Where an entity came from, as the model describes it for %<OrigDesc>. */
enum {
    FMT_ORIGIN_DXF = 1,   /* "DXF <name> handle:<handle>" */
    FMT_ORIGIN_IGES = 2,  /* "IGES <tf> <name> DE#<number>" */
    FMT_ORIGIN_STEP = 3,  /* "STEP <name> PFID #<number>" */
    FMT_ORIGIN_VDAFS = 4, /* "VDAFS <name> name:<handle>" */
    FMT_ORIGIN_MDA = 5    /* "MDA <name> model:entity <ptr>" */
};

typedef struct FmtOrigin {
    int kind;        /* FMT_ORIGIN_* */
    uint32_t tf;     /* IGES: type and form */
    uint32_t ptr;    /* MDA: the entity */
    long number;     /* IGES directory entry, STEP file id */
    char name[80];   /* entity (type) name */
    char handle[80]; /* DXF handle text, VDAFS element name */
} FmtOrigin;

/* Row callback of FmtModelHooks.list_model. */
typedef void (*FmtModelRow)(void *ctx, const char *name, int count);

typedef struct FmtModelHooks {
    /* Fills *out for the entity; returns 0, or non-zero when it cannot
     * (the conversion then prints like %<PTR>). */
    int (*describe_origin)(uint32_t ptr, FmtOrigin *out);
    /* Calls row(ctx, name, count) for each entity type of the current model
     * in the order to print; returns non-zero when no model is current. */
    int (*list_model)(FmtModelRow row, void *ctx);
} FmtModelHooks;

VYR_EXPORT int fmt_Initialize(void);

/* Installs the model's hooks (copied); null removes them. */
VYR_EXPORT void fmt_SetModelHooks(const FmtModelHooks *hooks);

#ifdef __cplusplus
}
#endif

#endif
