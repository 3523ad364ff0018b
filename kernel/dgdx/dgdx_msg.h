/* Status codes of the DXF geometry exchange (module 107, DGDX): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DGDX_DGDX_MSG_H
#define VYR_KERNEL_DGDX_DGDX_MSG_H

#define DGDX_MESSAGES(X)                                                                                     \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_FORM, 1, " Invalid form.\n")                                                                   \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(NO_DXF_ENTITY, 1, " No DXF entity.\n")                                                                 \
    X(INVALID_GDX_MODEL, 1, " Invalid geometry model.\n")                                                    \
    X(INVALID_MODEL, 1, " Invalid model.\n")                                                                 \
    X(INVALID_PTR, 1, " Invalid database pointer.\n")                                                        \
    X(NO_GDX_ENTITY, 1, " No geometry entity.\n")                                                            \
    X(NOT_DXF_CURVE, 1, " The entity is not a DXF curve.\n")                                                 \
    X(NOT_DXF_SURFACE, 1, " The entity is not a DXF surface.\n")                                             \
    X(NOT_GDX_CURVE, 1, " The entity is not a geometry curve.\n")                                            \
    X(NOT_GDX_SURFACE, 1, " The entity is not a geometry surface.\n")                                        \
    X(DISCONTINUOUS_COMP_CRV, 1, " The composite curve is discontinuous.\n")                                 \
    X(GDX_ENTITY_NOT_SUPPORTED, 1, " The geometry entity is not supported.\n")                               \
    X(INVALID_DXF_POLYLINE, 1, " Invalid DXF polyline.\n")                                                   \
    X(INVALID_POLYCURVE, 1, " Invalid polycurve.\n")

enum {
    DGDX__MSGBASE = 107 << 16,
#define DGDX__CODE_OF(name, cls, text) DGDX_##name,
    DGDX_MESSAGES(DGDX__CODE_OF)
#undef DGDX__CODE_OF
        DGDX__MSGEND
};

#endif
