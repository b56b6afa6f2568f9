# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, so std::thread and std::mutex work), and runs the built programs
# under Wine: ctest and gtest_discover_tests go through the emulator script,
# which keeps its Wine prefix inside the build folder.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VUBLE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VUBLE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VUBLE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VUBLE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VUBLE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in: without -static a program needs libwinpthread-1.dll
# and the GCC runtime DLLs beside it, and Wine ends it silently (status 53)
# when they are missing.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine/run.sh)
