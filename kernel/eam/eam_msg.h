/* Status codes of the entity attribute manager (module 6, EAM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_EAM_EAM_MSG_H
#define VYR_KERNEL_EAM_EAM_MSG_H

#define EAM_MESSAGES(X)                                                                                      \
    X(NULLPOINTER, 1, " NULL pointer\n")                                                                     \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory\n")                                                        \
    X(INVALIDSIZE, 1, " Invalid size = %d\n")

enum {
    EAM__MSGBASE = 6 << 16,
#define EAM__CODE_OF(name, cls, text) EAM_##name,
    EAM_MESSAGES(EAM__CODE_OF)
#undef EAM__CODE_OF
        EAM__MSGEND
};

#endif
