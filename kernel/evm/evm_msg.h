/* Status codes of the event manager (module 12, EVM): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_EVM_EVM_MSG_H
#define VYR_KERNEL_EVM_EVM_MSG_H

#define EVM_MESSAGES(X)                                                                                      \
    X(INVALID_PTR, 1, " Invalid pointer.\n")                                                                 \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(CHECK_NOT_FOUND, 1, " Event check not found.\n")

enum {
    EVM__MSGBASE = 12 << 16,
#define EVM__CODE_OF(name, cls, text) EVM_##name,
    EVM_MESSAGES(EVM__CODE_OF)
#undef EVM__CODE_OF
        EVM__MSGEND
};

#endif
