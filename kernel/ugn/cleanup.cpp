/* What a stop by signal must undo. A conversion registers every temporary
 * file before it creates it and the process group of a running external
 * program once it has started; a host's SIGINT or SIGTERM handler calls
 * ugn_CleanUpAfterSignal, which kills that group and removes those files.
 *
 * The handler may interrupt the registering code at any point, so a slot is
 * published only after its path is complete (the slot's flag is written
 * last, behind a signal fence) and withdrawn by clearing the flag first.
 * The clean-up itself calls nothing but kill(2) and unlink(2). */
#include "kernel/ugn/ugn.h"

#include <limits.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

namespace {

struct TrackedFile {
    volatile sig_atomic_t used;
    char path[PATH_MAX];
};

TrackedFile g_files[UGN_TRACKED_FILES];
volatile sig_atomic_t g_group = 0;

} // namespace

extern "C" {

int ugn_TrackFile(const char *path)
{
    if (!path || !*path || strlen(path) >= PATH_MAX) return -1;
    for (TrackedFile &f : g_files) {
        if (f.used) continue;
        memcpy(f.path, path, strlen(path) + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        f.used = 1;
        return 0;
    }
    return -1;
}

void ugn_UntrackFile(const char *path)
{
    if (!path) return;
    for (TrackedFile &f : g_files) {
        if (f.used && strcmp(f.path, path) == 0) {
            f.used = 0;
            std::atomic_signal_fence(std::memory_order_seq_cst);
            return;
        }
    }
}

void ugn_TrackProcessGroup(int group) { g_group = group > 0 ? group : 0; }

void ugn_CleanUpAfterSignal(void)
{
    const int group = g_group;
    if (group > 0) kill(-group, SIGKILL);
    for (TrackedFile &f : g_files)
        if (f.used) unlink(f.path);
}

} // extern "C"
