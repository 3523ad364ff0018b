/* A lightweight polyline: its vertices, bulges and widths are arrays of
 * one model entity, read whenever the polyline is written (the entity stays
 * locked for the whole Write, so each vertex is read without a lock of its
 * own). The flag word is the toolkit's (0x200 closed, 0x020 widths stored
 * per vertex); a vertex without widths of its own takes the constant width.
 * Always 2D: mirrored in x when its extrusion points down. */
#ifndef VYR_DXF2CGM_VYRDXFLWPOLYLINE_H
#define VYR_DXF2CGM_VYRDXFLWPOLYLINE_H

#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

class VyrDxfLWPolyline : public VyrDxfPolylineEntity {
public:
    VyrDxfLWPolyline() { kind = VyrDxfKindLWPolyline; }
    VyrDxfLWPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfLWPolyline() override = default;

    /* 1 without generator or transformation, else the chain. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    int GetPolylineSegmentInfo(int index, segmentinfo &info) override;
    int GetPolylineInfo(int &count, int &closed, double &startWidth, double &endWidth) override;

private:
    /* The arrays of the locked entity during Write. */
    struct Arrays {
        const double *points = nullptr;
        const double *bulges = nullptr;
        const double *widths = nullptr;
        int count = 0;
    };
    static Arrays ArraysOf(const void *record);
    void ReadVertex(const Arrays &arrays, int index, segmentinfo &info) const;

    int flags = 0;
    int count = 0;
    double constantWidth = 0.0;
    Arrays held;
};

#endif
