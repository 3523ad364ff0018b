/* Test helpers for processes (see the header). */
#include "support/VyrProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

bool VyrGroupAlive(pid_t group)
{
    DIR *proc = ::opendir("/proc");
    if (!proc) return ::kill(-group, 0) == 0;
    bool alive = false;
    while (dirent *e = ::readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::ifstream in(std::string("/proc/") + e->d_name + "/stat");
        std::string stat;
        std::getline(in, stat);
        /* "pid (comm) state ppid pgrp ...", and comm may hold blanks */
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        long ppid = 0, pgrp = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &ppid, &pgrp) != 3) continue;
        if (pgrp == group && state != 'Z' && state != 'X') alive = true;
    }
    ::closedir(proc);
    return alive;
}

bool VyrGroupEnds(pid_t group, double seconds)
{
    for (int i = 0; i < int(seconds * 100); ++i) {
        if (!VyrGroupAlive(group)) return true;
        ::usleep(10000);
    }
    return !VyrGroupAlive(group);
}

bool VyrReturnsWithin(double seconds, const std::function<void()> &call, const std::string &fifo)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        call();
        done = true;
    });
    for (int i = 0; i < int(seconds * 100) && !done; ++i) ::usleep(10000);
    const bool inTime = done;
    if (!inTime) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
    }
    worker.join();
    return inTime;
}
