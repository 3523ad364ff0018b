/* Status codes of the message formatter (module 13, FMT): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_FMT_FMT_MSG_H
#define VYR_KERNEL_FMT_FMT_MSG_H

#define FMT_MESSAGES(X)                                                                                      \
    X(CURDATE, 1, " %.3s, %.3s %.2s, %.4s")                                                                  \
    X(CURTIME, 1, " %.8s")                                                                                   \
    X(ERRORTOTAL, 1, " The following message was issued %d time(s)")                                         \
    X(ERRORISSUE, 1, "  and suppressed after %d time(s)")                                                    \
    X(ERRORTERM, 1, " \n")                                                                                   \
    X(NOERROR, 1, " No errors.\n")                                                                           \
    X(ERRORSUMMARY, 1,                                                                                       \
      " Information: %d\nStatus:      %d\nWarning:     %d\nError:       %d\nFatal:       %d\n")              \
    X(ELAPSEDTIME, 1, " %02d:%02d:%02d")                                                                     \
    X(TF, 1, " %s:%s")                                                                                       \
    X(PTR, 1, " #%ld:%ld")                                                                                   \
    X(TEST, 1, "+TF = %<TF>, PTR = %<PTR>\n")                                                                \
    X(PTR2, 1, " 0x%lx")                                                                                     \
    X(DTF, 1, " %s:%s:%s")                                                                                   \
    X(ENTITYHEADER, 1,                                                                                       \
      "  Name                                                                    "                           \
      "Count\n------------------------------------------------------------------------------\n")             \
    X(ENTITYCOUNT, 1, "  %-69s   %5d\n")                                                                     \
    X(ENTITYTOTAL, 1,                                                                                        \
      " ------------------------------------------------------------------------------\n                   " \
      "                                           Total      %5d\n")                                         \
    X(NOMODEL, 1, " No model active.\n")                                                                     \
    X(IGES_ORIG, 1, "+IGES %<TF> %s DE#%ld")                                                                 \
    X(DXFI_ORIG, 1, " DXF %s handle:%s")                                                                     \
    X(STEP_ORIG, 1, " STEP %s PFID #%ld")                                                                    \
    X(VDAF_ORIG, 1, " VDAFS %s name:%s")                                                                     \
    X(MDA_ORIG, 1, "+MDA %s model:entity %<PTR>")

enum {
    FMT__MSGBASE = 13 << 16,
#define FMT__CODE_OF(name, cls, text) FMT_##name,
    FMT_MESSAGES(FMT__CODE_OF)
#undef FMT__CODE_OF
        FMT__MSGEND
};

#endif
