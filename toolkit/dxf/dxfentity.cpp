/* The entity reader of a DXF load (dxfloadentity) and the start reader of
 * the ENTITIES section. Each call reads one entity, from its (0, name) pair
 * up to the next group code 0, and stores it:
 *   - the type: the fixed entity names, else the class of that DXF name
 *     (LWPOLYLINE, HATCH and the other kinds this toolkit reads get their
 *     class when the file has none); ACAD_PROXY_ENTITY, ACAD_ZOMBIE_ENTITY
 *     and names without a class are proxies, 498 (no class is made up for
 *     them; the pairs of such a name are kept after its (0, name));
 *   - the common codes go to the entity header: 5 handle, 6 linetype name,
 *     8 layer name, 38 elevation, 39 thickness, 48 linetype scale, 60
 *     invisibility, 62 colour, 67 paper space, 102 groups, 210-230
 *     extrusion, 370 lineweight, 380 and 390 plot style, 1000 and above
 *     extended data; the other pairs go to the rule readers of the kind
 *     (dxfentrules.cpp) or to the kind's field table;
 *   - names become handles: the layer (created with default values when it
 *     does not exist; "0" when none is given), the linetype (BYLAYER when
 *     none is given or the name is unknown), the text style ("STANDARD"
 *     when none is given), the block of INSERT and DIMENSION (the name
 *     resolved last is remembered), the dimension style of DIMENSION,
 *     LEADER and TOLERANCE ("*UNNAMED" and empty give the null handle);
 *   - the elevation (38) becomes the z of the points that had no z code;
 *   - an entity without a handle, with a handle already taken, or of a
 *     file whose handle policy says so gets a fresh handle.
 * ENTITIES entities go to model or paper space by 67; a VERTEX, ATTRIB or
 * SEQEND goes to the list of the POLYLINE or INSERT it follows. With the
 * conversion of old polylines on, a POLYLINE with none of the flags 2, 4,
 * 8, 16, 64 is not stored: its vertices are gathered and, at its SEQEND (or
 * the next other entity, or the end of the section), one LWPOLYLINE with
 * the POLYLINE's header and handle is stored: per vertex x and y (the
 * elevation is the polyline's), the bulge, and the start and end widths
 * (the vertex's own when given, else the polyline's defaults); widths that
 * are the same non-zero value everywhere become the constant width; the
 * closed (1) and linetype-generation (128) flags carry over. Lost: the
 * vertices' own handles, flags, tangents and extended data, the SEQEND. */
#include "toolkit/dxf/dxf_int.h"

#include <array>
#include <cstddef>
#include <cmath>
#include <cstring>

namespace {

struct TypeName {
    const char *name;
    int16_t type;
};
/* Sorted by name. */
constexpr TypeName kFixed[] = {
    {"3DFACE", 22},   {"3DLINE", 21}, {"3DSOLID", 25},   {"ARC", 8},        {"ATTDEF", 15}, {"ATTRIB", 16},
    {"BLOCK", 12},    {"BODY", 35},   {"CIRCLE", 3},     {"DIMENSION", 23}, {"ELLIPSE", 5}, {"ENDBLK", 13},
    {"INSERT", 14},   {"LEADER", 29}, {"LINE", 1},       {"MLINE", 31},     {"MTEXT", 28},  {"POINT", 2},
    {"POLYLINE", 19}, {"RAY", 26},    {"REGION", 10},    {"SEQEND", 17},    {"SHAPE", 4},   {"SOLID", 11},
    {"SPLINE", 6},    {"TEXT", 7},    {"TOLERANCE", 30}, {"TRACE", 9},      {"VERTEX", 20}, {"VIEWPORT", 24},
    {"XLINE", 27}};
constexpr size_t kNumFixed = sizeof kFixed / sizeof kFixed[0];

/* The names of kFixed beginning with each character: [first, last). Every
 * entity's type is looked up, so one comparison or two instead of a search
 * of the whole table. */
struct FirstChar {
    unsigned char first, last;
};
constexpr std::array<FirstChar, 128> buildfirst()
{
    std::array<FirstChar, 128> f{};
    for (size_t i = kNumFixed; i-- > 0;) {
        FirstChar &b = f[static_cast<unsigned char>(kFixed[i].name[0])];
        if (b.first == b.last) b.last = static_cast<unsigned char>(i + 1);
        b.first = static_cast<unsigned char>(i);
    }
    return f;
}
constexpr std::array<FirstChar, 128> kFirst = buildfirst();

int16_t fixedtype(const char *name)
{
    const unsigned char c = static_cast<unsigned char>(name[0]);
    if (c >= kFirst.size()) return 0;
    for (unsigned i = kFirst[c].first; i < kFirst[c].last; ++i)
        if (std::strcmp(name + 1, kFixed[i].name + 1) == 0) return kFixed[i].type;
    return 0;
}

/* ---------------------------------------------------------------- field tables */

const AdField kLineF[] = {AD_FP3(10, AdEntLine, pt0), AD_FP3(11, AdEntLine, pt1)};
const AdField kPointF[] = {AD_FP3(10, AdEntPoint, pt0), AD_FA(50, AdEntPoint, xaxisang)};
const AdField kCircleF[] = {AD_FP3(10, AdEntCircle, pt0), AD_FR(40, AdEntCircle, radius)};
const AdField kShapeF[] = {AD_FP3(10, AdEntShape, pt0),    AD_FR(40, AdEntShape, size),
                           AD_FA(50, AdEntShape, rotang),  AD_FR(41, AdEntShape, widthfactor),
                           AD_FA(51, AdEntShape, oblique), AD_FT(2, AdEntShape, shapename)};
const AdField kEllipseF[] = {AD_FP3(10, AdEntEllipse, pt0), AD_FP3(11, AdEntEllipse, pt1),
                             AD_FR(40, AdEntEllipse, minortomajor), AD_FR(41, AdEntEllipse, startparam),
                             AD_FR(42, AdEntEllipse, endparam)};
const AdField kSplineF[] = {AD_FS(71, AdEntSpline, degree),    AD_FS(70, AdEntSpline, flag),
                            AD_FR(42, AdEntSpline, knottol),   AD_FR(43, AdEntSpline, ctltol),
                            AD_FR(44, AdEntSpline, fittol),    AD_FP3(12, AdEntSpline, sttandir),
                            AD_FP3(13, AdEntSpline, endtandir)};
const AdField kTextF[] = {AD_FP3(10, AdEntText, pt0),     AD_FR(40, AdEntText, height),
                          AD_FA(50, AdEntText, rotang),   AD_FR(41, AdEntText, widthfactor),
                          AD_FA(51, AdEntText, oblique),  AD_FB(71, AdEntText, generationflag),
                          AD_FB(72, AdEntText, hjust),    AD_FB(73, AdEntText, vjust),
                          AD_FP2(11, AdEntText, alignpt), AD_FX(1, AdEntText, text)};
const AdField kArcF[] = {AD_FP3(10, AdEntArc, pt0), AD_FR(40, AdEntArc, radius), AD_FA(50, AdEntArc, stang),
                         AD_FA(51, AdEntArc, endang)};
const AdField kTraceF[] = {AD_FP3(10, AdEntTrace, pt0), AD_FP3(11, AdEntTrace, pt1),
                           AD_FP3(12, AdEntTrace, pt2), AD_FP3(13, AdEntTrace, pt3)};
const AdField kBlockF[] = {AD_FP3(10, AdEntBlock, base), AD_FT(2, AdEntBlock, name2),
                           AD_FT(3, AdEntBlock, name2),  AD_FT(1, AdEntBlock, xrefpath),
                           AD_FB(70, AdEntBlock, flag),  AD_FT(4, AdEntBlock, description)};
const AdField kInsertF[] = {AD_FS(66, AdEntInsert, attribsfollow), AD_FP3(10, AdEntInsert, pt0),
                            AD_FR(41, AdEntInsert, xscale),        AD_FR(42, AdEntInsert, yscale),
                            AD_FR(43, AdEntInsert, zscale),        AD_FA(50, AdEntInsert, rotang),
                            AD_FR(45, AdEntInsert, rowspacing),    AD_FR(44, AdEntInsert, colspacing),
                            AD_FS(71, AdEntInsert, numrows),       AD_FS(70, AdEntInsert, numcols)};
const AdField kAttdefF[] = {AD_FP3(10, AdEntAttdef, pt0),     AD_FB(70, AdEntAttdef, flag),
                            AD_FS(73, AdEntAttdef, fieldlen), AD_FR(40, AdEntAttdef, height),
                            AD_FA(50, AdEntAttdef, rotang),   AD_FR(41, AdEntAttdef, widthfactor),
                            AD_FA(51, AdEntAttdef, oblique),  AD_FB(71, AdEntAttdef, generationflag),
                            AD_FB(72, AdEntAttdef, hjust),    AD_FB(74, AdEntAttdef, vjust),
                            AD_FP2(11, AdEntAttdef, alignpt), AD_FT(3, AdEntAttdef, prompt),
                            AD_FT(2, AdEntAttdef, tag),       AD_FX(1, AdEntAttdef, defval)};
const AdField kAttribF[] = {AD_FP3(10, AdEntAttrib, pt0),     AD_FB(70, AdEntAttrib, flag),
                            AD_FS(73, AdEntAttrib, fieldlen), AD_FR(40, AdEntAttrib, height),
                            AD_FA(50, AdEntAttrib, rotang),   AD_FR(41, AdEntAttrib, widthfactor),
                            AD_FA(51, AdEntAttrib, oblique),  AD_FB(71, AdEntAttrib, generationflag),
                            AD_FB(72, AdEntAttrib, hjust),    AD_FB(74, AdEntAttrib, vjust),
                            AD_FP3(11, AdEntAttrib, alignpt), AD_FT(2, AdEntAttrib, tag),
                            AD_FX(1, AdEntAttrib, attval)};
const AdField kPlineF[] = {AD_FR(30, AdEntPolyline, elevation), AD_FR(40, AdEntPolyline, startwidth),
                           AD_FR(41, AdEntPolyline, endwidth),  AD_FS(75, AdEntPolyline, polyfittype),
                           AD_FS(73, AdEntPolyline, mdensity),  AD_FS(74, AdEntPolyline, ndensity),
                           AD_FS(71, AdEntPolyline, mcount),    AD_FS(72, AdEntPolyline, ncount),
                           AD_FS(70, AdEntPolyline, flag)};
const AdField kVertexF[] = {AD_FP3(10, AdEntVertex, pt0),       AD_FS(70, AdEntVertex, flag),
                            AD_FR(40, AdEntVertex, startwidth), AD_FR(41, AdEntVertex, endwidth),
                            AD_FR(42, AdEntVertex, bulge),      AD_FA(50, AdEntVertex, tangentdir)};
const AdField kFace3dF[] = {AD_FP3(10, AdEntFace3d, pt0), AD_FP3(11, AdEntFace3d, pt1),
                            AD_FP3(12, AdEntFace3d, pt2), AD_FP3(13, AdEntFace3d, pt3),
                            AD_FS(70, AdEntFace3d, invisflags)};
const AdField kDimF[] = {AD_FP3(12, AdEntDimension, clonepoint),
                         AD_FB(70, AdEntDimension, dimflag),
                         AD_FP3(16, AdEntDimension, defpt4),
                         AD_FP3(13, AdEntDimension, defpt2),
                         AD_FP3(14, AdEntDimension, defpt3),
                         AD_FP3(15, AdEntDimension, defpt5),
                         AD_FR(40, AdEntDimension, leaderlen),
                         AD_FA(50, AdEntDimension, rotang),
                         AD_FA(53, AdEntDimension, textrot),
                         AD_FA(52, AdEntDimension, oblique),
                         AD_FP3(11, AdEntDimension, textmidpt),
                         AD_FP3(10, AdEntDimension, defpt),
                         AD_FA(51, AdEntDimension, horizdir),
                         AD_FS(71, AdEntDimension, attachpoint),
                         AD_FS(72, AdEntDimension, linespacingstyle),
                         AD_FR(41, AdEntDimension, linespacingfactor),
                         AD_FR(42, AdEntDimension, actualmeasurement),
                         AD_FA(54, AdEntDimension, angle54),
                         AD_FT(1, AdEntDimension, dimtext)};
const AdField kVportF[] = {AD_FS(68, AdEntViewport, status),
                           AD_FP3(10, AdEntViewport, pt0),
                           AD_FR(40, AdEntViewport, width),
                           AD_FR(41, AdEntViewport, height),
                           AD_FS(69, AdEntViewport, id),
                           AD_FL(90, AdEntViewport, statusflags),
                           AD_FS(281, AdEntViewport, rendermode),
                           AD_FT(1, AdEntViewport, stylesheet),
                           AD_FS(71, AdEntViewport, ucsvp),
                           AD_FS(74, AdEntViewport, ucsicon),
                           AD_FP3(110, AdEntViewport, ucsorg),
                           AD_FP3(111, AdEntViewport, ucsxdir),
                           AD_FP3(112, AdEntViewport, ucsydir),
                           AD_FS(79, AdEntViewport, ucsorthotype),
                           AD_FR(146, AdEntViewport, elevation),
                           AD_FH(345, AdEntViewport, ucshandle),
                           AD_FH(340, AdEntViewport, clipboundaryhandle),
                           AD_FP3(17, AdEntViewport, viewtarget),
                           AD_FP3(16, AdEntViewport, viewdir),
                           AD_FA(51, AdEntViewport, viewtwist),
                           AD_FR(45, AdEntViewport, viewheight),
                           AD_FP2(12, AdEntViewport, viewctr),
                           AD_FR(42, AdEntViewport, lenslength),
                           AD_FR(43, AdEntViewport, frontclip),
                           AD_FR(44, AdEntViewport, backclip),
                           AD_FS(72, AdEntViewport, circlezoom),
                           AD_FP2(14, AdEntViewport, snapspacing),
                           AD_FP2(15, AdEntViewport, gridspacing),
                           AD_FA(50, AdEntViewport, snapangle),
                           AD_FP2(13, AdEntViewport, snapbase),
                           AD_FT(2, AdEntViewport, plotstylename),
                           AD_FH(346, AdEntViewport, baseucshandle)};
const AdField kMtextF[] = {AD_FP3(10, AdEntMtext, pt0),
                           AD_FP3(11, AdEntMtext, xdir),
                           AD_FR(40, AdEntMtext, height),
                           AD_FR(41, AdEntMtext, refwidth),
                           AD_FB(71, AdEntMtext, attachpoint),
                           AD_FB(72, AdEntMtext, drawingdir),
                           AD_FS(73, AdEntMtext, linespacingstyle),
                           AD_FR(44, AdEntMtext, linespacingfactor),
                           AD_FR(42, AdEntMtext, boxwidth),
                           AD_FR(43, AdEntMtext, boxheight)};
const AdField kLeaderF[] = {AD_FB(72, AdEntLeader, pathtype),
                            AD_FB(71, AdEntLeader, arrowheadflag),
                            AD_FB(74, AdEntLeader, hookdir),
                            AD_FB(75, AdEntLeader, hooklineflag),
                            AD_FS(73, AdEntLeader, creationflag),
                            AD_FS(77, AdEntLeader, colorinfo),
                            AD_FR(40, AdEntLeader, textheight),
                            AD_FR(41, AdEntLeader, textwidth),
                            AD_FP3(213, AdEntLeader, annotationoffset),
                            AD_FP3(211, AdEntLeader, horizdir),
                            AD_FP3(212, AdEntLeader, blockoffset),
                            AD_FH(340, AdEntLeader, associatedannotation)};
const AdField kTolF[] = {AD_FP3(10, AdEntTolerance, pt0), AD_FP3(11, AdEntTolerance, xdir),
                         AD_FX(1, AdEntTolerance, text)};
const AdField kMlineF[] = {AD_FR(40, AdEntMline, scale),          AD_FS(70, AdEntMline, justification),
                           AD_FS(71, AdEntMline, flags),          AD_FP3(10, AdEntMline, startpt),
                           AD_FH(340, AdEntMline, mlstylehandle), AD_FT(2, AdEntMline, stylename)};
const AdField kAcisF[] = {AD_FS(70, AdEntAcis, modelerversion)};
const AdField kHatchF[] = {AD_FP3(10, AdEntHatch, pt0),          AD_FT(2, AdEntHatch, patternname),
                           AD_FS(71, AdEntHatch, associativity), AD_FS(70, AdEntHatch, solidfill),
                           AD_FS(75, AdEntHatch, hatchstyle),    AD_FS(76, AdEntHatch, patterntype),
                           AD_FA(52, AdEntHatch, patternangle),  AD_FR(41, AdEntHatch, patternscale),
                           AD_FS(77, AdEntHatch, patterndouble), AD_FR(47, AdEntHatch, pixelsize)};
const AdField kImageF[] = {AD_FL(90, AdEntImage, classversion), AD_FP3(10, AdEntImage, pt0),
                           AD_FP3(11, AdEntImage, uvec),        AD_FP3(12, AdEntImage, vvec),
                           AD_FP2(13, AdEntImage, size),        AD_FH(340, AdEntImage, imagedefhandle),
                           AD_FS(70, AdEntImage, displayprops), AD_FS(280, AdEntImage, clipping),
                           AD_FB(281, AdEntImage, brightness),  AD_FB(282, AdEntImage, contrast),
                           AD_FB(283, AdEntImage, fade),        AD_FH(360, AdEntImage, imagedefreactorhandle),
                           AD_FS(71, AdEntImage, cliptype)};
const AdField kOleF[] = {AD_FS(70, AdEntOle2frame, version),     AD_FP3(10, AdEntOle2frame, upperleft),
                         AD_FP3(11, AdEntOle2frame, lowerright), AD_FS(71, AdEntOle2frame, oletype),
                         AD_FS(72, AdEntOle2frame, tilemode),    AD_FL(90, AdEntOle2frame, datalength)};
const AdField kRtextF[] = {AD_FP3(10, AdEntRtext, pt0), AD_FA(50, AdEntRtext, rotang),
                           AD_FR(40, AdEntRtext, height), AD_FS(70, AdEntRtext, flags),
                           AD_FX(1, AdEntRtext, text)};
const AdField kArctextF[] = {
    AD_FX(1, AdEntArcAlignedText, text),           AD_FT(2, AdEntArcAlignedText, fontname),
    AD_FT(3, AdEntArcAlignedText, bigfontname),    AD_FP3(10, AdEntArcAlignedText, center),
    AD_FR(40, AdEntArcAlignedText, radius),        AD_FR(41, AdEntArcAlignedText, widthfactor),
    AD_FR(42, AdEntArcAlignedText, height),        AD_FR(43, AdEntArcAlignedText, charspacing),
    AD_FR(44, AdEntArcAlignedText, offsetfromarc), AD_FR(45, AdEntArcAlignedText, rightoffset),
    AD_FR(46, AdEntArcAlignedText, leftoffset),    AD_FA(50, AdEntArcAlignedText, startang),
    AD_FA(51, AdEntArcAlignedText, endang),        AD_FS(70, AdEntArcAlignedText, reversed),
    AD_FS(71, AdEntArcAlignedText, direction),     AD_FS(72, AdEntArcAlignedText, alignment),
    AD_FS(73, AdEntArcAlignedText, side),          AD_FS(74, AdEntArcAlignedText, bold),
    AD_FS(75, AdEntArcAlignedText, italic),        AD_FS(76, AdEntArcAlignedText, underline),
    AD_FS(77, AdEntArcAlignedText, charset),       AD_FS(78, AdEntArcAlignedText, pitch),
    AD_FS(79, AdEntArcAlignedText, fonttype),      AD_FS(280, AdEntArcAlignedText, wizardflag),
    AD_FL(90, AdEntArcAlignedText, color),         AD_FH(330, AdEntArcAlignedText, archandle)};
const AdField kNoF[] = {{0, AD_F_BYTE, 0, 0}};

AdFieldTable g_line = AD_FIELDS(kLineF), g_point = AD_FIELDS(kPointF), g_circle = AD_FIELDS(kCircleF),
             g_shape = AD_FIELDS(kShapeF), g_ellipse = AD_FIELDS(kEllipseF), g_spline = AD_FIELDS(kSplineF),
             g_text = AD_FIELDS(kTextF), g_arc = AD_FIELDS(kArcF), g_trace = AD_FIELDS(kTraceF),
             g_block = AD_FIELDS(kBlockF), g_insert = AD_FIELDS(kInsertF), g_attdef = AD_FIELDS(kAttdefF),
             g_attrib = AD_FIELDS(kAttribF), g_pline = AD_FIELDS(kPlineF), g_vertex = AD_FIELDS(kVertexF),
             g_face3d = AD_FIELDS(kFace3dF), g_dim = AD_FIELDS(kDimF), g_vport = AD_FIELDS(kVportF),
             g_mtext = AD_FIELDS(kMtextF), g_leader = AD_FIELDS(kLeaderF), g_tol = AD_FIELDS(kTolF),
             g_mline = AD_FIELDS(kMlineF), g_acis = AD_FIELDS(kAcisF), g_hatch = AD_FIELDS(kHatchF),
             g_image = AD_FIELDS(kImageF), g_ole = AD_FIELDS(kOleF), g_rtext = AD_FIELDS(kRtextF),
             g_arctext = AD_FIELDS(kArctextF), g_none = {kNoF, 0, 0, {0}};

AdFieldTable *fieldsof(int kind)
{
    switch (kind) {
    case AD_ENT_LINE:
    case AD_ENT_LINE3D:
    case AD_ENT_RAY:
    case AD_ENT_XLINE: return &g_line;
    case AD_ENT_POINT: return &g_point;
    case AD_ENT_CIRCLE: return &g_circle;
    case AD_ENT_SHAPE: return &g_shape;
    case AD_ENT_ELLIPSE: return &g_ellipse;
    case AD_ENT_SPLINE: return &g_spline;
    case AD_ENT_TEXT: return &g_text;
    case AD_ENT_ARC: return &g_arc;
    case AD_ENT_TRACE:
    case AD_ENT_SOLID: return &g_trace;
    case AD_ENT_BLOCK: return &g_block;
    case AD_ENT_INSERT: return &g_insert;
    case AD_ENT_ATTDEF: return &g_attdef;
    case AD_ENT_ATTRIB: return &g_attrib;
    case AD_ENT_POLYLINE: return &g_pline;
    case AD_ENT_VERTEX: return &g_vertex;
    case AD_ENT_FACE3D: return &g_face3d;
    case AD_ENT_DIMENSION: return &g_dim;
    case AD_ENT_VIEWPORT: return &g_vport;
    case AD_ENT_MTEXT: return &g_mtext;
    case AD_ENT_LEADER: return &g_leader;
    case AD_ENT_TOLERANCE: return &g_tol;
    case AD_ENT_MLINE: return &g_mline;
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: return &g_acis;
    case AD_EK_HATCH: return &g_hatch;
    case AD_EK_IMAGE: return &g_image;
    case AD_EK_OLE: return &g_ole;
    case AD_EK_RTEXT: return &g_rtext;
    case AD_EK_ARCTEXT: return &g_arctext;
    default: return &g_none;
    }
}

/* Values an entity has when its file leaves them out. */
void recorddefaults(int kind, AdEntityRecord *r)
{
    switch (kind) {
    case AD_ENT_TEXT: r->text.widthfactor = 1.0; break;
    case AD_ENT_SHAPE: r->shape.widthfactor = 1.0; break;
    case AD_ENT_ATTDEF: r->attdef.widthfactor = 1.0; break;
    case AD_ENT_ATTRIB: r->attrib.widthfactor = 1.0; break;
    case AD_ENT_INSERT:
        r->insert.xscale = r->insert.yscale = r->insert.zscale = 1.0;
        r->insert.numrows = r->insert.numcols = 1;
        break;
    case AD_ENT_ELLIPSE: r->ellipse.endparam = 2 * M_PI; break;
    case AD_ENT_MTEXT:
        r->mtext.xdir[0] = 1.0;
        r->mtext.linespacingfactor = 1.0;
        r->mtext.attachpoint = 1;
        r->mtext.drawingdir = 1;
        r->mtext.linespacingstyle = 1;
        break;
    case AD_ENT_MLINE: r->mline.scale = 1.0; break;
    case AD_ENT_VIEWPORT: adSetViewportEntityDefaults(&r->vport); break;
    case AD_ENT_LEADER: r->leader.arrowheadflag = 1; break;
    case AD_ENT_TOLERANCE: r->tolerance.xdir[0] = 1.0; break;
    case AD_EK_HATCH:
        r->hatch.numpaths = 1;
        r->hatch.patternscale = 1.0;
        break;
    case AD_EK_IMAGE:
        r->image.brightness = 50;
        r->image.contrast = 50;
        break;
    case AD_EK_RTEXT: break;
    case AD_EK_ARCTEXT: r->arctext.widthfactor = 1.0; break;
    default: break;
    }
}

/* The z coordinates an elevation (38) gives, by the z code that names them
 * (bit i: 30 + i); POLYLINE and LWPOLYLINE keep it in their own field. */
void applyelevation(const AdEntCtx &c, AdEntityRecord *r)
{
    double e = c.elevation;
    auto z = [&](unsigned bit, double *p) {
        if (!(c.zmask & bit)) *p = e;
    };
    switch (c.kind) {
    case AD_ENT_LINE:
    case AD_ENT_LINE3D:
        z(1, &r->line.pt0[2]);
        z(2, &r->line.pt1[2]);
        break;
    case AD_ENT_RAY:
    case AD_ENT_XLINE: z(1, &r->line.pt0[2]); break;
    case AD_ENT_POINT: z(1, &r->point.pt0[2]); break;
    case AD_ENT_CIRCLE: z(1, &r->circle.pt0[2]); break;
    case AD_ENT_SHAPE: z(1, &r->shape.pt0[2]); break;
    case AD_ENT_ELLIPSE: z(1, &r->ellipse.pt0[2]); break;
    case AD_ENT_TEXT: z(1, &r->text.pt0[2]); break;
    case AD_ENT_ARC: z(1, &r->arc.pt0[2]); break;
    case AD_ENT_BLOCK: z(1, &r->block.base[2]); break;
    case AD_ENT_INSERT: z(1, &r->insert.pt0[2]); break;
    case AD_ENT_ATTDEF: z(1, &r->attdef.pt0[2]); break;
    case AD_ENT_ATTRIB: z(1, &r->attrib.pt0[2]); break;
    case AD_ENT_VERTEX: z(1, &r->vertex.pt0[2]); break;
    case AD_ENT_MTEXT: z(1, &r->mtext.pt0[2]); break;
    case AD_ENT_TOLERANCE: z(1, &r->tolerance.pt0[2]); break;
    case AD_ENT_TRACE:
    case AD_ENT_SOLID:
        z(1, &r->trace.pt0[2]);
        z(2, &r->trace.pt1[2]);
        z(4, &r->trace.pt2[2]);
        z(8, &r->trace.pt3[2]);
        break;
    case AD_ENT_FACE3D:
        z(1, &r->face3d.pt0[2]);
        z(2, &r->face3d.pt1[2]);
        z(4, &r->face3d.pt2[2]);
        z(8, &r->face3d.pt3[2]);
        break;
    case AD_ENT_POLYLINE: z(1, &r->pline.elevation); break;
    case AD_ENT_DIMENSION: z(4, &r->dim.clonepoint[2]); break;
    case AD_ENT_MLINE: z(1, &r->mline.startpt[2]); break;
    case AD_EK_LWPLINE: r->lwpline.elevation = e; break;
    default: break;
    }
}

/* The common codes of every entity; true when the pair was one. */
bool commonpair(AdDrawing *dwg, AdEntCtx &c, AdEntityHeader *h)
{
    uint16_t code = adin->curcode;
    switch (code) {
    case 5:
        std::memcpy(h->handle, adin->curhandle, 8);
        c.hashandle = 1;
        return true;
    case 6:
        dxfcopy(c.ltype, adin->curstr, sizeof c.ltype);
        c.hasltype = 1;
        return true;
    case 8:
        dxfcopy(c.layer, adin->curstr, sizeof c.layer);
        c.haslayer = 1;
        return true;
    case 38:
        c.elevation = dxfreal();
        c.haselevation = 1;
        return true;
    case 39: h->thickness = dxfreal(); return true;
    case 48: h->ltscale = dxfreal(); return true;
    case 60:
        if (dxfint())
            h->flags |= AD_EHF_INVISIBLE;
        else
            h->flags &= static_cast<unsigned char>(~AD_EHF_INVISIBLE);
        return true;
    case 62: {
        int v = dxfint();
        h->color = static_cast<int16_t>(v == 256 ? 256 : ((v % 256) + 256) % 256);
        return true;
    }
    case 67:
        if (dxfint()) h->flags |= AD_EHF_PAPERSPACE;
        return true;
    case 210:
        h->extrusion[0] = dxfreal();
        h->flags |= AD_EHF_EXTRUSION;
        return true;
    case 220:
        h->extrusion[1] = dxfreal();
        h->flags |= AD_EHF_EXTRUSION;
        return true;
    case 230:
        h->extrusion[2] = dxfreal();
        h->flags |= AD_EHF_EXTRUSION;
        return true;
    case 370: h->lineweight = static_cast<int16_t>(dxfint()); return true;
    case 380:
        if (dxfint()) h->flags |= AD_EHF_PLOTSTYLE_TYPE;
        h->flags &= static_cast<unsigned char>(~AD_EHF_PLOTSTYLE_DEFAULT);
        return true;
    case 390:
        std::memcpy(h->plotstylehandle, adin->curhandle, 8);
        h->flags &= static_cast<unsigned char>(~AD_EHF_PLOTSTYLE_DEFAULT);
        return true;
    case 100: return true;
    case 330: return c.kind != AD_EK_ARCTEXT && c.kind != AD_EK_PROXY;
    default:
        if (code >= 1000) {
            dxfxdatapair(dwg, &c.xd);
            return true;
        }
        return false;
    }
}

/* ---------------------------------------------------------------- resolution */

void resolvelayer(AdDrawing *dwg, AdEntCtx &c, AdEntityHeader *h)
{
    AdDxfLoad *s = dwg->dxf;
    const char *name = c.haslayer && c.layer[0] ? c.layer : "0";
    if (s->lastlayervalid && std::strcmp(name, s->lastlayer) == 0) {
        std::memcpy(h->layerhandle, s->lastlayerhandle, 8);
        return;
    }
    if (!dxffindname(dwg, AD_LIST_LAYER, name, h->layerhandle)) {
        AdLayer l{};
        dxfcopy(l.name, name, sizeof l.name);
        l.color = 7;
        l.plotflag = 1;
        l.lineweight = -3;
        std::memcpy(l.linetypehandle, dwg->continuousltype, 8);
        if (!dxfnewhandle(dwg, l.handle) ||
            !addobjecttolistandindex(dwg, dwg->layers, &l, sizeof l, l.handle, AD_PUT_TAIL, nullptr))
            return;
        std::memcpy(h->layerhandle, l.handle, 8);
    }
    dxfcopy(s->lastlayer, name, sizeof s->lastlayer);
    std::memcpy(s->lastlayerhandle, h->layerhandle, 8);
    s->lastlayervalid = 1;
}

void resolveltype(AdDrawing *dwg, AdEntCtx &c, AdEntityHeader *h)
{
    if (!c.hasltype || !adstricmp(c.ltype, "BYLAYER")) {
        std::memcpy(h->ltypehandle, dwg->bylayerltype, 8);
    } else if (!adstricmp(c.ltype, "BYBLOCK")) {
        std::memcpy(h->ltypehandle, dwg->byblockltype, 8);
    } else if (!dxffindname(dwg, AD_LIST_LTYPE, c.ltype, h->ltypehandle)) {
        std::memcpy(h->ltypehandle, dwg->bylayerltype, 8);
    }
}

void resolvestyle(AdDrawing *dwg, AdEntCtx &c, unsigned char *out)
{
    if (!(c.hasstyle && dxffindname(dwg, AD_LIST_STYLE, c.style, out)))
        dxffindname(dwg, AD_LIST_STYLE, "STANDARD", out);
}

void resolveblock(AdDrawing *dwg, AdEntCtx &c, unsigned char *out)
{
    AdDxfLoad *s = dwg->dxf;
    std::memset(out, 0, 8);
    if (!c.hasblock) return;
    if (s->lastblockvalid && adstricmp(c.block, s->lastblock) == 0) {
        std::memcpy(out, s->lastblockhandle, 8);
        return;
    }
    if (dxffindname(dwg, AD_LIST_BLKH, c.block, out)) {
        dxfcopy(s->lastblock, c.block, sizeof s->lastblock);
        std::memcpy(s->lastblockhandle, out, 8);
        s->lastblockvalid = 1;
    } else if (!adin->ignorebadinsertblockhandles) {
        adcriticalerror(6);
    }
}

void resolvedimstyle(AdDrawing *dwg, AdEntCtx &c, unsigned char *out)
{
    AdDxfLoad *s = dwg->dxf;
    std::memset(out, 0, 8);
    const char *name = c.hasdimstyle && c.dimstyle[0] ? c.dimstyle : "*UNNAMED";
    if (!std::strcmp(name, "*UNNAMED")) return;
    if (s->lastdimvalid && adstricmp(name, s->lastdim) == 0) {
        std::memcpy(out, s->lastdimhandle, 8);
        return;
    }
    if (dxffindname(dwg, AD_LIST_DIMSTYLE, name, out)) {
        dxfcopy(s->lastdim, name, sizeof s->lastdim);
        std::memcpy(s->lastdimhandle, out, 8);
        s->lastdimvalid = 1;
    } else {
        adcriticalerror(6);
    }
}

void resolvenames(AdDrawing *dwg, AdEntCtx &c, AdEntityHeader *h, AdEntityRecord *r)
{
    resolvelayer(dwg, c, h);
    resolveltype(dwg, c, h);
    switch (c.kind) {
    case AD_ENT_TEXT: resolvestyle(dwg, c, r->text.stylehandle); break;
    case AD_ENT_ATTDEF: resolvestyle(dwg, c, r->attdef.stylehandle); break;
    case AD_ENT_ATTRIB: resolvestyle(dwg, c, r->attrib.stylehandle); break;
    case AD_ENT_MTEXT: resolvestyle(dwg, c, r->mtext.stylehandle); break;
    case AD_EK_RTEXT: resolvestyle(dwg, c, r->rtext.stylehandle); break;
    case AD_EK_ARCTEXT: resolvestyle(dwg, c, r->arctext.stylehandle); break;
    case AD_ENT_INSERT: resolveblock(dwg, c, r->insert.blockheaderhandle); break;
    case AD_ENT_DIMENSION:
        resolveblock(dwg, c, r->dim.blockheaderhandle);
        resolvedimstyle(dwg, c, r->dim.dimstylehandle);
        break;
    case AD_ENT_SHAPE: {
        /* the shape file whose font holds the named shape; when no font file
           can be read, the drawing's one text style that is a shape file */
        if (adGetShapefileAndNumber(dwg, r->shape.shapename, r->shape.stylehandle, &r->shape.shapenum)) break;
        int found = 0;
        for (LLNode *n = dwg->shapes->head; n; n = n->next) {
            const AdShapefile *st = static_cast<const AdShapefile *>(LL_RECORD(n));
            if (st->flag & 1) {
                if (!found++) std::memcpy(r->shape.stylehandle, st->handle, 8);
            }
        }
        if (found != 1) std::memset(r->shape.stylehandle, 0, 8);
        break;
    }
    case AD_ENT_LEADER: resolvedimstyle(dwg, c, r->leader.dimstylehandle); break;
    case AD_ENT_TOLERANCE: resolvedimstyle(dwg, c, r->tolerance.dimstylehandle); break;
    default: break;
    }
}

/* ---------------------------------------------------------------- old polylines */

bool scratchput(AdDxfLoad *s, const double *v, int n)
{
    if (s->scratchn + n > s->scratchcap) {
        int32_t ncap = s->scratchcap ? s->scratchcap * 2 : 1024;
        while (ncap < s->scratchn + n) ncap *= 2;
        double *p =
            static_cast<double *>(ztmem_realloc(s->scratch, sizeof(double) * static_cast<size_t>(ncap)));
        if (!p) return false;
        s->scratch = p;
        s->scratchcap = ncap;
    }
    std::memcpy(s->scratch + s->scratchn, v, sizeof(double) * static_cast<size_t>(n));
    s->scratchn += n;
    return true;
}

bool isconverted(AdDrawing *dwg, const AdEntCtx &c, const AdEntityRecord *r)
{
    return c.kind == AD_ENT_POLYLINE && adin->convertplines && (r->pline.flag & (2 | 4 | 8 | 16 | 64)) == 0 &&
           dwg->dxf;
}

void openpline(AdDrawing *dwg, LLList *list, const AdEntityHeader *h, const AdEntityRecord *r)
{
    AdDxfLoad *s = dwg->dxf;
    s->plineopen = 1;
    s->plinelist = list;
    s->plinehdr = *h;
    std::memset(&s->pline, 0, sizeof s->pline);
    s->pline.elevation = r->pline.elevation;
    if (r->pline.flag & 1) s->pline.flag |= AD_LWPLINE_CLOSED;
    if (r->pline.flag & 128) s->pline.flag |= AD_LWPLINE_PLINEGEN;
    s->plinewidth[0] = r->pline.startwidth;
    s->plinewidth[1] = r->pline.endwidth;
    s->scratchn = 0;
}

} // namespace

extern "C" {

int dxfclosepline(AdDrawing *dwg)
{
    AdDxfLoad *s = dwg ? dwg->dxf : nullptr;
    if (!s || !s->plineopen) return 1;
    s->plineopen = 0;
    if (!s->lwplinetype && !(s->lwplinetype = adclasstype(dwg, "LWPOLYLINE", 1))) {
        adFreeEntityData(&s->plinehdr, nullptr);
        return 0;
    }
    AdEntLwpline &p = s->pline;
    int32_t n = s->scratchn / 5;
    bool bulges = false, widths = false, same = n > 0;
    double w0 = n > 0 ? s->scratch[3] : 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double *v = s->scratch + 5 * i;
        if (v[2] != 0.0) bulges = true;
        if (v[3] != 0.0 || v[4] != 0.0) widths = true;
        if (v[3] != w0 || v[4] != w0) same = false;
    }
    if (widths && same) {
        p.constwidth = w0;
        p.flag |= AD_LWPLINE_CONSTWIDTH;
        widths = false;
    }
    if (bulges) p.flag |= AD_LWPLINE_HAS_BULGES;
    if (widths) p.flag |= AD_LWPLINE_HAS_WIDTHS;
    p.numverts = n;
    AdBytes b{};
    for (int32_t i = 0; i < n; ++i) {
        const double *v = s->scratch + 5 * i;
        adbytesput(&b, v, 16);
        if (bulges) adbytesput(&b, v + 2, 8);
        if (widths) adbytesput(&b, v + 3, 16);
    }
    bool failed = b.failed != 0;
    p.vertblob = adbytesblob(&b);
    if (failed || (n > 0 && !p.vertblob)) {
        adFreeEntityData(&s->plinehdr, nullptr);
        adseterror(289);
        return 0;
    }
    AdEntityHeader h = s->plinehdr;
    h.enttype = s->lwplinetype;
    AdEntityRecord rec;
    std::memset(&rec, 0, sizeof(AdEntLwpline));
    rec.lwpline = p;
    if (!dxfstoreentity(dwg, s->plinelist, &h, &rec)) {
        adfreeentityblobs(dwg, &h, &rec);
        return 0;
    }
    return 1;
}

int16_t dxfstartentityload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    AdDxfLoad *s = dwg->dxf;
    s->inentities = 1;
    s->entcount = 0;
    s->entpercent = 0;
    s->subentlist = nullptr;
    s->plineopen = 0;
    if (dwg->scan.entstart == 0) {
        s->inentities = 0;
        return 0;
    }
    return dxfseek(dwg, dwg->scan.entstart) ? 1 : -1;
}

int16_t dxfloadentity(AdDrawing *dwg, void *a, void *)
{
    AdDxfLoad *s = dwg->dxf;
    LLList *list = static_cast<LLList *>(a);
    if (!s) return -1;
    if (list && s->blockended) return 0;
    if (!list && !s->inentities) return 0;
    const int16_t steperror = adin->error;
    for (;;) {
        if (!dxfnext(dwg)) {
            if (adin->error != 298 && adin->error != 299) adseterror(32);
            return -1;
        }
        if (adin->curcode != 0) continue;
        const int64_t recpos = s->lastpos;
        const char *name = adin->curstr;
        const int16_t fixed = fixedtype(name);
        bool end = !fixed && (!std::strcmp(name, "ENDSEC") || !std::strcmp(name, "EOF"));
        if (list && fixed == AD_ENT_BLOCK && s->blockstarted) end = true; /* no ENDBLK */
        if (end) {
            dxfback(dwg);
            if (!dxfclosepline(dwg)) return -1;
            if (list)
                s->blockended = 1;
            else
                s->inentities = 0;
            s->subentlist = nullptr;
            return 0;
        }

        AdEntCtx c;
        c.foreign = 0;
        c.type = fixed;
        if (c.type) {
            c.kind = c.type;
        } else if (!std::strcmp(name, "ACAD_PROXY_ENTITY") || !std::strcmp(name, "ACAD_ZOMBIE_ENTITY")) {
            c.type = 498;
            c.kind = AD_EK_PROXY;
        } else {
            /* a kind with a class, or one this toolkit reads; any other name
               is a proxy whose pairs are kept, beginning with its name */
            c.type = adclasstype(dwg, name, 1);
            c.kind = c.type ? adclasskind(dwg, c.type) : AD_EK_PROXY;
            if (!c.type) {
                c.type = 498;
                c.foreign = 1;
            }
        }
        c.xd.length = 0;
        c.xd.overflow = 0;
        c.haslayer = c.hasltype = c.hasstyle = c.hasblock = c.hasdimstyle = c.haselevation = c.hashandle = 0;
        c.zmask = 0;
        std::memset(&c.proxy, 0, sizeof c - offsetof(AdEntCtx, proxy));
        if (c.foreign) dxfputpair(&c.proxy.pairs); /* (0, name), still the current pair */

        AdEntityHeader h;
        std::memset(&h, 0, sizeof h);
        h.enttype = c.type;
        h.color = 256;
        h.extrusion[2] = 1.0;
        h.ltscale = 1.0;
        h.lineweight = -1;
        h.flags = AD_EHF_PLOTSTYLE_DEFAULT;
        AdEntityRecord rec;
        size_t recsize = adEntityRecordSize(dwg, c.type);
        std::memset(&rec, 0, recsize);
        recorddefaults(c.kind, &rec);
        AdFieldTable *ft = fieldsof(c.kind);
        int codepage = dxfcodepage(dwg);

        bool ok = true;
        for (;;) {
            if (!dxfnext(dwg)) {
                if (adin->error != 298 && adin->error != 299) adseterror(32);
                ok = false;
                break;
            }
            uint16_t code = adin->curcode;
            if (code == 0) {
                dxfback(dwg);
                break;
            }
            if (code >= 30 && code <= 33) c.zmask |= 1u << (code - 30);
            if (code == 102) {
                if (!dxfgroup102(dwg, &h.numreactors, &h.reactorblob, h.xdicthandle)) {
                    ok = false;
                    break;
                }
                continue;
            }
            int r = dxfentrule(dwg, &c, &h, &rec);
            if (r < 0) {
                ok = false;
                break;
            }
            if (r > 0) continue;
            if (commonpair(dwg, c, &h)) continue;
            dxffieldread(ft, &rec, codepage);
        }
        if (ok && dxfentfinish(dwg, &c, &h, &rec) < 0) ok = false;
        if (!ok) {
            dxfentdiscard(dwg, &c);
            adfreeentityblobs(dwg, &h, &rec);
            /* data that do not fit their counts (error 32) cost the record
               only; anything else fails the load */
            if (adin->error != 32 || !dxfskipdamaged(dwg, recpos)) return -1;
            adseterror(steperror);
            continue;
        }
        if (c.haselevation) applyelevation(c, &rec);

        /* where it goes */
        LLList *target = list;
        int16_t t = c.type;
        bool sub = t == AD_ENT_VERTEX || t == AD_ENT_ATTRIB || t == AD_ENT_SEQEND;
        if (!sub) {
            if (!dxfclosepline(dwg)) {
                adfreeentityblobs(dwg, &h, &rec);
                return -1;
            }
        }
        if (!target) {
            if (t == AD_ENT_BLOCK || t == AD_ENT_ENDBLK) { /* not in the ENTITIES section */
                adfreeentityblobs(dwg, &h, &rec);
                continue;
            }
            target = h.flags & AD_EHF_PAPERSPACE ? dwg->pspace : dwg->mspace;
        }
        if (sub && s->subentlist) target = s->subentlist;
        if (s->plineopen && (t == AD_ENT_VERTEX || t == AD_ENT_SEQEND)) {
            if (t == AD_ENT_VERTEX) {
                const AdEntVertex &v = rec.vertex;
                double vv[5] = {v.pt0[0], v.pt0[1], v.bulge >= 1.0e16 ? 0.0 : v.bulge,
                                v.startwidthgiven ? v.startwidth : s->plinewidth[0],
                                v.endwidthgiven ? v.endwidth : s->plinewidth[1]};
                adfreeentityblobs(dwg, &h, &rec);
                if (!scratchput(s, vv, 5)) {
                    adseterror(289);
                    return -1;
                }
                continue;
            }
            adfreeentityblobs(dwg, &h, &rec);
            if (!dxfclosepline(dwg)) return -1;
            s->subentlist = nullptr;
            return 1;
        }

        if (!list && s->inentities && ++s->entcount % 10 == 0 && dwg->scan.entend > dwg->scan.entstart) {
            int64_t pos = ztior_tell(dwg->stream) - dwg->scan.entstart;
            int64_t len = dwg->scan.entend - dwg->scan.entstart;
            int16_t pct = static_cast<int16_t>(pos * 100 / len / 5 * 5);
            if (pct > 100) pct = 100;
            if (pct != s->entpercent) {
                s->entpercent = pct;
                adloadometer(static_cast<int16_t>(pct / 4 + 46));
            }
        }

        /* preload filter */
        if (dwg->preloadmode == 2 && t >= 1 && t <= 31 && !adin->preloadfilter[t]) {
            adfreeentityblobs(dwg, &h, &rec);
            continue;
        }

        resolvenames(dwg, c, &h, &rec);
        if (dwg->addhandles_ents) std::memset(h.handle, 0, 8);
        if (!resolveandaddxdata(dwg, &c.xd, &h.xdblob)) {
            adfreeentityblobs(dwg, &h, &rec);
            return -1;
        }
        if (adin->examineentityload) adin->examineentityload(dwg, &h, &rec);

        if (isconverted(dwg, c, &rec)) {
            openpline(dwg, target, &h, &rec);
            return 1;
        }
        if (t == AD_ENT_BLOCK) s->blockstarted = 1;
        if (!dxfstoreentity(dwg, target, &h, &rec)) {
            adfreeentityblobs(dwg, &h, &rec);
            return -1;
        }
        if (t == AD_ENT_ENDBLK) {
            s->blockended = 1;
            if (s->curblkh) std::memcpy(s->curblkh->endblkentityhandle, h.handle, 8);
        }
        if (t == AD_ENT_BLOCK && s->curblkh) std::memcpy(s->curblkh->blockentityhandle, h.handle, 8);
        if (t == AD_ENT_POLYLINE || (t == AD_ENT_INSERT && rec.insert.attribsfollow)) s->subentlist = target;
        if (t == AD_ENT_SEQEND) s->subentlist = nullptr;
        if (t == AD_ENT_MLINE && adObjhandleIsNull(rec.mline.mlstylehandle) && rec.mline.stylename[0]) {
            if (!s->mlinefix) s->mlinefix = adCreateBlobEx(1024);
            AdBlobCursor *mc = adStartBlobAppend(s->mlinefix);
            if (mc) {
                adWriteBlobBytesLong(mc, &target, sizeof target);
                adWriteBlobObjhandle(mc, h.handle);
                adEndBlobAppend(mc);
            }
        }
        return 1;
    }
}

} // extern "C"
