/* The conversion driver and the model walker.
 *
 * Convert runs one conversion on the caller's thread: it creates the print
 * stream, starts the kernel, has it parse the drawing into a new model while
 * the parse callback sorts every created entity into four collection lists,
 * walks the tables into elements, then walks the top-level entities into
 * root elements (dxfParse), writing each through the CGM generator and
 * deleting it before the next is built, and tears everything down. A fitted
 * picture walks the entities twice: once to measure what is drawn, once to
 * write it. Block elements stay in the block table for the whole picture.
 * (The staged steps the tests drive, WalkCollectedEntities and
 * WritePicture, keep the root elements in the root list instead.)
 * The kernel is shut down and the model freed on every path, the failing
 * ones included, so each conversion starts from the same state.
 *
 * Class-wide state (the tables, the root list, the counters, the collection
 * lists, PDMODE) is shared by all converters; the conversion mutex keeps two
 * threads from using it at once. Invariants between conversions: no
 * generator, no stream, empty collection lists, no layer, text-style or
 * block table; the root list holds the last conversion's elements, which
 * refer to freed tables and are never written again. */
#include "Dxf2Cgm/VyrDxf2Cgm.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <string>

#include "Dxf2Cgm/VyrDxf3DFace.h"
#include "Dxf2Cgm/VyrDxfArc.h"
#include "Dxf2Cgm/VyrDxfAttribute.h"
#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxf2CgmMessages.h"
#include "Dxf2Cgm/VyrDxfCircle.h"
#include "Dxf2Cgm/VyrDxfDimension.h"
#include "Dxf2Cgm/VyrDxfEllipse.h"
#include "Dxf2Cgm/VyrDxfExtents.h"
#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfGroup.h"
#include "Dxf2Cgm/VyrDxfHatch.h"
#include "Dxf2Cgm/VyrDxfInsert.h"
#include "Dxf2Cgm/VyrDxfLWPolyline.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "Dxf2Cgm/VyrDxfLeader.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/VyrDxfLineTypeTable.h"
#include "Dxf2Cgm/VyrDxfMText.h"
#include "Dxf2Cgm/VyrDxfMline.h"
#include "Dxf2Cgm/VyrDxfPoint.h"
#include "Dxf2Cgm/VyrDxfPolyline.h"
#include "Dxf2Cgm/VyrDxfSmoothedPolyline.h"
#include "Dxf2Cgm/VyrDxfSolid.h"
#include "Dxf2Cgm/VyrDxfSpline.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfTextStyle.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"
#include "kernel/mda/mda.h"
#include "dnfp/dnfp.h"
#include "kernel/dxfi/dxfi.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx.h"
#include "kernel/ugn/ugn_int.h"
#include "platform/base/VyrEnvironment.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintCGMGenerator.h"
#include "platform/print/VyrPrintGenerator.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

int32_t PDMODE = 0;

VyrListOfVyrDxfElem *VyrDxf2Cgm::blockTable = nullptr;
VyrListOfVyrDxfElem *VyrDxf2Cgm::layerTable = nullptr;
VyrListOfVyrDxfElem *VyrDxf2Cgm::textStyleTable = nullptr;
VyrListOfVyrDxfElem *VyrDxf2Cgm::listOfRootEntity = nullptr;
VyrDxfUCConverter *VyrDxf2Cgm::_UCConverter = nullptr;

namespace {

/* The picture space of the base picture: a fixed square centred on the
 * model origin. */
const float kPictureMin = -16200.0f;
const float kPictureMax = 16200.0f;
const float kPictureSize = kPictureMax - kPictureMin;

/* A fitted picture is at least this wide and tall (drawing units). */
const double kMinFitSize = 1.0;
/* Header extents beyond this are unset or damaged. */
const double kMaxHeaderExtent = 1e15;

/* The drawing's own extents ($EXTMIN, $EXTMAX) when they are usable. */
struct HeaderExtents {
    bool valid = false;
    double min[2] = {0, 0};
    double max[2] = {0, 0};
} headerExtents;

std::mutex &ConversionMutex()
{
    static std::mutex mutex;
    return mutex;
}

uint32_t zelCounters[ZelWordCount];

/* The entity kinds met and not drawn, in the order first met. */
struct UndrawnKind {
    int32_t type;
    uint32_t count;
};
constexpr int kUndrawnKinds = 64;
UndrawnKind undrawnKinds[kUndrawnKinds];
int undrawnKindCount = 0;

/* Hatches made; they have no word of the results. */
uint32_t hatchesMade = 0;

void ResetCounters()
{
    std::memset(zelCounters, 0, sizeof zelCounters);
    undrawnKindCount = 0;
    hatchesMade = 0;
}

/* The DXF name of an entity type of the model, or null for a type that is
 * no entity (header, tables, objects, classes). */
const char *EntityKindName(int32_t type)
{
    static const struct {
        int32_t type;
        const char *name;
    } kNames[] = {{300, "LINE"},      {301, "POINT"},
                  {302, "CIRCLE"},    {303, "ARC"},
                  {304, "TRACE"},     {305, "SOLID"},
                  {306, "TEXT"},      {307, "SHAPE"},
                  {308, "INSERT"},    {309, "POLYLINE"},
                  {310, "3DLINE"},    {311, "3DFACE"},
                  {312, "DIMENSION"}, {313, "ELLIPSE"},
                  {314, "LEADER"},    {315, "MLINE"},
                  {316, "MTEXT"},     {317, "OLEFRAME"},
                  {318, "RAY"},       {319, "XLINE"},
                  {320, "SPLINE"},    {321, "TOLERANCE"},
                  {322, "3DSOLID"},   {323, "BODY"},
                  {324, "REGION"},    {334, "LWPOLYLINE"},
                  {335, "HATCH"},     {336, "ARCALIGNEDTEXT"},
                  {337, "RTEXT"},     {400, "ATTDEF"},
                  {500, "ATTRIB"},    {600, "VERTEX"},
                  {700, "VIEWPORT"},  {10002, "ACAD_PROXY_ENTITY"}};
    for (const auto &k : kNames)
        if (k.type == type) return k.name;
    /* The polyline kinds of the mapping (2D, 3D, meshes ...). */
    if (type >= 325 && type <= 333) return "POLYLINE";
    return nullptr;
}

/* Notes one entity of a type that no element draws. */
void NoteUndrawn(int32_t type)
{
    if (!EntityKindName(type)) return;
    for (int i = 0; i < undrawnKindCount; ++i)
        if (undrawnKinds[i].type == type) {
            undrawnKinds[i].count++;
            return;
        }
    if (undrawnKindCount < kUndrawnKinds) undrawnKinds[undrawnKindCount++] = {type, 1};
}

/* True when the conversion made at least one element that draws. */
bool AnythingDrawn()
{
    for (int word = ZelArcs; word <= ZelTexts; ++word)
        if (zelCounters[word] != 0) return true;
    return hatchesMade != 0;
}

/* The picture file of the running conversion. A picture is written under a
 * new temporary name in the folder of its path and renamed to it once
 * complete, so a failed or stopped conversion never leaves a half-written
 * picture there nor destroys an older one; a path that names something
 * other than a regular file (a device, a pipe) is written directly. */
struct OutputFile {
    std::string target;  /* the host's path */
    std::string written; /* the path the stream writes */
    bool temporary = false;
};
OutputFile output;

/* Records an output failure of the picture at `path`. */
void OutputError(int code, const std::string &path, int error)
{
    mpm__SetError(0, code, MPM_ERROR, path.c_str(), std::strerror(error ? error : EIO));
}

/* A new temporary file beside `target`, named after it; its mode is that of
 * an existing target, else the one a new file gets. 0, or -1 with the
 * failure recorded. */
int CreateTemporaryOutput(const std::string &target, const struct stat *existing)
{
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    /* ".<name>.<random>": hidden, and short enough for any file system. */
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.size() > 200) name.resize(200);
    for (int attempt = 0; attempt < 16; ++attempt) {
        char part[8];
        ugn__RandomPart(part, 6);
        const std::string path = folder + "." + name + "." + part;
        /* Registered first, so that a stop by signal removes it whenever
         * it exists. */
        const bool tracked = ugn_TrackFile(path.c_str()) == 0;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            if (tracked) ugn_UntrackFile(path.c_str());
            if (error == EEXIST) continue;
            OutputError(CGM_OUTPUT_OPEN, target, error);
            return -1;
        }
        if (existing) (void)::fchmod(fd, existing->st_mode & 07777);
        ::close(fd);
        output.written = path;
        output.temporary = true;
        return 0;
    }
    OutputError(CGM_OUTPUT_OPEN, target, EEXIST);
    return -1;
}

/* A collection list: the entity pointers in the order collected, in blocks
 * of 4-byte pointers (a million entities take 4 MB, not a node each). An
 * entity is left out when no block can be had. */
class MdaPtrList {
public:
    void Append(db_ptr entity)
    {
        if (!tail || tail->used == Block::kSize) {
            Block *block = new (std::nothrow) Block;
            if (!block) return;
            (tail ? tail->next : head) = block;
            tail = block;
        }
        tail->items[tail->used++] = entity;
    }
    template <class Fn> void ForEach(Fn fn) const
    {
        for (const Block *block = head; block; block = block->next)
            for (uint32_t i = 0; i < block->used; ++i) fn(block->items[i]);
    }
    void Free()
    {
        while (head) {
            Block *next = head->next;
            delete head;
            head = next;
        }
        tail = nullptr;
    }

private:
    struct Block {
        static constexpr uint32_t kSize = 16380;
        Block *next = nullptr;
        uint32_t used = 0;
        db_ptr items[kSize];
    };
    Block *head = nullptr;
    Block *tail = nullptr;
};

MdaPtrList listOfLayerTableMDA_PTR;
MdaPtrList listOfTextStyleTableMDA_PTR;
MdaPtrList listOfLineTypeTableMDA_PTR;
MdaPtrList listOfBlockTableMDA_PTR;
MdaPtrList listOfMDA_PTR;

void FreeCollectionLists()
{
    listOfLayerTableMDA_PTR.Free();
    listOfBlockTableMDA_PTR.Free();
    listOfTextStyleTableMDA_PTR.Free();
    listOfLineTypeTableMDA_PTR.Free();
    listOfMDA_PTR.Free();
}

/* True for a collected entity the walk builds a root element of. Entities
 * owned by a block definition are reached through the inserts of their
 * block, attribute values through their insert; groups owned by a block are
 * written all the same. */
bool IsWalkedAtTop(db_ptr entity)
{
    auto ownedBy = [entity](mda_tf tf) { return mda_HasParentOfTF(entity, tf) != 0; };
    int32_t type = 0;
    int32_t form = 0;
    mda_ReadTypeForm(entity, &type, &form);
    if (type == 500 && (ownedBy(MDA_TF(308, 0)) || ownedBy(MDA_TF(308, 1)))) return false;
    return type == 801 || !ownedBy(MDA_TF(200, 0));
}

/* While set, the walker hands a root element back to its caller instead of
 * filing it in the root list. */
bool handRootsBack = false;

/* What a walk counts: the results, the kinds not drawn, the hatches. */
struct WalkResults {
    uint32_t counters[ZelWordCount] = {};
    UndrawnKind undrawn[kUndrawnKinds] = {};
    int undrawnCount = 0;
    uint32_t hatches = 0;
};

WalkResults SaveWalkResults()
{
    WalkResults saved;
    std::memcpy(saved.counters, zelCounters, sizeof zelCounters);
    std::memcpy(saved.undrawn, undrawnKinds, sizeof undrawnKinds);
    saved.undrawnCount = undrawnKindCount;
    saved.hatches = hatchesMade;
    return saved;
}

void RestoreWalkResults(const WalkResults &saved)
{
    std::memcpy(zelCounters, saved.counters, sizeof zelCounters);
    std::memcpy(undrawnKinds, saved.undrawn, sizeof undrawnKinds);
    undrawnKindCount = saved.undrawnCount;
    hatchesMade = saved.hatches;
}

/* The options a host gave, reading only the members that lie within the
 * size it declared; the others stay off. */
VyrDxf2CgmOptions KnownOptions(const VyrDxf2CgmOptions &given)
{
    VyrDxf2CgmOptions known;
    const size_t size = given.size;
    auto within = [size](size_t offset, size_t length) { return offset + length <= size; };
    if (within(offsetof(VyrDxf2CgmOptions, fit), sizeof given.fit)) known.fit = given.fit;
    if (within(offsetof(VyrDxf2CgmOptions, visibleLayersOnly), sizeof given.visibleLayersOnly))
        known.visibleLayersOnly = given.visibleLayersOnly;
    if (within(offsetof(VyrDxf2CgmOptions, drawingLineTypes), sizeof given.drawingLineTypes))
        known.drawingLineTypes = given.drawingLineTypes;
    if (within(offsetof(VyrDxf2CgmOptions, filledAreas), sizeof given.filledAreas))
        known.filledAreas = given.filledAreas;
    if (within(offsetof(VyrDxf2CgmOptions, nurbsElement), sizeof given.nurbsElement))
        known.nurbsElement = given.nurbsElement;
    if (within(offsetof(VyrDxf2CgmOptions, pageAspect), sizeof given.pageAspect) &&
        std::isfinite(given.pageAspect) && given.pageAspect > 0.0f)
        known.pageAspect = given.pageAspect;
    return known;
}

/* Builds one element of a drawable kind, counting it as made or failed. */
template <class Element> Element *Make(db_ptr entity, VyrDxfLayer *layer, VyrDxfBlock *block, int madeWord)
{
    Element *element = new (std::nothrow) Element(entity, layer, block);
    zelCounters[element ? madeWord : madeWord + ZelFailedOffset]++;
    return element;
}

/* Appends to a class-wide list, creating it first; deletes the element when
 * it cannot be kept. */
void AppendOwned(VyrListOfVyrDxfElem *&list, VyrDxfElement *element)
{
    if (!element) return;
    if (!list) list = new (std::nothrow) VyrListOfVyrDxfElem();
    if (!list || list->AddElement(element) != 0) delete element;
}

/* The db_ptr entries of a table entity (every table form has the same
 * layout: entry count and entry array). */
template <class Table> const db_ptr *TableEntries(const void *record, int &count)
{
    const Table *table = static_cast<const Table *>(record);
    count = table->num_entries;
    const db_ptr *entries = VyrDxfDeref<db_ptr>(table->table_data);
    if (!entries || count < 0) count = 0;
    return entries;
}

} // namespace

VyrDxf2Cgm::~VyrDxf2Cgm()
{
    std::lock_guard<std::mutex> hold(ConversionMutex());
    ReleaseOutput();
    delete blockTable;
    blockTable = nullptr;
    delete layerTable;
    layerTable = nullptr;
    delete textStyleTable;
    textStyleTable = nullptr;
    delete listOfRootEntity;
    listOfRootEntity = nullptr;
    delete _UCConverter;
    _UCConverter = nullptr;
}

void VyrDxf2Cgm::CleanUpAfterSignal() { ugn_CleanUpAfterSignal(); }

int VyrDxf2Cgm::GetZelResults(ZelResults *results)
{
    if (!results) return 1;
    std::lock_guard<std::mutex> hold(ConversionMutex());
    for (int i = 1; i < ZelWordCount; ++i) results->word[i] = zelCounters[i];
    return 0;
}

void VyrDxf2Cgm::InitZelResults()
{
    std::lock_guard<std::mutex> hold(ConversionMutex());
    ResetCounters();
}

const char *VyrDxf2Cgm::GetUndrawnKind(int index, uint32_t *count)
{
    std::lock_guard<std::mutex> hold(ConversionMutex());
    if (index < 0) return nullptr;
    /* First the kinds that the mapping passed over, then those that reached
     * the model and have no element. */
    int mapped = 0;
    while (dnfp_GetPassedOverKind(mapped, nullptr)) ++mapped;
    if (index < mapped) return dnfp_GetPassedOverKind(index, count);
    index -= mapped;
    if (index >= undrawnKindCount) return nullptr;
    if (count) *count = undrawnKinds[index].count;
    return EntityKindName(undrawnKinds[index].type);
}

namespace {

template <class Object> bool MakeAndDelete()
{
    Object *object = new (std::nothrow) Object();
    delete object;
    return object != nullptr;
}

} // namespace

int VyrDxf2Cgm::ZelComplete()
{
    std::lock_guard<std::mutex> hold(ConversionMutex());
    const bool complete =
        MakeAndDelete<VyrDxfArc>() && MakeAndDelete<VyrDxfAttribute>() &&
        MakeAndDelete<VyrDxfAttributesConverter>() && MakeAndDelete<VyrDxfBlock>() &&
        MakeAndDelete<VyrDxfCircle>() && MakeAndDelete<VyrDxfDimension>() && MakeAndDelete<VyrDxfEllipse>() &&
        MakeAndDelete<VyrDxfEntHeader>() && MakeAndDelete<VyrDxfGroup>() && MakeAndDelete<VyrDxfInsert>() &&
        MakeAndDelete<VyrDxfLWPolyline>() && MakeAndDelete<VyrDxfLayer>() && MakeAndDelete<VyrDxfLeader>() &&
        MakeAndDelete<VyrDxfLine>() && MakeAndDelete<VyrDxfMText>() && MakeAndDelete<VyrDxfMline>() &&
        MakeAndDelete<VyrDxfPoint>() && MakeAndDelete<VyrDxfPolyline>() &&
        MakeAndDelete<VyrDxfSmoothedPolyline>() && MakeAndDelete<VyrDxfSolid>() &&
        MakeAndDelete<VyrDxfSpline>() && MakeAndDelete<VyrDxfText>() && MakeAndDelete<VyrDxfTextStyle>();
    return complete ? 0 : 1;
}

int VyrDxf2Cgm::CollectModelEntity(uint32_t entity, void *)
{
    int32_t type = 0;
    int32_t form = 0;
    mda_ReadTypeForm(entity, &type, &form);
    if (type != 100) {
        listOfMDA_PTR.Append(entity);
    } else if (form == 10) {
        listOfBlockTableMDA_PTR.Append(entity);
    } else if (form == 2) {
        listOfLayerTableMDA_PTR.Append(entity);
    } else if (form == 3) {
        listOfTextStyleTableMDA_PTR.Append(entity);
    } else {
        /* Line types are read for the drawing's own patterns; they stay
         * counted with the other tables. */
        if (form == 1) listOfLineTypeTableMDA_PTR.Append(entity);
        zelCounters[ZelOtherTables]++;
    }
    return 1;
}

/* ---- the conversion ---------------------------------------------------- */

int VyrDxf2Cgm::Convert(const char *dxfPath, const char *cgmPath)
{
    return Convert(dxfPath, cgmPath, VyrDxf2CgmOptions());
}

int VyrDxf2Cgm::Convert(const char *dxfPath, const char *cgmPath, const VyrDxf2CgmOptions &options)
{
    if (!dxfPath || !*dxfPath || !cgmPath || !*cgmPath) return -1;
    std::lock_guard<std::mutex> hold(ConversionMutex());
    VyrDxfEntity::SetOptions(KnownOptions(options));

    ResetCounters();
    generator = nullptr;
    PDMODE = 0;
    VyrDxfEntity::SetFillMode(1);
    VyrDxfEntity::SetLineTypeScale(1.0);
    headerExtents = HeaderExtents();

    pdx_Initialize();
    dxfi_Initialize();
    VyrDxf2CgmRegisterMessages();
    mpm__Option |= MPM_OPT_DUMP_ALL;

    bool failed = OpenOutput(dxfPath, cgmPath) != 0;
    int model = 0;
    if (!failed) {
        MdaModelInfo defaults;
        mda_GetModelDefaults(0, &defaults);
        dxfi_InitModelInfo(0, &defaults);
        defaults.backptrs = 1;
        if (mda_AllocateModel(0, &defaults, &model) != 0 || model == 0) {
            /* The model did not take over the format data. */
            std::free(defaults.format_data);
            model = 0;
            failed = true;
        }
    }

    if (!failed) {
        StartWalk(model);
        const int status = dxfi_ParseFile(0x200, model, dxfPath, CollectModelEntity);
        if (status != 0) {
            /* The reader has issued its messages or left them on the stack,
             * formatted with their arguments; the failure itself is
             * reported once more in the drawing's name. */
            mpm_DumpStack(MPM_OPT_DUMP_ALL);
            mpm__IssueError(0, CGM_READ_FAILED, MPM_ERROR, dxfPath);
            failed = true;
        } else {
            WalkAndWritePicture(model);
            /* Not a failure: an empty picture is what the drawing holds. */
            if (!AnythingDrawn()) mpm__SetError(0, CGM_NOTHING_DRAWN, MPM_WARNING, dxfPath);
        }
    }
    /* Errors recorded and not yet issued fail the conversion; warnings alone
     * do not. */
    if (mpm__LastError != 0 && mpm_StackHoldsError()) failed = true;
    if (CloseOutput(!failed) != 0) failed = true;
    FreeConversionTables();

    if (mpm__LastError != 0) mpm_DumpStack(0);
    dxfi_Terminate();
    if (model) mda_FreeModel(0, model);
    pdx_Terminate();
    return failed ? -1 : 0;
}

int VyrDxf2Cgm::OpenOutput(const char *dxfPath, const char *cgmPath)
{
    output = OutputFile();
    output.target = cgmPath;
    struct stat target;
    const bool exists = ::stat(cgmPath, &target) == 0;
    struct stat input;
    if (exists && ::stat(dxfPath, &input) == 0 && input.st_dev == target.st_dev &&
        input.st_ino == target.st_ino) {
        mpm__SetError(0, CGM_SAME_FILE, MPM_ERROR, cgmPath, dxfPath);
        return -1;
    }
    if (exists && !S_ISREG(target.st_mode)) {
        output.written = cgmPath;
    } else if (CreateTemporaryOutput(output.target, exists ? &target : nullptr) != 0) {
        return -1;
    }
    if (CreateStream(output.written.c_str()) == 0) return 0;
    mpm__SetError(0, CGM_OUTPUT_OPEN, MPM_ERROR, cgmPath, std::strerror(ENOMEM));
    if (output.temporary) ::unlink(output.written.c_str());
    ugn_UntrackFile(output.written.c_str());
    output = OutputFile();
    return -1;
}

int VyrDxf2Cgm::CloseOutput(bool keep)
{
    /* The generator writes what it still holds when released, the stream
     * when closed. */
    if (generator) {
        generator->Release();
        generator = nullptr;
    }
    if (stream) stream->Close();
    const int error = stream && stream->HasFailed() ? stream->FailureErrno() : 0;
    const bool written = stream && !stream->HasFailed();
    ReleaseOutput();
    int result = 0;
    if (keep && !written && !output.written.empty()) {
        OutputError(CGM_OUTPUT_WRITE, output.target, error);
        result = -1;
        keep = false;
    }
    if (output.temporary) {
        if (keep && ::rename(output.written.c_str(), output.target.c_str()) != 0) {
            OutputError(CGM_OUTPUT_WRITE, output.target, errno);
            result = -1;
            keep = false;
        }
        if (!keep) ::unlink(output.written.c_str());
        ugn_UntrackFile(output.written.c_str());
    }
    output = OutputFile();
    return result;
}

int VyrDxf2Cgm::CreateStream(const char *cgmPath)
{
    ReleaseOutput();
    const char *datum = VyrGetEnv("CGMV1") ? "Morvel V4" : "V3";
    stream = new (std::nothrow) VyrPrintStream(VyrUnicodeString(cgmPath), "CGM", datum);
    return stream ? 0 : -1;
}

void VyrDxf2Cgm::StartWalk(int model)
{
    VyrDxfElement::SetModel(model);
    delete listOfRootEntity;
    listOfRootEntity = new (std::nothrow) VyrListOfVyrDxfElem();
}

void VyrDxf2Cgm::WalkTables()
{
    auto parse = [](db_ptr entity) { dxfParse(entity, 0, nullptr, nullptr); };
    listOfLayerTableMDA_PTR.ForEach(parse);
    listOfLineTypeTableMDA_PTR.ForEach([](db_ptr entity) { VyrDxfLineTypeTable::AddTable(entity); });
    listOfTextStyleTableMDA_PTR.ForEach(parse);
}

void VyrDxf2Cgm::WalkCollectedEntities()
{
    WalkTables();
    listOfMDA_PTR.ForEach([](db_ptr entity) {
        if (IsWalkedAtTop(entity)) dxfParse(entity, 0, nullptr, nullptr);
    });
}

size_t VyrDxf2Cgm::ForEachRootElement(RootSource source, const std::function<void(VyrDxfEntity *)> &write)
{
    size_t count = 0;
    if (source == RootSource::kRootList) {
        if (!listOfRootEntity) return 0;
        for (listOfRootEntity->Init(); listOfRootEntity->More(); listOfRootEntity->Next()) {
            ++count;
            if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(listOfRootEntity->Value()))
                write(element);
        }
        return count;
    }
    /* A second walk builds the same elements again: the results and the
     * warnings of their building belong to the first. */
    const bool again = source == RootSource::kWalkAgain;
    const WalkResults first = again ? SaveWalkResults() : WalkResults();
    handRootsBack = true;
    listOfMDA_PTR.ForEach([&](db_ptr entity) {
        if (!IsWalkedAtTop(entity)) return;
        VyrDxfEntity::SetRebuilding(again);
        VyrDxfEntity *element = static_cast<VyrDxfEntity *>(
            reinterpret_cast<VyrDxfElement *>(dxfParse(entity, 0, nullptr, nullptr)));
        VyrDxfEntity::SetRebuilding(false);
        if (!element) return;
        ++count;
        write(element);
        delete element;
    });
    handRootsBack = false;
    if (again) RestoreWalkResults(first);
    return count;
}

int VyrDxf2Cgm::InitGenerator()
{
    VyrPrintGenerator *created = static_cast<VyrPrintGenerator *>(
        VyrCreateExternalObject("VyrPrintCGMGenerator", nullptr, "VyrPrtDriverCGM", nullptr));
    if (!created) return 0;
    if (!stream) {
        created->Release();
        return 0;
    }
    /* The metafile's own NURBS element is the CGM generator's option. */
    if (VyrPrintCGMGenerator *cgm = dynamic_cast<VyrPrintCGMGenerator *>(created))
        cgm->SetNurbsElement(VyrDxfEntity::GetOptions().nurbsElement);
    created->SetStream(stream);
    generator = created;
    stream->OpenWrite();
    return stream->IsGood() ? 1 : 0;
}

void VyrDxf2Cgm::ReadDrawingHeader(int model)
{
    /* The header entity is the first (and only) entity of its type. */
    MdaModelInfo info;
    if (model <= 0 || mda_GetModelInfo(model, &info) != 0 || !info.entlist ||
        info.entlist->ntfi <= DXFI_TFI_dxf_header)
        return;
    const db_ptr header = info.entlist->first[DXFI_TFI_dxf_header];
    void *memory = nullptr;
    if (header == MDA_NULL_PTR || mda_LockEntity(0, header, &memory) != 0) return;
    const dxf_header *rec = static_cast<const dxf_header *>(memory);
    if (rec && MDA_TF_TYPE(rec->hdr.tf) == 1) {
        char codePage[sizeof rec->dwgcodepage + 1];
        VyrDxfCopyField(codePage, sizeof codePage, rec->dwgcodepage, sizeof rec->dwgcodepage);
        delete _UCConverter;
        _UCConverter = new (std::nothrow) VyrDxfUCConverter();
        if (_UCConverter) _UCConverter->SetCodePage(codePage);
        PDMODE = rec->pdmode;
        VyrDxfEntity::SetFillMode(rec->fillmode);
        VyrDxfEntity::SetLineTypeScale(rec->ltscale);
        bool usable = true;
        for (int i = 0; i < 2; ++i)
            usable = usable && std::isfinite(rec->extmin[i]) && std::isfinite(rec->extmax[i]) &&
                     rec->extmin[i] <= rec->extmax[i] && std::fabs(rec->extmin[i]) < kMaxHeaderExtent &&
                     std::fabs(rec->extmax[i]) < kMaxHeaderExtent;
        headerExtents.valid = usable;
        for (int i = 0; i < 2 && usable; ++i) {
            headerExtents.min[i] = rec->extmin[i];
            headerExtents.max[i] = rec->extmax[i];
        }
    }
    mda_UnlockEntity(1, header);
}

void VyrDxf2Cgm::WritePicture(int model) { WritePictureOf(model, false); }

void VyrDxf2Cgm::WalkAndWritePicture(int model)
{
    WalkTables();
    WritePictureOf(model, true);
}

void VyrDxf2Cgm::WritePictureOf(int model, bool walk)
{
    const RootSource source = walk ? RootSource::kWalk : RootSource::kRootList;
    if (!InitGenerator() || !generator) {
        /* Nothing is written; a walk still builds (and counts) the elements. */
        if (walk) ForEachRootElement(source, [](VyrDxfEntity *) {});
        return;
    }
    ReadDrawingHeader(model);

    /* Writes the root elements and the unwritten blocks; `first` runs
     * before the first root element. The number of root elements. */
    auto writeAll = [](RootSource from, VyrPrintGenerator *to, VyrMathTransformation2D *placement,
                       const std::function<void()> &first) {
        VyrDxfEntity::ResetAttributeCache();
        VyrDxfInsert::ResetCopyBudget();
        bool started = false;
        const size_t count = ForEachRootElement(from, [&](VyrDxfEntity *element) {
            if (!started) first();
            started = true;
            if (!element->IsLeftOut()) element->Write(to, placement);
        });
        if (count != 0 && blockTable) {
            for (blockTable->Init(); blockTable->More(); blockTable->Next()) {
                VyrDxfBlock *block = static_cast<VyrDxfBlock *>(blockTable->Value());
                if (block && !block->IsAlreadyTranscripted()) block->Write(to, placement);
            }
        }
        return count;
    };
    const std::function<void()> nothing = []() {};

    /* The base picture is the fixed page around the origin. A fitted one is
     * the box of what is drawn (the drawing's own extents when nothing is),
     * and one translation moves that box's corner to the origin, so the
     * 32-bit reals of the metafile keep their precision far from it. */
    VyrMathTransformation2D identity(VyrMathO2D, 1.0, VyrMathScaling);
    VyrMathTransformation2D placement = identity;
    float width = kPictureSize, height = kPictureSize;
    float originX = -kPictureMin, originY = -kPictureMin;
    const bool fit = VyrDxfEntity::GetOptions().fit;
    if (fit) {
        VyrDxfExtents drawn;
        if (writeAll(source, &drawn, &identity, nothing) == 0) return;
        double min[2], max[2];
        bool known = !drawn.IsEmpty();
        if (known) {
            min[0] = drawn.GetMinX();
            min[1] = drawn.GetMinY();
            max[0] = drawn.GetMaxX();
            max[1] = drawn.GetMaxY();
        } else if (headerExtents.valid) {
            known = true;
            for (int i = 0; i < 2; ++i) {
                min[i] = headerExtents.min[i];
                max[i] = headerExtents.max[i];
            }
        }
        if (known) {
            for (int i = 0; i < 2; ++i) {
                if (max[i] - min[i] < kMinFitSize) {
                    const double centre = (min[i] + max[i]) / 2;
                    min[i] = centre - kMinFitSize / 2;
                    max[i] = centre + kMinFitSize / 2;
                }
            }
            placement = VyrMathTransformation2D(VyrMathVector2D(-min[0], -min[1]));
            width = static_cast<float>(max[0] - min[0]);
            height = static_cast<float>(max[1] - min[1]);
            originX = originY = 0.0f;
        }
    }
    const float aspect = VyrDxfEntity::GetOptions().pageAspect;
    if (aspect > 0.0f) {
        if (width < aspect * height) {
            originX += (aspect * height - width) / 2;
            width = aspect * height;
        } else if (width > aspect * height) {
            originY += (width / aspect - height) / 2;
            height = width / aspect;
        }
    }

    VyrPrintGenerator *to = generator;
    auto setUp = [&]() {
        to->SetExtent(width, height);
        VyrPrintParameters parameters;
        parameters.SetScale(1.0f);
        parameters.SetMargins(0.0f, 0.0f, 0.0f, 0.0f);
        parameters.SetPosition(width * 0.5f - originX, height * 0.5f - originY);
        parameters.GetCurrentForm()->SetSize(width, height, static_cast<VyrPrintUnit>(0));
        to->SetParameters(parameters);
        to->SetViewport(0.0f, 0.0f, width, height);
        to->SetOrigin(originX, originY);

        for (int index = 1; index <= VyrDxfAttributesConverter::kColorCount; ++index) {
            double rgb[3];
            VyrDxfAttributesConverter::BuildFromACI(index, rgb);
            to->DefineColor(index, static_cast<float>(rgb[0] / 255.0), static_cast<float>(rgb[1] / 255.0),
                            static_cast<float>(rgb[2] / 255.0));
        }

        to->SetLineWidth(0.13f);
        to->SetLineType(0, 0, 0);
        to->SetColor(7);
        to->SetFillColor(7);
    };
    /* A fitted picture knows it has elements and walks them a second time;
     * otherwise the picture is set up at its first element, and a drawing
     * without any has no picture. */
    if (fit) {
        setUp();
        writeAll(walk ? RootSource::kWalkAgain : source, to, &placement, nothing);
    } else if (writeAll(source, to, &placement, setUp) == 0) {
        return;
    }
    to->EndPicture();
}

void VyrDxf2Cgm::ReleaseOutput()
{
    if (generator) {
        generator->Release();
        generator = nullptr;
    }
    if (stream) {
        stream->Close();
        delete stream;
        stream = nullptr;
    }
}

void VyrDxf2Cgm::FreeConversionTables()
{
    VyrDxfLineTypeTable::Clear();
    FreeCollectionLists();
    delete blockTable;
    blockTable = nullptr;
    delete layerTable;
    layerTable = nullptr;
    delete textStyleTable;
    textStyleTable = nullptr;
}

/* ---- the model walker -------------------------------------------------- */

void VyrDxf2Cgm::ParseTable(uint32_t, const void *record, int form, VyrDxfLayer *layer)
{
    int count = 0;
    const db_ptr *entries = nullptr;
    switch (form) {
    case 2:
        entries = TableEntries<dxf_layer_table>(record, count);
        for (int i = 0; i < count; ++i) {
            if (!layerTable) layerTable = new (std::nothrow) VyrListOfVyrDxfElem();
            zelCounters[ZelLayers]++;
            AppendOwned(layerTable, new (std::nothrow) VyrDxfLayer(entries[i]));
        }
        break;
    case 3:
        entries = TableEntries<dxf_text_style_table>(record, count);
        for (int i = 0; i < count; ++i) {
            if (!textStyleTable) textStyleTable = new (std::nothrow) VyrListOfVyrDxfElem();
            zelCounters[ZelTextStyles]++;
            AppendOwned(textStyleTable, new (std::nothrow) VyrDxfTextStyle(entries[i]));
        }
        break;
    case 10:
        entries = TableEntries<dxf_block_record_table>(record, count);
        for (int i = 0; i < count; ++i) {
            if (!blockTable) blockTable = new (std::nothrow) VyrListOfVyrDxfElem();
            db_ptr definition = MDA_NULL_PTR;
            {
                VyrDxfEntityLock lock(entries[i]);
                if (const dxf_block_record_table_data *rec = lock.As<dxf_block_record_table_data>(10001))
                    definition = rec->block_ptr;
            }
            int32_t type = 0;
            int32_t recordForm = 0;
            if (definition != MDA_NULL_PTR) mda_ReadTypeForm(definition, &type, &recordForm);
            if (type != 200 || (blockTable && blockTable->FindElementByPtr(definition))) continue;
            AppendOwned(blockTable, new (std::nothrow) VyrDxfBlock(definition, layer));
        }
        break;
    default: break;
    }
}

void VyrDxf2Cgm::ParseBlockDefinition(uint32_t entity, VyrDxfLayer *layer)
{
    if (blockTable && blockTable->FindElementByPtr(entity)) return;
    VyrDxfBlock *block = new (std::nothrow) VyrDxfBlock(entity, layer);
    if (!block) return;
    /* Building the block may have entered blocks of its inserts, and even
     * created the table. */
    AppendOwned(blockTable, block);
}

intptr_t VyrDxf2Cgm::dxfParse(unsigned long entity, int asChild, VyrDxfLayer *layer, VyrDxfBlock *block)
{
    const db_ptr self = static_cast<db_ptr>(entity);
    void *memory = nullptr;
    if (mda_LockEntity(0, self, &memory) != 0) return 0;
    int32_t type = 0;
    int32_t form = 0;
    mda_ReadTypeForm(self, &type, &form);

    VyrDxfLayer *entityLayer = nullptr;
    if (type != 100 && type < 800 && memory && layerTable && VyrDxfEntityLock::HasCommonHeader(type)) {
        const dxf_any *rec = static_cast<const dxf_any *>(memory);
        char name[VyrDxfLayer::kNameSize];
        VyrDxfCopyField(name, sizeof name, rec->dxfhdr.lay_name, sizeof rec->dxfhdr.lay_name);
        entityLayer = static_cast<VyrDxfLayer *>(layerTable->FindElementByName(name));
    }

    VyrDxfElement *made = nullptr;
    switch (type) {
    case 1: break;
    case 100:
        if (!asChild && memory) ParseTable(self, memory, form, entityLayer);
        break;
    case 200:
        if (!asChild) ParseBlockDefinition(self, entityLayer);
        break;
    case 300: made = Make<VyrDxfLine>(self, entityLayer, block, ZelLines); break;
    case 301: made = Make<VyrDxfPoint>(self, entityLayer, block, ZelPoints); break;
    case 302: made = Make<VyrDxfCircle>(self, entityLayer, block, ZelCircles); break;
    case 303: made = Make<VyrDxfArc>(self, entityLayer, block, ZelArcs); break;
    case 304:
    case 305: made = Make<VyrDxfSolid>(self, entityLayer, block, ZelSolids); break;
    case 306: {
        VyrDxfText *text = Make<VyrDxfText>(self, entityLayer, block, ZelTexts);
        if (text) {
            const dxf_text *rec = static_cast<const dxf_text *>(memory);
            if (rec && textStyleTable)
                text->SetTextStyle(static_cast<VyrDxfTextStyle *>(
                    textStyleTable->FindElementByPtr(rec->shapefileobjhandle)));
        }
        made = text;
        break;
    }
    case 308: {
        VyrDxfInsert *insert = new (std::nothrow) VyrDxfInsert(self, entityLayer, block);
        if (!insert) break;
        if (insert->IsValid()) {
            zelCounters[ZelInserts]++;
            made = insert;
        } else {
            delete insert;
            zelCounters[ZelInsertsDropped]++;
        }
        break;
    }
    case 311:
        /* 3D faces have no counter of their own. */
        made = new (std::nothrow) VyrDxf3DFace(self, entityLayer, block);
        break;
    case 309:
    case 325: made = Make<VyrDxfPolyline>(self, entityLayer, block, ZelPolylines); break;
    case 312: made = Make<VyrDxfDimension>(self, entityLayer, block, ZelDimensions); break;
    case 313: made = Make<VyrDxfEllipse>(self, entityLayer, block, ZelEllipses); break;
    case 314: made = Make<VyrDxfLeader>(self, entityLayer, block, ZelLeaders); break;
    case 315: made = Make<VyrDxfMline>(self, entityLayer, block, ZelMlines); break;
    case 316: made = Make<VyrDxfMText>(self, entityLayer, block, ZelMTexts); break;
    case 320: made = Make<VyrDxfSpline>(self, entityLayer, block, ZelSplines); break;
    case 326:
    case 327:
    case 328: made = Make<VyrDxfSmoothedPolyline>(self, entityLayer, block, ZelSmoothedPolylines); break;
    case 330:
    case 331: made = Make<VyrDxfPolyline>(self, entityLayer, block, ZelPolylines); break; /* meshes */
    case 335:
        /* Hatches have no counter of their own. */
        made = new (std::nothrow) VyrDxfHatch(self, entityLayer, block);
        if (made) hatchesMade++;
        break;
    case 334:
    case 10003: made = Make<VyrDxfLWPolyline>(self, entityLayer, block, ZelLWPolylines); break;
    case 500: made = Make<VyrDxfAttribute>(self, entityLayer, block, ZelAttributes); break;
    case 801:
        made = asChild ? Make<VyrDxfGroup>(self, layer, block, ZelGroups)
                       : Make<VyrDxfGroup>(self, nullptr, nullptr, ZelGroups);
        break;
    default:
        zelCounters[ZelUnhandledTypes]++;
        NoteUndrawn(type);
        break;
    }

    if (made && !asChild && !handRootsBack) {
        /* Without a root list the element cannot be kept. */
        if (!listOfRootEntity || listOfRootEntity->AddElement(made) != 0) delete made;
        made = nullptr;
    }
    mda_UnlockEntity(0, self);
    return reinterpret_cast<intptr_t>(made);
}
