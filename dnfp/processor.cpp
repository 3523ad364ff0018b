/* Where the external converter program is found. A configured program with
 * a slash in its name is taken as it is; a bare name is looked up in the
 * directories of PATH. The default program is looked for first beside the
 * library itself (the same directory, then the installed layout's bin/
 * next to its lib/ directory), then on PATH. Only absolute PATH entries
 * count: an empty entry or "." would run whatever file of that name lies in
 * the current directory. */
#include "dnfp/dnfp_int.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "kernel/dxfi/dxfi_int.h"

#ifndef VYR_LIB_TO_BIN
#define VYR_LIB_TO_BIN "../bin"
#endif

namespace {

bool executable_file(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool same_file(const char *a, const char *b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

/* The directory of the file that holds this code: the shared library, or
 * the program itself when the library is linked statically. The loader
 * names the main program as it was started (possibly relative, possibly
 * only a name found on PATH), so that case goes through /proc. */
std::string own_directory()
{
    Dl_info info;
    std::string file;
    if (dladdr(reinterpret_cast<void *>(&dnfp__FindProcessor), &info) != 0 && info.dli_fname &&
        info.dli_fname[0] == '/' && !same_file(info.dli_fname, "/proc/self/exe"))
        file = info.dli_fname;
    else
        file = "/proc/self/exe";
    char resolved[PATH_MAX];
    if (!realpath(file.c_str(), resolved)) return std::string();
    std::string dir = resolved;
    return dir.substr(0, dir.find_last_of('/'));
}

std::string on_path(const char *name)
{
    const char *path = getenv("PATH");
    std::string fallback;
    if (!path) {
        size_t n = confstr(_CS_PATH, nullptr, 0);
        fallback.resize(n);
        if (n > 0) confstr(_CS_PATH, &fallback[0], n);
        fallback.resize(strlen(fallback.c_str()));
        path = fallback.c_str();
    }
    for (const char *p = path;;) {
        const char *end = strchr(p, ':');
        std::string dir(p, end ? size_t(end - p) : strlen(p));
        if (!dir.empty() && dir[0] == '/') {
            std::string candidate = dir + "/" + name;
            if (executable_file(candidate)) return candidate;
        }
        if (!end) break;
        p = end + 1;
    }
    return std::string();
}

} // namespace

extern "C" char *dnfp__FindProcessor(const char *configured)
{
    std::string found;
    if (configured && strchr(configured, '/')) {
        found = configured;
    } else if (configured && *configured) {
        found = on_path(configured);
    } else {
        const std::string dir = own_directory();
        if (!dir.empty()) {
            for (const std::string &candidate :
                 {dir + "/" DXFI_DEFAULT_PROCESSOR, dir + "/" VYR_LIB_TO_BIN "/" DXFI_DEFAULT_PROCESSOR})
                if (found.empty() && executable_file(candidate)) found = candidate;
        }
        if (found.empty()) found = on_path(DXFI_DEFAULT_PROCESSOR);
    }
    return found.empty() ? nullptr : strdup(found.c_str());
}
