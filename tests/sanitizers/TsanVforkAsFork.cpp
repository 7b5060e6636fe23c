// Linked into every test of the ThreadSanitizer build (LUMIGROVE_TSAN) only.
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

// QProcess starts a program through clone(CLONE_VM | CLONE_VFORK): the child runs in the
// parent's memory until it execs. The sanitizer's clone wrapper takes the child for a fork
// and, in it, marks the process as forked with several threads, stops watching the calling
// thread and silences its reports; in shared memory all of that lands in the parent, which
// then dies at its next new thread or goes on unwatched. The sanitizer turns vfork() into
// fork() for this reason; this does the same for such a clone.
extern "C" int clone(int (*body)(void*), void* stack, int flags, void* argument, ...) {
    va_list rest;
    va_start(rest, argument);
    auto* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    auto* childTid = va_arg(rest, pid_t*);
    va_end(rest);
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    // The sanitizer's wrapper, next after the executable in the lookup order.
    static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    if ((flags & CLONE_VM) != 0 && (flags & CLONE_VFORK) != 0 && (flags & CLONE_THREAD) == 0) {
        flags &= ~(CLONE_VM | CLONE_VFORK);
    }
    return next(body, stack, flags, argument, parentTid, tls, childTid);
}
