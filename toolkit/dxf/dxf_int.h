/* Internal records and functions of the DXF reader: the group-code reader
 * (getdxfpair), the working state of one load's section loaders, the pair
 * access with look-back, the table-driven field reading, the entity rules
 * and extended data. The load driver in toolkit/ad reaches these readers
 * only through the reader table that addxfreaders fills. Not installed. */
#ifndef VYR_TOOLKIT_DXF_INT_H
#define VYR_TOOLKIT_DXF_INT_H

#include "toolkit/ad/ad_int.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- DXF reader */

int getdxfpair(AdDrawing *dwg);
/* As getdxfpair, but only the values of the codes 0 and 2 are read, and
 * those of 5 and 105 when handles is not 0 (the others are passed over and
 * curstr is left empty): the scan pass's reader outside the HEADER section. */
int getdxfpairlite(AdDrawing *dwg, int handles);
int readbufline(AdDrawing *dwg);
void updatescanometer(AdDrawing *dwg);
void adstartscanometer(AdDrawing *dwg);
int advaluekind(uint16_t code);
enum {
    AD_VK_STRING,
    AD_VK_REAL,
    AD_VK_INT16,
    AD_VK_INT32,
    AD_VK_HANDLE,
    AD_VK_HEX310,
    AD_VK_BIN1004,
    AD_VK_COMMENT
};
int adbinaryskipsentinel(AdDrawing *dwg);
void adchoosebinarycodewidth(AdDrawing *dwg);

/* ---------------------------------------------------------------- section loaders */

/* Working state of the DXF section loaders during one load (dxfload.cpp).
 * The pair reader keeps one pair of look-back: a loader that reads the
 * first pair of the next record hands it back (dxfback) and the next read
 * delivers it again without touching the stream. */
typedef struct AdDxfBlkRec AdDxfBlkRec; /* a BLOCK_RECORD record waiting for its BLOCK */
typedef struct AdDxfBlkPos {
    AdObjhandle handle; /* the block header */
    int64_t pos;        /* its (0, BLOCK) pair */
} AdDxfBlkPos;
typedef struct AdDxfLoad {
    int64_t lastpos;           /* stream position before the pair read last */
    unsigned char pushed;      /* the current pair is delivered again */
    unsigned char blockended;  /* the current block's ENDBLK has been stored */
    unsigned char inentities;  /* reading the ENTITIES section */
    unsigned char scanhandles; /* the scan reads handles (5, 105) too */
    int table;                 /* AD_TBL_* being read by the table readers */
    int32_t recordsread;
    int32_t nextblock; /* next BLOCK position of the scan */
    AdDxfBlkRec *blkrecs;
    int32_t nblkrecs, capblkrecs;
    int32_t *blkbyhandle, *blkbyname; /* blkrecs by handle and by name (dxfblocks.cpp) */
    int32_t nblkindex;
    AdDxfBlkPos *blkpos;
    int32_t nblkpos, capblkpos;
    AdBlkh *curblkh;             /* block whose entities are being read */
    char lastblock[AD_NAME_LEN]; /* memo of the INSERT/DIMENSION block name */
    AdObjhandle lastblockhandle;
    unsigned char lastblockvalid, lastdimvalid;
    char lastdim[AD_NAME_LEN]; /* memo of the DIMENSION style name */
    AdObjhandle lastdimhandle;
    /* an old polyline being turned into a lightweight polyline */
    unsigned char plineopen;
    LLList *plinelist;
    AdEntityHeader plinehdr;
    AdEntLwpline pline;
    double plinewidth[2]; /* its default start and end width */
    int32_t entcount;     /* entities of the ENTITIES section read */
    int16_t entpercent;
    AdBlob *graveyard;           /* blobs freed when the load ends */
    AdBlob *mlinefix;            /* MLINEs whose style name waits for the objects */
    LLList *subentlist;          /* list of the POLYLINE or INSERT whose VERTEX,
                                    ATTRIB and SEQEND follow */
    char lastlayer[AD_NAME_LEN]; /* memo of the layer name resolved last */
    AdObjhandle lastlayerhandle;
    unsigned char lastlayervalid;
    unsigned char blockstarted;  /* the BLOCK of the block being read was met */
    int16_t lwplinetype;         /* class number of LWPOLYLINE, 0 until needed */
    unsigned char foreignobject; /* the object being read is of a kind without a class */
    double *scratch;
    int32_t scratchcap; /* vertices of the polyline being converted */
    int32_t scratchn;
    /* A file cut short: the scan saw its data end (ranout) before (0, EOF)
       and keeps what lies before the last record it began (lastrecord);
       from cutpos on, the load pass reads (0, EOF) instead of the file. */
    int64_t lastrecord;
    int64_t cutpos;
    unsigned char ranout;
    unsigned char cut;
    unsigned char longwarned; /* an over-long line was cut and named */
} AdDxfLoad;

/* The DXF readers of the reader table (slot contract above). */
int16_t dxfloadheader(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartlinetypeload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadlinetype(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartlayerload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadlayer(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartshapefileload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadshapefile(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartviewload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadview(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartvportload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadvport(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartregappload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadregapp(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartdimstyleload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloaddimstyle(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartucsload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloaducs(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartclassload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadclass(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartblockheaderload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadblockheader(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadblockrecord(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartblockdefload(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartentityload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadentity(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartvportenthdrload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadvportenthdr(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartobjectload(AdDrawing *dwg, void *a, void *b);
int16_t dxfgetnextobjecttype(AdDrawing *dwg, void *a, void *b);
int16_t dxfloaddictionaryobject(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadproxyobject(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadgroup(AdDrawing *dwg, void *a, void *b);
int16_t dxfstartmlstyleload(AdDrawing *dwg, void *a, void *b);
int16_t dxfloadmlstyle(AdDrawing *dwg, void *a, void *b);

/* A viewport entity header (the DWG table of paper-space viewports; the
 * DXF readers build one per VIEWPORT entity the scan pass found). */
typedef struct AdVpentHdr {
    AdObjhandle handle;      /* generated */
    AdObjhandle vpenthandle; /* the VIEWPORT entity (5) */
    int16_t id;              /* 69 */
    unsigned char flag;
} AdVpentHdr;

/* Pair access with one pair of look-back (see AdDxfLoad). */
int dxfnext(AdDrawing *dwg);
int dxfnextlite(AdDrawing *dwg); /* with getdxfpairlite */
void dxfback(AdDrawing *dwg);
int dxfseek(AdDrawing *dwg, int64_t pos);
int dxfis(uint16_t code, const char *text); /* the current pair is (code, text) */
int32_t dxfint(void);                       /* the current value as an integer, whatever its kind */
double dxfreal(void);                       /* the current value as a real, whatever its kind */
double dxfangle(void);                      /* the current value, an angle in degrees, in radians */
/* The current value as a count, 0 when negative. Counts of 16-bit codes
 * (the SPLINE's 72 to 74, LEADER's 76 ...) are taken as the file states
 * them: in ASCII DXF the whole number of the line, in binary DXF the two
 * bytes unsigned, so that 32,768 and more points keep their count. */
int32_t dxfcount(AdDrawing *dwg);
/* The next pair of a sequence whose length a count gave: fails with error 32
 * at the end of the file or at a group code 0 (handed back). */
int dxfseq(AdDrawing *dwg);
/* Passes over a record whose data did not fit its counts, from its
 * (0, name) pair at pos to the next record (handed back), and names it in
 * a warning; 0 when the stream fails. */
int dxfskipdamaged(AdDrawing *dwg, int64_t pos);
void dxfcopy(char *dst, const char *src, size_t capacity); /* cut to capacity - 1 */

int dxfloadstart(AdDrawing *dwg);    /* allocates dwg->dxf */
void dxffreeblkrecs(AdDrawing *dwg); /* the BLOCK_RECORD records not used */
/* Creates the standard arrowhead block of a name ("_OPEN" ...): 1 and its
 * handle, 0 when the name is none of them or on failure. */
int adcreatearrowblock(AdDrawing *dwg, const char *name, unsigned char *handle);
/* Positions the stream at the BLOCK_RECORD table: 1, 0 when it is empty. */
int dxfstartblockrecords(AdDrawing *dwg);
/* The HEADER section up to its ENDSEC: 1, 0 failure, -2 too new (309). */
int dxfprocessheader(AdDrawing *dwg);
void dxfdiscardblob(AdDrawing *dwg, AdBlob *blob); /* freed when the load ends */
int dxfnewhandle(AdDrawing *dwg, unsigned char *handle);
/* Gives a record the handle it is stored under: the file's own, or a fresh
 * one when `fresh` is set or the file gave none or one already stored (a
 * duplicate, named in a warning with the handle it takes instead).
 * 1 done, 0 no handle could be made. */
int dxfclaimhandle(AdDrawing *dwg, unsigned char *handle, int fresh);
/* Renumbers a record whose handle is taken, with the warning. */
int dxfrenumber(AdDrawing *dwg, unsigned char *handle);
/* The handle of the first record of a table list (AD_LIST_*) with the name,
 * ASCII case ignored; the null handle and 0 when there is none. */
int dxffindname(AdDrawing *dwg, int list, const char *name, unsigned char *handle);

/* Extended data. While a record is read, its items are collected in the
 * toolkit state's read buffer as (group code - 1000) and the value (see
 * dxfxdata.cpp); resolveandaddxdata turns them into the stored items of a
 * new blob and records the application and layer names to resolve. */
typedef struct AdXdCollect {
    int32_t length;         /* bytes in adin->xdreadbuf */
    unsigned char overflow; /* items dropped: the buffer was full */
} AdXdCollect;
int dxfxdatapair(AdDrawing *dwg, AdXdCollect *xd); /* the current pair, code >= 1000 */
int resolveandaddxdata(AdDrawing *dwg, const AdXdCollect *xd, AdBlob **out);
/* A 102 group starting at the current pair: {ACAD_REACTORS collects the 330
 * handles into *reactors (created) and counts them, {ACAD_XDICTIONARY puts
 * its 360 into xdict; other groups are passed over. */
int dxfgroup102(AdDrawing *dwg, int32_t *numreactors, AdBlob **reactors, unsigned char *xdict);
/* The pair stream of a pair blob: appends the current pair (its code,
 * then the value by the code's kind: real, 16-bit, 32-bit, 8-byte handle,
 * binary as a 16-bit length and the bytes, text with its terminator). */
int dxfputpair(AdBytes *b);
/* The code page a drawing's texts are in (for adstrcpytrans). */
int dxfcodepage(AdDrawing *dwg);
/* Stores an entity, giving it a fresh handle when it has none or carries
 * one already taken. */
int dxfstoreentity(AdDrawing *dwg, LLList *list, AdEntityHeader *hdr, AdEntityRecord *rec);
/* Finishes an old polyline being converted (stores its lightweight form). */
int dxfclosepline(AdDrawing *dwg);

/* Table-driven field reading (dxftblrd, dxfentrd): per record type a list
 * of (group code, kind, byte offset in the record, size), looked up through
 * a 1,072-entry map from group code to the field. Real fields name one
 * double each (a point is three entries); angles are converted from degrees
 * to radians; strings are cut to their field; texts go through
 * adstrcpytrans. */
enum { AD_F_BYTE, AD_F_I16, AD_F_I32, AD_F_REAL, AD_F_ANGLE, AD_F_STR, AD_F_TEXT, AD_F_HANDLE };
typedef struct AdField {
    uint16_t code;
    uint8_t kind;
    uint32_t off;
    uint32_t size;
} AdField;
typedef struct AdFieldTable {
    const AdField *fields;
    int count;
    int built;
    uint8_t map[1072]; /* field index + 1, 0 for none */
} AdFieldTable;
/* Stores the current pair into rec when the table has a field for its
 * code; false when it has none. */
int dxffieldread(AdFieldTable *t, void *rec, int codepage);
#define AD_FB(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_BYTE, offsetof(T, m), 1                                                                      \
    }
#define AD_FS(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_I16, offsetof(T, m), 2                                                                       \
    }
#define AD_FL(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_I32, offsetof(T, m), 4                                                                       \
    }
#define AD_FR(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_REAL, offsetof(T, m), 8                                                                      \
    }
#define AD_FA(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_ANGLE, offsetof(T, m), 8                                                                     \
    }
#define AD_FT(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_STR, offsetof(T, m), sizeof(((T *)0)->m)                                                     \
    }
#define AD_FX(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_TEXT, offsetof(T, m), sizeof(((T *)0)->m)                                                    \
    }
#define AD_FH(c, T, m)                                                                                       \
    {                                                                                                        \
        c, AD_F_HANDLE, offsetof(T, m), 8                                                                    \
    }
#define AD_FP2(c, T, m)                                                                                      \
    {c, AD_F_REAL, offsetof(T, m), 8}, { c + 10, AD_F_REAL, offsetof(T, m) + 8, 8 }
#define AD_FP3(c, T, m)                                                                                      \
    AD_FP2(c, T, m), { c + 20, AD_F_REAL, offsetof(T, m) + 16, 8 }
#define AD_FIELDS(arr)                                                                                       \
    {                                                                                                        \
        arr, (int)(sizeof arr / sizeof arr[0]), 0, { 0 }                                                     \
    }

/* What the rules of one kind collect while its pairs are read, before
 * dxfentfinish turns it into the record's counts and blobs. Only the member
 * of the entity's kind is in use; its buffers are freed by dxfentdiscard.
 * A "declared" count is the one the file gives before the data; the other
 * counts are what was read. */
typedef struct AdLwplineCollect {
    AdBytes verts;      /* x, y, bulge, start width, end width per vertex */
    double vertex[5];   /* the vertex being read */
    unsigned char open; /* vertex holds a vertex not yet in verts */
} AdLwplineCollect;
typedef struct AdHatchCollect {
    AdBytes paths, sources, patlines, seeds;
    int32_t numpatlines, numseeds;
    unsigned char pathsread; /* the path count (91) was read */
} AdHatchCollect;
typedef struct AdLeaderCollect {
    AdBytes points;
    int32_t declared, numpoints;
    unsigned char declaredread, pointsread;
} AdLeaderCollect;
typedef struct AdMlineCollect {
    AdBytes verts; /* per vertex: point, direction, miter, then per line its element and fill parameters */
    int32_t declared, numlines, numverts;
    unsigned char vertsread;
} AdMlineCollect;
typedef struct AdSplineCollect {
    AdBytes knots, ctlpts, fitpts;
    int32_t declknots, declctl, declfit, numctl, numfit;
    unsigned char knotsgiven, ctlgiven, fitgiven; /* the declared counts were read */
    unsigned char knotsread, ctlread, fitread;
} AdSplineCollect;
typedef struct AdMtextCollect {
    AdBytes text;           /* the chunks, 3 ... 3 1 */
    unsigned char chunked;  /* a chunk was read: the text is the blob */
    unsigned char inchunks; /* the last chunk was a 3, so a 1 continues it */
} AdMtextCollect;
typedef struct AdAcisCollect {
    AdBytes lines;          /* the decoded SAT text */
    unsigned char lineopen; /* a line is begun and needs its end */
} AdAcisCollect;
typedef struct AdImageCollect {
    AdBytes clipverts;
    double vertex[2];
    unsigned char open;
} AdImageCollect;
typedef struct AdViewportCollect {
    AdBytes frozenlayers; /* handles, 8 bytes each */
    int32_t numfrozen;
} AdViewportCollect;
/* Where the 310 bytes of a proxy go: after a 92, its graphics; after a 93,
 * its entity data (whose handles follow as 330..360). */
enum { AD_PROXY_NOWHERE, AD_PROXY_GRAPHICS, AD_PROXY_DATA };
typedef struct AdProxyCollect {
    AdBytes graphics, data, pairs, objids;
    int32_t numobjids;
    unsigned char target;    /* AD_PROXY_... */
    unsigned char ownerread; /* the first 330 is the owner, not an object id */
} AdProxyCollect;

/* What the entity reader collects beside the entity's fields. */
typedef struct AdEntCtx {
    int16_t type;
    int kind;
    AdXdCollect xd;
    char layer[AD_NAME_LEN], ltype[AD_NAME_LEN], style[AD_NAME_LEN], block[AD_NAME_LEN],
        dimstyle[AD_NAME_LEN];
    unsigned char haslayer, hasltype, hasstyle, hasblock, hasdimstyle, haselevation, hashandle;
    double elevation;
    unsigned zmask;        /* bit i: the z code 30 + i was read */
    unsigned char foreign; /* a kind without a class that this toolkit does not read */
    union {                /* by kind; the last member, zeroed to the end when an entity begins */
        AdLwplineCollect lwpline;
        AdHatchCollect hatch;
        AdLeaderCollect leader;
        AdMlineCollect mline;
        AdSplineCollect spline;
        AdMtextCollect mtext;
        AdAcisCollect acis;
        AdImageCollect image;
        AdBytes ole;
        AdViewportCollect vport;
        AdProxyCollect proxy;
    };
} AdEntCtx;
/* The rule-driven pairs of an entity: 1 taken, 0 not this reader's, -1
 * failure (error set). */
int dxfentrule(AdDrawing *dwg, AdEntCtx *c, AdEntityHeader *hdr, AdEntityRecord *rec);
/* Completes the record from what the rules collected: 1, or -1. */
int dxfentfinish(AdDrawing *dwg, AdEntCtx *c, AdEntityHeader *hdr, AdEntityRecord *rec);
void dxfentdiscard(AdDrawing *dwg, AdEntCtx *c); /* frees collected data */

#ifdef __cplusplus
}
#endif

#endif
