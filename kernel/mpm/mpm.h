/* Message manager: every kernel module reports through status codes
 * (module << 16 | message number) that name messages of the module tables.
 * Recording a message formats its text, counts it and pushes it on the error
 * stack; issuing prints it at once. Nothing is printed unless the host
 * installs an output routine (mpm_SetOutputRoutine). The formatter extends
 * printf with argument positions ("%2$s") and named conversions ("%<PTR>")
 * registered with mpm_AddConversion; it never honours %n, and %p prints the
 * address in hexadecimal digits without a "0x" prefix. */
#ifndef VYR_KERNEL_MPM_H
#define VYR_KERNEL_MPM_H

#include <stdarg.h>
#include <stdio.h>

#include "vyr_export.h"
#include "kernel/mpm/mpm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Option bits (OR-ed with the process-wide option word on every call). */
#define MPM_OPT_DUMP_OLDEST 0x1 /* stack dump: only the oldest entry */
#define MPM_OPT_DUMP_NEWEST 0x2 /* stack dump: only the newest entry */
#define MPM_OPT_DUMP_ALL 0x4    /* stack dump: every entry */
#define MPM_OPT_NO_BANNER 0x10
#define MPM_OPT_NO_FINAL_BREAK 0x20 /* no extra line break after the last line */
#define MPM_OPT_CLEAR_AFTER_ISSUE 0x40
#define MPM_OPT_ISSUE 0x80 /* mpm__SetError issues at once */
#define MPM_OPT_RAW 0x100  /* take the text without formatting */
#define MPM_OPT_NEG_INDEX 0x200
#define MPM_OPT_NO_OUTPUT 0x400 /* do not call the output routine */
#define MPM_OPT_NO_LOG 0x800    /* do not write to the log stream */
#define MPM_OPT_TAGGED 0x1000   /* the variable arguments are a tagged list */
#define MPM_OPT_NO_COUNT 0x2000
#define MPM_OPT_KEEP_STACK 0x20000000 /* after issuing neither dump nor clear */
#define MPM_OPT_EXTENDED 0x40000000   /* extended formatter without the '+' marker */

/* Tags of a tagged argument list (MPM_OPT_TAGGED). The list ends with
 * MPM_TAG_ARGS (the message's arguments follow directly) or MPM_TAG_VALIST
 * (the next argument is a va_list * holding them: take the address of a
 * va_copy held in a local variable, never of a va_list parameter). */
#define MPM_TAG_ARGS 1
#define MPM_TAG_VALIST 2
#define MPM_TAG_TEXT 4     /* char *: allocated text appended to the banner, taken over */
#define MPM_TAG_FILELINE 8 /* const char *file, int line */
#define MPM_TAG_STREAM 16  /* FILE *: where an issued message is printed */

/* Exception keys besides the severities (0x10001..0x10005). */
#define MPM_EXC_NONE 1
#define MPM_EXC_MEMORY 2
#define MPM_EXC_FILEIO 3
#define MPM_EXC_MAXERROR 4

/* Receives each printed line (with its line break) and the stream it is
 * meant for; called a second time with the log stream when one is open. */
typedef void (*MpmOutputRoutine)(const char *line, FILE *stream);
/* Called with (key, code) when an exception with its key is raised. */
typedef void (*MpmExceptionHandler)(int key, int code);
/* A named conversion: takes its own arguments from *args and returns its
 * text, allocated with malloc (null for none). */
typedef char *(*MpmConversionHandler)(int options, va_list *args);

/* What one tagged argument list held. */
typedef struct MpmTokens {
    va_list *args;    /* the message's arguments, or null when unusable */
    char *text;       /* MPM_TAG_TEXT, owned by the caller of mpm_ParseToken */
    const char *file; /* MPM_TAG_FILELINE */
    int line;
    FILE *stream; /* MPM_TAG_STREAM */
} MpmTokens;

VYR_EXPORT int mpm_Initialize(void);
VYR_EXPORT int mpm_Terminate(void);

/* Formats the message of `code` with the arguments and appends it to *text,
 * a malloc'ed string (allocated when null). An invalid code gives the text
 * of MPM__INVALIDMESSAGE. Returns 0, or MPM_EXC_MEMORY when out of memory. */
VYR_EXPORT int mpm_GetMessage(int options, int code, char **text, ...);
/* "MDA_INVALID_PTR" for 0x90002; "NOERR" for 0; "UNKNOWN" for an invalid code. */
VYR_EXPORT const char *mpm_GetMsgName(int code);

VYR_EXPORT int mpm_DumpStack(int options);
VYR_EXPORT int mpm_ClearStack(int options);
VYR_EXPORT int mpm_ClearError(void);

/* Format with the extended formatter; mpm_Printf hands the text to the
 * output routine for stdout (nothing without a routine), mpm_Fprintf writes
 * it to the stream and flushes. Both return the length of the text or -1. */
VYR_EXPORT int mpm_Printf(const char *format, ...);
VYR_EXPORT int mpm_Fprintf(FILE *stream, const char *format, ...);

/* Reads one tagged argument list from *args (see MPM_TAG_*); returns 0, or
 * -1 for an unknown tag (out->args is then null). */
VYR_EXPORT int mpm_ParseToken(va_list *args, MpmTokens *out);

/* Hooks and settings. */
VYR_EXPORT MpmOutputRoutine mpm_SetOutputRoutine(MpmOutputRoutine routine);
VYR_EXPORT int mpm_OpenLog(int options, const char *path);
VYR_EXPORT int mpm_CloseLog(void);
VYR_EXPORT int mpm_SetExceptionHandler(int key, MpmExceptionHandler handler);
VYR_EXPORT int mpm_AddConversion(const char *name, MpmConversionHandler handler);
VYR_EXPORT int mpm_SetOptions(int options); /* returns the previous option word */
VYR_EXPORT int mpm_GetOptions(void);
/* Line width, left and right margins, justification (1 left, 2 right,
 * 3 centred); a negative value leaves a setting unchanged. */
VYR_EXPORT void mpm_SetLineFormat(int width, int left_margin, int right_margin, int justify);
/* Maximum records per code for codes first seen from now on (-1 unlimited). */
VYR_EXPORT int mpm_SetMaxError(int max);
/* Maximum records of a severity (0x10001..0x10005; -1 unlimited). */
VYR_EXPORT int mpm_SetMaxErrorLevel(int severity, int max);

/* State. */
VYR_EXPORT int mpm_GetLastError(void);
VYR_EXPORT int mpm_GetLastSeverity(void);
VYR_EXPORT int mpm_GetStackDepth(void);
/* 1 when an entry of severity ERROR or FATAL is on the error stack, else 0:
 * a stack of warnings and information alone is no failure. */
VYR_EXPORT int mpm_StackHoldsError(void);
/* Count and total of a code (0 when never counted). */
VYR_EXPORT int mpm_GetErrorCount(int code, int *count, int *total);
VYR_EXPORT int mpm_GetLevelCount(int severity);

#ifdef __cplusplus
}
#endif

#endif
