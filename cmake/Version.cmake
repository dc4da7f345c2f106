# The version of the project() call reaches the code through a generated
# header (resources/version.h) and the resources through the same header and
# the configured manifest; nothing else spells it out.
set(PATCHWELL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(PATCHWELL_VERSION_TWEAK 0)
if(NOT "${PROJECT_VERSION_TWEAK}" STREQUAL "")
  set(PATCHWELL_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
endif()
# Windows takes four numbers wherever it reads a version.
set(PATCHWELL_VERSION_QUAD
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PATCHWELL_VERSION_TWEAK})
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in
  ${PATCHWELL_GENERATED_DIR}/resources/version.h @ONLY)
