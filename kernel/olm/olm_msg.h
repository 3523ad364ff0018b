/* Status codes of the object list manager (module 2, OLM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_OLM_OLM_MSG_H
#define VYR_KERNEL_OLM_OLM_MSG_H

#define OLM_MESSAGES(X)                                                                                      \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory\n")                                                        \
    X(INVALIDSIZE, 1, " Invalid size = %d\n")                                                                \
    X(NULLPOINTER, 1, " NULL pointer\n")                                                                     \
    X(INVALIDPOSITION, 1, " Invalid position = %d\n")                                                        \
    X(SIZENOTEQ, 1, " Data size one (%d) does not equal data size two (%d)\n")

enum {
    OLM__MSGBASE = 2 << 16,
#define OLM__CODE_OF(name, cls, text) OLM_##name,
    OLM_MESSAGES(OLM__CODE_OF)
#undef OLM__CODE_OF
        OLM__MSGEND
};

#endif
