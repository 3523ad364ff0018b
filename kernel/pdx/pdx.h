/* Kernel front door: the records every module registers its messages with,
 * and the elapsed-time base. A module describes its messages in one static
 * PdxModule record (name, texts, message table) that its initialiser copies
 * into the registry; status codes are module << 16 | message number. */
#ifndef VYR_KERNEL_PDX_H
#define VYR_KERNEL_PDX_H

#include <stdint.h>

#include "vyr_export.h"

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

/* Records the current CPU time and wall-clock time as the base of the
 * elapsed-time conversions %<ElapsedCPU> and %<ElapsedClock>. */
VYR_EXPORT int pdx_ResetElapsedTime(int options);

#ifdef __cplusplus
}
#endif

#endif
