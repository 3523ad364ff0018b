/* Test helper: a CGM generator writing into a temporary file, and the
 * decoded result once it is released. The file is removed at the end. */
#ifndef VYR_TESTS_SUPPORT_CGMCAPTURE_H
#define VYR_TESTS_SUPPORT_CGMCAPTURE_H

#include "platform/print/VyrPrintCGMGenerator.h"
#include "platform/print/VyrPrintStream.h"
#include "tools/cgmdecode/CgmDecoder.h"

#include "VyrTempFile.h"

#include <memory>
#include <string>
#include <vector>

class CgmCapture {
public:
    explicit CgmCapture(VyrCgmProfile profile = VyrCgmProfileStandard, const char *datum = "V3");
    ~CgmCapture();

    VyrPrintCGMGenerator *operator->() { return g_; }
    VyrPrintCGMGenerator &Generator() { return *g_; }
    VyrPrintStream &Stream() { return *stream_; }

    /* Releases the generator, closes the stream and decodes the file;
     * decoding errors are reported as test failures. */
    const CgmDecoder &Finish();
    const std::vector<uint8_t> &Bytes() const { return bytes_; }

    /* Lines of the elements named `name` after Finish. */
    std::vector<std::string> Lines(const std::string &name) const { return decoder_.Lines(name); }
    /* Names of all elements after Finish, in order. */
    std::vector<std::string> Names() const;

private:
    VyrTempFile file_;
    std::unique_ptr<VyrPrintStream> stream_;
    VyrPrintCGMGenerator *g_;
    CgmDecoder decoder_;
    std::vector<uint8_t> bytes_;
};

#endif
