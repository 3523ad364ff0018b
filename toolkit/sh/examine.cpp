/* The default examine-shape-file callback: finds a font file named in a
 * drawing on this machine. Backslashes become slashes and a drive prefix is
 * dropped; then the name as given, its bare file name, and the name in each
 * directory of the ACAD environment variable (separated by ";" or ":") are
 * tried. Drawings name fonts in any letter case, so in each directory a
 * file whose name differs only in ASCII case is taken when no exact one
 * exists. Only regular files count: a FIFO or a directory is passed over
 * without being opened. */
#include "toolkit/ad/ad_int.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

bool isregular(const std::string &p)
{
    struct stat st;
    return !p.empty() && stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

/* A regular file of `path`'s directory named like its last part. */
bool find(const std::string &path, std::string &found)
{
    if (path.empty() || path.back() == '/') return false;
    if (isregular(path)) {
        found = path;
        return true;
    }
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string file = path.substr(slash == std::string::npos ? 0 : slash + 1);
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool ok = false;
    while (dirent *e = readdir(d))
        if (!adstricmp(e->d_name, file.c_str()) && isregular(dir + e->d_name)) {
            found = dir + e->d_name;
            ok = true;
            break;
        }
    closedir(d);
    return ok;
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
    const size_t slash = n.find_last_of('/');
    const std::string bare = n.substr(slash == std::string::npos ? 0 : slash + 1);
    std::string found;
    if (!find(n, found) && !find(bare, found)) {
        const char *acad = std::getenv("ACAD");
        std::string dirs(acad ? acad : "");
        size_t start = 0;
        while (start < dirs.size() && found.empty()) {
            size_t end = dirs.find_first_of(";:", start);
            if (end == std::string::npos) end = dirs.size();
            std::string dir = dirs.substr(start, end - start);
            if (!dir.empty()) {
                if (dir.back() != '/') dir += '/';
                if (!find(dir + n, found)) find(dir + bare, found);
            }
            start = end + 1;
        }
    }
    if (found.empty() || found.size() >= AD_FILENAME_LEN) return 0;
    std::memcpy(path, found.c_str(), found.size() + 1);
    return 1;
}
