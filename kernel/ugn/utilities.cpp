/* General utilities. The alias tree and the list of handed-out temporary
 * names exist between ugn_Initialize and ugn_Terminate; without them the
 * lookups fall back to the plain environment and names are not remembered. */
#include "kernel/ugn/ugn_int.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx_int.h"

extern "C" {
char ugn__TmpNam[UGN_TMPNAM_SIZE];
int ugn__TmpNum = 0;
}

namespace {

struct Alias {
    char name[UGN_NAME_SIZE];
    char alias[UGN_NAME_SIZE];
    char *value;
};

OtmTree *g_aliases = nullptr;
OlmList *g_names = nullptr;

/* The temporary directory found last, and whether it came from TRAMEL_TMP
 * (whose files get numbered names). */
char g_tmpdir[UGN_TMPNAM_SIZE];
bool g_tmpdir_from_tramel = false;
/* The variable and value last warned about, so that a conversion hears of
 * an unusable directory once. */
char g_warned[UGN_TMPNAM_SIZE + UGN_NAME_SIZE];

/* 0 when `dir` is a directory this process can create files in, else the
 * reason (an errno value). */
int directory_error(const char *dir)
{
    struct stat st;
    if (stat(dir, &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if (access(dir, W_OK | X_OK) != 0) return errno;
    return 0;
}

void warn_unusable(const char *variable, const char *value, int error, const char *used)
{
    char key[sizeof g_warned];
    snprintf(key, sizeof key, "%s=%s", variable, value);
    if (strcmp(key, g_warned) == 0) return;
    memcpy(g_warned, key, sizeof key);
    mpm__SetError(0, UGN_TMPDIR_UNUSABLE, MPM_WARNING, value, variable, strerror(error), used);
}

int compare_alias(const void *key, const void *stored)
{
    return strcmp(static_cast<const Alias *>(key)->name, static_cast<const Alias *>(stored)->name);
}

void remember(const char *name)
{
    if (!g_names) return;
    char *copy = strdup(name);
    if (!copy) {
        mpm__SetError(0, UGN_MALLOC_ERR, MPM_ERROR);
        return;
    }
    if (!olm_AddObject(0, g_names, OLM_LAST, &copy)) free(copy);
}

} // namespace

extern "C" void ugn__RandomPart(char *out, size_t n)
{
    static const char digits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[32];
    if (n > sizeof bytes) n = sizeof bytes;
    if (getentropy(bytes, n) != 0) {
        uintptr_t seed = (uintptr_t)&bytes ^ (uintptr_t)getpid() ^ (uintptr_t)ugn__TmpNum;
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            bytes[i] = (unsigned char)(seed >> 33);
        }
    }
    for (size_t i = 0; i < n; ++i) out[i] = digits[bytes[i] % (sizeof digits - 1)];
    out[n] = '\0';
}

extern "C" {

int ugn_Initialize(void)
{
    pdx__RegisterModule(&ugn__Module);
    ugn__TmpNum = 0;
    g_warned[0] = '\0';
    if (!g_aliases) g_aliases = otm_CreateTree(0, (int)sizeof(Alias), compare_alias, nullptr);
    if (!g_names) g_names = olm_CreateList(0, (int)sizeof(char *), 16, nullptr);
    if (!g_aliases || !g_names) return mpm__SetError(0, UGN_MALLOC_ERR, MPM_ERROR);
    return 0;
}

int ugn_Terminate(void)
{
    if (g_aliases) {
        otm_ResetCycle(g_aliases);
        while (Alias *a = static_cast<Alias *>(otm_CycleTree(0, g_aliases))) free(a->value);
        otm_DeleteTree(0, g_aliases);
        g_aliases = nullptr;
    }
    if (g_names) {
        olm_ResetCycle(g_names);
        while (char **p = static_cast<char **>(olm_CycleList(0, g_names))) free(*p);
        olm_DeleteList(0, g_names);
        g_names = nullptr;
    }
    return 0;
}

int ugn__NumberedTempName(const char *dir, char *out, size_t size)
{
    size_t len = strlen(dir);
    const char *sep = len > 0 && dir[len - 1] == '/' ? "" : "/";
    return snprintf(out, size, "%s%st%4.4x%03x.%03x", dir, sep, (unsigned)getpid() & 0xFFFFu,
                    (unsigned)ugn__TmpNum & 0xFFu, (unsigned)ugn__TmpNum >> 8);
}

const char *ugn_TempDirectory(void)
{
    char *tramel = nullptr;
    ugn_GetEnv(0, "TRAMEL_TMP", &tramel);
    const struct {
        const char *variable;
        const char *value;
    } candidates[] = {{"TRAMEL_TMP", tramel}, {"TMPDIR", getenv("TMPDIR")}, {nullptr, P_tmpdir}};
    struct Unusable {
        const char *variable, *value;
        int error;
    } unusable[3];
    int n_unusable = 0;
    for (const auto &c : candidates) {
        if (!c.value || !*c.value) continue;
        const int error = directory_error(c.value);
        if (error != 0) {
            unusable[n_unusable++] = {c.variable, c.value, error};
            continue;
        }
        g_tmpdir_from_tramel = c.variable && strcmp(c.variable, "TRAMEL_TMP") == 0;
        snprintf(g_tmpdir, sizeof g_tmpdir, "%s", c.value);
        for (int i = 0; i < n_unusable; ++i)
            warn_unusable(unusable[i].variable, unusable[i].value, unusable[i].error, g_tmpdir);
        return g_tmpdir;
    }
    const Unusable &last = unusable[n_unusable - 1];
    mpm__SetError(0, UGN_NO_TMPDIR, MPM_ERROR, last.value, strerror(last.error));
    return nullptr;
}

char *ugn_TempFile(void)
{
    const char *dir = ugn_TempDirectory();
    int n = -1;
    if (dir && g_tmpdir_from_tramel) {
        n = ugn__NumberedTempName(dir, ugn__TmpNam, sizeof ugn__TmpNam);
        ugn__TmpNum++;
    } else if (dir) {
        size_t len = strlen(dir);
        const char *sep = len > 0 && dir[len - 1] == '/' ? "" : "/";
        struct stat st;
        int tries = 0;
        do {
            char part[8];
            ugn__RandomPart(part, 6);
            n = snprintf(ugn__TmpNam, sizeof ugn__TmpNam, "%s%sfile%s", dir, sep, part);
        } while (n > 0 && (size_t)n < sizeof ugn__TmpNam && lstat(ugn__TmpNam, &st) == 0 && ++tries < 100);
    }
    if (n < 0 || (size_t)n >= sizeof ugn__TmpNam) {
        ugn__TmpNam[0] = '\0';
        return nullptr;
    }
    remember(ugn__TmpNam);
    return ugn__TmpNam;
}

int ugn_GetEnv(int options, const char *name, char **value)
{
    (void)options;
    if (!value) return 0;
    *value = nullptr;
    if (!name) return 0;
    if (g_aliases && strlen(name) < UGN_NAME_SIZE) {
        Alias key;
        memset(&key, 0, sizeof key);
        strcpy(key.name, name);
        Alias *a = static_cast<Alias *>(otm_GetObject(OTM_SILENT, g_aliases, &key));
        if (a) {
            if (a->value) {
                *value = a->value;
                return 0;
            }
            if (a->alias[0] && (*value = getenv(a->alias)) != nullptr) return 0;
        }
    }
    *value = getenv(name);
    return 0;
}

int ugn_SetEnvAlias(int options, const char *name, const char *alias, const char *value)
{
    (void)options;
    if (!name || !*name || strlen(name) >= UGN_NAME_SIZE || (alias && strlen(alias) >= UGN_NAME_SIZE))
        return mpm__SetError(0, UGN_ENV_VAR_TOO_LONG, MPM_ERROR);
    if (!g_aliases) return mpm__SetError(0, UGN_ENVALIAS_ERR, MPM_ERROR);
    Alias fresh;
    memset(&fresh, 0, sizeof fresh);
    strcpy(fresh.name, name);
    Alias *a = static_cast<Alias *>(otm_AddObject(0, g_aliases, &fresh));
    if (!a) return mpm__SetError(0, UGN_ENVALIAS_ERR, MPM_ERROR);
    char *copy = nullptr;
    if (value && !(copy = strdup(value))) return mpm__SetError(0, UGN_MALLOC_ERR, MPM_ERROR);
    memset(a->alias, 0, sizeof a->alias);
    if (alias) strcpy(a->alias, alias);
    free(a->value);
    a->value = copy;
    return 0;
}

int ugn_FileExist(int options, const char *path)
{
    (void)options;
    if (!path) return 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return 1;
    }
    return errno == ENOENT ? 0 : 1;
}

int ugn_GetPID(void) { return (int)getpid(); }

void ugn_GetLower(char *string)
{
    if (!string) return;
    for (char *p = string; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = (char)(*p - 'A' + 'a');
}

void ugn_ZeroByte(size_t count, void *address)
{
    if (address && count) memset(address, 0, count);
}

void ugn_FillByte(size_t count, int byte, void *address)
{
    if (address && count) memset(address, byte, count);
}

void ugn_MoveByte(size_t count, const void *source, void *destination)
{
    if (!source || !destination || count == 0) return;
    const unsigned char *s = static_cast<const unsigned char *>(source);
    unsigned char *d = static_cast<unsigned char *>(destination);
    if (d <= s || d >= s + count) {
        memmove(d, s, count); /* no overlap that a forward copy would feed on */
        return;
    }
    for (size_t i = 0; i < count; ++i) d[i] = s[i];
}

} // extern "C"
