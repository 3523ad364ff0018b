/* The default examine-shape-file callback: finds a font file named in a
 * drawing on this machine. Backslashes become slashes and a drive prefix is
 * dropped; then the name as given, its bare file name, and the name in each
 * directory of the ACAD environment variable (";"-separated) are tried. */
#include "toolkit/ad/ad_int.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

bool exists(const std::string &p)
{
    struct stat st;
    return !p.empty() && stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

extern "C" int adDefaultExamineFile(const char *name, char *path, void *userdata)
{
    (void)userdata;
    if (!name || !path) return 0;
    std::string n(name);
    for (char &c : n)
        if (c == '\\') c = '/';
    if (n.size() >= 2 && n[1] == ':' && ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z')))
        n.erase(0, 2);
    std::string found;
    if (exists(n)) {
        found = n;
    } else {
        std::string bare = n.substr(n.find_last_of('/') == std::string::npos ? 0 : n.find_last_of('/') + 1);
        if (exists(bare)) {
            found = bare;
        } else if (const char *acad = std::getenv("ACAD")) {
            std::string dirs(acad);
            size_t start = 0;
            while (start <= dirs.size() && found.empty()) {
                size_t semi = dirs.find(';', start);
                std::string dir =
                    dirs.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
                if (!dir.empty()) {
                    if (dir.back() != '/') dir += '/';
                    if (exists(dir + n))
                        found = dir + n;
                    else if (exists(dir + bare))
                        found = dir + bare;
                }
                if (semi == std::string::npos) break;
                start = semi + 1;
            }
        }
    }
    if (found.empty() || found.size() >= AD_FILENAME_LEN) return 0;
    std::memcpy(path, found.c_str(), found.size() + 1);
    return 1;
}
