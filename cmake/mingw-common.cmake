# The settings both mingw-w64 toolchain files share; each sets
# CMAKE_SYSTEM_PROCESSOR first, which names the compilers (<processor>-w64-mingw32-...).
set(CMAKE_SYSTEM_NAME Windows)

set(MARLIX_MINGW_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The posix thread model: its C++ library has std::mutex, which GoogleTest uses.
set(CMAKE_C_COMPILER ${MARLIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARLIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MARLIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MARLIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes go into every program, so that it needs only the
# system libraries of Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
