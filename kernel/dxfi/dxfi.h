/* The kernel's DXF interface (module DXFI): describes the DXF data definition
 * to the model database, parses a drawing file into a model through the
 * mapping layer (dnfp), builds the layer lookup table, answers name lookups
 * in the model's tables, and owns the temporary files of the external
 * converter program.
 *
 * Calling order of a conversion: pdx_Initialize, dxfi_Initialize,
 * mda_GetModelDefaults, dxfi_InitModelInfo, mda_AllocateModel, dxfi_ParseFile,
 * then reading the model, and at the end dxfi_Terminate, mda_FreeModel and
 * pdx_Terminate. Status codes are in dxfi_msg.h. */
#ifndef VYR_KERNEL_DXFI_DXFI_H
#define VYR_KERNEL_DXFI_DXFI_H

#include <stdint.h>

#include "kernel/dxfi/dxfi_msg.h"
#include "kernel/mda/mda.h"
#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Called after each entity, table entry, block and class the parse creates,
 * with its db_ptr and its record (null when the record was dropped because
 * the handle already named an entity). The result is ignored. */
typedef int (*DxfiEntityFn)(db_ptr entity, void *memory);

/* Options of dxfi_ParseFile. */
#define DXFI_PARSE_NOT_EMPTY 0x8       /* allow a model that holds entities */
#define DXFI_PARSE_CONVERT_PLINES 0x80 /* the toolkit converts old polylines */
#define DXFI_PARSE_AUDIT 0x100         /* audit the loaded drawing */
#define DXFI_PARSE_ACAD_XDATA 0x200    /* keep only extended data of "ACAD" */
#define DXFI_PARSE_MULTI_PSPACE 0x1000 /* several paper spaces (files of AC1015) */

/* The format data of a DXF model (MdaModelInfo.format_data), made by
 * dxfi_InitModelInfo and freed with the model. */
typedef struct DxfiModelData {
    db_ptr header; /* the model's dxf_header entity, 0 when none */
    int32_t reserved;
    void *header_memory; /* its record; the model keeps it locked once */
    int32_t version;     /* DXF version number: 9, 10, 11, 12, 13, 14 or 2000 */
    int32_t filetype;    /* the file's type in the numbering of pdx_GetFileType */
} DxfiModelData;

/* Start-up and shutdown (nesting; only the outermost pair works). They also
 * start and stop the mapping layer and the modules DNFF, DGDX and DMAP and
 * return the first failure. */
VYR_EXPORT int dxfi_Initialize(void);
VYR_EXPORT int dxfi_Terminate(void);

/* Fills a model-info record for a DXF model (call mda_GetModelDefaults
 * first). The format data is a new DxfiModelData with version 14 and file
 * type 2. Returns 0 or MALLOC_ERROR. */
VYR_EXPORT int32_t dxfi_InitModelInfo(int32_t options, MdaModelInfo *info);

/* Sets every field of a dxf_header record to its default, by the DXF version
 * number of its model's format data (14 when there is none). */
VYR_EXPORT int32_t dxfi_InitHeader(int32_t options, void *header);

/* Parses the drawing file at `path` into `model` (1..64, allocated and empty
 * but for its header unless DXFI_PARSE_NOT_EMPTY is given), calling
 * `callback` (may be null) for every entity created; then builds the layer
 * table. Returns 0 or a status code: INVALID_PARSE_MODEL and MODEL_NOT_EMPTY
 * are returned without being recorded; every other failure was recorded by
 * the part that detected it. */
VYR_EXPORT int32_t dxfi_ParseFile(int32_t options, int32_t model, const char *path, DxfiEntityFn callback);

/* The format function of a DXF model. Writing drawing files is not part of
 * this system: records and returns DWG_FORMAT_UNSUPPORTED, or
 * INVALID_FORMAT_MODEL for a model that is not allocated. */
VYR_EXPORT int32_t dxfi_FormatFile(int32_t options, int32_t model, const char *path, void *arg);

/* Builds the layer lookup table from the model's layer table entities,
 * replacing the previous one. Returns 0 or a lock failure. */
VYR_EXPORT int32_t dxfi_CreateLayerTable(int32_t options, int32_t model);

/* The flag, colour number and line type (at most 255 characters and the
 * terminator) of the layer `name` (exact match) in the layer table; 0, 256
 * and "" when there is none. Returns 0. */
VYR_EXPORT int32_t dxfi_GetLayerInfo(int32_t options, const char *name, int *flag, int *color,
                                     char *line_type);

/* Case-insensitive lookups of a table entry (or block) by name in the
 * current model: *ptr its db_ptr, 0 when not found. Return 0 or a lock
 * failure. */
VYR_EXPORT int32_t dxfi_FindLayerByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindLineTypeByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindTextStyleByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindUCSByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindViewPortByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindAppIDByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindDimStyleByName(const char *name, db_ptr *ptr);
VYR_EXPORT int32_t dxfi_FindBlockByName(const char *name, db_ptr *ptr);

/* Chooses new names for the converter's temporary files (removing the files
 * this interface created under the old names): in `directory` when given,
 * else through ugn_TempFile. The directory holds for every later name until
 * the next call or the interface's shutdown. Returns 0. */
VYR_EXPORT int32_t dxfi_SetProcessorTmpFilePath(const char *directory);

/* The external converter program: a path (used as it is when it holds a
 * slash) or a name looked up in the absolute directories of PATH. Null
 * restores the default "RozOzoRoruveziz", looked for beside the library
 * first (its directory, then the installed layout's bin/), then on PATH.
 * Returns 0, or MALLOC_ERROR. */
VYR_EXPORT int32_t dxfi_SetProcessor(const char *program);

#ifdef __cplusplus
}
#endif

#endif
