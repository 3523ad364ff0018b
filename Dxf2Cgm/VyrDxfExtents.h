/* The extents of a picture: a generator that draws nothing and gathers the
 * box enclosing every primitive it is given. The driver writes the drawing
 * through it once to fit the picture to what is actually drawn. Curves
 * count with their Bezier or B-spline control points, which enclose them;
 * texts with the box their font's advance widths give them at their
 * alignment, rotated with them, one descender and one capital height more
 * above and below than they need; markers with their size around their
 * point. The generator is not released: it lives on its owner's stack. */
#ifndef VYR_DXF2CGM_VYRDXFEXTENTS_H
#define VYR_DXF2CGM_VYRDXFEXTENTS_H

#include "platform/print/VyrPrintGenerator.h"

class VyrDxfExtents : public VyrPrintGenerator {
public:
    VyrDxfExtents() = default;
    ~VyrDxfExtents() override = default;

    /* True until a primitive with a finite point was given. */
    bool IsEmpty() const { return empty_; }
    double GetMinX() const { return minX_; }
    double GetMinY() const { return minY_; }
    double GetMaxX() const { return maxX_; }
    double GetMaxY() const { return maxY_; }

    void Release() override {}
    int SetExtent(float, float) override { return 0; }
    int SetOrigin(float, float) override { return 0; }
    int SetViewport(float, float, float, float) override { return 0; }
    int SetParameters(VyrPrintParameters &) override { return 0; }
    int EndPicture() override { return 0; }
    int DrawLine(float x1, float y1, float x2, float y2) override;
    int DrawPolyline(int count, const float *xy) override;
    int DrawArc(float cx, float cy, float radius, float start, float end, int flag) override;
    int DrawEllipse(float cx, float cy, float major, float minor, float start, float end, float rotation,
                    int flag) override;
    int DrawCurve(int count, const float *xy) override;
    int DrawNurbs(int order, const float *controlXY, int controlCount, const float *knots, int knotCount,
                  int flag, float tolerance, const float *weights) override;
    int DrawText(float x, float y, const VyrUnicodeString &text) override;
    int DrawMarker(float x, float y, int kind, int flag) override;
    int DefineColor(int, float, float, float) override { return 0; }
    int SetColor(int) override { return 0; }
    int SetFillColor(int) override { return 0; }
    int SetLineWidth(float) override { return 0; }
    int SetLineType(int, int, int) override { return 0; }
    int SetTextParameter(int parameter, float value) override;
    int SetTextFont(int reserved, VyrFont *font) override;
    int SetStream(VyrPrintStream *) override { return 0; }
    int DrawPolygon(int count, const float *xy) override;

private:
    void Add(double x, double y);
    void AddPoints(int count, const float *xy);
    /* The box of an elliptical arc through its parameters start to end
     * (anticlockwise); a circle has equal semi-axes. */
    void AddArc(double cx, double cy, double a, double b, double rotation, double start, double end);

    bool empty_ = true;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    double textHeight_ = 0;
    double textRotation_ = 0;
    double textWidth_ = 1.0;
    int textAlign_ = 29;
    bool textBold_ = false;
    VyrFont *textFont_ = nullptr;
};

#endif
