# Shared part of the two MinGW-w64 toolchain files (ROVA_TRIPLET set by the caller).
set(CMAKE_C_COMPILER ${ROVA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ROVA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ROVA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ROVA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Ship DLLs that import only what every Windows has: no libgcc, libstdc++,
# winpthread or zlib DLLs next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# zlib goes into the DLLs from libz.a, never through zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
