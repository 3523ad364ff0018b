/* Message manager internals: the process-wide settings, the recording and
 * issuing entry points of the kernel modules, and the formatter. */
#ifndef VYR_KERNEL_MPM_INT_H
#define VYR_KERNEL_MPM_INT_H

#include "kernel/mpm/mpm.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MPM_BUFFER_SIZE 8194
#define MPM_LINE_PIECE 8192
#define MPM_LEVELS 5

/* Settings. */
extern int mpm__Option;
extern int mpm__LineWidth;
extern int mpm__LeftMargin;
extern int mpm__RightMargin;
extern int mpm__Justify;
extern int mpm__MaxError;
extern int mpm__MaxErrorLevel[MPM_LEVELS];
extern MpmOutputRoutine mpm__Output;
extern FILE *mpm__Stream;

/* State. */
extern int mpm__LastError;
extern int mpm__LastSeverity;
extern int mpm__LevelCount[MPM_LEVELS];

/* One error stack entry. */
typedef struct MpmStackEntry {
    int severity;
    int code;
    char *text;
} MpmStackEntry;

/* One entry of the count tree. */
typedef struct MpmCount {
    int code;
    int max;   /* -1 unlimited */
    int count; /* records kept */
    int total; /* records made, suppressed ones included */
} MpmCount;

/* Records a message (see the option bits and tags of mpm.h); returns code. */
int mpm__SetError(int options, int code, int severity, ...);
/* Records and prints at once (stderr unless a stream is tagged); returns code. */
int mpm__IssueError(int options, int code, int severity, ...);
/* The same with the arguments already in a list; `tokens` may be null. */
int mpm__SetErrorV(int options, int code, int severity, const MpmTokens *tokens);
int mpm__IssueErrorV(int options, int code, int severity, const MpmTokens *tokens);
/* Word-wraps and prints an allocated text, then frees it. */
void mpm__IssueMessage(int options, FILE *stream, char *text);
/* Hands one line to the output routine (and again for the log stream). */
void mpm__PutString(int options, const char *line, FILE *stream);

/* The message text of a code: formatted with *args (null: no arguments, the
 * text is taken raw), appended to *text. */
int mpm__GetMessageV(int options, int code, char **text, va_list *args);
/* Formats `format` with *args; named conversions only when `extended`.
 * Returns a malloc'ed string, or null when out of memory. */
char *mpm__FormatMessage(int options, const char *format, int extended, va_list *args);
/* Formats with the variable arguments (extended formatter). */
char *mpm__Format(const char *format, ...);

/* Calls the handler registered for `key`, if any, with (key, code). */
void mpm__RaiseException(int key, int code);
/* The handler of a named conversion, or null. */
MpmConversionHandler mpm__FindConversion(const char *name);
/* Calls fn(ctx, entry) for every counted code in ascending order. */
void mpm__ForEachCount(void (*fn)(void *ctx, const MpmCount *entry), void *ctx);

#ifdef __cplusplus
}
#endif

#endif
