/* Message manager state, recording, issuing, counting and the error stack.
 * Invariants: the stack holds only records that were counted (unless
 * MPM_OPT_NO_COUNT), so popping with mpm_ClearStack may undo their counts;
 * a code's `count` is the number of its records kept, `total` the number
 * made including suppressed ones. While a record is being built, failures
 * reported from inside the manager (for example by the lists and trees it
 * uses) only raise their exceptions: they neither recurse nor overwrite the
 * last error. */
#include "kernel/mpm/mpm_int.h"

#include <stdlib.h>
#include <string.h>

#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx_int.h"

extern "C" {
int mpm__Option = 0;
int mpm__LineWidth = 80;
int mpm__LeftMargin = 0;
int mpm__RightMargin = 0;
int mpm__Justify = 1;
int mpm__MaxError = -1;
int mpm__MaxErrorLevel[MPM_LEVELS] = {-1, -1, -1, -1, -1};
MpmOutputRoutine mpm__Output = nullptr;
FILE *mpm__Stream = nullptr;
int mpm__LastError = 0;
int mpm__LastSeverity = 0;
int mpm__LevelCount[MPM_LEVELS] = {0, 0, 0, 0, 0};
char *mpm__Buffer = nullptr;
}

namespace {

constexpr size_t kNameSize = 68;
constexpr size_t kConvNameSize = 32;

struct NameEntry {
    int code;
    char name[kNameSize];
};
struct ExceptionEntry {
    int key;
    MpmExceptionHandler handler;
};
struct ConversionEntry {
    char name[kConvNameSize];
    MpmConversionHandler handler;
};

OlmList *g_stack = nullptr;
OtmTree *g_counts = nullptr;
OtmTree *g_exceptions = nullptr;
OtmTree *g_conversions = nullptr;
OtmTree *g_names = nullptr;
bool g_ready = false;
int g_busy = 0; /* > 0 while a record is being built */
char g_name_scratch[kNameSize];

int compare_int(const void *key, const void *stored)
{
    int a = *static_cast<const int *>(key), b = *static_cast<const int *>(stored);
    return a < b ? -1 : a > b;
}

int compare_name(const void *key, const void *stored)
{
    return strcmp(static_cast<const char *>(key), static_cast<const char *>(stored));
}

int level_of(int severity)
{
    int i = severity - MPM_INFO;
    return i >= 0 && i < MPM_LEVELS ? i : MPM_ERROR - MPM_INFO;
}

/* The text of a message without its marker, or null. */
const char *text_of(int options, int code, char *marker)
{
    const PdxModule *m;
    const PdxMessage *msg = pdx__FindMessage(code, &m);
    if (!msg || !m->texts) return nullptr;
    int idx = msg->text_index;
    if (idx < 0) idx = (options & MPM_OPT_NEG_INDEX) ? -idx - 1 : -idx;
    if (idx >= m->count) return nullptr;
    const char *t = m->texts[idx];
    if (!t || !*t) {
        *marker = ' ';
        return "";
    }
    *marker = t[0];
    return t + 1;
}

bool append(char **text, const char *piece)
{
    if (!piece) return false;
    size_t a = *text ? strlen(*text) : 0, b = strlen(piece);
    char *r = static_cast<char *>(realloc(*text, a + b + 1));
    if (!r) {
        mpm__RaiseException(MPM_EXC_MEMORY, MPM_EXC_MEMORY);
        return false;
    }
    memcpy(r + a, piece, b + 1);
    *text = r;
    return true;
}

bool append_owned(char **text, char *piece)
{
    if (!piece) {
        mpm__RaiseException(MPM_EXC_MEMORY, MPM_EXC_MEMORY);
        return false;
    }
    bool ok = append(text, piece);
    free(piece);
    return ok;
}

/* Appends the formatted message of `code` (options not merged again). */
int get_message(int options, int code, char **text, va_list *args)
{
    char marker = ' ';
    const char *body = text_of(options, code, &marker);
    if (!body) {
        body = text_of(0, MPM__INVALIDMESSAGE, &marker);
        if (!body) body = "..... INVALID MESSAGE .....\n";
        return append(text, body) ? 0 : MPM_EXC_MEMORY;
    }
    char *piece;
    if (options & MPM_OPT_RAW) {
        piece = strdup(body);
    } else if (args) {
        va_list copy;
        va_copy(copy, *args);
        bool extended = marker == '+' || (options & MPM_OPT_EXTENDED);
        piece = mpm__FormatMessage(options, body, extended, &copy);
        va_end(copy);
    } else {
        piece = mpm__FormatMessage(options, body, 0, nullptr);
    }
    return append_owned(text, piece) ? 0 : MPM_EXC_MEMORY;
}

/* Formats one message with the given variable arguments into *text. */
void append_message(char **text, int code, ...)
{
    va_list ap;
    va_start(ap, code);
    get_message(0, code, text, &ap);
    va_end(ap);
}

/* Counts a record; true when it is to be suppressed. */
bool check_count(int code, int severity)
{
    int lvl = level_of(severity);
    mpm__LevelCount[lvl]++;
    bool suppressed = mpm__MaxErrorLevel[lvl] != -1 && mpm__LevelCount[lvl] > mpm__MaxErrorLevel[lvl];
    if (g_counts) {
        MpmCount *e = static_cast<MpmCount *>(otm_GetObject(OTM_SILENT, g_counts, &code));
        if (!e) {
            MpmCount fresh = {code, mpm__MaxError, 0, 0};
            e = static_cast<MpmCount *>(otm_AddObject(0, g_counts, &fresh));
        }
        if (e) {
            e->count++;
            e->total++;
            if (e->max != -1 && e->count > e->max) suppressed = true;
            if (suppressed) e->count--;
        }
    }
    return suppressed;
}

void uncount(int code, int severity)
{
    int lvl = level_of(severity);
    if (mpm__LevelCount[lvl] > 0) mpm__LevelCount[lvl]--;
    if (!g_counts) return;
    MpmCount *e = static_cast<MpmCount *>(otm_GetObject(OTM_SILENT, g_counts, &code));
    if (e) {
        if (e->count > 0) e->count--;
        if (e->total > 0) e->total--;
    }
}

/* Banner, appended text and message of one record. */
char *build_text(int options, int code, int severity, const MpmTokens *tk)
{
    char *text = nullptr;
    if (!(options & MPM_OPT_NO_BANNER)) {
        int sev = level_of(severity) + MPM_INFO;
        append_message(&text, sev, mpm_GetMsgName(code));
        if (tk && tk->file) append_message(&text, MPM__DEBUG, tk->file, tk->line);
        append_message(&text, MPM__STARS);
    }
    if (tk && tk->text) append(&text, tk->text);
    get_message(options & (MPM_OPT_RAW | MPM_OPT_NEG_INDEX | MPM_OPT_EXTENDED), code, &text,
                tk ? tk->args : nullptr);
    if (!text) text = strdup("");
    return text;
}

void raise_for(int code, int severity)
{
    const PdxMessage *msg = pdx__FindMessage(code, nullptr);
    mpm__RaiseException(msg ? msg->exc_class : MPM_EXC_NONE, code);
    mpm__RaiseException(severity, code);
}

void pop(MpmStackEntry *out)
{
    MpmStackEntry *e = static_cast<MpmStackEntry *>(olm_GetObject(0, g_stack, OLM_FIRST));
    *out = *e;
    olm_RemoveObject(0, g_stack, OLM_FIRST);
}

void delete_tree(OtmTree *&t)
{
    if (t) otm_DeleteTree(0, t);
    t = nullptr;
}

} // namespace

extern "C" {

int mpm_Initialize(void)
{
    pdx__RegisterModule(&mpm__Module);
    if (g_ready) return mpm_ClearError();
    g_busy++;
    g_stack = olm_CreateList(0, (int)sizeof(MpmStackEntry), 32, nullptr);
    g_exceptions = otm_CreateTree(0, (int)sizeof(ExceptionEntry), compare_int, nullptr);
    g_conversions = otm_CreateTree(0, (int)sizeof(ConversionEntry), compare_name, nullptr);
    g_names = otm_CreateTree(0, (int)sizeof(NameEntry), compare_int, nullptr);
    mpm__Buffer = static_cast<char *>(malloc(MPM_BUFFER_SIZE));
    g_busy--;
    g_ready = true;
    for (int &m : mpm__MaxErrorLevel) m = -1;
    mpm_ClearError();
    if (!g_stack || !g_exceptions || !g_conversions || !g_names || !mpm__Buffer)
        mpm__RaiseException(MPM_EXC_MEMORY, MPM_EXC_MEMORY);
    return 0;
}

int mpm_Terminate(void)
{
    if (!g_ready) return 0;
    mpm_ClearStack(0);
    if (g_stack) olm_DeleteList(0, g_stack);
    g_stack = nullptr;
    delete_tree(g_counts);
    delete_tree(g_exceptions);
    delete_tree(g_conversions);
    delete_tree(g_names);
    mpm_CloseLog();
    free(mpm__Buffer);
    mpm__Buffer = nullptr;
    g_ready = false;
    return 0;
}

int mpm_ParseToken(va_list *args, MpmTokens *out)
{
    memset(out, 0, sizeof *out);
    for (;;) {
        int tag = va_arg(*args, int);
        switch (tag) {
        case MPM_TAG_ARGS: out->args = args; return 0;
        case MPM_TAG_VALIST: out->args = va_arg(*args, va_list *); return 0;
        case MPM_TAG_TEXT:
            free(out->text);
            out->text = va_arg(*args, char *);
            break;
        case MPM_TAG_FILELINE:
            out->file = va_arg(*args, const char *);
            out->line = va_arg(*args, int);
            break;
        case MPM_TAG_STREAM: out->stream = va_arg(*args, FILE *); break;
        default: out->args = nullptr; return -1;
        }
    }
}

int mpm__SetErrorV(int options, int code, int severity, const MpmTokens *tk)
{
    options |= mpm__Option;
    if (options & MPM_OPT_ISSUE)
        return mpm__IssueErrorV(options | MPM_OPT_KEEP_STACK | MPM_OPT_TAGGED, code, severity, tk);
    char *extra = tk ? tk->text : nullptr;
    if (g_busy) {
        free(extra);
        raise_for(code, severity);
        return code;
    }
    mpm__LastError = code;
    mpm__LastSeverity = severity;
    if (!(options & MPM_OPT_NO_COUNT) && check_count(code, severity)) {
        free(extra);
        mpm__RaiseException(MPM_EXC_MAXERROR, code);
    } else if (g_stack) {
        g_busy++;
        MpmStackEntry e = {severity, code, build_text(options, code, severity, tk)};
        free(extra);
        if (!e.text || !olm_AddObject(0, g_stack, OLM_FIRST, &e)) {
            free(e.text);
            mpm__RaiseException(MPM_EXC_MEMORY, code);
        }
        g_busy--;
    } else {
        free(extra);
    }
    raise_for(code, severity);
    return code;
}

int mpm__IssueErrorV(int options, int code, int severity, const MpmTokens *tk)
{
    options |= mpm__Option;
    char *extra = tk ? tk->text : nullptr;
    if (g_busy) {
        free(extra);
        raise_for(code, severity);
        return code;
    }
    mpm__LastError = code;
    mpm__LastSeverity = severity;
    if (check_count(code, severity)) {
        free(extra);
        mpm__RaiseException(MPM_EXC_MAXERROR, code);
    } else {
        g_busy++;
        char *text = build_text(options, code, severity, tk);
        free(extra);
        mpm__IssueMessage(options, tk && tk->stream ? tk->stream : stderr, text);
        g_busy--;
    }
    raise_for(code, severity);
    if (!(options & MPM_OPT_KEEP_STACK)) {
        if (options & MPM_OPT_CLEAR_AFTER_ISSUE)
            mpm_ClearStack(options);
        else
            mpm_DumpStack(options);
    }
    return code;
}

int mpm__SetError(int options, int code, int severity, ...)
{
    va_list ap;
    va_start(ap, severity);
    MpmTokens tk;
    memset(&tk, 0, sizeof tk);
    if ((options | mpm__Option) & MPM_OPT_TAGGED)
        mpm_ParseToken(&ap, &tk);
    else
        tk.args = &ap;
    int r = mpm__SetErrorV(options, code, severity, &tk);
    va_end(ap);
    return r;
}

int mpm__IssueError(int options, int code, int severity, ...)
{
    va_list ap;
    va_start(ap, severity);
    MpmTokens tk;
    memset(&tk, 0, sizeof tk);
    if ((options | mpm__Option) & MPM_OPT_TAGGED)
        mpm_ParseToken(&ap, &tk);
    else
        tk.args = &ap;
    int r = mpm__IssueErrorV(options, code, severity, &tk);
    va_end(ap);
    return r;
}

int mpm__GetMessageV(int options, int code, char **text, va_list *args)
{
    if (!text) return MPM_EXC_MEMORY;
    return get_message(options | mpm__Option, code, text, args);
}

int mpm_GetMessage(int options, int code, char **text, ...)
{
    if (!text) return 0;
    va_list ap;
    va_start(ap, text);
    options |= mpm__Option;
    MpmTokens tk;
    memset(&tk, 0, sizeof tk);
    if (options & MPM_OPT_TAGGED)
        mpm_ParseToken(&ap, &tk);
    else
        tk.args = &ap;
    if (tk.text) {
        append(text, tk.text);
        free(tk.text);
    }
    int r = get_message(options, code, text, tk.args);
    va_end(ap);
    return r;
}

const char *mpm_GetMsgName(int code)
{
    char marker;
    if (code == 0) {
        const char *t = text_of(0, MPM__NOERR, &marker);
        return t ? t : "NOERR";
    }
    const PdxModule *m;
    const PdxMessage *msg = pdx__FindMessage(code, &m);
    if (!msg) {
        const char *t = text_of(0, MPM__UNKNOWN, &marker);
        return t ? t : "UNKNOWN";
    }
    if (g_names) {
        NameEntry *e = static_cast<NameEntry *>(otm_GetObject(OTM_SILENT, g_names, &code));
        if (e) return e->name;
    }
    NameEntry fresh;
    fresh.code = code;
    snprintf(fresh.name, sizeof fresh.name, "%s_%s", m->name, msg->name);
    if (g_names) {
        g_busy++;
        NameEntry *e = static_cast<NameEntry *>(otm_AddObject(0, g_names, &fresh));
        g_busy--;
        if (e) return e->name;
    }
    memcpy(g_name_scratch, fresh.name, sizeof g_name_scratch);
    return g_name_scratch;
}

int mpm_DumpStack(int options)
{
    options |= mpm__Option;
    int popped = 0;
    while (g_stack && g_stack->count > 0) {
        bool alone = g_stack->count == 1;
        MpmStackEntry e;
        pop(&e);
        bool print = (options & MPM_OPT_DUMP_ALL) || ((options & MPM_OPT_DUMP_NEWEST) && popped == 0) ||
                     ((options & MPM_OPT_DUMP_OLDEST) && alone);
        ++popped;
        if (print)
            mpm__IssueMessage(options, stderr, e.text);
        else
            free(e.text);
    }
    mpm__LastError = 0;
    mpm__LastSeverity = 0;
    return 0;
}

int mpm_ClearStack(int options)
{
    (void)options;
    while (g_stack && g_stack->count > 0) {
        MpmStackEntry e;
        pop(&e);
        uncount(e.code, e.severity);
        free(e.text);
    }
    mpm__LastError = 0;
    return 0;
}

int mpm_ClearError(void)
{
    mpm_ClearStack(0);
    delete_tree(g_counts);
    if (g_ready) {
        g_busy++;
        g_counts = otm_CreateTree(0, (int)sizeof(MpmCount), compare_int, nullptr);
        g_busy--;
    }
    for (int &c : mpm__LevelCount) c = 0;
    mpm__LastSeverity = 0;
    return 0;
}

void mpm__RaiseException(int key, int code)
{
    if (!g_exceptions) return;
    ExceptionEntry *e = static_cast<ExceptionEntry *>(otm_GetObject(OTM_SILENT, g_exceptions, &key));
    if (e && e->handler) e->handler(key, code);
}

int mpm_SetExceptionHandler(int key, MpmExceptionHandler handler)
{
    if (!g_exceptions) return -1;
    ExceptionEntry fresh = {key, handler};
    g_busy++;
    ExceptionEntry *e = static_cast<ExceptionEntry *>(otm_AddObject(0, g_exceptions, &fresh));
    g_busy--;
    if (!e) return -1;
    e->handler = handler;
    return 0;
}

int mpm_AddConversion(const char *name, MpmConversionHandler handler)
{
    if (!g_conversions || !name || !*name || strlen(name) >= kConvNameSize || !handler) return -1;
    ConversionEntry fresh;
    memset(&fresh, 0, sizeof fresh);
    strcpy(fresh.name, name);
    fresh.handler = handler;
    g_busy++;
    ConversionEntry *e = static_cast<ConversionEntry *>(otm_AddObject(0, g_conversions, &fresh));
    g_busy--;
    if (!e) return -1;
    e->handler = handler;
    return 0;
}

MpmConversionHandler mpm__FindConversion(const char *name)
{
    if (!g_conversions || strlen(name) >= kConvNameSize) return nullptr;
    const ConversionEntry *e =
        static_cast<const ConversionEntry *>(otm_GetObject(OTM_SILENT, g_conversions, name));
    return e ? e->handler : nullptr;
}

void mpm__ForEachCount(void (*fn)(void *ctx, const MpmCount *entry), void *ctx)
{
    if (!g_counts) return;
    otm_ResetCycle(g_counts);
    while (const MpmCount *e = static_cast<const MpmCount *>(otm_CycleTree(0, g_counts))) fn(ctx, e);
}

int mpm_SetOptions(int options)
{
    int old = mpm__Option;
    mpm__Option = options;
    return old;
}

int mpm_GetOptions(void) { return mpm__Option; }

void mpm_SetLineFormat(int width, int left_margin, int right_margin, int justify)
{
    if (width >= 0) mpm__LineWidth = width;
    if (left_margin >= 0) mpm__LeftMargin = left_margin;
    if (right_margin >= 0) mpm__RightMargin = right_margin;
    if (justify >= 1 && justify <= 3) mpm__Justify = justify;
}

int mpm_SetMaxError(int max)
{
    int old = mpm__MaxError;
    mpm__MaxError = max < -1 ? -1 : max;
    return old;
}

int mpm_SetMaxErrorLevel(int severity, int max)
{
    int i = severity - MPM_INFO;
    if (i < 0 || i >= MPM_LEVELS) return -1;
    int old = mpm__MaxErrorLevel[i];
    mpm__MaxErrorLevel[i] = max < -1 ? -1 : max;
    return old;
}

int mpm_GetLastError(void) { return mpm__LastError; }
int mpm_GetLastSeverity(void) { return mpm__LastSeverity; }
int mpm_GetStackDepth(void) { return olm_GetCount(g_stack); }

int mpm_StackHoldsError(void)
{
    if (!g_stack) return 0;
    int found = 0;
    olm_ResetCycle(g_stack);
    while (const MpmStackEntry *e = static_cast<const MpmStackEntry *>(olm_CycleList(0, g_stack)))
        if (e->severity == MPM_ERROR || e->severity == MPM_FATAL) found = 1;
    return found;
}

int mpm_GetErrorCount(int code, int *count, int *total)
{
    const MpmCount *e =
        g_counts ? static_cast<const MpmCount *>(otm_GetObject(OTM_SILENT, g_counts, &code)) : nullptr;
    if (count) *count = e ? e->count : 0;
    if (total) *total = e ? e->total : 0;
    return e ? e->count : 0;
}

int mpm_GetLevelCount(int severity)
{
    int i = severity - MPM_INFO;
    return i >= 0 && i < MPM_LEVELS ? mpm__LevelCount[i] : 0;
}

} // extern "C"
