/* Decoder of binary CGM (ISO/IEC 8632-3) into a clear-text listing, one
 * element per line with its parameters. It follows the precisions and modes
 * a metafile declares (VDC type, integer, real, index and colour
 * precisions, colour selection mode, width and size specification modes,
 * defaults replacement), so it reads other producers' metafiles as well as
 * ours. Malformed input stops the decoding with an error that names the
 * offset; the elements decoded before it are kept. Numbers are printed in
 * the shortest form that reads back to the same value, independent of the
 * locale. */
#ifndef VYR_TOOLS_CGMDECODE_CGMDECODER_H
#define VYR_TOOLS_CGMDECODE_CGMDECODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CgmElement {
    int elementClass = 0;
    int elementId = 0;
    size_t offset = 0;           /* of the command header in the input */
    std::vector<uint8_t> params; /* parameter octets, partitions joined */
    std::string name;            /* e.g. "POLYLINE" */
    std::string text;            /* the listing line: name and parameters */
    int depth = 0;               /* 1 inside METAFILE DEFAULTS REPLACEMENT */
};

class CgmDecoder {
public:
    /* Decodes a whole metafile; false on malformed input (see Error()). */
    bool Decode(const uint8_t *data, size_t size);

    const std::vector<CgmElement> &Elements() const { return elements_; }
    const std::string &Error() const { return error_; }
    /* One line per element, embedded elements indented by two spaces. */
    std::string Listing() const;
    /* The listing lines of the elements named `name`, in order. */
    std::vector<std::string> Lines(const std::string &name) const;

    /* The numbers of a listing line, in order: every word that starts with
     * a digit, or with a sign or a point before one. */
    static std::vector<double> sNumbers(const std::string &line);

    /* The name of an element, or "CLASS c ID i" for an unknown one. */
    static std::string sElementName(int elementClass, int elementId);

    struct State {
        int vdcType = 0; /* 0 integer, 1 real */
        int intPrecision = 16;
        int realFloat = 0; /* 0 fixed, 1 floating */
        int realBits = 32;
        int indexPrecision = 16;
        int colourPrecision = 8;
        int colourIndexPrecision = 8;
        int vdcIntPrecision = 16;
        int vdcRealFloat = 0;
        int vdcRealBits = 32;
        int colourMode = 0;    /* 0 indexed, 1 direct */
        int lineWidthMode = 1; /* 0 absolute, 1 scaled, 2 fractional, 3 mm */
        int markerSizeMode = 1;
        int edgeWidthMode = 1;
    };

private:
    bool DecodeElements(const uint8_t *data, size_t size, size_t base, int depth);
    void Describe(CgmElement &e);

    State state_;
    std::vector<CgmElement> elements_;
    std::string error_;
};

#endif
