/* Test helper: an independent viewer, LibreOffice, converts a picture into
 * another format (PNG, PDF, SVG) headless, with a private profile in the
 * picture's directory. LibreOffice needs minutes for a large picture on a
 * busy machine; a run that does not finish in the time allowed is reported
 * as such, so a test can skip rather than fail on the machine's load. */
#ifndef VYR_TESTS_SUPPORT_VYROFFICE_H
#define VYR_TESTS_SUPPORT_VYROFFICE_H

#include <string>

enum class VyrOfficeStatus {
    Converted,    /* the output file exists */
    NotInstalled, /* no soffice on the PATH */
    TooSlow,      /* still running when the time was up */
    Failed        /* finished without writing the output */
};

/* Converts `dir`/`file` into `format` in `dir`; the output's path is
 * `dir`/<file's name>.<format>. */
VyrOfficeStatus VyrOfficeConvert(const std::string &dir, const std::string &file, const std::string &format,
                                 int seconds = 240);

#endif
