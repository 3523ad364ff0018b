/* Internals of the mapping layer: the mapping state shared by the walk, the
 * module globals, and the functions of the driver, the dispatch, the shared
 * entity machinery and the mappers.
 *
 * One parse at a time: everything here is process-wide and lives for one
 * dnfp_ParseFile call (the handle maps, the block list) or one toolkit
 * start-up (the record buffers, the style counter). Mappers return 0 or a
 * status code; an entity mapper int dnfp__Parse<Type>(db_ptr *out) sets *out
 * to the pointer of the entity it created (0 when none). */
#ifndef VYR_DNFP_DNFP_INT_H
#define VYR_DNFP_DNFP_INT_H

#include <math.h>
#include <stddef.h>
#include <stdint.h>

#include "dnfp/dnfp.h"
#include "kernel/ddf/dxfi_records.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "toolkit/ad/ad.h"

#ifdef __cplusplus
extern "C" {
#endif

/* An 8-byte toolkit handle, most significant byte first. */
typedef unsigned char handle8;

/* Radians to degrees in the order the mapping keeps: divided by pi, then
 * multiplied by 180. */
#define DNFP_DEGREES(radians) ((radians) / M_PI * 180.0)

/* Lengths of texts copied from the toolkit into fixed model fields. */
#define DNFP_NAME_MAX 255
#define DNFP_HANDLE_TEXT 20

/* The mapping state. The record buffers are allocated, zeroed, by the
 * toolkit start-up and freed by its shutdown. */
typedef struct DnfpState {
    AdDrawing *drawing;    /* the loaded drawing, or null */
    AdObjectHeader objhdr; /* filled by the object walk */
    AdObjectRecord objrec;
    AdEntityHeader *enthdr; /* the entity being mapped */
    AdEntityRecord *entrec;
    AdTableRecord *tblrec; /* table and block header records */
    AdXdataItem *xditem;   /* one extended data item */
    AdEntityList curlist;  /* the list the entity walk reads */
} DnfpState;

extern DnfpState dnfp_g;

/* Element of the block list: the block's pointer, its name and the handle
 * text of its block header (280 bytes). */
typedef struct DnfpBlockRecord {
    db_ptr block;
    char name[256];
    char handle[DNFP_HANDLE_TEXT];
} DnfpBlockRecord;

/* A map from a handle's number (its eight bytes as one big-endian word) to
 * a 32-bit value: the db_ptr a handle maps to, or a text style's number
 * (create.cpp). */
typedef struct DnfpHandleMap DnfpHandleMap;

/* The dimension style "UNNAMED" that dimensions without a style use. */
typedef struct DnfpUnnamedDimStyle {
    AdObjhandle handle;
    char name[AD_NAME_LEN];
} DnfpUnnamedDimStyle;

extern int dnfp__OnlyAcadXdata;
extern int dnfp__MultiPspaces;
extern DnfpEntityFn dnfp__DNFPFunc;
extern int dnfp__BlockFlag;
extern DnfpHandleMap *dnfp__EntPtrMap;
extern DnfpHandleMap *dnfp__HandStyleMap;
extern OlmList *dnfp__BlockList;
extern int dnfp__CurHandle;
extern int dnfp__CurStyle;
extern int dnfp__readentity_called;
extern AdPercentFn dnfp__PercentageParsed;
extern DnfpUnnamedDimStyle dnfp__UnnamedDimStyle;

/* The load step, adLoadFile unless a test replaces it. */
typedef AdDrawing *(*DnfpLoadFn)(const char *path, unsigned char preloadmode, int16_t add2000objects);
extern DnfpLoadFn dnfp__LoadFile;
/* Seconds the external converter may run before it is killed. */
extern int dnfp__ProcessorTimeLimit;

/* ---- driver (driver.cpp) */

int dnfp__StartToolkit(unsigned options);
int dnfp__StopToolkit(void);
/* Issues the pending toolkit error (if any) as KESTRANE_ERR, then clears it. */
void dnfp__ReportToolkitError(void);
/* Runs the external converter on `path` into the preprocessor file; returns
 * 0 when it converted (or, exit status 5, found nothing to convert: the
 * preprocessor name then names `path`), else -1 after a message that says
 * why. With `viewports` (a DWG file the toolkit has read) a converter that
 * fails leaves the preprocessor name at `path` too, without a message. */
int dnfp__RunProcessor(const char *path, int viewports);
/* The path of the converter program to start (malloc'd), or null when none
 * is found: `configured` as given when it holds a slash, else looked up on
 * PATH; without one, the default program beside the library, then on PATH
 * (processor.cpp). */
char *dnfp__FindProcessor(const char *configured);

/* The paper-space viewports of a DWG file: 1 when its paper space holds a
 * VIEWPORT; numbering of those without a number (1, 2, 3 in file order). */
int dnfp__HasPaperSpaceViewports(void);
void dnfp__NumberPaperSpaceViewports(void);

/* Init-data callbacks of the toolkit. */
int dnfp__OpenInitFile(const char *name);
int dnfp__CloseInitFile(void);
int dnfp__ReadCharFromInitFile(void);
int dnfp__ReadCharsFromInitFile(void *buffer, size_t size, size_t count);
int dnfp__SeekInitFile(long offset, int whence);

/* ---- dispatch (dispatch.cpp) */

int dnfp__DispatchSection(unsigned options);
int dnfp__DispatchTable(void);
int dnfp__DispatchEntity(unsigned options);
int dnfp__DispatchBlock(void);
int dnfp__DispatchObject(unsigned options);
int dnfp__DispatchClasses(unsigned options);
int dnfp__ResolveInsertBlockName(int option);
/* Drops the block names promised to inserts (blocks.cpp). */
void dnfp__ForgetInsertNames(void);
int dnfp__ReadEnts(AdEntityList list);
int dnfp__GetEntityData(db_ptr *out);
/* Forgets the kinds passed over (at the start of every parse). */
void dnfp__ResetPassedOver(void);

/* ---- shared machinery (create.cpp, subent.cpp) */

int dnfp__CreateEntity(int option, const handle8 *handle, const handle8 *owner, void *memory, db_ptr *out,
                       int *created);
int dnfp__GetPtrFromObjHandle(const handle8 *handle, db_ptr *out);
db_ptr dnfp__ObjHandleBeenCreated(const handle8 *handle);
int dnfp__GetStyleFromHandle(const handle8 *handle, int *style);
int dnfp__CompGrpIDs(const void *a, const void *b);
/* The handle maps: null when memory ran out. An entered key starts with the
 * value 0 (`*added` set); Enter returns null when the map cannot grow. */
DnfpHandleMap *dnfp__NewHandleMap(void);
void dnfp__FreeHandleMap(DnfpHandleMap *map);
size_t dnfp__HandleMapCount(const DnfpHandleMap *map);
uint32_t *dnfp__HandleMapEnter(DnfpHandleMap *map, uint64_t key, int *added);
const uint32_t *dnfp__HandleMapFind(const DnfpHandleMap *map, uint64_t key);
/* Starts fetching the slot where a lookup of `key` begins (map may be null). */
void dnfp__HandleMapPrefetch(const DnfpHandleMap *map, uint64_t key);
/* Makes room for `count` more keys at once, so that a map whose size is
 * known ahead is not built by doubling (each doubling enters every key
 * again in fresh memory); without memory the map keeps its size. */
void dnfp__ReserveHandleMap(DnfpHandleMap *map, size_t count);
/* The number of an 8-byte handle (0 for none). */
uint64_t dnfp__HandleNumber(const handle8 *handle);
int dnfp__MapSubent(dxfhdr *header);
/* Forgets the layer and linetype names dnfp__MapSubent remembers (at every
 * toolkit start-up). */
void dnfp__ForgetNames(void);
int dnfp__MapExtEntData(dxfxed *xed, void *owner, int table_entry);
int dnfp__ReadExtEntData(AdBlob *blob, dxfxed *xed, void *owner, int table_entry);
/* Handle text of an 8-byte handle (at least DNFP_HANDLE_TEXT bytes). */
void dnfp__HandleText(const handle8 *handle, char *text);
/* Copies at most DNFP_NAME_MAX characters of src into a field of `size`
 * bytes, terminated. */
void dnfp__CopyName(char *dest, size_t size, const char *src);
/* Ends an entity mapper: frees a record that was not created (or whose
 * mapping failed before creation), calls the callback for a created one and
 * unlocks it. Returns the first failure of `status` and its own steps. */
int dnfp__FinishEntity(int status, void *memory, db_ptr *out, int created, const char *file, int line);

/* ---- header and tables (header.cpp, tables.cpp) */

int dnfp__ParseHeader(void);
int dnfp__ParseLayerTable(void);
int dnfp__ParseTextStyleTable(void);
int dnfp__ParseLineTypeTable(void);
int dnfp__ParseViewTable(void);
int dnfp__ParseUCSTable(void);
int dnfp__ParseViewPortTable(void);
int dnfp__ParseApplicationTable(void);
int dnfp__ParseDimensionStyleTable(void);
int dnfp__CreateDimStyleFromHeader(void);
int dnfp__CreateBlockRecordTable(void);
/* The text of a code page number for dwgcodepage. */
const char *dnfp__CodePageName(int number, int version);

/* ---- curves and solids (curves.cpp, solids.cpp) */

int dnfp__ParseLine(db_ptr *out);
int dnfp__Parse3DLine(db_ptr *out);
int dnfp__ParsePoint(db_ptr *out);
int dnfp__ParseCircle(db_ptr *out);
int dnfp__ParseArc(db_ptr *out);
int dnfp__ParseEllipse(db_ptr *out);
int dnfp__ParseRay(db_ptr *out);
int dnfp__ParseXline(db_ptr *out);
int dnfp__ParseTrace(db_ptr *out);
int dnfp__ParseSolid(db_ptr *out);
int dnfp__Parse3DFace(db_ptr *out);
int dnfp__ParseShape(db_ptr *out);
int dnfp__ParseSpline(db_ptr *out);
int dnfp__ParseRegion(db_ptr *out);
int dnfp__ParseBody(db_ptr *out);
int dnfp__Parse3DSolid(db_ptr *out);

/* Reads the ACIS text lines of `blob` into the record (512-byte slots, a
 * line feed ending the last); *opened is 0 when the blob cannot be read. */
int dnfp__ReadAcisLines(dxf_3dsolid *solid, AdBlob *blob, int *opened);

/* ---- polylines (polylines.cpp) */

/* POLYLINE with the VERTEX entities that follow it (and reads ahead to the
 * first other entity, normally the SEQEND). */
int dnfp__ParsePolylineForms(db_ptr *out);
int dnfp__ParseVertex(db_ptr *out);
int dnfp__ParseLWPolyline(db_ptr *out);

/* ---- blocks, inserts and the blob entities (blocks.cpp, blobs.cpp) */

int dnfp__ParseBlock(void);
/* Appends the block record {block, name, handle text} to the block list;
 * in a DWG file the name carries the block's handle text as its bname does. */
int dnfp__DefineBlock(db_ptr block, const char *name, const handle8 *handle);
/* INSERT with the ATTRIB entities that follow it (reads ahead to the first
 * other entity, normally the SEQEND). */
int dnfp__ParseInsert(db_ptr *out);
int dnfp__ParseHatch(db_ptr *out);
int dnfp__ParseMline(db_ptr *out);
int dnfp__ParseViewPort(db_ptr *out);
int dnfp__ParseProxy(db_ptr *out);

/* ---- texts, attributes and dimensions (attributes.cpp, texts.cpp) */

int dnfp__ParseAttributeDefinition(db_ptr *out);
int dnfp__ParseAttributeInstance(db_ptr *out);
int dnfp__ParseText(db_ptr *out);
int dnfp__ParseMtext(db_ptr *out);
int dnfp__ParseDimension(db_ptr *out);
int dnfp__ParseLeader(db_ptr *out);
int dnfp__ParseTolerance(db_ptr *out);
int dnfp__ParseRtext(db_ptr *out);
int dnfp__ParseArctext(db_ptr *out);

/* ---- objects (objects.cpp); the mappers read the object header and
 * record of the mapping state */

int dnfp__ParseMainDictionaryObject(void);
int dnfp__ParseDictionaryObject(void);
int dnfp__ParseDictionarywdfltObj(void);
int dnfp__ParseGroupObject(void);
int dnfp__ParseMlineStyleObject(void);
int dnfp__ParseLayoutObject(void);
int dnfp__ParseUnsupportedObject(void);

#ifdef __cplusplus
}
#endif

#endif
