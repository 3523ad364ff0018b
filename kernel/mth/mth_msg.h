/* Status codes of the vector mathematics (module 11, MTH): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_MTH_MTH_MSG_H
#define VYR_KERNEL_MTH_MTH_MSG_H

#define MTH_MESSAGES(X)                                                                                      \
    X(COLINEARPLANEPNTS, 1, " The points given to define a plane are collinear.\n")                          \
    X(NOMEMORY, PDX_CLASS_MEMORY, " Out of memory.\n")                                                       \
    X(SAMEPOINT, 1, " The points coincide.\n")                                                               \
    X(PARALLELLINES, 1, " The lines are parallel.\n")                                                        \
    X(SINGULAREQS, 1, " The system of equations is singular.\n")                                             \
    X(INVALID_RANGE, 1, " Value out of range.\n")                                                            \
    X(INVALID_OPT, 1, " Invalid option.\n")                                                                  \
    X(MINMAX, 1, " Minimum exceeds maximum.\n")                                                              \
    X(SINGULAR_MATRIX, 1, " The matrix is singular.\n")                                                      \
    X(ORIGIN_POINT, 1, " The point lies at the origin.\n")                                                   \
    X(SELFINTERSECT_LOOP, 1, " The loop intersects itself.\n")                                               \
    X(ORIGIN_CROSSING, 1, " The curve crosses the origin.\n")                                                \
    X(DEGENERATE_LINE, 1, " The line is degenerate.\n")

enum {
    MTH__MSGBASE = 11 << 16,
#define MTH__CODE_OF(name, cls, text) MTH_##name,
    MTH_MESSAGES(MTH__CODE_OF)
#undef MTH__CODE_OF
        MTH__MSGEND
};

#endif
