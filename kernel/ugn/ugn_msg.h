/* Status codes of the general utilities (module 10, UGN): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_UGN_UGN_MSG_H
#define VYR_KERNEL_UGN_UGN_MSG_H

#define UGN_MESSAGES(X)                                                                                      \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(ENV_VAR_TOO_LONG, 1, " Environment variable name too long.\n")                                         \
    X(ENVALIAS_ERR, 1, " Error while accessing environment alias table.\n")                                  \
    X(OPTS_REPEATED_OPTION, 1, " Option \"%s\" was specified more than once.\n")                             \
    X(OPTS_VALUE_MISSING, 1, " Option \"%s\" requires a value to be specified.\n")                           \
    X(OPTS_ILLEGAL_TYPE, 1, " Type \"%s\" for option \"%s\" is not a known type.\n")                         \
    X(OPTS_UNKNOWN_OPTION, 1, " Unknown option \"%s\" found.\n")                                             \
    X(OPTS_INVALID_TF, 1, " Invalid type/form \"%s\" specified for option \"%s\".\n")                        \
    X(OPTS_INVALID_NAME, 1, " Zero length name found in options structure at index %d.\n")                   \
    X(OPTS_INVALID_TYPE, 1, " Invalid type string found in options structure at index %d.\n")                \
    X(OPTS_INVALID_GROUP, 1, " Invalid group found in options structure at index %d.\n")                     \
    X(OPTS_CONFLICT, 1, " Options \"-%s\" and \"-%s\" can not be specified at the same time.\n")             \
    X(OPTS_REQUIRED_IN_GROUP, 1, " Required option \"-%s\" is inside an option group.\n")                    \
    X(OPTS_REQUIRED_NOT_FOUND, 1, " Required option \"-%s\" not specified.\n")                               \
    X(MAXEXP_ERR, 1,                                                                                         \
      " The magnitude of a floating point number exceeded the maximum allowable exponent.  Maximum "         \
      "allowable exponent will be used.\n")                                                                  \
    X(MINEXP_ERR, 1,                                                                                         \
      " The magnitude of a floating point number was less than the minimum allowable exponent.  Minimum "    \
      "allowable exponent will be used.\n")                                                                  \
    X(BAD_FLOAT, 1,                                                                                          \
      " \"%lf\" is an invalid float. An invalid floating point number was found. Number will be processed "  \
      "as 0.0.\n")                                                                                           \
    X(TMPDIR_UNUSABLE, 1,                                                                                    \
      " The temporary directory '%s' named by %s cannot be used (%s); '%s' is used instead.\n")              \
    X(NO_TMPDIR, PDX_CLASS_FILEIO, " No temporary directory can be used: '%s' (%s).\n")

enum {
    UGN__MSGBASE = 10 << 16,
#define UGN__CODE_OF(name, cls, text) UGN_##name,
    UGN_MESSAGES(UGN__CODE_OF)
#undef UGN__CODE_OF
        UGN__MSGEND
};

#endif
