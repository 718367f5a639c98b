# 32-bit Windows build: the release for Windows 98, ME, 2000 and XP.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUORVEX_TRIPLET i686-w64-mingw32)
# Windows 98 runs on a 486 with its FPU: no cmov, fcomi, MMX or SSE. Debian's
# compiler would otherwise target the Pentium Pro.
set(CMAKE_C_FLAGS_INIT "-march=i486 -mtune=generic")
set(CMAKE_CXX_FLAGS_INIT "-march=i486 -mtune=generic")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
