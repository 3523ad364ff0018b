/* General utilities: temporary file names (under "TRAMEL_TMP" when set),
 * environment lookup through host-defined aliases, file existence, the
 * process id, ASCII lower-casing and byte operations. */
#ifndef VYR_KERNEL_UGN_H
#define VYR_KERNEL_UGN_H

#include <stddef.h>

#include "vyr_export.h"
#include "kernel/ugn/ugn_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

#define UGN_NAME_SIZE 64

VYR_EXPORT int ugn_Initialize(void);
VYR_EXPORT int ugn_Terminate(void);

/* The directory for temporary files: "TRAMEL_TMP", else $TMPDIR, else /tmp,
 * the first that is set and is a directory this process can write in. Each
 * one set but unusable is named in a warning (TMPDIR_UNUSABLE), once per
 * start of the module; when none is usable, NO_TMPDIR is recorded and the
 * result is null. The text lives until the next call. */
VYR_EXPORT const char *ugn_TempDirectory(void);

/* Name of a new temporary file in ugn_TempDirectory, in a buffer that the
 * next call overwrites; null when there is no usable directory or no name
 * fits. In "TRAMEL_TMP" the name is "t%4.4x%03x.%03x" of the process id
 * and a counter; elsewhere a name with a random part that no file has yet.
 * The file is not created; create it with O_CREAT | O_EXCL. */
VYR_EXPORT char *ugn_TempFile(void);

/* *value = the value of the variable (null when unset), through its alias
 * record when one exists: the record's cached value, else the value of the
 * alias variable, else the variable's own. Returns 0. */
VYR_EXPORT int ugn_GetEnv(int options, const char *name, char **value);

/* Makes `name` an alias of the variable `alias` (may be null), with an
 * optional fixed value that takes precedence (copied). Names have at most
 * UGN_NAME_SIZE - 1 characters (ENV_VAR_TOO_LONG). */
VYR_EXPORT int ugn_SetEnvAlias(int options, const char *name, const char *alias, const char *value);

/* 1 when the file can be opened for reading or exists (any failure but a
 * missing file counts as existing), 0 for a null path or a missing file. */
VYR_EXPORT int ugn_FileExist(int options, const char *path);

VYR_EXPORT int ugn_GetPID(void);

/* Clean-up after a stop by signal (SIGINT, SIGTERM). A conversion registers
 * each temporary file before creating it (ugn_TrackFile; -1 when the path is
 * too long or all UGN_TRACKED_FILES slots are taken) and withdraws it after
 * removing or renaming it; ugn_TrackProcessGroup names the process group of
 * a running external program (0: none). ugn_CleanUpAfterSignal is
 * async-signal-safe: it kills that group and removes the registered files,
 * for a host's signal handler to call before it ends the process. */
#define UGN_TRACKED_FILES 8
VYR_EXPORT int ugn_TrackFile(const char *path);
VYR_EXPORT void ugn_UntrackFile(const char *path);
VYR_EXPORT void ugn_TrackProcessGroup(int group);
VYR_EXPORT void ugn_CleanUpAfterSignal(void);

/* Bulk memory (bulk.cpp): a zero-filled area of at least `size` bytes in
 * whole units of UGN_BULK_UNIT bytes, aligned to one and offered to the
 * system for huge pages, or null; *granted (may be null) receives its
 * size. For large tables that fill up while a drawing is read: where huge
 * pages are granted their first touch costs one page fault per unit rather
 * than per 4 KiB page. ugn_BulkFree takes the size asked or granted. */
#define UGN_BULK_UNIT ((size_t)2 << 20)
VYR_EXPORT void *ugn_BulkAlloc(size_t size, size_t *granted);
VYR_EXPORT void ugn_BulkFree(void *area, size_t size);

/* A zero-filled block of at least `size` bytes for a table that may grow
 * large: bulk memory from UGN_BIG_MIN bytes up, the C heap below; null when
 * none is left. *granted (may be null) receives the usable size (whole units
 * for bulk memory, else `size`). ugn_BigFree takes the size asked or granted. */
#define UGN_BIG_MIN (UGN_BULK_UNIT / 2)
VYR_EXPORT void *ugn_BigAlloc(size_t size, size_t *granted);
VYR_EXPORT void ugn_BigFree(void *block, size_t size);

/* Lower-cases ASCII letters in place (independent of the locale). */
VYR_EXPORT void ugn_GetLower(char *string);

VYR_EXPORT void ugn_ZeroByte(size_t count, void *address);
VYR_EXPORT void ugn_FillByte(size_t count, int byte, void *address);
/* Copies forward, first byte first, also when the areas overlap. */
VYR_EXPORT void ugn_MoveByte(size_t count, const void *source, void *destination);

#ifdef __cplusplus
}
#endif

#endif
