/* The external converter's program path and temporary files. A temporary
 * file holds the drawing's contents, so it is created exclusively with mode
 * 0600, and it is removed only when this interface created it: after the
 * converter reports that there is nothing to convert, the preprocessor name
 * is a copy of the user's input path, and that file is never removed. A
 * directory given for the temporary files holds every name chosen after it,
 * new names for a name that exists already and those of later parses alike. */
#include "kernel/dxfi/dxfi_int.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/ugn/ugn_int.h"

namespace {

constexpr int kCreateTries = 16;

void drop(char **name, int *created)
{
    if (*name && *created) {
        unlink(*name);
        ugn_UntrackFile(*name);
    }
    free(*name);
    *name = nullptr;
    *created = 0;
}

/* The directory given for temporary files, or null for ugn_TempFile's. */
char *g_directory = nullptr;

/* A new temporary name, in `directory` or through ugn_TempFile. */
char *new_name(const char *directory)
{
    if (!directory) {
        const char *name = ugn_TempFile();
        return name ? strdup(name) : nullptr;
    }
    const int n = ugn__NumberedTempName(directory, nullptr, 0);
    if (n < 0) return nullptr;
    char *name = static_cast<char *>(malloc(size_t(n) + 1));
    if (name) ugn__NumberedTempName(directory, name, size_t(n) + 1);
    return name;
}

} // namespace

extern "C" {

char *dxfi__processor = nullptr;
char *dxfi__preprocessor_tmpfile = nullptr;
char *dxfi__postprocessor_tmpfile = nullptr;
int dxfi__preprocessor_created = 0;
int dxfi__postprocessor_created = 0;

int32_t dxfi_SetProcessorTmpFilePath(const char *directory)
{
    dxfi__DropTmpFiles();
    free(g_directory);
    g_directory = directory ? strdup(directory) : nullptr;
    dxfi__preprocessor_tmpfile = new_name(g_directory);
    dxfi__postprocessor_tmpfile = new_name(g_directory);
    return 0;
}

int32_t dxfi_SetProcessor(const char *program)
{
    free(dxfi__processor);
    dxfi__processor = nullptr;
    if (!program) return 0;
    dxfi__processor = strdup(program);
    return dxfi__processor ? 0 : mpm__SetError(0, DXFI_MALLOC_ERROR, MPM_ERROR);
}

void dxfi__DropTmpFiles(void)
{
    drop(&dxfi__preprocessor_tmpfile, &dxfi__preprocessor_created);
    drop(&dxfi__postprocessor_tmpfile, &dxfi__postprocessor_created);
}

void dxfi__ForgetTmpDirectory(void)
{
    free(g_directory);
    g_directory = nullptr;
}

void dxfi__DropPreprocessorFile(void) { drop(&dxfi__preprocessor_tmpfile, &dxfi__preprocessor_created); }

int dxfi__CreatePreprocessorFile(void)
{
    for (int attempt = 0; attempt < kCreateTries; ++attempt) {
        if (!dxfi__preprocessor_tmpfile || attempt > 0) {
            drop(&dxfi__preprocessor_tmpfile, &dxfi__preprocessor_created);
            /* a numbered name in the directory moves on only with the count */
            if (attempt > 0 && g_directory) ugn__TmpNum++;
            dxfi__preprocessor_tmpfile = new_name(g_directory);
            if (!dxfi__preprocessor_tmpfile) return -1;
        }
        if (dxfi__preprocessor_created) return 0;
        /* Registered first, so that a stop by signal removes it whenever
         * it exists. */
        if (ugn_TrackFile(dxfi__preprocessor_tmpfile) != 0) return -1;
        int fd = open(dxfi__preprocessor_tmpfile, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            dxfi__preprocessor_created = 1;
            return 0;
        }
        const int error = errno;
        ugn_UntrackFile(dxfi__preprocessor_tmpfile);
        if (error != EEXIST) return -1;
    }
    return -1;
}

int dxfi__UseInputAsPreprocessorFile(const char *path)
{
    drop(&dxfi__preprocessor_tmpfile, &dxfi__preprocessor_created);
    dxfi__preprocessor_tmpfile = path ? strdup(path) : nullptr;
    return dxfi__preprocessor_tmpfile ? 0 : -1;
}

} // extern "C"
