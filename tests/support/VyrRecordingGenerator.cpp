/* The recording generator (see the header). */
#include "VyrRecordingGenerator.h"

#include "platform/base/VyrEnvironment.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

#include <charconv>

namespace {
int gCreated = 0;
int gReleased = 0;

void *Create(const char *, void *, void *)
{
    return static_cast<void *>(static_cast<VyrPrintGenerator *>(new VyrRecordingGenerator()));
}

std::string Floats(const float *v, int n)
{
    std::string s;
    for (int i = 0; i < n && v; ++i) s += " " + VyrRecordingGenerator::Num(v[i]);
    return s;
}

void Add(const std::string &line) { VyrRecordingGenerator::Log().push_back(line); }
} // namespace

std::string VyrRecordingGenerator::Num(float v)
{
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void VyrRecordingGenerator::Install() { VyrRegisterObjectFactory("VyrPrintCGMGenerator", Create); }

void VyrRecordingGenerator::Uninstall() { VyrRegisterObjectFactory("VyrPrintCGMGenerator", nullptr); }

std::vector<std::string> &VyrRecordingGenerator::Log()
{
    static std::vector<std::string> log;
    return log;
}

void VyrRecordingGenerator::Reset()
{
    Log().clear();
    gCreated = gReleased = 0;
}

std::string VyrRecordingGenerator::Text()
{
    std::string s;
    for (const std::string &line : Log()) s += line + "\n";
    return s;
}

std::vector<std::string> VyrRecordingGenerator::Lines(const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &line : Log())
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

int VyrRecordingGenerator::CreatedCount() { return gCreated; }
int VyrRecordingGenerator::ReleasedCount() { return gReleased; }

VyrRecordingGenerator::VyrRecordingGenerator() { ++gCreated; }
VyrRecordingGenerator::~VyrRecordingGenerator() = default;

void VyrRecordingGenerator::Release()
{
    Add("Release");
    ++gReleased;
    delete this;
}

int VyrRecordingGenerator::SetExtent(float w, float h)
{
    Add("SetExtent" + Floats(&w, 1) + Floats(&h, 1));
    return 0;
}

int VyrRecordingGenerator::SetOrigin(float x, float y)
{
    Add("SetOrigin" + Floats(&x, 1) + Floats(&y, 1));
    return 0;
}

int VyrRecordingGenerator::SetViewport(float x, float y, float w, float h)
{
    float v[4] = {x, y, w, h};
    Add("SetViewport" + Floats(v, 4));
    return 0;
}

int VyrRecordingGenerator::SetParameters(VyrPrintParameters &p)
{
    const VyrPrintForm *f = p.GetCurrentForm();
    Add("SetParameters scale=" + Num(p.GetScale()) + " margins=" + Num(p.GetMargin(0)) + "," +
        Num(p.GetMargin(1)) + "," + Num(p.GetMargin(2)) + "," + Num(p.GetMargin(3)) +
        " position=" + Num(p.GetPositionX()) + "," + Num(p.GetPositionY()) + " form=" + Num(f->GetWidth()) +
        "," + Num(f->GetHeight()) + "," + std::to_string(static_cast<int>(f->GetUnit())));
    return 0;
}

int VyrRecordingGenerator::EndPicture()
{
    Add("EndPicture");
    return 0;
}

int VyrRecordingGenerator::DrawLine(float x1, float y1, float x2, float y2)
{
    float v[4] = {x1, y1, x2, y2};
    Add("DrawLine" + Floats(v, 4));
    return 0;
}

int VyrRecordingGenerator::DrawPolyline(int count, const float *xy)
{
    Add("DrawPolyline " + std::to_string(count) + Floats(xy, 2 * count));
    return 0;
}

int VyrRecordingGenerator::DrawArc(float cx, float cy, float r, float start, float end, int flag)
{
    float v[5] = {cx, cy, r, start, end};
    Add("DrawArc" + Floats(v, 5) + " " + std::to_string(flag));
    return 0;
}

int VyrRecordingGenerator::DrawEllipse(float cx, float cy, float major, float minor, float start, float end,
                                       float rotation, int flag)
{
    float v[7] = {cx, cy, major, minor, start, end, rotation};
    Add("DrawEllipse" + Floats(v, 7) + " " + std::to_string(flag));
    return 0;
}

int VyrRecordingGenerator::DrawCurve(int count, const float *xy)
{
    Add("DrawCurve " + std::to_string(count) + Floats(xy, 2 * count));
    return 0;
}

int VyrRecordingGenerator::DrawNurbs(int order, const float *controlXY, int controlCount, const float *knots,
                                     int knotCount, int flag, float tolerance, const float *weights)
{
    Add("DrawNurbs " + std::to_string(order) + " " + std::to_string(controlCount) +
        Floats(controlXY, 2 * controlCount) + " knots " + std::to_string(knotCount) +
        Floats(knots, knotCount) + " " + std::to_string(flag) + " " + Num(tolerance) + " weights" +
        (weights ? Floats(weights, controlCount) : std::string(" null")));
    return 0;
}

int VyrRecordingGenerator::DrawPolygon(int count, const float *xy)
{
    Add("DrawPolygon " + std::to_string(count) + Floats(xy, 2 * count));
    return 0;
}

int VyrRecordingGenerator::SetDashPattern(int count, const float *pattern)
{
    Add("SetDashPattern " + std::to_string(count) + Floats(pattern, count));
    return 0;
}

int VyrRecordingGenerator::DrawSegments(int count, const float *xy)
{
    Add("DrawSegments " + std::to_string(count) + Floats(xy, 4 * count));
    return 0;
}

int VyrRecordingGenerator::DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy)
{
    std::string line = "DrawPolygonSet " + std::to_string(loopCount);
    int total = 0;
    for (int i = 0; i < loopCount; ++i) {
        line += " " + std::to_string(pointCounts[i]);
        total += pointCounts[i];
    }
    Add(line + Floats(xy, 2 * total));
    return 0;
}

int VyrRecordingGenerator::DrawText(float x, float y, const VyrUnicodeString &text)
{
    Add("DrawText" + Floats(&x, 1) + Floats(&y, 1) + " \"" + text.ToUtf8() + "\"");
    return 0;
}

int VyrRecordingGenerator::DrawMarker(float x, float y, int kind, int flag)
{
    Add("DrawMarker" + Floats(&x, 1) + Floats(&y, 1) + " " + std::to_string(kind) + " " +
        std::to_string(flag));
    return 0;
}

int VyrRecordingGenerator::DefineColor(int index, float r, float g, float b)
{
    float v[3] = {r, g, b};
    Add("DefineColor " + std::to_string(index) + Floats(v, 3));
    return 0;
}

int VyrRecordingGenerator::SetColor(int index)
{
    Add("SetColor " + std::to_string(index));
    return 0;
}

int VyrRecordingGenerator::SetFillColor(int index)
{
    Add("SetFillColor " + std::to_string(index));
    return 0;
}

int VyrRecordingGenerator::SetLineWidth(float mm)
{
    Add("SetLineWidth" + Floats(&mm, 1));
    return 0;
}

int VyrRecordingGenerator::SetLineType(int type, int a, int b)
{
    Add("SetLineType " + std::to_string(type) + " " + std::to_string(a) + " " + std::to_string(b));
    return 0;
}

int VyrRecordingGenerator::SetTextParameter(int parameter, float value)
{
    Add("SetTextParameter " + std::to_string(parameter) + Floats(&value, 1));
    return 0;
}

int VyrRecordingGenerator::SetTextFont(int n, VyrFont *font)
{
    Add("SetTextFont " + std::to_string(n) + " " + (font ? font->GetFileName() : "null"));
    return 0;
}

int VyrRecordingGenerator::SetStream(VyrPrintStream *stream)
{
    if (!stream)
        Add("SetStream null");
    else
        Add("SetStream " + stream->GetPath() + " " + stream->GetType() + " " + stream->GetDatum());
    return 0;
}
