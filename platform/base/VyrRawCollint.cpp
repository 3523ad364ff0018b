/* A growing array of integers (see the header). */
#include "platform/base/VyrRawCollint.h"

#include <cstddef>
#include <exception>

VyrRawCollint::VyrRawCollint(int capacity)
{
    if (capacity > 0) {
        try {
            values_.reserve(static_cast<std::size_t>(capacity));
        } catch (const std::exception &) {
            /* Growth will be tried again value by value. */
        }
    }
}

int VyrRawCollint::Append(int value)
{
    try {
        values_.push_back(value);
    } catch (const std::exception &) {
        return -1;
    }
    return 0;
}

int VyrRawCollint::Get(int i) const
{
    if (i < 0 || i >= static_cast<int>(values_.size())) return 0;
    return values_[static_cast<std::size_t>(i)];
}
