# Test programs run under Wine through a wrapper that pins the prefix and
# silences Wine's own output. The prefix lives in the build tree.
if(PATCHWELL_ARCH STREQUAL "x86_64")
  set(PATCHWELL_WINE /usr/lib/wine/wine64)
else()
  set(PATCHWELL_WINE /usr/lib/wine/wine)
endif()
set(PATCHWELL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in
  ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
