/* The public face of libVyrDxf2Cgm: a host creates a VyrDxf2Cgm and calls
 * Convert with the path of a DXF drawing and the path of the CGM picture to
 * write, and optionally the options of the picture (VyrDxf2CgmOptions.h);
 * afterwards GetZelResults tells how many elements of each kind were
 * converted.
 *
 * One conversion runs at a time per process: all converters share the
 * kernel's state and the class-wide tables below, and Convert takes a
 * process-wide mutex, so two threads calling it get two correct conversions
 * one after the other. The kernel's messages about a failed conversion go to
 * the message output routine that the host installs (mpm_SetOutputRoutine,
 * kernel/mpm/mpm.h); the library prints nothing by itself.
 *
 * The picture is written under a temporary name beside the picture's path
 * and takes that name only when complete: a failed conversion leaves an
 * older picture of that name as it was. A write failure (a full disk, a
 * closed stream) fails the conversion. */
#ifndef VYR_DXF2CGM_VYRDXF2CGM_H
#define VYR_DXF2CGM_VYRDXF2CGM_H

#include <stddef.h>
#include <stdint.h>

#include <functional>

#include "vyr_export.h"
#include "Dxf2Cgm/VyrDxf2CgmOptions.h"

class VyrDxfBlock;
class VyrDxfEntity;
class VyrDxfLayer;
class VyrDxfUCConverter;
class VyrListOfVyrDxfElem;
class VyrPrintGenerator;
class VyrPrintStream;

/* The counters of one conversion, 44 words. Words 4 to 22 count elements
 * made; the word 19 places further on counts, for the same kind, elements
 * whose allocation failed (word 33 instead counts inserts dropped for want
 * of their block). Word 0 is left alone by GetZelResults. */
struct ZelResults {
    uint32_t word[44];
};

enum ZelResultWord {
    ZelLayers = 1,
    ZelTextStyles = 3,
    ZelArcs = 4,
    ZelAttributes = 5,
    ZelCircles = 6,
    ZelDimensions = 7,
    ZelEllipses = 8,
    ZelLWPolylines = 9,
    ZelPolylines = 10,
    ZelSmoothedPolylines = 11,
    ZelGroups = 12,
    ZelInserts = 14,
    ZelLeaders = 15,
    ZelLines = 16,
    ZelMlines = 17,
    ZelMTexts = 18,
    ZelPoints = 19,
    ZelSolids = 20,
    ZelSplines = 21,
    ZelTexts = 22,
    ZelFailedOffset = 19, /* made word + 19: allocation failed */
    ZelInsertsDropped = 33,
    ZelOtherTables = 42,    /* table entities of other forms (parse callback) */
    ZelUnhandledTypes = 43, /* entities of types no element handles */
    ZelWordCount = 44
};

class VYR_EXPORT VyrDxf2Cgm {
public:
    VyrDxf2Cgm() = default;
    /* Releases the generator and the stream of an unfinished conversion and
     * deletes the class-wide tables, the root list and the converter. */
    ~VyrDxf2Cgm();
    VyrDxf2Cgm(const VyrDxf2Cgm &) = delete;
    VyrDxf2Cgm &operator=(const VyrDxf2Cgm &) = delete;

    /* Converts the drawing at dxfPath into a CGM picture at cgmPath: the
     * base picture, every option off. Returns 0 on success, -1 on failure
     * (null or empty path, unreadable drawing, any kernel error during the
     * conversion). */
    int Convert(const char *dxfPath, const char *cgmPath);
    /* The same with the picture shaped by `options`. */
    int Convert(const char *dxfPath, const char *cgmPath, const VyrDxf2CgmOptions &options);

    /* For a host's SIGINT or SIGTERM handler; async-signal-safe. Kills the
     * external converter of a running conversion with everything it
     * started and removes the conversion's temporary files and unfinished
     * picture. The host then ends the process (_exit). */
    static void CleanUpAfterSignal();

    /* Copies words 1 to 43 of the counters of the last conversion into
     * *results (word 0 untouched) and returns 0; 1 for a null argument.
     * Waits while a conversion runs in another thread. */
    int GetZelResults(ZelResults *results);
    /* Zeroes all 44 counters (after a running conversion). */
    void InitZelResults();
    /* The kinds of entity that the last conversion met and does not draw,
     * in the order first met: the DXF name of kind `index` (from 0), with
     * how many of it there were in *count (when count is not null); null
     * past the last kind. Objects, classes and tables are no entities. */
    const char *GetUndrawnKind(int index, uint32_t *count);
    /* Creates and deletes one object of each element class: 0, or 1 at the
     * first allocation that fails. */
    static int ZelComplete();

    /* Creates the CGM generator and opens the stream: 1 when the stream is
     * good afterwards, else 0. */
    int InitGenerator();

    /* The model walker: builds the drawing element of one model entity.
     * Top-level use (asChild 0) files the element under its table or the
     * root list and returns 0; child use returns the element (as an
     * integer), which the caller then owns, or 0. `layer` is used for groups
     * made as children, `block` is handed to the child's constructor. */
    static intptr_t dxfParse(unsigned long entity, int asChild, VyrDxfLayer *layer, VyrDxfBlock *block);

    /* The parse callback: sorts each entity the kernel creates into one of
     * the four collection lists. Always 1 (go on). */
    static int CollectModelEntity(uint32_t entity, void *memory);

    static VyrListOfVyrDxfElem *GetBlockTable() { return blockTable; }
    static void SetBlockTable(VyrListOfVyrDxfElem *table) { blockTable = table; }
    static VyrListOfVyrDxfElem *GetLayerTable() { return layerTable; }
    static VyrListOfVyrDxfElem *GetTextStyleTable() { return textStyleTable; }
    static VyrListOfVyrDxfElem *GetRootList() { return listOfRootEntity; }
    static VyrDxfUCConverter *GetUCConverter() { return _UCConverter; }

protected:
    /* The stages of Convert, in order; each is one or more of its steps. */

    /* Chooses the driver datum from "CGMV1" and creates the print stream for
     * cgmPath (nothing is opened yet). 0, or -1 without stream. */
    int CreateStream(const char *cgmPath);
    /* Refuses a picture path that is the drawing itself, creates the
     * temporary file the picture is written to (beside cgmPath) and the
     * stream for it. 0, or -1 with the failure recorded. */
    int OpenOutput(const char *dxfPath, const char *cgmPath);
    /* Releases the generator and the stream; with keep, a completely written
     * picture takes the place of cgmPath, otherwise the temporary file is
     * removed. 0, or -1 with a write failure recorded. */
    int CloseOutput(bool keep);
    /* Sets the element model number and starts an empty root list. */
    static void StartWalk(int model);
    /* Walks the collected layer tables, text-style tables and top-level
     * entities into elements, the root elements filed in the root list. */
    static void WalkCollectedEntities();
    /* Creates the generator, writes the picture of the root list and the
     * unwritten blocks, ends the picture. */
    void WritePicture(int model);
    /* Walks the collected tables, then writes the picture as WritePicture
     * does while walking the top-level entities: each root element is
     * built, written and deleted in turn, so no more than one is held at a
     * time (a fitted picture walks twice, measuring, then writing). The
     * root list stays empty. */
    void WalkAndWritePicture(int model);
    /* Releases the generator, closes and deletes the stream. */
    void ReleaseOutput();
    /* Frees the collection lists and deletes the layer, text-style and
     * block tables (the root list stays until the next conversion). */
    static void FreeConversionTables();

private:
    /* Where the root elements of a picture come from: the root list, a walk
     * of the collected entities, or a second walk of them. */
    enum class RootSource { kRootList, kWalk, kWalkAgain };
    /* Hands each root element of `source` to `write`, in drawing order;
     * the number of root elements. */
    static size_t ForEachRootElement(RootSource source, const std::function<void(VyrDxfEntity *)> &write);
    static void WalkTables();
    void WritePictureOf(int model, bool walk);
    /* Reads the code page and PDMODE from the model's drawing header. */
    static void ReadDrawingHeader(int model);
    static void ParseTable(uint32_t table, const void *record, int form, VyrDxfLayer *layer);
    static void ParseBlockDefinition(uint32_t entity, VyrDxfLayer *layer);

    VyrPrintGenerator *generator = nullptr;
    VyrPrintStream *stream = nullptr;

    static VyrListOfVyrDxfElem *blockTable;
    static VyrListOfVyrDxfElem *layerTable;
    static VyrListOfVyrDxfElem *textStyleTable;
    static VyrListOfVyrDxfElem *listOfRootEntity;
    static VyrDxfUCConverter *_UCConverter;
};

#endif
