/* The abstract picture generator: its destructor, and the refusal of drawn
 * dash patterns for generators that draw only their line types. */
#include "platform/print/VyrPrintGenerator.h"

VyrPrintGenerator::~VyrPrintGenerator() = default;

int VyrPrintGenerator::SetDashPattern(int, const float *) { return -1; }
