/* Splines. Construction copies the knots (as floats), the fit points (x, y)
 * and, with control points, the control points (x, y as floats) and one
 * weight per control point (1.0 unless the model holds a positive weight).
 * An array whose allocation fails is left out, so Write finds it missing. */
#include "Dxf2Cgm/VyrDxfSpline.h"

#include <new>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfSpline::VyrDxfSpline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindSpline;
    VyrDxfEntityLock lock(entity);
    const dxf_spline *rec = lock.As<dxf_spline>(320);
    if (!rec) return;
    degree = rec->degree;
    flags = rec->flag;
    closed = (flags & 1) != 0;
    periodic = (flags & 2) != 0;
    rational = (flags & 4) != 0;
    startTangent[0] = rec->strtan[0];
    startTangent[1] = rec->strtan[1];

    if (rec->numknot > 0) {
        const double *in = VyrDxfDeref<double>(rec->knotval);
        if (in && (knots = new (std::nothrow) float[rec->numknot]) != nullptr) {
            knotCount = rec->numknot;
            for (int i = 0; i < knotCount; ++i) knots[i] = static_cast<float>(in[i]);
        }
    }
    if (rec->numfit > 0) {
        const double *in = VyrDxfDeref<double>(rec->fitpnt);
        if (in && (fitPoints = new (std::nothrow) double[2 * static_cast<size_t>(rec->numfit)]) != nullptr) {
            fitCount = rec->numfit;
            for (int i = 0; i < fitCount; ++i) {
                fitPoints[2 * i] = in[3 * i];
                fitPoints[2 * i + 1] = in[3 * i + 1];
            }
        }
    }
    if (rec->numcntrl > 0) {
        const double *in = VyrDxfDeref<double>(rec->cntrlpnt);
        const double *w = VyrDxfDeref<double>(rec->weight);
        const size_t n = static_cast<size_t>(rec->numcntrl);
        weights = new (std::nothrow) float[n];
        controlPoints = in ? new (std::nothrow) float[2 * n] : nullptr;
        controlCount = rec->numcntrl;
        for (size_t i = 0; weights && i < n; ++i)
            weights[i] = (w && w[i] > 0.0) ? static_cast<float>(w[i]) : 1.0f;
        for (size_t i = 0; controlPoints && i < n; ++i) {
            controlPoints[2 * i] = static_cast<float>(in[3 * i]);
            controlPoints[2 * i + 1] = static_cast<float>(in[3 * i + 1]);
        }
    }
}

VyrDxfSpline::~VyrDxfSpline()
{
    delete[] weights;
    delete[] fitPoints;
    delete[] knots;
    delete[] controlPoints;
}

int VyrDxfSpline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;

    if (controlCount < 1) {
        if (fitCount < 1 || !fitPoints) return 1;
        VyrDxfEntity::Write(generator, transformation);
        const int n = fitCount + (closed ? 1 : 0);
        float *xy = new (std::nothrow) float[2 * static_cast<size_t>(n)];
        if (!xy) return 1;
        for (int i = 0; i < n; ++i) {
            const int k = i < fitCount ? i : 0;
            const VyrMathPoint2D p = *transformation * VyrMathPoint2D(fitPoints[2 * k], fitPoints[2 * k + 1]);
            xy[2 * i] = static_cast<float>(p.GetX());
            xy[2 * i + 1] = static_cast<float>(p.GetY());
        }
        generator->DrawCurve(n, xy);
        delete[] xy;
        return 0;
    }

    if (!controlPoints || !knots || !weights) return 1;
    VyrDxfEntity::Write(generator, transformation);
    float *xy = new (std::nothrow) float[2 * static_cast<size_t>(controlCount)];
    if (!xy) return 1;
    for (int i = 0; i < controlCount; ++i) {
        const VyrMathPoint2D p =
            *transformation * VyrMathPoint2D(controlPoints[2 * i], controlPoints[2 * i + 1]);
        xy[2 * i] = static_cast<float>(p.GetX());
        xy[2 * i + 1] = static_cast<float>(p.GetY());
    }
    generator->DrawNurbs(degree + 1, xy, controlCount, knots, knotCount, 0, 1000.0f, weights);
    delete[] xy;
    return 0;
}
