/* Fuzz target for the DXF group-code reader and the whole DXF load: the
 * input is written to a file, read pair by pair as ASCII DXF and as binary
 * DXF (version and code width taken from the first byte), then loaded with
 * the section loaders (options taken from the first byte: polyline
 * conversion, preload filter, the objects of newer releases) and, when it
 * loads, walked completely: every table, every block's entities with their
 * blobs and extended data, every object, and the audit. Seed it with the
 * drawings of tests/data. */
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "toolkit/dxf/dxf_int.h"

namespace {

std::string g_path;

void readall(int filetype, int version)
{
    AdDrawing *d = adEmptyFile();
    if (!d) return;
    d->stream = ztior_open(g_path.c_str());
    d->filetype = static_cast<int16_t>(filetype);
    d->version = static_cast<int16_t>(version);
    if (d->stream) {
        if (filetype == AD_FILE_BINARY_DXF) adchoosebinarycodewidth(d);
        adstartscanometer(d);
        long guard = 0;
        while (getdxfpair(d) && ++guard < 1000000)
            if (++d->scan.counter >= 100) updatescanometer(d);
    }
    adCloseFile(d);
}

/* Reads every byte of a blob the way clients do. */
long drain(AdBlob *b)
{
    AdBlobCursor *c = adStartBlobRead(b);
    long n = 0;
    unsigned char byte;
    while (c && adReadBlobByte(c, &byte)) n += byte;
    adEndBlobRead(c);
    return n;
}

long walkxdata(AdBlob *b)
{
    static AdXdataItem item;
    AdBlobCursor *c = adStartBlobRead(b);
    long n = 0;
    while (c && adReadExtendeddata(c, &item)) ++n;
    adEndBlobRead(c);
    return n;
}

long walkpairs(AdBlob *b)
{
    static AdBlobPair pair;
    AdBlobCursor *c = adStartBlobRead(b);
    long n = 0;
    while (c && adReadBlobPair(c, &pair)) ++n;
    adEndBlobRead(c);
    return n;
}

long walk(AdDrawing *d)
{
    long n = 0;
    static AdTableRecord t;
    adStartLayerGet(d);
    while (adGetLayer(d, &t.layer)) n += walkxdata(t.layer.xdblob);
    adStartLinetypeGet(d);
    while (adGetLinetype(d, &t.ltype)) n += t.ltype.numdashes;
    adStartDimstyleGet(d);
    while (adGetDimstyle(d, &t.dimstyle)) ++n;
    static AdEntityHeader h;
    static AdEntityRecord r;
    AdBlockheader b;
    adStartBlockheaderGet(d);
    while (adGetBlockheader(d, &b)) {
        adStartEntityGet(b.entitylist);
        while (adGetEntity(b.entitylist, &h, &r)) {
            n += walkxdata(h.xdblob) + drain(h.reactorblob);
            if (h.enttype == AD_ENT_SPLINE) n += drain(r.spline.knotblob) + drain(r.spline.ctlblob);
            if (h.enttype == AD_ENT_MTEXT) n += drain(r.mtext.textblob);
            if (h.enttype == adHatchEnttype(d)) {
                n += drain(r.hatch.pathblob) + drain(r.hatch.seedblob);
                AdHatchPatternLine *p = adReadHatchPattern(r.hatch.patlineblob, r.hatch.numpatlines);
                adDisposeHatchPattern(p, r.hatch.numpatlines);
            }
            if (h.enttype == adLwplineEnttype(d)) n += drain(r.lwpline.vertblob);
            if (h.enttype >= 498 && !adIsSupportedProxyEntType(d, h.enttype) &&
                h.enttype != adArcAlignedTextEnttype(d))
                n += walkpairs(r.proxy.pairblob);
        }
    }
    static AdObjectHeader oh;
    static AdObjectRecord orec;
    adStartObjectGet(d);
    while (adGetObject(d, &oh, &orec)) {
        n += walkxdata(oh.xdblob);
        if (oh.objtype == AD_OBJ_DICTIONARY) n += drain(orec.dict.itemblob);
    }
    n += adAudit(d, 0, 2, nullptr);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (g_path.empty()) {
        char name[] = "/tmp/vyr_fuzz_dxf_XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) return 0;
        close(fd);
        g_path = name;
        std::atexit([] { std::remove(g_path.c_str()); });
    }
    FILE *f = std::fopen(g_path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    /* the toolkit stays started between inputs; each input starts clean */
    if (!adin) {
        int16_t err;
        if (!adInitAd2(nullptr, &err)) return 0;
        adSetupDxfRead();
        adSetupDwgRead();
    }
    adErrorClear();
    adin->acceptr14beta = 0;
    unsigned char first = size ? data[0] : 0;
    int version = static_cast<int>(first % 9) - 1;
    readall(AD_FILE_ASCII_DXF, version);
    readall(AD_FILE_BINARY_DXF, version);
    if (first & 0x80) adAcceptR14BetaFiles();
    adConvertPlinesOnLoad(first & 0x40);
    unsigned char filter[32] = {0};
    for (int i = 0; i < 32; i += 3) filter[i] = 1;
    adSetPreloadEntityFilter(filter);
    AdDrawing *d = adLoadFile(g_path.c_str(), (first & 0x20) ? 2 : 1, (first & 0x10) ? 1 : 0);
    if (d) {
        volatile long n = walk(d);
        (void)n;
        adCloseFile(d);
    }
    return 0;
}
