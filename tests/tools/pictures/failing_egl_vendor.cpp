// An EGL vendor library for libglvnd that fails as soon as it is loaded, as
// RW_FAILING_EGL says: "abort", "segv" or "exit" (status 7). It says so on
// standard error first, as a real library would.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int __egl_Main(unsigned, const void*, void*,
                                                                 void*) {
    const char* how = std::getenv("RW_FAILING_EGL");
    static const char kSaid[] = "failing EGL vendor: giving up\n";
    if (write(STDERR_FILENO, kSaid, sizeof kSaid - 1) < 0) {
        // Nothing more to say.
    }
    if (how != nullptr && std::strcmp(how, "segv") == 0) raise(SIGSEGV);
    if (how != nullptr && std::strcmp(how, "exit") == 0) std::exit(7);
    std::abort();
}
