# The program's version, written once in project(): the code includes it from
# a generated header (through the vantrel_version target); the files a header
# cannot reach (the AppStream data, the package) take it from CMake.
configure_file(${CMAKE_CURRENT_LIST_DIR}/VantrelVersion.h.in ${CMAKE_BINARY_DIR}/generated/VantrelVersion.h @ONLY)
add_library(vantrel_version INTERFACE)
target_include_directories(vantrel_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
