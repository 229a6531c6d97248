# Cross build of the Windows programs with Debian's mingw-w64 (the posix
# thread model, for std::thread and std::mutex). Everything is linked
# statically, so the programs run on a bare Windows or Wine without extra
# DLLs. Tests run through Wine (see tests/wine_run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TANDRIX_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TANDRIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TANDRIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TANDRIX_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TANDRIX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
