/* Status codes of the page file (module 18, DOF): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DOF_DOF_MSG_H
#define VYR_KERNEL_DOF_DOF_MSG_H

#define DOF_MESSAGES(X)                                                                                      \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(OPEN_ERR, PDX_CLASS_FILEIO, " Error opening file %s.\n")                                               \
    X(READ_ERR, PDX_CLASS_FILEIO, " Error reading from file %s.\n")                                          \
    X(WRITE_ERR, PDX_CLASS_FILEIO, " Error writing to file %s.\n")                                           \
    X(CLOSE_ERR, PDX_CLASS_FILEIO, " Error closing file %s.\n")                                              \
    X(SEEK_ERR, PDX_CLASS_FILEIO, " Error seeking in file %s.\n")                                            \
    X(BAD_SIZE, 1, " Bad block size requested in file %s.\n")                                                \
    X(BAD_OFFSET, 1, " Bad offset specified into file %s.\n")                                                \
    X(BAD_SLOT, 1, " Bad slot is passed in.\n")

enum {
    DOF__MSGBASE = 18 << 16,
#define DOF__CODE_OF(name, cls, text) DOF_##name,
    DOF_MESSAGES(DOF__CODE_OF)
#undef DOF__CODE_OF
        DOF__MSGEND
};

#endif
