/* Vectors of the plane live beside points in VyrMathPoint2D.h (each needs the
 * other's operators); this header is here so that either name is found. */
#ifndef VYR_PLATFORM_MATH_VYRMATHVECTOR2D_H
#define VYR_PLATFORM_MATH_VYRMATHVECTOR2D_H
#include "platform/math/VyrMathPoint2D.h"
#endif
