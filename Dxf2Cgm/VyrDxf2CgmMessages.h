/* Status codes of the conversion driver (module 20, CGM): failures of the
 * picture file and what a host should hear about a drawing. Each entry is
 * X(name, exception class, text), as in the kernel's message lists; the
 * driver registers the module at the start of every conversion. */
#ifndef VYR_DXF2CGM_VYRDXF2CGMMESSAGES_H
#define VYR_DXF2CGM_VYRDXF2CGMMESSAGES_H

#define VYR_CGM_MODULE 20

#define CGM_MESSAGES(X)                                                                                      \
    X(OUTPUT_OPEN, PDX_CLASS_FILEIO, " The picture '%s' cannot be created: %s.\n")                           \
    X(OUTPUT_WRITE, PDX_CLASS_FILEIO, " The picture '%s' could not be written: %s.\n")                       \
    X(SAME_FILE, 1, " The picture '%s' would overwrite the drawing '%s' itself.\n")                          \
    X(NOTHING_DRAWN, 1, " The drawing '%s' holds nothing that is drawn.\n")                                  \
    X(READ_FAILED, 1, " The drawing '%s' could not be read.\n")                                              \
    X(HATCH_PARTLY, 1, " Hatch %s is drawn in part: %s.\n")

enum {
    CGM__MSGBASE = VYR_CGM_MODULE << 16,
#define CGM__CODE_OF(name, cls, text) CGM_##name,
    CGM_MESSAGES(CGM__CODE_OF)
#undef CGM__CODE_OF
        CGM__MSGEND
};

/* Registers the module's messages with the kernel (after pdx_Initialize). */
void VyrDxf2CgmRegisterMessages();

#endif
