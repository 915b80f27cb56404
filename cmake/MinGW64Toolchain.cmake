# Cross-building for 64-bit Windows with Debian's MinGW-w64, the POSIX-thread variant (its
# C++ runtime has std::thread). Programs are linked static, runtime included, so the program
# folder needs no DLL beside them. With Wine installed, CTest runs the Windows test programs
# through it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARV_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TARV_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARV_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TARV_MINGW_HOST}-windres)
set(CMAKE_AR ${TARV_MINGW_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TARV_MINGW_HOST}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${TARV_MINGW_HOST}-strip CACHE FILEPATH "")

# Libraries and headers come only from the MinGW tree and the folders the caller names
# (CMAKE_FIND_ROOT_PATH); programs are the build machine's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TARV_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(TARV_WINE NAMES wine64 wine)
if(TARV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARV_WINE})
endif()

# pkg-config sees only the Windows libraries the caller names, and gives what linking them
# statically takes.
if(TARV_WINDOWS_PKG_CONFIG_PATH)
  set(ENV{PKG_CONFIG_LIBDIR} "${TARV_WINDOWS_PKG_CONFIG_PATH}")
  set(ENV{PKG_CONFIG_PATH} "")
  set(PKG_CONFIG_ARGN --static CACHE STRING "Arguments every pkg-config call gets")
endif()
