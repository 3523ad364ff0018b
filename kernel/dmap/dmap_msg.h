/* Status codes of the DXF mapping tables (module 108, DMAP): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DMAP_DMAP_MSG_H
#define VYR_KERNEL_DMAP_DMAP_MSG_H

#define DMAP_MESSAGES(X)                                                                                     \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(INVALID_PARAMETER, 1, " Invalid parameter.\n")                                                         \
    X(INTERNAL_ERR, 1, " An internal error occurred in function %s.\n")

enum {
    DMAP__MSGBASE = 108 << 16,
#define DMAP__CODE_OF(name, cls, text) DMAP_##name,
    DMAP_MESSAGES(DMAP__CODE_OF)
#undef DMAP__CODE_OF
        DMAP__MSGEND
};

#endif
