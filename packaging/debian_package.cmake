# `cpack -G DEB` in the build directory: rasterwork_VERSION_ARCH.deb of what
# `cmake --install` puts in place, its Depends worked out by dpkg-shlibdeps
# from the libraries the programs link.
set(RW_PACKAGE_MAINTAINER "The Rasterwork developers <rasterwork@invalid>"
    CACHE STRING "The Maintainer field of the Debian package: who builds it")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rasterwork)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Rasterwork developers")
set(CPACK_PACKAGE_CONTACT "${RW_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of one 3-D scene drawn by OpenGL and by a software rasteriser")
# Lines as Debian's control file wants them, within 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Rasterwork draws one fixed scene, three lit patches of a sphere, with"
       "fixed-function OpenGL (the reference) and with its own CPU software"
       "rasteriser: vertex stage, edge set-up, scanline fill with a depth buffer"
       "and per-pixel lighting. A key switches between the two."
       ""
       "Its command-line tools render the scene to image files, compare the"
       "software picture with the OpenGL reference pixel by pixel and tell one"
       "pixel's story fragment by fragment. It is meant for studying, teaching"
       "and checking rasterisation.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RW_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
