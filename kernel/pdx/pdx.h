/* Kernel front door: start-up and shutdown of the kernel's modules, the
 * detection of a file's neutral format, the records every module registers
 * its messages with, and the elapsed-time base. A module describes its
 * messages in one static PdxModule record (name, texts, message table) that
 * its initialiser copies into the registry; status codes are module << 16 |
 * message number. */
#ifndef VYR_KERNEL_PDX_H
#define VYR_KERNEL_PDX_H

#include <stdint.h>

#include "vyr_export.h"
#include "kernel/pdx/pdx_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Exception classes a message may raise besides its severity. */
#define PDX_CLASS_NONE 1
#define PDX_CLASS_MEMORY 2
#define PDX_CLASS_FILEIO 3

/* One message of a module: its name ("INVALID_PTR"), the exception class it
 * raises and the index of its text in the module's text table. A text's
 * first character is a marker that is never printed: ' ' for a printf text,
 * '+' for a text that uses %<NAME> conversions. */
typedef struct PdxMessage {
    const char *name;
    int32_t exc_class;
    int32_t text_index;
} PdxMessage;

/* The registry record of one module, indexed by its module number. */
typedef struct PdxModule {
    uint16_t number;
    uint16_t count; /* number of messages; 0 marks an empty slot */
    const char *name;
    const char *const *texts;
    const PdxMessage *messages;
} PdxModule;

/* File types reported by pdx_GetFileType. */
#define PDX_FILE_SAT 0        /* ACIS text */
#define PDX_FILE_SAB 1        /* ACIS binary */
#define PDX_FILE_DXF 2        /* DXF, ASCII */
#define PDX_FILE_DXF_BINARY 3 /* DXF, binary */
#define PDX_FILE_DWG 4
#define PDX_FILE_IGES 5 /* fixed format */
#define PDX_FILE_IGES_COMPRESSED 6
#define PDX_FILE_IGES_BINARY 7
#define PDX_FILE_MODEL 9 /* saved neutral model */
#define PDX_FILE_STEP 11 /* ISO 10303-21 */
#define PDX_FILE_VDAFS 12
#define PDX_FILE_UNKNOWN 13

/* Descriptor of a saved neutral model (type 9): the words that follow
 * BEGIN_MODEL. */
typedef struct PdxModelFileInfo {
    int32_t number;
    char name[120];
    int32_t first;
    int32_t second;
} PdxModelFileInfo;

/* Descriptor of a VDAFS file (12): how its first line ends. */
typedef struct PdxLineEndInfo {
    int32_t length; /* characters of one line end (1 or 2; 0 when none was found) */
    char chars[4];  /* the line-end characters */
} PdxLineEndInfo;

/* Descriptor of an IGES file (5..7): its line end and the length of its
 * first line. */
typedef struct PdxIgesFileInfo {
    PdxLineEndInfo ends;
    int32_t line_length;
} PdxIgesFileInfo;

/* Descriptor of a STEP file (11): the schema names of its FILE_SCHEMA. */
typedef struct PdxStepFileInfo {
    int32_t found;     /* 1 when a FILE_SCHEMA entry was read */
    char schema[5128]; /* its names, separated by blanks */
} PdxStepFileInfo;

/* Starts the kernel's modules in their fixed order (only the outermost of
 * nested calls does the work). Returns 0. */
VYR_EXPORT int pdx_Initialize(void);
/* Stops them at the outermost level. Returns 0. */
VYR_EXPORT int pdx_Terminate(void);

/* Option of pdx_GetFileType: a file of no known type is no failure (status
 * 0, *type PDX_FILE_UNKNOWN, nothing recorded), for a caller that asks
 * another reader next. */
#define PDX_TYPE_UNKNOWN_IS_NO_ERROR 1

/* Tells the neutral format of the file at `path` from its first bytes and
 * words (at most the first 64 KiB): *type gets one of the PDX_FILE_ values
 * and *descriptor a zero-filled record (free it with pdx_Free; null for
 * types without one). Only a regular file is read; anything else (a pipe,
 * a directory, a device) is refused without waiting on it. Returns 0, or
 * the status code that was recorded: BAD_FILENAME, NOT_FOUND, OPEN_ERROR,
 * NOT_REGULAR_FILE, READ_ERROR, CLOSE_ERROR, BAD_EOL_DELIM, EXC_MEMORY or
 * UNKNOWN_FILETYPE (pdx_msg.h). */
VYR_EXPORT int pdx_GetFileType(int options, const char *path, int *type, void **descriptor);
/* Frees a descriptor of pdx_GetFileType (null is allowed). Returns 0. */
VYR_EXPORT int pdx_Free(int options, void *descriptor);

/* Records the current CPU time and wall-clock time as the base of the
 * elapsed-time conversions %<ElapsedCPU> and %<ElapsedClock>. */
VYR_EXPORT int pdx_ResetElapsedTime(int options);

#ifdef __cplusplus
}
#endif

#endif
