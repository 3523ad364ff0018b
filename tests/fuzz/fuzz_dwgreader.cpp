/* Fuzz target for the DWG reader: the input is read with the value codes
 * of the bit stream (every code in turn, as the first byte chooses) and
 * then loaded as a DWG file (first six bytes that are no release of the
 * gate are replaced by one, so that the mutations reach the readers behind
 * it), and, when it loads, walked completely: every table,
 * every block's entities with their blobs and extended data, every object.
 * Seed it with the DWG samples (../shared/dwg-samples). */
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "toolkit/dwg/dwg_int.h"

namespace {

std::string g_path;

void codes(const uint8_t *data, size_t size)
{
    DwgBits b;
    dwgbitsinit(&b, data, size, static_cast<int16_t>(size ? AD_ACAD13 + data[0] % 3 : AD_ACAD2000));
    unsigned char h[9];
    char text[64];
    double p[3], q[3];
    for (int guard = 0; guard < 4096 && !b.error; ++guard) {
        switch (getbitrawbyte(&b) % 16) {
        case 0: getbitshort(&b); break;
        case 1: getbitlong(&b); break;
        case 2: getbitdouble(&b); break;
        case 3: getbitdoublewithdefault(&b, 1.5); break;
        case 4: getbitstring(&b, text, sizeof text); break;
        case 5: getbitrefhandle(&b, h, h); break;
        case 6: getbittypedhandle(&b, h); break;
        case 7: getbitmodchar(&b); break;
        case 8: getbitumodchar(&b); break;
        case 9: getbitmodshort(&b); break;
        case 10: getbitpointpair(&b, p, q); break;
        case 11: getbitextrusion(&b, p); break;
        case 12: getbitpointwithdefault(&b, p, q); break;
        case 13: getbit3bits(&b); break;
        case 14: getbitcount(&b, getbitlong(&b), 8); break;
        default: geta2kbitpoint(&b, p); break;
        }
    }
    check13crc(data, size, 0xC0C1);
}

long drain(AdBlob *b)
{
    AdBlobCursor *c = adStartBlobRead(b);
    long n = 0;
    unsigned char byte;
    while (c && adReadBlobByte(c, &byte)) n += byte;
    adEndBlobRead(c);
    return n;
}

long walk(AdDrawing *d)
{
    long n = 0;
    static AdTableRecord t;
    adStartLayerGet(d);
    while (adGetLayer(d, &t.layer)) n += drain(t.layer.xdblob);
    adStartLinetypeGet(d);
    while (adGetLinetype(d, &t.ltype)) n += t.ltype.numdashes;
    adStartDimstyleGet(d);
    while (adGetDimstyle(d, &t.dimstyle)) ++n;
    adStartVportGet(d);
    while (adGetVport(d, &t.vport)) ++n;
    static AdEntityHeader h;
    static AdEntityRecord r;
    AdBlockheader b;
    adStartBlockheaderGet(d);
    while (adGetBlockheader(d, &b)) {
        n += drain(b.previewblob) + drain(b.insertblob);
        adStartEntityGet(b.entitylist);
        while (adGetEntity(b.entitylist, &h, &r)) {
            n += drain(h.xdblob) + drain(h.reactorblob);
            switch (h.enttype) {
            case AD_ENT_SPLINE:
                n += drain(r.spline.knotblob) + drain(r.spline.ctlblob) + drain(r.spline.fitblob);
                break;
            case AD_ENT_MTEXT: n += drain(r.mtext.textblob); break;
            case AD_ENT_LEADER: n += drain(r.leader.ptblob); break;
            case AD_ENT_MLINE: n += drain(r.mline.vertblob); break;
            case AD_ENT_VIEWPORT: n += drain(r.vport.frozenlayerblob); break;
            case AD_ENT_REGION:
            case AD_ENT_SOLID3D:
            case AD_ENT_BODY: n += drain(r.acis.acisblob); break;
            default:
                if (h.enttype == adHatchEnttype(d)) {
                    n += drain(r.hatch.pathblob) + drain(r.hatch.seedblob) + drain(r.hatch.srcobjblob);
                    AdHatchPatternLine *p = adReadHatchPattern(r.hatch.patlineblob, r.hatch.numpatlines);
                    adDisposeHatchPattern(p, r.hatch.numpatlines);
                }
                if (h.enttype == adLwplineEnttype(d)) n += drain(r.lwpline.vertblob);
                break;
            }
        }
    }
    static AdObjectHeader oh;
    static AdObjectRecord orec;
    adStartObjectGet(d);
    while (adGetObject(d, &oh, &orec)) {
        n += drain(oh.xdblob);
        if (oh.objtype == AD_OBJ_DICTIONARY) n += drain(orec.dict.itemblob);
        if (oh.objtype == AD_OBJ_GROUP) n += drain(orec.group.entityblob);
        if (oh.objtype == AD_OBJ_MLINESTYLE) n += drain(orec.mlstyle.elementblob);
    }
    n += adAudit(d, 0, 2, nullptr);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (g_path.empty()) {
        char name[] = "/tmp/vyr_fuzz_dwg_XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) return 0;
        close(fd);
        g_path = name;
        std::atexit([] { std::remove(g_path.c_str()); });
    }
    codes(data, size);
    if (size < 8) return 0;
    static const char *const kReleases[4] = {"AC1012", "AC1014", "AC1015", "AC1015"};
    std::string bytes(reinterpret_cast<const char *>(data), size);
    if (bytes.compare(0, 6, "AC1012") && bytes.compare(0, 6, "AC1014") && bytes.compare(0, 6, "AC1015"))
        bytes.replace(0, 6, kReleases[data[6] & 3]);
    FILE *f = std::fopen(g_path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    if (!adin) {
        int16_t err;
        if (!adInitAd2(nullptr, &err)) return 0;
        adSetupDxfRead();
        adSetupDwgRead();
    }
    adErrorClear();
    adConvertPlinesOnLoad(data[7] & 1);
    AdDrawing *d = adLoadFile(g_path.c_str(), 1, (data[7] & 2) ? 1 : 0);
    if (d) {
        volatile long n = walk(d);
        (void)n;
        adCloseFile(d);
    }
    return 0;
}
