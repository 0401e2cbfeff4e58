# What both Windows toolchains share; each sets MINGW_TRIPLE, the processor
# and its Wine first.
#
# The win32 thread model: the posix one links winpthreads in, which imports
# functions that Windows 2000 and XP lack (GetTickCount64, the vectored
# exception handlers). Its libstdc++ has no std::mutex, out of which GoogleTest
# makes one class; cmake/Testing.cmake gives it that class without. The
# program has one thread anyway.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP      ${MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine: tests/e2e/wine-run <arch> <program> [args].
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e/wine-run;${MINGW_WINE_ARCH})
