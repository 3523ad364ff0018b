/* Status codes of the object queue manager (module 5, OQM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_OQM_OQM_MSG_H
#define VYR_KERNEL_OQM_OQM_MSG_H

#define OQM_MESSAGES(X)                                                                                      \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory\n")                                                        \
    X(NULLPOINTER, 1, " NULL pointer\n")                                                                     \
    X(NOOBJECTS, 1, " The queue holds no objects\n")

enum {
    OQM__MSGBASE = 5 << 16,
#define OQM__CODE_OF(name, cls, text) OQM_##name,
    OQM_MESSAGES(OQM__CODE_OF)
#undef OQM__CODE_OF
        OQM__MSGEND
};

#endif
