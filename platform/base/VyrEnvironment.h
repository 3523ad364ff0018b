/* Environment and object creation of the base library.
 *
 * VyrCreateExternalObject creates an object by class name through a registry
 * of factories. The libraries above register the defaults of their own
 * classes when they are loaded (the print library its CGM generator under
 * "VyrPrintCGMGenerator"), so the base library knows none of them; a host or
 * a test may register a factory under any name, which then takes precedence
 * over the default (tests register a recording generator under
 * "VyrPrintCGMGenerator") until it is removed again. The
 * result is a void pointer to an object of the named class: for a generator,
 * a VyrPrintGenerator* converted to void*, so the caller converts it back to
 * VyrPrintGenerator*. The library name is accepted and not used. */
#ifndef VYR_PLATFORM_BASE_VYRENVIRONMENT_H
#define VYR_PLATFORM_BASE_VYRENVIRONMENT_H

#include "vyr_export.h"

/* The value of environment variable `name`, or null when it is not set (an
 * empty value is a value). */
VYR_EXPORT const char *VyrGetEnv(const char *name);

/* Makes one object; `arg` and `libraryArg` are handed to the factory. */
typedef void *(*VyrObjectFactory)(const char *className, void *arg, void *libraryArg);

/* Registers `factory` under `className` (null removes the registration) and
 * returns the factory registered before, or null. */
VYR_EXPORT VyrObjectFactory VyrRegisterObjectFactory(const char *className, VyrObjectFactory factory);

/* Registers the default factory of `className`, which serves when no
 * factory is registered with VyrRegisterObjectFactory (null removes it);
 * returns the default registered before, or null. */
VYR_EXPORT VyrObjectFactory VyrRegisterDefaultFactory(const char *className, VyrObjectFactory factory);

/* An object of class `className`, or null when no factory knows the class or
 * the factory fails. */
VYR_EXPORT void *VyrCreateExternalObject(const char *className, void *arg, const char *libraryName,
                                         void *libraryArg);

#endif
