# What both Windows toolchains share; each sets MINGW_TRIPLE, the processor
# and its Wine first.
#
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of g++ 12 lacks. Everything links statically (see CompilerSettings.cmake),
# so no winpthread DLL is needed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP      ${MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine: tests/e2e/wine-run <arch> <program> [args].
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e/wine-run;${MINGW_WINE_ARCH})
