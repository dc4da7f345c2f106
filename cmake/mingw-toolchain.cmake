# Cross build for Windows with the mingw-w64 posix-thread compilers.
# PATCHWELL_ARCH selects i686 (the product) or x86_64 (tests on machines
# whose kernel cannot run 32-bit code, where only a 64-bit Wine works).
if(NOT PATCHWELL_ARCH)
  set(PATCHWELL_ARCH i686)
endif()
set(PATCHWELL_ARCH ${PATCHWELL_ARCH} CACHE STRING "i686 or x86_64")

set(CMAKE_SYSTEM_NAME Windows)
if(PATCHWELL_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(_triple ${PATCHWELL_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

