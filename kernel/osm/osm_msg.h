/* Status codes of the object stack manager (module 4, OSM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_OSM_OSM_MSG_H
#define VYR_KERNEL_OSM_OSM_MSG_H

#define OSM_MESSAGES(X)                                                                                      \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory\n")                                                        \
    X(NULLPOINTER, 1, " NULL pointer\n")                                                                     \
    X(NOOBJECTS, 1, " The stack holds no objects\n")

enum {
    OSM__MSGBASE = 4 << 16,
#define OSM__CODE_OF(name, cls, text) OSM_##name,
    OSM_MESSAGES(OSM__CODE_OF)
#undef OSM__CODE_OF
        OSM__MSGEND
};

#endif
