/* Decoder of binary CGM into a clear-text listing (see the header).
 *
 * Reading a parameter past the end of an element's parameters, or meeting a
 * precision this decoder cannot represent, throws a Malformed exception
 * inside the decoder; Decode catches it and turns it into the error text.
 * Nothing throws out of the public functions. */
#include "tools/cgmdecode/CgmDecoder.h"

#include <cstdlib>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char *const kClass0[] = {nullptr,
                               "BEGIN METAFILE",
                               "END METAFILE",
                               "BEGIN PICTURE",
                               "BEGIN PICTURE BODY",
                               "END PICTURE",
                               "BEGIN SEGMENT",
                               "END SEGMENT",
                               "BEGIN FIGURE",
                               "END FIGURE",
                               nullptr,
                               nullptr,
                               nullptr,
                               "BEGIN PROTECTION REGION",
                               "END PROTECTION REGION",
                               "BEGIN COMPOUND LINE",
                               "END COMPOUND LINE",
                               "BEGIN COMPOUND TEXT PATH",
                               "END COMPOUND TEXT PATH",
                               "BEGIN TILE ARRAY",
                               "END TILE ARRAY",
                               "BEGIN APPLICATION STRUCTURE",
                               "BEGIN APPLICATION STRUCTURE BODY",
                               "END APPLICATION STRUCTURE"};
const char *const kClass1[] = {nullptr,
                               "METAFILE VERSION",
                               "METAFILE DESCRIPTION",
                               "VDC TYPE",
                               "INTEGER PRECISION",
                               "REAL PRECISION",
                               "INDEX PRECISION",
                               "COLOUR PRECISION",
                               "COLOUR INDEX PRECISION",
                               "MAXIMUM COLOUR INDEX",
                               "COLOUR VALUE EXTENT",
                               "METAFILE ELEMENT LIST",
                               "METAFILE DEFAULTS REPLACEMENT",
                               "FONT LIST",
                               "CHARACTER SET LIST",
                               "CHARACTER CODING ANNOUNCER",
                               "NAME PRECISION",
                               "MAXIMUM VDC EXTENT",
                               "SEGMENT PRIORITY EXTENT",
                               "COLOUR MODEL",
                               "COLOUR CALIBRATION",
                               "FONT PROPERTIES",
                               "GLYPH MAPPING",
                               "SYMBOL LIBRARY LIST",
                               "PICTURE DIRECTORY"};
const char *const kClass2[] = {nullptr,
                               "SCALING MODE",
                               "COLOUR SELECTION MODE",
                               "LINE WIDTH SPECIFICATION MODE",
                               "MARKER SIZE SPECIFICATION MODE",
                               "EDGE WIDTH SPECIFICATION MODE",
                               "VDC EXTENT",
                               "BACKGROUND COLOUR",
                               "DEVICE VIEWPORT",
                               "DEVICE VIEWPORT SPECIFICATION MODE",
                               "DEVICE VIEWPORT MAPPING",
                               "LINE REPRESENTATION",
                               "MARKER REPRESENTATION",
                               "TEXT REPRESENTATION",
                               "FILL REPRESENTATION",
                               "EDGE REPRESENTATION",
                               "INTERIOR STYLE SPECIFICATION MODE",
                               "LINE AND EDGE TYPE DEFINITION",
                               "HATCH STYLE DEFINITION",
                               "GEOMETRIC PATTERN DEFINITION",
                               "APPLICATION STRUCTURE DIRECTORY"};
const char *const kClass3[] = {nullptr,
                               "VDC INTEGER PRECISION",
                               "VDC REAL PRECISION",
                               "AUXILIARY COLOUR",
                               "TRANSPARENCY",
                               "CLIP RECTANGLE",
                               "CLIP INDICATOR",
                               "LINE CLIPPING MODE",
                               "MARKER CLIPPING MODE",
                               "EDGE CLIPPING MODE",
                               "NEW REGION",
                               "SAVE PRIMITIVE CONTEXT",
                               "RESTORE PRIMITIVE CONTEXT",
                               nullptr,
                               nullptr,
                               nullptr,
                               nullptr,
                               "PROTECTION REGION INDICATOR",
                               "GENERALIZED TEXT PATH MODE",
                               "MITRE LIMIT",
                               "TRANSPARENT CELL COLOUR"};
const char *const kClass4[] = {nullptr,
                               "POLYLINE",
                               "DISJOINT POLYLINE",
                               "POLYMARKER",
                               "TEXT",
                               "RESTRICTED TEXT",
                               "APPEND TEXT",
                               "POLYGON",
                               "POLYGON SET",
                               "CELL ARRAY",
                               "GENERALIZED DRAWING PRIMITIVE",
                               "RECTANGLE",
                               "CIRCLE",
                               "CIRCULAR ARC 3 POINT",
                               "CIRCULAR ARC 3 POINT CLOSE",
                               "CIRCULAR ARC CENTRE",
                               "CIRCULAR ARC CENTRE CLOSE",
                               "ELLIPSE",
                               "ELLIPTICAL ARC",
                               "ELLIPTICAL ARC CLOSE",
                               "CIRCULAR ARC CENTRE REVERSED",
                               "CONNECTING EDGE",
                               "HYPERBOLIC ARC",
                               "PARABOLIC ARC",
                               "NON-UNIFORM B-SPLINE",
                               "NON-UNIFORM RATIONAL B-SPLINE",
                               "POLYBEZIER",
                               "POLYSYMBOL",
                               "BITONAL TILE",
                               "TILE"};
const char *const kClass5[] = {nullptr,
                               "LINE BUNDLE INDEX",
                               "LINE TYPE",
                               "LINE WIDTH",
                               "LINE COLOUR",
                               "MARKER BUNDLE INDEX",
                               "MARKER TYPE",
                               "MARKER SIZE",
                               "MARKER COLOUR",
                               "TEXT BUNDLE INDEX",
                               "TEXT FONT INDEX",
                               "TEXT PRECISION",
                               "CHARACTER EXPANSION FACTOR",
                               "CHARACTER SPACING",
                               "TEXT COLOUR",
                               "CHARACTER HEIGHT",
                               "CHARACTER ORIENTATION",
                               "TEXT PATH",
                               "TEXT ALIGNMENT",
                               "CHARACTER SET INDEX",
                               "ALTERNATE CHARACTER SET INDEX",
                               "FILL BUNDLE INDEX",
                               "INTERIOR STYLE",
                               "FILL COLOUR",
                               "HATCH INDEX",
                               "PATTERN INDEX",
                               "EDGE BUNDLE INDEX",
                               "EDGE TYPE",
                               "EDGE WIDTH",
                               "EDGE COLOUR",
                               "EDGE VISIBILITY",
                               "FILL REFERENCE POINT",
                               "PATTERN TABLE",
                               "PATTERN SIZE",
                               "COLOUR TABLE",
                               "ASPECT SOURCE FLAGS",
                               "PICK IDENTIFIER",
                               "LINE CAP",
                               "LINE JOIN",
                               "LINE TYPE CONTINUATION",
                               "LINE TYPE INITIAL OFFSET",
                               "TEXT SCORE TYPE",
                               "RESTRICTED TEXT TYPE",
                               "INTERPOLATED INTERIOR",
                               "EDGE CAP",
                               "EDGE JOIN",
                               "EDGE TYPE CONTINUATION",
                               "EDGE TYPE INITIAL OFFSET",
                               "SYMBOL LIBRARY INDEX",
                               "SYMBOL COLOUR",
                               "SYMBOL SIZE",
                               "SYMBOL ORIENTATION"};

template <size_t N> const char *Lookup(const char *const (&table)[N], int id)
{
    return (id >= 0 && static_cast<size_t>(id) < N) ? table[id] : nullptr;
}

std::string Num(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string NumF(float v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Int(long v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Quote(const std::string &s)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    out.push_back('"');
    return out;
}

/* Reads the parameters of one element at the declared precisions. */
class Reader {
public:
    Reader(const std::vector<uint8_t> &p, const CgmDecoder::State &s) : p_(p), s_(s) {}

    bool AtEnd() const { return pos_ >= p_.size(); }
    size_t Left() const { return p_.size() - pos_; }

    unsigned long Bytes(int n)
    {
        if (Left() < static_cast<size_t>(n)) throw Malformed("parameters end too early");
        unsigned long v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | p_[pos_++];
        return v;
    }
    long Signed(int bits)
    {
        unsigned long v = Bytes(bits / 8);
        unsigned long sign = 1ul << (bits - 1);
        return (v & sign) ? static_cast<long>(v) - static_cast<long>(sign << 1) : static_cast<long>(v);
    }
    long I() { return Signed(s_.intPrecision); }
    long IX() { return Signed(s_.indexPrecision); }
    long E() { return Signed(16); }
    unsigned long CI() { return Bytes(s_.colourIndexPrecision / 8); }
    double Real(int isFloat, int bits)
    {
        if (isFloat) {
            if (bits == 32) {
                uint32_t u = static_cast<uint32_t>(Bytes(4));
                float f;
                std::memcpy(&f, &u, 4);
                return f;
            }
            uint64_t u = (static_cast<uint64_t>(Bytes(4)) << 32) | Bytes(4);
            double d;
            std::memcpy(&d, &u, 8);
            return d;
        }
        int half = bits / 2;
        long whole = Signed(half);
        unsigned long frac = Bytes(half / 8);
        return static_cast<double>(whole) + static_cast<double>(frac) / std::ldexp(1.0, half);
    }
    std::string R() { return Number(s_.realFloat, s_.realBits); }
    std::string VDC()
    {
        if (s_.vdcType == 0) return Int(Signed(s_.vdcIntPrecision));
        return Number(s_.vdcRealFloat, s_.vdcRealBits);
    }
    std::string P()
    {
        std::string x = VDC();
        return "(" + x + "," + VDC() + ")";
    }
    size_t PointSize() const
    {
        return 2 * static_cast<size_t>(s_.vdcType == 0 ? s_.vdcIntPrecision : s_.vdcRealBits) / 8;
    }
    std::string CD()
    {
        int n = s_.colourPrecision / 8;
        std::string r = Int(static_cast<long>(Bytes(n)));
        std::string g = Int(static_cast<long>(Bytes(n)));
        return "(" + r + "," + g + "," + Int(static_cast<long>(Bytes(n))) + ")";
    }
    std::string CO() { return s_.colourMode == 0 ? Int(static_cast<long>(CI())) : CD(); }
    std::string Width(int mode) { return mode == 0 ? VDC() : R(); }
    std::string S()
    {
        size_t n = Bytes(1);
        std::string out;
        if (n < 255) {
            if (Left() < n) throw Malformed("string runs past its element");
            out.assign(reinterpret_cast<const char *>(&p_[pos_]), n);
            pos_ += n;
            return out;
        }
        bool more = true;
        while (more) {
            unsigned long w = Bytes(2);
            more = (w & 0x8000) != 0;
            size_t len = w & 0x7FFF;
            if (Left() < len) throw Malformed("string runs past its element");
            out.append(reinterpret_cast<const char *>(&p_[pos_]), len);
            pos_ += len;
        }
        return out;
    }
    std::string Hex(size_t max)
    {
        static const char hex[] = "0123456789abcdef";
        std::string out;
        size_t n = 0;
        while (!AtEnd() && n < max) {
            if (n) out.push_back(' ');
            out.push_back(hex[p_[pos_] >> 4]);
            out.push_back(hex[p_[pos_] & 15]);
            ++pos_;
            ++n;
        }
        if (!AtEnd()) {
            out += " ... (" + Int(static_cast<long>(p_.size())) + " octets)";
            pos_ = p_.size();
        }
        return out;
    }

private:
    std::string Number(int isFloat, int bits)
    {
        double v = Real(isFloat, bits);
        if (isFloat && bits == 32) return NumF(static_cast<float>(v));
        return Num(v);
    }

    const std::vector<uint8_t> &p_;
    const CgmDecoder::State &s_;
    size_t pos_ = 0;
};

void CheckPrecision(int bits, bool allow8)
{
    if (bits != 16 && bits != 24 && bits != 32 && !(allow8 && bits == 8))
        throw Malformed("unsupported precision " + Int(bits));
}

/* Float/fixed with their widths as the precision elements state them. */
void ReadRealPrecision(Reader &r, int &isFloat, int &bits, std::string &text)
{
    long form = r.E(), a = r.I(), b = r.I();
    if (form == 0 && a == 9 && b == 23) {
        isFloat = 1;
        bits = 32;
    } else if (form == 0 && a == 12 && b == 52) {
        isFloat = 1;
        bits = 64;
    } else if (form == 1 && a == 16 && b == 16) {
        isFloat = 0;
        bits = 32;
    } else if (form == 1 && a == 32 && b == 32) {
        isFloat = 0;
        bits = 64;
    } else
        throw Malformed("unsupported real precision");
    text = (form == 0 ? "floating " : "fixed ") + Int(a) + " " + Int(b);
}

} // namespace

std::string CgmDecoder::sElementName(int c, int id)
{
    const char *n = nullptr;
    switch (c) {
    case 0: n = Lookup(kClass0, id); break;
    case 1: n = Lookup(kClass1, id); break;
    case 2: n = Lookup(kClass2, id); break;
    case 3: n = Lookup(kClass3, id); break;
    case 4: n = Lookup(kClass4, id); break;
    case 5: n = Lookup(kClass5, id); break;
    case 6: n = id == 1 ? "ESCAPE" : nullptr; break;
    case 7: n = id == 1 ? "MESSAGE" : id == 2 ? "APPLICATION DATA" : nullptr; break;
    default: break;
    }
    if (c == 0 && id == 0) n = "NO-OP";
    if (n) return n;
    return "CLASS " + Int(c) + " ID " + Int(id);
}

bool CgmDecoder::Decode(const uint8_t *data, size_t size)
{
    state_ = State();
    elements_.clear();
    error_.clear();
    if (!data && size) return false;
    return DecodeElements(data, size, 0, 0);
}

bool CgmDecoder::DecodeElements(const uint8_t *data, size_t size, size_t base, int depth)
{
    size_t pos = 0;
    while (pos < size) {
        CgmElement e;
        e.offset = base + pos;
        e.depth = depth;
        if (size - pos < 2) {
            error_ = "truncated command header at offset " + Int(static_cast<long>(e.offset));
            return false;
        }
        unsigned head = (static_cast<unsigned>(data[pos]) << 8) | data[pos + 1];
        pos += 2;
        e.elementClass = static_cast<int>(head >> 12);
        e.elementId = static_cast<int>((head >> 5) & 0x7F);
        size_t len = head & 0x1F;
        if (len < 31) {
            if (size - pos < len) {
                error_ = "element at offset " + Int(static_cast<long>(e.offset)) +
                         " runs past the end of the data";
                return false;
            }
            e.params.assign(data + pos, data + pos + len);
            pos += len + (len & 1);
        } else {
            bool more = true;
            while (more) {
                if (size - pos < 2) {
                    error_ =
                        "truncated partition header in element at offset " + Int(static_cast<long>(e.offset));
                    return false;
                }
                unsigned w = (static_cast<unsigned>(data[pos]) << 8) | data[pos + 1];
                pos += 2;
                more = (w & 0x8000) != 0;
                size_t part = w & 0x7FFF;
                if (size - pos < part) {
                    error_ = "element at offset " + Int(static_cast<long>(e.offset)) +
                             " runs past the end of the data";
                    return false;
                }
                e.params.insert(e.params.end(), data + pos, data + pos + part);
                pos += part;
                if (part & 1) {
                    if (more) {
                        error_ = "odd partition inside element at offset " + Int(static_cast<long>(e.offset));
                        return false;
                    }
                    ++pos;
                }
            }
        }
        if (pos > size) pos = size; /* padding octet missing at the very end: tolerated */
        e.name = sElementName(e.elementClass, e.elementId);
        try {
            if (e.elementClass == 1 && e.elementId == 12) {
                if (depth > 0) throw Malformed("nested defaults replacement");
                e.text = e.name;
                elements_.push_back(e);
                size_t inner = e.offset + 2;
                std::vector<uint8_t> params = e.params;
                if (!DecodeElements(params.data(), params.size(), inner, depth + 1)) return false;
                continue;
            }
            Describe(e);
        } catch (const Malformed &m) {
            error_ = e.name + " at offset " + Int(static_cast<long>(e.offset)) + ": " + m.what();
            return false;
        }
        elements_.push_back(std::move(e));
        if (depth == 0 && elements_.back().elementClass == 0 && elements_.back().elementId == 2)
            return true; /* END METAFILE: anything after it is not ours to read */
    }
    return true;
}

void CgmDecoder::Describe(CgmElement &e)
{
    Reader r(e.params, state_);
    std::string t = e.name;
    auto add = [&t](const std::string &s) {
        t.push_back(' ');
        t += s;
    };
    auto points = [&]() {
        if (r.Left() % r.PointSize()) throw Malformed("point list of odd length");
        while (!r.AtEnd()) add(r.P());
    };
    State &s = state_;
    int c = e.elementClass, id = e.elementId;
    bool known = true;
    switch (c * 1000 + id) {
    case 1:
    case 3:
    case 1002:
        if (!r.AtEnd()) add(Quote(r.S()));
        break;
    case 7001:
        add(Int(r.E()));
        add(Quote(r.S()));
        break;
    case 7002:
        add(Int(r.I()));
        add(Quote(r.S()));
        break;
    case 1016: add(Int(r.I())); break;
    case 2:
    case 4:
    case 5:
    case 7:
    case 9: break;
    case 1001: add(Int(r.I())); break;
    case 1003:
        s.vdcType = static_cast<int>(r.E());
        if (s.vdcType != 0 && s.vdcType != 1) throw Malformed("unknown VDC type");
        add(s.vdcType ? "real" : "integer");
        break;
    case 1004:
        s.intPrecision = static_cast<int>(r.I());
        CheckPrecision(s.intPrecision, true);
        add(Int(s.intPrecision));
        break;
    case 1005: {
        std::string txt;
        ReadRealPrecision(r, s.realFloat, s.realBits, txt);
        add(txt);
        break;
    }
    case 1006:
        s.indexPrecision = static_cast<int>(r.I());
        CheckPrecision(s.indexPrecision, true);
        add(Int(s.indexPrecision));
        break;
    case 1007:
        s.colourPrecision = static_cast<int>(r.I());
        CheckPrecision(s.colourPrecision, true);
        add(Int(s.colourPrecision));
        break;
    case 1008:
        s.colourIndexPrecision = static_cast<int>(r.I());
        CheckPrecision(s.colourIndexPrecision, true);
        add(Int(s.colourIndexPrecision));
        break;
    case 1009: add(Int(static_cast<long>(r.CI()))); break;
    case 1010:
        add(r.CD());
        add(r.CD());
        break;
    case 1011: {
        long n = r.I();
        add(Int(n));
        while (!r.AtEnd()) {
            std::string a = Int(r.IX());
            add("(" + a + "," + Int(r.IX()) + ")");
        }
        break;
    }
    case 1013:
        while (!r.AtEnd()) add(Quote(r.S()));
        break;
    case 1014:
        while (!r.AtEnd()) {
            add(Int(r.E()));
            add(Quote(r.S()));
        }
        break;
    case 1015: add(Int(r.E())); break;
    case 2001:
        add(Int(r.E()));
        add(r.R());
        break;
    case 2002:
        s.colourMode = static_cast<int>(r.E());
        add(Int(s.colourMode));
        break;
    case 2003:
        s.lineWidthMode = static_cast<int>(r.E());
        add(Int(s.lineWidthMode));
        break;
    case 2004:
        s.markerSizeMode = static_cast<int>(r.E());
        add(Int(s.markerSizeMode));
        break;
    case 2005:
        s.edgeWidthMode = static_cast<int>(r.E());
        add(Int(s.edgeWidthMode));
        break;
    case 2006:
        add(r.P());
        add(r.P());
        break;
    case 2007: add(r.CD()); break;
    case 3001:
        s.vdcIntPrecision = static_cast<int>(r.I());
        CheckPrecision(s.vdcIntPrecision, false);
        add(Int(s.vdcIntPrecision));
        break;
    case 3002: {
        std::string txt;
        ReadRealPrecision(r, s.vdcRealFloat, s.vdcRealBits, txt);
        add(txt);
        break;
    }
    case 3003: add(r.CO()); break;
    case 3004:
    case 3006: add(Int(r.E())); break;
    case 3005:
        add(r.P());
        add(r.P());
        break;
    case 4001:
    case 4002:
    case 4003:
    case 4007: points(); break;
    case 4008:
        while (!r.AtEnd()) {
            add(r.P());
            add(Int(r.E()));
        }
        break;
    case 4004: {
        add(r.P());
        add(r.E() ? "final" : "not-final");
        add(Quote(r.S()));
        break;
    }
    case 4005: {
        add(r.VDC());
        add(r.VDC());
        add(r.P());
        add(r.E() ? "final" : "not-final");
        add(Quote(r.S()));
        break;
    }
    case 4006:
        add(r.E() ? "final" : "not-final");
        add(Quote(r.S()));
        break;
    case 4011:
        add(r.P());
        add(r.P());
        break;
    case 4012:
        add(r.P());
        add(r.VDC());
        break;
    case 4013:
        add(r.P());
        add(r.P());
        add(r.P());
        break;
    case 4014:
        add(r.P());
        add(r.P());
        add(r.P());
        add(Int(r.E()));
        break;
    case 4015:
    case 4020:
    case 4016: {
        add(r.P());
        std::string a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        add(r.VDC());
        if (id == 16) add(Int(r.E()));
        break;
    }
    case 4017:
        add(r.P());
        add(r.P());
        add(r.P());
        break;
    case 4018:
    case 4019: {
        add(r.P());
        add(r.P());
        add(r.P());
        std::string a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        if (id == 19) add(Int(r.E()));
        break;
    }
    case 4024:
    case 4025: {
        long order = r.I(), n = r.I();
        add(Int(order));
        add(Int(n));
        if (order < 1 || n < 0 || order > 1000000 || n > 10000000)
            throw Malformed("bad spline order or count");
        for (long i = 0; i < n; ++i) add(r.P());
        for (long i = 0; i < order + n; ++i) add(r.R());
        add(r.R());
        add(r.R());
        if (id == 25)
            for (long i = 0; i < n; ++i) add(r.R());
        break;
    }
    case 4026:
        add(Int(r.IX()));
        points();
        break;
    case 5002:
    case 5006:
    case 5010:
    case 5019:
    case 5020:
    case 5027: add(Int(r.IX())); break;
    case 5003: add(r.Width(s.lineWidthMode)); break;
    case 5007: add(r.Width(s.markerSizeMode)); break;
    case 5028: add(r.Width(s.edgeWidthMode)); break;
    case 5004:
    case 5008:
    case 5014:
    case 5023:
    case 5029: add(r.CO()); break;
    case 5011:
    case 5017:
    case 5022:
    case 5030: add(Int(r.E())); break;
    case 5012:
    case 5013: add(r.R()); break;
    case 5015: add(r.VDC()); break;
    case 5016: {
        std::string a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        a = r.VDC();
        add("(" + a + "," + r.VDC() + ")");
        break;
    }
    case 5018:
        add(Int(r.E()));
        add(Int(r.E()));
        add(r.R());
        add(r.R());
        break;
    case 5034: {
        add(Int(static_cast<long>(r.CI())));
        size_t entry = 3 * static_cast<size_t>(s.colourPrecision / 8);
        if (r.Left() % entry) throw Malformed("colour list of odd length");
        while (!r.AtEnd()) add(r.CD());
        break;
    }
    case 6001:
        add(Int(r.I()));
        add(Quote(r.S()));
        break;
    default: known = false; break;
    }
    if (!known) {
        if (!r.AtEnd()) add(r.Hex(64));
    } else if (!r.AtEnd()) {
        add("+ " + r.Hex(16));
    }
    e.text = t;
}

std::string CgmDecoder::Listing() const
{
    std::string out;
    for (const CgmElement &e : elements_) {
        if (e.depth) out += "  ";
        out += e.text;
        out.push_back('\n');
    }
    return out;
}

std::vector<std::string> CgmDecoder::Lines(const std::string &name) const
{
    std::vector<std::string> out;
    for (const CgmElement &e : elements_)
        if (e.name == name) out.push_back(e.text);
    return out;
}

std::vector<double> CgmDecoder::sNumbers(const std::string &line)
{
    std::vector<double> out;
    const char *p = line.c_str();
    while (*p) {
        const bool sign = (*p == '-' || *p == '.') && p[1] >= '0' && p[1] <= '9';
        const bool startsWord = p == line.c_str() || p[-1] == ' ' || p[-1] == '(' || p[-1] == ',';
        if (((*p >= '0' && *p <= '9') || sign) && startsWord) {
            char *end;
            out.push_back(std::strtod(p, &end));
            p = end;
        } else {
            ++p;
        }
    }
    return out;
}
