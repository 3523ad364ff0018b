/* Status codes of the mapping tables (module 19, MAP): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_MAP_MAP_MSG_H
#define VYR_KERNEL_MAP_MAP_MSG_H

#define MAP_MESSAGES(X)                                                                                      \
    X(INVALID_PTR, 1, " Invalid database pointer.\n")                                                        \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(ALREADY_DEFINED, 1, " Mapping %s is already defined.\n")                                               \
    X(UNDEFINED, 1, " Mapping %s is not defined.\n")                                                         \
    X(LIST_TOO_LONG, 1, " List too long.\n")                                                                 \
    X(TOO_MANY_PARAMS, 1, " Too many parameters.\n")                                                         \
    X(EMPTY_PARAM, 1, " Empty parameter.\n")                                                                 \
    X(UNKNOWN_TOKEN, 1, " Unknown token %s.\n")                                                              \
    X(SYNTAX_ERR, 1, " Syntax error in mapping %s.\n")                                                       \
    X(TREE_ERR, 1, " Error using OTM tree.\n")                                                               \
    X(LIST_ERR, 1, " Error using OLM list.\n")                                                               \
    X(NO_MAPPING, 1, " No mapping found for %s.\n")                                                          \
    X(EMPTY_LIST, 1, " The list is empty.\n")                                                                \
    X(NOT_DEFINED, 1, " %s is not defined.\n")                                                               \
    X(INCORRECT_TYPE, 1, " Incorrect type.\n")                                                               \
    X(NO_FORMS, 1, " No forms are defined.\n")                                                               \
    X(PARAM_ALREADY_DEFINED, 1, " Parameter %s is already defined.\n")                                       \
    X(UNDEFINED_PARAM, 1, " Parameter %s is not defined.\n")                                                 \
    X(INTERNAL_ERR, 1, " An internal error occurred in function %s.\n")                                      \
    X(FILE_DOES_NOT_EXIST, 1, " File %s does not exist.\n")                                                  \
    X(OPEN_ERR, 1, " Error opening file %s.\n")                                                              \
    X(READ_ERR, 1, " Error reading from file %s.\n")                                                         \
    X(PARSE_ERR, 1, " Error parsing file %s.\n")                                                             \
    X(NO_MODEL, 1, " No model is active.\n")                                                                 \
    X(FILE_ERR, 1, " File error.\n")                                                                         \
    X(NOT_LISTABLE, 1, " The item cannot be listed.\n")                                                      \
    X(CONDITIONAL_NO_MATCH, 1, " No conditional mapping matched.\n")                                         \
    X(HAS_PARENTS, 1, " Entity is referenced from another entity.\n")                                        \
    X(UNEXPECTED_DTF, 1, " Unexpected type/form.\n")                                                         \
    X(NON_GENERAL_MAP, 1, " The mapping is not a general mapping.\n")                                        \
    X(NO_TARGET_DDF, 1, " No target data definition.\n")                                                     \
    X(NO_PROCESS_CONDITIONAL, 1, " Conditional mappings are not processed here.\n")                          \
    X(INVOKE_NONCONDITIONAL, 1, " A non-conditional mapping was invoked as conditional.\n")                  \
    X(CNDTL_NEST_TOO_DEEP, 1, " Conditional mappings are nested too deeply.\n")

enum {
    MAP__MSGBASE = 19 << 16,
#define MAP__CODE_OF(name, cls, text) MAP_##name,
    MAP_MESSAGES(MAP__CODE_OF)
#undef MAP__CODE_OF
        MAP__MSGEND
};

#endif
