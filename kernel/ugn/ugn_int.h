/* General utilities, internal state: the last temporary name, the counter
 * that numbers temporary names, and the format of a numbered name. */
#ifndef VYR_KERNEL_UGN_INT_H
#define VYR_KERNEL_UGN_INT_H

#include <limits.h>
#include <stddef.h>

#include "kernel/ugn/ugn.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A whole path of the system's longest. */
#define UGN_TMPNAM_SIZE PATH_MAX

extern char ugn__TmpNam[UGN_TMPNAM_SIZE];
extern int ugn__TmpNum;

/* Writes the numbered temporary name in `dir`, "t%4.4x%03x.%03x" of the
 * process id and ugn__TmpNum, into out (size bytes, as snprintf, which
 * gives the result); the counter is left as it is. */
int ugn__NumberedTempName(const char *dir, char *out, size_t size);

/* n (at most 32) random letters and digits and a terminating zero. */
void ugn__RandomPart(char *out, size_t n);

#ifdef __cplusplus
}
#endif

#endif
