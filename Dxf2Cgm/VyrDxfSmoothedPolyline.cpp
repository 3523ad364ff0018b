/* Smoothed polylines: one curve through the chain, its width turned into
 * the line weight (a width in drawing units read as millimetres, the
 * weight in hundredths of a millimetre). */
#include "Dxf2Cgm/VyrDxfSmoothedPolyline.h"

#include <cmath>

#include "Dxf2Cgm/VyrDxfEntHeader.h"

int VyrDxfSmoothedPolyline::ScanPolyline(int &n, double *points) { return CollectPoints(n, points, false); }

int VyrDxfSmoothedPolyline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    int n = 0, isClosed = 0;
    double start = 0.0, end = 0.0;
    GetPolylineInfo(n, isClosed, start, end);
    if (n < 1) return 1;
    HoldVertexList();
    int result = 1;
    if (start != end) {
        WritePolySegment(generator, n, isClosed, start, end, transformation);
        result = 0;
    } else {
        if (header && std::isfinite(start)) header->SetThickness(start * 100.0);
        double *points = PointBuffer(static_cast<size_t>(n) + 1);
        int kept = n;
        if (points && ScanPolyline(kept, points) && kept > 0)
            result = WritePoints(points, kept, isClosed, true, generator, transformation);
    }
    ReleaseVertexList();
    return result;
}
