// Built into every program and test that runs the office's UNO runtime, in the
// ThreadSanitizer build (LUMIGROVE_TSAN) only.
//
// Strings and objects are shared with the runtime's bridge threads by reference count, and
// whichever thread lets go last frees them: a string a call returned is read here while the
// bridge's reader still holds the reply's copy; the connection object of ours that the
// bridge reads through is made here and destroyed on the bridge thread that lets it go last. The
// counts are atomics inside the runtime's libraries (libuno_sal, libuno_cppuhelpergcc3), out of
// TSan's sight, which would report that free or destructor as racing with our earlier use. Each
// release is told to TSan as the acquire-release it is, on the counted object's address; nothing is
// left out of its watch.
#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

namespace {

using Release = void (*)(void*);

void releaseCounted(Release next, void* counted) {
    __tsan_release(counted);
    __tsan_acquire(counted);
    next(counted);
}

} // namespace

// rtl_uString_release(rtl_uString*), the runtime's string release.
extern "C" void rtl_uString_release(void* string) {
    static const auto next = reinterpret_cast<Release>(dlsym(RTLD_NEXT, "rtl_uString_release"));
    releaseCounted(next, string);
}

// cppu::OWeakObject::release(), which every object of ours that the office holds goes through.
extern "C" void _ZN4cppu11OWeakObject7releaseEv(void* object) {
    static const auto next =
        reinterpret_cast<Release>(dlsym(RTLD_NEXT, "_ZN4cppu11OWeakObject7releaseEv"));
    releaseCounted(next, object);
}
