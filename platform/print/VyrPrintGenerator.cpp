/* The abstract picture generator: only its destructor needs a definition. */
#include "platform/print/VyrPrintGenerator.h"

VyrPrintGenerator::~VyrPrintGenerator() = default;
