/* Test helper of the picture tests: converts a drawing of tests/data/picture
 * (written by ezdxf, see make_picture_drawings.py there) with given options
 * and profile, decodes the metafile, and reads the values ezdxf computed for
 * the same drawing from its .expect file. */
#ifndef VYR_TESTS_DXF2CGM_PICTURE_FILES_H
#define VYR_TESTS_DXF2CGM_PICTURE_FILES_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "platform/print/VyrPrintCGMGenerator.h"
#include "support/VyrTempFile.h"
#include "tools/cgmdecode/CgmDecoder.h"

namespace vyrtest {

inline std::string PictureDrawing(const std::string &name)
{
    return std::string(VYR_TEST_DATA_DIR) + "/picture/" + name + ".dxf";
}

/* The numbers ezdxf wrote under `key` for drawing `name`; empty (and a test
 * failure) when there are none. */
inline std::vector<double> Expected(const std::string &name, const std::string &key)
{
    std::ifstream in(std::string(VYR_TEST_DATA_DIR) + "/picture/" + name + ".expect");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first != key) continue;
        std::vector<double> out;
        double v;
        while (words >> v) out.push_back(v);
        return out;
    }
    ADD_FAILURE() << "no expected value " << key << " for " << name;
    return {};
}

/* The numbers of a decoded listing line, in order. */
inline std::vector<double> ListedNumbers(const std::string &line) { return CgmDecoder::sNumbers(line); }

/* One conversion of a picture drawing into a temporary metafile. */
class ConvertedPicture {
public:
    /* Without options the two-argument Convert runs. */
    ConvertedPicture(const std::string &name, const VyrDxf2CgmOptions *options,
                     VyrCgmProfile profile = VyrCgmProfileStandard)
    {
        VyrPrintCGMGenerator::sSetDefaultProfile(profile);
        const std::string &output = file_.Path();
        VyrDxf2Cgm converter;
        const std::string input = PictureDrawing(name);
        result_ = options ? converter.Convert(input.c_str(), output.c_str(), *options)
                          : converter.Convert(input.c_str(), output.c_str());
        converter.GetZelResults(&counts_);
        VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileStandard);
        const std::vector<uint8_t> bytes = file_.Read();
        decoded_ = decoder_.Decode(bytes.data(), bytes.size());
    }

    int Result() const { return result_; }
    bool Decoded() const { return decoded_; }
    const CgmDecoder &Decoder() const { return decoder_; }
    const ZelResults &Counts() const { return counts_; }
    std::vector<std::string> Lines(const std::string &name) const { return decoder_.Lines(name); }

private:
    VyrTempFile file_;
    int result_ = -1;
    bool decoded_ = false;
    CgmDecoder decoder_;
    ZelResults counts_{};
};

} // namespace vyrtest

#endif
