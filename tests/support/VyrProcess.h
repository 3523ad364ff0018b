/* Test helpers for processes: whether a process group still has a living
 * member, read from /proc (a zombie whose reaping is up to whoever adopted
 * it is dead). */
#ifndef VYR_TESTS_SUPPORT_VYRPROCESS_H
#define VYR_TESTS_SUPPORT_VYRPROCESS_H

#include <sys/types.h>

/* True while a process of the group is alive. */
bool VyrGroupAlive(pid_t group);

/* Waits up to `seconds` for the group to die; true when it did. */
bool VyrGroupEnds(pid_t group, double seconds);

#endif
