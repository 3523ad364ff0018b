/* Status codes of the kernel interface (module 0, PDX): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_PDX_PDX_MSG_H
#define VYR_KERNEL_PDX_PDX_MSG_H

#define PDX_MESSAGES(X)                                                                                      \
    X(EXC_NONE, 1, " no exception")                                                                          \
    X(EXC_MEMORY, 1, " Memory error")                                                                        \
    X(EXC_FILEIO, 1, " File I/O error")                                                                      \
    X(EXC_MAXERROR, 1, " max error reached")                                                                 \
    X(BAD_MSG_NAME, 1, " Invalid message name %s.\n")                                                        \
    X(CLEANUP_ERR, 1, " Cleanup error in %s at line %d.\n")                                                  \
    X(READ_ERROR, 1, " Error reading from the file '%s'.\n")                                                 \
    X(BAD_FILENAME, 1, " Invalid or null filename specified.\n")                                             \
    X(NOT_FOUND, 1, " File '%s' does not exist.\n")                                                          \
    X(OPEN_ERROR, 1, " Error opening the file '%s'.\n")                                                      \
    X(CLOSE_ERROR, 1, " Error closing the file '%s'.\n")                                                     \
    X(BAD_EOL_DELIM, 1, " The file contains end-of-line delimiters consisting of 3 or more characters.\n")   \
    X(UNKNOWN_FILETYPE, 1, " File type could not be determined for the file '%s'.\n")                        \
    X(NOT_REGULAR_FILE, 1, " '%s' is %s, not a file that can be read as a drawing.\n")

enum {
    PDX__MSGBASE = 0 << 16,
#define PDX__CODE_OF(name, cls, text) PDX_##name,
    PDX_MESSAGES(PDX__CODE_OF)
#undef PDX__CODE_OF
        PDX__MSGEND
};

#endif
