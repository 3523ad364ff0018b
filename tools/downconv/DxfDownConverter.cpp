/* The down-conversion rules (see the header). What is dropped, and why:
 * - sections other than those of release 2000 (ACDSDATA, the solids'
 *   binary data of release 2007 on, and any a writer made up);
 * - header variables that came with release 2004 and later;
 * - in entities of kinds release 2000 knows: true colours, colour names,
 *   transparency, materials, visual styles and shadow modes (420, 430,
 *   440, 347, 348, 284), subclasses it does not have, embedded objects
 *   (101, the multiline text inside MTEXT, ATTRIB and ATTDEF), and the
 *   codes a kind gained later (the table kRules);
 * - the fit data of hatch spline edges (release 2010 on), which an older
 *   reader would take for the boundary's source-object count;
 * - the instance count of class records (91).
 * A gradient hatch, which release 2000 cannot show, becomes a solid fill of
 * its first gradient colour: that colour (its index, or the palette colour
 * nearest to its true colour) replaces the hatch's own colour (62), so the
 * hatch is held until its end. A proxy-graphics size written as a 64-bit number (160) becomes the
 * 32-bit one (92) that release 2000 reads. */
#include "tools/downconv/DxfDownConverter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include "Dxf2Cgm/VyrDxfAttributesConverter.h"

namespace {

std::string Trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

long Number(const std::string &s) { return std::strtol(s.c_str(), nullptr, 10); }

/* Header variables of releases 2004 to 2018 that release 2000 lacks. */
const std::set<std::string> kNewVariables = {
    "$3DDWFPREC",
    "$CAMERADISPLAY",
    "$CAMERAHEIGHT",
    "$CMATERIAL",
    "$CSHADOW",
    "$DGNFRAME",
    "$DIMARCSYM",
    "$DIMASSOC",
    "$DIMFXL",
    "$DIMFXLON",
    "$DIMJOGANG",
    "$DIMLTEX1",
    "$DIMLTEX2",
    "$DIMLTYPE",
    "$DIMTFILL",
    "$DIMTFILLCLR",
    "$DIMTXTDIRECTION",
    "$DIMTXTRULER",
    "$DRAGVS",
    "$DWFFRAME",
    "$HALOGAP",
    "$HIDETEXT",
    "$INDEXCTL",
    "$INTERFERECOLOR",
    "$INTERFEREOBJVS",
    "$INTERFEREVPVS",
    "$INTERSECTIONCOLOR",
    "$INTERSECTIONDISPLAY",
    "$LASTSAVEDBY",
    "$LATITUDE",
    "$LENSLENGTH",
    "$LIGHTGLYPHDISPLAY",
    "$LOFTANG1",
    "$LOFTANG2",
    "$LOFTMAG1",
    "$LOFTMAG2",
    "$LOFTNORMALS",
    "$LOFTPARAM",
    "$LONGITUDE",
    "$NORTHDIRECTION",
    "$OBSCOLOR",
    "$OBSLTYPE",
    "$PROJECTNAME",
    "$PSOLHEIGHT",
    "$PSOLWIDTH",
    "$REALWORLDSCALE",
    "$REQUIREDVERSIONS",
    "$SHADOWPLANELOCATION",
    "$SHOWHIST",
    "$SOLIDHIST",
    "$SORTENTS",
    "$STEPSIZE",
    "$STEPSPERSEC",
    "$TILEMODELIGHTSYNCH",
    "$TIMEZONE",
    "$XCLIPFRAME",
};

const std::set<std::string> kSections = {"HEADER",   "CLASSES", "TABLES",        "BLOCKS",
                                         "ENTITIES", "OBJECTS", "THUMBNAILIMAGE"};

/* Entity kinds of release 2000; other kinds are kept whole. */
const std::set<std::string> kEntities = {
    "3DFACE",
    "3DSOLID",
    "ACAD_PROXY_ENTITY",
    "ARC",
    "ARCALIGNEDTEXT",
    "ATTDEF",
    "ATTRIB",
    "BLOCK",
    "BODY",
    "CIRCLE",
    "DIMENSION",
    "ELLIPSE",
    "ENDBLK",
    "HATCH",
    "IMAGE",
    "INSERT",
    "LEADER",
    "LINE",
    "LWPOLYLINE",
    "MLINE",
    "MTEXT",
    "OLE2FRAME",
    "OLEFRAME",
    "POINT",
    "POLYLINE",
    "RAY",
    "REGION",
    "RTEXT",
    "SEQEND",
    "SHAPE",
    "SOLID",
    "SPLINE",
    "TEXT",
    "TOLERANCE",
    "TRACE",
    "VERTEX",
    "VIEWPORT",
    "WIPEOUT",
    "XLINE",
};

/* Their subclasses in release 2000. */
const std::set<std::string> kSubclasses = {
    "AcDbEntity",
    "AcDb2dPolyline",
    "AcDb2dVertex",
    "AcDb2LineAngularDimension",
    "AcDb3dPolyline",
    "AcDb3dPolylineVertex",
    "AcDb3PointAngularDimension",
    "AcDbAlignedDimension",
    "AcDbArc",
    "AcDbArcAlignedText",
    "AcDbAttribute",
    "AcDbAttributeDefinition",
    "AcDbBlockBegin",
    "AcDbBlockEnd",
    "AcDbBlockReference",
    "AcDbCircle",
    "AcDbDiametricDimension",
    "AcDbDimension",
    "AcDbEllipse",
    "AcDbFace",
    "AcDbFaceRecord",
    "AcDbFcf",
    "AcDbHatch",
    "AcDbLeader",
    "AcDbLine",
    "AcDbMInsertBlock",
    "AcDbMline",
    "AcDbModelerGeometry",
    "AcDbMText",
    "AcDbOle2Frame",
    "AcDbOleFrame",
    "AcDbOrdinateDimension",
    "AcDbPoint",
    "AcDbPolyFaceMesh",
    "AcDbPolyFaceMeshVertex",
    "AcDbPolygonMesh",
    "AcDbPolygonMeshVertex",
    "AcDbPolyline",
    "AcDbProxyEntity",
    "AcDbRadialDimension",
    "AcDbRasterImage",
    "AcDbRay",
    "AcDbRotatedDimension",
    "AcDbRText",
    "AcDbSequenceEnd",
    "AcDbShape",
    "AcDbSpline",
    "AcDbText",
    "AcDbTrace",
    "AcDbVertex",
    "AcDbViewport",
    "AcDbWipeout",
    "AcDbXline",
};

/* Codes of entities of release 2000 kinds that came later, anywhere. */
bool NewEntityCode(int code)
{
    return code == 420 || code == 430 || code == 440 || code == 284 || code == 347 || code == 348;
}

/* Codes a kind gained after release 2000, within one subclass (null: in any
 * part of the record). */
struct Rule {
    const char *section;
    const char *kind;
    const char *subclass;
    std::vector<int> codes;
};

const Rule kRules[] = {
    {"CLASSES", "CLASS", nullptr, {91}},
    {"TABLES", "LAYER", nullptr, {347, 348}},
    {"TABLES", "VPORT", nullptr, {60, 61, 63, 141, 142, 170, 282, 292, 332, 333, 348, 361, 421, 431}},
    {"TABLES", "VIEW", nullptr, {332, 334, 348, 361}},
    {"TABLES",
     "DIMSTYLE",
     nullptr,
     {49, 50, 69, 90, 290, 291, 292, 293, 294, 295, 296, 297, 298, 299, 345, 346, 347, 348}},
    {"TABLES", "BLOCK_RECORD", nullptr, {280, 281}},
    {"ENTITY", "MTEXT", "AcDbMText", {45, 46, 48, 49, 63, 75, 76, 78, 79, 90, 421, 431, 441}},
    {"ENTITY", "ATTRIB", "AcDbAttribute", {280}},
    {"ENTITY", "ATTDEF", "AcDbAttributeDefinition", {280}},
    {"ENTITY", "LWPOLYLINE", "AcDbPolyline", {91}},
    {"ENTITY", "VERTEX", nullptr, {91}},
    {"ENTITY", "HATCH", "AcDbHatch", {63, 421, 450, 451, 452, 453, 460, 461, 462, 463, 470}},
    {"ENTITY", "VIEWPORT", "AcDbViewport", {61, 63, 141, 142, 170, 282, 292, 332, 333, 348, 361, 421, 431}},
    {"ENTITY", "3DSOLID", "AcDbModelerGeometry", {2, 290}},
    {"ENTITY", "REGION", "AcDbModelerGeometry", {2, 290}},
    {"ENTITY", "BODY", "AcDbModelerGeometry", {2, 290}},
    {"OBJECTS", "LAYOUT", "AcDbPlotSettings", {76, 77, 78, 333}},
    {"OBJECTS", "PLOTSETTINGS", "AcDbPlotSettings", {76, 77, 78, 333}},
};

/* The colour index whose palette colour lies nearest to the true colour
 * `rgb` (0xRRGGBB); the lowest of equally near ones. */
int NearestIndex(long rgb)
{
    const double r = double((rgb >> 16) & 255), g = double((rgb >> 8) & 255), b = double(rgb & 255);
    int best = 7;
    double nearest = 1e9;
    for (int i = 1; i <= VyrDxfAttributesConverter::kColorCount; ++i) {
        double c[3];
        VyrDxfAttributesConverter::BuildFromACI(i, c);
        const double d = (c[0] - r) * (c[0] - r) + (c[1] - g) * (c[1] - g) + (c[2] - b) * (c[2] - b);
        if (d < nearest) {
            nearest = d;
            best = i;
        }
    }
    return best;
}

/* The pairs of a held HATCH with its colour (62) set to `color`: the pair
 * replaced, or one added at the end of the entity's common part. */
void SetColor(std::vector<DxfPair> &pairs, int color)
{
    const std::string value = std::to_string(color);
    size_t end = pairs.size(), layer = 0;
    bool common = false;
    for (size_t i = 1; i < pairs.size(); ++i) {
        const DxfPair &p = pairs[i];
        if (p.code == 100) {
            if (common) {
                end = i;
                break;
            }
            common = Trim(p.value) == "AcDbEntity";
        }
        if (p.code == 8 && !layer) layer = i + 1;
        if (p.code == 62) {
            pairs[i].value = value;
            return;
        }
    }
    if (!common && layer) end = layer;
    DxfPair added;
    added.code = 62;
    added.value = value;
    pairs.insert(pairs.begin() + long(end), added);
}

/* The longest MTEXT chunk release 2000 writes. */
const size_t kChunk = 250;

} // namespace

void DxfPairWriter::Put(int code, const std::string &value)
{
    if (!error_.empty()) return;
    char text[16];
    int n = 0;
    if (code < 100) text[n++] = ' ';
    if (code < 10) text[n++] = ' ';
    std::string digits = std::to_string(code);
    std::memcpy(text + n, digits.data(), digits.size());
    n += int(digits.size());
    text[n++] = '\n';
    buffer_.append(text, size_t(n));
    buffer_ += value;
    buffer_.push_back('\n');
    if (buffer_.size() >= (1u << 20)) Flush();
}

bool DxfPairWriter::Flush()
{
    if (!error_.empty()) return false;
    const char *p = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    buffer_.clear();
    return true;
}

DxfDownConverter::DxfDownConverter(DxfPairReader &in, DxfPairWriter &out, DxfRelease release,
                                   const std::string &codePage)
    : in_(in), out_(out), release_(release), utf8_(release >= DxfRelease::R2007), recoder_(codePage)
{}

bool DxfDownConverter::Fail(const std::string &what)
{
    if (error_.empty()) error_ = what;
    return false;
}

bool DxfDownConverter::Get(DxfPair &pair)
{
    if (!pending_.empty()) {
        pair = pending_.front();
        pending_.pop_front();
        return true;
    }
    return in_.Next(pair);
}

void DxfDownConverter::Put(const DxfPair &pair)
{
    if (hold_) {
        hold_->push_back(pair);
        if (utf8_ && DxfIsText(pair.code)) {
            text_.clear();
            recoder_.Recode(pair.value, text_);
            hold_->back().value = text_;
        }
        return;
    }
    if (utf8_ && DxfIsText(pair.code)) {
        text_.clear();
        recoder_.Recode(pair.value, text_);
        out_.Put(pair.code, text_);
    } else {
        out_.Put(pair.code, pair.value);
    }
}

/* Passes over pairs up to and including (code, value); false when the
 * input ends first. */
bool DxfDownConverter::SkipTo(int code, const char *value)
{
    DxfPair p;
    while (Get(p))
        if (p.code == code && Trim(p.value) == value) return true;
    return false;
}

bool DxfDownConverter::Run()
{
    DxfPair p;
    while (Get(p)) {
        if (p.code == 0 && Trim(p.value) == "EOF") {
            Put(p);
            if (!out_.Flush()) return Fail("cannot write: " + out_.Error());
            return true;
        }
        if (p.code == 0 && Trim(p.value) == "SECTION") {
            DxfPair name;
            if (!Get(name)) break;
            if (name.code != 2) return Fail(in_.Error().empty() ? "a section without a name" : in_.Error());
            const std::string section = Trim(name.value);
            if (!kSections.count(section)) {
                Drop("section " + section);
                if (!SkipTo(0, "ENDSEC")) break;
                continue;
            }
            Put(p);
            Put(name);
            if (!(section == "HEADER" ? Header() : Records(section))) return false;
        } else {
            Put(p);
        }
        if (!out_.Error().empty()) return Fail("cannot write: " + out_.Error());
    }
    if (!in_.Error().empty()) return Fail(in_.Error());
    return Fail("the file ends before its EOF marker");
}

bool DxfDownConverter::Header()
{
    DxfPair p;
    while (Get(p)) {
        if (p.code == 0) {
            Put(p);
            if (Trim(p.value) == "ENDSEC") return true;
            continue;
        }
        if (p.code != 9) {
            Put(p);
            continue;
        }
        const std::string name = Trim(p.value);
        if (kNewVariables.count(name)) {
            Drop("header variable " + name);
            while (Get(p)) {
                if (p.code == 0 || p.code == 9) {
                    Unget(p);
                    break;
                }
            }
            continue;
        }
        Put(p);
        if (name == "$ACADVER" && Get(p)) {
            p.value = "AC1015";
            Put(p);
        }
    }
    return true; /* the end of the input: Run reports it */
}

bool DxfDownConverter::Records(const std::string &section)
{
    DxfPair p;
    while (Get(p)) {
        if (p.code != 0) {
            Put(p);
            continue;
        }
        if (Trim(p.value) == "ENDSEC") {
            Put(p);
            return true;
        }
        if (Trim(p.value) == "EOF") { /* a section left open */
            Unget(p);
            return true;
        }
        if (!Record(section, p)) return false;
        if (!out_.Error().empty()) return Fail("cannot write: " + out_.Error());
    }
    return true;
}

bool DxfDownConverter::Record(const std::string &section, const DxfPair &start)
{
    const std::string kind = Trim(start.value);
    const bool entity = section == "BLOCKS" || section == "ENTITIES";
    const bool known = !entity || kEntities.count(kind) > 0;
    /* a hatch is held until its gradient colour, if any, is known */
    const bool hatch = entity && kind == "HATCH";
    std::vector<DxfPair> held;
    bool gradient = false;
    long colours = 0, firstIndex = -1, firstRgb = -1;
    if (hatch) hold_ = &held;
    Put(start);
    const std::string ruleSection = entity ? "ENTITY" : section;
    std::vector<const Rule *> rules;
    for (const Rule &r : kRules)
        if (ruleSection == r.section && kind == r.kind) rules.push_back(&r);

    std::string subclass;
    bool skipping = false, rest = false, xdata = false;
    /* MTEXT chunks, rewritten and cut again between characters, to the
     * length release 2000 reads */
    const bool chunked = kind == "MTEXT";
    std::string chunk, carry;
    std::vector<size_t> ends;
    auto emit = [&](bool all) {
        while (chunk.size() > kChunk || (all && !chunk.empty())) {
            size_t cut = chunk.size() <= kChunk ? chunk.size() : 0;
            for (size_t e : ends)
                if (e <= kChunk) cut = std::max(cut, e);
            if (cut == 0) cut = std::min(chunk.size(), kChunk);
            out_.Put(3, chunk.substr(0, cut));
            chunk.erase(0, cut);
            std::vector<size_t> left;
            for (size_t e : ends)
                if (e > cut) left.push_back(e - cut);
            ends.swap(left);
        }
    };
    auto flushChunks = [&]() {
        chunk += carry;
        carry.clear();
        emit(true);
    };
    /* hatch boundaries, for the fit data of spline edges */
    bool polyPath = false, spline = false;
    long edgesLeft = 0, knots = -1, controls = -1, knotsSeen = 0, controlsSeen = 0;

    DxfPair p;
    while (Get(p)) {
        if (p.code == 0) {
            Unget(p);
            break;
        }
        if (p.code >= 1000) xdata = true;
        if (rest && !xdata) continue;
        if (xdata) {
            flushChunks();
            Put(p);
            continue;
        }
        if (p.code == 100) {
            flushChunks();
            subclass = Trim(p.value);
            skipping = entity && known && !kSubclasses.count(subclass);
            if (skipping)
                Drop(kind + " subclass " + subclass);
            else
                Put(p);
            continue;
        }
        if (skipping) continue;
        if (entity && known) {
            if (p.code == 101) {
                Drop(kind + " embedded object");
                rest = true;
                continue;
            }
            if (NewEntityCode(p.code)) {
                Drop(kind + " group code " + std::to_string(p.code));
                continue;
            }
            if (p.code == 160 && (subclass.empty() || subclass == "AcDbEntity")) p.code = 92;
        }
        if (hatch && subclass == "AcDbHatch") {
            /* each gradient colour starts with 463; the first may carry an
             * index (63) and has a true colour (421) */
            if (p.code == 450) gradient = Number(p.value) != 0;
            if (p.code == 463) ++colours;
            if (p.code == 63 && colours <= 1 && firstIndex < 0) firstIndex = Number(p.value);
            if (p.code == 421 && colours <= 1 && firstRgb < 0) firstRgb = Number(p.value);
        }
        bool drop = false;
        for (const Rule *r : rules)
            if ((!r->subclass || subclass == r->subclass) &&
                std::find(r->codes.begin(), r->codes.end(), p.code) != r->codes.end())
                drop = true;
        if (drop) {
            Drop(kind + " group code " + std::to_string(p.code));
            continue;
        }
        if (kind == "HATCH" && subclass == "AcDbHatch") {
            const long v = Number(p.value);
            if (p.code == 92) {
                polyPath = (v & 2) != 0;
                spline = false;
            } else if (p.code == 93 && !polyPath) {
                edgesLeft = v;
                spline = false;
            } else if (p.code == 72 && !polyPath && edgesLeft > 0) {
                --edgesLeft;
                spline = v == 4;
                knots = controls = -1;
                knotsSeen = controlsSeen = 0;
            } else if (spline) {
                if (p.code == 95) knots = v;
                if (p.code == 96) controls = v;
                if (p.code == 40) ++knotsSeen;
                if (p.code == 10) ++controlsSeen;
                if (p.code == 97) {
                    spline = false;
                    /* the fit data of release 2010 on: a count, points,
                     * tangents; the boundary's source count looks the same,
                     * so the pair after it decides */
                    DxfPair next;
                    bool fit = false;
                    if (release_ >= DxfRelease::R2010 && knots >= 0 && controls >= 0 && knotsSeen >= knots &&
                        controlsSeen >= controls && Get(next)) {
                        fit = next.code == 11 || next.code == 12 || next.code == 13 || next.code == 97 ||
                              (next.code == 72 && edgesLeft > 0);
                        Unget(next);
                    }
                    if (fit) {
                        Drop("HATCH spline fit data");
                        while (Get(next)) {
                            if (next.code != 11 && next.code != 21 && next.code != 12 && next.code != 22 &&
                                next.code != 13 && next.code != 23) {
                                Unget(next);
                                break;
                            }
                        }
                        continue;
                    }
                }
            }
        }
        if (chunked && subclass == "AcDbMText" && (p.code == 3 || p.code == 1)) {
            if (utf8_)
                recoder_.Recode(p.value, chunk, &carry, &ends);
            else
                recoder_.Pass(p.value, chunk, &carry, &ends);
            if (p.code == 3) {
                emit(false);
            } else {
                chunk += carry;
                carry.clear();
                emit(false);
                out_.Put(1, chunk);
                chunk.clear();
                ends.clear();
            }
            continue;
        }
        flushChunks();
        Put(p);
    }
    flushChunks();
    if (hatch) {
        hold_ = nullptr;
        int color = 0;
        if (gradient && firstIndex >= 1 && firstIndex <= VyrDxfAttributesConverter::kColorCount)
            color = int(firstIndex);
        else if (gradient && firstRgb >= 0)
            color = NearestIndex(firstRgb);
        if (color) SetColor(held, color);
        for (const DxfPair &p : held) out_.Put(p.code, p.value);
    }
    return true;
}
