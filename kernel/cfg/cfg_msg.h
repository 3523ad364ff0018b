/* Status codes of the configuration reader (module 17, CFG): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_CFG_CFG_MSG_H
#define VYR_KERNEL_CFG_CFG_MSG_H

#define CFG_MESSAGES(X)                                                                                      \
    X(BINARY_UNSUPPORTED, 1, " Binary configuration files are not supported.\n")                             \
    X(CB_EXP, 1, " Line %d: '}' expected.\n")                                                                \
    X(CB_INVAL, 1, " Line %d: '}' is not valid here.\n")                                                     \
    X(CEQ_EXP, 1, " Line %d: '=' expected.\n")                                                               \
    X(CLOSE_ERROR, 1, " Error closing the configuration file %s.\n")                                         \
    X(COP_EXP, 1, " Line %d: ',' expected.\n")                                                               \
    X(DATA_IGNORED, 1, " Line %d: data after the value ignored.\n")                                          \
    X(D_TO_I, 1, " Line %d: a real value was converted to an integer.\n")                                    \
    X(ENT_NOT_FOUND, 1, " Entity %s not found.\n")                                                           \
    X(ENT_WO_SECTION, 1, " Line %d: entity outside of a section.\n")                                         \
    X(IDEN_EXP, 1, " Line %d: identifier expected.\n")                                                       \
    X(INVALID_DDF, 1, " Invalid data definition %s.\n")                                                      \
    X(INVALID_DEFAULT, 1, " Invalid default value for %s.\n")                                                \
    X(INVALID_COMBO, 1, " Invalid combination of settings.\n")                                               \
    X(INVALID_COUNT, 1, " Line %d: invalid count.\n")                                                        \
    X(INVALID_MODEL, 1, " Invalid model number %d.\n")                                                       \
    X(INVALID_NAME, 1, " Invalid name %s.\n")                                                                \
    X(INVALID_SECTION, 1, " Invalid section %s.\n")                                                          \
    X(I_TO_D, 1, " Line %d: an integer value was converted to a real.\n")                                    \
    X(LOCK_ERROR, 1, " Error locking an entity.\n")                                                          \
    X(MALLOC_ERROR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                         \
    X(MODEL_INIT_ERROR, 1, " Error initializing the configuration model.\n")                                 \
    X(MODEL_ALLOC_ERROR, 1, " Error allocating the configuration model.\n")                                  \
    X(MULT_DIM_ARRAY, 1, " Line %d: multi-dimensional arrays are not supported.\n")                          \
    X(NESTED_COMMENT, 1, " Line %d: nested comment.\n")                                                      \
    X(NEWLINE_STRING, 1, " Line %d: line break inside a string.\n")                                          \
    X(NO_ENTITIES, 1, " The configuration holds no entities.\n")                                             \
    X(NOT_SUPPORTED, 1, " Not supported: %s.\n")                                                             \
    X(NOT_UNIQUE, 1, " Name %s is not unique.\n")                                                            \
    X(OB_EXP, 1, " Line %d: '{' expected.\n")                                                                \
    X(OB_INVAL, 1, " Line %d: '{' is not valid here.\n")                                                     \
    X(OPEN_ERROR, 1, " Error opening the configuration file %s.\n")                                          \
    X(PARAM_REDEC, 1, " Parameter %s declared again.\n")                                                     \
    X(PARSE_ERROR, 1, " Line %d: syntax error.\n")                                                           \
    X(PRINT_USAGE, 1, " %s\n")                                                                               \
    X(PS_ERROR, 1, " Error in parameter section.\n")                                                         \
    X(PVAL_EXP, 1, " Line %d: parameter value expected.\n")                                                  \
    X(RANGE_ERROR, 1, " Line %d: value out of range.\n")                                                     \
    X(READ_ERROR, 1, " Error reading the configuration file %s.\n")                                          \
    X(SECTION_MISSING, 1, " Section %s is missing.\n")                                                       \
    X(ST_ARRAY, 1, " Line %d: arrays of structures are not supported.\n")                                    \
    X(TRAVERSE_ENT_ERROR, 1, " Error traversing an entity.\n")                                               \
    X(TRAVERSE_MODEL_ERROR, 1, " Error traversing the model.\n")                                             \
    X(UNEXPECTED_EOF, 1, " Unexpected end of the configuration file.\n")                                     \
    X(UNDEFINED_SYMBOL, 1, " Line %d: undefined symbol %s.\n")                                               \
    X(UNKNOWN_OPTION, 1, " Unknown option %s.\n")                                                            \
    X(UNLOCK_ERROR, 1, " Error unlocking an entity.\n")                                                      \
    X(_ARRAY_ERROR, 1, " Internal error: array.\n")                                                          \
    X(_ADDL_ERROR, 1, " Internal error: adding to a list.\n")                                                \
    X(_ADDT_ERROR, 1, " Internal error: adding to a tree.\n")                                                \
    X(_DELETEL_ERROR, 1, " Internal error: deleting a list.\n")                                              \
    X(_DELETET_ERROR, 1, " Internal error: deleting a tree.\n")                                              \
    X(_DIM_ERROR, 1, " Internal error: dimension.\n")                                                        \
    X(_ERROR_RECORD, 1, " Internal error: error record.\n")                                                  \
    X(_ERROR_PTR, 1, " Internal error: pointer.\n")                                                          \
    X(_GETL_ERROR, 1, " Internal error: reading a list.\n")                                                  \
    X(_INVALID_TYPE, 1, " Internal error: invalid type.\n")                                                  \
    X(_LIST_ERROR, 1, " Internal error: list.\n")                                                            \
    X(_MOD_UDATA_ERROR, 1, " Internal error: user data.\n")                                                  \
    X(_RESETL_ERROR, 1, " Internal error: resetting a list.\n")                                              \
    X(_RESETT_ERROR, 1, " Internal error: resetting a tree.\n")                                              \
    X(_STRUCT_COUNT_ERROR, 1, " Internal error: structure count.\n")                                         \
    X(_TREE_ERROR, 1, " Internal error: tree.\n")                                                            \
    X(_UNKNOWN_TYPE, 1, " Internal error: unknown type.\n")

enum {
    CFG__MSGBASE = 17 << 16,
#define CFG__CODE_OF(name, cls, text) CFG_##name,
    CFG_MESSAGES(CFG__CODE_OF)
#undef CFG__CODE_OF
        CFG__MSGEND
};

#endif
