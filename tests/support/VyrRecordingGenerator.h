/* A generator that records every call it receives, one line of text per
 * call with its arguments, so that a test can compare the exact call
 * sequence of a conversion with the expected one. Floats are written in
 * their shortest exact form (std::to_chars), texts as UTF-8 in quotes, fonts
 * by file name, arrays as their count followed by the values.
 *
 * Register it in place of the CGM generator with a VyrRecordingScope (or
 * Install/Uninstall): VyrCreateExternalObject("VyrPrintCGMGenerator", ...)
 * then returns a recording generator. The log is process-wide and survives
 * Release, because the code under test releases its generator itself.
 *
 * Line formats:
 *   SetStream <path> <type> <datum>        (SetStream null)
 *   SetExtent w h / SetOrigin x y / SetViewport x y w h
 *   SetParameters scale=s margins=l,r,t,b position=x,y form=w,h,unit
 *   DefineColor i r g b / SetColor i / SetFillColor i / SetLineWidth mm
 *   SetLineType t a b / SetTextParameter p v / SetTextFont n <file>|null
 *   DrawLine x1 y1 x2 y2 / DrawPolyline n x y ... / DrawCurve n x y ...
 *   DrawPolygon n x y ... / SetDashPattern n d ...
 *   DrawSegments n x1 y1 x2 y2 ... / DrawPolygonSet loops n1 n2 ... x y ...
 *   DrawArc cx cy r start end flag
 *   DrawEllipse cx cy major minor start end rotation flag
 *   DrawNurbs order n x y ... knots m k ... flag tolerance weights w ...
 *   DrawText x y "text" / DrawMarker x y kind flag
 *   EndPicture / Release */
#ifndef VYR_TESTS_SUPPORT_VYRRECORDINGGENERATOR_H
#define VYR_TESTS_SUPPORT_VYRRECORDINGGENERATOR_H

#include "platform/print/VyrPrintGenerator.h"

#include <string>
#include <vector>

class VyrRecordingGenerator : public VyrPrintGenerator {
public:
    /* Registers the factory under "VyrPrintCGMGenerator" / removes it. */
    static void Install();
    static void Uninstall();
    /* The recorded lines, across all recording generators since Reset. */
    static std::vector<std::string> &Log();
    static void Reset();
    /* The log joined with '\n' (one trailing '\n' per line). */
    static std::string Text();
    /* Lines that start with `prefix` (e.g. "DefineColor "). */
    static std::vector<std::string> Lines(const std::string &prefix);
    static int CreatedCount();
    static int ReleasedCount();

    /* Formats a float the way the log does. */
    static std::string Num(float v);

    VyrRecordingGenerator();

    void Release() override;
    int SetExtent(float width, float height) override;
    int SetOrigin(float x, float y) override;
    int SetViewport(float x, float y, float width, float height) override;
    int SetParameters(VyrPrintParameters &parameters) override;
    int EndPicture() override;
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
    int DefineColor(int index, float red, float green, float blue) override;
    int SetColor(int index) override;
    int SetFillColor(int index) override;
    int SetLineWidth(float millimetres) override;
    int SetLineType(int type, int reserved1, int reserved2) override;
    int SetTextParameter(int parameter, float value) override;
    int SetTextFont(int reserved, VyrFont *font) override;
    int SetStream(VyrPrintStream *stream) override;
    int DrawPolygon(int count, const float *xy) override;
    int SetDashPattern(int count, const float *pattern) override;
    int DrawSegments(int count, const float *xy) override;
    int DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy) override;

protected:
    ~VyrRecordingGenerator() override;
};

/* Installs the recording generator and clears the log for one test. */
class VyrRecordingScope {
public:
    VyrRecordingScope()
    {
        VyrRecordingGenerator::Install();
        VyrRecordingGenerator::Reset();
    }
    ~VyrRecordingScope() { VyrRecordingGenerator::Uninstall(); }
    VyrRecordingScope(const VyrRecordingScope &) = delete;
    VyrRecordingScope &operator=(const VyrRecordingScope &) = delete;
};

#endif
