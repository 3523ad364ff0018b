/* The named conversions of the message formatter. Each handler takes its
 * own argument from the argument list (db_ptr and TF as unsigned int, the
 * way a 32-bit value travels through "...") and formats through an FMT
 * message; values printed with %ld/%lx are widened to long first. */
#include "kernel/fmt/fmt.h"

#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"

namespace {

FmtModelHooks g_hooks = {nullptr, nullptr};

/* The text of one FMT message with the given arguments. */
char *message(int code, ...)
{
    char *text = nullptr;
    va_list ap;
    va_start(ap, code);
    mpm__GetMessageV(0, code, &text, &ap);
    va_end(ap);
    return text;
}

char *ptr_text(uint32_t p) { return message(FMT_PTR, (long)(p >> 25), (long)(p & 0x1FFFFFFu)); }

void tf_part(char *out, size_t size, uint32_t v)
{
    if (v == 16001)
        snprintf(out, size, "*");
    else
        snprintf(out, size, "%u", (unsigned)v);
}

char *conv_ptr(int, va_list *ap) { return ptr_text(va_arg(*ap, unsigned int)); }

char *conv_ptr2(int, va_list *ap) { return message(FMT_PTR2, (long)va_arg(*ap, unsigned int)); }

char *conv_tf(int, va_list *ap)
{
    uint32_t tf = va_arg(*ap, unsigned int);
    char type[12], form[12];
    tf_part(type, sizeof type, tf >> 16);
    tf_part(form, sizeof form, tf & 0xFFFFu);
    return message(FMT_TF, type, form);
}

char *conv_dtf(int, va_list *ap)
{
    const FmtDtf *d = va_arg(*ap, const FmtDtf *);
    char type[12] = "*", form[12] = "*";
    const char *name = "NULL";
    if (d) {
        if (d->ddf_name) name = d->ddf_name;
        tf_part(type, sizeof type, d->tf >> 16);
        tf_part(form, sizeof form, d->tf & 0xFFFFu);
    }
    return message(FMT_DTF, name, type, form);
}

char *conv_origdesc(int, va_list *ap)
{
    uint32_t p = va_arg(*ap, unsigned int);
    FmtOrigin o;
    memset(&o, 0, sizeof o);
    if (!g_hooks.describe_origin || g_hooks.describe_origin(p, &o) != 0) return ptr_text(p);
    o.name[sizeof o.name - 1] = '\0';
    o.handle[sizeof o.handle - 1] = '\0';
    switch (o.kind) {
    case FMT_ORIGIN_DXF: return message(FMT_DXFI_ORIG, o.name, o.handle);
    case FMT_ORIGIN_IGES: return message(FMT_IGES_ORIG, (unsigned)o.tf, o.name, o.number);
    case FMT_ORIGIN_STEP: return message(FMT_STEP_ORIG, o.name, o.number);
    case FMT_ORIGIN_VDAFS: return message(FMT_VDAF_ORIG, o.name, o.handle);
    case FMT_ORIGIN_MDA: return message(FMT_MDA_ORIG, o.name, (unsigned)(o.ptr ? o.ptr : p));
    default: return ptr_text(p);
    }
}

struct ListState {
    char *text;
    int total;
};

void list_row(void *ctx, const char *name, int count)
{
    ListState *s = static_cast<ListState *>(ctx);
    s->total += count;
    mpm_GetMessage(0, FMT_ENTITYCOUNT, &s->text, name ? name : "", count);
}

char *conv_modellist(int, va_list *)
{
    ListState s = {nullptr, 0};
    mpm__GetMessageV(0, FMT_ENTITYHEADER, &s.text, nullptr);
    if (!g_hooks.list_model || g_hooks.list_model(list_row, &s) != 0) {
        free(s.text);
        return message(FMT_NOMODEL);
    }
    mpm_GetMessage(0, FMT_ENTITYTOTAL, &s.text, s.total);
    return s.text;
}

struct SummaryState {
    char *text;
    int codes;
};

void summary_row(void *ctx, const MpmCount *e)
{
    SummaryState *s = static_cast<SummaryState *>(ctx);
    if (e->total <= 0) return;
    s->codes++;
    mpm_GetMessage(0, FMT_ERRORTOTAL, &s->text, e->total);
    if (e->total > e->count) mpm_GetMessage(0, FMT_ERRORISSUE, &s->text, e->count);
    mpm__GetMessageV(0, FMT_ERRORTERM, &s->text, nullptr);
    mpm_GetMessage(MPM_OPT_RAW, e->code, &s->text);
}

char *conv_errorsummary(int, va_list *)
{
    SummaryState s = {nullptr, 0};
    mpm__ForEachCount(summary_row, &s);
    if (s.codes == 0) {
        free(s.text);
        return message(FMT_NOERROR);
    }
    mpm_GetMessage(0, FMT_ERRORSUMMARY, &s.text, mpm__LevelCount[0], mpm__LevelCount[1], mpm__LevelCount[2],
                   mpm__LevelCount[3], mpm__LevelCount[4]);
    return s.text;
}

/* ctime's fixed English layout: "Wed Jun 30 21:49:08 1993\n". */
bool now_text(char out[32])
{
    time_t t = time(nullptr);
    return ctime_r(&t, out) != nullptr && strlen(out) >= 24;
}

char *conv_curdate(int, va_list *)
{
    char c[32];
    if (!now_text(c)) return nullptr;
    return message(FMT_CURDATE, c, c + 4, c + 8, c + 20);
}

char *conv_curtime(int, va_list *)
{
    char c[32];
    if (!now_text(c)) return nullptr;
    return message(FMT_CURTIME, c + 11);
}

char *elapsed(long seconds)
{
    if (seconds < 0) seconds = 0;
    return message(FMT_ELAPSEDTIME, (int)(seconds / 3600), (int)(seconds / 60 % 60), (int)(seconds % 60));
}

char *conv_elapsedcpu(int, va_list *) { return elapsed((long)((clock() - pdx__CpuBase) / CLOCKS_PER_SEC)); }

char *conv_elapsedclock(int, va_list *) { return elapsed((long)(time(nullptr) - pdx__ClockBase)); }

} // namespace

extern "C" {

int fmt_Initialize(void)
{
    pdx__RegisterModule(&fmt__Module);
    static const struct {
        const char *name;
        MpmConversionHandler handler;
    } table[] = {
        {"PTR", conv_ptr},
        {"PTR2", conv_ptr2},
        {"TF", conv_tf},
        {"DTF", conv_dtf},
        {"OrigDesc", conv_origdesc},
        {"ModelList", conv_modellist},
        {"ErrorSummary", conv_errorsummary},
        {"CurDate", conv_curdate},
        {"CurTime", conv_curtime},
        {"ElapsedCPU", conv_elapsedcpu},
        {"ElapsedClock", conv_elapsedclock},
    };
    for (const auto &e : table) mpm_AddConversion(e.name, e.handler);
    return 0;
}

void fmt_SetModelHooks(const FmtModelHooks *hooks)
{
    if (hooks)
        g_hooks = *hooks;
    else
        g_hooks = FmtModelHooks{nullptr, nullptr};
}

} // extern "C"
