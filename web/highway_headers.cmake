# rw_highway_headers: Google Highway's headers for a WebAssembly build.
# Emscripten's sysroot has no Highway, and the host's include directory
# cannot go on the include path whole (its C library headers would replace
# Emscripten's), so the build directory gets a directory holding only a link
# to the host's hwy/ headers (Debian's libhwy-dev).
find_path(RW_HOST_HIGHWAY_INCLUDE_DIR hwy/highway.h
    PATHS /usr/include /usr/local/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT RW_HOST_HIGHWAY_INCLUDE_DIR)
  message(FATAL_ERROR "Highway's headers (hwy/highway.h) not found: run scripts/install-deps web")
endif()
set(rw_highway_link_dir ${CMAKE_BINARY_DIR}/highway-headers)
file(MAKE_DIRECTORY ${rw_highway_link_dir})
file(CREATE_LINK ${RW_HOST_HIGHWAY_INCLUDE_DIR}/hwy ${rw_highway_link_dir}/hwy SYMBOLIC)
add_library(rw_highway_headers INTERFACE)
target_include_directories(rw_highway_headers SYSTEM INTERFACE ${rw_highway_link_dir})
