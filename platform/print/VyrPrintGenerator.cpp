/* The abstract picture generator: its destructor, the refusal of drawn
 * dash patterns for generators that draw only their line types, and the
 * plain forms of the operations added later (segments as lines, a polygon
 * set as one polygon per loop). */
#include "platform/print/VyrPrintGenerator.h"

VyrPrintGenerator::~VyrPrintGenerator() = default;

int VyrPrintGenerator::SetDashPattern(int, const float *) { return -1; }

int VyrPrintGenerator::DrawSegments(int count, const float *xy)
{
    if (count < 0 || (count > 0 && !xy)) return -1;
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const float *s = xy + 4 * static_cast<long>(i);
        if (DrawLine(s[0], s[1], s[2], s[3]) != 0) result = -1;
    }
    return result;
}

int VyrPrintGenerator::DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy)
{
    if (loopCount < 0 || (loopCount > 0 && (!pointCounts || !xy))) return -1;
    int result = 0;
    long at = 0;
    for (int i = 0; i < loopCount; ++i) {
        if (pointCounts[i] < 0) return -1;
        if (pointCounts[i] >= 3 && DrawPolygon(pointCounts[i], xy + 2 * at) != 0) result = -1;
        at += pointCounts[i];
    }
    return result;
}
