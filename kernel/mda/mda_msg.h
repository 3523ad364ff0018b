/* Status codes of the model database (module 9, MDA): the message list that
 * gives both these codes and the module's message table. Each entry is
 * X(name, exception class, text); a text starts with its marker character
 * (' ' printf text, '+' text with %<NAME> conversions). */
#ifndef VYR_KERNEL_MDA_MDA_MSG_H
#define VYR_KERNEL_MDA_MDA_MSG_H

#define MDA_MESSAGES(X)                                                                                      \
    X(INVALID_MODEL, 1, " Invalid model number specified.\n")                                                \
    X(INVALID_PTR, 1, " Invalid database pointer.\n")                                                        \
    X(NULL_MEMPTR, 1, " Unexpected NULL memory pointer.\n")                                                  \
    X(MALLOC_ERR, PDX_CLASS_MEMORY, " Error allocating memory.\n")                                           \
    X(REALLOC_ERR, PDX_CLASS_MEMORY, " Error reallocating memory.\n")                                        \
    X(INVALID_ARG, 1, " Invalid argument.\n")                                                                \
    X(INVALID_OPTIONS, 1, " Invalid combination of options.\n")                                              \
    X(CACHE_FULL, 1, " Entity cache is full.\n")                                                             \
    X(NO_MORE_MODEL, 1, " No more models available.\n")                                                      \
    X(NO_DDF, 1, " No DDF was specified.\n")                                                                 \
    X(NOT_RWLOCKED, 1, " Entity must be read/write locked.\n")                                               \
    X(TOO_MANY_LOCKS, 1, " Entity locked too many times without being unlocked.\n")                          \
    X(PAR_LIST_ERR, 1, " Error processing entity parent list.\n")                                            \
    X(NO_BACKPTRS, 1, " No back pointer information exists in model.\n")                                     \
    X(PAR_NOT_FOUND, 1, " Parent not found in parent list of entity.\n")                                     \
    X(HAS_PARENTS, 1, " Entity is referenced from another entity.\n")                                        \
    X(ZERO_DIM, 1, " Can not allocate an array which has 0 elements in one or more dimensions.\n")           \
    X(ARRAY_MISMATCH, 1,                                                                                     \
      " Number of dimensions or element size specified is different than array was originally declared "     \
      "with.\n")                                                                                             \
    X(CHILD_NOT_FOUND, 1, " Reference to child entity not found in parent entity.\n")                        \
    X(DBG_BADMEMREF, 1, "+Invalid memory reference found in entity %<PTR2>.\n")                              \
    X(DBG_BIGDBLOCK, 1, "+Questionably large disk block (%ld bytes) found in entity %<PTR2>.\n")             \
    X(DBG_BADBLOCKNUM, 1, "+Bad block number (%d) in DBlock chain for entity %<PTR2>.\n")                    \
    X(DBG_BADPTRNUM, 1, "+Bad pointer block number (%d) in DBlock chain for entity %<PTR2>.\n")              \
    X(CALLBACK_NOT_FOUND, 1, " Callback function not found in callback list.\n")                             \
    X(TREE_ERR, 1, " Error using OTM tree.\n")                                                               \
    X(OPEN_ERR, 1, " Error opening file %s.\n")                                                              \
    X(INCORRECT_DBNAME, 1,                                                                                   \
      " Incorrect database name found in saved model file %s.  Expected \"%s\" but found \"%s\".  Parsing "  \
      "aborted.\n")                                                                                          \
    X(INCORRECT_DBVERSION, 1,                                                                                \
      " Incorrect database version number found in saved model file %s.  Expected %d but found %d.  "        \
      "Parsing aborted.\n")                                                                                  \
    X(NEWER_DBRELEASE, 1,                                                                                    \
      " Newer database release number found in saved model file %s.  Expected %d but found %d.\n")           \
    X(OLDER_DBRELEASE, 1,                                                                                    \
      " Older database release number found in saved model file %s.  Expected %d but found %d.\n")           \
    X(UNKNOWN_NAME, 1, " Unknown entity name \"%s\" found in saved model file %s.  Parsing aborted.\n")      \
    X(FILE_READ_ERR, 1,                                                                                      \
      " An error occurred while reading from the saved model file %s.  Parsing aborted.\n")                  \
    X(FILE_EXISTS, 1, " File already exists.\n")                                                             \
    X(INTERNAL_ERR, 1, " An internal error occurred in function %s.\n")                                      \
    X(MODEL_NOT_EMPTY, 1, " Model %d specified as target of restore is not empty.\n")                        \
    X(CROSS_MODEL_PTR, 1,                                                                                    \
      "+Cross model pointers are not currently supported.  Entity %<PTR> (%<PTR2>) referenced entity "       \
      "%<PTR> (%<PTR2>).  Pointer will be changed to MDA_NULL_PTR.\n")                                       \
    X(NOT_IND_MBLOCK, 1, " Non-independent MBlock passed to mda_AddMemory.\n")                               \
    X(BAD_MBLOCK, 1, " Bad MBlock found at address 0x%p.\n")                                                 \
    X(BAD_BACKPTRS, 1, " Bad backpointers found.\n")                                                         \
    X(NO_MORE_PTR, 1, " No more db_ptr available.\n")                                                        \
    X(DUPLICATE_ENTLIST_ENTRY, 1,                                                                            \
      "+The entity %<PTR> (%<PTR2>) is already defined in the current entity list. The new entry was not "   \
      "added to the current entity list.\n")                                                                 \
    X(PTR_ALREADY_CREATED, 1, "+The pointer %<PTR> has already been created in the current model.\n")        \
    X(MODELS_DIFFER, 1, " Unable to replace the db_ptr across the model.\n")                                 \
    X(ENTITY_NOT_DELETED, 1, " Target entity of repalce db_ptr has not been deleted.\n")

enum {
    MDA__MSGBASE = 9 << 16,
#define MDA__CODE_OF(name, cls, text) MDA_##name,
    MDA_MESSAGES(MDA__CODE_OF)
#undef MDA__CODE_OF
        MDA__MSGEND
};

#endif
