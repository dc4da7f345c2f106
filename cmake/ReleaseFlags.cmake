# Flags for every build, so that a test tree's program is the same program as
# a release (the release test compares the two).

# Set here rather than taken from a cache: an older tree keeps CMake's -O3.
# -g gives the separate debug file something to say about our own code (it
# changes no code).
foreach(_lang C CXX)
  set(CMAKE_${_lang}_FLAGS_RELEASE "-O2 -g -DNDEBUG" CACHE STRING "Release flags" FORCE)
endforeach()

# Same bytes from any folder: the file names the compiler records (debug
# information, __FILE__) start from a fixed /patchwell for the sources and
# /patchwell/build for the build tree (the later, more specific map wins).
# A debugger finds the sources with: set substitute-path /patchwell CHECKOUT
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=/patchwell>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=/patchwell/build>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections;-fdata-sections>")

# Unused functions and data are dropped. The header gets no link time stamp.
# The system may load the program anywhere (relocations kept, with 64-bit
# addresses where there are any) and never runs its data.
add_link_options(-Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat)
if(PATCHWELL_ARCH STREQUAL "x86_64")
  add_link_options(-Wl,--high-entropy-va)
endif()
