# The shipped program as released: release/patchwell-<version>.exe without
# debug sections or symbols, and beside it patchwell-<version>.debug holding
# them, named in the program by a debug link (its name and a CRC of it).
# scripts/release.sh copies both to dist/ and signs the program.
if(NOT CMAKE_OBJCOPY)
  message(FATAL_ERROR "objcopy of the toolchain not found")
endif()

set(PATCHWELL_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(PATCHWELL_RELEASE_NAME patchwell-${PROJECT_VERSION})
file(MAKE_DIRECTORY ${PATCHWELL_RELEASE_DIR})

# objcopy writes SOURCE_DATE_EPOCH as the header's time stamp when it is set
# and the current time when not; zero keeps the header as the linker left it.
set(_objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
set(_program ${PATCHWELL_RELEASE_DIR}/${PATCHWELL_RELEASE_NAME}.exe)
set(_debug ${PATCHWELL_RELEASE_DIR}/${PATCHWELL_RELEASE_NAME}.debug)
# The debug link takes the file name as given: the commands run beside it.
add_custom_command(OUTPUT ${_program} ${_debug}
  COMMAND ${_objcopy} --only-keep-debug $<TARGET_FILE:patchwell> ${PATCHWELL_RELEASE_NAME}.debug
  COMMAND ${_objcopy} --strip-all --add-gnu-debuglink=${PATCHWELL_RELEASE_NAME}.debug
          $<TARGET_FILE:patchwell> ${PATCHWELL_RELEASE_NAME}.exe
  DEPENDS patchwell
  WORKING_DIRECTORY ${PATCHWELL_RELEASE_DIR}
  COMMENT "Stripping ${PATCHWELL_RELEASE_NAME}.exe into a separate debug file"
  VERBATIM)
add_custom_target(patchwell_release ALL DEPENDS ${_program} ${_debug})
