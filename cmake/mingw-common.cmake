# The posix thread model gives the standard library its std::mutex (GoogleTest needs it).
set(CMAKE_C_COMPILER ${SELVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SELVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SELVANE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SELVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained executable: no MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
