# GoogleTest is built from Debian's sources, so the native build and both
# MinGW builds use the same version, compiled with their own flags.
set(SELVANE_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian: googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${SELVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
