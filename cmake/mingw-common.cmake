# Shared part of the two MinGW-w64 toolchain files. The -posix compilers are
# used throughout because GoogleTest needs std::mutex; everything is linked
# statically, so no MinGW runtime DLL has to travel with the programs.
set(CMAKE_C_COMPILER   ${QUORVEX_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVEX_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUORVEX_TRIPLET}-windres)
set(CMAKE_OBJDUMP      ${QUORVEX_TRIPLET}-objdump)
set(CMAKE_STRIP        ${QUORVEX_TRIPLET}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORVEX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs of the 64-bit build run under wine64.
if(QUORVEX_TRIPLET STREQUAL "x86_64-w64-mingw32")
  find_program(QUORVEX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT QUORVEX_WINE64)
    set(QUORVEX_WINE64 /usr/lib/wine/wine64)
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEX_WINE64})
endif()
