/* Small vector mathematics on arrays of n doubles: differences, magnitudes,
 * distances, unit vectors, the intersection of two lines in the plane and a
 * collinearity test. */
#ifndef VYR_KERNEL_MTH_H
#define VYR_KERNEL_MTH_H

#include "vyr_export.h"
#include "kernel/mth/mth_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Soft result of mth_UnitizeVector for a vector too short to unitize. */
#define MTH_ZERO_VECTOR ((11 << 16) | 0xFFFE)
/* Magnitudes at or below this count as zero. */
#define MTH_ZERO_TOL 1e-13

/* mth_Intersect2DLines: store the parameters / the point. */
#define MTH_OPT_PARAMETERS 1
#define MTH_OPT_POINT 2

VYR_EXPORT int mth_Initialize(void);

/* out = to - from. */
VYR_EXPORT void mth_MakeVector(int n, const double *from, const double *to, double *out);
VYR_EXPORT double mth_GetVectorMag(int n, const double *v);
VYR_EXPORT double mth_GetDistance(int n, const double *a, const double *b);
/* out = v / |v|, with components below MTH_ZERO_TOL made exact when only one
 * is left; returns 0, or MTH_ZERO_VECTOR (out = v) when |v| <= MTH_ZERO_TOL. */
VYR_EXPORT int mth_UnitizeVector(int n, const double *v, double *out);
/* Solves p1 + s*d1 = p2 + t*d2 in the plane. MTH_OPT_POINT stores the point
 * p2 + t*d2 (and ends there without MTH_OPT_PARAMETERS); MTH_OPT_PARAMETERS
 * stores s in *s_out and t in *t_out. Parallel lines return
 * MTH_PARALLELLINES, unrecorded. */
VYR_EXPORT int mth_Intersect2DLines(int options, double tolerance, const double *p1, const double *d1,
                                    const double *p2, const double *d2, double *s_out, double *t_out,
                                    double *point);
/* 1 when a, b and c (dimension 2 or 3) span a triangle of area <= tolerance. */
VYR_EXPORT int mth_CheckColin(int dimension, double tolerance, const double *a, const double *b,
                              const double *c);

#ifdef __cplusplus
}
#endif

#endif
