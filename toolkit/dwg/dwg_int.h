/* Internal records and functions of the DWG reader (releases 13 to 2000):
 * the state of one load, the object map with its sampling index, one object
 * read from the file with its common part decoded, and the readers of the
 * reader table. The value codes are in dwgbits.h; the layouts of the header,
 * tables, entities and objects each live in one source file. Not installed. */
#ifndef VYR_TOOLKIT_DWG_DWG_INT_H
#define VYR_TOOLKIT_DWG_DWG_INT_H

#include "toolkit/ad/ad_int.h"
#include "toolkit/dwg/dwgbits.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    DWG_MAP_SLOTS = 512,       /* sampling index of the object map */
    DWG_MAP_PAGE = 2040,       /* largest object-map page (its 16-bit size) */
    DWG_MAX_OBJECT = 1u << 27, /* largest object read (bytes) */
    DWG_SEQ_LIMIT = 1u << 24   /* longest chain of entities followed */
};

/* Object types of the fixed numbering of these releases. */
enum {
    DWG_T_TEXT = 1,
    DWG_T_ATTRIB = 2,
    DWG_T_ATTDEF = 3,
    DWG_T_BLOCK = 4,
    DWG_T_ENDBLK = 5,
    DWG_T_SEQEND = 6,
    DWG_T_INSERT = 7,
    DWG_T_MINSERT = 8,
    DWG_T_VERTEX2D = 10,
    DWG_T_VERTEX3D = 11,
    DWG_T_VERTEXMESH = 12,
    DWG_T_VERTEXPFACE = 13,
    DWG_T_VERTEXPFACEFACE = 14,
    DWG_T_POLYLINE2D = 15,
    DWG_T_POLYLINE3D = 16,
    DWG_T_ARC = 17,
    DWG_T_CIRCLE = 18,
    DWG_T_LINE = 19,
    DWG_T_DIMORDINATE = 20,
    DWG_T_DIMLINEAR = 21,
    DWG_T_DIMALIGNED = 22,
    DWG_T_DIMANG3PT = 23,
    DWG_T_DIMANG2LN = 24,
    DWG_T_DIMRADIUS = 25,
    DWG_T_DIMDIAMETER = 26,
    DWG_T_POINT = 27,
    DWG_T_3DFACE = 28,
    DWG_T_POLYLINEPFACE = 29,
    DWG_T_POLYLINEMESH = 30,
    DWG_T_SOLID = 31,
    DWG_T_TRACE = 32,
    DWG_T_SHAPE = 33,
    DWG_T_VIEWPORT = 34,
    DWG_T_ELLIPSE = 35,
    DWG_T_SPLINE = 36,
    DWG_T_REGION = 37,
    DWG_T_3DSOLID = 38,
    DWG_T_BODY = 39,
    DWG_T_RAY = 40,
    DWG_T_XLINE = 41,
    DWG_T_DICTIONARY = 42,
    DWG_T_OLEFRAME = 43,
    DWG_T_MTEXT = 44,
    DWG_T_LEADER = 45,
    DWG_T_TOLERANCE = 46,
    DWG_T_MLINE = 47,
    DWG_T_BLOCKCONTROL = 48,
    DWG_T_BLOCKHEADER = 49,
    DWG_T_LAYERCONTROL = 50,
    DWG_T_LAYER = 51,
    DWG_T_STYLECONTROL = 52,
    DWG_T_STYLE = 53,
    DWG_T_LTYPECONTROL = 56,
    DWG_T_LTYPE = 57,
    DWG_T_VIEWCONTROL = 60,
    DWG_T_VIEW = 61,
    DWG_T_UCSCONTROL = 62,
    DWG_T_UCS = 63,
    DWG_T_VPORTCONTROL = 64,
    DWG_T_VPORT = 65,
    DWG_T_APPIDCONTROL = 66,
    DWG_T_APPID = 67,
    DWG_T_DIMSTYLECONTROL = 68,
    DWG_T_DIMSTYLE = 69,
    DWG_T_VPENTHDRCONTROL = 70,
    DWG_T_VPENTHDR = 71,
    DWG_T_GROUP = 72,
    DWG_T_MLINESTYLE = 73,
    DWG_T_OLE2FRAME = 74,
    DWG_T_LONGTRANSACTION = 76,
    DWG_T_LWPLINE = 77,
    DWG_T_HATCH = 78,
    DWG_T_XRECORD = 79,
    DWG_T_PLACEHOLDER = 80,
    DWG_T_VBAPROJECT = 81,
    DWG_T_LAYOUT = 82,
    DWG_T_CLASSBASE = 500
};

/* The header's handles the readers start from. */
enum {
    DWG_H_BLOCKCTRL,
    DWG_H_LAYERCTRL,
    DWG_H_STYLECTRL,
    DWG_H_LTYPECTRL,
    DWG_H_VIEWCTRL,
    DWG_H_UCSCTRL,
    DWG_H_VPORTCTRL,
    DWG_H_APPIDCTRL,
    DWG_H_DIMSTYLECTRL,
    DWG_H_VPENTHDRCTRL,
    DWG_H_GROUPDICT,
    DWG_H_MLSTYLEDICT,
    DWG_H_NAMEDDICT,
    DWG_H_LAYOUTDICT,
    DWG_H_PLOTSETTINGSDICT,
    DWG_H_PLOTSTYLEDICT,
    DWG_H_PSPACE,
    DWG_H_MSPACE,
    DWG_H_BYLAYER,
    DWG_H_BYBLOCK,
    DWG_H_CONTINUOUS,
    DWG_H_COUNT
};

/* One object read from the file. data is positioned after the common part
 * (at the object's own fields); handles at the object's handle references,
 * after the common ones. */
typedef struct DwgObject {
    DwgBits data;
    DwgBits handles;
    uint16_t type;
    unsigned char isentity;
    AdObjhandle handle;
    AdObjhandle owner;
    AdObjhandle xdict;
    int32_t numreactors;
    AdBlob *reactorblob; /* numreactors handles, or null */
    AdBlob *xdblob;      /* extended data items, or null */
    /* entities */
    unsigned char entmode; /* 0 owned by a block, 1 paper space, 2 model space */
    unsigned char nolinks;
    int16_t color;
    double ltscale;
    int16_t invisible;
    int16_t lineweight;
    AdObjhandle layer, ltype, plotstyle, prev, next;
    unsigned char ltypeflags, plotflags;
} DwgObject;

/* The object map: entries of (count of significant handle bytes, those
 * bytes, 4-byte little-endian location), a zero byte at the end, in
 * ascending handle order; the sampling index holds every step-th entry's
 * handle and blob position, the slots beyond the last entry the highest
 * handle and 2,000,000,000. */
typedef struct DwgObjectMap {
    unsigned char *blob;
    size_t size, cap;
    uint32_t count;
    uint64_t slothandle[DWG_MAP_SLOTS];
    uint32_t slotpos[DWG_MAP_SLOTS];
    int nslots; /* slots that hold an entry; the others are sentinels */
    /* the entry found last, and the blob position after it */
    uint64_t lasthandle;
    int64_t lastloc;
    uint32_t lastnext;
    int havelast;
} DwgObjectMap;

/* A table being read: the entries its control object lists. */
typedef struct DwgEntryList {
    unsigned char *handles; /* 8 bytes each */
    uint32_t count, next;
} DwgEntryList;

typedef struct AdDwgLoad {
    int64_t filesize;
    int64_t sectionpos[6];
    int64_t sectionsize[6];
    int numsections;
    AdObjhandle h[DWG_H_COUNT];
    DwgObjectMap map;
    unsigned char *obj; /* the bytes of the object read last */
    size_t objcap;
    DwgEntryList table;
    /* entities of the block being read: the next in its chain, its last,
     * and the stage (0 its BLOCK, 1 its entities, 2 its ENDBLK, 3 done);
     * space: 0 model space, 1 paper space, 2 both done (entities step) */
    AdBlkh *curblkh;
    LLList *curlist;
    AdObjhandle nextent, lastent, blockent, endblkent;
    unsigned char stage, space;
    uint32_t entsread, chainlen;
    int16_t entpercent;
    /* the owned entities (vertices, attributes) of the entity read last */
    AdObjhandle ownfirst, ownlast, ownseqend;
    unsigned char owns;
    /* objects: the next map entry (blob position) and whether the named
     * objects dictionary was given first */
    uint32_t objpos;
    unsigned char rootdone;
    int16_t lwplinetype;
    int warnedcrc;
    AdObjhandle vpentprev;
} AdDwgLoad;

/* ---------------------------------------------------------------- files, map, objects */

int dwgloadstart(AdDrawing *dwg);
void dwgloadend(AdDrawing *dwg);
/* Reads n bytes at an absolute position: 1, or 0 with the error set. */
int dwgreadat(AdDrawing *dwg, int64_t pos, void *dst, size_t n);
void dwgwarn(const char *message);
/* loadobjmapblob: the object map at pos (size bytes at most). */
int loadobjmapblob(AdDrawing *dwg, int64_t pos, int64_t size);
/* dwgseekobjectbyhandle: the location of an object, or -1. */
int64_t dwgseekobjectbyhandle(AdDrawing *dwg, const unsigned char *handle);
/* Walks the map: the entry at *pos (a blob position, 0 first), moving *pos
 * on; false at the end. */
int dwgmapnext(AdDrawing *dwg, uint32_t *pos, unsigned char *handle, int64_t *loc);
void dwgmapfree(DwgObjectMap *m);
/* Reads the object of that handle and decodes its common part; 1, 0 when
 * the map does not know it, -1 when it is damaged. reactorblob and xdblob
 * of o are the caller's afterwards (free them with dwgobjectfree unless
 * they were stored). */
int dwgreadobject(AdDrawing *dwg, const unsigned char *handle, DwgObject *o);
void dwgobjectfree(DwgObject *o);
/* The type of an object without decoding more of it; 0 when unknown. */
uint16_t dwgobjecttype(AdDrawing *dwg, const unsigned char *handle);
/* Whether an object type is an entity (class-defined types by their class). */
int dwgisentitytype(AdDrawing *dwg, uint16_t type);
/* The lineweight of an entity or layer in DXF units from its index. */
int16_t dwglineweight(unsigned index);

/* ---------------------------------------------------------------- header and classes */

/* dwgloadheader: the version gate, the file header with its section
 * locators, the header variables (dwgreadr13header / dwgreada2kheader)
 * and the object map. */
int16_t dwgloadheader(AdDrawing *dwg, void *a, void *b);
int dwgreadr13header(AdDrawing *dwg, DwgBits *b);
int dwgreada2kheader(AdDrawing *dwg, DwgBits *b);
int16_t dwgstartclassload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadclass(AdDrawing *dwg, void *a, void *b);

/* ---------------------------------------------------------------- tables */

int16_t dwgstartlinetypeload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadlinetype(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartlayerload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadlayer(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartshapefileload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadshapefile(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartviewload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadview(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartucsload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloaducs(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartvportload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadvport(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartregappload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadregapp(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartdimstyleload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloaddimstyle(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartblockheaderload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadblockheader(AdDrawing *dwg, void *a, void *b);
/* Reads a block header object into b (its entity list not set): 1, or 0
 * when it does not read; first and last receive its first and last
 * entity (null when it has none). */
int dwgreadblockheader(AdDrawing *dwg, const unsigned char *handle, AdBlockheader *b, unsigned char *first,
                       unsigned char *last);
int16_t dwgstartvportenthdrload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadvportenthdr(AdDrawing *dwg, void *a, void *b);

/* ---------------------------------------------------------------- entities */

/* The control points (n + 2) and knots (n + 6) of the cubic B-spline
 * through the n fit points q (x, y, z each) with chord-length parameters,
 * starting along t0 and ending along t1; an end whose tangent is the zero
 * vector has no curvature there. Appends them to knots and ctl; 0 when the
 * points cannot be interpolated (fewer than 2, repeated or not finite). */
int dwgfitspline(const double *q, uint32_t n, const double *t0, const double *t1, AdBytes *knots,
                 AdBytes *ctl);
int16_t dwgstartentityload(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartblockdefload(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadentity(AdDrawing *dwg, void *a, void *b);
/* Decodes the entity of an object into the two records: 1, 0 when it is
 * not an entity this reader stores, -1 damaged. */
int dwgentity(AdDrawing *dwg, DwgObject *o, AdEntityHeader *h, AdEntityRecord *r);

/* ---------------------------------------------------------------- objects */

int16_t dwgstartobjectload(AdDrawing *dwg, void *a, void *b);
int16_t dwggetnextobjecttype(AdDrawing *dwg, void *a, void *b);
int16_t dwgloaddictionaryobject(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadmlstyle(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadgroup(AdDrawing *dwg, void *a, void *b);
int16_t dwgloadproxyobject(AdDrawing *dwg, void *a, void *b);
int16_t dwgstartmlstyleload(AdDrawing *dwg, void *a, void *b);

#ifdef __cplusplus
}
#endif

#endif
