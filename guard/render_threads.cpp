#include "guard/render_threads.h"

#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// llvmpipe never starts more than this many threads of its own.
constexpr int kMostRenderThreads = 32;

pthread_mutex_t gate = PTHREAD_MUTEX_INITIALIZER;

void* waitAtTheGate(void*) {
    pthread_mutex_lock(&gate);
    pthread_mutex_unlock(&gate);
    return nullptr;
}

// How many threads with the usual stack can run at once beside the calling
// one, counted up to `most`: each is started and kept waiting until all
// have been counted.
int threadsThatCanStartAtOnce(int most) {
    std::vector<pthread_t> started;
    started.reserve(static_cast<std::size_t>(most));
    pthread_mutex_lock(&gate);
    while (static_cast<int>(started.size()) < most) {
        pthread_t thread;
        if (pthread_create(&thread, nullptr, waitAtTheGate, nullptr) != 0) break;
        started.push_back(thread);
    }
    pthread_mutex_unlock(&gate);
    for (const pthread_t thread : started) pthread_join(thread, nullptr);
    return static_cast<int>(started.size());
}

// The threads llvmpipe will start: LP_NUM_THREADS where set, else one per
// processor (none on one processor), at most kMostRenderThreads. Processors
// are counted both ways the library may count them, the larger taken.
int threadsTheRasteriserWants() {
    const char* set = getenv("LP_NUM_THREADS");
    if (set != nullptr && *set != '\0') {
        char* end = nullptr;
        const long wanted = strtol(set, &end, 0);
        if (*end == '\0' && wanted >= 0)
            return static_cast<int>(std::min<long>(wanted, kMostRenderThreads));
    }
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0) {
        processors = std::max<long>(processors, CPU_COUNT(&usable));
    }
    return processors > 1 ? static_cast<int>(std::min<long>(processors, kMostRenderThreads)) : 0;
}

}  // namespace

void fitRenderThreadsToWhatCanStart() {
    const int wanted = threadsTheRasteriserWants();
    const int ours = 1;  // the X server's ping may run while the library starts its threads
    const int startable = threadsThatCanStartAtOnce(wanted + ours);
    if (startable >= wanted + ours) return;
    setenv("LP_NUM_THREADS", std::to_string(std::max(0, startable - ours)).c_str(), 1);
}
