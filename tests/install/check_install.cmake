# Installs BUILD_DIR into a fresh PREFIX and checks that BINDIR holds exactly
# PROGRAMS (comma-separated), that the licence and the documentation are in
# DOCDIR (the README with the docs/ it links to), that docs/building.md names
# every program installed, and that the snapshot tool runs
# from there and answers --version with VERSION.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

file(GLOB installed RELATIVE "${PREFIX}/${BINDIR}" "${PREFIX}/${BINDIR}/*")
list(SORT installed)
string(REPLACE "," ";" expected "${PROGRAMS}")
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "${BINDIR}/ holds '${installed}', expected '${expected}'")
endif()
foreach(doc LICENSE README.md docs/tools.md docs/building.md)
  if(NOT EXISTS "${PREFIX}/${DOCDIR}/${doc}")
    message(FATAL_ERROR "${doc} was not installed under ${DOCDIR}")
  endif()
endforeach()

# The building page names every program installed.
file(READ "${PREFIX}/${DOCDIR}/docs/building.md" building)
string(REGEX REPLACE "[ \n]+" " " building "${building}")
string(REGEX MATCH "`cmake --install` puts [^.]*" puts "${building}")
foreach(program IN LISTS installed)
  string(FIND "${puts}" "`${program}`" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "docs/building.md does not say that `cmake --install` puts ${program} in bin/")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/${BINDIR}/rasterwork-snapshot" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "rasterwork-snapshot ${VERSION}\n")
  message(FATAL_ERROR "installed rasterwork-snapshot --version gave ${status}: '${output}'")
endif()
message(STATUS "installed into ${PREFIX}: ${installed}")
