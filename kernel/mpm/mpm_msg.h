/* Status codes of the message manager (module 1, MPM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_MPM_MPM_MSG_H
#define VYR_KERNEL_MPM_MPM_MSG_H

#define MPM_MESSAGES(X)                                                                                      \
    X(INFO, 1, " *** Information (%s) ")                                                                     \
    X(STATUS, 1, " *** Status (%s) ")                                                                        \
    X(WARNING, 1, " *** Warning (%s) ")                                                                      \
    X(ERROR, 1, " *** Error (%s) ")                                                                          \
    X(FATAL, 1, " *** Fatal (%s) ")                                                                          \
    X(_STARS, 1, " ***\n")                                                                                   \
    X(_DEBUG, 1, " @%s(%d) ")                                                                                \
    X(_INVALIDMESSAGE, 1, " ..... INVALID MESSAGE .....\n")                                                  \
    X(_UNKNOWN, 1, " UNKNOWN")                                                                               \
    X(OPENERROR, 1, " Error opening file %s for write.\n")                                                   \
    X(CLOSEERROR, 1, " Error closing file.\n")                                                               \
    X(DOFERROR, 1, " DOF error %d\n")                                                                        \
    X(_NOERR, 1, " NOERR")

enum {
    MPM__MSGBASE = 1 << 16,
#define MPM__CODE_OF(name, cls, text) MPM_##name,
    MPM_MESSAGES(MPM__CODE_OF)
#undef MPM__CODE_OF
        MPM__MSGEND
};

#endif
