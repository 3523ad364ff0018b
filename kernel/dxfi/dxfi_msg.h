/* Status codes of the DXF interface (module 100, DXFI): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DXFI_DXFI_MSG_H
#define VYR_KERNEL_DXFI_DXFI_MSG_H

#define DXFI_MESSAGES(X)                                                                                     \
    X(MALLOC_ERROR, PDX_CLASS_MEMORY, " Memory allocation error.\n")                                         \
    X(NULL_MEMPTR, 1, " unexpected NULL memory pointer.\n")                                                  \
    X(FILE_EXISTS, 1, " File already exists.\n")                                                             \
    X(MODEL_EMPTY, 1, " Model specified to be formatted does not contain any entities.\n")                   \
    X(MODEL_NOT_EMPTY, 1, " Model specified as target of parse is not empty.\n")                             \
    X(NO_FORMAT_DWG_R13, 1, " Writing of R13 DWG files is unsupported.\n")                                   \
    X(INVALID_PARSE_MODEL, 1, " Invalid model specified as target of parse.\n")                              \
    X(INVALID_FORMAT_MODEL, 1, " Invalid model specified as target of format.\n")                            \
    X(DWG_PARSE_UNSUPPORTED, 1, " Parsing of DWG files is unavailable.\n")                                   \
    X(DWG_FORMAT_UNSUPPORTED, 1, " Formatting of DWG files is unavailable.\n")                               \
    X(KESTRANE_ERR, 1, " %s\n")

enum {
    DXFI__MSGBASE = 100 << 16,
#define DXFI__CODE_OF(name, cls, text) DXFI_##name,
    DXFI_MESSAGES(DXFI__CODE_OF)
#undef DXFI__CODE_OF
        DXFI__MSGEND
};

#endif
