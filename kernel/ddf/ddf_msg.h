/* Status codes of the data definitions (module 8, DDF): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DDF_DDF_MSG_H
#define VYR_KERNEL_DDF_DDF_MSG_H

#define DDF_MESSAGES(X)                                                                                      \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(FIELD_NOT_FOUND, 1, " Specified field was not found.\n")                                               \
    X(MALLOC_ERR, 1, " Error allocating memory.\n")                                                          \
    X(OPEN_ERR, 1, " Error opening DDF file %s.\n")                                                          \
    X(READ_ERR, 1, " Error reading DDF file %s.\n")                                                          \
    X(VERSION_ERR, 1, " Binary DDF file %s has wrong version number.\n")                                     \
    X(ID_ERR, 1, " File %s is not a binary DDF.\n")                                                          \
    X(NOT_UNION_TYPE, 1, " Field type of union expected but not found.\n")

enum {
    DDF__MSGBASE = 8 << 16,
#define DDF__CODE_OF(name, cls, text) DDF_##name,
    DDF_MESSAGES(DDF__CODE_OF)
#undef DDF__CODE_OF
        DDF__MSGEND
};

#endif
