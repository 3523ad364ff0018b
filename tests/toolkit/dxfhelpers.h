/* Helpers of the DXF loader tests: loading a drawing of tests/data, handles
 * as numbers, the entities of a list, and the contents of blobs. */
#ifndef VYR_TESTS_TOOLKIT_DXFHELPERS_H
#define VYR_TESTS_TOOLKIT_DXFHELPERS_H

#include <cmath>
#include <map>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/Fields.h"
#include "toolkit/fixture.h"

inline double rad(double deg) { return deg * M_PI / 180.0; }

struct Ent {
    AdEntityHeader h;
    std::shared_ptr<AdEntityRecord> r;
    const AdEntityRecord *operator->() const { return r.get(); }
};

inline std::vector<Ent> Entities(AdEntityList list)
{
    std::vector<Ent> out;
    adStartEntityGet(list);
    for (;;) {
        Ent e;
        e.r = std::make_shared<AdEntityRecord>();
        if (!adGetEntity(list, &e.h, e.r.get())) break;
        out.push_back(e);
    }
    return out;
}

inline std::vector<double> Doubles(AdBlob *b)
{
    std::vector<double> v(static_cast<size_t>(adBlobSize(b)) / 8);
    AdBlobCursor *c = adStartBlobRead(b);
    if (c && !v.empty()) adReadBlobBytesLong(c, v.data(), static_cast<long>(v.size() * 8));
    adEndBlobRead(c);
    return v;
}

inline std::vector<unsigned char> Bytes(AdBlob *b)
{
    std::vector<unsigned char> v(static_cast<size_t>(adBlobSize(b)));
    AdBlobCursor *c = adStartBlobRead(b);
    if (c && !v.empty()) adReadBlobBytesLong(c, v.data(), static_cast<long>(v.size()));
    adEndBlobRead(c);
    return v;
}

inline std::vector<uint64_t> Handles(AdBlob *b)
{
    std::vector<uint64_t> out;
    std::vector<unsigned char> bytes = Bytes(b);
    for (size_t i = 0; i + 8 <= bytes.size(); i += 8) out.push_back(HV(bytes.data() + i));
    return out;
}

inline std::vector<AdXdataItem> Xdata(AdBlob *b)
{
    std::vector<AdXdataItem> out;
    AdBlobCursor *c = adStartBlobRead(b);
    AdXdataItem it;
    while (c && adReadExtendeddata(c, &it)) out.push_back(it);
    adEndBlobRead(c);
    return out;
}

inline std::vector<AdBlobPair> Pairs(AdBlob *b)
{
    std::vector<AdBlobPair> out;
    AdBlobCursor *c = adStartBlobRead(b);
    AdBlobPair p;
    while (c && adReadBlobPair(c, &p)) out.push_back(p);
    adEndBlobRead(c);
    return out;
}

inline std::string Data(const char *name) { return std::string(VYR_TEST_DATA_DIR) + "/" + name; }

/* DXF text written pair by pair: a group-code pair, a section, a header of
 * variables, a header naming only the release, the end of the file. */
inline std::string P(int code, const std::string &value)
{
    return std::to_string(code) + "\n" + value + "\n";
}
inline std::string Section(const char *name, const std::string &body)
{
    return P(0, "SECTION") + P(2, name) + body + P(0, "ENDSEC");
}
inline std::string Header(const std::string &vars) { return Section("HEADER", vars); }
inline std::string Version(const char *v) { return Header(P(9, "$ACADVER") + P(1, v)); }
inline std::string Eof() { return P(0, "EOF"); }

#define EXPECT_PT(p, x, y, z)                                                                                \
    do {                                                                                                     \
        EXPECT_DOUBLE_EQ((p)[0], (x));                                                                       \
        EXPECT_DOUBLE_EQ((p)[1], (y));                                                                       \
        EXPECT_DOUBLE_EQ((p)[2], (z));                                                                       \
    } while (0)

#endif
