#include "guard/render_threads.h"

#include <pthread.h>
#include <stdlib.h>

namespace {

void* nothing(void*) {
    return nullptr;
}

// Whether a thread with the usual stack can be started now.
bool aThreadStarts() {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, nothing, nullptr) != 0) return false;
    pthread_join(thread, nullptr);
    return true;
}

}  // namespace

void drawOnTheCallingThreadWhereNoThreadStarts() {
    if (!aThreadStarts()) setenv("LP_NUM_THREADS", "0", 0);
}
