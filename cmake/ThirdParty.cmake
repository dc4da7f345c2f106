# zlib: the mingw-w64 package, linked statically.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# Boost.PropertyTree is header-only. Debian's headers are reached through a
# folder that holds nothing but a `boost` link, so no Linux header leaks in.
set(PATCHWELL_BOOST_ROOT /usr/include/boost CACHE PATH "Boost headers")
set(_boost_shim ${CMAKE_BINARY_DIR}/third_party/boost_include)
file(MAKE_DIRECTORY ${_boost_shim})
file(CREATE_LINK ${PATCHWELL_BOOST_ROOT} ${_boost_shim}/boost SYMBOLIC)
add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${_boost_shim})

# stb_image: Debian's single header, implemented once in ui/render.
set(_stb_shim ${CMAKE_BINARY_DIR}/third_party/stb_include)
file(MAKE_DIRECTORY ${_stb_shim})
file(CREATE_LINK /usr/include/stb ${_stb_shim}/stb SYMBOLIC)
add_library(stb_headers INTERFACE)
target_include_directories(stb_headers SYSTEM INTERFACE ${_stb_shim})

# libcurl only where the toolchain has a Windows build of it; otherwise the
# agent refresh downloads through WinINet.
find_package(CURL QUIET)
set(PATCHWELL_HAVE_CURL ${CURL_FOUND})

if(PATCHWELL_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
endif()
