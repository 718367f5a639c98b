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

# Test programs of both builds run under the Wine of the sid root
# (scripts/sid-root.sh), which runs 32-bit and 64-bit programs alike.
get_filename_component(QUORVEX_WINE_ROOT_LOADER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-root ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEX_WINE_ROOT_LOADER})
