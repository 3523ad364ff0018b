/* Vector mathematics of the kernel. */
#include "kernel/mth/mth.h"

#include <math.h>
#include <string.h>

#include "kernel/pdx/pdx_int.h"

extern "C" {

int mth_Initialize(void)
{
    pdx__RegisterModule(&mth__Module);
    return 0;
}

void mth_MakeVector(int n, const double *from, const double *to, double *out)
{
    for (int i = 0; i < n; ++i) out[i] = to[i] - from[i];
}

double mth_GetVectorMag(int n, const double *v)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += v[i] * v[i];
    return sqrt(sum);
}

double mth_GetDistance(int n, const double *a, const double *b)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        double d = b[i] - a[i];
        sum += d * d;
    }
    return sqrt(sum);
}

int mth_UnitizeVector(int n, const double *v, double *out)
{
    double mag = mth_GetVectorMag(n, v);
    if (mag <= MTH_ZERO_TOL) {
        if (out != v) memmove(out, v, sizeof(double) * (size_t)(n > 0 ? n : 0));
        return MTH_ZERO_VECTOR;
    }
    int big = -1, bigs = 0;
    for (int i = 0; i < n; ++i) {
        out[i] = v[i] / mag;
        if (fabs(out[i]) >= MTH_ZERO_TOL) {
            big = i;
            ++bigs;
        }
    }
    if (bigs == 1) {
        for (int i = 0; i < n; ++i) out[i] = i == big ? (out[i] < 0.0 ? -1.0 : 1.0) : 0.0;
    }
    return 0;
}

int mth_Intersect2DLines(int options, double tolerance, const double *p1, const double *d1, const double *p2,
                         const double *d2, double *s_out, double *t_out, double *point)
{
    double dx = p2[0] - p1[0], dy = p2[1] - p1[1];
    double s, t;
    if (fabs(d1[0]) > MTH_ZERO_TOL * fabs(d1[1])) {
        /* Eliminate s with the x row. */
        double r = d1[1] / d1[0];
        double coef = d2[0] * r - d2[1];
        if (fabs(coef) <= tolerance) return MTH_PARALLELLINES;
        t = (dy - dx * r) / coef;
        s = (dx + t * d2[0]) / d1[0];
    } else {
        if (fabs(d2[0]) <= tolerance || fabs(d1[1]) <= tolerance) return MTH_PARALLELLINES;
        /* d1 is (nearly) vertical: eliminate s with the y row. */
        double r = d1[0] / d1[1];
        double coef = d2[1] * r - d2[0];
        t = (dx - dy * r) / coef;
        s = (dy + t * d2[1]) / d1[1];
    }
    if (options & MTH_OPT_POINT) {
        if (point) {
            point[0] = p2[0] + t * d2[0];
            point[1] = p2[1] + t * d2[1];
        }
        if (!(options & MTH_OPT_PARAMETERS)) return 0;
    }
    if (options & MTH_OPT_PARAMETERS) {
        if (s_out) *s_out = s;
        if (t_out) *t_out = t;
    }
    return 0;
}

int mth_CheckColin(int dimension, double tolerance, const double *a, const double *b, const double *c)
{
    double u[3] = {b[0] - a[0], b[1] - a[1], dimension == 3 ? b[2] - a[2] : 0.0};
    double v[3] = {c[0] - a[0], c[1] - a[1], dimension == 3 ? c[2] - a[2] : 0.0};
    double area;
    if (dimension == 3) {
        double x = u[1] * v[2] - u[2] * v[1];
        double y = u[2] * v[0] - u[0] * v[2];
        double z = u[0] * v[1] - u[1] * v[0];
        area = 0.5 * sqrt(x * x + y * y + z * z);
    } else {
        area = 0.5 * (u[0] * v[1] - u[1] * v[0]);
    }
    return fabs(area) <= tolerance ? 1 : 0;
}

} // extern "C"
