/* The scan pass of a DXF load (dxfloadheader, the load-header reader): one
 * read of the whole file that stores the HEADER section into the header
 * record and, for every other section, records only where things are and
 * how many: the first record of each of the nine tables, each BLOCK, each
 * VIEWPORT of the ENTITIES section, the ENTITIES, CLASSES and OBJECTS
 * sections and the first MLINESTYLE object. Positions are 64-bit stream
 * offsets of the (0, name) pair that starts the thing, so that the load
 * pass can seek there; the BLOCK and VIEWPORT positions are kept in blobs
 * as int64_t each. Section starts are the offsets just after the section's
 * (2, name) pair. Only the first TABLES, ENTITIES and OBJECTS sections
 * count; any later one, and a section of any other name, is passed over.
 *
 * A file whose data ends before its (0, EOF) (cut short, or written without
 * the EOF record) keeps what it holds: the scan stops at the end of the
 * data, takes the record it began last as the first one lost (it may be
 * incomplete) and forgets every position at or after it, and the load pass
 * reads only what lies before (dxfnext). A warning names the section where
 * the data ended. Only a cut inside the HEADER section, or before any
 * section was begun, still fails the load: nothing of the drawing is whole
 * then. */
#include "toolkit/dxf/dxf_int.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

const char *const kTableNames[AD_TBL_COUNT] = {"LTYPE", "LAYER",    "STYLE", "VIEW",        "VPORT",
                                               "APPID", "DIMSTYLE", "UCS",   "BLOCK_RECORD"};

/* The next pair, counted for the scan progress; only the values of the
 * codes 0 and 2 are read, and in the TABLES section those of 5 and 105
 * (the HEADER section reads all). */
bool scanpair(AdDrawing *dwg)
{
    if (!dxfnextlite(dwg)) {
        /* the data ran out, as opposed to a line the reader refused */
        if (adin->error != 298 && adin->error != 299 && ztior_atend(dwg->stream)) dwg->dxf->ranout = 1;
        return false;
    }
    if (adin->curcode == 0) dwg->dxf->lastrecord = dwg->dxf->lastpos;
    AdDxfScan &s = dwg->scan;
    if (++s.counter >= 100) {
        if (adin->dxfscanometer)
            updatescanometer(dwg);
        else
            s.counter = 0;
    }
    return true;
}

bool isendsec() { return adin->curcode == 0 && std::strcmp(adin->curstr, "ENDSEC") == 0; }

bool appendpos(AdBlob *blob, int64_t pos)
{
    AdBlobCursor *c = adStartBlobAppend(blob);
    if (!c) return false;
    bool ok = adWriteBlobBytesLong(c, &pos, sizeof pos) != 0;
    return adEndBlobAppend(c) && ok;
}

bool processtables(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    for (;;) {
        if (!scanpair(dwg)) return false;
        if (isendsec()) return true;
        if (!(adin->curcode == 0 && std::strcmp(adin->curstr, "TABLE") == 0)) continue;
        if (!scanpair(dwg)) return false;
        if (adin->curcode != 2) {
            dxfback(dwg);
            continue;
        }
        int t = -1;
        for (int i = 0; i < AD_TBL_COUNT; ++i)
            if (std::strcmp(adin->curstr, kTableNames[i]) == 0) t = i;
        /* the table's own pairs: the control object's handle */
        for (;;) {
            if (!scanpair(dwg)) return false;
            if (adin->curcode == 0) break;
            if (t >= 0 && dwg->version >= AD_ACAD13 && (adin->curcode == 5 || adin->curcode == 105))
                std::memcpy(s.tablecontrol[t], adin->curhandle, 8);
        }
        dxfback(dwg);
        for (;;) {
            if (!scanpair(dwg)) return false;
            if (adin->curcode != 0) continue;
            if (std::strcmp(adin->curstr, "ENDTAB") == 0) break;
            if (std::strcmp(adin->curstr, "ENDSEC") == 0) return true; /* ENDTAB missing */
            if (t >= 0 && std::strcmp(adin->curstr, kTableNames[t]) == 0) {
                if (s.tablecount[t]++ == 0) s.tablepos[t] = dwg->dxf->lastpos;
                dwg->qualityflags |= 0x002u << t;
            }
        }
    }
}

bool processblocks(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    s.blockstart = ztior_tell(dwg->stream);
    for (;;) {
        if (!scanpair(dwg)) return false;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, "ENDSEC") == 0) return true;
        if (std::strcmp(adin->curstr, "BLOCK") == 0) {
            if (!appendpos(s.blockposblob, dwg->dxf->lastpos)) return false;
            ++s.numblocks;
        }
    }
}

bool processentities(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    s.entstart = ztior_tell(dwg->stream);
    bool viewports = dwg->version >= AD_ACAD11;
    for (;;) {
        if (!scanpair(dwg)) return false;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, "ENDSEC") == 0) {
            s.entend = dwg->dxf->lastpos;
            return true;
        }
        if (viewports && std::strcmp(adin->curstr, "VIEWPORT") == 0) {
            if (!appendpos(s.vpentposblob, dwg->dxf->lastpos)) return false;
            ++s.numvpents;
        }
    }
}

bool processobjects(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    s.objpos = ztior_tell(dwg->stream);
    for (;;) {
        if (!scanpair(dwg)) return false;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, "ENDSEC") == 0) return true;
        if (std::strcmp(adin->curstr, "MLINESTYLE") == 0 && s.nummlstyles++ == 0)
            s.mlstylepos = dwg->dxf->lastpos;
    }
}

/* Passes over a section that is not scanned. */
bool skipsection(AdDrawing *dwg)
{
    for (;;) {
        if (!scanpair(dwg)) return false;
        if (isendsec()) return true;
        if (adin->curcode == 0 && std::strcmp(adin->curstr, "EOF") == 0) {
            dxfback(dwg);
            return true;
        }
    }
}

/* Drops the last position of a blob of positions when it is at or after
 * the cut (only the last one can be). */
void droplastcut(AdBlob *blob, int32_t *count, int64_t cutpos)
{
    if (*count <= 0) return;
    AdBlobCursor *c = adStartBlobRead(blob);
    int64_t pos = 0;
    bool ok = c && adBlobSeek(c, static_cast<long>(*count - 1) * 8) && adReadBlobBytesLong(c, &pos, 8);
    adEndBlobRead(c);
    if (ok && pos >= cutpos) --*count;
}

/* The scan met the end of the data in `section` (null: between sections):
 * what lies before the last record begun is kept, and a warning says so. */
void keepcut(AdDrawing *dwg, const char *section)
{
    AdDxfScan &s = dwg->scan;
    AdDxfLoad *l = dwg->dxf;
    l->cut = 1;
    l->cutpos = l->lastrecord;
    dwg->qualityflags |= AD_DXF_CUT_SHORT;
    for (int t = 0; t < AD_TBL_COUNT; ++t)
        if (s.tablecount[t] > 0 && s.tablepos[t] >= l->cutpos) s.tablecount[t] = 0;
    droplastcut(s.blockposblob, &s.numblocks, l->cutpos);
    droplastcut(s.vpentposblob, &s.numvpents, l->cutpos);
    if (s.nummlstyles > 0 && s.mlstylepos >= l->cutpos) s.nummlstyles = 0;
    if (s.entstart > 0 && s.entend == 0) s.entend = l->cutpos;
    if (!adin->warning) return;
    char text[160];
    if (section)
        std::snprintf(text, sizeof text,
                      "The file ends inside its %s section: the drawing is read up to the last whole "
                      "record, before byte %lld; the rest is lost",
                      section, static_cast<long long>(l->cutpos));
    else
        std::snprintf(text, sizeof text,
                      "The file ends without its EOF record: the drawing is read up to byte %lld",
                      static_cast<long long>(l->cutpos));
    adin->warning(text);
}

int16_t failscan(AdDrawing *dwg)
{
    adDeleteBlob(dwg->scan.blockposblob);
    adDeleteBlob(dwg->scan.vpentposblob);
    dwg->scan.blockposblob = dwg->scan.vpentposblob = nullptr;
    return -1;
}

} // namespace

extern "C" {

int16_t dxfloadheader(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    AdDxfScan &s = dwg->scan;
    adstartscanometer(dwg);
    adin->bincode16 = 0;
    if (!dxfseek(dwg, 0)) return -1;
    if (dwg->filetype == AD_FILE_BINARY_DXF) {
        adchoosebinarycodewidth(dwg);
        if (!dwg->bincodes) dwg->bincodes = dwg->version >= AD_ACAD13 ? 2 : 1;
        dwg->dxf->pushed = 0;
    }

    adseterror(14);
    adDeleteBlob(s.blockposblob);
    adDeleteBlob(s.vpentposblob);
    s.blockposblob = adCreateBlobEx(4096);
    s.vpentposblob = adCreateBlobEx(4096);
    if (!s.blockposblob || !s.vpentposblob) return failscan(dwg);

    adSetHeaderDefaults(dwg->header);
    dwg->header->handling = 1;
    std::memset(adin->names, 0, sizeof adin->names);
    std::strcpy(adin->names[AD_NM_CLAYER], "0");
    std::strcpy(adin->names[AD_NM_CELTYPE], "Continuous");
    std::strcpy(adin->names[AD_NM_DIMSTYLE], "Standard");
    std::strcpy(adin->names[AD_NM_TEXTSTYLE], "Standard");
    std::strcpy(adin->names[AD_NM_DIMTXSTY], "Standard");
    std::strcpy(adin->names[AD_NM_CMLSTYLE], "Standard");
    for (int t = 0; t < AD_TBL_COUNT; ++t) {
        s.tablepos[t] = 0;
        s.tablecount[t] = 0;
        std::memset(s.tablecontrol[t], 0, 8);
    }
    s.numblocks = s.numvpents = s.nummlstyles = 0;
    s.entstart = s.entend = s.blockstart = s.classpos = s.objpos = s.mlstylepos = 0;
    dwg->qualityflags = 0;

    bool header = false, tables = false, entities = false, objects = false;
    bool sawend = false;
    bool keepable = false; /* a cut from here on keeps what was read */
    dwg->dxf->ranout = dwg->dxf->cut = 0;
    dwg->dxf->lastrecord = 0;
    adseterror(30);
    while (adin->loading) {
        if (!scanpair(dwg)) break;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, "EOF") == 0) {
            sawend = true;
            break;
        }
        if (std::strcmp(adin->curstr, "SECTION") != 0) continue;
        if (!scanpair(dwg)) break;
        if (adin->curcode != 2) {
            dxfback(dwg);
            continue;
        }
        const char *name = adin->curstr;
        char section[32];
        dxfcopy(section, name, sizeof section);
        for (const char *k : {"CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"})
            if (std::strcmp(name, k) == 0) keepable = true;
        bool ok = true;
        if (std::strcmp(name, "HEADER") == 0 && !header) {
            header = true;
            dwg->qualityflags |= 0x001;
            adseterror(31);
            int r = dxfprocessheader(dwg);
            if (r == -2) {
                failscan(dwg);
                return -1;
            }
            ok = r > 0;
            if (ok) keepable = true;
        } else if (std::strcmp(name, "ENTITIES") == 0 && !entities) {
            entities = true;
            adseterror(32);
            ok = processentities(dwg);
        } else if (std::strcmp(name, "TABLES") == 0 && !tables) {
            tables = true;
            adseterror(33);
            dwg->dxf->scanhandles = 1;
            ok = processtables(dwg);
            dwg->dxf->scanhandles = 0;
        } else if (std::strcmp(name, "BLOCKS") == 0 && s.blockstart == 0) {
            adseterror(34);
            ok = processblocks(dwg);
        } else if (std::strcmp(name, "OBJECTS") == 0 && !objects) {
            objects = true;
            adseterror(35);
            ok = processobjects(dwg);
        } else {
            if (std::strcmp(name, "CLASSES") == 0 && s.classpos == 0) s.classpos = ztior_tell(dwg->stream);
            adseterror(30);
            ok = skipsection(dwg);
        }
        if (!ok) {
            if (!keepable || !dwg->dxf->ranout || !adin->loading) return failscan(dwg);
            keepcut(dwg, section);
            sawend = true;
            break;
        }
        adseterror(30);
    }
    if (!adin->loading) return failscan(dwg);
    if (!sawend && keepable && dwg->dxf->ranout) {
        keepcut(dwg, nullptr);
    } else if (!sawend) {
        if (adin->error != 298 && adin->error != 299) adseterror(30);
        return failscan(dwg);
    }

    /* a file without $ACADVER takes the version of an unknown one */
    if (!header && dwg->version < 0) {
        dwg->version = AD_ACAD11;
        std::strcpy(dwg->header->acadver, "AC1009");
        dwg->invalidversion = 1;
    }
    std::memcpy(dwg->handseed, dwg->header->handseed, 8);
    adseterror(0);
    if (adin->dxfscanometer) adin->dxfscanometer(100);
    return adin->loading ? 1 : -1;
}

} // extern "C"
