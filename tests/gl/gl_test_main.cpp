#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gl_window.h"

// Listing the tests (ctest discovery) needs no display; running them opens
// the shared window first.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    const std::string error = glwindow::open(&argc, argv);
    if (!error.empty()) {
        std::fprintf(stderr, "cannot open a GL window: %s\n", error.c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
