/* The DXF-to-model mapping layer (module DNFP): has the drawing file toolkit
 * load a drawing and copies it, section by section, into entities of the
 * current model, linking them by handle. Called by the kernel's DXF
 * interface (dxfi_ParseFile); status codes are in dnfp_msg.h. */
#ifndef VYR_DNFP_DNFP_H
#define VYR_DNFP_DNFP_H

#include <stdint.h>

#include "dnfp/dnfp_msg.h"
#include "kernel/mda/mda_types.h"
#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Called after each entity, table entry, block and class is created (the
 * same type as the kernel's DxfiEntityFn). */
typedef int (*DnfpEntityFn)(db_ptr entity, void *memory);

/* Options of dnfp_ParseFile (the kernel passes on only these bits). */
#define DNFP_OPT_CONVERT_PLINES 0x80
#define DNFP_OPT_AUDIT 0x100
#define DNFP_OPT_ACAD_XDATA 0x200
#define DNFP_OPT_MULTI_PSPACE 0x1000

/* An array insert (rows x columns) draws at most this many copies; the
 * mapping warns about an insert that asks for more. */
#define DNFP_MAX_INSERT_COPIES 100000

/* Registers the module's messages. Returns 0. */
VYR_EXPORT int dnfp_Initialize(void);
/* Returns 0; the toolkit is stopped inside every dnfp_ParseFile. */
VYR_EXPORT int dnfp_Terminate(void);

/* Maps the drawing at `path` into the current model. `file_type_info` is the
 * descriptor of pdx_GetFileType (not read); `callback` may be null. Returns 0
 * or a status code. */
VYR_EXPORT int dnfp_ParseFile(unsigned options, const char *path, void *file_type_info,
                              DnfpEntityFn callback);

/* The file type (pdx_GetFileType numbering) that the toolkit tells from the
 * first bytes of the file at `path`: PDX_FILE_DXF, PDX_FILE_DXF_BINARY or
 * PDX_FILE_DWG, or PDX_FILE_UNKNOWN when the toolkit would refuse it. */
VYR_EXPORT int dnfp_FileType(const char *path);

/* The entity kinds that the last dnfp_ParseFile passed over without
 * mapping them, in the order first met: the DXF name of kind `index` (from
 * 0), with how many there were in *count (when not null); null past the
 * last kind. */
VYR_EXPORT const char *dnfp_GetPassedOverKind(int index, uint32_t *count);

/* An optional progress callback (percent of the load), registered with the
 * toolkit at every start-up; null for none. */
VYR_EXPORT void dnfp_SetProgressFn(void (*fn)(short percent));

/* The external converter's time limit in seconds: a converter still running
 * then is killed with everything it started, and the conversion fails. A
 * limit of 0 or less restores the default. */
#define DNFP_DEFAULT_PROCESSOR_TIME_LIMIT 120
VYR_EXPORT void dnfp_SetProcessorTimeLimit(int seconds);

#ifdef __cplusplus
}
#endif

#endif
