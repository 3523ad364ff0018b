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

char *ugn_TempFile(void)
{
    char *dir = nullptr;
    ugn_GetEnv(0, "TRAMEL_TMP", &dir);
    int n;
    if (dir) {
        n = ugn__NumberedTempName(dir, ugn__TmpNam, sizeof ugn__TmpNam);
        ugn__TmpNum++;
    } else {
        const char *base = getenv("TMPDIR");
        if (!base || base[0] != '/') base = P_tmpdir;
        size_t len = strlen(base);
        const char *sep = len > 0 && base[len - 1] == '/' ? "" : "/";
        struct stat st;
        int tries = 0;
        do {
            char part[8];
            ugn__RandomPart(part, 6);
            n = snprintf(ugn__TmpNam, sizeof ugn__TmpNam, "%s%sfile%s", base, sep, part);
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
