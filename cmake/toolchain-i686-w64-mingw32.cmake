# The deliverable: 32-bit Windows, cross-compiled with Debian's mingw-w64.
# Its tests run under the 32-bit Wine, which runs under qemu-user on these
# 64-bit-only kernels.
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
