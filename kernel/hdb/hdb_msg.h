/* Status codes of the memory debugger (module 16, HDB): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_HDB_HDB_MSG_H
#define VYR_KERNEL_HDB_HDB_MSG_H

#define HDB_MESSAGES(X) X(_DUMMY, 1, " Memory debugger message.\n")

enum {
    HDB__MSGBASE = 16 << 16,
#define HDB__CODE_OF(name, cls, text) HDB_##name,
    HDB_MESSAGES(HDB__CODE_OF)
#undef HDB__CODE_OF
        HDB__MSGEND
};

#endif
