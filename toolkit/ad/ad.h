/* The drawing file toolkit's public interface: start-up and shutdown, file
 * loading, the error code, the DXF group-code reader's helpers, and the
 * in-memory drawing database (table records, entities, objects, blobs and
 * extended data), all as plain C functions over plain records.
 *
 * Functions return a success flag or a pointer and leave a 16-bit error code
 * in the toolkit state (adError, adErrorStr, adErrorClear). Records are
 * copied into and out of caller-owned buffers; size those buffers with
 * sizeof (AdEntityHeader, AdEntityRecord, AdTableRecord, AdObjectRecord).
 * Handles are 8 bytes, most significant first; the null handle is all zero. */
#ifndef VYR_TOOLKIT_AD_H
#define VYR_TOOLKIT_AD_H

#include <stddef.h>
#include <stdint.h>

#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char AdObjhandle[8];

typedef struct AdDrawing AdDrawing;       /* a loaded drawing */
typedef struct LLList LLList;             /* a linked list of database records */
typedef LLList *AdEntityList;             /* the entity list of one block */
typedef struct AdBlob AdBlob;             /* growable byte stream in database memory */
typedef struct AdBlobCursor AdBlobCursor; /* a read or write cursor over a blob */

#define AD_NAME_LEN 512  /* names: 511 characters and the terminator */
#define AD_TEXT_LEN 2052 /* texts: a DXF value line holds at most 2,050 characters */

/* File kinds (adFileTypeLoaded) and version indices (adFileVersionLoaded). */
enum { AD_FILE_DWG = 0, AD_FILE_ASCII_DXF = 1, AD_FILE_BINARY_DXF = 2 };
enum {
    AD_ACAD25 = 0,
    AD_ACAD26 = 1,
    AD_ACAD9 = 2,
    AD_ACAD10 = 3,
    AD_ACAD11 = 4,
    AD_ACAD13 = 5,
    AD_ACAD14 = 6,
    AD_ACAD2000 = 7,
    AD_VERSION_UNKNOWN = -1
};

/* Fixed entity type numbers; class-defined kinds take their class numbers. */
enum {
    AD_ENT_LINE = 1,
    AD_ENT_POINT = 2,
    AD_ENT_CIRCLE = 3,
    AD_ENT_SHAPE = 4,
    AD_ENT_ELLIPSE = 5,
    AD_ENT_SPLINE = 6,
    AD_ENT_TEXT = 7,
    AD_ENT_ARC = 8,
    AD_ENT_TRACE = 9,
    AD_ENT_REGION = 10,
    AD_ENT_SOLID = 11,
    AD_ENT_BLOCK = 12,
    AD_ENT_ENDBLK = 13,
    AD_ENT_INSERT = 14,
    AD_ENT_ATTDEF = 15,
    AD_ENT_ATTRIB = 16,
    AD_ENT_SEQEND = 17,
    AD_ENT_POLYLINE = 19,
    AD_ENT_VERTEX = 20,
    AD_ENT_LINE3D = 21,
    AD_ENT_FACE3D = 22,
    AD_ENT_DIMENSION = 23,
    AD_ENT_VIEWPORT = 24,
    AD_ENT_SOLID3D = 25,
    AD_ENT_RAY = 26,
    AD_ENT_XLINE = 27,
    AD_ENT_MTEXT = 28,
    AD_ENT_LEADER = 29,
    AD_ENT_TOLERANCE = 30,
    AD_ENT_MLINE = 31,
    AD_OBJ_DICTIONARY = 32,
    AD_OBJ_MLINESTYLE = 33,
    AD_OBJ_CLASS = 34,
    AD_ENT_BODY = 35,
    AD_OBJ_GROUP = 36,
    AD_OBJ_PROXY = 37,
    AD_OBJ_XRECORD = 38
};

/* ---------------------------------------------------------------- header */

/* The drawing's header variables (HEADER section). Date-time values are a
 * Julian day number and milliseconds since midnight. */
typedef struct AdHeader {
    char acadver[8];
    char dimapost[16], dimpost[16];
    char dimblk[32], dimblk1[32], dimblk2[32], dimldrblk[32];
    char fingerprintguid[40], versionguid[40];
    char hyperlinkbase[128], stylesheet[128];
    char menu[64];
    /* byte-sized variables */
    unsigned char delobj, dimalt, dimaltd, dimalttz, dimaltz, dimaso, dimatfit, dimjust, dimlim, dimsah,
        dimsd1, dimsd2, dimse1, dimse2, dimsho, dimsoxd, dimtad, dimtih, dimtix, dimtofl, dimtoh, dimtol,
        dimtolj, dimtzin, dimupt, dimzin, dispsilh, endcaps, extnames, joinstyle, lwdisplay, pickstyle,
        proxygraphics, pstylemode, xedit;
    /* 16-bit variables */
    int16_t acadmaintver, angdir, attdia, attmode, attreq, aunits, auprec, axismode, blipmode, cecolor,
        celweight, cepsntype, cmljust, coords, dimadec, dimalttd, dimaltu, dimaunit, dimazin, dimclrd,
        dimclre, dimclrt, dimdec, dimdsep, dimfrac, dimlunit, dimlwd, dimlwe, dimtdec, dimtmove, dragmode,
        fastzoom, fillmode, flatland, gridmode, handling, insunits, limcheck, lunits, luprec, maxactvp,
        measurement, mirrtext, orthomode, osmode, pdmode, plimcheck, plinegen, psltscale, pucsorthoview,
        qtextmode, regenmode, shadedge, shadedif, skpoly, snapisopair, snapmode, snapstyle, splframe,
        splinesegs, splinetype, surftab1, surftab2, surftype, surfu, surfv, tilemode, treedepth, ucsorthoview,
        unitmode, usrtimer, visretain, worldview, dwgcodepage;
    int16_t celtypeindex; /* 32767 BYLAYER, 32766 BYBLOCK, else unused */
    int16_t useri[5];
    /* real variables */
    double angbase, celtscale, chamfera, chamferb, chamferc, chamferd, cmlscale, dimaltf, dimaltrnd, dimasz,
        dimcen, dimdle, dimdli, dimexe, dimexo, dimgap, dimlfac, dimrnd, dimscale, dimtfac, dimtm, dimtp,
        dimtsz, dimtvp, dimtxt, elevation, filletrad, ltscale, pdsize, pelevation, plinewid, psvpscale,
        sketchinc, snapang, textsize, thickness, tracewid, viewsize, viewtwist;
    double userr[5];
    /* 2D points */
    double axisunit[2], gridunit[2], limmax[2], limmin[2], plimmax[2], plimmin[2], snapbase[2], snapunit[2];
    /* 3D points */
    double extmax[3], extmin[3], insbase[3], pextmax[3], pextmin[3], pinsbase[3], pucsorg[3], pucsorgback[3],
        pucsorgbottom[3], pucsorgfront[3], pucsorgleft[3], pucsorgright[3], pucsorgtop[3], pucsxdir[3],
        pucsydir[3], ucsorg[3], ucsorgback[3], ucsorgbottom[3], ucsorgfront[3], ucsorgleft[3], ucsorgright[3],
        ucsorgtop[3], ucsxdir[3], ucsydir[3], viewctr[3], viewdir[3];
    /* dates: [0] Julian day, [1] milliseconds */
    int32_t tdcreate[2], tdindwg[2], tducreate[2], tduupdate[2], tdupdate[2], tdusrtimer[2];
    AdObjhandle handseed;
    /* names resolved to handles after loading */
    AdObjhandle celtype, clayer, cmlstyle, dimstyle, dimtxsty, pucsbase, pucsname, pucsorthoref, textstyle,
        ucsbase, ucsname, ucsorthoref, dimldrblkhandle;
    /* the blocks named by DIMBLK, DIMBLK1, DIMBLK2 (null when not found) */
    AdObjhandle dimblkhandle, dimblk1handle, dimblk2handle;
} AdHeader;

/* ---------------------------------------------------------------- entities */

/* Entity header: the fields every entity has (adGetEntity fills it). */
typedef struct AdEntityHeader {
    int16_t enttype;
    AdObjhandle handle;          /* 5 */
    AdObjhandle layerhandle;     /* 8 */
    AdObjhandle ltypehandle;     /* 6 */
    AdObjhandle xdicthandle;     /* 360 in {ACAD_XDICTIONARY */
    double thickness;            /* 39 */
    int16_t color;               /* 62: 0 BYBLOCK, 1-255, 256 BYLAYER */
    double extrusion[3];         /* 210/220/230 */
    double ltscale;              /* 48 */
    unsigned char flags;         /* AD_EHF_* */
    int16_t lineweight;          /* 370 */
    AdBlob *xdblob;              /* first data reference: extended data items */
    AdBlob *datablob;            /* second data reference: proxy graphics / other data */
    int32_t numreactors;         /* 330 in {ACAD_REACTORS */
    AdBlob *reactorblob;         /* numreactors handles of 8 bytes */
    AdObjhandle plotstylehandle; /* 390 */
} AdEntityHeader;

enum {
    AD_EHF_PAPERSPACE = 0x01,
    AD_EHF_EXTRUSION = 0x02,
    AD_EHF_INVISIBLE = 0x04,
    AD_EHF_PLOTSTYLE_TYPE = 0x20,
    AD_EHF_PLOTSTYLE_DEFAULT = 0x40
};

/* Type-specific entity records. Each field names the DXF group code it is
 * read from; fields without a code are filled by the loader's rules. Angles
 * are in radians, colours as in the entity header. Blob layouts (all
 * numbers in host order):
 *   SPLINE knotblob: numknots knot values; ctlblob: per control point x,
 *     y, z and, when flag & 4 (rational), its weight (1.0 where the file
 *     gave none); fitblob: numfitpts fit points x, y, z. The counts are
 *     those of the values actually read; a blob is null when it is empty.
 *   LWPOLYLINE vertblob: per vertex x, y; the bulge when flag has
 *     AD_LWPLINE_HAS_BULGES; start and end width when AD_LWPLINE_HAS_WIDTHS.
 *   LEADER ptblob: numpoints points x, y, z.
 *   MLINE vertblob: per vertex the vertex, the segment direction and the
 *     miter direction (3 x 3 doubles); then per element (numlines of them)
 *     a 16-bit parameter count and that many doubles (41), a 16-bit
 *     area-fill count and that many doubles (42).
 *   MTEXT textblob: the chunks 3 ... 3, 1 joined, without terminator.
 *   ACIS (REGION, 3DSOLID, BODY) acisblob: the ACIS text, one line per
 *     DXF line (codes 1; a code 3 continues the line before), each ended by
 *     '\n'; the character substitution of the file is undone, so the blob
 *     reads as plain SAT text (adReadAcisString).
 *   HATCH: see AdEntHatch.
 *   IMAGE/WIPEOUT clipvertblob: numclipverts points x, y.
 *   OLE2FRAME datablob: the binary data (310) as read.
 *   VIEWPORT frozenlayerblob: numfrozenlayers 8-byte layer handles.
 *   Proxy graphicsblob, dataentblob: the binary chunks (310) as read;
 *     objidblob: numobjids 8-byte handles (330, 340, 350, 360).
 *   pairblob (kinds this toolkit does not read): every pair of the entity
 *     after the common ones, as adReadBlobPair returns them; a kind whose
 *     name has no class (type 498 like the proxy entities) begins with its
 *     (0, name) pair. */
typedef struct AdEntLine {
    double pt0[3], pt1[3];
} AdEntLine; /* 10, 11 */
typedef struct AdEntPoint {
    double pt0[3];
    double xaxisang;
} AdEntPoint; /* 10; 50 */
typedef struct AdEntCircle {
    double pt0[3];
    double radius;
} AdEntCircle; /* 10; 40 */
typedef struct AdEntShape {
    double pt0[3];
    double size;
    double rotang;
    double widthfactor;
    double oblique;              /* 10 40 50 41 51 */
    int16_t shapenum;            /* resolved from the name through the shape file */
    AdObjhandle stylehandle;     /* the text style (shape file) of the shape */
    char shapename[AD_NAME_LEN]; /* 2 */
} AdEntShape;
typedef struct AdEntEllipse {
    double pt0[3], pt1[3];
    double minortomajor, startparam, endparam; /* 10 11 40 41 42 */
} AdEntEllipse;
typedef struct AdEntSpline {
    int16_t degree, flag;                   /* 71 70 */
    int32_t numknots, numctlpts, numfitpts; /* 72 73 74 */
    double knottol, ctltol, fittol;         /* 42 43 44 */
    double sttandir[3], endtandir[3];       /* 12 13 */
    AdBlob *knotblob;                       /* 40 */
    AdBlob *ctlblob;                        /* 10, 20, 30 and 41 */
    AdBlob *fitblob;                        /* 11, 21, 31 */
} AdEntSpline;
typedef struct AdEntText {
    double pt0[3];
    double height, rotang, widthfactor, oblique; /* 10 40 50 41 51 */
    unsigned char generationflag, hjust, vjust;  /* 71 72 73 */
    double alignpt[2];                           /* 11 */
    AdObjhandle stylehandle;                     /* 7 resolved ("STANDARD" when absent) */
    char text[AD_TEXT_LEN];                      /* 1 */
} AdEntText;
typedef struct AdEntArc {
    double pt0[3];
    double radius, stang, endang;
} AdEntArc; /* 10 40 50 51 */
typedef struct AdEntTrace {
    double pt0[3], pt1[3], pt2[3], pt3[3];
} AdEntTrace; /* 10-13 */
typedef struct AdEntTrace AdEntSolid;
typedef struct AdEntBlock {
    double base[3];                /* 10 */
    char name2[AD_NAME_LEN];       /* 2 and 3 */
    char xrefpath[AD_NAME_LEN];    /* 1 */
    unsigned char flag;            /* 70 */
    char description[AD_NAME_LEN]; /* 4 */
} AdEntBlock;
typedef struct AdEntInsert {
    int16_t attribsfollow; /* 66 */
    double pt0[3];
    double xscale, yscale, zscale, rotang; /* 10 41 42 43 50 */
    double rowspacing, colspacing;         /* 45 44 */
    int16_t numrows, numcols;              /* 71 70 */
    AdObjhandle blockheaderhandle;         /* 2 resolved */
} AdEntInsert;
typedef struct AdEntAttdef {
    double pt0[3];
    unsigned char flag;
    int16_t fieldlen;
    double height, rotang, widthfactor, oblique;
    unsigned char generationflag, hjust, vjust; /* 10 70 73 40 50 41 51 71 72 74 */
    double alignpt[2];                          /* 11 */
    char prompt[AD_NAME_LEN];                   /* 3 */
    char tag[AD_NAME_LEN];                      /* 2 */
    AdObjhandle stylehandle;                    /* 7 resolved */
    char defval[AD_TEXT_LEN];                   /* 1 */
} AdEntAttdef;
typedef struct AdEntAttrib {
    double pt0[3];
    unsigned char flag;
    int16_t fieldlen;
    double height, rotang, widthfactor, oblique;
    unsigned char generationflag, hjust, vjust; /* as ATTDEF */
    double alignpt[3];                          /* 11, 21, 31 */
    char tag[AD_NAME_LEN];                      /* 2 */
    AdObjhandle stylehandle;                    /* 7 resolved */
    char attval[AD_TEXT_LEN];                   /* 1 */
} AdEntAttrib;
typedef struct AdEntPolyline {
    double elevation, startwidth, endwidth;                        /* 30 (or 38) 40 41 */
    int16_t polyfittype, mdensity, ndensity, mcount, ncount, flag; /* 75 73 74 71 72 70 */
} AdEntPolyline;
typedef struct AdEntVertex {
    double pt0[3];
    int16_t flag;
    double startwidth, endwidth, bulge, tangentdir; /* 10 70 40 41 42 50 */
    int16_t polyfaceindex[4];                       /* 71-74 */
    unsigned char startwidthgiven, endwidthgiven, numfaceindices;
} AdEntVertex;
typedef struct AdEntLine AdEntLine3d;
typedef struct AdEntFace3d {
    double pt0[3], pt1[3], pt2[3], pt3[3];
    int16_t invisflags;
} AdEntFace3d;
typedef struct AdEntDimension {
    int16_t clonepointgiven;                     /* 1 when 12/22/32 was read */
    double clonepoint[3];                        /* 12 */
    unsigned char dimflag;                       /* 70 */
    double defpt4[3];                            /* 16 */
    double defpt2[3], defpt3[3], defpt5[3];      /* 13 14 15 */
    double leaderlen;                            /* 40 */
    double rotang;                               /* 50 */
    double textrot;                              /* 53 */
    double oblique;                              /* 52 */
    double textmidpt[3];                         /* 11 */
    double defpt[3];                             /* 10 */
    double horizdir;                             /* 51 */
    int16_t attachpoint, linespacingstyle;       /* 71 72 */
    double linespacingfactor, actualmeasurement; /* 41 42 */
    double angle54;                              /* 54 */
    char dimtext[AD_NAME_LEN];                   /* 1 */
    AdObjhandle blockheaderhandle;               /* 2 resolved */
    AdObjhandle dimstylehandle;                  /* 3 resolved */
} AdEntDimension;
typedef struct AdEntViewport {
    int16_t status;
    double pt0[3];
    double width, height;
    int16_t id;                 /* 68 10 40 41 69 */
    AdObjhandle plotstylesheet; /* unused by DXF files */
    int32_t statusflags;
    int16_t rendermode;           /* 90 281 */
    char stylesheet[AD_NAME_LEN]; /* 1 */
    int16_t ucsvp, ucsicon;
    double ucsorg[3], ucsxdir[3], ucsydir[3]; /* 71 74 110 111 112 */
    int16_t ucsorthotype;
    double elevation;
    AdObjhandle ucshandle, clipboundaryhandle; /* 79 146 345 340 */
    double viewtarget[3], viewdir[3];
    double viewtwist, viewheight; /* 17 16 51 45 */
    double viewctr[2];
    double lenslength, frontclip, backclip;
    int16_t circlezoom; /* 12 42 43 44 72 */
    double snapbase[2], snapspacing[2];
    double snapangle;
    double gridspacing[2];           /* 13 14 50 15 */
    char plotstylename[AD_NAME_LEN]; /* 2 */
    AdObjhandle baseucshandle;       /* 346 */
    int32_t numfrozenlayers;
    AdBlob *frozenlayerblob; /* 331 (or 1003 in old files) */
} AdEntViewport;
typedef struct AdEntLine AdEntRay;
typedef struct AdEntLine AdEntXline;
typedef struct AdEntMtext {
    double pt0[3], xdir[3];
    double height, refwidth; /* 10 11 40 41 */
    unsigned char attachpoint, drawingdir;
    int16_t linespacingstyle;   /* 71 72 73 */
    double linespacingfactor;   /* 44 */
    AdBlob *textblob;           /* chunks of 3 ... 3, 1 joined, or null */
    AdObjhandle stylehandle;    /* 7 resolved ("STANDARD" when absent) */
    double rotang;              /* 50 */
    double boxwidth, boxheight; /* 42 43 */
    char text[AD_TEXT_LEN];     /* 1 when no 3 precedes it */
} AdEntMtext;
typedef struct AdEntLeader {
    int32_t numpoints;
    unsigned char pathtype, arrowheadflag, hookdir, hooklineflag;
    int16_t creationflag, colorinfo;                         /* 76 72 71 74 75 73 77 */
    double textheight, textwidth;                            /* 40 41 */
    double annotationoffset[3], horizdir[3], blockoffset[3]; /* 213 211 212 */
    AdObjhandle associatedannotation;                        /* 340 */
    AdObjhandle dimstylehandle;                              /* 3 resolved */
    AdBlob *ptblob;                                          /* numpoints x (x, y, z) */
    double normal[3];                                        /* 210 */
} AdEntLeader;
typedef struct AdEntTolerance {
    double pt0[3], xdir[3];     /* 10 11 */
    AdObjhandle dimstylehandle; /* 3 resolved */
    char text[AD_TEXT_LEN];     /* 1 */
} AdEntTolerance;
typedef struct AdEntMline {
    double scale;
    int16_t justification, flags, numlines; /* 40 70 71 73 */
    int32_t numverts;                       /* 72 */
    double startpt[3];                      /* 10 */
    AdObjhandle mlstylehandle;              /* 340, or 2 resolved after the objects */
    AdBlob *vertblob;
    char stylename[AD_NAME_LEN]; /* 2 */
} AdEntMline;
/* ACIS-carrying kinds (REGION, 3DSOLID, BODY). */
typedef struct AdEntAcis {
    double pt0[3];          /* no DXF code: always 0 */
    int16_t modelerversion; /* 70 */
    AdBlob *acisblob;
} AdEntAcis;
typedef struct AdEntLwpline {
    int32_t numverts;
    int16_t flag;
    double elevation;
    double constwidth; /* 90 70 38 43 */
    AdBlob *vertblob;
} AdEntLwpline;
enum {
    AD_LWPLINE_CONSTWIDTH = 0x004,
    AD_LWPLINE_HAS_BULGES = 0x010,
    AD_LWPLINE_HAS_WIDTHS = 0x020,
    AD_LWPLINE_PLINEGEN = 0x100,
    AD_LWPLINE_CLOSED = 0x200
};
/* HATCH. Boundary blob, per path in file order: path type flags (92,
 * 32-bit); a polyline path (flags & 2): has-bulge, closed (72, 73, 16-bit
 * each), vertex count (93, 32-bit), per vertex x, y and, with has-bulge,
 * the bulge; other paths: edge count (93, 32-bit), per edge a type byte
 * (72) and: 1 line x1 y1 x2 y2; 2 arc cx cy r start end (radians) and the
 * counter-clockwise flag (16-bit); 3 elliptic arc cx cy mx my ratio, start
 * and end parameter, counter-clockwise flag (16-bit); 4 spline degree (94,
 * 32-bit), rational, periodic (73, 74, 16-bit), knot count, control-point
 * count (95, 96, 32-bit), then the knots, the control points x, y and, when
 * rational, the weights; then per path its source-object count (97,
 * 32-bit). Source-object blob: the 330 handles of all paths, 8 bytes each.
 * Pattern-line blob: per line the angle (radians), base x, y, offset x, y,
 * dash count (16-bit), dash lengths. Seed blob: x, y per seed point. The
 * counts are those of the data read (numpaths 0 when the file gave no 91);
 * a blob is null when it is empty. */
typedef struct AdEntHatch {
    double pt0[3];
    char patternname[AD_NAME_LEN];
    int16_t associativity, solidfill; /* 10 2 71 70 */
    AdBlob *pathblob;
    int32_t numpaths;
    int16_t hatchstyle, patterntype; /* 91 75 76 */
    double patternangle, patternscale;
    int16_t patterndouble, numpatlines; /* 52 41 77 78 */
    AdBlob *patlineblob;
    AdBlob *srcobjblob;
    double pixelsize;
    AdBlob *seedblob;      /* 47 */
    int32_t numseedpoints; /* 98 */
} AdEntHatch;
typedef struct AdEntImage {
    double pt0[3], uvec[3], vvec[3];
    double size[2];
    AdObjhandle imagedefhandle; /* 10 11 12 13 340 */
    int16_t displayprops, clipping;
    unsigned char brightness, contrast, fade; /* 70 280 281 282 283 */
    AdObjhandle imagedefreactorhandle;
    int16_t cliptype;
    int32_t numclipverts; /* 360 71 91 */
    AdBlob *clipvertblob; /* 14 */
    int32_t classversion; /* 90 */
} AdEntImage;
typedef struct AdEntOle2frame {
    int16_t version;
    double upperleft[3], lowerright[3];
    int16_t oletype, tilemode; /* 70 10 11 71 72 */
    int32_t datalength;
    AdBlob *datablob; /* 90 310 */
} AdEntOle2frame;
typedef struct AdEntRtext {
    double pt0[3], rotang, height;
    int16_t flags;
    AdObjhandle stylehandle; /* 10 50 40 70 7 */
    char text[AD_TEXT_LEN];  /* 1 */
} AdEntRtext;
typedef struct AdEntArcAlignedText {
    double center[3], radius, widthfactor, height, charspacing, offsetfromarc, rightoffset, leftoffset,
        startang, endang; /* 10 40 41 42 43 44 45 46 50 51 */
    int16_t reversed, direction, alignment, side, bold, italic, underline, charset, pitch, fonttype,
        wizardflag;                     /* 70-79, 280 */
    int32_t color;                      /* 90 */
    AdObjhandle stylehandle, archandle; /* 7 resolved, 330 */
    char fontname[AD_NAME_LEN];         /* 2 */
    char bigfontname[AD_NAME_LEN];      /* 3 */
    char text[AD_TEXT_LEN];             /* 1 */
} AdEntArcAlignedText;
/* Proxy entities (ACAD_PROXY_ENTITY and the like) and kinds this toolkit
 * does not read (their pairs are kept in pairblob). */
typedef struct AdEntProxy {
    int32_t classid, appclassid;
    int32_t graphicsbytes;
    AdBlob *graphicsblob; /* 90 91 92 */
    int32_t databytes;
    AdBlob *dataentblob;
    int32_t numobjids;
    AdBlob *objidblob; /* 93 */
    AdBlob *acisblob;  /* ACIS text of proxies that carry it (1, 3) */
    AdBlob *pairblob;
} AdEntProxy;

typedef union AdEntityRecord {
    AdEntLine line;
    AdEntPoint point;
    AdEntCircle circle;
    AdEntShape shape;
    AdEntEllipse ellipse;
    AdEntSpline spline;
    AdEntText text;
    AdEntArc arc;
    AdEntTrace trace;
    AdEntSolid solid;
    AdEntBlock block;
    AdEntInsert insert;
    AdEntAttdef attdef;
    AdEntAttrib attrib;
    AdEntPolyline pline;
    AdEntVertex vertex;
    AdEntLine3d line3d;
    AdEntFace3d face3d;
    AdEntDimension dim;
    AdEntViewport vport;
    AdEntRay ray;
    AdEntXline xline;
    AdEntMtext mtext;
    AdEntLeader leader;
    AdEntTolerance tolerance;
    AdEntMline mline;
    AdEntAcis acis;
    AdEntLwpline lwpline;
    AdEntHatch hatch;
    AdEntImage image;
    AdEntOle2frame ole2frame;
    AdEntRtext rtext;
    AdEntArcAlignedText arctext;
    AdEntProxy proxy;
} AdEntityRecord;

/* ---------------------------------------------------------------- tables */

/* Fields every table record ends with. */
#define AD_TABLE_COMMON_TAIL                                                                                 \
    AdBlob *xdblob;      /* extended data items, or null */                                                  \
    int32_t numreactors; /* 330 in {ACAD_REACTORS */                                                         \
    AdBlob *reactorblob;                                                                                     \
    unsigned char purgedflag

typedef struct AdLinetype {
    AdObjhandle ownerhandle;
    char name[AD_NAME_LEN];
    char text[AD_NAME_LEN];
    unsigned char alignment, flag;
    int16_t numdashes;
    double patternlength;
    double dashlength[12];
    int16_t shapeflag[12];
    int16_t shapenum[12];
    AdObjhandle shapestylehandle[12];
    double shapescale[12], shaperot[12];
    double shapexoffset[12], shapeyoffset[12];
    char strarea[256];     /* the texts of text dashes (9), each terminated */
    int16_t stroffset[12]; /* a text dash's text: its offset in strarea */
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdLinetype;
typedef struct AdLayer {
    AdObjhandle ownerhandle;
    int16_t color;
    unsigned char flag;
    char name[AD_NAME_LEN];
    AdObjhandle linetypehandle;
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    int16_t plotflag, lineweight;
    AdObjhandle plotstylehandle;
    AD_TABLE_COMMON_TAIL;
} AdLayer;
typedef struct AdShapefile {
    AdObjhandle ownerhandle;
    char bigfontname[260];
    unsigned char generationflag, flag;
    char name[AD_NAME_LEN];
    char fontname[AD_NAME_LEN];
    double oblique, height, widthfactor, lastheight;
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdShapefile;
typedef struct AdView {
    AdObjhandle ownerhandle;
    double width;
    double center[2];
    double viewdir[3];
    unsigned char flag;
    double backclip, height, lenslength;
    char name[AD_NAME_LEN];
    double target[3];
    double twist;
    int16_t viewmode;
    double frontclip;
    int16_t ucsassociated, rendermode;
    double ucsorg[3], ucsxdir[3], ucsydir[3];
    int16_t ucsorthotype;
    double elevation;
    AdObjhandle ucshandle, baseucshandle;
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdView;
typedef struct AdVport {
    AdObjhandle ownerhandle;
    unsigned char flag;
    char name[AD_NAME_LEN];
    double lowerleft[2], upperright[2], snapbase[2], snapspacing[2], gridspacing[2], center[2];
    double viewdir[3], target[3];
    double twist, height;
    int16_t viewmode, circlezoom, fastzoom, ucsicon;
    double aspect, frontclip, lenslength;
    int16_t gridmode;
    double backclip;
    int16_t snapisopair, snapmode;
    double snaprot;
    int16_t snapstyle;
    int16_t ucsvp, rendermode;
    double ucsorg[3], ucsxdir[3], ucsydir[3];
    int16_t ucsorthotype;
    double elevation;
    AdObjhandle ucshandle, baseucshandle;
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdVport;
typedef struct AdRegapp {
    AdObjhandle ownerhandle;
    unsigned char flag;
    char name[AD_NAME_LEN];
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdRegapp;
typedef struct AdDimstyle {
    AdObjhandle ownerhandle;
    unsigned char flag;
    char name[AD_NAME_LEN];
    int16_t dimadec;
    unsigned char dimalt, dimaltd;
    double dimaltf, dimaltrnd;
    char dimapost[AD_NAME_LEN];
    double dimasz;
    int16_t dimazin;
    AdObjhandle dimblk, dimblk1, dimblk2;
    double dimcen;
    int16_t dimclrd, dimclre, dimclrt;
    double dimdle, dimdli, dimexe, dimexo, dimgap, dimlfac;
    unsigned char dimlim;
    char dimpost[AD_NAME_LEN];
    double dimrnd;
    unsigned char dimsah;
    double dimscale;
    unsigned char dimse1, dimse2;
    double dimtfac;
    unsigned char dimtad;
    double dimtm;
    unsigned char dimtix, dimtih, dimtol;
    double dimtp, dimtsz, dimtvp, dimtxt;
    unsigned char dimsd1, dimsd2, dimtofl, dimtoh;
    int16_t dimalttd;
    unsigned char dimaltz;
    int16_t dimaunit;
    unsigned char dimfrac;
    int16_t dimlunit;
    unsigned char dimdsep;
    int16_t dimtmove, dimdec;
    unsigned char dimtolj, dimtzin, dimaltzin, dimupt;
    int16_t dimtdec;
    unsigned char dimsoxd, dimzin;
    int16_t dimatfit;
    unsigned char dimsho;
    int16_t dimaltu, dimlwd_unused, dimjust;
    AdObjhandle dimldrblk;
    int16_t dimlwd, dimlwe;
    AdObjhandle handle;
    AdObjhandle dimtxsty;
    AdObjhandle xdicthandle;
    AD_TABLE_COMMON_TAIL;
} AdDimstyle;
typedef struct AdUcs {
    AdObjhandle ownerhandle;
    unsigned char flag;
    char name[AD_NAME_LEN];
    double origin[3], xdir[3], ydir[3];
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    int16_t orthotype, orthotype71;
    double elevation;
    AdObjhandle baseucshandle;
    double orthoorigin[3];
    AD_TABLE_COMMON_TAIL;
} AdUcs;
typedef struct AdBlockheader {
    AdObjhandle ownerhandle;
    char name[AD_NAME_LEN];
    AdObjhandle layouthandle;
    AdObjhandle handle;
    AdObjhandle xdicthandle;
    unsigned char flag; /* 70 of the BLOCK entity */
    double base[3];
    char xrefpath[AD_NAME_LEN];
    char description[AD_NAME_LEN];
    AdEntityList entitylist; /* the block's entities */
    AdObjhandle blockentityhandle, endblkentityhandle;
    int16_t xrefindex;
    unsigned char xrefblkisoverlaid, xrefunloaded;
    int16_t insertunits;
    unsigned char explodable, blockscaling;
    int32_t previewbytes;
    AdBlob *previewblob;
    int32_t numinserts;
    AdBlob *insertblob;
    AD_TABLE_COMMON_TAIL;
} AdBlockheader;
typedef struct AdClass {
    int16_t classnum;
    char dxfname[AD_NAME_LEN];
    char cppname[AD_NAME_LEN];
    char appname[AD_NAME_LEN];
    int32_t proxyflags;
    int16_t wasaproxy, itemclassid;
} AdClass;

typedef union AdTableRecord {
    AdLinetype ltype;
    AdLayer layer;
    AdShapefile shape;
    AdView view;
    AdVport vport;
    AdRegapp app;
    AdDimstyle dimstyle;
    AdUcs ucs;
    AdBlockheader blkh;
    AdClass cls;
} AdTableRecord;

/* ---------------------------------------------------------------- objects */

typedef struct AdObjectHeader {
    int16_t objtype;
    AdObjhandle handle, ownerhandle, xdicthandle;
    int32_t numreactors;
    AdBlob *reactorblob;
    AdBlob *xdblob;
} AdObjectHeader;

typedef struct AdObjDictionary {
    int32_t numitems;
    AdBlob *itemblob;           /* adReadDicItem: name and handle each */
    int16_t hardowner, cloning; /* 280 281 */
    AdObjhandle defaulthandle;  /* 340 of ACDBDICTIONARYWDFLT */
} AdObjDictionary;
typedef struct AdObjMlinestyle {
    char name[AD_NAME_LEN];
    int16_t flags;
    char description[AD_NAME_LEN];
    int16_t fillcolor;
    double startang, endang;
    int16_t numelements;
    AdBlob *elementblob; /* adReadMlstyleSeginfo: offset, colour, linetype index */
} AdObjMlinestyle;
typedef struct AdObjGroup {
    char description[AD_NAME_LEN];
    int16_t unnamed, selectable;
    int32_t numentities;
    AdBlob *entityblob; /* 8-byte member handles */
} AdObjGroup;
/* LAYOUT (the plot settings part is kept in the pairs of the object). */
typedef struct AdObjLayout {
    char name[AD_NAME_LEN];                   /* 1 of AcDbLayout */
    int16_t flag, taborder;                   /* 70 71 */
    double limmin[2], limmax[2];              /* 10 11 */
    double inspt[3], extmin[3], extmax[3];    /* 12 14 15 */
    double elevation;                         /* 146 */
    double ucsorg[3], ucsxdir[3], ucsydir[3]; /* 13 16 17 */
    int16_t orthotype;                        /* 76 */
    AdObjhandle blockheaderhandle;            /* 330 of AcDbLayout: its paper-space block */
    AdObjhandle lastvporthandle;              /* 331 */
    AdObjhandle ucshandle, baseucshandle;     /* 345 346 */
    char pagesetupname[AD_NAME_LEN];          /* 1 of AcDbPlotSettings */
    AdBlob *pairblob;                         /* every pair of the object, as read */
} AdObjLayout;
/* Every other kind: proxy objects keep their data chunks (310) and object
 * ids; all kinds keep their pairs as read (adReadBlobPair). An object of a
 * kind without a class that this toolkit does not read is a proxy object
 * (AD_OBJ_PROXY) whose pairs begin with its (0, name). */
typedef struct AdObjProxy {
    int32_t classid;
    int32_t databytes;
    AdBlob *datablob;
    int32_t numobjids; /* 91 93 310 */
    AdBlob *objidblob; /* 330 340 350 360 of proxy objects */
    AdBlob *pairblob;
} AdObjProxy;

typedef union AdObjectRecord {
    AdObjDictionary dict;
    AdObjMlinestyle mlstyle;
    AdObjGroup group;
    AdObjLayout layout;
    AdObjProxy proxy;
} AdObjectRecord;

/* One pair of a pair blob (adReadBlobPair). */
typedef struct AdBlobPair {
    int16_t code;
    int kind; /* AD_PAIR_* */
    double real;
    int32_t integer; /* 16- and 32-bit values */
    AdObjhandle handle;
    long length;            /* bytes of text or binary data */
    char text[AD_TEXT_LEN]; /* strings; binary data (310, 1004) as bytes */
} AdBlobPair;
enum { AD_PAIR_STRING, AD_PAIR_REAL, AD_PAIR_INT16, AD_PAIR_INT32, AD_PAIR_HANDLE, AD_PAIR_BINARY };

/* One element of a multiline style (adReadMlstyleSeginfo). */
typedef struct AdMlstyleSeginfo {
    double offset;      /* 49 */
    int16_t color;      /* 62 */
    int16_t ltypeindex; /* position of its linetype in the linetype list */
} AdMlstyleSeginfo;

/* One hatch pattern line (adReadHatchPattern). */
typedef struct AdHatchPatternLine {
    double angle;      /* 53, radians */
    double base[2];    /* 43, 44 */
    double offset[2];  /* 45, 46 */
    int16_t numdashes; /* 79 */
    double *dashes;    /* 49 each */
} AdHatchPatternLine;

/* Extended data item (adReadExtendeddata / adWriteExtendeddata). */
typedef struct AdXdataItem {
    int16_t code;     /* 1000 ... 1071 */
    uint16_t length;  /* bytes of the value */
    int16_t codepage; /* 1000 strings: the drawing's DWGCODEPAGE */
    int16_t pad;
    union {
        char str[AD_TEXT_LEN];
        unsigned char bytes[256];
        AdObjhandle handle;
        double pt[3];
        double real;
        int16_t i16;
        int32_t i32;
        unsigned char brace; /* 1002: 0 "{", 1 "}" */
    } v;
} AdXdataItem;

/* ---------------------------------------------------------------- callbacks */

typedef void (*AdCriticalErrorFn)(int code);
typedef void (*AdWarningFn)(const char *message);
typedef void (*AdPercentFn)(short percent);
typedef int (*AdBadShapeFileFn)(const char *name, void *userdata);
typedef int (*AdExamineShapeFileFn)(const char *name, char *path, void *userdata);
typedef int (*AdExamineTTFFn)(const char *name, char *path, void *userdata);
typedef void (*AdExamineEntityLoadFn)(AdDrawing *dwg, AdEntityHeader *hdr, AdEntityRecord *rec);
/* Init data access: open by name (non-zero success), read one character
 * (EOF at the end), read size x count bytes (non-zero success), seek
 * (0 success), close. */
typedef int (*AdOpenInitFn)(const char *name);
typedef int (*AdReadInitCharFn)(void);
typedef int (*AdReadInitCharsFn)(void *buf, size_t size, size_t count);
typedef int (*AdSeekInitFn)(long offset, int whence);
typedef int (*AdCloseInitFn)(void);

/* ---------------------------------------------------------------- start-up */

VYR_EXPORT int adInitAd2(const char *initfile, int16_t *error);
VYR_EXPORT void adCloseAd2(void);
VYR_EXPORT void adSetupDxfRead(void);
VYR_EXPORT void adSetupDwgRead(void);
VYR_EXPORT const char *adAdVersion(void);
VYR_EXPORT const unsigned char *adBuiltinInitData(size_t *size);

VYR_EXPORT int16_t adError(void);
VYR_EXPORT int adErrorClear(void);
VYR_EXPORT const char *adErrorStr(int code);
VYR_EXPORT const unsigned char *adErrorObjhandle(void);
VYR_EXPORT void adStopLoading(void);

VYR_EXPORT void adSetAd2CriticalErrorFn(AdCriticalErrorFn fn);
VYR_EXPORT void adSetAd2WarningFn(AdWarningFn fn);
VYR_EXPORT void adSetAd2BadshapefileFn(AdBadShapeFileFn fn);
VYR_EXPORT void adSetAd2ExamineshapefileFn(AdExamineShapeFileFn fn);
VYR_EXPORT void adSetAd2ExamineTTFFn(AdExamineTTFFn fn);
VYR_EXPORT void adSetAd2DxfscanometerFn(AdPercentFn fn);
VYR_EXPORT void adSetAd2LoadometerFn(AdPercentFn fn);
VYR_EXPORT void adSetAd2SaveometerFn(AdPercentFn fn);
VYR_EXPORT void adSetAd2ExamineEntityLoadFn(AdExamineEntityLoadFn fn);
VYR_EXPORT void adSetAd2OpenInitFileFn(AdOpenInitFn fn);
VYR_EXPORT void adSetAd2ReadInitFileCharFn(AdReadInitCharFn fn);
VYR_EXPORT void adSetAd2ReadInitFileCharsFn(AdReadInitCharsFn fn);
VYR_EXPORT void adSetAd2SeekInitFileFn(AdSeekInitFn fn);
VYR_EXPORT void adSetAd2CloseInitFileFn(AdCloseInitFn fn);
VYR_EXPORT int adDefaultExamineFile(const char *name, char *path, void *userdata);

VYR_EXPORT void adAcceptR14BetaFiles(void);
VYR_EXPORT void adAllowInvalidDxfVersions(unsigned char allow);
VYR_EXPORT void adConvertPlinesOnLoad(int flag);
VYR_EXPORT void adCreateMissingDimblks(int16_t flag);
VYR_EXPORT void adForceAddingHandles(int16_t flag);
VYR_EXPORT void adIgnoreBadVpEntData(int16_t flag);
VYR_EXPORT void adIgnoreBadInsertBlockHandles(int16_t flag);
VYR_EXPORT void adForceLocale(int flag);
VYR_EXPORT void adProcessXDataCodepages(int flag);
VYR_EXPORT void adAddA2kExtras(int16_t flag);
VYR_EXPORT void adSetPreloadEntityFilter(const unsigned char *filter32);
VYR_EXPORT void adSetMaxPreR15NameLength(int16_t len);
VYR_EXPORT void adSetExportCase(int16_t mode);
VYR_EXPORT void adSetDxfWriteCompleteness(int16_t mode);
VYR_EXPORT void adSetHandovermode(int16_t mode);
VYR_EXPORT void adSetMacCreatorAndFiletype(const char *creator, const char *filetype);
VYR_EXPORT void adSetPfbScale(double scale);
VYR_EXPORT void adSetCallbackUserdata(AdDrawing *dwg, void *userdata);
VYR_EXPORT void *adGetCallbackUserData(AdDrawing *dwg);

/* ---------------------------------------------------------------- loading */

VYR_EXPORT AdDrawing *adLoadFile(const char *path, unsigned char preloadmode, int16_t add2000objects);
/* The kind (AD_FILE_...) that adLoadFile tells from the first bytes of the
 * file at `path`, or -1 when it would refuse it as no drawing (or the path
 * names no regular file). Needs no started toolkit. */
VYR_EXPORT int adSniffFileKind(const char *path);
VYR_EXPORT AdDrawing *adLoadFileUserData(const char *path, unsigned char preloadmode, int16_t add2000objects,
                                         void *userdata);
VYR_EXPORT AdDrawing *adGetXrefDbHandle(AdDrawing *parent, const char *path);
VYR_EXPORT int adCloseFile(AdDrawing *dwg);
VYR_EXPORT AdDrawing *adEmptyFile(void);
VYR_EXPORT int adFileTypeLoaded(const AdDrawing *dwg);
VYR_EXPORT int adFileVersionLoaded(const AdDrawing *dwg);
VYR_EXPORT const char *adGetFileLoadName(const AdDrawing *dwg);
/* Bits 0x001-0x200: the HEADER section and the nine tables were found;
 * AD_DXF_CUT_SHORT: the file ended before its EOF record and what it held
 * up to there was loaded. */
#define AD_DXF_CUT_SHORT 0x400u
VYR_EXPORT unsigned adDxfQualityFlags(const AdDrawing *dwg);
VYR_EXPORT AdHeader *adHeaderOf(AdDrawing *dwg);
VYR_EXPORT AdHeader *adHeaderPointer(AdDrawing *dwg);

/* Defaults of the public DXF reference: the header variables; a dimension
 * style from the header's DIM variables; a paper-space viewport entity. */
VYR_EXPORT void adSetHeaderDefaults(AdHeader *h);
VYR_EXPORT void adSetDefaultDimstyleFromHeader(AdDrawing *dwg, AdDimstyle *ds);
VYR_EXPORT void adSetViewportEntityDefaults(AdEntViewport *vp);
/* The parameter of the point of an ellipse (axis ratio) seen at an angle. */
VYR_EXPORT double adEllipseParameterFromAngle(double angle, double ratio);
/* Copies a DXF text, decoding caret sequences (^J a control character,
 * "^ " a caret) except after the lead byte of a double-byte character of
 * the code page; at most capacity - 1 bytes and the terminator. */
VYR_EXPORT void adstrcpytrans(char *dst, const char *src, size_t capacity, int codepage);

/* ---------------------------------------------------------------- code pages */

/* The catalogue of the code pages of $DWGCODEPAGE: numbers 0 to 44, each with
 * its name, the number of its conversion table (-1: none, for "ansi_1200")
 * and the Windows code-page number of that table (0 for "undefined",
 * "ascii" and "mac-roman"). Names compare without regard to ASCII case. */
VYR_EXPORT int adNumValidCodePages(void);
VYR_EXPORT const char *adCodePageName(int number); /* null outside the catalogue */
/* 1 and the number when the name is in the catalogue, else 0 and 0. */
VYR_EXPORT int adAsciiCodePageToShort(const char *name, int16_t *number);
VYR_EXPORT int adCodePageTableIndex(int number);
VYR_EXPORT unsigned adAcadCp2Ansi(int number);
/* The highest catalogue number with that Windows number (932: 38
 * "ansi_932"); 0 for none and for 0. */
VYR_EXPORT int adAnsiCp2Acad(unsigned windows);
/* The toolkit's current code page (30 after start-up); adstrupr and adstrlwr
 * step over the double-byte characters of it. */
VYR_EXPORT void adSetAcp(int number);
VYR_EXPORT int adGetAcp(void);
/* Tables are read from the init data on first use. A character below 256 is
 * a single byte, a larger one lead x 256 + trail. Both return 1 when
 * converted; else 0, with the character itself (Unicode) or 0 (character)
 * as output. */
VYR_EXPORT int adCodePageCharToUnicode(int codepage, unsigned ch, uint16_t *unicode);
VYR_EXPORT int adUnicodeToCodePageChar(int codepage, unsigned unicode, uint16_t *ch);
VYR_EXPORT int adIsLeadByte(unsigned char c, int codepage);
/* The next character of a text, one byte or a lead byte and the byte after
 * it (a lead byte before the terminator stands alone); advances the cursor.
 * 0 at the terminator, which is not passed. */
VYR_EXPORT unsigned adGetCodePageChar(const char **cursor, int codepage);
/* Writes a character as one byte, or as two when it is above 0xFF. */
VYR_EXPORT void adPutCodePageChar(char **cursor, unsigned ch);
/* ASCII letters only; return the text. */
VYR_EXPORT char *adstrupr(char *text);
VYR_EXPORT char *adstrlwr(char *text);

/* ---------------------------------------------------------------- dates */

/* A date-time is [0] the Julian day and [1] the milliseconds since
 * midnight; (0, 0) means no date and decodes as 1 January 1990, 00:00:00.
 * Decoding rounds to whole seconds (the Ex forms also give the milliseconds
 * part), a time at or above 86,399,500 ms counting as midnight of the next
 * day; an all-zero date encodes as (0, 0). Any output may be null. */
VYR_EXPORT void adDecodeAcadDate(const int32_t *datetime, int *day, int *month, int *year, int *hour,
                                 int *minute, int *second);
VYR_EXPORT void adDecodeAcadDateEx(const int32_t *datetime, int *day, int *month, int *year, int *hour,
                                   int *minute, int *second, int *ms);
/* A duration: whole days and the time of the rest. */
VYR_EXPORT void adDecodeAcadTime(const int32_t *datetime, int32_t *days, int *hours, int *minutes,
                                 int *seconds);
VYR_EXPORT void adEncodeAcadDate(int day, int month, int year, int hour, int minute, int second,
                                 int32_t *datetime);
VYR_EXPORT void adEncodeAcadDateEx(int day, int month, int year, int hour, int minute, int second, int ms,
                                   int32_t *datetime);
VYR_EXPORT void adEncodeAcadTime(int32_t days, int hours, int minutes, int seconds, int32_t *datetime);
VYR_EXPORT void adEncodeAcadTimeEx(int32_t days, int hours, int minutes, int seconds, int ms,
                                   int32_t *datetime);

/* ---------------------------------------------------------------- shape files */

/* Frees the font files opened for a drawing (adCloseFile does it too). */
VYR_EXPORT void adUnloadFontFiles(AdDrawing *dwg);
/* The text style (a shape file, flag 1) whose font holds a shape of that
 * name (ASCII case ignored), and the shape's number; 0 and a null handle
 * when no font of the drawing has it. */
VYR_EXPORT int adGetShapefileAndNumber(AdDrawing *dwg, const char *shapename, unsigned char *stylehandle,
                                       int16_t *number);

/* ---------------------------------------------------------------- handles, hex */

VYR_EXPORT int adIncrementObjhandle(unsigned char *handle);
VYR_EXPORT int adObjhandleIsNull(const unsigned char *handle);
VYR_EXPORT int adObjhandleCompare(const unsigned char *a, const unsigned char *b);
VYR_EXPORT int adhexval(int c);
VYR_EXPORT void adAsciiHexToBinary(const char *text, unsigned char *out, int16_t *count);
VYR_EXPORT void adAsciiHexToBinaryEx(const char *text, unsigned char *out, int32_t *count);
VYR_EXPORT int32_t adAsciiHexToBinaryCount(const char *text);
VYR_EXPORT void adBinaryHexToAscii(const unsigned char *bytes, size_t n, char *text);
VYR_EXPORT void adAsciiObjhandleToBinary(const char *text, unsigned char *handle);
VYR_EXPORT void adBinaryObjhandleToAscii(const unsigned char *handle, char *text);

/* ---------------------------------------------------------------- tables */

#define AD_TABLE_FAMILY(Rec, Name, Plural)                                                                   \
    VYR_EXPORT int adStart##Name##Get(AdDrawing *dwg);                                                       \
    VYR_EXPORT int adGet##Name(AdDrawing *dwg, Rec *rec);                                                    \
    VYR_EXPORT long adNum##Plural(AdDrawing *dwg);                                                           \
    VYR_EXPORT int adSeek##Name(AdDrawing *dwg, const unsigned char *handle, Rec *rec);                      \
    VYR_EXPORT int adFind##Name##ByName(AdDrawing *dwg, const char *name, unsigned char *handle);            \
    VYR_EXPORT int adReplace##Name(AdDrawing *dwg, const Rec *rec);                                          \
    VYR_EXPORT int adAdd##Name(AdDrawing *dwg, const Rec *rec);                                              \
    VYR_EXPORT int adDelete##Name(AdDrawing *dwg, const unsigned char *handle);

AD_TABLE_FAMILY(AdLinetype, Linetype, Linetypes)
AD_TABLE_FAMILY(AdLayer, Layer, Layers)
AD_TABLE_FAMILY(AdShapefile, Shapefile, Shapefiles)
AD_TABLE_FAMILY(AdView, View, Views)
AD_TABLE_FAMILY(AdVport, Vport, Vports)
AD_TABLE_FAMILY(AdUcs, Ucs, Ucss)
AD_TABLE_FAMILY(AdRegapp, Regapp, Regapps)
AD_TABLE_FAMILY(AdDimstyle, Dimstyle, Dimstyles)
AD_TABLE_FAMILY(AdBlockheader, Blockheader, Blockheaders)
#undef AD_TABLE_FAMILY

/* The handles of the drawing's table control objects, indexed by
 * AD_CTRL_*; the array is overwritten by the next call. */
enum {
    AD_CTRL_BLOCK_RECORD,
    AD_CTRL_LAYER,
    AD_CTRL_STYLE,
    AD_CTRL_LTYPE,
    AD_CTRL_VIEW,
    AD_CTRL_UCS,
    AD_CTRL_VPORT,
    AD_CTRL_APPID,
    AD_CTRL_DIMSTYLE,
    AD_CTRL_COUNT
};
VYR_EXPORT const AdObjhandle *adCtrlObjhandlePtr(AdDrawing *dwg);
/* A new handle from the drawing's handle seed, which then moves on; a
 * handle some record of the drawing already carries is passed over. */
VYR_EXPORT int adGenerateObjhandle(AdDrawing *dwg, unsigned char *handle);

VYR_EXPORT int adStartClassGet(AdDrawing *dwg);
VYR_EXPORT int adGetClass(AdDrawing *dwg, AdClass *rec);
VYR_EXPORT long adNumClasses(AdDrawing *dwg);
VYR_EXPORT int adAddClass(AdDrawing *dwg, const AdClass *rec);
VYR_EXPORT int adReplaceClass(AdDrawing *dwg, const AdClass *rec);
VYR_EXPORT int adDeleteClass(AdDrawing *dwg, int16_t classnum);
/* The number a new class gets (500 and up), 0 when none is left below 32,768. */
VYR_EXPORT int16_t adNextClassnum(AdDrawing *dwg);
VYR_EXPORT int adGetClassNameFromId(AdDrawing *dwg, int16_t classnum, char *name);
VYR_EXPORT int16_t adClassnumOfName(AdDrawing *dwg, const char *dxfname);

VYR_EXPORT int adStartObjectGet(AdDrawing *dwg);
VYR_EXPORT int adGetObject(AdDrawing *dwg, AdObjectHeader *hdr, AdObjectRecord *rec);
VYR_EXPORT long adNumObjects(AdDrawing *dwg);
VYR_EXPORT int adSeekObject(AdDrawing *dwg, const unsigned char *handle, AdObjectHeader *hdr,
                            AdObjectRecord *rec);
VYR_EXPORT int adAddObject(AdDrawing *dwg, const AdObjectHeader *hdr, const AdObjectRecord *rec);
VYR_EXPORT int adReplaceObject(AdDrawing *dwg, const AdObjectHeader *hdr, const AdObjectRecord *rec);
VYR_EXPORT int adDeleteObject(AdDrawing *dwg, const unsigned char *handle);

/* ---------------------------------------------------------------- entities */

VYR_EXPORT AdEntityList adEntityList(AdDrawing *dwg, const unsigned char *blkhhandle);
/* The name of the block header with this handle, or null when there is none.
 * Unlike adSeekBlockheader it copies nothing and leaves the position of
 * adGetBlockheader where it was; the text lives as long as the record. */
VYR_EXPORT const char *adBlockheaderName(AdDrawing *dwg, const unsigned char *blkhhandle);
VYR_EXPORT AdEntityList adModelSpaceEntityList(AdDrawing *dwg);
VYR_EXPORT AdEntityList adPaperSpaceEntityList(AdDrawing *dwg);
VYR_EXPORT int adStartEntityGet(AdEntityList list);
/* Reads the list's next entity; with rec null only its header. */
VYR_EXPORT int adGetEntity(AdEntityList list, AdEntityHeader *hdr, AdEntityRecord *rec);
VYR_EXPORT int adSeekEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle,
                            AdEntityHeader *hdr, AdEntityRecord *rec);
VYR_EXPORT long adNumEntities(AdEntityList list);
VYR_EXPORT int adAddEntityToList(AdDrawing *dwg, AdEntityList list, const AdEntityHeader *hdr,
                                 const AdEntityRecord *rec);
VYR_EXPORT int adAddEntityToListAfter(AdDrawing *dwg, AdEntityList list, const unsigned char *after,
                                      const AdEntityHeader *hdr, const AdEntityRecord *rec);
VYR_EXPORT int adReplaceEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle,
                               const AdEntityHeader *hdr, const AdEntityRecord *rec);
VYR_EXPORT int adDeleteEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle, int freedata);
/* Takes the entities out of the drawing's handle index, for a reader that
 * walks the entity lists once: the index is then a fraction of its size, and
 * entities can no longer be sought, replaced or deleted by handle (tables,
 * block headers and objects still can). Returns 0 when memory ran out, the
 * index being unchanged. */
VYR_EXPORT int adDropEntityHandles(AdDrawing *dwg);
VYR_EXPORT size_t adEntityRecordSize(AdDrawing *dwg, int enttype);
VYR_EXPORT void getenttypestr(int enttype, char *text);

VYR_EXPORT int16_t adLwplineEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adHatchEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adImageEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adOle2frameEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adRtextEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adArcAlignedTextEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adWipeoutEnttype(AdDrawing *dwg);
VYR_EXPORT int16_t adXrecordObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adDimAssocObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adIdbufferObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adDictionaryvarObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adImagedefObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adImagedefreactorObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adRastervariablesObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adSortentstableObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adSpatialfilterObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adSpatialindexObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adLayerindexObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adObjectptrObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adDictionarywdfltObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adPlaceholderObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adLayoutObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adPlotsettingsObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adVbaProjectObjtype(AdDrawing *dwg);
VYR_EXPORT int16_t adWipeoutVariablesObjtype(AdDrawing *dwg);
VYR_EXPORT int adIsSupportedProxyEntType(AdDrawing *dwg, int enttype);

/* ---------------------------------------------------------------- blobs */

VYR_EXPORT AdBlob *adCreateBlobEx(uint16_t chunksize);
VYR_EXPORT void adDeleteBlob(AdBlob *blob);
VYR_EXPORT AdBlobCursor *adStartBlobWrite(AdBlob *blob);
VYR_EXPORT int adEndBlobWrite(AdBlobCursor *cur);
VYR_EXPORT AdBlobCursor *adStartBlobAppend(AdBlob *blob);
VYR_EXPORT int adEndBlobAppend(AdBlobCursor *cur);
VYR_EXPORT AdBlobCursor *adStartBlobRead(AdBlob *blob);
VYR_EXPORT int adEndBlobRead(AdBlobCursor *cur);
VYR_EXPORT int adRewindBlob(AdBlobCursor *cur);
VYR_EXPORT int adBlobSeek(AdBlobCursor *cur, long pos);
VYR_EXPORT long adBlobTell(const AdBlobCursor *cur);
VYR_EXPORT long adBlobSize(const AdBlob *blob);
VYR_EXPORT int adWriteBlobBytesLong(AdBlobCursor *cur, const void *src, long n);
VYR_EXPORT int adReadBlobBytesLong(AdBlobCursor *cur, void *dst, long n);
VYR_EXPORT int adWriteBlobByte(AdBlobCursor *cur, unsigned char v);
VYR_EXPORT int adReadBlobByte(AdBlobCursor *cur, unsigned char *v);
VYR_EXPORT int adWriteBlobShort(AdBlobCursor *cur, int16_t v);
VYR_EXPORT int adReadBlobShort(AdBlobCursor *cur, int16_t *v);
VYR_EXPORT int adWriteBlobLong(AdBlobCursor *cur, int32_t v);
VYR_EXPORT int adReadBlobLong(AdBlobCursor *cur, int32_t *v);
VYR_EXPORT int adWriteBlobDouble(AdBlobCursor *cur, double v);
VYR_EXPORT int adReadBlobDouble(AdBlobCursor *cur, double *v);
VYR_EXPORT int adWriteBlob2Double(AdBlobCursor *cur, const double *v);
VYR_EXPORT int adReadBlob2Double(AdBlobCursor *cur, double *v);
VYR_EXPORT int adWriteBlob3Double(AdBlobCursor *cur, const double *v);
VYR_EXPORT int adReadBlob3Double(AdBlobCursor *cur, double *v);
VYR_EXPORT int adWriteBlobObjhandle(AdBlobCursor *cur, const unsigned char *h);
VYR_EXPORT int adReadBlobObjhandle(AdBlobCursor *cur, unsigned char *h);
VYR_EXPORT int adWriteBlobString(AdBlobCursor *cur, const char *s);
VYR_EXPORT int adReadBlobString(AdBlobCursor *cur, char *s, long capacity);

VYR_EXPORT int adReadExtendeddata(AdBlobCursor *cur, AdXdataItem *item);
VYR_EXPORT int adWriteExtendeddata(AdBlobCursor *cur, AdXdataItem *item);
VYR_EXPORT long adReadAcisStringn(AdBlobCursor *cur, char *buf, long capacity, int *endflag);
VYR_EXPORT long adReadAcisString(AdBlobCursor *cur, char *buf, int *endflag);
VYR_EXPORT int adReadDicItem(AdBlobCursor *cur, char *name, long capacity, unsigned char *handle);
VYR_EXPORT int adWriteDicItem(AdBlobCursor *cur, const char *name, const unsigned char *handle);
VYR_EXPORT long adReadMtextBlock(AdBlobCursor *cur, char *buf, long capacity);
VYR_EXPORT int adReadMlstyleSeginfo(AdBlobCursor *cur, AdMlstyleSeginfo *seg);
VYR_EXPORT int adWriteMlstyleSeginfo(AdBlobCursor *cur, const AdMlstyleSeginfo *seg);
/* The pattern lines of a hatch, allocated; free with adDisposeHatchPattern. */
VYR_EXPORT AdHatchPatternLine *adReadHatchPattern(AdBlob *blob, int16_t numlines);
VYR_EXPORT void adDisposeHatchPattern(AdHatchPatternLine *lines, int16_t numlines);
VYR_EXPORT AdBlobCursor *adStartProxyDataRead(AdBlob *blob);
VYR_EXPORT int adReadProxyDataInt16(AdBlobCursor *cur, int16_t *v);
VYR_EXPORT int adReadProxyDataInt32(AdBlobCursor *cur, int32_t *v);
VYR_EXPORT int adReadProxyDataDouble(AdBlobCursor *cur, double *v);
VYR_EXPORT int adReadProxyDataBytes(AdBlobCursor *cur, void *dst, long n);
VYR_EXPORT int adEndProxyDataRead(AdBlobCursor *cur);
VYR_EXPORT int adPurgeBlockheader(AdDrawing *dwg, const unsigned char *handle);
/* Makes the block header of that handle the active paper space (its
 * entities become the drawing's paper-space list). */
VYR_EXPORT int adSetActivePaperSpaceBlock(AdDrawing *dwg, const unsigned char *handle);
/* Adds an external-reference block header (flag 4) named name for path. */
VYR_EXPORT int adCreateXrefBlock(AdDrawing *dwg, const char *name, const char *path, unsigned char *handle);
/* The next pair of a pair blob; false at its end. */
VYR_EXPORT int adReadBlobPair(AdBlobCursor *cur, AdBlobPair *pair);
/* Turns a proxy entity's graphics into ordinary entities of the list after
 * it; 1 when it did. Proxy graphics are not decoded by this toolkit, so the
 * result is always 0 and the proxy stays as it is. */
VYR_EXPORT int adExplodeProxyToList(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec,
                                    AdEntityList list, int flags, const unsigned char *handle);
/* Checks the references of a loaded drawing (layers, linetypes, styles,
 * blocks of entities and records); each problem is reported through the
 * callback with its text. fix is not used: nothing is changed. Returns the
 * number of problems found. */
typedef int (*AdAuditFn)(const char *text);
VYR_EXPORT long adAudit(AdDrawing *dwg, int fix, int level, AdAuditFn report);

#ifdef __cplusplus
}
#endif

#endif
