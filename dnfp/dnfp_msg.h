/* Status codes of the DXF mapping layer (module 105, DNFP): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_DNFP_DNFP_MSG_H
#define VYR_DNFP_DNFP_MSG_H

#define DNFP_MESSAGES(X)                                                                                     \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(TREE_ERR, 1, " Error using OTM tree.\n")                                                               \
    X(INITIALIZE_ERROR, 1, " Error initializing the dnfp subsystem:\n%s\n")                                  \
    X(READ_ERROR, 1, " Error reading from the file '%s'.\n")                                                 \
    X(INVALID_ENTITY, 1, " Entity of unknown type could not be processed.\n")                                \
    X(ATTRIBUTE_FOUND, 1, " The 'ATTRIB' token found is not valid.\n")                                       \
    X(NAME_NOT_FOUND, 1, " The %s name from the %s table was not found.  Defaulting to %s.\n")               \
    X(DUPLICATE_HANDLE, 1,                                                                                   \
      " The handle, %s, is duplicated within the given input file. The entity with the duplicate handle "    \
      "will be created without the duplicated handle.\n")                                                    \
    X(INVALID_XDATA_APPID, 1, " Invalid Extended Entity Data has been detected and will be ignored\n")       \
    X(INVALID_POLYLINE, 1,                                                                                   \
      " The polyline with handle, %s, has either one or no vertices and will be deleted.\n")                 \
    X(INCOMPLETE_DATA, 1, " Data is incomplete for entity/object type %s (handle %s).\n")                    \
    X(UNDEFINED_BLOCK, 1, " The INSERT with handle %s names a block that is not defined; it is left out.\n") \
    X(ARRAY_CAPPED, 1, " The INSERT with handle %s asks for %ld copies; only the first %ld are drawn.\n")    \
    X(TOOLKIT_WARNING, 1, " Reading the drawing: %s.\n")

enum {
    DNFP__MSGBASE = 105 << 16,
#define DNFP__CODE_OF(name, cls, text) DNFP_##name,
    DNFP_MESSAGES(DNFP__CODE_OF)
#undef DNFP__CODE_OF
        DNFP__MSGEND
};

#endif
