/* Status codes of the object tree manager (module 3, OTM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_OTM_OTM_MSG_H
#define VYR_KERNEL_OTM_OTM_MSG_H

#define OTM_MESSAGES(X)                                                                                      \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory\n")                                                        \
    X(INVALIDSIZE, 1, " Invalid size = %d\n")                                                                \
    X(NULLPOINTER, 1, " NULL pointer\n")                                                                     \
    X(LOGICERROR, 1, " Object Tree Manager Logic Error\n")                                                   \
    X(INVALIDCOMPARE, 1, " Invalid return from compare function = %d\n")                                     \
    X(NOTFOUND, 1, " Object not found\n")                                                                    \
    X(INVALIDOPTION, 1, " Invalid option\n")                                                                 \
    X(SIZENOTEQ, 1, " Data size one (%d) does not equal data size two (%d)\n")                               \
    X(FUNCTIONNOTEQ, 1, " Function pointer one does not equal function pointer two\n")

enum {
    OTM__MSGBASE = 3 << 16,
#define OTM__CODE_OF(name, cls, text) OTM_##name,
    OTM_MESSAGES(OTM__CODE_OF)
#undef OTM__CODE_OF
        OTM__MSGEND
};

#endif
