/* Status codes of the DXF file writer (module 106, DNFF): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_DNFF_DNFF_MSG_H
#define VYR_KERNEL_DNFF_DNFF_MSG_H

#define DNFF_MESSAGES(X)                                                                                     \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(TREE_ERR, 1, " Error using OTM tree.\n")                                                               \
    X(OPEN_ERROR, 1, " Error opening the file '%s'.\n")                                                      \
    X(NO_ENTITY_FOUND, 1, " No entity found.\n")                                                             \
    X(NO_TABLES_FOUND, 1, " No tables found.\n")                                                             \
    X(NAME_NOT_FOUND, 1, " The name %s was not found.\n")                                                    \
    X(NAME_TRAVERSAL_ERROR, 1, " Error walking the names of a table.\n")                                     \
    X(LIST_ERROR, 1, " Error using OLM list.\n")                                                             \
    X(ADD_ERROR, 1, " Error adding an entry.\n")                                                             \
    X(REMOVE_ERROR, 1, " Error removing an entry.\n")                                                        \
    X(TOO_MANY_HEADERS, 1, " More than one header entity found.\n")                                          \
    X(INVALID_ENTRY, 1, " Invalid table entry.\n")                                                           \
    X(VERSION_13_ENTITY_FOUND, 1, " An entity of release 13 or later cannot be written in this version.\n")  \
    X(ENT_WRITE_ERR, 1, " Error writing an entity.\n")                                                       \
    X(FILE_ERR, 1, " Error writing the file.\n")                                                             \
    X(BAD_HATCH, 1, " Invalid hatch.\n")                                                                     \
    X(HEADER_RESOLUTION, 1, " The header variables could not be resolved.\n")

enum {
    DNFF__MSGBASE = 106 << 16,
#define DNFF__CODE_OF(name, cls, text) DNFF_##name,
    DNFF_MESSAGES(DNFF__CODE_OF)
#undef DNFF__CODE_OF
        DNFF__MSGEND
};

#endif
