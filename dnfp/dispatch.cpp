/* The walk over the loaded drawing: the sections in their fixed order
 * (header, tables, entities, blocks, objects, block record table, classes,
 * insert block names), the entity walk with its look-ahead rule, the entity
 * dispatch by type code, and the class records.
 *
 * Look-ahead: a mapper that reads past its own entity (the polyline reading
 * its vertices, the insert reading its attributes) leaves the first entity
 * that is not its own in the buffers and sets dnfp__readentity_called; the
 * walk then maps that entity before reading the next.
 *
 * Entity kinds without a mapper of their own are passed over without
 * error; so is a SEQEND, whose POLYLINE or INSERT has read what came
 * before it already. Each entity passed over is counted under its kind's
 * name for the host to report. An ATTRIB that the walk meets outside an
 * insert is passed over with a warning. */
#include "dnfp/dnfp_int.h"

#include <string.h>

#include "kernel/ddf/dxfi_records.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

constexpr int kFirstProxyCode = 498;

/* The kinds passed over, by DXF name, in the order first met. */
struct PassedOver {
    const char *name;
    uint32_t count;
};
constexpr int kPassedOverKinds = 64;
PassedOver g_passed[kPassedOverKinds];
int g_npassed = 0;

/* Notes one entity that is not mapped, under the DXF name of its kind, so
 * that nothing is dropped without a word; returns 0 (no failure). */
int passed_over(const char *name)
{
    for (int i = 0; i < g_npassed; ++i)
        if (strcmp(g_passed[i].name, name) == 0) {
            g_passed[i].count++;
            return 0;
        }
    if (g_npassed < kPassedOverKinds) g_passed[g_npassed++] = {name, 1};
    return 0;
}

const char *kind_name(int type)
{
    switch (type) {
    case AD_ENT_TEXT: return "TEXT";
    case AD_ENT_INSERT: return "INSERT";
    case AD_ENT_ATTDEF: return "ATTDEF";
    case AD_ENT_DIMENSION: return "DIMENSION";
    case AD_ENT_VIEWPORT: return "VIEWPORT";
    case AD_ENT_MTEXT: return "MTEXT";
    case AD_ENT_LEADER: return "LEADER";
    case AD_ENT_TOLERANCE: return "TOLERANCE";
    case AD_ENT_MLINE: return "MLINE";
    default: return nullptr;
    }
}

/* Maps the entity list of the block header called `name`. */
int read_block_entities(const char *name)
{
    AdDrawing *d = dnfp_g.drawing;
    AdObjhandle handle;
    adFindBlockheaderByName(d, name, handle);
    dnfp__ReportToolkitError();
    AdEntityList list = adEntityList(d, handle);
    dnfp__ReportToolkitError();
    return dnfp__ReadEnts(list);
}

} // namespace

extern "C" {

int dnfp__DispatchSection(unsigned options)
{
    int status = dnfp__ParseHeader();
    if (!status) status = dnfp__DispatchTable();
    if (!status) status = dnfp__DispatchEntity(options & 8u);
    if (!status) status = dnfp__DispatchBlock();
    if (!status) status = dnfp__DispatchObject(0);
    if (!status) status = dnfp__CreateBlockRecordTable();
    if (!status) status = dnfp__DispatchClasses(0);
    if (!status) status = dnfp__ResolveInsertBlockName(0);
    return status;
}

int dnfp__DispatchTable(void)
{
    int status = dnfp__ParseLayerTable();
    if (!status) status = dnfp__ParseTextStyleTable();
    if (!status) status = dnfp__ParseViewPortTable();
    if (!status) status = dnfp__ParseUCSTable();
    if (!status) status = dnfp__ParseLineTypeTable();
    if (!status) status = dnfp__ParseApplicationTable();
    if (!status) status = dnfp__ParseViewTable();
    if (!status && dnfp__CreateDimStyleFromHeader() == 0) status = dnfp__ParseDimensionStyleTable();
    return status;
}

int dnfp__DispatchEntity(unsigned options)
{
    if (options & 8u) return read_block_entities("*MODEL_SPACE");
    int status = read_block_entities("*PAPER_SPACE");
    if (!status) status = read_block_entities("*MODEL_SPACE");
    return status;
}

int dnfp__ReadEnts(AdEntityList list)
{
    dnfp_g.curlist = list;
    adStartEntityGet(list);
    dnfp__ReportToolkitError();
    dnfp__readentity_called = 0;
    for (;;) {
        int got;
        if (dnfp__readentity_called) {
            dnfp__readentity_called = 0;
            got = 1;
        } else {
            got = adGetEntity(list, dnfp_g.enthdr, dnfp_g.entrec);
        }
        if (got != 1) break;
        db_ptr created = MDA_NULL_PTR;
        int status = dnfp__GetEntityData(&created);
        if (status) return status;
    }
    return 0;
}

int dnfp__GetEntityData(db_ptr *out)
{
    *out = MDA_NULL_PTR;
    AdDrawing *d = dnfp_g.drawing;
    const int type = dnfp_g.enthdr->enttype;
    const int hatch = adHatchEnttype(d), lwpline = adLwplineEnttype(d);
    const int arctext = adArcAlignedTextEnttype(d), rtext = adRtextEnttype(d);
    if (type != 0 && type == hatch) return dnfp__ParseHatch(out);
    if (type != 0 && type == lwpline) return dnfp__ParseLWPolyline(out);
    if (type != 0 && type == arctext) return dnfp__ParseArctext(out);
    if (type != 0 && type == rtext) return dnfp__ParseRtext(out);
    if (type >= kFirstProxyCode) return dnfp__ParseProxy(out);
    switch (type) {
    case AD_ENT_LINE: return dnfp__ParseLine(out);
    case AD_ENT_POINT: return dnfp__ParsePoint(out);
    case AD_ENT_CIRCLE: return dnfp__ParseCircle(out);
    case AD_ENT_SHAPE: return dnfp__ParseShape(out);
    case AD_ENT_ELLIPSE: return dnfp__ParseEllipse(out);
    case AD_ENT_SPLINE: return dnfp__ParseSpline(out);
    case AD_ENT_ARC: return dnfp__ParseArc(out);
    case AD_ENT_TRACE: return dnfp__ParseTrace(out);
    case AD_ENT_REGION: return dnfp__ParseRegion(out);
    case AD_ENT_SOLID: return dnfp__ParseSolid(out);
    case AD_ENT_LINE3D: return dnfp__Parse3DLine(out);
    case AD_ENT_FACE3D: return dnfp__Parse3DFace(out);
    case AD_ENT_SOLID3D: return dnfp__Parse3DSolid(out);
    case AD_ENT_RAY: return dnfp__ParseRay(out);
    case AD_ENT_XLINE: return dnfp__ParseXline(out);
    case AD_ENT_BODY: return dnfp__ParseBody(out);
    case AD_ENT_POLYLINE: return dnfp__ParsePolylineForms(out);
    case AD_ENT_VERTEX: return dnfp__ParseVertex(out);
    case AD_ENT_TEXT: return dnfp__ParseText(out);
    case AD_ENT_MTEXT: return dnfp__ParseMtext(out);
    case AD_ENT_ATTDEF: return dnfp__ParseAttributeDefinition(out);
    case AD_ENT_DIMENSION: return dnfp__ParseDimension(out);
    case AD_ENT_LEADER: return dnfp__ParseLeader(out);
    case AD_ENT_TOLERANCE: return dnfp__ParseTolerance(out);
    case AD_ENT_ATTRIB: mpm__IssueError(0, DNFP_ATTRIBUTE_FOUND, MPM_WARNING); return 0;
    case AD_ENT_INSERT: return dnfp__ParseInsert(out);
    case AD_ENT_VIEWPORT: return dnfp__ParseViewPort(out);
    case AD_ENT_MLINE: return dnfp__ParseMline(out);
    default: return kind_name(type) ? passed_over(kind_name(type)) : 0;
    }
}

void dnfp__ResetPassedOver(void) { g_npassed = 0; }

const char *dnfp_GetPassedOverKind(int index, uint32_t *count)
{
    if (index < 0 || index >= g_npassed) return nullptr;
    if (count) *count = g_passed[index].count;
    return g_passed[index].name;
}

int dnfp__DispatchClasses(unsigned options)
{
    (void)options;
    AdDrawing *d = dnfp_g.drawing;
    AdClass *cls = &dnfp_g.tblrec->cls;
    adStartClassGet(d);
    dnfp__ReportToolkitError();
    const long count = adNumClasses(d);
    for (long i = 0; i < count; ++i) {
        int got = adGetClass(d, cls);
        dnfp__ReportToolkitError();
        if (!got) break;
        void *memory = nullptr;
        int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_class, &memory);
        if (status) return status;
        dxf_class *c = static_cast<dxf_class *>(memory);
        c->classnum = cls->classnum;
        dnfp__CopyName(c->name, sizeof c->name, cls->dxfname);
        dnfp__CopyName(c->cppclassname, sizeof c->cppclassname, cls->cppname);
        dnfp__CopyName(c->appname, sizeof c->appname, cls->appname);
        c->version = int16_t(cls->proxyflags);
        c->wasaproxy = cls->wasaproxy;
        c->itemclassid = cls->itemclassid;
        db_ptr ptr = MDA_NULL_PTR;
        status = mda_CreateEntity(MDA_CREATE_LOCKED | MDA_CREATE_BACKPTRS, memory, &ptr);
        if (status) {
            if (MDA_PTR_INDEX(c->hdr.self) == 0) mda_FreeEntity(0, memory);
            return status;
        }
        if (dnfp__DNFPFunc) dnfp__DNFPFunc(ptr, memory);
        status = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
        if (status) return status;
    }
    return 0;
}

} // extern "C"
