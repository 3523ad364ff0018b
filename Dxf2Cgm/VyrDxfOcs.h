/* The object coordinate system of an entity, from its extrusion direction
 * N by the arbitrary axis rule of the drawing format: the x axis is the
 * world y axis crossed with N when N lies within 1/64 of the world z axis,
 * else the world z axis crossed with N; the y axis is N crossed with the x
 * axis. Circles, arcs, solids, traces, inserts, texts and two-dimensional
 * polylines store their points in it; lines, points, ellipses, splines and
 * 3D faces store world points.
 *
 * The picture is the plan view: a point (x, y, z) of the system is drawn at
 * the x and y of x·Ax + y·Ay + z·N. For N = (0, 0, 1) that is (x, y); for
 * N = (0, 0, -1) it is (-x, y), the mirror of the drawing format's rule; a
 * tilted N projects circles into ellipses. */
#ifndef VYR_DXF2CGM_VYRDXFOCS_H
#define VYR_DXF2CGM_VYRDXFOCS_H

#include "platform/math/VyrMathPoint2D.h"

class VyrDxfOcs {
public:
    /* The world system. */
    VyrDxfOcs() : VyrDxfOcs(0.0, 0.0, 1.0) {}
    /* A zero or non-finite direction counts as (0, 0, 1). */
    VyrDxfOcs(double nx, double ny, double nz);
    explicit VyrDxfOcs(const double *extrusion) : VyrDxfOcs(extrusion[0], extrusion[1], extrusion[2]) {}

    /* True when N is (0, 0, 1) or (0, 0, -1): the plan view keeps circles
     * circles, mirrored in x for the latter. */
    bool IsPlanar() const { return planar_; }
    bool IsMirrored() const { return planar_ && n_[2] < 0.0; }

    /* The plan view of a point and of a displacement. */
    VyrMathPoint2D ToPlan(double x, double y, double z = 0.0) const;
    VyrMathVector2D ToPlanVector(double x, double y, double z = 0.0) const;
    /* A text's insertion and alignment points at elevation z and its
     * rotation in degrees, in place, in the plan view: under a downward
     * extrusion x is negated and the rotation becomes 180 - r. */
    void TextToPlan(double z, double &insertX, double &insertY, double &alignX, double &alignY,
                    double &rotation) const;
    /* The plan view of the radius vectors r·Ax and r·Ay: the conjugate
     * semi-diameters of the ellipse a circle of radius r is drawn as. */
    void RadiusAxes(double r, double axisX[2], double axisY[2]) const
    {
        const VyrMathVector2D u = ToPlanVector(r, 0.0), v = ToPlanVector(0.0, r);
        axisX[0] = u.GetX();
        axisX[1] = u.GetY();
        axisY[0] = v.GetX();
        axisY[1] = v.GetY();
    }
    /* The plan view of the unit axes and of the normal. */
    VyrMathVector2D AxisX() const { return VyrMathVector2D(ax_[0], ax_[1]); }
    VyrMathVector2D AxisY() const { return VyrMathVector2D(ay_[0], ay_[1]); }
    const double *Normal() const { return n_; }

private:
    double n_[3];
    double ax_[3];
    double ay_[3];
    bool planar_;
};

#endif
