# Cross build for 32-bit Windows with mingw-w64 (the shipping Tarvik.exe).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

# Debian ships the thread-model variants side by side; either one serves.
find_program(TARVIK_MINGW_CXX NAMES i686-w64-mingw32-g++-posix i686-w64-mingw32-g++-win32 i686-w64-mingw32-g++ REQUIRED)
# The shipping program favours size: its drawing is GDI's work, not its own code's.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "Flags of the Release build")
set(CMAKE_CXX_COMPILER "${TARVIK_MINGW_CXX}")
find_program(CMAKE_RC_COMPILER NAMES i686-w64-mingw32-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
