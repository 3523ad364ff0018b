/* A growing array of integers of the base library (the character converter
 * collects a running position per produced character in one). Appending never
 * throws: when memory runs out the value is dropped and Append says so. */
#ifndef VYR_PLATFORM_BASE_VYRRAWCOLLINT_H
#define VYR_PLATFORM_BASE_VYRRAWCOLLINT_H

#include "vyr_export.h"

#include <vector>

class VYR_EXPORT VyrRawCollint {
public:
    /* `capacity`: number of values to reserve room for (<= 0: none). */
    explicit VyrRawCollint(int capacity = 0);

    /* Returns 0, or -1 when the value could not be stored. */
    int Append(int value);
    int GetCount() const { return static_cast<int>(values_.size()); }
    /* Value `i`; 0 outside the array. */
    int Get(int i) const;
    int operator[](int i) const { return Get(i); }
    void Clear() { values_.clear(); }

private:
    std::vector<int> values_;
};

#endif
