/* Internal records and functions of the drawing file toolkit: the toolkit
 * state behind adin, the drawing record, the reader tables through which the
 * load driver calls the file-format readers, the DXF group-code reader, and
 * the database's lists, handle tree and blobs. Not installed. */
#ifndef VYR_TOOLKIT_AD_INT_H
#define VYR_TOOLKIT_AD_INT_H

#include "toolkit/ad/ad.h"
#include "toolkit/zt/zt.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The version string of each release the toolkit loads, by version index
 * (AD_ACAD25 ... AD_ACAD2000): the one table the sniff and the header use. */
extern const char *const adversionnames[8];

enum {
    AD_LINEBUF_SIZE = 131072, /* value/line buffers (one byte more for the terminator) */
    AD_XDBUF_SIZE = 32768,    /* extended-data buffers */
    AD_MAX_LINE = 2050,       /* longest DXF line accepted */
    AD_SNIFF_SIZE = 2000,     /* bytes examined to tell the file kind */
    AD_MAX_XREFS = 512,
    AD_FILENAME_LEN = 4096, /* a path of the system's longest (PATH_MAX), with its zero */
    AD_INIT_CODEPAGES = 38, /* code-page tables of the init data's fixed layout */
    AD_CP_TABLES = 39,      /* ... and with those of its extension (1258) */
    AD_NUM_CODEPAGES = 45   /* names of the code-page catalogue */
};

/* ---------------------------------------------------------------- reader table */

/* Every reader has one signature; the meaning of a and b depends on the slot.
 * - loadheader (a, b unused): for DXF the whole scan pass. The driver has
 *   allocated dwg->header and set dwg->version from the sniffed bytes (-1
 *   when none was found); the pass fills the header, the name buffers of the
 *   toolkit state, dwg->scan, dwg->qualityflags, dwg->version (from $ACADVER)
 *   and dwg->invalidversion. 1 success; 0 or -1 failure with the error code
 *   set (309 for files of AC1018 to AC1032).
 * - start readers (startlayerload ...; a unused, except startblockdefload,
 *   whose a is the stored AdBlkh of the block, its entity list created):
 *   position the stream; 1 when records follow, 0 when there is nothing to
 *   read (the step then succeeds at once), -1 on failure.
 * - record readers (loadlayer, loadclass, loadblockheader ...): read one
 *   record and store it in the drawing themselves (adAddLayer, adAddClass
 *   ..., so that they can apply their table's rules); 1 per record, 0 when
 *   the table or section has ended (that call may add the table's default
 *   records), -1 on failure with the error code set.
 * - loadentity: a is the entity list to fill (a block's), or null for the
 *   ENTITIES section, where the reader chooses model or paper space
 *   (dwg->mspace, dwg->pspace) by group 67; same results as record readers;
 *   the reader reports entity-load progress itself (adloadometer).
 * - getnextobjecttype: the next object's type number (AD_OBJ_DICTIONARY,
 *   AD_OBJ_MLINESTYLE, AD_OBJ_GROUP, a class number ...), 0 at the end of the
 *   objects, -1 on failure; the driver then calls loaddictionaryobject,
 *   loadmlstyle, loadgroup or loadproxyobject (a: the int16_t type) for it.
 * The driver tests the stop flag between records. */
typedef int16_t (*AdReaderFn)(AdDrawing *dwg, void *a, void *b);
typedef struct AdBlkh AdBlkh; /* a stored block header (below) */

enum AdReaderSlot {
    AD_RD_NONE0 = 0,
    AD_RD_GETNEXTOBJECTTYPE,
    AD_RD_LOADDICTIONARYOBJECT,
    AD_RD_LOADPROXYOBJECT,
    AD_RD_LOADBLOCKHEADER,
    AD_RD_LOADBLOCKRECORD,
    AD_RD_LOADCLASS,
    AD_RD_LOADDIMSTYLE,
    AD_RD_LOADENTITY,
    AD_RD_LOADGROUP,
    AD_RD_LOADHEADER,
    AD_RD_LOADLAYER,
    AD_RD_LOADLINETYPE,
    AD_RD_LOADMLSTYLE,
    AD_RD_LOADREGAPP,
    AD_RD_LOADSHAPEFILE,
    AD_RD_LOADUCS,
    AD_RD_LOADVIEW,
    AD_RD_LOADVPORT,
    AD_RD_LOADVPORTENTHDR,
    AD_RD_STARTBLOCKDEFLOAD,
    AD_RD_STARTBLOCKHEADERLOAD,
    AD_RD_STARTCLASSLOAD,
    AD_RD_STARTDIMSTYLELOAD,
    AD_RD_STARTENTITYLOAD,
    AD_RD_STARTLAYERLOAD,
    AD_RD_STARTLINETYPELOAD,
    AD_RD_STARTMLSTYLELOAD,
    AD_RD_STARTOBJECTLOAD,
    AD_RD_NONE29,
    AD_RD_STARTREGAPPLOAD,
    AD_RD_STARTSHAPEFILELOAD,
    AD_RD_STARTUCSLOAD,
    AD_RD_STARTVIEWLOAD,
    AD_RD_STARTVPORTENTHDRLOAD,
    AD_RD_STARTVPORTLOAD,
    AD_RD_SLOTS
};

typedef struct AdReaderTable {
    AdReaderFn slot[AD_RD_SLOTS];
} AdReaderTable;

/* Forwarding functions, one per slot; an empty slot fails with error 2. */
int16_t getnextobjecttype(AdDrawing *dwg);
int16_t loaddictionaryobject(AdDrawing *dwg);
int16_t loadproxyobject(AdDrawing *dwg, int16_t objtype);
int16_t loadblockheader(AdDrawing *dwg);
int16_t loadblockrecord(AdDrawing *dwg);
int16_t loadclass(AdDrawing *dwg);
int16_t loaddimstyle(AdDrawing *dwg);
int16_t loadentity(AdDrawing *dwg, LLList *list);
int16_t loadgroup(AdDrawing *dwg);
int16_t loadheader(AdDrawing *dwg);
int16_t loadlayer(AdDrawing *dwg);
int16_t loadlinetype(AdDrawing *dwg);
int16_t loadmlstyle(AdDrawing *dwg);
int16_t loadregapp(AdDrawing *dwg);
int16_t loadshapefile(AdDrawing *dwg);
int16_t loaducs(AdDrawing *dwg);
int16_t loadview(AdDrawing *dwg);
int16_t loadvport(AdDrawing *dwg);
int16_t loadvportenthdr(AdDrawing *dwg);
int16_t startblockdefload(AdDrawing *dwg, AdBlkh *blkh);
int16_t startblockheaderload(AdDrawing *dwg);
int16_t startclassload(AdDrawing *dwg);
int16_t startdimstyleload(AdDrawing *dwg);
int16_t startentityload(AdDrawing *dwg);
int16_t startlayerload(AdDrawing *dwg);
int16_t startlinetypeload(AdDrawing *dwg);
int16_t startmlstyleload(AdDrawing *dwg);
int16_t startobjectload(AdDrawing *dwg);
int16_t startregappload(AdDrawing *dwg);
int16_t startshapefileload(AdDrawing *dwg);
int16_t startucsload(AdDrawing *dwg);
int16_t startviewload(AdDrawing *dwg);
int16_t startvportenthdrload(AdDrawing *dwg);
int16_t startvportload(AdDrawing *dwg);

/* The DXF readers (section loaders) and the DWG readers fill these. */
void addxfreaders(AdReaderTable *t);
void addwgreaders(AdReaderTable *t);
/* Free what the DXF and the DWG readers kept for one load (dwg->dxf,
 * dwg->dwg). */
void dxfloadend(AdDrawing *dwg);
void dwgloadend(AdDrawing *dwg);

/* ---------------------------------------------------------------- database */

/* A list node: the link prefix, then the record. */
typedef struct LLNode {
    struct LLNode *next;
    struct LLNode *prev;
    LLList *list;
} LLNode;

struct LLList {
    long count;
    LLNode *head;
    LLNode *current;
    LLNode *tail;
};

#define LL_RECORD(node) ((void *)((LLNode *)(node) + 1))
#define LL_NODE_OF(rec) ((LLNode *)(rec)-1)

LLList *LLCreate(void);
long LLGetNumLinks(const LLList *l);
LLNode *LLGetHead(const LLList *l);
LLNode *LLGetTail(const LLList *l);
LLNode *LLGetCurrent(const LLList *l);
LLNode *LLGetCurNode(const LLList *l);
int LLSetCurNode(LLList *l, LLNode *n);
void LLRewindList(LLList *l);
LLNode *LLNextNode(LLList *l);
LLNode *LLAlloc(size_t recordsize);
void LLPutHead(LLList *l, LLNode *n);
void LLPutTail(LLList *l, LLNode *n);
void LLPutOneNodeInListTail(LLList *l, LLNode *n);
void LLPutBefore(LLList *l, LLNode *n); /* before the current node */
void LLPutBeforeSpec(LLList *l, LLNode *at, LLNode *n);
void LLPutAfter(LLList *l, LLNode *n); /* after the current node */
void LLPutAfterSpec(LLList *l, LLNode *at, LLNode *n);
LLNode *LLDelHead(LLList *l);
LLNode *LLDelTail(LLList *l);
LLNode *LLDelNode(LLList *l); /* the current node */
LLNode *LLDelSpec(LLList *l, LLNode *n);
void LLDeleteListMembers(LLList *l);
void LLDeleteList(LLList *l);

/* Handle B-tree: 22 keys and 23 children per node. */
enum { BT_KEYS = 22, BT_CACHE = 16 };
typedef struct BtNode {
    int32_t count;
    AdObjhandle key[BT_KEYS];
    void *addr[BT_KEYS];
    struct BtNode *child[BT_KEYS + 1];
} BtNode;

typedef struct BtCacheSlot {
    long hits; /* -1: empty */
    BtNode *addr;
    BtNode copy;
} BtCacheSlot;

void bt_init(AdDrawing *dwg);
void *bt_search(AdDrawing *dwg, const unsigned char *handle, BtNode *root);
int bt_insert(AdDrawing *dwg, const unsigned char *handle, void *addr);
int bt_del(AdDrawing *dwg, const unsigned char *handle);
/* Points an indexed handle at another address: 1, 0 when it is not indexed. */
int bt_repoint(AdDrawing *dwg, const unsigned char *handle, void *addr);
void bt_deltree(AdDrawing *dwg);
void bt_term(void);
long bt_count(AdDrawing *dwg);
/* Visits every (handle, address) pair in ascending handle order. */
void bt_walk(AdDrawing *dwg, void (*fn)(const unsigned char *h, void *addr, void *ctx), void *ctx);
/* Rebuilds the index with only the pairs keep() accepts and frees the old
 * nodes; returns 0 (the index unchanged) when memory runs out. */
int bt_keep(AdDrawing *dwg, int (*keep)(void *addr, void *ctx), void *ctx);

/* Storing records: mode 0 head, 1 tail, 2 before the node given. */
enum { AD_PUT_HEAD = 0, AD_PUT_TAIL = 1, AD_PUT_BEFORE = 2 };
void *addobjecttolistandindex(AdDrawing *dwg, LLList *list, const void *rec, size_t size,
                              const unsigned char *handle, int mode, LLNode *before);
/* Moves a stored record to a new node of size bytes holding rec, in the old
 * node's place in its list and handle index (the old node is freed); the
 * new record, or null with the error set and the old node kept. */
void *adreplacenode(AdDrawing *dwg, LLNode *old, const void *rec, size_t size, const unsigned char *handle);
void *addobjecttolist(LLList *list, const void *rec, size_t size, int mode, LLNode *before);

/* Compact entity storage. */
LLNode *adPackEntity(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec);
void adUnpackEntity(const LLNode *node, AdEntityHeader *hdr, AdEntityRecord *rec);
void adFreeEntityData(const AdEntityHeader *hdr, const AdEntityRecord *rec);
void adfreeentitynode(AdDrawing *dwg, LLNode *n);
void adfreeentityblobs(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec);
void adfreeentitylist(AdDrawing *dwg, LLList *list);
/* Stores an entity at the tail of a list and indexes its handle. */
int adStoreEntity(AdDrawing *dwg, LLList *list, const AdEntityHeader *hdr, const AdEntityRecord *rec);

/* Table lists in the order of adfreetablelist. */
enum {
    AD_LIST_LTYPE,
    AD_LIST_LAYER,
    AD_LIST_STYLE,
    AD_LIST_VIEW,
    AD_LIST_VPORT,
    AD_LIST_UCS,
    AD_LIST_APPID,
    AD_LIST_DIMSTYLE,
    AD_LIST_BLKH,
    AD_LIST_COUNT
};
void adfreetablelist(AdDrawing *dwg, int table);
void adfreeobjectlist(AdDrawing *dwg);
void adfreeclasslist(AdDrawing *dwg);

/* A block header as the drawing's list holds it: the fields of AdBlockheader
 * but its three texts, which follow the record in the same node: the name,
 * the external reference path and the description, each with its zero,
 * in textroom bytes. A drawing may hold tens of thousands of blocks, whose
 * public records (three 512-byte texts, nearly all zeros) would fill 1.7 KB
 * each; the public functions hand out and take the full record. */
struct AdBlkh {
    AdObjhandle ownerhandle, layouthandle, handle, xdicthandle;
    AdObjhandle blockentityhandle, endblkentityhandle;
    AdEntityList entitylist;
    double base[3];
    AdBlob *previewblob, *insertblob;
    AdBlob *xdblob;
    int32_t numreactors;
    AdBlob *reactorblob;
    int32_t previewbytes, numinserts;
    uint32_t textroom;
    int16_t xrefindex, insertunits;
    unsigned char flag, xrefblkisoverlaid, xrefunloaded, explodable, blockscaling, purgedflag;
};
#define AD_BLKH(node) ((AdBlkh *)LL_RECORD(node))
const char *adblkhname(const AdBlkh *b);
const char *adblkhxrefpath(const AdBlkh *b);
const char *adblkhdescription(const AdBlkh *b);
/* The full public record of a stored block header. */
void adblkhexpand(const AdBlkh *b, AdBlockheader *out);
/* Stores a block header (as addobjecttolistandindex does) in the drawing's
 * block-header list; the stored record, or null with the error set. */
AdBlkh *adstoreblockheader(AdDrawing *dwg, const AdBlockheader *b, int mode, LLNode *before);
/* Gives a stored block header the fields of rec (its handle unchanged),
 * moving it to a larger node when its texts no longer fit; the record, or
 * null with the error set (the old one kept). */
AdBlkh *adrestoreblockheader(AdDrawing *dwg, LLNode *n, const AdBlockheader *rec);

/* Table lists seen generically (AD_LIST_*). */
LLList *adtablelist(AdDrawing *dwg, int list);
size_t adtablerecsize(int list);
/* Stores a table record (a public one: AdLayer ... AdBlockheader) in its
 * list, as addobjecttolistandindex does; the stored record or null. */
void *adtablestore(AdDrawing *dwg, int list, const void *rec, int mode, LLNode *before);
const char *adtablename(int list, const void *rec);
unsigned char *adtablehandle(int list, void *rec);
/* The first record of the list with the name (ASCII case ignored), found
 * through the table's name index. */
LLNode *adtablefindnode(AdDrawing *dwg, int list, const char *name);
/* The handle of that record (8 zero bytes and 0 when there is none), read
 * from the index without touching the record. */
int adtablefindhandle(AdDrawing *dwg, int list, const char *name, unsigned char *handle);
/* Starts fetching the index slot a lookup of the name reads first, so that
 * a lookup made after the rest of a record has been read finds it cached. */
void adtableprefetch(AdDrawing *dwg, int list, const char *name);
/* Sizes the name index of a table for count more records at once, instead
 * of doubling it step by step as they come (a hint: nothing fails). */
void adtablereserve(AdDrawing *dwg, int list, long count);
/* Keeps the name index of a table list up to date when a record has been
 * linked into it (any other list is passed over). */
void adtablenodeadded(AdDrawing *dwg, LLList *list, LLNode *node);
/* To be called when names of a table's records were changed in place. */
void adtablenameschanged(AdDrawing *dwg, int list);

/* Record kinds of entity types: the fixed type numbers, and these for
 * class-defined kinds. */
enum { AD_EK_LWPLINE = 100, AD_EK_HATCH, AD_EK_IMAGE, AD_EK_OLE, AD_EK_RTEXT, AD_EK_ARCTEXT, AD_EK_PROXY };
/* The record kind of a class-defined entity type, by its class's DXF name;
 * AD_EK_PROXY for a class of no other kind or a type with no class. */
int adclasskind(AdDrawing *dwg, int16_t type);
/* The class number of a DXF name; for a kind this toolkit reads (LWPOLYLINE,
 * HATCH ..., XRECORD, LAYOUT ...) the class record is created when the
 * drawing has none (entity: 1 for an entity class). 0 for any other name
 * without a class, and when no class number is left. */
int16_t adclasstype(AdDrawing *dwg, const char *name, int entity);

typedef struct AdBytes AdBytes;
/* A growable byte buffer that becomes a blob whose chunks fit its size. */
struct AdBytes {
    unsigned char *p;
    size_t n, cap;
    int failed;
};
int adbytesput(AdBytes *b, const void *src, size_t n);
AdBlob *adbytesblob(AdBytes *b); /* null when empty or on failure; frees the buffer */
void adbytesfree(AdBytes *b);
/* The arena adbytesblob makes its blobs in (the drawing being loaded), or
 * null for the heap. */
void adsetblobarena(ZtArena *a);
ZtArena *adblobarena(void);

/* ---------------------------------------------------------------- drawing */

enum {
    AD_TBL_LTYPE,
    AD_TBL_LAYER,
    AD_TBL_STYLE,
    AD_TBL_VIEW,
    AD_TBL_VPORT,
    AD_TBL_APPID,
    AD_TBL_DIMSTYLE,
    AD_TBL_UCS,
    AD_TBL_BLOCK_RECORD,
    AD_TBL_COUNT
};

/* Where the DXF scan pass found things. */
typedef struct AdDxfScan {
    int64_t tablepos[AD_TBL_COUNT];
    int32_t tablecount[AD_TBL_COUNT];
    AdObjhandle tablecontrol[AD_TBL_COUNT];
    AdBlob *blockposblob;
    int32_t numblocks;
    AdBlob *vpentposblob;
    int32_t numvpents;
    int64_t entstart, entend, blockstart, classpos, objpos, mlstylepos;
    int32_t nummlstyles;
    /* scan progress */
    int64_t filelength, step, threshold;
    int16_t percent;
    int32_t counter;
} AdDxfScan;

typedef struct AdDxfLoad AdDxfLoad;       /* the DXF loaders' state (toolkit/dxf/dxf_int.h) */
typedef struct AdDwgLoad AdDwgLoad;       /* the DWG readers' state (toolkit/dwg/dwg_int.h) */
typedef struct AdClassIndex AdClassIndex; /* classes by name and number (objects.cpp) */
struct ShFont;                            /* a shape-font file (toolkit/sh/sh.h) */
struct ShBadName;                         /* a font name that could not be opened */
typedef struct AdNameIndex AdNameIndex;   /* table records by name (tables.cpp) */

struct AdDrawing {
    char filename[AD_FILENAME_LEN];
    ZtStream *stream;
    int16_t filetype; /* AD_FILE_* */
    int16_t version;  /* version index, -1 unknown */
    unsigned char isdxf;
    unsigned char prerelease;
    unsigned char invalidversion;
    unsigned char preloadmode;
    AdReaderTable *readers;
    AdHeader *header;
    void *userdata;
    AdObjhandle handseed;
    AdDrawing *xref[AD_MAX_XREFS];
    unsigned qualityflags;
    AdDxfScan scan;
    /* handle policy */
    unsigned char addhandles_ents, addhandles_tables;
    /* database */
    LLList *ltypes;
    LLList *layers;
    LLList *shapes;
    LLList *views;
    LLList *ucss;
    LLList *vports;
    LLList *regapps;
    LLList *dimstyles;
    LLList *vpenthdrs;
    LLList *blkhs;
    LLList *classes;
    LLList *objects;
    LLList *mspace;
    LLList *pspace;
    BtNode *btroot;
    BtNode *btfree;   /* nodes freed by deletions, linked through child[0] */
    ZtArena *btarena; /* memory of the handle tree's nodes */
    int16_t adpartclass, proxywrapperclass;
    AdObjhandle bylayerltype, byblockltype, continuousltype;
    AdObjhandle vpenthdrcontrol;
    void *xdresolve;                       /* extended data resolve record of the entity loader */
    void *blkhindex;                       /* block-header index list of old DWG files */
    AdObjhandle plotstyledict;             /* ACAD_PLOTSTYLENAME of AC1015 ASCII files */
    signed char bincodes;                  /* binary DXF group codes: 0 by version, 1 one byte, 2 two */
    ZtArena *entityarena;                  /* database memory of the entity and record nodes */
    AdDxfLoad *dxf;                        /* the DXF loaders' state while loading */
    AdDwgLoad *dwg;                        /* the DWG readers' state while loading */
    AdClassIndex *classindex;              /* built when first needed, dropped when the classes change */
    AdNameIndex *nameindex[AD_LIST_COUNT]; /* by AD_LIST_*: built when first needed */
    struct ShFont *shfonts;                /* font files opened for the drawing */
    struct ShBadName *shbadnames;
};

AdDrawing *adloadfilex(const char *path, unsigned char preloadmode, AdDrawing **out, int16_t add2000objects,
                       void *userdata);

/* Passes that follow the load steps. */
void setPlotstyleDicShadow(AdDrawing *dwg);
int adddefaultobjects(AdDrawing *dwg);
int addA2kDefaultObjects(AdDrawing *dwg);
int finalxdresolve(AdDrawing *dwg);
int fixViewportEnts(AdDrawing *dwg);
int resolveDimstyles(AdDrawing *dwg);
void localToUniversal(AdDrawing *dwg);

/* The extended-data resolve record (dwg->xdresolve, a blob): one entry per
 * application (kind 0) or layer (kind 1) name met in extended data: kind
 * byte, the blob that holds the item, the 32-bit position of the item's
 * 8-byte handle in it, and the name with its terminator. */
enum { AD_XDR_APP = 0, AD_XDR_LAYER = 1 };
int adaddxdresolve(AdDrawing *dwg, int kind, AdBlob *blob, int32_t pos, const char *name);
/* A blob of n bytes made in an arena (see blob.cpp). */
AdBlob *adblobinarena(ZtArena *a, const void *src, long n);
/* Overwrites n bytes of a blob at pos. */
int adBlobPatch(AdBlob *blob, long pos, const void *src, long n);

/* ---------------------------------------------------------------- state */

typedef struct AdInitEntry {
    uint16_t number;
    uint32_t value;
} AdInitEntry;

/* A code page's conversion table (toolkit/ad/codepage.cpp). */
typedef struct AdCodePageTable {
    uint16_t single[256]; /* Unicode of each byte; 0-127 ASCII */
    int32_t ndouble;      /* double-byte codes: */
    uint16_t *codes;      /* lead x 256 + trail, increasing */
    uint16_t *unicodes;   /* their Unicode values */
    int nleads;
    unsigned char leads[128]; /* distinct high bytes of the codes, increasing */
} AdCodePageTable;
void adfreecodepagetables(void);

typedef struct AdToolkitState {
    int16_t error;
    unsigned char loading; /* the stop flag: cleared by adStopLoading */
    /* callbacks */
    AdBadShapeFileFn badshapefile;
    AdExamineShapeFileFn examineshapefile;
    AdExamineTTFFn examinettf;
    AdWarningFn warning;
    AdCriticalErrorFn criticalerror;
    AdPercentFn dxfscanometer, loadometer, saveometer;
    AdExamineEntityLoadFn examineentityload;
    AdOpenInitFn openinit;
    AdReadInitCharFn readinitchar;
    AdReadInitCharsFn readinitchars;
    AdSeekInitFn seekinit;
    AdCloseInitFn closeinit;
    AdReaderTable dwgreaders, dxfreaders;
    /* the current pair of the DXF reader */
    uint16_t curcode;
    char *curstr;  /* AD_LINEBUF_SIZE + 1 bytes */
    size_t curlen; /* characters of the line read last (ASCII) */
    double curreal;
    int16_t curshort;
    int32_t curlong;
    AdObjhandle curhandle;
    int16_t curbinlen;
    unsigned char scratch[8];
    unsigned char bincode16; /* binary DXF uses 2-byte group codes */
    char *linebuf2;          /* the second line buffer */
    char *xdreadbuf;
    char *xdwritebuf;
    void *vmstate;       /* 10-byte state block of database memory */
    char names[12][512]; /* header names resolved after loading */
    AdObjhandle nullhandle, handle1a, handle1b;
    double epsilon, epsilonrad, big;
    const char *fmtint;
    const char *fmtreal;
    const char *fmtexp;
    /* options */
    unsigned char acceptr14beta, allowinvaliddxf, convertplines, forcelocale, processxdatacodepages,
        filtergiven;
    int16_t createmissingdimblks, forceaddinghandles, ignorebadvpentdata, ignorebadinsertblockhandles,
        adda2kextras, maxprer15namelength, exportcase, dxfwritecompleteness, handovermode;
    double pfbscale;
    char maccreator[5], macfiletype[5];
    unsigned char preloadfilter[32];
    /* init data */
    char *initfilename;
    uint32_t codepageoffset[AD_CP_TABLES];  /* 0xFFFFFFFF: no table */
    AdCodePageTable *cptable[AD_CP_TABLES]; /* loaded on first use */
    unsigned char cpunreadable[AD_CP_TABLES];
    int16_t acp; /* the current code page (adSetAcp) */
    AdInitEntry font1index[100];
    unsigned char font1data[4998];
    AdInitEntry font2index[103];
    unsigned char font2data[4832];
    int shfilesystem;            /* the built-in shape fonts are set up */
    struct ShFont *shbuiltin[2]; /* SIMPLEX.SHX and GDT.SHX */
    /* handle tree */
    BtCacheSlot btcache[BT_CACHE];
    AdObjhandle largesthandle; /* largest handle indexed while loading */
    AdObjhandle errorhandle;
    char errbuf[160]; /* adErrorStr's buffer for prefixed messages */
} AdToolkitState;

extern AdToolkitState *adin;

/* Names of the name buffers. */
enum {
    AD_NM_CELTYPE,
    AD_NM_CLAYER,
    AD_NM_CMLSTYLE,
    AD_NM_DIMSTYLE,
    AD_NM_DIMTXSTY,
    AD_NM_PUCSBASE,
    AD_NM_PUCSNAME,
    AD_NM_PUCSORTHOREF,
    AD_NM_TEXTSTYLE,
    AD_NM_UCSBASE,
    AD_NM_UCSNAME,
    AD_NM_UCSORTHOREF
};

void adseterror(int16_t code);
void adcriticalerror(int code); /* calls the critical-error callback when set */
void adloadometer(int16_t percent);

/* ---------------------------------------------------------------- numbers */

double frddouble(AdDrawing *dwg);
int32_t frdlong(AdDrawing *dwg);
int16_t frdshort(AdDrawing *dwg);
double btd(const unsigned char *b);
int32_t btl(const unsigned char *b);
int16_t bts(const unsigned char *b);
void buf22double(const unsigned char *b, double *out);
void buf23double(const unsigned char *b, double *out);
void double2buf(double v, unsigned char *b);
void double22buf(const double *v, unsigned char *b);
void double32buf(const double *v, unsigned char *b);
void long2buf(int32_t v, unsigned char *b);
void short2buf(int16_t v, unsigned char *b);
double adsanitizedouble(double v);
void reverseshort(unsigned char *b);
void reverselong(unsigned char *b);
void reversedouble(unsigned char *b);
int isunnormalizeddouble(const unsigned char *bigendian);
double zt_atof(const char *text);
double zt_atofn(const char *text, size_t n); /* text of n characters */
int32_t adatoln(const char *text, size_t n); /* adatol of n characters */
int32_t adatol(const char *text);            /* 64-bit parse saturated to 32 bits */
int16_t adatoi(const char *text);            /* decimal, truncated to 16 bits */
int adstricmp(const char *a, const char *b);

/* Memory-cursor readers of the binary file readers. */
extern const unsigned char *adincursor;
double rddouble(void);
void rd2double(double *out);
void rd3double(double *out);

#ifdef __cplusplus
}
#endif

#endif
