/* The line types of the drawing being converted: for each name of its line
 * type table, the dash pattern in drawing units (dashes positive, gaps
 * negative, 0 a dot), as the elements need it to draw the drawing's own
 * patterns. Class-wide like the driver's other tables: filled while the
 * model is walked, emptied when the conversion ends. Names are compared
 * without regard to ASCII case. */
#ifndef VYR_DXF2CGM_VYRDXFLINETYPETABLE_H
#define VYR_DXF2CGM_VYRDXFLINETYPETABLE_H

#include <cstdint>
#include <vector>

class VyrDxfLineTypeTable {
public:
    /* The most dash lengths a pattern keeps. */
    static const int kMaxDashes = 12;

    /* Adds the entries of one line type table entity of the model. */
    static void AddTable(uint32_t table);
    /* Adds one pattern; a pattern without length (continuous) is kept
     * empty. A name already known keeps its first pattern. */
    static void Add(const char *name, int count, const double *dashes);
    /* The pattern of a line type, or null when the drawing does not define
     * it; an empty pattern draws continuous. */
    static const std::vector<double> *Find(const char *name);
    static void Clear();
};

#endif
