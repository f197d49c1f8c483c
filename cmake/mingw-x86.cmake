# Cross build for 32-bit Windows with MinGW-w64. 32-bit programs cannot run on
# these machines, so the x86 build is checked by inspection only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ROVA_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
