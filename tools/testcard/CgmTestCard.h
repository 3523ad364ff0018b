/* The CGM generator's test card: one picture with lines, polylines, arcs,
 * circles, elliptical arcs at several rotations, a smooth curve, B-splines
 * (polynomial and rational), markers of every kind, texts with every
 * alignment code, rotation, height, width factor, slant and colour, every
 * line type and width, and all 255 colours. The page is 420 by 297 units,
 * one unit a millimetre. Viewers are checked against it by eye; tests check
 * what it writes element by element. */
#ifndef VYR_TOOLS_TESTCARD_CGMTESTCARD_H
#define VYR_TOOLS_TESTCARD_CGMTESTCARD_H

#include "platform/print/VyrPrintCGMGenerator.h"

class VyrPrintGenerator;

/* Draws the card on a generator that has its stream. Returns 0, or the
 * number of generator calls that failed. */
int VyrDrawTestCard(VyrPrintGenerator &generator);

/* Writes the card to `path` in the given profile; version 0 takes the
 * generator's default (3). Returns 0, or -1 when the file cannot be
 * written. */
int VyrWriteTestCardFile(const char *path, VyrCgmProfile profile, int version);

/* The card's colour of table index 1 to 255 (components 0 to 1). */
void VyrTestCardColour(int index, float rgb[3]);

#endif
