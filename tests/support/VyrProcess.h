/* Test helpers for processes: whether a process group still has a living
 * member, read from /proc (a zombie whose reaping is up to whoever adopted
 * it is dead), and whether a call that might wait on a pipe returns. */
#ifndef VYR_TESTS_SUPPORT_VYRPROCESS_H
#define VYR_TESTS_SUPPORT_VYRPROCESS_H

#include <sys/types.h>

#include <functional>
#include <string>

/* True while a process of the group is alive. */
bool VyrGroupAlive(pid_t group);

/* Waits up to `seconds` for the group to die; true when it did. */
bool VyrGroupEnds(pid_t group, double seconds);

/* Runs `call` in a thread and waits up to `seconds` for it to return. When
 * it has not, `fifo` is opened for writing and closed again, which releases
 * an open(2) of it that waits for a writer (reads then see its end), and
 * the call is waited for. True when it returned in time. */
bool VyrReturnsWithin(double seconds, const std::function<void()> &call, const std::string &fifo);

#endif
